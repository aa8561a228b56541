#!/bin/bash
# SPDX-License-Identifier: MIT
# At exit the program closes the private folder's window, once this run has
# opened the folder: the first file manager's window (by WM_CLASS) whose title
# is that file manager's title for the folder (_NET_WM_NAME or WM_NAME), and
# that showed it only after the open. Without a
# window manager it sends WM_DELETE_WINDOW, and only to a window that takes it;
# with one that supports _NET_CLOSE_WINDOW it asks the window manager, finding
# the window in its client list. Other windows stay; no such window: no
# message, exit 0. A run that never opened the folder closes nothing. The
# windows belong to the probe (another X client); at the end, real file managers, those outside
# the table known by their process's session (the opener's).
# Usage: 09_folder_window.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 09_folder_window "${1:-}"
e2e_start_x
e2e_start_tray
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
user=$(id -un)

# A left press: the private folder goes to the (fake) opener.
opened=0
open_folder() {
    e2e_press_icon 1
    opened=$((opened + 1))
    e2e_wait_opener_calls "$opened"
    e2e_expect_opener_call "$opened" "$E2E_FOLDER_PATH"
}

quit_by_menu() {
    e2e_quit
    e2e_wait_no_windows
}

# The folder's title in a file manager's window (either title property) is
# closed at 終了; near misses stay, and so do another program's window of that
# title and the file manager's window that showed the name before the open
# (the home folder /home/<user> has it too).
fm=(--class Caja)
e2e_folder_peer_window home "${fm[@]}" --title "$user"
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
open_folder
e2e_folder_peer_window suffix "${fm[@]}" --title "${user}x"
e2e_folder_peer_window prefix "${fm[@]}" --title "x$user"
e2e_folder_peer_window upper "${fm[@]}" --title "${user^^}"
e2e_folder_peer_window spaced "${fm[@]}" --title "$user "
e2e_folder_peer_window other-program --class XTerm --title "$user"
e2e_folder_peer_window exact --class Thunar --title "$user - Thunar"
e2e_folder_peer_window net-differs "${fm[@]}" --net-name "${user}x" --wm-name "${user}y"
quit_by_menu
e2e_folder_expect_closed exact
for name in home suffix prefix upper spaced other-program net-differs; do
    e2e_folder_expect_open "$name"
done
e2e_log "終了 closed the file manager's window of '$user' only"

# WM_NAME alone counts when there is no _NET_WM_NAME; SIGTERM closes it too.
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
open_folder
e2e_folder_peer_window wm-name-only "${fm[@]}" --wm-name "$user"
e2e_signal_program TERM
e2e_expect_exit_status 0
e2e_folder_expect_closed wm-name-only
e2e_folder_expect_open suffix

# Two windows of that title: only one is closed.
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
open_folder
e2e_folder_peer_window first "${fm[@]}" --title "$user"
e2e_folder_peer_window second "${fm[@]}" --title "$user"
quit_by_menu
one_closed() { ! e2e__alive "${E2E_FOLDER_PEER_PID[first]}" || ! e2e__alive "${E2E_FOLDER_PEER_PID[second]}"; }
e2e_poll "$E2E_TIMEOUT_MS" one_closed || e2e_fail "neither of two windows titled '$user' was closed"
# The one left open has been sent nothing (a second close would end it before the ping).
for name in first second; do
    if e2e__alive "${E2E_FOLDER_PEER_PID[$name]}"; then
        e2e_folder_expect_open "$name"
        e2e__stop_pid "${E2E_FOLDER_PEER_PID[$name]}"
        e2e__untrack "${E2E_FOLDER_PEER_PID[$name]}"
    else
        e2e_folder_expect_closed "$name"
    fi
done

# A window of that title that does not take WM_DELETE_WINDOW gets nothing.
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
open_folder
e2e_folder_peer_window no-delete "${fm[@]}" --title "$user" --no-delete
quit_by_menu
e2e_folder_expect_open no-delete
e2e__stop_pid "${E2E_FOLDER_PEER_PID[no-delete]}"
e2e__untrack "${E2E_FOLDER_PEER_PID[no-delete]}"

