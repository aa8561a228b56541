#!/bin/bash
# SPDX-License-Identifier: MIT
# The bookmark editor (URL編集): it opens with the table's values and the focus
# on OK; Tab goes OK, Cancel, title 1, URL 1, ... URL 5 and back to OK; Enter
# and Esc do nothing. OK takes all ten boxes (an empty one becomes the default),
# renames the menu at once and saves the store at once; Cancel and the window's
# close button change nothing. Usage: 10_editor.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 10_editor "${1:-}"
e2e_start_x
e2e_start_tray
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
jp_title="日本語の題名　全角空白"
jp_url="https://例え.テスト/パス?q=値&r=2"
cancel_title="取り消す題"
close_title="閉じる題"
e2e_editor_keys "題" "$jp_title" "$jp_url" "$cancel_title" "$close_title"
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
e2e_defaults
calls=0

expect_bookmark_opens() { # ROW(1-5) URL
    e2e_menu_pick "$1"
    calls=$((calls + 1))
    e2e_wait_opener_calls "$calls"
    e2e_expect_opener_call "$calls" "$2"
}

# First opening: the defaults; Cancel saves nothing.
e2e_editor_open
e2e_editor_focus
e2e_screenshot editor-first-open "$E2E_EDITOR_X" "$E2E_EDITOR_Y" "$E2E_EDITOR_W" "$E2E_EDITOR_H"
e2e_editor_expect_boxes "${E2E_DEFAULTS[@]}"
e2e_editor_click_button Cancel
e2e_editor_wait_closed Cancel
[[ ! -e $E2E_STORE ]] || e2e_fail "Cancel wrote the store: $(cat "$E2E_STORE")"

# By keyboard alone. A box entered by Tab has its text selected, so typing
# replaces it; if Enter or Esc acted, or the focus did not start on OK, or the
# order differed, other values would end up in the store.
e2e_editor_open
e2e_editor_focus
xdotool key Return Escape Tab Tab || e2e_fail "xdotool key failed"
tabbed=()
for row in 0 1 2 3 4; do
    tabbed+=("題$row" "http://tab.quorvel.example/$row")
    e2e_editor_type "題$row"
    xdotool key Tab || e2e_fail "xdotool key Tab failed"
    e2e_editor_type "http://tab.quorvel.example/$row"
    xdotool key Tab || e2e_fail "xdotool key Tab failed"
done
xdotool key space || e2e_fail "xdotool key space failed"
e2e_editor_wait_closed "Tab round to OK and space"
# Saved at once, while the program runs.
e2e_expect_store "${tabbed[@]}"
expect_bookmark_opens 3 "${tabbed[5]}"

# By mouse: Japanese text, and emptied boxes that become the defaults.
e2e_editor_open
e2e_editor_expect_boxes "${tabbed[@]}"
confirmed=("${tabbed[@]}")
confirmed[2]=$jp_title
confirmed[3]=$jp_url
e2e_editor_set title 1 "${confirmed[2]}"
e2e_editor_set url 1 "${confirmed[3]}"
e2e_editor_set title 4 ""
e2e_editor_set url 4 ""
confirmed[8]=$E2E_DEFAULT_TITLE
confirmed[9]=$E2E_DEFAULT_URL
e2e_screenshot editor-typed "$E2E_EDITOR_X" "$E2E_EDITOR_Y" "$E2E_EDITOR_W" "$E2E_EDITOR_H"
e2e_editor_click_button OK
e2e_editor_wait_closed OK
e2e_expect_store "${confirmed[@]}"
cp "$E2E_STORE" "$E2E_TMP/confirmed.ini"
e2e_open_menu
e2e_screenshot_menu menu-after-ok
e2e_menu_choose Escape
e2e_editor_menu_signatures
sig_after_ok=()
for k in 1 2 3 4 5; do sig_after_ok[k]=${E2E_EDITOR_SIG[k]}; done
[[ ${E2E_EDITOR_SIG[2]} != "${E2E_EDITOR_SIG[1]}" && ${E2E_EDITOR_SIG[2]} != "${E2E_EDITOR_SIG[5]}" ]] ||
    e2e_fail "the menu row of the new Japanese title looks like another row"
expect_bookmark_opens 2 "${confirmed[3]}"
expect_bookmark_opens 5 "$E2E_DEFAULT_URL"

# Cancel and the close button change nothing; the next opening shows the table.
e2e_editor_open
e2e_editor_set title 0 "$cancel_title"
e2e_editor_set url 0 "http://cancel.quorvel.example/"
e2e_editor_click_button Cancel
e2e_editor_wait_closed Cancel
cmp -s "$E2E_TMP/confirmed.ini" "$E2E_STORE" || e2e_fail "Cancel changed the store: $(cat "$E2E_STORE")"
expect_bookmark_opens 1 "${confirmed[1]}"
e2e_editor_open
e2e_editor_expect_boxes "${confirmed[@]}"
e2e_editor_set title 2 "$close_title"
e2e_editor_set url 2 "http://close.quorvel.example/"
e2e_editor_close
cmp -s "$E2E_TMP/confirmed.ini" "$E2E_STORE" || e2e_fail "closing the editor changed the store: $(cat "$E2E_STORE")"
expect_bookmark_opens 3 "${confirmed[5]}"

e2e_quit
e2e_wait_no_windows
e2e_expect_store "${confirmed[@]}"

# The next run draws the same captions as the menu did right after OK.
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
e2e_editor_menu_signatures
for k in 1 2 3 4 5; do
    [[ ${E2E_EDITOR_SIG[k]} == "${sig_after_ok[k]}" ]] ||
        e2e_fail "menu row $k after a restart differs from the row drawn right after OK (title ${confirmed[2 * k - 2]})"
done
e2e_editor_open
e2e_editor_expect_boxes "${confirmed[@]}"
e2e_quit
e2e_expect_store "${confirmed[@]}"
e2e_pass
