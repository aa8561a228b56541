#!/bin/bash
# SPDX-License-Identifier: MIT
# The tray host killed and restarted 20 times (SIGKILL and SIGTERM in turn): after each
# restart exactly one icon docks, no other window of the program is visible, and the program
# answers (its menu opens; every fifth time a bookmark opens). It ends with 終了, status 0.
# Usage: 18_tray_restarts.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 18_tray_restarts "${1:-}"
e2e_start_x
e2e_start_tray
e2e_start_program
e2e_wait_docked
calls=0
for round in $(seq 1 20); do
    if ((round % 2)); then e2e_stop_tray KILL; else e2e_stop_tray TERM; fi
    e2e_program_alive || e2e_fail "the program died with the tray host (round $round)"
    e2e_wait_no_windows
    e2e_start_tray
    e2e_wait_docked
    e2e_list_windows
    e2e_expect_eq "visible windows of the program after restart $round (the icon only)" 1 "${#E2E_WINS[@]}"
    if ((round % 5 == 0)); then
        e2e_menu_pick 1
        calls=$((calls + 1))
        e2e_wait_opener_calls "$calls"
        e2e_expect_opener_call "$calls" "$E2E_DEFAULT_URL"
    else
        e2e_open_menu
        e2e_menu_choose Escape
    fi
    e2e_log "restart $round: one icon, the program answers"
done
e2e_quit
e2e_wait_no_windows
e2e_pass
