#!/bin/bash
# Long use does not grow: 1,000 right press / Escape cycles on the tray icon (xdrive.c,
# alternating between two points on the icon) keep the program's resident memory within 1 MB
# of what it was after 20 warm-up cycles, measured from /proc once the program is idle with
# the pointer away from the icon. The program still answers afterwards.
# Usage: 16_menu_soak.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 16_menu_soak "${1:-}"
e2e_fault_need xdrive
e2e_start_x
e2e_start_tray
e2e_start_program
e2e_wait_docked
e2e_fault_icon_points

cycles() { # N
    "$E2E_TMP/xdrive" menu "$1" "${E2E_FAULT_POINTS[@]}" >"$E2E_TMP/xdrive.log" 2>&1 ||
        e2e_fail "menu cycles failed: $(cat "$E2E_TMP/xdrive.log")"
    # Away from the icon: no tooltip while measuring.
    xdotool mousemove 700 600 || e2e_fail "xdotool mousemove failed"
    e2e_wait_program_idle
}
cycles 20
before=$(e2e_fault_rss_kb)
e2e_log "after 20 warm-up cycles: resident $before kB"
cycles 1000
after=$(e2e_fault_rss_kb)
e2e_log "after 1,000 more cycles: resident $after kB (grew $((after - before)) kB)"
((after - before <= 1024)) ||
    e2e_fail "resident memory grew by $((after - before)) kB over 1,000 menu cycles (from $before to $after kB); allowed 1024"
e2e_menu_pick 1
e2e_wait_opener_calls 1
e2e_open_menu
e2e_menu_choose Up Return
e2e_expect_exit_status 0
e2e_pass
