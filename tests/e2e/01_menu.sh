#!/bin/bash
# SPDX-License-Identifier: MIT
# First run: the icon docks, a right press shows exactly one menu, and the menu
# holds five "作者HP" bookmarks, a separator, URL編集, ヘルプ, a separator and 終了,
# in that order. Usage: 01_menu.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 01_menu "${1:-}"
e2e_start_x
e2e_start_tray
e2e_start_program
e2e_wait_docked
e2e_log "icon docked: ${E2E_ICON_W}x${E2E_ICON_H}+${E2E_ICON_X}+${E2E_ICON_Y}"

e2e_open_menu
e2e_log "menu: ${E2E_MENU_W}x${E2E_MENU_H}+${E2E_MENU_X}+${E2E_MENU_Y}"
e2e_screenshot_menu menu-first-run

e2e_menu_expect_layout
e2e_screenshot_menu menu-last-row-selected

e2e_menu_choose Escape
e2e_opener_count
e2e_expect_eq "opener calls after opening and closing the menu" 0 "$E2E_OPENER_COUNT"

# By keyboard: the first and the last bookmark open the default URL (03 checks
# every bookmark's own URL). URL編集 does nothing: the next call recorded is
# that of the bookmark chosen after it. ヘルプ opens the help page beside the
# executable.
e2e_menu_pick 1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_DEFAULT_URL"
e2e_menu_pick 5
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$E2E_DEFAULT_URL"
e2e_menu_pick 6
e2e_program_alive || e2e_fail "the program exited after URL編集"
e2e_menu_pick 1
e2e_wait_opener_calls 3
e2e_expect_opener_call 3 "$E2E_DEFAULT_URL"
e2e_menu_pick 7
e2e_wait_opener_calls 4
e2e_expect_opener_call 4 "$E2E_PROGRAM_DIR/Help/help.html"

# Up from nothing selects the last item, 終了.
e2e_quit
e2e_wait_no_windows
e2e_opener_count
e2e_expect_eq "opener calls at the end" 4 "$E2E_OPENER_COUNT"
e2e_pass
