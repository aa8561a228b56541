#!/bin/bash
# SPDX-License-Identifier: MIT
# When OK in the editor cannot save (read-only config folder), the message box
# "Quorvel エラー" says "URLを保存できませんでした。"; the editor closes, the menu
# shows and opens the new bookmark all the same, and the store file stays as it
# was, also after 終了 (which reports its own failure). Root writes through
# permission bits, so the program runs without that power.
# Usage: 12_editor_save_error.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 12_editor_save_error "${1:-}"
e2e_start_x
e2e_start_tray
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
new_title="保存できない題"
new_url="http://unsaved.quorvel.example/一"
e2e_editor_keys "$new_title" "$new_url"

e2e_five_bookmarks seeded "保存済み " "http://saved.quorvel.example/"
e2e_seed_store "${seeded[@]}"
cp -p "$E2E_STORE" "$E2E_TMP/before.ini"
chmod 0555 "$(dirname "$E2E_STORE")"
e2e_start_program --unprivileged --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
e2e_editor_menu_signatures
sig_before=()
for k in 1 2 3 4 5; do sig_before[k]=${E2E_EDITOR_SIG[k]}; done

e2e_editor_open
e2e_editor_expect_boxes "${seeded[@]}"
e2e_editor_set title 0 "$new_title"
e2e_editor_set url 0 "$new_url"
e2e_editor_click_button OK
E2E_FOLDER_SHOT=editor-save-error
e2e_folder_expect_message "Quorvel エラー" "URLを保存できませんでした。"
e2e_log "message: $(printf '%q' "$E2E_FOLDER_MESSAGE")"
e2e_editor_wait_closed "OK and the save error"
cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" || e2e_fail "the read-only store changed: $(cat "$E2E_STORE")"

# The table took the new values: the first row is redrawn, the others are not.
e2e_editor_menu_signatures
[[ ${E2E_EDITOR_SIG[1]} != "${sig_before[1]}" ]] || e2e_fail "menu row 1 still shows the old title after OK"
for k in 2 3 4 5; do
    [[ ${E2E_EDITOR_SIG[k]} == "${sig_before[k]}" ]] || e2e_fail "menu row $k changed although only row 1 was edited"
done
e2e_menu_pick 1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$new_url"
e2e_editor_open
confirmed=("${seeded[@]}")
confirmed[0]=$new_title
confirmed[1]=$new_url
e2e_editor_expect_boxes "${confirmed[@]}"
e2e_editor_click_button Cancel
e2e_editor_wait_closed Cancel

e2e_open_menu
e2e_menu_choose Up Return
E2E_FOLDER_SHOT=quit-save-error
e2e_folder_expect_message "Quorvel 終了エラー"
e2e_expect_exit_status 0
cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" || e2e_fail "the read-only store changed: $(cat "$E2E_STORE")"
leftovers=$(find "$(dirname "$E2E_STORE")" -mindepth 1 ! -name Quorvel.ini -printf '%P ')
e2e_expect_eq "other files in the read-only config folder" "" "$leftovers"
e2e_pass
