# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# GNOME Shell (headless, Wayland) with or without the AppIndicator extension, driven through
# Eval.

HOSTS_GNOME_EXTENSION=ubuntu-appindicators@ubuntu.com

# What the scenarios ask of the shell, loaded once through Eval (allowed by --unsafe-mode): a
# virtual pointer for real clicks (moving it also marks the user active, without which banners
# never time out), the AppIndicator extension's icons with their menus, the banner on screen
# and the windows. Places are the centres of the actors, in screen pixels.
# GNOME 43 evaluates it where imports.ui reaches the shell; GNOME 48 (ES modules) inside the
# module that has imported Main.
HOSTS_GNOME_JS='globalThis.quorvelProbe = (Main => {
  const { Clutter } = imports.gi;
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
          label: i.has_style_class_name("popup-separator-menu-item") ? "-" : i.label.text, ...place(i) })) })),
    // What the extension does on a double click, without the click counting of synthetic
    // events, whose timing is not that of a hand.
    activate: () => Object.entries(Main.panel.statusArea)
      .filter(([id, icon]) => id.startsWith("appindicator-") && icon)
      .map(([, icon]) => (icon._indicator.open(0, 0, global.get_current_time()), true)),
    banner() {
      const tray = Main.messageTray, b = tray._banner, n = tray._notification;
      if (!b || !n || tray._notificationState !== 2)
        return null;
      const buttons = b._buttonBox ? b._buttonBox.get_children() : [];
      // A picture sent with the notification is a pixbuf: its size, else the icon by name.
      const icon = n.gicon && n.gicon.get_width ? [n.gicon.get_width(), n.gicon.get_height()] : String(n.gicon);
      return { title: n.title, body: n.bannerBodyText ?? n.body, icon, ...place(b),
        buttons: buttons.map(c => ({ label: c.label, ...place(c) })) };
    },
    main: Main,
    windows: () => global.get_window_actors().map(a => a.meta_window)
      .map(w => ({ id: w.get_stable_sequence(), title: w.get_title(), class: w.get_wm_class() })),
  };
})(typeof Main === "undefined" ? imports.ui.main : Main);
!quorvelProbe.main.layoutManager._startingUp'

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

# hosts_start_gnome: GNOME Shell (43 or 48) headless on Wayland (1280x800), in unsafe mode for Eval and
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
    hosts_gnome_eval 'quorvelProbe.main.overview.hide()' || e2e_fail "could not leave the overview: $HOSTS_EVAL"
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

# Open and settled: the same places twice in a row, not mid-way through its opening animation.
hosts__gnome_menu_open() {
    local before=$HOSTS_ICON
    hosts__gnome_icon && [[ $(jq '.open and all(.menu[]; .shown)' <<<"$HOSTS_ICON") == true &&
        $HOSTS_ICON == "$before" ]]
}

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
