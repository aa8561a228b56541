# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# KDE Plasma on Wayland (kwin_wayland, plasmashell), driven by KWin's fake input and scripting.

# Plasma 5 (Debian 12) or 6 (Debian 13): kded and kbuildsycoca carry the Frameworks' number.
HOSTS_KF=5
command -v kded6 >/dev/null && HOSTS_KF=6

hosts__kwin_xvfb_ready() { [[ -s $E2E_TMP/kwin-display ]] && HOSTS_KWIN_X=:$(cat "$E2E_TMP/kwin-display"); }

# hosts_start_kwin: kwin_wayland with Xwayland, its 1280x800 output a window on a private Xvfb
# that screenshots are taken of (KWin 6 offers its own screenshots only when it composites with
# OpenGL, which needs a GPU), run from a plain copy (the packaged binary carries a file
# capability a container may not grant), then the activity manager and kded that plasmashell
# needs. The pointer client (kwin_pointer.c) is allowed KWin's fake input by a desktop file.
# Sets WAYLAND_DISPLAY, and HOSTS_XWAYLAND with HOSTS_XAUTHORITY, the X display and its
# cookies as KWin gives them to what it starts (not exported, as for sway). HOSTS_KWIN_SCALE
# (1 unless set) is the output's scale; KWin 6 draws the larger output at scale 1 all the same.
hosts_start_kwin() {
    local base=$E2E_TMP/session proto=/usr/share/plasma-wayland-protocols/fake-input.xml
    local scale=${HOSTS_KWIN_SCALE:-1}
    local am=/usr/share/dbus-1/services/org.kde.ActivityManager.service
    e2e_need kwin_wayland:kwin-wayland plasmashell:plasma-workspace "kded$HOSTS_KF:kded$HOSTS_KF" \
        "kbuildsycoca$HOSTS_KF:libkf${HOSTS_KF}service-bin" Xvfb:xvfb import:imagemagick \
        wayland-scanner:libwayland-bin \
        "$proto:plasma-wayland-protocols" "$am:kactivitymanagerd" cc:gcc \
        /usr/include/wayland-client.h:libwayland-dev
    export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=$HOSTS_KF
    cp /usr/bin/kwin_wayland "$base/kwin_wayland" || e2e_fail "could not copy kwin_wayland"
    { wayland-scanner client-header "$proto" "$E2E_TMP/fake-input-client-protocol.h" &&
        wayland-scanner private-code "$proto" "$E2E_TMP/fake-input-protocol.c" &&
        cc -O1 -I"$E2E_TMP" -o "$base/kwin_pointer" "$E2E_LIB_DIR/kwin_pointer.c" \
            "$E2E_TMP/fake-input-protocol.c" -lwayland-client; } 2>"$E2E_TMP/cc-pointer.log" ||
        e2e_fail "could not build kwin_pointer.c: $(cat "$E2E_TMP/cc-pointer.log")"
    "${HOSTS_AS[@]}" mkdir -p "$XDG_DATA_HOME/applications"
    printf '[Desktop Entry]\nType=Application\nName=e2e pointer\nNoDisplay=true\nExec=%s\n%s\n' \
        "$base/kwin_pointer" X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input |
        hosts_as_user_write "$XDG_DATA_HOME/applications/quorvel-e2e-pointer.desktop"
    "${HOSTS_AS[@]}" "kbuildsycoca$HOSTS_KF" >>"$E2E_TMP/kbuildsycoca.log" 2>&1 ||
        e2e_fail "kbuildsycoca$HOSTS_KF failed"
    Xvfb -displayfd 3 -screen 0 $((1280 * scale))x$((800 * scale))x24 -nolisten tcp \
        >"$E2E_TMP/kwin-xvfb.log" 2>&1 3>"$E2E_TMP/kwin-display" &
    e2e__track "$!" Xvfb
    e2e_poll "$E2E_TIMEOUT_MS" hosts__kwin_xvfb_ready || e2e_fail "Xvfb for KWin did not start"
    printf '#!/bin/sh\nprintf "%%s\\n%%s\\n" "$DISPLAY" "$XAUTHORITY" >"$XDG_RUNTIME_DIR/x-display"\n' |
        hosts_as_user_write "$base/x-display.sh"
    chmod 0755 "$base/x-display.sh"
    # KWin 6 no longer finds the pointer's desktop file: its permission checks are off.
    hosts_spawn kwin env KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 "$base/kwin_wayland" \
        --x11-display "$HOSTS_KWIN_X" --width 1280 --height 800 ${HOSTS_KWIN_SCALE:+--scale "$scale"} \
        --socket wayland-kde --xwayland --no-lockscreen "$base/x-display.sh"
    e2e_poll 20000 hosts_busctl status org.kde.KWin >/dev/null 2>&1 ||
        e2e_fail "kwin_wayland did not come up: $(tail -n 20 "$E2E_TMP/kwin.log")"
    export WAYLAND_DISPLAY=wayland-kde
    e2e_poll "$E2E_TIMEOUT_MS" grep -q '^:[0-9]' "$XDG_RUNTIME_DIR/x-display" ||
        e2e_fail "KWin started no Xwayland: $(tail -n 20 "$E2E_TMP/kwin.log")"
    { read -r HOSTS_XWAYLAND && read -r HOSTS_XAUTHORITY; } <"$XDG_RUNTIME_DIR/x-display"
    QT_QPA_PLATFORM=wayland hosts_spawn kactivitymanagerd "$(sed -n 's/^Exec=//p' "$am")"
    QT_QPA_PLATFORM=wayland hosts_spawn kded "kded$HOSTS_KF"
    mkfifo "$E2E_TMP/pointer.in" && chmod 0644 "$E2E_TMP/pointer.in" || e2e_fail "mkfifo failed"
    hosts_spawn kwin_pointer sh -c 'exec "$0" <"$1"' "$base/kwin_pointer" "$E2E_TMP/pointer.in"
    exec {HOSTS_POINTER_FD}>"$E2E_TMP/pointer.in"
    HOSTS_POINTER_DONE=0
    e2e_log "kwin_wayland up on $WAYLAND_DISPLAY, Xwayland on $HOSTS_XWAYLAND"
}

