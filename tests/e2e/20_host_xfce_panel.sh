#!/bin/bash
# SPDX-License-Identifier: MIT
# xfce4-panel 4.18, one panel on its own bus and display, holding both kinds
# of tray in its status tray plugin. On the panel's bus the program's item
# registers with the panel's StatusNotifier watcher and is driven as the
# panel drives it (tip, menu entries in order, a bookmark, Activate, 終了);
# on another bus, with no watcher in sight, its icon docks by XEmbed and is
# driven with the pointer. Usage: 20_host_xfce_panel.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 20_host_xfce_panel "${1:-}"
e2e_start_x
hosts_start_bus --activation
hosts_start_xfce_panel
hosts_wait_watcher xfce4-panel
e2e_tray_owner || e2e_fail "xfce4-panel's tray does not own $E2E_TRAY_SELECTION"
shot() { e2e_screenshot "$1" 0 0 1024 32; }
shot panel-before

# StatusNotifier.
hosts_x_item_up shot
e2e_list_windows
e2e_windows_of icon
e2e_expect_eq "XEmbed icons while the item is registered" 0 "${#E2E_KIND_WINS[@]}"
hosts_x_item_commands

# XEmbed: the program on a bus of its own, where no watcher exists.
bus=$DBUS_SESSION_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS=disabled:
e2e_start_program --exe "$E2E_FOLDER_EXE"
DBUS_SESSION_BUS_ADDRESS=$bus
# The panel may still move or resize the icon just after it docks: read its place again.
icon_drawn() { e2e_wait_docked && e2e__painted "$E2E_ICON_X" "$E2E_ICON_Y" "$E2E_ICON_W" "$E2E_ICON_H"; }
e2e_poll "$E2E_TIMEOUT_MS" icon_drawn ||
    e2e_fail "the docked icon is not drawn: $(e2e_colours "$E2E_ICON_X" "$E2E_ICON_Y" "$E2E_ICON_W" "$E2E_ICON_H") colours"
shot panel-xembed
hosts_items
e2e_expect_eq "StatusNotifier items while docked by XEmbed" 0 "${#HOSTS_ITEMS[@]}"
e2e_open_menu
e2e_screenshot_menu menu-xembed
e2e_menu_choose Down Return
e2e_wait_opener_calls 3
e2e_expect_opener_call 3 "$HOSTS_URL0"
e2e_press_icon 1
e2e_wait_opener_calls 4
e2e_expect_opener_call 4 "$E2E_FOLDER_PATH"
e2e_open_menu
e2e_menu_choose Up Return
e2e_expect_exit_status 0
e2e_wait_undocked
e2e_pass
