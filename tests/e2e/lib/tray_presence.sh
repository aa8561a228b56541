# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Real hosts that come and go during a run: a private session bus, xfce4-panel (StatusNotifier
# watcher and host, XEmbed tray too), dunst (notification server), and a look at the program's
# StatusNotifier item over D-Bus. Sourced after lib.sh; names start with e2e_tp_.

# e2e_tp_need TOOL:PACKAGE...: fails naming what is missing.
e2e_tp_need() {
    local tool missing=()
    for tool in "$@"; do
        command -v "${tool%%:*}" >/dev/null || missing+=("${tool%%:*} (${tool#*:})")
    done
    ((${#missing[@]} == 0)) || e2e_fail "missing: ${missing[*]}"
}

# e2e_tp_start_bus: a session bus of the scenario's own (the program and the hosts share it),
# which starts nothing by itself: every server on it is one the scenario started.
e2e_tp_start_bus() {
    e2e_tp_need dbus-daemon:dbus dbus-send:dbus
    cat >"$E2E_TMP/bus.conf" <<'EOF2'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF2
    dbus-daemon --config-file="$E2E_TMP/bus.conf" --nofork --print-address=3 \
        3>"$E2E_TMP/bus-address" >"$E2E_TMP/bus.log" 2>&1 &
    e2e__track "$!" dbus-daemon
    e2e_poll "$E2E_TIMEOUT_MS" grep -qs . "$E2E_TMP/bus-address" || e2e_fail "dbus-daemon gave no address"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/bus-address")
    export DBUS_SESSION_BUS_ADDRESS
}

e2e_tp_call() { dbus-send --session --print-reply=literal "$@" 2>&1; }

# e2e_tp_start_panel: xfce4-panel with its default layout, which holds the status tray.
e2e_tp_start_panel() {
    e2e_tp_need xfce4-panel:xfce4-panel
    if [[ -z ${E2E_TP_XFCONFD_PID:-} ]]; then
        # Its settings daemon, which a desktop's bus would start on demand.
        "$(dpkg -L xfconf 2>/dev/null | grep -m1 '/xfconfd$')" >"$E2E_TMP/xfconfd.log" 2>&1 &
        E2E_TP_XFCONFD_PID=$!
        e2e__track "$E2E_TP_XFCONFD_PID" xfconfd
    fi
    # No window manager here to wait for.
    xfce4-panel --disable-wm-check >>"$E2E_TMP/panel.log" 2>&1 &
    E2E_TP_PANEL_PID=$!
    e2e__track "$E2E_TP_PANEL_PID" xfce4-panel
    e2e_log "xfce4-panel started (pid $E2E_TP_PANEL_PID)"
}

e2e_tp_stop_panel() {
    e2e__stop_pid "$E2E_TP_PANEL_PID"
    e2e__untrack "$E2E_TP_PANEL_PID"
    # Its plugins run in wrapper processes that end with it.
    e2e_poll "$E2E_TIMEOUT_MS" e2e__tray_unowned || e2e_fail "the panel's tray kept $E2E_TRAY_SELECTION"
    e2e_poll "$E2E_TIMEOUT_MS" e2e_tp__no_watcher || e2e_fail "the StatusNotifier watcher outlived the panel"
    e2e_log "xfce4-panel stopped"
}

e2e_tp__no_watcher() {
    [[ $(e2e_tp_call --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
        string:org.kde.StatusNotifierWatcher) == *false* ]]
}

# Sets E2E_TP_ITEMS to the watcher's registered items (empty without a watcher).
e2e_tp_items() {
    local out
    E2E_TP_ITEMS=()
    out=$(e2e_tp_call --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:RegisteredStatusNotifierItems) || return 0
    read -ra E2E_TP_ITEMS <<<"$(tr -s '[]\n' '   ' <<<"${out#*array}")"
}

e2e_tp__our_item() {
    local item
    e2e_tp_items
    for item in "${E2E_TP_ITEMS[@]}"; do
        # Registered by unique name: ours when that connection is the program's.
        if [[ $(e2e_tp_call --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.GetConnectionUnixProcessID "string:${item%%/*}") == *" $E2E_PROGRAM_PID" ]]; then
            E2E_TP_SERVICE=${item%%/*} E2E_TP_PATH=/StatusNotifierItem
            [[ $item == */* ]] && E2E_TP_PATH=/${item#*/}
            return 0
        fi
    done
    return 1
}
e2e_tp__no_item() { ! e2e_tp__our_item; }

# e2e_tp_wait_item [MS]: waits until the program's item is registered with the watcher; sets
# E2E_TP_SERVICE, E2E_TP_PATH and E2E_TP_REGISTERED_MS (when it was first seen).
e2e_tp_wait_item() {
    e2e_poll "${1:-$E2E_TIMEOUT_MS}" e2e_tp__our_item ||
        e2e_fail "expected the program's StatusNotifier item to be registered; the watcher lists: ${E2E_TP_ITEMS[*]:-nothing}"
    e2e__now
    E2E_TP_REGISTERED_MS=$E2E_NOW
    ((${#E2E_TP_ITEMS[@]} == 1)) || e2e_fail "expected one registered item, saw: ${E2E_TP_ITEMS[*]}"
    e2e_log "item registered: $E2E_TP_SERVICE$E2E_TP_PATH"
}

e2e_tp_wait_no_item() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e_tp__no_item || e2e_fail "expected the program's item to be gone, the watcher lists: ${E2E_TP_ITEMS[*]}"
}

# e2e_tp_item_property NAME: prints the item's property as dbus-send shows it.
e2e_tp_item_property() {
    e2e_tp_call --dest="$E2E_TP_SERVICE" "$E2E_TP_PATH" org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierItem "string:$1"
}

# e2e_tp_menu_path: the item's Menu property; sets E2E_TP_MENU.
e2e_tp_menu_path() {
    local out
    out=$(e2e_tp_item_property Menu)
    E2E_TP_MENU=$(grep -o '/[^ ]*' <<<"$out" | head -n 1)
    [[ -n $E2E_TP_MENU ]] || e2e_fail "the item has no Menu path: $out"
}

# e2e_tp_menu_entries: the exported menu as the host gets it; E2E_TP_ENTRIES gets one caption
# per entry ("-" for a separator) and E2E_TP_IDS their ids, in order.
e2e_tp_menu_entries() {
    local out
    e2e_tp_menu_path
    out=$(dbus-send --session --print-reply --dest="$E2E_TP_SERVICE" "$E2E_TP_MENU" \
        com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:label,type 2>&1) ||
        e2e_fail "GetLayout failed: $out"
    E2E_TP_ENTRIES=() E2E_TP_IDS=()
    local line id='' key='' depth=0
    while IFS= read -r line; do
        # Children are the structs inside variants; their first field is the id.
        if [[ $line =~ ^\ *variant\ +struct\ \{ ]]; then
            depth=1
        elif ((depth == 1)) && [[ $line =~ ^\ *int32\ (-?[0-9]+)$ ]]; then
            id=${BASH_REMATCH[1]} depth=2
            E2E_TP_IDS+=("$id")
            E2E_TP_ENTRIES+=("")
        elif ((depth == 2)) && [[ $line =~ ^\ *string\ \"(label|type)\"$ ]]; then
            key=${BASH_REMATCH[1]}
        elif ((depth == 2)) && [[ -n $key && $line =~ ^\ *variant\ +string\ \"(.*)\"$ ]]; then
            if [[ $key == label ]]; then
                E2E_TP_ENTRIES[-1]=${BASH_REMATCH[1]}
            elif [[ ${BASH_REMATCH[1]} == separator ]]; then
                E2E_TP_ENTRIES[-1]=-
            fi
            key=''
        fi
    done <<<"$out"
}

# e2e_tp_expect_menu CAPTION...: the exported entries are exactly these, in order.
e2e_tp_expect_menu() {
    e2e_tp_menu_entries
    e2e_expect_eq "entries of the exported menu" "$*" "${E2E_TP_ENTRIES[*]}"
}

# e2e_tp_choose N: the host's "clicked" event on the N-th entry (1-based, separators counted).
e2e_tp_choose() {
    local out
    out=$(e2e_tp_call --dest="$E2E_TP_SERVICE" "$E2E_TP_MENU" com.canonical.dbusmenu.Event \
        "int32:${E2E_TP_IDS[$(($1 - 1))]}" string:clicked variant:int32:0 uint32:0) ||
        e2e_fail "menu Event on entry $1 failed: $out"
}

# e2e_tp_item_method NAME ARG...: calls a method of the item as a host would.
e2e_tp_item_method() {
    local out
    out=$(e2e_tp_call --dest="$E2E_TP_SERVICE" "$E2E_TP_PATH" "org.kde.StatusNotifierItem.$1" "${@:2}") ||
        e2e_fail "$1 failed: $out"
}

# e2e_tp_activate: what a host sends for a left press on the item.
e2e_tp_activate() { e2e_tp_item_method Activate int32:0 int32:0; }

# e2e_tp_find_icon: waits until the panel draws the item (its red arrow, in the top strip); sets
# E2E_TP_ICON_X and E2E_TP_ICON_Y to a point on it.
e2e_tp__icon_drawn() {
    import -silent -window root -crop 1024x40+0+0 +repage "$E2E_TMP/strip.png" 2>/dev/null || return 1
    E2E_TP_BOX=$(convert "$E2E_TMP/strip.png" -fuzz 20% -fill black +opaque '#d01010' -format '%@' info:)
    [[ $E2E_TP_BOX =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && ((BASH_REMATCH[1] < 40)) || return 1
    E2E_TP_ICON_X=$((BASH_REMATCH[3] + 6)) E2E_TP_ICON_Y=$((BASH_REMATCH[4] + 6))
}
e2e_tp_find_icon() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e_tp__icon_drawn ||
        e2e_fail "the panel shows no icon with the program's red arrow (found: ${E2E_TP_BOX:-nothing})"
}

# e2e_tp_expect_item_names: Id and Title are "Quorvel", and so is the tooltip's title.
e2e_tp_expect_item_names() {
    local name out
    for name in Id Title; do
        out=$(e2e_tp_item_property "$name")
        e2e_expect_eq "item property $name" "Quorvel" "$(sed -n 's/^ *variant *//p' <<<"$out" | head -n 1)"
    done
    out=$(e2e_tp_item_property ToolTip)
    [[ $out == *" Quorvel "* || $out == *"Quorvel"* ]] || e2e_fail "the tooltip does not say Quorvel: $out"
}

# The panel with the item in it, a strip across the top of the screen.
e2e_tp_screenshot_panel() { e2e_screenshot "$1" 0 0 1024 40; }

# ---------------------------------------------------------------- dunst

# e2e_tp_start_dunst: dunst as the notification server; a left click on a notification invokes
# its action. Every notification it gets is recorded (app, summary, body) in notified.log.
e2e_tp_start_dunst() {
    e2e_tp_need dunst:dunst dunstctl:dunst
    cat >"$E2E_TMP/record-notification" <<EOF2
#!/bin/sh
printf '%s|%s|%s\n' "\$DUNST_APP_NAME" "\$DUNST_SUMMARY" "\$DUNST_BODY" >>"$E2E_TMP/notified.log"
EOF2
    chmod +x "$E2E_TMP/record-notification"
    cat >"$E2E_TMP/dunstrc" <<EOF2
[global]
    font = Noto Sans CJK JP 10
    width = 420
    origin = top-right
    offset = 10x50
    mouse_left_click = do_action, close_current
    show_indicators = yes
[record]
    appname = "*"
    script = $E2E_TMP/record-notification
EOF2
    : >"$E2E_TMP/notified.log"
    dunst -config "$E2E_TMP/dunstrc" >"$E2E_TMP/dunst.log" 2>&1 &
    e2e__track "$!" dunst
    e2e_poll "$E2E_TIMEOUT_MS" e2e_tp__notifications_owned || e2e_fail "dunst did not take org.freedesktop.Notifications: $(cat "$E2E_TMP/dunst.log")"
    e2e_log "dunst serves notifications"
}

e2e_tp__notifications_owned() {
    [[ $(e2e_tp_call --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
        string:org.freedesktop.Notifications) == *true* ]]
}

e2e_tp_displayed() { dunstctl count displayed 2>/dev/null; }
e2e_tp__displayed_is() { [[ $(e2e_tp_displayed) == "$1" ]]; }

# e2e_tp_wait_displayed N [MS]: dunst shows N notifications.
e2e_tp_wait_displayed() {
    e2e_poll "${2:-$E2E_TIMEOUT_MS}" e2e_tp__displayed_is "$1" ||
        e2e_fail "expected dunst to show $1 notification(s), it shows $(e2e_tp_displayed); received: $(cat "$E2E_TMP/notified.log")"
}

# The notice the program gives when it finds no notification area.
E2E_TP_NOTICE='通知領域（システムトレイ）が見つかりません。通知領域ができるとすぐにアイコンが表示されます。'

# e2e_tp_expect_notice: dunst received the notice once, and stderr carries the same text.
e2e_tp_expect_notice() {
    e2e_expect_eq "notifications dunst received (app|summary|body)" "Quorvel|Quorvel|$E2E_TP_NOTICE" \
        "$(cat "$E2E_TMP/notified.log")"
    e2e_tp_expect_stderr_notice
}

e2e_tp_expect_stderr_notice() {
    e2e_expect_eq "the notice on stderr" "Quorvel: $E2E_TP_NOTICE" "$(grep -F "$E2E_TP_NOTICE" "$E2E_PROGRAM_LOG")"
}

e2e_tp_expect_stderr_notice_quiet() { grep -qF "$E2E_TP_NOTICE" "$E2E_PROGRAM_LOG"; }
