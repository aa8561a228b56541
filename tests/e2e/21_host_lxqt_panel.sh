#!/bin/bash
# SPDX-License-Identifier: MIT
# lxqt-panel with its statusnotifier plugin, on its own bus and display: the
# program's item registers, shows the tip and the menu entries in order; a
# bookmark reaches the opener once and unchanged, Activate opens the private
# folder, 終了 exits 0 and takes the item away. Usage: 21_host_lxqt_panel.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 21_host_lxqt_panel "${1:-}"
e2e_start_x
hosts_start_bus --activation
hosts_start_lxqt_panel
hosts_wait_watcher lxqt-panel
shot() { e2e_screenshot "$1" 0 0 1024 32; }
shot panel-before

hosts_x_item_up shot
hosts_x_item_commands
e2e_pass
