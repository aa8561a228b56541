# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Real desktop sessions for the end-to-end scenarios: the private bus, the session's user, the
# program's StatusNotifier item and menu read and driven over D-Bus with busctl as a host does,
# and xfce4-panel and lxqt-panel on the scenario's Xvfb display. sway.sh, kde.sh and gnome.sh
# add the Wayland desktops. Every process started here is tracked and stopped by lib.sh's
# cleanup.

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
    e2e_poll "$E2E_TIMEOUT_MS" grep -qs . "$E2E_TMP/$name.address" ||
        e2e_fail "the $name did not start: $(cat "$E2E_TMP/$name.log")"
    export "$var=$(head -n 1 "$E2E_TMP/$name.address")"
    e2e_log "$name ${!var}"
}

# hosts_spawn NAME CMD...: starts a host process in the background, logged to NAME.log.
hosts_spawn() {
    local name=$1
    shift
    # From a folder the session's user can enter, which the source tree (say, in /root) may not be.
    (cd "$HOME" && exec "${HOSTS_AS[@]}" "$@") >>"$E2E_TMP/$name.log" 2>&1 &
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

# hosts_expect_item_icon NAME THEME-PATH: the item names its icon so (both empty where it is not
# installed), and sends its pictures as well.
hosts_expect_item_icon() {
    e2e_expect_eq "item IconName" "\"$1\"" "$(hosts_item_property IconName)"
    e2e_expect_eq "item IconThemePath" "\"$2\"" "$(hosts_item_property IconThemePath)"
    (($(hosts_item_property IconPixmap | jq length) >= 1)) || e2e_fail "the item sends no pictures"
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

# hosts_find_icon FILE W H X Y COLOUR FUZZ: the icon's patch of COLOUR (4 to 39 px wide) within
# that part of a screenshot; HOSTS_ICON_X and HOSTS_ICON_Y get its middle.
hosts_find_icon() {
    HOSTS_BOX=$(convert "$1" -crop "${2}x$3+$4+$5" +repage -fuzz "$7" -fill black +opaque "$6" -format '%@' info:)
    [[ $HOSTS_BOX =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && ((BASH_REMATCH[1] >= 4 && BASH_REMATCH[1] < 40)) ||
        return 1
    HOSTS_ICON_X=$(($4 + BASH_REMATCH[3] + BASH_REMATCH[1] / 2))
    HOSTS_ICON_Y=$(($5 + BASH_REMATCH[4] + BASH_REMATCH[2] / 2))
}

# hosts_xfce_find_icon: waits until xfce4-panel draws the item's red arrow in the top strip.
hosts__xfce_icon_drawn() {
    import -silent -window root "$E2E_TMP/screen.png" 2>/dev/null &&
        hosts_find_icon "$E2E_TMP/screen.png" 1024 40 0 0 '#d01010' 20%
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
