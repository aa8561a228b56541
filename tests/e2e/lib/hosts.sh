# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Real tray hosts for the end-to-end scenarios, each in its own session bus:
# xfce4-panel and lxqt-panel on the scenario's Xvfb display, sway (headless)
# with waybar on Wayland, run as an unprivileged user since sway refuses root.
# Their StatusNotifier items and menus are read and driven over D-Bus with
# busctl. lib.sh loads this file; every process started here is tracked and
# stopped by lib.sh's cleanup.

HOSTS_AS=()      # prefix that runs a command as the session's user (empty: as we are)
HOSTS_USER=$(id -un)
HOSTS_WATCHER=org.kde.StatusNotifierWatcher
HOSTS_ITEM_IFACE=org.kde.StatusNotifierItem

# hosts_start_bus [--activation] [--system]: a private bus, run as the session's user, for
# everything started after it. Without --activation it starts nothing by itself, so every
# server on it is one the scenario started; with it, services start on demand as in a desktop
# session. --system: a stand-in for the system bus (DBUS_SYSTEM_BUS_ADDRESS).
hosts_start_bus() {
    local dirs='' name=session-bus var=DBUS_SESSION_BUS_ADDRESS
    [[ ${1-} == --activation ]] && { dirs='<standard_session_servicedirs/>'; shift; }
    [[ ${1-} == --system ]] && name=system-bus var=DBUS_SYSTEM_BUS_ADDRESS
    e2e_need dbus-daemon:dbus busctl:systemd jq:jq
    cat >"$E2E_TMP/$name.conf" <<CONF
<busconfig>
  <type>session</type> <listen>unix:tmpdir=/tmp</listen> <auth>EXTERNAL</auth> $dirs
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/> <allow eavesdrop="true"/> <allow own="*"/>
  </policy>
</busconfig>
CONF
    rm -f "$E2E_TMP/$name.address"
    "${HOSTS_AS[@]}" dbus-daemon --config-file="$E2E_TMP/$name.conf" --nofork --nopidfile --print-address=3 \
        3>"$E2E_TMP/$name.address" >>"$E2E_TMP/$name.log" 2>&1 &
    e2e__track "$!" "$name"
    e2e_poll "$E2E_TIMEOUT_MS" grep -q . "$E2E_TMP/$name.address" ||
        e2e_fail "the $name did not start: $(cat "$E2E_TMP/$name.log")"
    export "$var=$(head -n 1 "$E2E_TMP/$name.address")"
    e2e_log "$name ${!var}"
}

# hosts_spawn NAME CMD...: starts a host process in the background, logged to NAME.log.
hosts_spawn() {
    local name=$1
    shift
    "${HOSTS_AS[@]}" "$@" >>"$E2E_TMP/$name.log" 2>&1 &
    e2e__track "$!" "$name"
    HOSTS_PID=$!
}

hosts_busctl() { "${HOSTS_AS[@]}" busctl --user --timeout=5 "$@"; }
hosts_bus_call() { hosts_busctl call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus "$@"; }
hosts_name_owned() { [[ $(hosts_bus_call NameHasOwner s "$1" 2>/dev/null) == "b true" ]]; }

# The watcher's items: HOSTS_ITEMS, one "service/path" each; none without a watcher.
hosts_items() {
    local json
    HOSTS_ITEMS=()
    json=$(hosts_busctl --json=short get-property "$HOSTS_WATCHER" /StatusNotifierWatcher \
        "$HOSTS_WATCHER" RegisteredStatusNotifierItems 2>/dev/null) || ! hosts_name_owned "$HOSTS_WATCHER" || return 1
    mapfile -t HOSTS_ITEMS < <(jq -r '.data[]' <<<"$json")
}

hosts__host_registered() {
    [[ $(hosts_busctl get-property "$HOSTS_WATCHER" /StatusNotifierWatcher "$HOSTS_WATCHER" \
        IsStatusNotifierHostRegistered 2>/dev/null) == "b true" ]]
}

# hosts_wait_watcher WHO: the host's watcher is up with a host registered.
hosts_wait_watcher() {
    e2e_poll 20000 hosts__host_registered ||
        e2e_fail "expected $1 to provide $HOSTS_WATCHER with a registered host within 20 s"
    e2e_log "$1: StatusNotifier watcher and host up"
}

