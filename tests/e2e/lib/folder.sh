# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The private folder, its message boxes, and other X clients (the probe's peer
# commands) as its windows, a stand-in window manager and clipboard access.

E2E_FOLDER_BOX_TITLE='Quorvel フォルダーエラー'
E2E_FOLDER_PINGS=0
declare -gA E2E_FOLDER_PEER_PID=() E2E_FOLDER_PEER_ID=() E2E_FOLDER_PEER_LOG=()

# e2e_folder_program_dir DIR: a copy of the program (and Help/) in DIR, so that
# private folders are made there and not in the build tree. Sets
# E2E_FOLDER_EXE, E2E_FOLDER_DIR (resolved) and E2E_FOLDER_PATH (DIR/login name).
e2e_folder_program_dir() {
    mkdir -p "$1" || e2e_fail "could not make $1"
    cp "$E2E_PROGRAM" "$1/quorvel" && cp -r "$E2E_PROGRAM_DIR/Help" "$1/Help" ||
        e2e_fail "could not copy the program to $1"
    E2E_FOLDER_EXE=$1/quorvel
    E2E_FOLDER_DIR=$(readlink -f "$1")
    E2E_FOLDER_PATH=$E2E_FOLDER_DIR/$(id -un)
}

# e2e_folder_state PATH...: one line per entry under each PATH (itself
# included): type, owner, mode, size, mtime, link target and a content hash.
e2e_folder_state() {
    local p
    for p in "$@"; do
        [[ -e $p || -L $p ]] || { printf '%s absent\n' "$p"; continue; }
        find "$p" -printf '%p %y %U:%G %m %s %T@ ->%l ' -exec sh -c \
            'if [ -f "$1" ] && [ ! -L "$1" ]; then md5sum <"$1"; else echo -; fi' _ {} \; | sort
    done
}

