#!/bin/bash
# SPDX-License-Identifier: MIT
# Tricky stored values: each bookmark hands its URL to xdg-open byte for byte
# as one argument, nothing in a URL is run by a shell, and 終了 saves every
# title and URL unchanged. Usage: 04_tricky_values.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 04_tricky_values "${1:-}"
e2e_start_x
e2e_start_tray

# A shell would create these files (or empty HOME, which is the scenario's own).
markers=("$E2E_TMP/ran-dollar" "$E2E_TMP/ran-backtick" "$E2E_TMP/ran-pipe" "$E2E_TMP/ran-redirect")
canary=$HOME/canary
: >"$canary"
seeded=(
    "日本語のブックマーク" "\$(touch ${markers[0]}); rm -rf ~"
    "   " "-n --version http://quorvel.example/dash and space"
    "Tom & Jerry" "http://quorvel.example/a;\`touch ${markers[1]}\`;b"
    "引用 \"quoted\" \\back" "http://quorvel.example/?q='x' | touch ${markers[2]} & \"w\" \\v >${markers[3]}"
    "  前後に空白  " "http://例え.テスト/パス?値=1,2#片"
)
e2e_seed_store "${seeded[@]}"
cp "$E2E_STORE" "$E2E_TMP/seeded.ini"

e2e_start_program
e2e_wait_docked
e2e_open_menu
e2e_screenshot_menu menu-tricky-captions
# Still eight selectable rows; the spaces-only caption shows blank, the others show text.
e2e_menu_rows 8
for k in 1 3 4 5; do
    c=$(e2e_row_colours "$k")
    ((c >= 2)) || e2e_fail "row $k (${seeded[2 * k - 2]}) shows no text"
done
c=$(e2e_row_colours 2)
e2e_expect_eq "colours in the row of the spaces-only title" 1 "$c"
e2e_menu_choose Escape

for k in 1 2 3 4 5; do
    e2e_menu_pick "$k"
    e2e_wait_opener_calls "$k"
    e2e_expect_opener_call "$k" "${seeded[2 * k - 1]}"
done

e2e_quit
for m in "${markers[@]}"; do
    [[ ! -e $m ]] || e2e_fail "a URL was run by a shell: $m exists"
done
[[ -f $canary ]] || e2e_fail "a URL was run by a shell: $canary is gone"
e2e_expect_store "${seeded[@]}"
cmp -s "$E2E_TMP/seeded.ini" "$E2E_STORE" ||
    e2e_fail "the saved store differs from the seeded one:"$'\n'"$(diff "$E2E_TMP/seeded.ini" "$E2E_STORE")"
e2e_pass
