#!/bin/bash
# SPDX-License-Identifier: MIT
# Long use does not grow: 1,000 right press / Escape cycles on the tray icon (driven by the
# probe, alternating between two points on the icon) keep the program's resident memory within
# 1 MB of what it was after 20 warm-up cycles, measured from /proc once the program is idle
# with the pointer away from the icon. The program still answers afterwards.
# Usage: 16_menu_soak.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 16_menu_soak "${1:-}"
e2e_start_x
e2e_start_tray
e2e_start_program
e2e_wait_docked
e2e_fault_icon_points

cycles() { e2e_fault_soak menu "$1"; }
e2e_fault_expect_flat_rss menu 20 1000 cycles
e2e_menu_pick 1
e2e_wait_opener_calls 1
e2e_quit
e2e_pass