# e2e_folder_read_message: the text of the message box in E2E_WIN_*, read by
# dragging over it with the mouse (the style lets a message be selected) and
# reading the PRIMARY selection. Sets E2E_FOLDER_MESSAGE.
e2e_folder_read_message() {
    local img=$E2E_TMP/message.ppm bg geo tx ty th
    "$E2E_PROBE" grab "$E2E_WIN_X" "$E2E_WIN_Y" "$E2E_WIN_W" "$E2E_WIN_H" "$img" ||
        e2e_fail "could not grab the message box"
    # The icon is the first thing drawn on the left, the text right of it after
    # a gap; the button sits at the bottom right, so a strip at the text's left
    # edge holds only the text lines. Columns with ink: the left half squeezed
    # to one row, background black, anything else white.
    bg=$(convert "$img" -format "%[pixel:p{$((E2E_WIN_W - 2)),2}]" info:)
    tx=$(convert "$img" -crop "$((E2E_WIN_W / 2))x${E2E_WIN_H}+0+0" +repage -fuzz 10% -fill black -opaque "$bg" \
        -fill white +opaque black -colorspace gray -scale "$((E2E_WIN_W / 2))x1!" -depth 8 -compress none pgm:- |
        awk 'BEGIN { RS = "[ \t\n]+" }
             NR > 4 {
                 if ($1 > 0) { if (gap >= 6 && seen) { print NR - 5; exit } seen = 1; gap = 0 }
                 else if (seen) gap++
             }')
    [[ $tx =~ ^[0-9]+$ ]] || e2e_fail "no icon followed by text found at the left of the message box"
    geo=$(convert "$img" -crop "24x${E2E_WIN_H}+${tx}+0" +repage -fuzz 10% -trim -format '%h %Y' info:)
    th=${geo% *} ty=${geo#* }
    ((th >= 8)) || e2e_fail "no text found in the message box (text left edge $tx, strip trim: $geo)"
    "$E2E_PROBE" clear PRIMARY
    xdotool mousemove $((E2E_WIN_X + tx + 1)) $((E2E_WIN_Y + ty + 4)) mousedown 1 \
        mousemove $((E2E_WIN_X + tx + 40)) $((E2E_WIN_Y + ty + 8)) \
        mousemove $((E2E_WIN_X + E2E_WIN_W - 3)) $((E2E_WIN_Y + ty + th - 3)) mouseup 1 ||
        e2e_fail "xdotool could not drag over the message"
    e2e_poll "$E2E_TIMEOUT_MS" e2e_folder__read_selection PRIMARY ||
        e2e_fail "could not read the message box's text through the PRIMARY selection"
    E2E_FOLDER_MESSAGE=$E2E_FOLDER_TEXT
}

e2e_folder__read_selection() {
    local text
    text=$("$E2E_PROBE" text "$1" 200 && echo x) || return 1
    E2E_FOLDER_TEXT=${text%x}
}

# e2e_folder_expect_message TITLE PART...: waits for the message box TITLE,
# saves a screenshot (NAME: E2E_FOLDER_SHOT if set), checks that its text
# contains each PART, then presses OK and waits until it is gone.
e2e_folder_expect_message() {
    local title=$1 part
    shift
    e2e_wait_window_titled "$title"
    e2e_screenshot "${E2E_FOLDER_SHOT:-message}" "$E2E_WIN_X" "$E2E_WIN_Y" "$E2E_WIN_W" "$E2E_WIN_H"
    e2e_folder_read_message
    for part in "$@"; do
        [[ $E2E_FOLDER_MESSAGE == *"$part"* ]] ||
            e2e_fail "message box '$title': expected its text to contain $(printf '%q' "$part"), saw $(printf '%q' "$E2E_FOLDER_MESSAGE")"
    done
    e2e_program_alive || e2e_fail "the program exited while its message box '$title' was shown"
    e2e_focus_window "$E2E_WIN_ID"
    xdotool key Return || e2e_fail "xdotool key Return failed"
    e2e_wait_window_gone "$E2E_WIN_ID"
}

# e2e_folder_peer_window NAME WINDOW-ARGS...: maps a window of another
# client (the probe's window command) and waits until it is mapped; E2E_FOLDER_PEER_ID[NAME].
e2e_folder_peer_window() {
    local name=$1
    shift
    E2E_FOLDER_PEER_LOG[$name]=$E2E_TMP/peer-$name.log
    : >"${E2E_FOLDER_PEER_LOG[$name]}"
    "$E2E_PROBE" window "${E2E_FOLDER_PEER_LOG[$name]}" "$@" 2>>"$E2E_TMP/peers.log" &
    E2E_FOLDER_PEER_PID[$name]=$!
    e2e__track "$!" "peer $name"
    e2e_poll "$E2E_TIMEOUT_MS" grep -q '^mapped ' "${E2E_FOLDER_PEER_LOG[$name]}" ||
        e2e_fail "peer window $name ($*) was not mapped"
    E2E_FOLDER_PEER_ID[$name]=$(sed -n 's/^mapped //p' "${E2E_FOLDER_PEER_LOG[$name]}" | head -n 1)
}

# e2e_folder_peer_sync NAME: a ping through the X server to the peer; once it
# has logged it, it has also logged every message sent to it before.
e2e_folder_peer_sync() {
    local name=$1
    E2E_FOLDER_PINGS=$((E2E_FOLDER_PINGS + 1))
    "$E2E_PROBE" ping "${E2E_FOLDER_PEER_ID[$name]}" "$E2E_FOLDER_PINGS" || e2e_fail "could not ping peer $name"
    e2e_poll "$E2E_TIMEOUT_MS" grep -qx "ping $E2E_FOLDER_PINGS" "${E2E_FOLDER_PEER_LOG[$name]}" ||
        e2e_fail "peer $name did not answer ping $E2E_FOLDER_PINGS; its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
}

# e2e_folder_peer_wm NAME...: starts the stand-in window manager (peer "wm"),
# which puts the named peer windows into frames and lists them as its clients.
e2e_folder_peer_wm() {
    local ids=() n log=$E2E_TMP/peer-wm.log
    for n in "$@"; do ids+=("${E2E_FOLDER_PEER_ID[$n]}"); done
    E2E_FOLDER_PEER_LOG[wm]=$log
    : >"$log"
    "$E2E_PROBE" wm "$log" "${ids[@]}" 2>>"$E2E_TMP/peers.log" &
    E2E_FOLDER_PEER_PID[wm]=$!
    e2e__track "$!" "peer wm"
    e2e_poll "$E2E_TIMEOUT_MS" grep -q '^ready ' "$log" || e2e_fail "the stand-in window manager did not start: $(cat "$E2E_TMP/peers.log")"
    E2E_FOLDER_PEER_ID[wm]=$(sed -n 's/^ready //p' "$log" | head -n 1)
}

# e2e_folder_expect_closed NAME: the peer window got WM_DELETE_WINDOW and ended with status 0.
e2e_folder_expect_closed() {
    local name=$1 pid=${E2E_FOLDER_PEER_PID[$1]} rc
    e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$pid" ||
        e2e_fail "expected window $name (${E2E_FOLDER_PEER_ID[$name]}) to be closed; its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
    wait "$pid"
    rc=$?
    e2e__untrack "$pid"
    grep -qx delete "${E2E_FOLDER_PEER_LOG[$name]}" && ((rc == 0)) ||
        e2e_fail "window $name ended without WM_DELETE_WINDOW (status $rc); its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
}

# e2e_folder_expect_open NAME: the peer window still runs and got no client
# message other than pings (checked after a ping round trip).
e2e_folder_expect_open() {
    local name=$1 other
    e2e__alive "${E2E_FOLDER_PEER_PID[$name]}" ||
        e2e_fail "window $name (${E2E_FOLDER_PEER_ID[$name]}) was closed; its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
    e2e_folder_peer_sync "$name"
    other=$(grep -v -e '^mapped ' -e '^ping ' "${E2E_FOLDER_PEER_LOG[$name]}")
    e2e_expect_eq "client messages received by window $name" "" "$other"
}

# e2e_folder__fm_window CLASS TITLE [EXCEPT]: a visible window of that WM_CLASS
# whose title is TITLE, other than EXCEPT, into E2E_FOLDER_FM_WIN.
e2e_folder__fm_window() {
    local re id
    re="^$(printf '%s' "$2" | sed 's/[][\.*^$(){}?+|]/\\&/g')\$"
    for id in $(xdotool search --onlyvisible --name "$re" 2>/dev/null); do
        [[ $id == "${3:-}" ]] && continue
        [[ $(xprop -id "$id" WM_CLASS 2>/dev/null) == *"\"$1\""* ]] || continue
        E2E_FOLDER_FM_WIN=$id
        return 0
    done
    return 1
}

# e2e_folder_fm_round NAME DESKTOP CLASS TITLE [OWN-TITLE]: a real file manager (DESKTOP,
# the default for folders) shows a folder named like the private one (the home
# folder /home/<user>) before the program opens the private folder through
# xdg-open; after the program ends, E2E_FOLDER_FM_CLOSED tells whether the private folder's
# window (titled OWN-TITLE, default TITLE) closed, and the home folder's window must still be
# there. OWN-TITLE given: a file manager outside the table, whose window is known as the
# opener's; the private folder opened once more from outside the program, after its open, keeps
# its window. TITLE "-": one that hands every open to its first process (rox-filer), so no window
# of its own is opened from outside. No window manager: the windows are moved off the tray by hand.
e2e_folder_fm_round() {
    local name=$1 desktop=$2 class=$3 title=$4 own=${5:-$4} home home_win='' outsider='' ours id p
    home=$E2E_TMP/fm-$name/$(id -un)
    mkdir -p "$home"
    printf '[Default Applications]\ninode/directory=%s\n' "$desktop" >"$XDG_CONFIG_HOME/mimeapps.list"
    printf '#!/bin/sh\nexec /usr/bin/xdg-open "$@"\n' >"$E2E_TMP/bin/xdg-open"
    # Every process of the round carries it, so that those without _NET_WM_PID can be ended too.
    export E2E_FM_ROUND=$name
    if [[ $title != - ]]; then
        (cd / && exec /usr/bin/xdg-open "$home") >>"$E2E_TMP/fm-$name.log" 2>&1 &
        e2e_poll 90000 e2e_folder__fm_window "$class" "$title" ||
            e2e_fail "$name showed no window titled '$title' for $home; log: $(tail -n 20 "$E2E_TMP/fm-$name.log")"
        home_win=$E2E_FOLDER_FM_WIN
        xdotool windowmove "$home_win" 40 380
    fi
    e2e_start_program --exe "$E2E_FOLDER_EXE"
    e2e_wait_docked
    e2e_press_icon 1
    E2E_FOLDER_FM_WIN=
    if [[ $name == pcmanfm ]]; then
        sleep 3 # a new tab of the window already open
    else
        e2e_poll 90000 e2e_folder__fm_window "$class" "$own" "$home_win" ||
            e2e_fail "$name showed no second window titled '$own' after the left press"
        xdotool windowmove "$E2E_FOLDER_FM_WIN" 520 380
    fi
    if [[ $own != "$title" && $title != - ]]; then
        (cd / && exec /usr/bin/xdg-open "$E2E_FOLDER_PATH") >>"$E2E_TMP/fm-$name.log" 2>&1 &
        ours=$E2E_FOLDER_FM_WIN
        e2e_poll 90000 e2e_folder__fm_window "$class" "$own" "$ours" ||
            e2e_fail "$name showed no window titled '$own' for the open from outside"
        outsider=$E2E_FOLDER_FM_WIN E2E_FOLDER_FM_WIN=$ours
        # Ours last in the stacking order: the first window of that title would be the outsider.
        xdotool windowmove "$outsider" 280 380 windowraise "$ours"
    fi
    sleep 1
    # Again: some place their window themselves once it is mapped, over the tray.
    [[ -n $home_win ]] && xdotool windowmove "$home_win" 40 380
    [[ -n $E2E_FOLDER_FM_WIN ]] && xdotool windowmove "$E2E_FOLDER_FM_WIN" 520 380
    sleep 0.5
    e2e_screenshot "fm-$name-open"
    # SIGTERM ends it as 終了 does; a window placed over the tray would take the menu's clicks.
    e2e_signal_program TERM
    e2e_expect_exit_status 0
    E2E_FOLDER_FM_CLOSED=0
    [[ -n $E2E_FOLDER_FM_WIN ]] && e2e_poll 5000 e2e__window_gone "$E2E_FOLDER_FM_WIN" && E2E_FOLDER_FM_CLOSED=1
    e2e_screenshot "fm-$name-after-quit"
    for id in $home_win $outsider; do
        e2e__window_gone "$id" && e2e_fail "$name: the window $id of a folder opened from outside was closed at exit"
    done
    e2e_log "$name: private folder's window closed: $E2E_FOLDER_FM_CLOSED; windows opened from outside kept: ${home_win:-none} ${outsider:-none}"
    for id in $home_win $E2E_FOLDER_FM_WIN $outsider; do
        kill "$(xdotool getwindowpid "$id" 2>/dev/null)" 2>/dev/null
    done
    for p in /proc/[0-9]*; do
        grep -qzx "E2E_FM_ROUND=$name" "$p/environ" 2>/dev/null && kill "${p#/proc/}" 2>/dev/null
    done
    unset E2E_FM_ROUND
    return 0
}
