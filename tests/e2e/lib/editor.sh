# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The bookmark editor.

E2E_EDITOR_TITLE='Quorvel Private URL Editor'
E2E_EDITOR_W=417
E2E_EDITOR_H=176

# e2e_editor_open: URL編集 (the sixth selectable row), then waits for the one
# editor window; sets E2E_EDITOR_{ID,X,Y}.
e2e_editor_open() {
    e2e_menu_pick 6
    e2e_wait_window_titled "$E2E_EDITOR_TITLE"
    E2E_EDITOR_ID=$E2E_WIN_ID E2E_EDITOR_X=$E2E_WIN_X E2E_EDITOR_Y=$E2E_WIN_Y
    e2e_expect_eq "editor client size" "${E2E_EDITOR_W}x${E2E_EDITOR_H}" "${E2E_WIN_W}x${E2E_WIN_H}"
}

e2e_editor_focus() { e2e_focus_window "$E2E_EDITOR_ID"; }

# e2e_editor_point title|url ROW / OK|Cancel: the middle of a box (ROW 0-4) or
# a button (73x25), in client coordinates at 96 dpi (E2E_EDITOR_DX, _DY) and
# on the screen for the open editor (E2E_EDITOR_PX, _PY).
e2e_editor_point() {
    case $1 in
        title) E2E_EDITOR_DX=$((24 + 56)) E2E_EDITOR_DY=$((24 + 24 * $2 + 9)) ;;
        url) E2E_EDITOR_DX=$((144 + 132)) E2E_EDITOR_DY=$((24 + 24 * $2 + 9)) ;;
        OK | ok) E2E_EDITOR_DX=$((336 + 36)) E2E_EDITOR_DY=$((144 + 12)) ;;
        Cancel | cancel) E2E_EDITOR_DX=$((248 + 36)) E2E_EDITOR_DY=$((144 + 12)) ;;
        *) e2e_fail "e2e_editor_point: unknown part of the editor: $1" ;;
    esac
    E2E_EDITOR_PX=$((${E2E_EDITOR_X:-0} + E2E_EDITOR_DX)) E2E_EDITOR_PY=$((${E2E_EDITOR_Y:-0} + E2E_EDITOR_DY))
}

# e2e_editor_click_box KIND ROW [KEY...]: clicks the middle of a box (KIND
# title or url, ROW 0-4), then presses the keys.
e2e_editor_click_box() {
    local keys=()
    [[ $1 == title || $1 == url ]] || e2e_fail "e2e_editor_click_box: unknown box kind $1"
    e2e_editor_point "$1" "$2"
    (($# > 2)) && keys=(key "${@:3}")
    xdotool mousemove "$E2E_EDITOR_PX" "$E2E_EDITOR_PY" click --delay 0 1 "${keys[@]}" ||
        e2e_fail "xdotool could not click the $1 box of row $2 (keys: ${*:3})"
}

# e2e_editor_read KIND ROW: the box's text, through Ctrl+A Ctrl+C and the
# CLIPBOARD selection (emptied first). Sets E2E_EDITOR_TEXT.
e2e_editor_read() {
    "$E2E_PROBE" clear CLIPBOARD
    e2e_editor_click_box "$1" "$2" ctrl+a ctrl+c
    e2e_poll "$E2E_TIMEOUT_MS" e2e_folder__read_selection CLIPBOARD ||
        e2e_fail "could not copy the $1 box of row $2 (empty box, or no copy)"
    E2E_EDITOR_TEXT=$E2E_FOLDER_TEXT
}

# e2e_editor_expect_boxes TITLE0 URL0 ... TITLE4 URL4: every box shows its value.
e2e_editor_expect_boxes() {
    (($# == 10)) || e2e_fail "e2e_editor_expect_boxes needs 10 values, got $#"
    local vals=("$@") row
    e2e_editor_focus
    for row in 0 1 2 3 4; do
        e2e_editor_read title "$row"
        e2e_expect_eq "editor title box $((row + 1))" "${vals[2 * row]}" "$E2E_EDITOR_TEXT"
        e2e_editor_read url "$row"
        e2e_expect_eq "editor URL box $((row + 1))" "${vals[2 * row + 1]}" "$E2E_EDITOR_TEXT"
    done
}

# e2e_editor_keys TEXT...: puts every character of TEXT on a key of its own,
# before the program starts: xdotool would otherwise remap a key for each
# character not on the keyboard and undo it at once, and the program, reading
# the keymap after the undo, loses the character now and then.
e2e_editor_keys() {
    "$E2E_PROBE" keys "$@" || e2e_fail "could not put the characters of $* on keys"
}

# e2e_editor_type TEXT: types into the focused box (Japanese too, once on keys).
e2e_editor_type() {
    "$E2E_PROBE" keys --check "$1" || e2e_fail "characters of $(printf '%q' "$1") are not on keys: call e2e_editor_keys first"
    xdotool type --delay 20 -- "$1" || e2e_fail "xdotool could not type $(printf '%q' "$1")"
}

# e2e_editor_set KIND ROW TEXT: replaces a box's text (empty: clears it) and
# reads it back, so that a lost key shows here and not later.
e2e_editor_set() {
    e2e_editor_click_box "$1" "$2" ctrl+a BackSpace
    [[ -n $3 ]] || return 0
    e2e_editor_type "$3"
    e2e_editor_read "$1" "$2"
    e2e_expect_eq "the $1 box of row $2 after typing" "$3" "$E2E_EDITOR_TEXT"
}

# e2e_editor_click_button Cancel|OK: clicks the button (e2e_editor_wait_closed waits).
e2e_editor_click_button() {
    [[ $1 == [Oo][Kk] || $1 == [Cc]ancel ]] || e2e_fail "e2e_editor_click_button: unknown button $1"
    e2e_editor_point "$1"
    xdotool mousemove "$E2E_EDITOR_PX" "$E2E_EDITOR_PY" click --delay 0 1 || e2e_fail "xdotool could not click $1"
}

e2e_editor_wait_closed() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__window_gone "$E2E_EDITOR_ID" ||
        e2e_fail "expected the editor ($E2E_EDITOR_ID) to close after $1, it is still shown"
}

# e2e_editor_close: WM_DELETE_WINDOW, as a window manager sends for the title bar's close button.
e2e_editor_close() {
    "$E2E_PROBE" close "$E2E_EDITOR_ID" || e2e_fail "could not send WM_DELETE_WINDOW to the editor"
    e2e_editor_wait_closed "WM_DELETE_WINDOW"
}

# e2e_editor_menu_signatures: opens the menu and sets E2E_EDITOR_SIG[1..5],
# pixel hashes of the five bookmark captions, trimmed so that they do not
# depend on the menu's width (the longest caption); closes the menu.
e2e_editor_menu_signatures() {
    local k
    E2E_EDITOR_SIG=()
    e2e_open_menu
    e2e_menu_rows 5
    for k in 1 2 3 4 5; do
        E2E_EDITOR_SIG[k]=$(convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$k")" +repage \
            -fuzz 20% -trim +repage -format '%wx%h %#' info:)
    done
    e2e_menu_choose Escape
}
