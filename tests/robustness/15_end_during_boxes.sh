#!/bin/bash
# SPDX-License-Identifier: MIT
# A termination signal while a window waits for the user ends the program cleanly (exit 0,
# no window left), with the confirmed table saved where the store is writable:
# (a) SIGTERM with the editor open and an edit not confirmed: the confirmed table is saved,
#     not the unconfirmed edit; (b) SIGTERM while "Quorvel エラー" (OK's save failed, folder
#     read-only) is up: the box closes, the end's failure goes to stderr, the store is as it
#     was; (c) the same, the folder writable again before the signal: the confirmed table is
#     saved; (d) SIGHUP while "Quorvel 終了エラー" is up; (e) SIGINT while "Quorvel
#     フォルダーエラー" is up; (f) SIGTERM while OK's save waits for a lock another process
#     holds: the wait gives up, the program ends (its own save failing the same way).
#     Usage: 15_end_during_boxes.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 15_end_during_boxes "${1:-}"
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")

e2e_five_bookmarks seeded "終わり" "http://end.quorvel.example/"
e2e_five_bookmarks stale "古い" "http://stale.quorvel.example/"
ends_cleanly() { # WHAT SIGNAL
    e2e_signal_program "$2"
    e2e_expect_exit_status 0
    e2e_wait_no_windows
    e2e_log "$1: ended with status 0 on SIG$2"
}

# ---- (a) the editor open, an edit not confirmed
e2e_seed_store "${seeded[@]}"
e2e_start_program
e2e_wait_docked
e2e_fault_open_editor
e2e_fault_editor_set title 0 "confirmed"
e2e_fault_editor_press ok
e2e_fault_wait_editor_gone
confirmed=("${seeded[@]}")
confirmed[0]=confirmed
rm -f "$E2E_STORE"  # only the end's save can bring the confirmed table back
e2e_fault_open_editor
e2e_fault_editor_set title 1 "not-confirmed"
ends_cleanly "(a) editor open" TERM
e2e_fault_expect_table "$E2E_STORE" "${confirmed[@]}"

# ---- (b) and (c): OK's save failed, its box is up
for case in b c; do
    e2e_seed_store "${seeded[@]}"
    cp -p "$E2E_STORE" "$E2E_TMP/before.ini"
    chmod 0555 "$config"
    e2e_start_program --unprivileged
    e2e_wait_docked
    e2e_fault_open_editor
    e2e_fault_editor_set url 3 "http://confirmed.quorvel.example/$case"
    e2e_fault_editor_press ok
    e2e_wait_window_titled "Quorvel エラー"
    confirmed=("${seeded[@]}")
    confirmed[7]="http://confirmed.quorvel.example/$case"
    if [[ $case == b ]]; then
        ends_cleanly "(b) save-failure box up, store read-only" TERM
        chmod 0755 "$config"
        cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" || e2e_fail "(b): the read-only store changed"
        grep -qF "Quorvel 終了エラー: URLを保存できませんでした。" "$E2E_PROGRAM_LOG" ||
            e2e_fail "(b): the failure of the save at the end is not on stderr; log: $(cat "$E2E_PROGRAM_LOG")"
    else
        chmod 0755 "$config"
        ends_cleanly "(c) save-failure box up, store writable again" TERM
        e2e_fault_expect_table "$E2E_STORE" "${confirmed[@]}"
    fi
done

# ---- (d) 終了's box up
e2e_seed_store "${seeded[@]}"
cp -p "$E2E_STORE" "$E2E_TMP/before.ini"
chmod 0555 "$config"
e2e_start_program --unprivileged
e2e_wait_docked
e2e_open_menu
e2e_menu_choose Up Return
e2e_wait_window_titled "Quorvel 終了エラー"
ends_cleanly "(d) 終了 box up" HUP
chmod 0755 "$config"
cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" || e2e_fail "(d): the read-only store changed"

# ---- (e) the folder box up
e2e_seed_store "${seeded[@]}"
app=$E2E_TMP/app
mkdir -p "$app" && cp "$E2E_PROGRAM" "$app/quorvel" || e2e_fail "could not copy the program"
ln -sfn "$E2E_TMP" "$app/$(id -un)"
e2e_start_program --exe "$app/quorvel"
e2e_wait_docked
e2e_press_icon 1
e2e_wait_window_titled "Quorvel フォルダーエラー"
rm -f "$E2E_STORE"
ends_cleanly "(e) folder box up" INT
e2e_fault_expect_table "$E2E_STORE" "${seeded[@]}"

# ---- (f) a save waiting for a lock
e2e_seed_store "${seeded[@]}"
cp -p "$E2E_STORE" "$E2E_TMP/before.ini"
# The holder is the process that owns the lock, so that stopping it lets the lock go.
(exec 9>>"$E2E_STORE.lock" && flock 9 && exec sleep 600) </dev/null >/dev/null 2>&1 &
e2e__track "$!" "lock holder"
e2e_start_program
e2e_wait_docked
e2e_fault_open_editor
e2e_fault_editor_set title 2 "waits-for-the-lock"
e2e_fault_editor_press ok
sleep 0.3
e2e__now
sent=$E2E_NOW
ends_cleanly "(f) save waiting for a lock" TERM
e2e__now
cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" || e2e_fail "(f): the store changed under a held lock"
e2e_log "(f): SIGTERM to exit took $((E2E_NOW - sent)) ms"
e2e_pass
