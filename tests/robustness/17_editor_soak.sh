#!/bin/bash
# Long use does not grow: 200 editor cycles (menu, URL編集, then Cancel and OK in turn; each
# OK saves) keep the resident memory within 1 MB of what it was after 20 warm-up cycles,
# measured once the program is idle with the pointer away. The store still holds the table.
# Usage: 17_editor_soak.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 17_editor_soak "${1:-}"
e2e_fault_need xdrive
e2e_start_x
e2e_start_tray
seeded=()
for i in 0 1 2 3 4; do seeded+=("編集$i" "http://editor.quorvel.example/$i"); done
e2e_seed_store "${seeded[@]}"
e2e_start_program
e2e_wait_docked
e2e_fault_icon_points

cycles() { # N
    "$E2E_TMP/xdrive" editor "$1" "${E2E_FAULT_POINTS[@]}" both >"$E2E_TMP/xdrive.log" 2>&1 ||
        e2e_fail "editor cycles failed: $(cat "$E2E_TMP/xdrive.log")"
    xdotool mousemove 700 700 || e2e_fail "xdotool mousemove failed"
    e2e_wait_program_idle
}
cycles 20
before=$(e2e_fault_rss_kb)
e2e_log "after 20 warm-up cycles: resident $before kB"
cycles 200
after=$(e2e_fault_rss_kb)
e2e_log "after 200 more cycles: resident $after kB (grew $((after - before)) kB)"
((after - before <= 1024)) ||
    e2e_fail "resident memory grew by $((after - before)) kB over 200 editor cycles (from $before to $after kB); allowed 1024"
e2e_fault_expect_table "$E2E_STORE" "${seeded[@]}"
e2e_open_menu
e2e_menu_choose Up Return
e2e_expect_exit_status 0
e2e_pass
