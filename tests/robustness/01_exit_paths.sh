#!/bin/bash
# SPDX-License-Identifier: MIT
# No confirmed bookmark is lost on any exit path. Each run confirms an edit in the editor (OK),
# then the store file is removed (a save writes the rows it did not change as the store holds
# them, so an overwrite would count as another copy's edit), and the program ends by 終了, SIGTERM,
# SIGINT or SIGHUP (the exit save must write the confirmed table again), or by SIGKILL or a
# crash (SIGSEGV) right after OK (the OK save must already hold it). A cancelled edit never
# reaches the store. Usage: 01_exit_paths.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 01_exit_paths "${1:-}"
e2e_start_x
e2e_start_tray

e2e_five_bookmarks stale "古い" "http://stale.quorvel.example/"

store_holds() { e2e_fault_table_is "$E2E_STORE" "${E2E_FAULT_HASHES[@]}"; }

for path in quit TERM INT HUP KILL SEGV; do
    e2e_seed_store "${stale[@]}"
    e2e_start_program
    e2e_wait_docked
    e2e_fault_open_editor
    e2e_fault_editor_set title 0 "confirmed-$path"
    e2e_fault_editor_set url 4 "http://confirmed.quorvel.example/$path?a=1&b=2"
    e2e_fault_editor_press ok
    e2e_fault_wait_editor_gone
    confirmed=("${stale[@]}")
    confirmed[0]="confirmed-$path"
    confirmed[9]="http://confirmed.quorvel.example/$path?a=1&b=2"
    e2e_fault_to_b64 "${confirmed[@]}"
    e2e_fault_hashes "${E2E_FAULT_B64[@]}"
    # OK saves at once.
    e2e_poll "$E2E_TIMEOUT_MS" store_holds ||
        e2e_fail "after OK ($path run) the store does not hold the confirmed table: $E2E_FAULT_WHY"$'\n'"$(e2e_fault_describe "$E2E_STORE")"

    if [[ $path == quit ]]; then
        # An edit left by Cancel is not confirmed and must not be saved at exit.
        e2e_fault_open_editor
        e2e_fault_editor_set title 1 "cancelled-edit"
        e2e_fault_editor_press cancel
        e2e_fault_wait_editor_gone
    fi

    case $path in
        quit | TERM | INT | HUP)
            # Nothing on disk: only the exit save can bring the confirmed table back.
            rm -f "$E2E_STORE"
            if [[ $path == quit ]]; then
                e2e_open_menu
                e2e_menu_choose Up Return
            else
                e2e_signal_program "$path"
            fi
            e2e_expect_exit_status 0
            ;;
        KILL | SEGV)
            e2e_signal_program "$path"
            e2e_wait_exit
            expected=$((128 + $(kill -l "$path")))
            e2e_expect_eq "exit status after SIG$path" "$expected" "$E2E_EXIT_STATUS"
            ;;
    esac
    e2e_wait_no_windows
    e2e_fault_expect_table_b64 "$E2E_STORE" "${E2E_FAULT_B64[@]}"
    e2e_expect_eq "files beside the store after the $path run" "" "$(e2e_fault_leftovers)"
    e2e_log "$path: the confirmed table is in the store"
done
e2e_pass