# hosts_start_plasmashell: the StatusNotifier watcher (kded's module), then plasmashell, with
# no tooltips (a late one closes the icon's menu on a loaded machine).
hosts_start_plasmashell() {
    printf '[PlasmaToolTips]\nDelay=-1\n' | hosts_as_user_write "$XDG_CONFIG_HOME/plasmarc"
    e2e_poll "$E2E_TIMEOUT_MS" hosts_busctl call "org.kde.kded$HOSTS_KF" /kded "org.kde.kded$HOSTS_KF" loadModule \
        s statusnotifierwatcher >/dev/null 2>&1 || e2e_fail "kded did not load statusnotifierwatcher"
    QT_QPA_PLATFORM=wayland hosts_spawn plasmashell plasmashell --no-respawn
}

hosts__pointer_caught_up() { grep -qx "done $HOSTS_POINTER_DONE" "$E2E_TMP/kwin_pointer.log"; }

# hosts_kwin_input COMMAND...: each a kwin_pointer command ("move X Y", "click B", "key K"),
# returns when KWin has taken them all.
hosts_kwin_input() {
    local command
    for command in "$@"; do
        printf '%s\n' "$command" >&"$HOSTS_POINTER_FD" || e2e_fail "kwin_pointer is gone"
        HOSTS_POINTER_DONE=$((HOSTS_POINTER_DONE + 1))
    done
    e2e_poll "$E2E_TIMEOUT_MS" hosts__pointer_caught_up ||
        e2e_fail "kwin_pointer did not take '$*': $(tail -n 5 "$E2E_TMP/kwin_pointer.log")"
}

# hosts_kwin_shot NAME: screenshot of KWin's output into the artifacts.
hosts_kwin_shot() {
    import -display "$HOSTS_KWIN_X" -window root "$E2E_ARTIFACTS/$1.png" 2>>"$E2E_TMP/import.log" ||
        e2e_fail "could not take $1: $(tail -n 5 "$E2E_TMP/import.log")"
    e2e_log "screenshot $E2E_ARTIFACTS/$1.png"
}

