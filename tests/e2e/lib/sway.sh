# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# sway (headless) with waybar on Wayland, run as an unprivileged user since sway refuses root,
# and the windows it shows.

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
