#!/bin/bash
# SPDX-License-Identifier: MIT
# The X server goes away (Xvfb killed) while the program runs, with the editor open and an
# edit not yet confirmed: the program ends by itself, and the store holds the table confirmed
# earlier by OK, whole, with no lock or temp file left. Usage: 02_x_server_dies.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 02_x_server_dies "${1:-}"
e2e_start_x
e2e_start_tray

e2e_five_bookmarks seeded "栞" "http://quorvel.example/x/"
e2e_seed_store "${seeded[@]}"
e2e_start_program
e2e_wait_docked
e2e_fault_open_editor
e2e_fault_editor_set url 2 "http://confirmed.quorvel.example/before-x-died"
e2e_fault_editor_press ok
e2e_fault_wait_editor_gone
confirmed=("${seeded[@]}")
confirmed[5]="http://confirmed.quorvel.example/before-x-died"
e2e_fault_to_b64 "${confirmed[@]}"
e2e_fault_hashes "${E2E_FAULT_B64[@]}"
store_holds() { e2e_fault_table_is "$E2E_STORE" "${E2E_FAULT_HASHES[@]}"; }
e2e_poll "$E2E_TIMEOUT_MS" store_holds || e2e_fail "OK did not save the confirmed table: $E2E_FAULT_WHY"

e2e_fault_open_editor
e2e_fault_editor_set url 3 "http://unconfirmed.quorvel.example/"
e2e_fault_kill_x
e2e_wait_exit
e2e_log "exit status after the X server died: $E2E_EXIT_STATUS; program log: $(tr '\n' ' ' <"$E2E_PROGRAM_LOG")"
e2e_fault_expect_table_b64 "$E2E_STORE" "${E2E_FAULT_B64[@]}"
e2e_expect_eq "files beside the store" "" "$(e2e_fault_leftovers)"
e2e_pass
