#!/bin/bash
# SPDX-License-Identifier: MIT
# Titles are captions as they stand, so "&" keeps its menu meaning: it marks the next letter as
# the item's access key and is not drawn; "&&" draws one "&". Usage: 07_access_keys.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 07_access_keys "${1:-}"
e2e_start_x
e2e_start_tray

seeded=(
    "AB" "http://quorvel.example/1"
    "A&B" "http://quorvel.example/2"
    "RD" "http://quorvel.example/3"
    "R&&D" "http://quorvel.example/4"
    "Tom  Jerry" "http://quorvel.example/5"
)
e2e_seed_store "${seeded[@]}"
e2e_start_program
e2e_wait_docked
e2e_open_menu
e2e_screenshot_menu menu-access-keys
e2e_menu_rows 5
declare -A width
for k in 1 2 3 4; do
    width[$k]=$(e2e_row_text_width "$k")
    e2e_log "caption ${seeded[2 * k - 2]}: ${width[$k]} px wide"
done
# An underline under the next letter adds no width; a drawn "&" adds several pixels.
((width[2] <= width[1] + 1 && width[2] >= width[1] - 1)) ||
    e2e_fail "caption 'A&B' is ${width[2]} px wide, 'AB' is ${width[1]} px: the '&' was drawn"
((width[4] >= width[3] + 4)) ||
    e2e_fail "caption 'R&&D' is ${width[4]} px wide, 'RD' is ${width[3]} px: no '&' drawn"

# B is the second item's access key.
e2e_menu_choose b
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "http://quorvel.example/2"

e2e_quit
e2e_expect_store "${seeded[@]}"
e2e_pass
