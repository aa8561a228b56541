#!/bin/bash
# SPDX-License-Identifier: MIT
# A screen reader's view, through the desktop's accessibility bus: the menu's bookmark items
# read as their titles with their URLs as descriptions; the editor is a dialog named by its
# caption whose boxes are named by row and column and labelled by their row number. Row 3 is
# then filled and OK pressed by accessibility calls alone, and the store holds it.
# Usage: 19_accessibility.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 19_accessibility "${1:-}"
e2e_start_x
e2e_start_tray
e2e_atspi_start
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
e2e_defaults

# The menu is a popup, outside the application's tree: it is found as a screen reader finds
# it, by the focus event of its first item.
"$E2E_ATSPI_PYTHON" "$E2E_ATSPI_PROBE" menu Quorvel >"$E2E_TMP/menu-tree.txt" 2>"$E2E_TMP/atspi-menu.log" &
probe=$!
e2e__track "$probe" "atspi menu probe"
e2e_poll "$E2E_TIMEOUT_MS" grep -qx ready "$E2E_TMP/menu-tree.txt" ||
    e2e_fail "the menu probe did not start listening: $(cat "$E2E_TMP/atspi-menu.log")"
e2e_open_menu
xdotool key Down || e2e_fail "xdotool key Down failed"
e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$probe" || e2e_fail "the menu probe saw no menu item take the focus"
wait "$probe" || e2e_fail "the menu probe failed: $(cat "$E2E_TMP/atspi-menu.log")"
e2e__untrack "$probe"
e2e_screenshot_menu menu
e2e_menu_choose Escape
item="menu item \"$E2E_DEFAULT_TITLE\" description=\"$E2E_DEFAULT_URL\""
expected_menu=$(printf '%s\n' ready 'popup menu ""' "  $item" "  $item" "  $item" "  $item" "  $item" \
    '  separator ""' '  menu item "URL編集"' '  menu item "ヘルプ"' '  separator ""' '  menu item "終了"')
e2e_expect_eq "the menu as read through AT-SPI" "$expected_menu" "$(cat "$E2E_TMP/menu-tree.txt")"

e2e_editor_open
e2e_screenshot editor "$E2E_EDITOR_X" "$E2E_EDITOR_Y" "$E2E_EDITOR_W" "$E2E_EDITOR_H"
e2e_atspi tree Quorvel "$E2E_EDITOR_TITLE"
printf '%s\n' "$E2E_ATSPI_OUT" >"$E2E_ARTIFACTS/editor-tree.txt"
expected_editor=("dialog \"$E2E_EDITOR_TITLE\"" '  label "タイトル"' '  label "URL"')
for row in 1 2 3 4 5; do
    expected_editor+=("  label \"$row.\"")
done
# The buttons' clicks go to the dialog, which Qt reports as a relation.
for button in OK Cancel; do
    expected_editor+=("  push button \"$button\" controller-for=\"$E2E_EDITOR_TITLE\"")
done
for row in 1 2 3 4 5; do
    expected_editor+=("  text \"$row. タイトル\" labelled-by=\"$row.\" text=\"$E2E_DEFAULT_TITLE\""
        "  text \"$row. URL\" labelled-by=\"$row.\" text=\"$E2E_DEFAULT_URL\"")
done
e2e_expect_eq "the editor as read through AT-SPI" "$(printf '%s\n' "${expected_editor[@]}")" "$E2E_ATSPI_OUT"

# Row 3 by accessibility calls alone: the boxes' text set, then OK's Press action.
e2e_atspi fill Quorvel "$E2E_EDITOR_TITLE" "3. タイトル" "三番目の題" "3. URL" "https://three.example/パス"
e2e_screenshot editor-filled "$E2E_EDITOR_X" "$E2E_EDITOR_Y" "$E2E_EDITOR_W" "$E2E_EDITOR_H"
e2e_atspi fill Quorvel "$E2E_EDITOR_TITLE" --press OK
e2e_editor_wait_closed "OK pressed through AT-SPI"
confirmed=("${E2E_DEFAULTS[@]}")
confirmed[4]="三番目の題"
confirmed[5]="https://three.example/パス"
e2e_expect_store "${confirmed[@]}"

e2e_open_menu
e2e_menu_choose Up Return
e2e_expect_exit_status 0
e2e_expect_store "${confirmed[@]}"
e2e_pass
