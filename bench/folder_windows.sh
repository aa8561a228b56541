#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The exit step among many top-level windows: N windows of a file manager's class, none showing
# the private folder, the folder opened once (through the fake opener), then the time from
# SIGTERM to the program's exit, which covers the search for the folder's window. RUNS times.
#   bench/folder_windows.sh [PROGRAM] [N (default 10000)] [RUNS (default 3)]
source "$(dirname "$0")/../tests/e2e/lib.sh"
e2e_init bench_folder_windows "${1:-}"
count=${2:-10000}
e2e_start_x
e2e_start_tray
"$E2E_PROBE" many "$count" Caja >"$E2E_TMP/many.log" 2>&1 &
e2e__track "$!" "xprobe many"
e2e_poll 120000 grep -q '^mapped' "$E2E_TMP/many.log" || e2e_fail "the windows were not mapped"
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
for ((run = 1; run <= ${3:-3}; run++)); do
    rm -f "$E2E_TMP"/opener/*.call
    e2e_start_program --exe "$E2E_FOLDER_EXE"
    e2e_wait_docked
    e2e_press_icon 1
    e2e_wait_opener_calls 1
    e2e_wait_program_idle
    e2e__now
    start=$E2E_NOW
    e2e_signal_program TERM
    e2e_expect_exit_status 0
    e2e__now
    printf 'exit with %d windows: %d ms\n' "$count" $((E2E_NOW - start))
done
e2e_pass
