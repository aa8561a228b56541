# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The program's windows on the display: listing, the docked icon, titled windows,
# focus, colours and screenshots.

# e2e_list_windows: E2E_WINS gets one "ID KIND X Y W H" line per visible
# window of the program's class (ID in decimal, as xdotool prints it), and
# E2E_WIN_TITLES[ID] its title. KIND: icon (docked: its parent is not the root;
# on Wine the icon is a window of class E2E_ICON_CLASS), popup
# (override-redirect, e.g. a menu), window (others).
e2e_list_windows() {
    local class id x y w h ovr top title classes=("$E2E_CLASS")
    E2E_WINS=()
    declare -gA E2E_WIN_TITLES=()
    [[ $E2E_ICON_CLASS != "$E2E_CLASS" ]] && classes+=("$E2E_ICON_CLASS")
    for class in "${classes[@]}"; do
        while read -r id x y w h ovr top title; do
            if [[ $class == "$E2E_ICON_CLASS" && $top == 0 ]]; then
                E2E_WINS+=("$id icon $x $y $w $h")
            elif [[ $class != "$E2E_CLASS" ]]; then
                continue
            elif [[ $ovr == 1 ]]; then
                E2E_WINS+=("$id popup $x $y $w $h")
            else
                E2E_WINS+=("$id window $x $y $w $h")
            fi
            E2E_WIN_TITLES[$id]=$title
        done < <("$E2E_PROBE" find "$class" 2>/dev/null)
    done
}