hosts__one_item() { hosts_items && ((${#HOSTS_ITEMS[@]} == 1)); }
hosts__no_item() { hosts_items && ((${#HOSTS_ITEMS[@]} == 0)); }

# hosts_wait_item [MS]: exactly one item is registered, the program's; sets
# HOSTS_ITEM_{SERVICE,PATH}.
hosts_wait_item() {
    e2e_poll "${1:-$E2E_TIMEOUT_MS}" hosts__one_item ||
        e2e_fail "expected one registered StatusNotifier item, saw ${#HOSTS_ITEMS[@]}: ${HOSTS_ITEMS[*]:-none}"
    local item=${HOSTS_ITEMS[0]}
    # "service/path", or the service alone for the default path; GNOME's AppIndicator extension
    # writes "service@/path" for an item registered by unique name.
    [[ $item == [^/@]* ]] || e2e_fail "the item is registered without its service: $item"
    HOSTS_ITEM_SERVICE=${item%%/*} HOSTS_ITEM_PATH=/StatusNotifierItem
    HOSTS_ITEM_SERVICE=${HOSTS_ITEM_SERVICE%@}
    [[ $item == */* ]] && HOSTS_ITEM_PATH=/${item#*/}
    e2e_expect_eq "the pid behind the item's service $HOSTS_ITEM_SERVICE" "u $E2E_PROGRAM_PID" \
        "$(hosts_bus_call GetConnectionUnixProcessID s "$HOSTS_ITEM_SERVICE" 2>&1)"
    e2e_log "item $HOSTS_ITEM_SERVICE $HOSTS_ITEM_PATH"
}

hosts_wait_item_gone() {
    e2e_poll "$E2E_TIMEOUT_MS" hosts__no_item ||
        e2e_fail "expected no registered StatusNotifier item, saw: ${HOSTS_ITEMS[*]}"
}

# hosts_item_property NAME: the property as JSON data.
hosts_item_property() {
    hosts_busctl --json=short get-property "$HOSTS_ITEM_SERVICE" "$HOSTS_ITEM_PATH" \
        "$HOSTS_ITEM_IFACE" "$1" | jq -c '.data' ||
        e2e_fail "could not read the item's $1"
}

# hosts_expect_item_names TEXT: the item's Id, Title and its tooltip's title are TEXT.
hosts_expect_item_names() {
    e2e_expect_eq "item Id" "\"$1\"" "$(hosts_item_property Id)"
    e2e_expect_eq "item Title" "\"$1\"" "$(hosts_item_property Title)"
    e2e_expect_eq "item ToolTip title" "\"$1\"" "$(hosts_item_property ToolTip | jq -c '.[2]')"
}

# hosts_menu: the item's exported menu, top level: HOSTS_MENU_IDS and
# HOSTS_MENU_LABELS ("-" for a separator), in order, visible entries only.
hosts_menu() {
    local path json
    path=$(hosts_item_property Menu | jq -r .)
    [[ $path == /* ]] || e2e_fail "the item has no menu path: $path"
    HOSTS_MENU_PATH=$path
    json=$(hosts_busctl --json=short call "$HOSTS_ITEM_SERVICE" "$path" com.canonical.dbusmenu \
        GetLayout iias 0 1 0) || e2e_fail "GetLayout on $path failed"
    HOSTS_MENU_IDS=() HOSTS_MENU_LABELS=()
    local id label
    while IFS=$'\t' read -r id label; do
        HOSTS_MENU_IDS+=("$id")
        HOSTS_MENU_LABELS+=("$label")
    done < <(jq -r '.data[1][2][].data
        | select(.[1].visible.data != false)
        | [.[0], (if .[1].type.data == "separator" then "-" else .[1].label.data end)]
        | @tsv' <<<"$json")
}

# hosts_expect_menu LABEL...: the menu shows exactly these entries.
hosts_expect_menu() {
    hosts_menu
    local IFS='|'
    e2e_expect_eq "menu entries" "$*" "${HOSTS_MENU_LABELS[*]}"
}

# hosts_menu_click LABEL: the host's click on the first entry of that label.
hosts_menu_click() {
    local i
    hosts_menu
    for i in "${!HOSTS_MENU_LABELS[@]}"; do
        [[ ${HOSTS_MENU_LABELS[i]} == "$1" ]] && { hosts_menu_choose $((i + 1)); return; }
    done
    e2e_fail "no menu entry '$1' in: ${HOSTS_MENU_LABELS[*]}"
}

# hosts_menu_choose N: the host's click on the N-th entry (from 1, separators counted).
hosts_menu_choose() {
    hosts_menu
    hosts_busctl call "$HOSTS_ITEM_SERVICE" "$HOSTS_MENU_PATH" com.canonical.dbusmenu \
        Event isvu "${HOSTS_MENU_IDS[$1 - 1]}" clicked i 0 0 || e2e_fail "the click on menu entry $1 failed"
}

# hosts_item_call METHOD [SIGNATURE ARG...]: what a host sends the item, e.g. Activate ii 0 0
# for a left press.
hosts_item_call() {
    hosts_busctl call "$HOSTS_ITEM_SERVICE" "$HOSTS_ITEM_PATH" "$HOSTS_ITEM_IFACE" "$@" ||
        e2e_fail "$1 on the item failed"
}
hosts_activate() { hosts_item_call Activate ii 0 0; }

# ---------------------------------------------------------------- hosts

# hosts_start_xfce_panel: xfce4-panel with its default layout, which holds the status tray (both
# kinds), after its settings daemon, which a desktop's bus would start on demand. No window
# manager here to wait for.
hosts_start_xfce_panel() {
    e2e_need xfce4-panel:xfce4-panel xfconf-query:xfconf
    if ! e2e__alive "${HOSTS_XFCONFD_PID-}"; then
        hosts_spawn xfconfd "$(dpkg -L xfconf | grep -m1 '/xfconfd$')"
        HOSTS_XFCONFD_PID=$HOSTS_PID
    fi
    hosts_spawn xfce4-panel xfce4-panel --disable-wm-check
    HOSTS_PANEL_PID=$HOSTS_PID
}

hosts__no_watcher() { ! hosts_name_owned "$HOSTS_WATCHER"; }

hosts_stop_xfce_panel() {
    e2e__stop_pid "$HOSTS_PANEL_PID"
    e2e__untrack "$HOSTS_PANEL_PID"
    # Its plugins run in wrapper processes that end with it.
    e2e_poll "$E2E_TIMEOUT_MS" e2e__tray_unowned || e2e_fail "the panel's tray kept $E2E_TRAY_SELECTION"
    e2e_poll "$E2E_TIMEOUT_MS" hosts__no_watcher || e2e_fail "the StatusNotifier watcher outlived the panel"
    e2e_log "xfce4-panel stopped"
}

# hosts_xfce_find_icon: waits until xfce4-panel draws the item (its red arrow, in the top
# strip); HOSTS_ICON_X and HOSTS_ICON_Y get a point on it.
hosts__xfce_icon_drawn() {
    import -silent -window root -crop 1024x40+0+0 +repage "$E2E_TMP/strip.png" 2>/dev/null || return 1
    HOSTS_BOX=$(convert "$E2E_TMP/strip.png" -fuzz 20% -fill black +opaque '#d01010' -format '%@' info:)
    [[ $HOSTS_BOX =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && ((BASH_REMATCH[1] < 40)) || return 1
    HOSTS_ICON_X=$((BASH_REMATCH[3] + 6)) HOSTS_ICON_Y=$((BASH_REMATCH[4] + 6))
}
hosts_xfce_find_icon() {
    e2e_poll "$E2E_TIMEOUT_MS" hosts__xfce_icon_drawn ||
        e2e_fail "the panel shows no icon with the program's red arrow (found: ${HOSTS_BOX:-nothing})"
}

# hosts_start_lxqt_panel: lxqt-panel with its statusnotifier plugin only.
hosts_start_lxqt_panel() {
    e2e_need lxqt-panel:lxqt-panel
    mkdir -p "$XDG_CONFIG_HOME/lxqt"
    cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<'CONF'
[General]
panels=panel1
[panel1]
plugins=spacer, sni, clock
position=Top
panelSize=32
iconSize=22
[sni]
type=statusnotifier
[clock]
type=worldclock
CONF
    hosts_spawn lxqt-panel lxqt-panel
}

# hosts_session_user USER: from here on the session (bus, hosts, program) runs
# as USER, in a home, runtime and config folder of its own under the temp dir,
# with a copy of the program it can write beside (HOSTS_EXE). The fake opener
# stays usable: its folder is open to that user.
hosts_session_user() {
    local user=$1 group base=$E2E_TMP/session
    group=$(id -gn "$user") || e2e_fail "no user $user"
    mkdir -p "$base"/{home,run,config,cache,data,program} || e2e_fail "could not make $base"
    e2e_folder_program_dir "$base/program/Quorvel"
    chmod 0711 "$E2E_TMP"
    chmod 0777 "$E2E_TMP/opener"
    chmod 0700 "$base/run"
    chown -R "$user:$group" "$base" || e2e_fail "could not give $base to $user"
    HOSTS_AS=(setpriv "--reuid=$user" "--regid=$group" --clear-groups --)
    HOSTS_USER=$user
    HOSTS_EXE=$E2E_FOLDER_EXE
    HOSTS_FOLDER=$E2E_FOLDER_DIR/$user
    export HOME=$base/home XDG_RUNTIME_DIR=$base/run XDG_CONFIG_HOME=$base/config
    export XDG_CACHE_HOME=$base/cache XDG_DATA_HOME=$base/data
    E2E_STORE=$XDG_CONFIG_HOME/Quorvel/Quorvel.ini
}

# hosts_as_user_write FILE: stdin into FILE, owned by the session's user.
hosts_as_user_write() { "${HOSTS_AS[@]}" tee "$1" >/dev/null || e2e_fail "could not write $1"; }

hosts__sway_up() {
    local f
    for f in "$XDG_RUNTIME_DIR"/sway-ipc.*.sock; do [[ -S $f ]] && SWAYSOCK=$f; done
    [[ -n ${SWAYSOCK:-} && -S $XDG_RUNTIME_DIR/wayland-1 ]]
}

# hosts_start_sway: sway on a headless output (1280x800), with Xwayland for
# X clients, then waybar as the StatusNotifier host. Sets WAYLAND_DISPLAY,
# SWAYSOCK, and HOSTS_XWAYLAND, the X display (not exported, so that only
# what is given it on purpose goes to Xwayland).
hosts_start_sway() {
    e2e_need sway:sway swaymsg:sway waybar:waybar grim:grim Xwayland:xwayland xhost:x11-xserver-utils
    hosts_as_user_write "$XDG_CONFIG_HOME/sway.conf" <<'CONF'
xwayland force
output HEADLESS-1 resolution 1280x800 position 0 0
default_border none
CONF
    hosts_as_user_write "$XDG_CONFIG_HOME/waybar.json" <<'CONF'
{"layer": "top", "position": "top", "height": 30, "modules-right": ["tray", "clock"],
 "tray": {"icon-size": 22, "spacing": 4}, "clock": {"format": "{:%H:%M}"}}
CONF
    unset SWAYSOCK
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
        hosts_spawn sway sway -c "$XDG_CONFIG_HOME/sway.conf"
    e2e_poll "$E2E_TIMEOUT_MS" hosts__sway_up || e2e_fail "sway did not come up: $(tail -n 20 "$E2E_TMP/sway.log")"
    export WAYLAND_DISPLAY=wayland-1 SWAYSOCK
    "${HOSTS_AS[@]}" swaymsg -q exec "printenv DISPLAY >$XDG_RUNTIME_DIR/x-display" ||
        e2e_fail "swaymsg exec failed"
    e2e_poll "$E2E_TIMEOUT_MS" grep -q '^:[0-9]' "$XDG_RUNTIME_DIR/x-display" ||
        e2e_fail "sway started no Xwayland: $(tail -n 20 "$E2E_TMP/sway.log")"
    HOSTS_XWAYLAND=$(head -n 1 "$XDG_RUNTIME_DIR/x-display")
    # Xwayland lets in its own user only; the scenario's X clients run as us.
    "${HOSTS_AS[@]}" env DISPLAY="$HOSTS_XWAYLAND" xhost "+si:localuser:$(id -un)" >/dev/null ||
        e2e_fail "xhost could not let $(id -un) into Xwayland $HOSTS_XWAYLAND"
    GTK_A11Y=none hosts_spawn waybar waybar -c "$XDG_CONFIG_HOME/waybar.json"
    e2e_log "sway up ($SWAYSOCK, Xwayland on $HOSTS_XWAYLAND), waybar started"
}

# hosts_sway_windows: HOSTS_WINDOWS gets "ID<TAB>TITLE" of every window sway shows.
hosts_sway_windows() {
    mapfile -t HOSTS_WINDOWS < <("${HOSTS_AS[@]}" swaymsg -t get_tree |
        jq -r '.. | objects | select(.type == "con" or .type == "floating_con")
               | select((.nodes | length) == 0) | "\(.id)\t\(.name)"')
}

hosts__sway_titled() {
    local line
    hosts_sway_windows
    for line in "${HOSTS_WINDOWS[@]}"; do [[ ${line#*$'\t'} == "$1" ]] && return 0; done
    return 1
}

# hosts_sway_window NAME TITLE [APP_ID]: a foot terminal titled TITLE (the title
# stays put: the command run in it never sets one), with the app_id of a file
# manager (pcmanfm-qt unless given); its pid in HOSTS_WIN_PID[NAME].
declare -gA HOSTS_WIN_PID=()
hosts_sway_window() {
    e2e_need foot:foot
    hosts_spawn "foot-$1" foot --app-id "${3:-pcmanfm-qt}" --title "$2" sleep 600
    HOSTS_WIN_PID[$1]=$HOSTS_PID
    e2e_poll "$E2E_TIMEOUT_MS" hosts__sway_titled "$2" ||
        e2e_fail "expected a sway window titled '$2'; windows: ${HOSTS_WINDOWS[*]}"
}

hosts_sway_expect_closed() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "${HOSTS_WIN_PID[$1]}" ||
        e2e_fail "expected the window $1 to be closed; windows: $(hosts_sway_windows; printf '%q ' "${HOSTS_WINDOWS[@]}")"
    e2e__untrack "${HOSTS_WIN_PID[$1]}"
}

hosts_sway_expect_open() {
    e2e__alive "${HOSTS_WIN_PID[$1]}" && hosts__sway_titled "$2" ||
        e2e_fail "expected the window $1 ('$2') to stay open; windows: $(printf '%q ' "${HOSTS_WINDOWS[@]}")"
}

# hosts_grim NAME: screenshot of the sway output into the artifacts.
hosts_grim() {
    "${HOSTS_AS[@]}" grim "$XDG_RUNTIME_DIR/shot.png" && cp "$XDG_RUNTIME_DIR/shot.png" "$E2E_ARTIFACTS/$1.png" ||
        e2e_fail "grim could not take $1"
    e2e_log "screenshot $E2E_ARTIFACTS/$1.png"
}

# hosts_start_program [ENV_ARG...]: the program (HOSTS_EXE, else the one under test) from its
# own folder, with these arguments to env(1).
hosts_start_program() {
    local exe=${HOSTS_EXE:-$E2E_PROGRAM} env=() arg
    for arg in "$@"; do env+=(--env "$arg"); done
    e2e_start_program --cwd "$(dirname "$exe")" --exe "$exe" "${env[@]}"
}

# hosts_seed_store TITLE0 URL0 ...: e2e_seed_store, left to the session's user.
hosts_seed_store() {
    e2e_seed_store "$@"
    [[ ${#HOSTS_AS[@]} -eq 0 ]] || chown -R "$HOSTS_USER" "$XDG_CONFIG_HOME/Quorvel"
}

# hosts_bar_colours FILE W H: colours in the top W x H strip of a screenshot
# (a bare panel shows a handful; an icon adds its own).
hosts_bar_colours() { convert "$1" -crop "${2}x${3}+0+0" +repage -format '%k' info:; }

hosts__icon_drawn() {
    "$HOSTS_SHOT" "$1"
    HOSTS_AFTER=$(hosts_bar_colours "$E2E_ARTIFACTS/$1.png" "$3" "$4")
    # The margin: a clock that turns a minute adds a few colours, an icon hundreds.
    ((HOSTS_AFTER > HOSTS_BEFORE + 32))
}

# hosts_wait_icon_drawn SHOT NAME BEFORE W H: takes screenshot NAME with the
# command SHOT until the panel strip (the top W x H) holds clearly more colours
# than in screenshot BEFORE, taken before the program started.
hosts_wait_icon_drawn() {
    HOSTS_SHOT=$1
    HOSTS_BEFORE=$(hosts_bar_colours "$E2E_ARTIFACTS/$3.png" "$4" "$5")
    e2e_poll "$E2E_TIMEOUT_MS" hosts__icon_drawn "$2" "$3" "$4" "$5" ||
        e2e_fail "expected the icon to add colours to the panel (${4}x$5 strip): $HOSTS_BEFORE colours before, $HOSTS_AFTER now"
    e2e_log "panel strip: $HOSTS_BEFORE colours before the program, $HOSTS_AFTER with its icon"
}

# The steps every X host's StatusNotifier run shares. hosts_x_item_up SHOT: seeds a tricky first
# bookmark (HOSTS_TITLE0, HOSTS_URL0) beside the defaults, starts the program from a private
# program folder, and checks the item, its tip, its menu and that the host draws it; SHOT takes
# a screenshot of the panel by name (panel-before must exist).
HOSTS_TITLE0='ブック "一"; 1+1=2'
HOSTS_URL0="https://example.test/a b?q=1&r='2'#;frag"
hosts_x_item_up() {
    local shot=$1 t=$E2E_DEFAULT_TITLE u=$E2E_DEFAULT_URL
    e2e_seed_store "$HOSTS_TITLE0" "$HOSTS_URL0" "$t" "$u" "$t" "$u" "$t" "$u" "$t" "$u"
    e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
    e2e_start_program --exe "$E2E_FOLDER_EXE"
    hosts_wait_item
    hosts_expect_item_names Quorvel
    hosts_expect_menu "$HOSTS_TITLE0" "$t" "$t" "$t" "$t" - URL編集 ヘルプ - 終了
    hosts_wait_icon_drawn "$shot" panel-item panel-before 1024 32
}

# Then: the first bookmark reaches the opener once, Activate opens the private folder, 終了
# exits 0 and takes the item away.
hosts_x_item_commands() {
    hosts_menu_click "$HOSTS_TITLE0"
    e2e_wait_opener_calls 1
    e2e_expect_opener_call 1 "$HOSTS_URL0"
    hosts_activate
    e2e_wait_opener_calls 2
    e2e_expect_opener_call 2 "$E2E_FOLDER_PATH"
    hosts_menu_click 終了
    e2e_expect_exit_status 0
    hosts_wait_item_gone
    e2e_wait_no_windows
}

# ---------------------------------------------------------------- KDE Plasma

# hosts_start_kwin: kwin_wayland on a virtual 1280x800 output with Xwayland, run from a plain
# copy (the packaged binary carries a file capability a container may not grant), then the
# activity manager and kded that plasmashell needs. The pointer client (kwin_pointer.c) is
# allowed KWin's fake input by a desktop file. Sets WAYLAND_DISPLAY.
hosts_start_kwin() {
    local base=$E2E_TMP/session proto=/usr/share/plasma-wayland-protocols/fake-input.xml
    local am=/usr/share/dbus-1/services/org.kde.ActivityManager.service
    e2e_need kwin_wayland:kwin-wayland plasmashell:plasma-workspace kded5:kded5 \
        kbuildsycoca5:libkf5service-bin spectacle:kde-spectacle wayland-scanner:libwayland-bin \
        "$proto:plasma-wayland-protocols" "$am:kactivitymanagerd"
    export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
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
    "${HOSTS_AS[@]}" kbuildsycoca5 >>"$E2E_TMP/kbuildsycoca5.log" 2>&1 || e2e_fail "kbuildsycoca5 failed"
    hosts_spawn kwin "$base/kwin_wayland" --virtual --width 1280 --height 800 \
        --socket wayland-kde --xwayland --no-lockscreen
    e2e_poll 20000 hosts_busctl status org.kde.KWin >/dev/null 2>&1 ||
        e2e_fail "kwin_wayland did not come up: $(tail -n 20 "$E2E_TMP/kwin.log")"
    export WAYLAND_DISPLAY=wayland-kde
    QT_QPA_PLATFORM=wayland hosts_spawn kactivitymanagerd "$(sed -n 's/^Exec=//p' "$am")"
    QT_QPA_PLATFORM=wayland hosts_spawn kded5 kded5
    mkfifo "$E2E_TMP/pointer.in" && chmod 0644 "$E2E_TMP/pointer.in" || e2e_fail "mkfifo failed"
    hosts_spawn kwin_pointer sh -c 'exec "$0" <"$1"' "$base/kwin_pointer" "$E2E_TMP/pointer.in"
    exec {HOSTS_POINTER_FD}>"$E2E_TMP/pointer.in"
    HOSTS_POINTER_DONE=0
    e2e_log "kwin_wayland up on $WAYLAND_DISPLAY"
}

# hosts_start_plasmashell: the StatusNotifier watcher (kded's module), then plasmashell, with
# no tooltips (a late one closes the icon's menu on a loaded machine).
hosts_start_plasmashell() {
    printf '[PlasmaToolTips]\nDelay=-1\n' | hosts_as_user_write "$XDG_CONFIG_HOME/plasmarc"
    e2e_poll "$E2E_TIMEOUT_MS" hosts_busctl call org.kde.kded5 /kded org.kde.kded5 loadModule \
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

# hosts_spectacle NAME: screenshot of KWin's output into the artifacts.
hosts_spectacle() {
    "${HOSTS_AS[@]}" env QT_QPA_PLATFORM=wayland spectacle -b -n -f -o "$XDG_RUNTIME_DIR/shot.png" \
        >>"$E2E_TMP/spectacle.log" 2>&1 && cp "$XDG_RUNTIME_DIR/shot.png" "$E2E_ARTIFACTS/$1.png" ||
        e2e_fail "spectacle could not take $1: $(tail -n 5 "$E2E_TMP/spectacle.log")"
    e2e_log "screenshot $E2E_ARTIFACTS/$1.png"
}

hosts__icon_green() {
    local box
    hosts_spectacle "$1"
    box=$(convert "$E2E_ARTIFACTS/$1.png" -crop 340x44+900+756 +repage -fuzz 12% -fill black \
        +opaque '#2fae4a' -format '%@' info: 2>/dev/null)
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && ((BASH_REMATCH[1] >= 4)) || return 1
    HOSTS_ICON_X=$((900 + BASH_REMATCH[3] + BASH_REMATCH[1] / 2))
    HOSTS_ICON_Y=$((756 + BASH_REMATCH[4] + BASH_REMATCH[2] / 2))
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
    printf '%s\n' "var w = workspace.clientList();" \
        "for (var i = 0; i < w.length; ++i) print('windows-$n\t' + w[i].caption + '\t' + w[i].resourceClass + (w[i].popupWindow ? '\tpopup' : ''));" \
        "print('windows-$n end');" >"$script"
    local id
    id=$(hosts_busctl call org.kde.KWin /Scripting org.kde.kwin.Scripting loadScript ss "$script" "windows-$n") &&
        hosts_busctl call org.kde.KWin "/${id#i }" org.kde.kwin.Script run &&
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

# ---------------------------------------------------------------- GNOME Shell

HOSTS_GNOME_EXTENSION=ubuntu-appindicators@ubuntu.com

# What the scenarios ask of the shell, loaded once through Eval (allowed by --unsafe-mode): a
# virtual pointer for real clicks (moving it also marks the user active, without which banners
# never time out), the AppIndicator extension's icons with their menus, the banner on screen
# and the windows. Places are the centres of the actors, in screen pixels.
HOSTS_GNOME_JS='globalThis.quorvelProbe = (() => {
  const { Clutter } = imports.gi;
  const Main = imports.ui.main, PopupMenu = imports.ui.popupMenu;
  const pointer = Clutter.get_default_backend().get_default_seat()
    .create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
  const place = a => {
    const [x, y] = a.get_transformed_position(), [w, h] = a.get_transformed_size();
    return { x: Math.round(x + w / 2), y: Math.round(y + h / 2), shown: a.visible && a.mapped };
  };
  const button = s => pointer.notify_button(Clutter.CURRENT_TIME, Clutter.BUTTON_PRIMARY, s);
  return {
    move: (x, y) => pointer.notify_absolute_motion(Clutter.CURRENT_TIME, x, y),
    click(x, y, n) {
      this.move(x, y);
      for (let i = 0; i < n; i++) {
        button(Clutter.ButtonState.PRESSED);
        button(Clutter.ButtonState.RELEASED);
      }
    },
    icons: () => Object.entries(Main.panel.statusArea)
      .filter(([id, icon]) => id.startsWith("appindicator-") && icon)
      .map(([id, icon]) => ({ id, ...place(icon), open: icon.menu.isOpen,
        menu: icon.menu._getMenuItems().filter(i => i.visible).map(i => ({
          label: i instanceof PopupMenu.PopupSeparatorMenuItem ? "-" : i.label.text, ...place(i) })) })),
    banner() {
      const tray = Main.messageTray, b = tray._banner, n = tray._notification;
      if (!b || !n || tray._notificationState !== 2)
        return null;
      const buttons = b._buttonBox ? b._buttonBox.get_children() : [];
      return { title: n.title, body: n.bannerBodyText, ...place(b),
        buttons: buttons.map(c => ({ label: c.label, ...place(c) })) };
    },
    windows: () => global.get_window_actors().map(a => a.meta_window)
      .map(w => ({ id: w.get_stable_sequence(), title: w.get_title(), class: w.get_wm_class() })),
  };
})(); !imports.ui.main.layoutManager._startingUp'

# hosts_gnome_call ARGS...: busctl call to the shell, which may answer late: a busy machine
# slows its main loop.
hosts_gnome_call() { "${HOSTS_AS[@]}" busctl --user --timeout=30 call "$@"; }

# hosts_gnome_eval JS: HOSTS_EVAL gets the JSON of what JS evaluates to in the shell.
hosts_gnome_eval() {
    local out
    out=$(hosts_gnome_call --json=short org.gnome.Shell /org/gnome/Shell org.gnome.Shell Eval s "$1") ||
        return 1
    HOSTS_EVAL=$(jq -r '.data[1]' <<<"$out")
    [[ $(jq -r '.data[0]' <<<"$out") == true ]]
}

# hosts_gnome_probe CALL: HOSTS_EVAL gets quorvelProbe.CALL as JSON.
hosts_gnome_probe() { hosts_gnome_eval "quorvelProbe.$1" || e2e_fail "Eval of quorvelProbe.$1 failed: $HOSTS_EVAL"; }

hosts__gnome_up() { hosts_gnome_eval "$HOSTS_GNOME_JS" 2>/dev/null && [[ $HOSTS_EVAL == true ]]; }

# hosts_start_gnome: GNOME Shell 43 headless on Wayland (1280x800), in unsafe mode for Eval and
# Screenshot, beside a second private bus standing in for the system bus (its login-manager
# code dies without one). Nautilus is the folder handler. The AppIndicator extension stays off
# until hosts_gnome_extension. Sets WAYLAND_DISPLAY.
hosts_start_gnome() {
    e2e_need gnome-shell:gnome-shell gjs:gjs gio:libglib2.0-bin nautilus:nautilus \
        dbus-update-activation-environment:dbus-bin \
        "/usr/share/gnome-shell/extensions/$HOSTS_GNOME_EXTENSION:gnome-shell-extension-appindicator"
    hosts_start_bus --system
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-gnome GTK_A11Y=none
    # Nautilus waits for the file indexer, which has nothing to find here.
    mkdir -p "$XDG_DATA_HOME/dbus-1/services" &&
        printf '[D-BUS Service]\nName=org.freedesktop.Tracker3.Miner.Files\nExec=/bin/false\n' \
            >"$XDG_DATA_HOME/dbus-1/services/org.freedesktop.Tracker3.Miner.Files.service" &&
        hosts_busctl call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus ReloadConfig ||
        e2e_fail "could not keep the file indexer off the bus"
    "${HOSTS_AS[@]}" gio mime inode/directory org.gnome.Nautilus.desktop >/dev/null &&
        "${HOSTS_AS[@]}" dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP \
            DBUS_SYSTEM_BUS_ADDRESS XDG_SESSION_TYPE GTK_A11Y || e2e_fail "could not make nautilus the folder handler"
    # Its warning that the screen cannot lock, shown once per user, would queue our banners.
    "${HOSTS_AS[@]}" mkdir -p "$XDG_DATA_HOME/gnome-shell" &&
        "${HOSTS_AS[@]}" touch "$XDG_DATA_HOME/gnome-shell/lock-warning-shown" || e2e_fail "could not write to $XDG_DATA_HOME"
    hosts_spawn gnome-shell gnome-shell --wayland --headless --virtual-monitor 1280x800 --unsafe-mode \
        --wayland-display="$WAYLAND_DISPLAY"
    e2e_poll 60000 hosts__gnome_up || e2e_fail "GNOME Shell did not come up: $(tail -n 20 "$E2E_TMP/gnome-shell.log")"
    # It starts in the overview, as after a login.
    hosts_gnome_eval 'imports.ui.main.overview.hide()' || e2e_fail "could not leave the overview: $HOSTS_EVAL"
    e2e_log "GNOME Shell up on $WAYLAND_DISPLAY"
}

# hosts_gnome_extension: turns the AppIndicator extension on, as the Extensions app does.
hosts_gnome_extension() {
    [[ $(hosts_gnome_call org.gnome.Shell /org/gnome/Shell org.gnome.Shell.Extensions EnableExtension s \
        "$HOSTS_GNOME_EXTENSION") == "b true" ]] || e2e_fail "GNOME Shell did not turn $HOSTS_GNOME_EXTENSION on"
    e2e_log "AppIndicator extension on"
}

# hosts_gnome_shot NAME: screenshot of the whole screen into the artifacts.
hosts_gnome_shot() {
    hosts_gnome_call org.gnome.Shell.Screenshot /org/gnome/Shell/Screenshot org.gnome.Shell.Screenshot \
        Screenshot bbs false false "$XDG_RUNTIME_DIR/shot.png" >/dev/null &&
        cp "$XDG_RUNTIME_DIR/shot.png" "$E2E_ARTIFACTS/$1.png" || e2e_fail "GNOME Shell could not take $1"
    e2e_log "screenshot $E2E_ARTIFACTS/$1.png"
}

# hosts_gnome_icon: one icon of the extension shown in the top bar: its place and menu as JSON
# in HOSTS_ICON.
hosts__gnome_icon() {
    hosts_gnome_probe 'icons()'
    HOSTS_ICON=$(jq -c 'select(length == 1 and .[0].shown) | .[0]' <<<"$HOSTS_EVAL")
    [[ -n $HOSTS_ICON ]]
}
hosts__gnome_no_icon() { hosts_gnome_probe 'icons()' && [[ $HOSTS_EVAL == '[]' ]]; }
hosts_gnome_wait_icon() {
    e2e_poll "$E2E_TIMEOUT_MS" hosts__gnome_icon || e2e_fail "expected one shown icon in the top bar, saw: $HOSTS_EVAL"
}

# hosts_gnome_click "X, Y" [N]: N (default 1) real left clicks at that place.
hosts_gnome_click() { hosts_gnome_probe "click($1, ${2:-1})"; }

# hosts_gnome_click_icon [N]: N left clicks on the icon.
hosts_gnome_click_icon() {
    hosts_gnome_wait_icon
    hosts_gnome_click "$(jq -r '"\(.x), \(.y)"' <<<"$HOSTS_ICON")" "${1:-1}"
}

hosts__gnome_menu_open() { hosts__gnome_icon && [[ $(jq '.open and all(.menu[]; .shown)' <<<"$HOSTS_ICON") == true ]]; }

# hosts_gnome_menu: a click on the icon opens its menu; HOSTS_MENU_LABELS gets what it shows.
hosts_gnome_menu() {
    hosts_gnome_click_icon
    e2e_poll "$E2E_TIMEOUT_MS" hosts__gnome_menu_open || e2e_fail "a click on the icon opened no menu: $HOSTS_ICON"
    mapfile -t HOSTS_MENU_LABELS < <(jq -r '.menu[].label' <<<"$HOSTS_ICON")
}

# hosts_gnome_menu_click LABEL: a real click on that entry of the open menu.
hosts_gnome_menu_click() {
    local at
    at=$(jq -r --arg l "$1" 'first(.menu[] | select(.label == $l) | "\(.x), \(.y)")' <<<"$HOSTS_ICON")
    [[ -n $at ]] || e2e_fail "no entry '$1' in the menu: $HOSTS_ICON"
    hosts_gnome_click "$at"
}

# hosts_gnome_windows: HOSTS_WINDOWS gets "CLASS<TAB>TITLE" of every window on screen, and
# HOSTS_WINDOW_IDS their ids (which the shell never reuses).
hosts_gnome_windows() {
    hosts_gnome_probe 'windows()'
    mapfile -t HOSTS_WINDOWS < <(jq -r '.[] | "\(.class)\t\(.title)"' <<<"$HOSTS_EVAL")
    mapfile -t HOSTS_WINDOW_IDS < <(jq -r '.[].id' <<<"$HOSTS_EVAL")
}

# hosts_gnome_window_ids CLASS<TAB>TITLE: the ids of those windows, one a line.
hosts_gnome_window_ids() {
    local i
    hosts_gnome_windows
    for i in "${!HOSTS_WINDOWS[@]}"; do
        [[ ${HOSTS_WINDOWS[i]} == "$1" ]] && echo "${HOSTS_WINDOW_IDS[i]}"
    done
    return 0
}
hosts__gnome_window() {
    hosts_gnome_windows
    [[ $(printf '%s\n' "${HOSTS_WINDOWS[@]}" | grep -cxF "$1") == "$2" ]]
}

# hosts_gnome_wait_windows CLASS<TAB>TITLE N: N windows of that class and title are on screen.
hosts_gnome_wait_windows() {
    # A file manager's first window, started cold, may take long to show its folder.
    e2e_poll 30000 hosts__gnome_window "$1" "$2" ||
        e2e_fail "expected $2 window(s) '$1'; windows: $(printf '%q ' "${HOSTS_WINDOWS[@]}")"
}

# hosts_gnome_banner: a banner is on screen; HOSTS_EVAL gets it as JSON.
hosts_gnome_banner() { hosts_gnome_probe 'banner()' && [[ $HOSTS_EVAL != null ]]; }
hosts__gnome_no_banner() { ! hosts_gnome_banner; }
hosts_gnome_wait_banner() {
    e2e_poll "${1:-$E2E_TIMEOUT_MS}" hosts_gnome_banner || e2e_fail "expected a banner; saw: $HOSTS_EVAL"
}

hosts__gnome_banner_button() {
    hosts_gnome_banner &&
        HOSTS_AT=$(jq -r --arg l "$1" 'first(.buttons[] | select(.label == $l and .shown) | "\(.x), \(.y)")' <<<"$HOSTS_EVAL") &&
        [[ -n $HOSTS_AT ]]
}

# hosts_gnome_wait_banner_button LABEL: the banner shows that button; its place ("X, Y") in HOSTS_AT.
hosts_gnome_wait_banner_button() {
    e2e_poll "$E2E_TIMEOUT_MS" hosts__gnome_banner_button "$1" || e2e_fail "the banner shows no $1: $HOSTS_EVAL"
}
