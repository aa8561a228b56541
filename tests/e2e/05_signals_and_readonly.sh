#!/bin/bash
# SPDX-License-Identifier: MIT
# SIGTERM, SIGINT and SIGHUP save the bookmarks, remove the icon and exit 0
# (SIGHUP also with the menu open). When the store cannot be written at 終了,
# one message box "Quorvel 終了エラー" appears; after OK the program exits 0 and
# the store file is unchanged. Usage: 05_signals_and_readonly.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 05_signals_and_readonly "${1:-}"
e2e_start_x
e2e_start_tray

for sig in TERM INT HUP; do
    e2e_five_bookmarks seeded "SIG$sig 栞" "http://quorvel.example/${sig,,}/"
    e2e_seed_store "${seeded[@]}"
    e2e_start_program
    e2e_wait_docked
    # The icon is added before the store is read: idle, the program has read it.
    e2e_wait_program_idle
    if [[ $sig == HUP ]]; then
        e2e_open_menu
    fi
    # The program has loaded the store; removing the file shows
    # whether the signal makes it write the bookmarks back.
    rm -f "$E2E_STORE"
    e2e_signal_program "$sig"
    e2e_expect_exit_status 0
    e2e_wait_no_windows
    e2e_expect_store "${seeded[@]}"
    e2e_log "SIG$sig: saved and exited 0"
done
e2e_tray_owner || e2e_fail "the tray host died"

# Read-only config folder at 終了. Root writes through permission bits, so the
# program runs without the capabilities that allow it.
e2e_five_bookmarks seeded "読み取り専用 " "http://quorvel.example/readonly/"
e2e_seed_store "${seeded[@]}"
cp -p "$E2E_STORE" "$E2E_TMP/before.ini"
chmod 0555 "$(dirname "$E2E_STORE")"
e2e_start_program --unprivileged
e2e_wait_docked
e2e_open_menu
e2e_menu_choose Up Return
e2e_wait_window_titled "Quorvel 終了エラー"
e2e_log "message box: ${E2E_WIN_W}x${E2E_WIN_H}+${E2E_WIN_X}+${E2E_WIN_Y}"
e2e_screenshot save-error-box "$E2E_WIN_X" "$E2E_WIN_Y" "$E2E_WIN_W" "$E2E_WIN_H"
e2e_program_alive || e2e_fail "the program exited while its error message box should be waiting for OK"
e2e_focus_window "$E2E_WIN_ID"
xdotool key Return || e2e_fail "xdotool key Return failed"
e2e_expect_exit_status 0
cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" ||
    e2e_fail "the store changed although its folder is read-only:"$'\n'"$(diff "$E2E_TMP/before.ini" "$E2E_STORE")"
leftovers=$(find "$(dirname "$E2E_STORE")" -mindepth 1 ! -name Quorvel.ini -printf '%P ')
e2e_expect_eq "other files in the read-only config folder" "" "$leftovers"
e2e_pass
