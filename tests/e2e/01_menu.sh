#!/bin/bash
# SPDX-License-Identifier: MIT
# First run: the icon docks, a right press shows exactly one menu, and the menu
# holds five "作者HP" bookmarks, a separator, URL編集, ヘルプ, a separator and 終了,
# in that order. Usage: 01_menu.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 01_menu "${1:-}"
e2e_start_x
e2e_start_tray
e2e_start_program
e2e_wait_docked
e2e_log "icon docked: ${E2E_ICON_W}x${E2E_ICON_H}+${E2E_ICON_X}+${E2E_ICON_Y}"

e2e_open_menu
e2e_log "menu: ${E2E_MENU_W}x${E2E_MENU_H}+${E2E_MENU_X}+${E2E_MENU_Y}"
e2e_screenshot_menu menu-first-run

# Find the eight selectable rows by walking them with Down.
e2e_menu_rows 8
for k in 1 2 3 4 5 6 7 8; do
    ((E2E_ROW_TOP[k] >= 0 && E2E_ROW_BOTTOM[k] <= E2E_MENU_H)) ||
        e2e_fail "row $k (${E2E_ROW_TOP[k]}..${E2E_ROW_BOTTOM[k]}) lies outside the ${E2E_MENU_H}-pixel-high menu"
    ((k == 1)) && continue
    ((E2E_ROW_TOP[k] >= E2E_ROW_BOTTOM[k - 1])) ||
        e2e_fail "Down #$k highlighted row at y=${E2E_ROW_TOP[k]}, expected below row $((k - 1)) (ends at ${E2E_ROW_BOTTOM[k - 1]})"
    e2e_expect_eq "height of row $k" $((E2E_ROW_BOTTOM[1] - E2E_ROW_TOP[1])) $((E2E_ROW_BOTTOM[k] - E2E_ROW_TOP[k]))
done

# Rows 1-5 and 6-7 are adjacent; a separator sits between 5 and 6 and between 7 and 8.
pitch=$((E2E_ROW_TOP[2] - E2E_ROW_TOP[1]))
for k in 3 4 5 7; do
    e2e_expect_eq "distance from row $((k - 1)) to row $k (no separator)" "$pitch" $((E2E_ROW_TOP[k] - E2E_ROW_TOP[k - 1]))
done
gap56=$((E2E_ROW_TOP[6] - E2E_ROW_TOP[5]))
gap78=$((E2E_ROW_TOP[8] - E2E_ROW_TOP[7]))
((gap56 > pitch)) || e2e_fail "expected a separator between row 5 and row 6: distance $gap56, row pitch $pitch"
((gap78 > pitch)) || e2e_fail "expected a separator between row 7 and row 8: distance $gap78, row pitch $pitch"
e2e_expect_eq "separator gap 5-6 vs 7-8" "$gap56" "$gap78"
for pair in 5:6 7:8; do
    a=${pair%:*} b=${pair#*:}
    k=$(e2e_menu_area_colours "${E2E_ROW_LEFT[a]}" "${E2E_ROW_BOTTOM[a]}" "${E2E_ROW_RIGHT[a]}" "${E2E_ROW_TOP[b]}")
    ((k >= 2)) || e2e_fail "expected a separator line between row $a and row $b, the area is one flat colour"
done

# Equal captions give equal pixels: the five bookmark rows look alike, the
# other three differ from them and from each other; no row is blank.
declare -A sig
for k in 1 2 3 4 5 6 7 8; do
    sig[$k]=$(e2e_row_signature "$k")
    c=$(e2e_row_colours "$k")
    ((c >= 2)) || e2e_fail "row $k is blank (one colour)"
done
for k in 2 3 4 5; do
    [[ ${sig[$k]} == "${sig[1]}" ]] || e2e_fail "row $k looks different from row 1; expected five identical bookmark captions (作者HP)"
done
for k in 6 7 8; do
    [[ ${sig[$k]} != "${sig[1]}" ]] || e2e_fail "row $k looks like a bookmark row; expected URL編集/ヘルプ/終了"
done
[[ ${sig[6]} != "${sig[7]}" && ${sig[7]} != "${sig[8]}" && ${sig[6]} != "${sig[8]}" ]] ||
    e2e_fail "rows 6, 7 and 8 should have three different captions"
e2e_screenshot_menu menu-last-row-selected

e2e_menu_choose Escape
e2e_opener_count
e2e_expect_eq "opener calls after opening and closing the menu" 0 "$E2E_OPENER_COUNT"

# By keyboard: the first and the last bookmark open the default URL (03 checks
# every bookmark's own URL). URL編集 does nothing: the next call recorded is
# that of the bookmark chosen after it. ヘルプ opens the help page beside the
# executable.
e2e_menu_pick 1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_DEFAULT_URL"
e2e_menu_pick 5
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$E2E_DEFAULT_URL"
e2e_menu_pick 6
e2e_program_alive || e2e_fail "the program exited after URL編集"
e2e_menu_pick 1
e2e_wait_opener_calls 3
e2e_expect_opener_call 3 "$E2E_DEFAULT_URL"
e2e_menu_pick 7
e2e_wait_opener_calls 4
e2e_expect_opener_call 4 "$E2E_PROGRAM_DIR/Help/help.html"

# Up from nothing selects the last item, 終了.
e2e_quit
e2e_wait_no_windows
e2e_opener_count
e2e_expect_eq "opener calls at the end" 4 "$E2E_OPENER_COUNT"
e2e_pass
