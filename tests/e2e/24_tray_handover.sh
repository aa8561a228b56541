#!/bin/bash
# SPDX-License-Identifier: MIT
# Trays that come and go under one run: none at first (no notification server either: the
# notice goes to stderr only), then trayer (XEmbed) well after the notice, then xfce4-panel in
# its place (StatusNotifier takes the icon over), then trayer again (XEmbed takes it back).
# Each time exactly one icon, the menu works where it is drawn, and 終了 exits 0.
# Usage: 24_tray_handover.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 24_tray_handover "${1:-}"
e2e_start_x
hosts_start_bus

e2e_start_program
e2e_wait_program_idle
e2e_poll 15000 hosts_stderr_has_notice || e2e_fail "no notice on stderr 15 s after start; log: $(cat "$E2E_PROGRAM_LOG")"
hosts_expect_stderr_notice
e2e_program_alive || e2e_fail "the program exited without a tray"
e2e_list_windows
e2e_expect_eq "visible windows of the program without a tray" "" "${E2E_WINS[*]}"

# XEmbed, late.
e2e_start_tray
e2e_wait_docked
e2e_screenshot late-xembed 0 0 200 32
e2e_menu_pick 1
e2e_wait_opener_calls 1

# The XEmbed tray goes, a StatusNotifier host comes.
e2e_stop_tray KILL
e2e_wait_no_windows
hosts_start_xfce_panel
hosts_wait_item 30000
e2e_wait_no_windows
hosts_expect_menu 作者HP 作者HP 作者HP 作者HP 作者HP - URL編集 ヘルプ - 終了
hosts_xfce_find_icon
e2e_screenshot status-notifier-after-xembed 0 0 1024 40
hosts_menu_choose 1
e2e_wait_opener_calls 2

# And back: the host goes, an XEmbed tray comes.
hosts_stop_xfce_panel
hosts_wait_item_gone
e2e_wait_no_windows
e2e_start_tray
e2e_wait_docked
e2e_screenshot xembed-after-status-notifier 0 0 200 32
e2e_menu_pick 1
e2e_wait_opener_calls 3
e2e_expect_opener_call 3 "$E2E_DEFAULT_URL"

e2e_open_menu
e2e_menu_choose Up Return
e2e_expect_exit_status 0
e2e_wait_no_windows
e2e_expect_eq "notices on stderr over the run" 1 "$(grep -cF "$HOSTS_NOTICE" "$E2E_PROGRAM_LOG")"
e2e_pass
