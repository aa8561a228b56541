#!/bin/bash
# SPDX-License-Identifier: MIT
# A save that fails leaves the old store byte for byte and shows exactly one message box:
# (a) the config folder read-only at the editor's OK ("Quorvel エラー"); once it is writable
# again, 終了 saves the confirmed table; (b) the store file read-only at OK and at 終了 ("Quorvel
# 終了エラー"), exit 0. The program runs without root's permission bypass. (c) With the store
# a folder, 終了 by the no-tray notice's action and by the StatusNotifier menu export (xfce4-panel)
# each show "Quorvel 終了エラー" and the program waits for its answer before it ends, exit 0.
# Usage: 03_failed_save.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 03_failed_save "${1:-}"
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")

# Only the icon is left: no second box.
only_icon() {
    e2e_wait_program_idle
    e2e_list_windows
    e2e_windows_of icon
    ((${#E2E_WINS[@]} == 1 && ${#E2E_KIND_WINS[@]} == 1)) ||
        e2e_fail "$1: expected only the tray icon, saw: ${E2E_WINS[*]}"
}

for case in folder file; do
    e2e_five_bookmarks seeded "元の$case" "http://old.quorvel.example/$case/"
    e2e_seed_store "${seeded[@]}"
    cp -p "$E2E_STORE" "$E2E_TMP/before.ini"
    if [[ $case == folder ]]; then chmod 0555 "$config"; else chmod 0444 "$E2E_STORE"; fi
    e2e_start_program --unprivileged
    e2e_wait_docked
    e2e_fault_open_editor
    e2e_fault_editor_set title 3 "new-$case-title"
    e2e_fault_editor_press ok
    e2e_fault_box_ok "Quorvel エラー"
    e2e_fault_wait_editor_gone
    e2e_program_alive || e2e_fail "the program ended after the failed save"
    only_icon "after the failed save at OK ($case)"
    cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" ||
        e2e_fail "the store changed although the save failed ($case):"$'\n'"$(diff "$E2E_TMP/before.ini" "$E2E_STORE")"
    e2e_expect_eq "files beside the store after the failed save ($case)" "" "$(e2e_fault_leftovers)"
    confirmed=("${seeded[@]}")
    confirmed[6]="new-$case-title"

    if [[ $case == folder ]]; then
        # The store is writable again: the confirmed table, kept in memory, is saved at 終了.
        chmod 0755 "$config"
        e2e_quit
        e2e_fault_expect_table "$E2E_STORE" "${confirmed[@]}"
    else
        e2e_open_menu
        e2e_menu_choose Up Return
        e2e_fault_box_ok "Quorvel 終了エラー"
        e2e_expect_exit_status 0
        cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" ||
            e2e_fail "the read-only store changed at 終了:"$'\n'"$(diff "$E2E_TMP/before.ini" "$E2E_STORE")"
        chmod 0644 "$E2E_STORE"
    fi
    e2e_expect_eq "files beside the store at the end ($case)" "" "$(e2e_fault_leftovers)"
    e2e_log "$case: failed save left the old store; one box"
done

# ---- (c) 終了 from outside the XEmbed menu
answered_before_the_end() { # WHAT
    e2e_wait_window_titled "Quorvel 終了エラー"
    sleep 1
    e2e_program_alive || e2e_fail "$1: the program ended without waiting for the box"
    e2e_fault_box_ok "Quorvel 終了エラー"
    e2e_expect_exit_status 0
    e2e_log "$1: the box was up until answered, exit 0"
}
e2e_stop_tray
hosts_start_bus
hosts_start_dunst
rm -f "$E2E_STORE" && mkdir "$E2E_STORE"
e2e_start_program
hosts_wait_displayed 1 15000
hosts_click_notice
answered_before_the_end "the notice's 終了"
hosts_start_xfce_panel
hosts_wait_watcher xfce4-panel
e2e_start_program
hosts_wait_item
hosts_menu_click 終了
answered_before_the_end "終了 from the exported menu"
rmdir "$E2E_STORE"
e2e_pass
