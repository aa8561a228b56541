# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The tray icon's popup menu: opening, choosing, and its rows found by highlight.

E2E_MENU_TAKES_FOCUS=0 # 1: the menu is given the keyboard focus once open (Wine)

e2e__menu_shown() {
    # The icon alone is visible until the menu maps.
    e2e_list_windows
    ((${#E2E_WINS[@]} >= 2)) || return 1
    e2e_windows_of popup
    ((${#E2E_KIND_WINS[@]} >= 1)) || return 1
    local id kind x y w h
    read -r id kind x y w h <<<"${E2E_KIND_WINS[0]}"
    e2e__painted "$x" "$y" "$w" "$h"
}

e2e__menu_closed() { e2e_list_windows; e2e_windows_of popup; ((${#E2E_KIND_WINS[@]} == 0)); }

e2e_wait_menu_closed() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__menu_closed ||
        e2e_fail "expected the popup menu to close, saw: $(e2e__windows_text)"
}

# e2e_press_icon BUTTON: moves the pointer onto the icon and presses (and
# releases) BUTTON: 1 left, 3 right. Successive presses alternate between two
# points more than Qt's double-click distance (5 px) apart: a second press at
# the same spot within the double-click interval arrives as a double click,
# which does not open the menu.
E2E__PRESS_SIDE=0
e2e_press_icon() {
    e2e_wait_docked
    e2e_windows_of popup
    ((${#E2E_KIND_WINS[@]} == 0)) || e2e_fail "a popup is already open before pressing the icon: ${E2E_KIND_WINS[*]}"
    local x=$((E2E_ICON_X + E2E_ICON_W / 2)) y=$((E2E_ICON_Y + E2E_ICON_H / 2))
    if ((E2E_ICON_W >= 16)); then
        E2E__PRESS_SIDE=$((1 - E2E__PRESS_SIDE))
        x=$((E2E_ICON_X + (E2E__PRESS_SIDE ? E2E_ICON_W / 4 : E2E_ICON_W * 3 / 4)))
    fi
    # --delay 0: xdotool otherwise sleeps 100 ms after the click.
    xdotool mousemove "$x" "$y" click --delay 0 "$1" || e2e_fail "xdotool could not click button $1 on the icon"
}

# e2e_open_menu: right press on the icon, then waits for exactly one painted
# popup menu; sets E2E_MENU_{ID,X,Y,W,H}.
e2e_open_menu() {
    e2e_press_icon 3
    e2e_poll "$E2E_TIMEOUT_MS" e2e__menu_shown ||
        e2e_fail "expected a painted popup menu (override-redirect window of class $E2E_CLASS, >= 8 colours) after a right press on the icon, saw: $(e2e__windows_text)"
    ((${#E2E_KIND_WINS[@]} == 1)) || e2e_fail "expected exactly one popup menu, saw ${#E2E_KIND_WINS[@]}: ${E2E_KIND_WINS[*]}"
    e2e__set_geometry E2E_MENU "${E2E_KIND_WINS[0]}"
    # Wine keeps X's keyboard focus where it was; the keys must reach the menu.
    if ((E2E_MENU_TAKES_FOCUS)); then
        xdotool windowfocus "$E2E_MENU_ID" || e2e_fail "xdotool could not focus the menu $E2E_MENU_ID"
    fi
}

# e2e_menu_choose KEY...: types the keys into the open menu (e.g. Down Down
# Return) and waits until the menu has closed.
e2e_menu_choose() {
    xdotool key "$@" || e2e_fail "xdotool key $* failed"
    e2e_poll "$E2E_TIMEOUT_MS" e2e__window_gone "$E2E_MENU_ID" ||
        e2e_fail "expected the popup menu $E2E_MENU_ID to close after the keys $*, saw: $(e2e__windows_text)"
}

# e2e_quit: 終了 (the last row, Up from none) and the program exits with status 0.
e2e_quit() {
    e2e_open_menu
    e2e_menu_choose Up Return
    e2e_expect_exit_status 0
}

# e2e_menu_pick N: opens the menu and chooses the N-th selectable item by keyboard.
e2e_menu_pick() {
    local keys=() i
    for ((i = 0; i < $1; i++)); do keys+=(Down); done
    e2e_open_menu
    e2e_menu_choose "${keys[@]}" Return
}

# ---------------------------------------------------------------- menu rows

e2e__menu_area() { printf '%s ' "$E2E_MENU_X" "$E2E_MENU_Y" "$E2E_MENU_W" "$E2E_MENU_H"; }

# Succeeds once the changed area (against the unhighlighted menu) differs from
# the previous highlight and two grabs in a row agree (the repaint is complete).
e2e__highlight_moved() {
    # shellcheck disable=SC2046
    E2E__BOX=$("$E2E_PROBE" diffbox $(e2e__menu_area) "$E2E_TMP/menu-base.ppm") || return 1
    if [[ $E2E__BOX != none && $E2E__BOX != "$E2E__PREV_BOX" && $E2E__BOX == "$E2E__CAND_BOX" ]]; then
        return 0
    fi
    E2E__CAND_BOX=$E2E__BOX
    return 1
}

# e2e_menu_rows N: with the menu just opened (nothing highlighted), presses
# Down N times and records each highlighted row's box relative to the menu in
# E2E_ROW_{TOP,BOTTOM,LEFT,RIGHT}[1..N] (bottom and right exclusive). The
# unhighlighted menu image stays in $E2E_TMP/menu-base.ppm. This finds the rows
# without knowing the style's metrics.
e2e_menu_rows() {
    local n=$1 k w h x y
    E2E_ROW_TOP=() E2E_ROW_BOTTOM=() E2E_ROW_LEFT=() E2E_ROW_RIGHT=()
    # shellcheck disable=SC2046
    "$E2E_PROBE" grab $(e2e__menu_area) "$E2E_TMP/menu-base.ppm" || e2e_fail "could not grab the menu"
    E2E__PREV_BOX=none
    for ((k = 1; k <= n; k++)); do
        xdotool key Down || e2e_fail "xdotool key Down failed"
        E2E__CAND_BOX=""
        e2e_poll "$E2E_TIMEOUT_MS" e2e__highlight_moved ||
            e2e_fail "after Down #$k expected a newly highlighted menu row; the changed area stayed '${E2E__BOX:-none}' (before: '$E2E__PREV_BOX')"
        E2E__PREV_BOX=$E2E__BOX
        [[ $E2E__BOX =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || e2e_fail "bad box '$E2E__BOX'"
        w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
        E2E_ROW_TOP[k]=$y E2E_ROW_BOTTOM[k]=$((y + h)) E2E_ROW_LEFT[k]=$x E2E_ROW_RIGHT[k]=$((x + w))
        e2e_log "row $k: ${w}x${h}+${x}+${y}"
    done
}

# e2e_menu_expect_layout: with the menu just opened, its eight rows are five bookmarks with the
# same caption, a separator, two other captions (URL編集, ヘルプ), a separator and a third (終了),
# and none is blank. Leaves the last row highlighted.
e2e_menu_expect_layout() {
    local k c pitch gap56 gap78 pair a b
    local -A sig
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
}

# Crop of row K's inside (2 px in from the highlight box, which may cover
# the menu frame) of the unhighlighted menu.
e2e__row_crop() {
    local k=$1
    printf '%dx%d+%d+%d' $((E2E_ROW_RIGHT[k] - E2E_ROW_LEFT[k] - 4)) $((E2E_ROW_BOTTOM[k] - E2E_ROW_TOP[k] - 4)) \
        $((E2E_ROW_LEFT[k] + 2)) $((E2E_ROW_TOP[k] + 2))
}

# e2e_row_signature K: pixel hash of row K; equal captions give equal hashes.
e2e_row_signature() { convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$1")" +repage -format '%#' info:; }

e2e_row_colours() { convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$1")" +repage -format '%k' info:; }

# e2e_menu_area_colours X0 Y0 X1 Y1: colours in a box of the unhighlighted menu (end exclusive).
e2e_menu_area_colours() {
    convert "$E2E_TMP/menu-base.ppm" -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage -format '%k' info:
}

# against the row's background.
e2e_row_text_width() {
    convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$1")" +repage -fuzz 20% -trim -format '%w' info:
}
