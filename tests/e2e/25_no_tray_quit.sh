#!/bin/bash
# SPDX-License-Identifier: MIT
# With no notification area, the notice's 終了 is the way out: a left click on the notification
# in dunst invokes its action, and the program ends the normal way: exit 0, the bookmarks
# saved, the notice gone.
# Usage: 25_no_tray_quit.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 25_no_tray_quit "${1:-}"
e2e_start_x
hosts_start_bus
hosts_start_dunst
# Only the first bookmark is stored: the other four take their defaults, and only the save at
# the end writes them, so the store shows whether the end was the normal one.
mkdir -p "$(dirname "$E2E_STORE")"
printf '%s\nTitle%%20url0=first\nurl0=http://one.quorvel.example/\n' "$E2E_STORE_GROUP" >"$E2E_STORE"

e2e_start_program
e2e_wait_program_idle
hosts_wait_displayed 1 15000
hosts_expect_notice
hosts_notice_place
e2e_screenshot notice "${HOSTS_NOTICE_AT[@]}"
e2e_program_alive || e2e_fail "the program exited before the notice's action"

hosts_click_notice
e2e_expect_exit_status 0
hosts_wait_displayed 0
e2e_defaults
e2e_expect_store first http://one.quorvel.example/ "${E2E_DEFAULTS[@]:2}"
e2e_pass
