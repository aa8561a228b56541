#!/bin/bash
# SPDX-License-Identifier: MIT
# KDE Plasma (5.27 on Debian 12, 6 on Debian 13) on Wayland: kwin_wayland and plasmashell
# as the StatusNotifier host, the session run as an unprivileged user, the
# program a native Wayland client started before plasmashell. Driven with real
# clicks and keys through KWin's fake input: the icon drawn in the tray, the
# menu in order (a right click shows it, Down+Enter choose the first
# bookmark, which reaches the opener once), a left click opens the private
# folder; the folder's windows (pcmanfm-qt and dolphin, native Wayland; on Debian
# 12 rox-filer, the folder's handler and outside the file managers' table, on
# Xwayland) close at 終了 through KWin scripting, and another folder's window and
# rox-filer's window of the folder opened from outside stay.
# Usage: 26_host_kde.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 26_host_kde "${1:-}"
e2e_need pcmanfm-qt:pcmanfm-qt dolphin:dolphin
hosts_session_user nobody
user=$HOSTS_USER
hosts_start_bus --activation
hosts_start_kwin
t=$E2E_DEFAULT_TITLE u=$E2E_DEFAULT_URL
hosts_seed_store "$HOSTS_TITLE0" "$HOSTS_URL0" "$t" "$u" "$t" "$u" "$t" "$u" "$t" "$u"

# No tray yet: plasmashell comes late.
hosts_start_program -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland
e2e_wait_program_idle
hosts_start_plasmashell
hosts_wait_watcher plasmashell
hosts_wait_item
hosts_expect_item_names Quorvel
# From the build tree: no installed theme, the pictures alone.
hosts_expect_item_icon "" ""
hosts_expect_menu "$HOSTS_TITLE0" "$t" "$t" "$t" "$t" - URL編集 ヘルプ - 終了
hosts_kde_wait_icon tray-icon

# KEY_DOWN 108, KEY_UP 103, KEY_ENTER 28. A menu shown on a click has no entry selected yet.
hosts_kde_open_menu
hosts_kwin_shot menu
hosts_kwin_input "key 108" "key 28"
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$HOSTS_URL0"

# The opener hands the folder to rox-filer, whose processes stay in its session. KWin 5.27
# knows an X client's process only by _NET_WM_PID, which xfe does not set.
rox=0
command -v rox-filer >/dev/null && rox=1
((rox)) && e2e_opener_through env DISPLAY="$HOSTS_XWAYLAND" XAUTHORITY="$HOSTS_XAUTHORITY" rox-filer
hosts_kwin_input "click 1"
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$HOSTS_FOLDER"
[[ -d $HOSTS_FOLDER && $(stat -c %U "$HOSTS_FOLDER") == "$user" ]] ||
    e2e_fail "the left click did not make the private folder $HOSTS_FOLDER for $user"

# The folder in two file managers, and another folder.
"${HOSTS_AS[@]}" mkdir "${HOSTS_FOLDER}x" || e2e_fail "could not make ${HOSTS_FOLDER}x"
QT_QPA_PLATFORM=wayland hosts_spawn pcmanfm-qt pcmanfm-qt "$HOSTS_FOLDER"
hosts_kwin_expect_window "$user"$'\t'pcmanfm-qt
QT_QPA_PLATFORM=wayland hosts_spawn pcmanfm-qt-2 pcmanfm-qt "${HOSTS_FOLDER}x"
QT_QPA_PLATFORM=wayland hosts_spawn dolphin dolphin --new-window "$HOSTS_FOLDER"
hosts_kwin_expect_window "${user}x"$'\t'pcmanfm-qt
hosts_kwin_expect_window "$user — Dolphin"$'\t'org.kde.dolphin
# The same folder in a rox-filer of its own from outside the program: KWin gives that
# window's caption a " <2>".
rox_windows() {
    local line
    hosts_kwin_windows
    ROX_WINDOWS=()
    for line in "${HOSTS_WINDOWS[@]}"; do
        [[ $line == "$HOSTS_FOLDER"*$'\t'rox-filer ]] && ROX_WINDOWS+=("${line%$'\t'*}")
    done
    ((${#ROX_WINDOWS[@]} == $1))
}
if ((rox)); then
    e2e_poll 20000 rox_windows 1 ||
        e2e_fail "rox-filer showed no window of $HOSTS_FOLDER; KWin has: $(printf '[%s] ' "${HOSTS_WINDOWS[@]}")"
    hosts_spawn rox-outside env DISPLAY="$HOSTS_XWAYLAND" XAUTHORITY="$HOSTS_XAUTHORITY" \
        rox-filer --new "$HOSTS_FOLDER"
    e2e_poll 20000 rox_windows 2 ||
        e2e_fail "expected two rox-filer windows of $HOSTS_FOLDER; KWin has: $(printf '[%s] ' "${HOSTS_WINDOWS[@]}")"
else
    e2e_log "rox-filer round skipped: missing rox-filer (package rox-filer, in Debian 12 only)"
fi
hosts_kwin_shot folder-windows

# 終了, the last entry: Up from none selected.
hosts_kde_open_menu
hosts_kwin_input "key 103" "key 28"
e2e_expect_exit_status 0
hosts_wait_item_gone
hosts_kwin_expect_no_window "$user"$'\t'pcmanfm-qt
hosts_kwin_expect_no_window "$user — Dolphin"$'\t'org.kde.dolphin
hosts__kwin_window "${user}x"$'\t'pcmanfm-qt || e2e_fail "終了 closed the window of ${HOSTS_FOLDER}x"
if ((rox)); then
    e2e_poll "$E2E_TIMEOUT_MS" rox_windows 1 && [[ ${ROX_WINDOWS[0]} == "$HOSTS_FOLDER <2>"* ]] ||
        e2e_fail "expected rox-filer's window of $HOSTS_FOLDER opened from outside alone to stay; KWin has: $(printf '[%s] ' "${HOSTS_WINDOWS[@]}")"
fi
hosts_kwin_shot after-quit
e2e_pass