# Visible windows of the class, into E2E__VISIBLE.
e2e__visible_count() { e2e_list_windows; E2E__VISIBLE=${#E2E_WINS[@]}; }

# e2e_windows_of KIND: E2E_KIND_WINS gets the matching lines of E2E_WINS.
e2e_windows_of() {
    local line
    E2E_KIND_WINS=()
    for line in "${E2E_WINS[@]}"; do
        [[ ${line#* } == "$1 "* ]] && E2E_KIND_WINS+=("$line")
    done
    return 0
}

e2e__windows_text() { e2e_list_windows; printf '%s; ' "${E2E_WINS[@]:-none}"; }

# e2e_count KIND: prints how many visible windows of that kind exist now.
e2e_count() { e2e_list_windows; e2e_windows_of "$1"; echo "${#E2E_KIND_WINS[@]}"; }

e2e__set_geometry() { # PREFIX "ID KIND X Y W H"
    local id kind x y w h
    read -r id kind x y w h <<<"$2"
    printf -v "${1}_ID" %s "$id"
    printf -v "${1}_X" %s "$x"
    printf -v "${1}_Y" %s "$y"
    printf -v "${1}_W" %s "$w"
    printf -v "${1}_H" %s "$h"
}

e2e__icon_present() { e2e_list_windows; e2e_windows_of icon; ((${#E2E_KIND_WINS[@]} >= 1)); }
e2e__icon_absent() { e2e_list_windows; e2e_windows_of icon; ((${#E2E_KIND_WINS[@]} == 0)); }

# e2e_wait_docked: waits for the docked icon, checks there is exactly one and
# sets E2E_ICON_{ID,X,Y,W,H}.
e2e_wait_docked() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__icon_present ||
        e2e_fail "expected a docked tray icon (visible window of class $E2E_ICON_CLASS with a non-root parent) within $E2E_TIMEOUT_MS ms; program alive: $(e2e_program_alive && echo yes || echo no); saw: $(e2e__windows_text)"
    ((${#E2E_KIND_WINS[@]} == 1)) || e2e_fail "expected exactly one docked icon, saw ${#E2E_KIND_WINS[@]}: ${E2E_KIND_WINS[*]}"
    e2e__set_geometry E2E_ICON "${E2E_KIND_WINS[0]}"
    ((E2E_ICON_W > 0 && E2E_ICON_H > 0)) || e2e_fail "docked icon has no size: ${E2E_KIND_WINS[0]}"
}

e2e_wait_undocked() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__icon_absent ||
        e2e_fail "expected no docked icon of class $E2E_CLASS, saw: $(e2e__windows_text)"
}

e2e__program_windows_gone() { e2e_list_windows; ((${#E2E_WINS[@]} == 0)); }

e2e_wait_no_windows() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__program_windows_gone ||
        e2e_fail "expected no visible window of class $E2E_CLASS, saw: $(e2e__windows_text)"
}

# Colours in a screen area (capped at 64); a freshly mapped window shows one or
# two until painted.
e2e_colours() { "$E2E_PROBE" colours "$@" 2>/dev/null; }

e2e__painted() { local k; k=$(e2e_colours "$@"); [[ $k =~ ^[0-9]+$ ]] && ((k >= 8)); }

e2e__named_shown() { # REGEX (of the whole title)
    local line
    E2E__NAMED=()
    e2e_list_windows
    for line in "${E2E_WINS[@]}"; do
        [[ ${E2E_WIN_TITLES[${line%% *}]} =~ $1 ]] && E2E__NAMED+=("$line")
    done
    ((${#E2E__NAMED[@]} >= 1)) || return 1
    local x y w h
    read -r _ _ x y w h <<<"${E2E__NAMED[0]}"
    e2e__painted "$x" "$y" "$w" "$h"
}

# e2e_wait_window_titled TITLE: waits for exactly one visible, painted window
# of the program whose title is TITLE; sets E2E_WIN_{ID,X,Y,W,H}.
e2e_wait_window_titled() {
    local re
    re="^$(printf '%s' "$1" | sed 's/[][\.*^$(){}?+|]/\\&/g')\$"
    e2e_poll "$E2E_TIMEOUT_MS" e2e__named_shown "$re" ||
        e2e_fail "expected a visible, painted window of class $E2E_CLASS titled '$1', saw: $(e2e__windows_text)"
    ((${#E2E__NAMED[@]} == 1)) || e2e_fail "expected exactly one window titled '$1', saw ${#E2E__NAMED[@]}: ${E2E__NAMED[*]}"
    e2e__set_geometry E2E_WIN "${E2E__NAMED[0]}"
}

e2e__window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

e2e_wait_window_gone() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__window_gone "$1" || e2e_fail "expected window $1 to close, it is still visible"
}

e2e__has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }

# e2e_focus_window ID: gives a window the keyboard focus (there is no window
# manager to do it) and waits until the server reports it focused.
# Asks again on every poll: a request made before the window is mapped is lost.
e2e__focus_now() { xdotool windowfocus "$1" 2>/dev/null; e2e__has_focus "$1"; }
e2e_focus_window() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__focus_now "$1" ||
        e2e_fail "expected window $1 to get the keyboard focus, focus is on $(xdotool getwindowfocus 2>&1)"
}

# ---------------------------------------------------------------- screenshots

# e2e_screenshot NAME [X Y W H]: saves the screen (or an area) as NAME.png in
# the artifacts directory.
e2e_screenshot() {
    local out=$E2E_ARTIFACTS/$1.png
    if (($# == 5)); then
        import -silent -window root -crop "${4}x${5}+${2}+${3}" +repage "$out" || e2e_fail "screenshot $out failed"
    else
        import -silent -window root "$out" || e2e_fail "screenshot $out failed"
    fi
    e2e_log "screenshot $out"
}

# e2e_screenshot_menu NAME: the open menu plus a margin (the icon shows too).
e2e_screenshot_menu() {
    local x=$((E2E_MENU_X > 10 ? E2E_MENU_X - 10 : 0)) y=$((E2E_MENU_Y > 10 ? E2E_MENU_Y - 10 : 0))
    e2e_screenshot "$1" "$x" "$y" $((E2E_MENU_X - x + E2E_MENU_W + 10)) $((E2E_MENU_Y - y + E2E_MENU_H + 10))
}
