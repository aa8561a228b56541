#!/bin/bash
# SPDX-License-Identifier: MIT
# A lock file left behind never stops the next save. (1) A copy is killed while it holds
# QSettings' lock file (held at the moment the lock's content is written, then SIGKILL): the
# next copy's OK save succeeds without an error box, within the usual wait, and removes the
# lock. (2) The same lock naming a live process of another program (a reused pid). (3) A
# stale lock plus a stale ".rmlock" (QLockFile's own lock for removing a stale one).
# Usage: 06_stale_lock.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 06_stale_lock "${1:-}"
e2e_fault_need savekill
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")
lock=$E2E_STORE.lock

e2e_five_bookmarks seeded "錠" "http://lock.quorvel.example/"
e2e_seed_store "${seeded[@]}"

# A copy that dies holding the lock.
e2e_start_program
e2e_wait_program_idle
out=$(SAVEKILL_SIGNAL=STOP "$E2E_TMP/savekill" "$config" "$E2E_PROGRAM_PID" Quorvel.ini.lock:modify 0 -- kill -TERM "$E2E_PROGRAM_PID") ||
    e2e_fail "could not hold the program with its lock: $(tr '\n' ';' <<<"$out")"
dead=$E2E_PROGRAM_PID
e2e_signal_program KILL
kill -CONT "$dead" 2>/dev/null
e2e_wait_exit 2>/dev/null
[[ -s $lock ]] || e2e_fail "expected a lock file with content after the kill; config folder: $(e2e_fault_leftovers)"
e2e_expect_eq "pid in the left lock file" "$dead" "$(head -n 1 "$lock")"
cp "$lock" "$E2E_TMP/dead.lock"
e2e_fault_expect_table "$E2E_STORE" "${seeded[@]}"

e2e_start_program
e2e_wait_docked
confirmed=("${seeded[@]}")
save_with_ok() { # CASE: edits title 2 and confirms; the save must land, without a box
    e2e_fault_open_editor
    e2e_fault_editor_set title 2 "saved-past-$1"
    e2e_fault_editor_press ok
    confirmed[4]="saved-past-$1"
    e2e_fault_to_b64 "${confirmed[@]}"
    e2e_fault_hashes "${E2E_FAULT_B64[@]}"
    holds() { e2e_fault_table_is "$E2E_STORE" "${E2E_FAULT_HASHES[@]}"; }
    e2e_poll "$E2E_TIMEOUT_MS" holds ||
        e2e_fail "$1: the OK save did not land within $E2E_TIMEOUT_MS ms: $E2E_FAULT_WHY; left: $(e2e_fault_leftovers); windows: $(e2e__windows_text)"
    e2e_fault_wait_editor_gone
    e2e_list_windows
    e2e_expect_eq "windows after the save ($1)" 1 "${#E2E_WINS[@]}"
    e2e_expect_eq "files beside the store after the save ($1)" "" "$(e2e_fault_leftovers)"
    e2e_log "$1: saved; the lock is gone"
}
save_with_ok "lock-of-killed-copy"

# (2) The pid now belongs to a live process of another program.
sleep 300 &
other=$!
e2e__track "$other" "sleep (pid reuse)"
{ echo "$other"; tail -n +2 "$E2E_TMP/dead.lock"; } >"$lock"
save_with_ok "reused-pid"

# (3) A stale lock and a stale .rmlock.
cp "$E2E_TMP/dead.lock" "$lock"
cp "$E2E_TMP/dead.lock" "$lock.rmlock"
save_with_ok "lock-and-rmlock"

e2e_quit
e2e_fault_expect_table "$E2E_STORE" "${confirmed[@]}"
e2e_pass
