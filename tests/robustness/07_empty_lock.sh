#!/bin/bash
# SPDX-License-Identifier: MIT
# An empty lock file (a copy killed between creating the lock and writing its pid into it)
# does not stop the next save: nobody holds it, so an old one is removed at once and a fresh
# one after a short wait (about 1 s; the program never waits more than about 2 s for a lock).
# Bound used here: 4 s from the click on OK to the table on disk.
# Usage: 07_empty_lock.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 07_empty_lock "${1:-}"
e2e_start_x
e2e_start_tray
lock=$E2E_STORE.lock

e2e_five_bookmarks seeded "空" "http://empty-lock.quorvel.example/"
e2e_seed_store "${seeded[@]}"
e2e_start_program
e2e_wait_docked
confirmed=("${seeded[@]}")

save_with_ok() { # CASE BOUND_MS
    e2e_fault_open_editor
    e2e_fault_editor_set url 1 "http://saved.quorvel.example/$1"
    e2e__now
    local start=$E2E_NOW
    e2e_fault_editor_press ok
    confirmed[3]="http://saved.quorvel.example/$1"
    e2e_fault_to_b64 "${confirmed[@]}"
    e2e_fault_hashes "${E2E_FAULT_B64[@]}"
    holds() { e2e_fault_table_is "$E2E_STORE" "${E2E_FAULT_HASHES[@]}"; }
    e2e_poll "$2" holds ||
        e2e_fail "$1: the OK save did not land within $2 ms: $E2E_FAULT_WHY; left: $(e2e_fault_leftovers)"
    e2e__now
    e2e_fault_wait_editor_gone
    e2e_expect_eq "files beside the store after the save ($1)" "" "$(e2e_fault_leftovers)"
    e2e_log "$1: the save landed after $((E2E_NOW - start)) ms"
}

: >"$lock"
touch -d '-2 minutes' "$lock"
save_with_ok old-empty-lock "$E2E_TIMEOUT_MS"
: >"$lock"
save_with_ok fresh-empty-lock 4000
e2e_quit
e2e_fault_expect_table "$E2E_STORE" "${confirmed[@]}"
e2e_pass
