#!/bin/bash
# SPDX-License-Identifier: MIT
# URL編集 while the editor is open shows the same, single window with the typing
# intact; 終了 then saves the table as last confirmed by OK, not the typing, and
# closes the editor. Usage: 11_editor_reopen.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 11_editor_reopen "${1:-}"
e2e_start_x
e2e_start_tray
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
ok_title="確定した題"
open_title="途中の入力"
e2e_editor_keys "$ok_title" "$open_title"

e2e_five_bookmarks seeded "栞 " "http://seeded.quorvel.example/"
e2e_seed_store "${seeded[@]}"
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked

e2e_editor_open
e2e_editor_expect_boxes "${seeded[@]}"
confirmed=("${seeded[@]}")
confirmed[0]=$ok_title
confirmed[1]="http://confirmed.quorvel.example/"
e2e_editor_set title 0 "${confirmed[0]}"
e2e_editor_set url 0 "${confirmed[1]}"
e2e_editor_click_button OK
e2e_editor_wait_closed OK
e2e_expect_store "${confirmed[@]}"
# Gone again, so that only a save at 終了 can bring it back.
rm -f "$E2E_STORE"

e2e_editor_open
e2e_editor_expect_boxes "${confirmed[@]}"
unconfirmed=("${confirmed[@]}")
unconfirmed[1]="http://unconfirmed.quorvel.example/"
unconfirmed[6]=$open_title
e2e_editor_set url 0 "${unconfirmed[1]}"
e2e_editor_set title 3 "${unconfirmed[6]}"
first_id=$E2E_EDITOR_ID
e2e_editor_open
e2e_expect_eq "editor window after URL編集 a second time" "$first_id" "$E2E_EDITOR_ID"
e2e_screenshot editor-second-open "$E2E_EDITOR_X" "$E2E_EDITOR_Y" "$E2E_EDITOR_W" "$E2E_EDITOR_H"
e2e_editor_expect_boxes "${unconfirmed[@]}"

e2e_quit
e2e_wait_no_windows
e2e_expect_store "${confirmed[@]}"
e2e_pass
