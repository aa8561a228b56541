#!/bin/bash
# SPDX-License-Identifier: MIT
# A title near the most a store takes (2 MiB less 64 KB, so that the file stays within its
# 2 MiB bound): the program starts, the menu opens, its caption is shortened on screen (the
# title is made of narrow letters first, so a 200-character caption fits the 1024-pixel
# screen and the menu stays narrower than it; the whole title would fill it), and 終了 saves
# the title back whole. A 1 MB title goes through the editor and OK saves it whole. A store of
# 10 MB is over the bound: the menu shows the defaults, stderr says why once, 終了 shows its
# box and the file stays byte for byte.
# Usage: 10_huge_value.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 10_huge_value "${1:-}"
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")
mkdir -p "$config"
screen_w=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')

title() { # BYTES: 1,000 narrow letters, then numbered lines up to BYTES, then an end mark
    awk -v n="$1" 'BEGIN {
        for (i = 0; i < 1000; i++) printf "i"
        for (i = 0; (i + 1) * 64 < n - 1000; i++) printf "|%06d-0123456789abcdefghijklmnopqrstuvwxyz-ABCDEFGHIJKLMNOPQRST", i
        printf "|end" }'
}
seed() { # BYTES: the store with a title of BYTES; its hashes in TABLE_SHA
    local k lines=$E2E_TMP/lines
    TABLE_SHA=()
    : >"$lines"
    for k in "${E2E_FAULT_TABLE_KEYS[@]}"; do
        if [[ $k == "Url Info/Title url0" ]]; then
            printf '%s\t%s\n' "$k" "$(title "$1" | base64 -w0)" >>"$lines"
            TABLE_SHA+=("$(title "$1" | sha256sum | cut -d' ' -f1)")
        else
            printf '%s\t%s\n' "$k" "$(e2e_fault_b64 "大きな表 $k")" >>"$lines"
            TABLE_SHA+=("$(printf '%s' "大きな表 $k" | sha256sum | cut -d' ' -f1)")
        fi
    done
    rm -f "$E2E_STORE"
    "$E2E_FAULT_PROBE" write "$E2E_STORE" <"$lines" || e2e_fail "could not write the store"
}

# ---- a title near the bound: menu and 終了
seed $((2 * 1024 * 1024 - 65536))
e2e_log "store: $(stat -c %s "$E2E_STORE") bytes"
e2e_start_program
e2e_wait_docked
e2e_wait_program_idle
e2e_log "started; resident $(e2e_fault_rss_kb) kB"
e2e_open_menu
e2e_screenshot_menu menu-largest-title
e2e_log "menu ${E2E_MENU_W}x${E2E_MENU_H} on a ${screen_w}-pixel screen"
((E2E_MENU_W < screen_w)) ||
    e2e_fail "the menu is ${E2E_MENU_W} px wide on a ${screen_w}-pixel screen: the largest caption was not shortened"
e2e_menu_rows 1
c=$(e2e_row_colours 1)
((c >= 2)) || e2e_fail "the row of the largest title is blank"
e2e_menu_choose Escape
e2e_quit
e2e_fault_table_is "$E2E_STORE" "${TABLE_SHA[@]}" ||
    e2e_fail "the largest title did not come back whole at 終了: $E2E_FAULT_WHY (title now ${E2E_FAULT_LEN["Url Info/Title url0"]:-?} bytes)"
e2e_log "largest title saved whole at 終了"

# ---- 1 MB: through the editor
seed 1048576
e2e_start_program
e2e_wait_docked
E2E_TIMEOUT_MS=$((E2E_TIMEOUT_MS * 3))
e2e_fault_open_editor
e2e_log "editor open; resident $(e2e_fault_rss_kb) kB"
e2e_fault_ok_without_box "1 MB title"
e2e_fault_table_is "$E2E_STORE" "${TABLE_SHA[@]}" ||
    e2e_fail "OK did not save the 1 MB title whole: $E2E_FAULT_WHY (title now ${E2E_FAULT_LEN["Url Info/Title url0"]:-?} bytes)"
rm -f "$E2E_STORE"
e2e_quit
e2e_fault_table_is "$E2E_STORE" "${TABLE_SHA[@]}" ||
    e2e_fail "the 1 MB title did not come back whole through the editor: $E2E_FAULT_WHY (title now ${E2E_FAULT_LEN["Url Info/Title url0"]:-?} bytes)"
e2e_log "1 MB title saved whole through the editor"

# ---- 10 MB: over the bound, refused and kept
seed 10485760
cp "$E2E_STORE" "$E2E_TMP/big.ini"
e2e_start_program
e2e_wait_docked
e2e_menu_pick 1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_DEFAULT_URL"
e2e_open_menu
e2e_menu_choose Up Return
e2e_fault_box_ok "Quorvel 終了エラー"
e2e_expect_exit_status 0
cmp -s "$E2E_TMP/big.ini" "$E2E_STORE" || e2e_fail "the 10 MB store changed"
e2e_expect_eq "lines on stderr saying the store is too large" 2 \
    "$(grep -c "Quorvel.ini: is larger than the 2097152 bytes" "$E2E_PROGRAM_LOG")"
e2e_log "10 MB store: defaults, one box at 終了, the file kept; stderr: $(head -c 300 "$E2E_PROGRAM_LOG")"
e2e_pass