hosts__icon_green() {
    hosts_kwin_shot "$1" && hosts_find_icon "$E2E_ARTIFACTS/$1.png" 340 44 900 756 '#2fae4a' 12%
}

# hosts_kde_wait_icon NAME: screenshots (the last one NAME) until the tray at the right of
# Plasma's bottom panel shows the icon's green land; HOSTS_ICON_X/Y: its middle.
hosts_kde_wait_icon() {
    e2e_poll 20000 hosts__icon_green "$1" ||
        e2e_fail "expected plasmashell's tray to show the icon (see $E2E_ARTIFACTS/$1.png)"
    e2e_log "icon drawn at $HOSTS_ICON_X,$HOSTS_ICON_Y"
}

# hosts_kwin_windows: HOSTS_WINDOWS gets "CAPTION<TAB>CLASS" of every window KWin manages
# ("<TAB>popup" added for a popup, such as a menu), as a script run by KWin prints them to its
# log.
HOSTS_KWIN_LISTS=0
hosts_kwin_windows() {
    local n=$((HOSTS_KWIN_LISTS += 1)) script=$XDG_RUNTIME_DIR/windows.js
    printf '%s\n' "var w = workspace.windowList ? workspace.windowList() : workspace.clientList();" \
        "for (var i = 0; i < w.length; ++i) print('windows-$n\t' + w[i].caption + '\t' + w[i].resourceClass + (w[i].popupWindow ? '\tpopup' : ''));" \
        "print('windows-$n end');" >"$script"
    local id
    id=$(hosts_busctl call org.kde.KWin /Scripting org.kde.kwin.Scripting loadScript ss "$script" "windows-$n") &&
        { hosts_busctl call org.kde.KWin "/Scripting/Script${id#i }" org.kde.kwin.Script run ||
            hosts_busctl call org.kde.KWin "/${id#i }" org.kde.kwin.Script run; } &&
        hosts_busctl call org.kde.KWin /Scripting org.kde.kwin.Scripting unloadScript s "windows-$n" >/dev/null &&
        e2e_poll "$E2E_TIMEOUT_MS" grep -q "windows-$n end" "$E2E_TMP/kwin.log" ||
        e2e_fail "could not list KWin's windows"
    mapfile -t HOSTS_WINDOWS < <(sed -n "s/^js: windows-$n\t//p" "$E2E_TMP/kwin.log")
}

hosts__kwin_window() {
    local line
    hosts_kwin_windows
    for line in "${HOSTS_WINDOWS[@]}"; do [[ $line == "$1" ]] && return 0; done
    return 1
}
hosts__kwin_no_window() { ! hosts__kwin_window "$1"; }

# hosts_kwin_expect_window CAPTION<TAB>CLASS / hosts_kwin_expect_no_window: waits until KWin
# shows (or no longer shows) such a window.
hosts_kwin_expect_window() {
    e2e_poll 20000 hosts__kwin_window "$1" ||
        e2e_fail "expected a window '$1'; KWin has: $(printf '[%s] ' "${HOSTS_WINDOWS[@]}")"
}
# hosts_kde_open_menu: a right click on the icon until plasmashell shows its menu (KWin drops
# some of a new pointer's first clicks).
hosts_kde_open_menu() {
    local try
    for try in 1 2 3; do
        hosts_kwin_input "move $HOSTS_ICON_X $HOSTS_ICON_Y" "click 3"
        e2e_poll 3000 hosts__kwin_window $'\tplasmashell\tpopup' && return 0
    done
    e2e_fail "three right clicks on the icon showed no menu; KWin has: $(printf '[%s] ' "${HOSTS_WINDOWS[@]}")"
}

hosts_kwin_expect_no_window() {
    e2e_poll "$E2E_TIMEOUT_MS" hosts__kwin_no_window "$1" ||
        e2e_fail "expected no window '$1'; KWin has: $(printf '[%s] ' "${HOSTS_WINDOWS[@]}")"
}
