#!/bin/bash
# SPDX-License-Identifier: MIT
# Started 3 s before any tray host, the program keeps running without showing
# anything, and its icon docks within 1 s of the host's selection appearing:
# one icon, and the menu works. Usage: 14_late_tray.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 14_late_tray "${1:-}"
e2e_start_x
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"

e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_program_idle
# The 3 s without a host are the situation under test, not a wait for
# something: every 20 ms the program must still run and show no window.
quiet() {
    e2e_program_alive || e2e_fail "the program exited without a tray host; log: $(tail -n 20 "$E2E_PROGRAM_LOG")"
    e2e__visible_count
    ((E2E__VISIBLE == 0)) || e2e_fail "the program shows a window without a tray host: $(e2e__windows_text)"
    return 1
}
e2e_poll 3000 quiet || :
e2e_tray_owner && e2e_fail "$E2E_TRAY_SELECTION has an owner although no tray host was started"

# Another client watches, in steps of a few ms, for the selection to get an
# owner and then, for at most 1 s, for the icon to dock.
"$E2E_PROBE" wait-dock "$E2E_TRAY_SELECTION" "$E2E_CLASS" "$E2E_TIMEOUT_MS" 1000 >"$E2E_TMP/dock-times" &
watcher=$!
e2e__track "$watcher" "dock watcher"
e2e_start_tray
e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$watcher" || e2e_fail "the dock watcher did not finish"
wait "$watcher"
rc=$?
e2e__untrack "$watcher"
read -r owned docked <"$E2E_TMP/dock-times"
[[ $owned =~ ^[0-9]+$ ]] || e2e_fail "the dock watcher did not see $E2E_TRAY_SELECTION get an owner (status $rc)"
[[ $rc == 0 && $docked =~ ^[0-9]+$ ]] ||
    e2e_fail "expected the icon to dock within 1000 ms of $E2E_TRAY_SELECTION getting an owner; it had not; now: $(e2e__windows_text)"
e2e_log "docked $((docked - owned)) ms after the tray selection got an owner"
e2e_wait_docked
e2e_list_windows
e2e_expect_eq "visible windows of the program (only the docked icon)" 1 "${#E2E_WINS[@]}"
e2e_screenshot tray-late 0 0 200 32

e2e_menu_pick 1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_DEFAULT_URL"
e2e_quit
e2e_wait_no_windows
e2e_pass
