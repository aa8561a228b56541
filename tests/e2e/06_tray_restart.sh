#!/bin/bash
# SPDX-License-Identifier: MIT
# Started before any tray host, the program docks its icon once a host
# appears; after the host dies and a new one starts (twice), it docks again:
# exactly one icon each time, no stray window, and the menu still works.
# Usage: 06_tray_restart.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 06_tray_restart "${1:-}"
e2e_start_x

e2e_start_program
# The tray host must appear after the program has finished starting.
e2e_wait_program_idle
e2e_tray_owner && e2e_fail "a tray host owns $E2E_TRAY_SELECTION before trayer was started"
e2e_list_windows
e2e_expect_eq "visible windows of the program without a tray host" "" "${E2E_WINS[*]}"

check_one_icon_only() {
    e2e_wait_docked
    e2e_list_windows
    e2e_expect_eq "visible windows of the program (only the docked icon)" 1 "${#E2E_WINS[@]}"
}

e2e_start_tray
check_one_icon_only
e2e_log "docked after the late tray host: $E2E_ICON_ID"
e2e_open_menu
e2e_menu_choose Escape

for round in 1 2; do
    e2e_stop_tray KILL
    e2e_program_alive || e2e_fail "the program died with the tray host (round $round)"
    # No icon left behind either (e.g. reparented to the root and still mapped).
    e2e_wait_no_windows
    e2e_start_tray
    check_one_icon_only
    e2e_log "docked again after tray restart $round: $E2E_ICON_ID"
    e2e_screenshot "tray-after-restart-$round" 0 0 200 32
    e2e_menu_pick 1
    e2e_wait_opener_calls "$round"
    e2e_expect_opener_call "$round" "$E2E_DEFAULT_URL"
    check_one_icon_only
done

e2e_quit
e2e_wait_no_windows
e2e_pass
