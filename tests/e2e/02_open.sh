#!/bin/bash
# SPDX-License-Identifier: MIT
# The third bookmark hands the default URL to xdg-open exactly once; ヘルプ hands
# it the absolute path of Help/help.html beside the executable, also for a copy
# of the program in a folder with a space and Japanese in its name, started by
# a relative path from another folder. The opener is started detached: the
# program answers and quits while the openers still run, and leaves them
# running. Usage: 02_open.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 02_open "${1:-}"
e2e_start_x
e2e_start_tray
e2e_start_program
e2e_wait_docked

e2e_opener_hold
e2e_menu_pick 3
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_DEFAULT_URL"
url_opener=$E2E_CALL_PID
e2e__alive "$url_opener" || e2e_fail "the held opener (pid $url_opener) should still be running"

# The program answers while the opener runs.
e2e_menu_pick 7
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$E2E_PROGRAM_DIR/Help/help.html"
help_opener=$E2E_CALL_PID

e2e_quit
for pid in "$url_opener" "$help_opener"; do
    e2e__alive "$pid" || e2e_fail "opener pid $pid ended with the program; expected it to be detached and still running"
done
e2e_opener_release
for pid in "$url_opener" "$help_opener"; do
    e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$pid" || e2e_fail "released opener pid $pid did not end"
done
e2e_opener_count
e2e_expect_eq "opener calls after quitting" 2 "$E2E_OPENER_COUNT"

# A copy of the program elsewhere, started by a relative path from another folder.
copy_dir="$E2E_TMP/コピー 先/Quorvel"
mkdir -p "$copy_dir" "$E2E_TMP/elsewhere"
cp "$E2E_PROGRAM" "$copy_dir/quorvel"
cp -r "$E2E_PROGRAM_DIR/Help" "$copy_dir/Help"
e2e_start_program --cwd "$E2E_TMP/elsewhere" --exe "../コピー 先/Quorvel/quorvel"
e2e_wait_docked
e2e_menu_pick 7
e2e_wait_opener_calls 3
e2e_expect_opener_call 3 "$(readlink -f "$copy_dir")/Help/help.html"
e2e_open_menu
e2e_menu_choose Down Down Down Down Down Down Down Down Return
e2e_expect_exit_status 0
e2e_opener_count
e2e_expect_eq "opener calls at the end" 3 "$E2E_OPENER_COUNT"
e2e_pass
