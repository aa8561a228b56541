#!/bin/bash
# SPDX-License-Identifier: MIT
# With no notification area at all, the program says so once, 10 s after start, through the
# notification server (dunst) and on stderr. xfce4-panel started after that notice gets the
# StatusNotifier item: the notice is withdrawn, no XEmbed icon docks in the panel's tray, and
# the host sees the names, the ten entries in order, Activate opens the private folder, a
# bookmark opens once, and 終了 exits 0, saves the store and takes the item away.
# Usage: 23_late_status_notifier.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 23_late_status_notifier "${1:-}"
e2e_start_x
hosts_start_bus
hosts_start_dunst
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"

e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_program_idle
hosts_wait_displayed 1 15000
hosts_expect_notice
e2e_screenshot no-tray-notice 574 40 450 160
e2e_program_alive || e2e_fail "the program exited without a tray"
e2e_list_windows
e2e_expect_eq "visible windows of the program without a tray" "" "${E2E_WINS[*]}"

hosts_start_xfce_panel
hosts_wait_item 30000
hosts_wait_displayed 0
hosts_expect_item_names Quorvel
hosts_expect_menu 作者HP 作者HP 作者HP 作者HP 作者HP - URL編集 ヘルプ - 終了
# The panel also owns the XEmbed selection; the icon is on it once, as the item.
e2e_wait_no_windows
hosts_xfce_find_icon
e2e_screenshot panel-with-item 0 0 1024 40

# A right press on the item: the panel draws the menu from the export, the program none.
xdotool mousemove "$HOSTS_ICON_X" "$HOSTS_ICON_Y" click --delay 0 3 || e2e_fail "xdotool could not press the item"
e2e_poll "$E2E_TIMEOUT_MS" e2e__painted 500 40 524 300 || e2e_fail "the panel drew no menu for the item"
e2e_screenshot host-menu 500 0 524 340
e2e_list_windows
e2e_expect_eq "visible windows of the program while the host's menu is up" "" "${E2E_WINS[*]}"
xdotool key Escape

hosts_activate
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_FOLDER_PATH"
[[ -d $E2E_FOLDER_PATH ]] || e2e_fail "Activate did not make the private folder $E2E_FOLDER_PATH"
# What a host sends for a right or middle press when it leaves the menu to the program: no
# menu of ours, since the host has drawn it. Presses are handled in order, so once the next
# Activate has opened the folder, these two have been handled.
hosts_item_call ContextMenu ii 0 0
hosts_item_call SecondaryActivate ii 0 0
hosts_activate
e2e_wait_opener_calls 2
e2e_list_windows
e2e_expect_eq "visible windows of the program after ContextMenu" "" "${E2E_WINS[*]}"
hosts_menu_choose 3
e2e_wait_opener_calls 3
e2e_expect_opener_call 3 "$E2E_DEFAULT_URL"

hosts_menu_click 終了
e2e_expect_exit_status 0
hosts_wait_item_gone
e2e_defaults
e2e_expect_store "${E2E_DEFAULTS[@]}"
e2e_expect_eq "notifications dunst received over the run" 1 "$(wc -l <"$E2E_TMP/notified.log")"
e2e_pass
