#!/bin/bash
# SPDX-License-Identifier: MIT
# Long use does not grow: 200 editor cycles (menu, URL編集, then Cancel and OK in turn; each
# OK saves) keep the resident memory within 1 MB of what it was after 20 warm-up cycles,
# measured once the program is idle with the pointer away. The store still holds the table.
# Usage: 17_editor_soak.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 17_editor_soak "${1:-}"
e2e_start_x
e2e_start_tray
e2e_five_bookmarks seeded "編集" "http://editor.quorvel.example/"
e2e_seed_store "${seeded[@]}"
e2e_start_program
e2e_wait_docked
e2e_fault_icon_points

cycles() { e2e_fault_soak editor "$1" both; }
e2e_fault_expect_flat_rss editor 20 200 cycles
e2e_fault_expect_table "$E2E_STORE" "${seeded[@]}"
e2e_quit
e2e_pass