# No window of that title: no message box, exit 0 at once.
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
open_folder
quit_by_menu
e2e_expect_eq "program output when nothing was closed" "" "$(cat "$E2E_PROGRAM_LOG")"

# A window manager with _NET_CLOSE_WINDOW that frames its clients: the program
# asks it to close the client (not the frame) and sends nothing to the window.
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
open_folder
e2e_folder_peer_window framed "${fm[@]}" --title "$user"
e2e_folder_peer_wm framed suffix
quit_by_menu
e2e_folder_peer_sync wm
asked=$(grep '^message _NET_CLOSE_WINDOW ' "${E2E_FOLDER_PEER_LOG[wm]}" | cut -d' ' -f3 | xargs)
e2e_expect_eq "windows the window manager was asked to close" "${E2E_FOLDER_PEER_ID[framed]}" "$asked"
e2e_folder_expect_open framed
e2e_folder_expect_open suffix

# A run that never opened the folder leaves the window of that title alone.
e2e_start_program --exe "$E2E_FOLDER_EXE"
e2e_wait_docked
quit_by_menu
e2e_folder_peer_sync wm
asked=$(grep -c '^message _NET_CLOSE_WINDOW ' "${E2E_FOLDER_PEER_LOG[wm]}")
e2e_expect_eq "close requests after a run that never opened the folder" 1 "$asked"
e2e_folder_expect_open framed

# Real file managers on a session bus of their own: dolphin tells over D-Bus
# which folder a window shows, the others by WM_CLASS and title; pcmanfm opens
# the folder as a tab of the home folder's window, which stays. (nautilus's
# second window stays "Loading…" here, so it is left out.)
# No stand-in window manager any more, nor what it claimed on the root window,
# nor the peer windows (some of class Caja).
for pid in "${E2E_FOLDER_PEER_PID[@]}"; do
    e2e__stop_pid "$pid"
    e2e__untrack "$pid"
done
xprop -root -remove _NET_SUPPORTED && xprop -root -remove _NET_CLIENT_LIST || e2e_fail "xprop could not clear the root"
hosts_start_bus --activation
for fm in "thunar thunar.desktop Thunar $user - Thunar 1" "pcmanfm pcmanfm.desktop Pcmanfm $user 0" \
    "pcmanfm-qt pcmanfm-qt.desktop pcmanfm-qt $user 1" "caja caja.desktop Caja $user 1" \
    "nemo nemo.desktop Nemo $user 1" "dolphin org.kde.dolphin.desktop dolphin $user 1"; do
    read -r name desktop class rest <<<"$fm"
    e2e_folder_fm_round "$name" "$desktop" "$class" "${rest% *}"
    e2e_expect_eq "$name: the private folder's window closed at exit" "${rest##* }" "$E2E_FOLDER_FM_CLOSED"
done
# Outside the table, known as the window the program's opener made: xfe (no _NET_WM_PID; the
# folder opened again from outside keeps its window), rox-filer (forks away from the opener).
# As root it says so in its title, and in a dialog before its window unless told not to.
xfe="Xfe - "
((EUID == 0)) && xfe="Xfe (root) - "
mkdir -p "$XDG_CONFIG_HOME/xfe" && printf '[OPTIONS]\nroot_warn=0\n' >"$XDG_CONFIG_HOME/xfe/xferc"
e2e_folder_fm_round xfe xfe.desktop Xfe "$xfe$E2E_TMP/fm-xfe/$user" "$xfe$E2E_FOLDER_PATH"
e2e_expect_eq "xfe: the private folder's window closed at exit" 1 "$E2E_FOLDER_FM_CLOSED"
if command -v rox-filer >/dev/null; then
    e2e_folder_fm_round rox-filer rox-filer.desktop Rox-filer - "$E2E_FOLDER_PATH"
    e2e_expect_eq "rox-filer: the private folder's window closed at exit" 1 "$E2E_FOLDER_FM_CLOSED"
else
    e2e_log "rox-filer round skipped: missing rox-filer (package rox-filer, in Debian 12 only)"
fi
e2e_pass
