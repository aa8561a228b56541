#!/bin/bash
# SPDX-License-Identifier: MIT
# 終了 exits with status 0, removes the icon and saves the ten default values on
# the first run; a second run opens what the store holds, each bookmark its
# own URL. Usage: 03_quit_store.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 03_quit_store "${1:-}"
e2e_start_x
e2e_start_tray

[[ ! -e $E2E_STORE ]] || e2e_fail "the store should not exist before the first run: $E2E_STORE"
e2e_start_program
e2e_wait_docked
e2e_open_menu
e2e_menu_choose Down Down Down Down Down Down Down Down Return
e2e_expect_exit_status 0
e2e_wait_no_windows
e2e_tray_owner || e2e_fail "the tray host lost its selection when the program quit"
e2e_defaults
e2e_expect_store "${E2E_DEFAULTS[@]}"
e2e_opener_count
e2e_expect_eq "opener calls after 終了" 0 "$E2E_OPENER_COUNT"

# Second run with other values: each item opens its own stored URL.
seeded=(
    "一番目" "http://one.quorvel.example/first"
    "二番目" "https://two.quorvel.example/second?x=2"
    "三番目" "http://three.quorvel.example/third#3"
    "四番目" "file:///srv/four/index.html"
    "五番目" "http://five.quorvel.example:8080/fifth/"
)
e2e_seed_store "${seeded[@]}"
e2e_start_program
e2e_wait_docked
e2e_open_menu
e2e_screenshot_menu menu-seeded
e2e_menu_choose Escape
calls=0
for k in 1 3 5 2 4; do
    e2e_menu_pick "$k"
    calls=$((calls + 1))
    e2e_wait_opener_calls "$calls"
    e2e_expect_opener_call "$calls" "${seeded[2 * k - 1]}"
done
e2e_quit
e2e_wait_no_windows
e2e_expect_store "${seeded[@]}"
e2e_pass
