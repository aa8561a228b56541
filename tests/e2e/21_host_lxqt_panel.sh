#!/bin/bash
# lxqt-panel with its statusnotifier plugin, on its own bus and display: the
# program's item registers, shows the tip and the menu entries in order; a
# bookmark reaches the opener once and unchanged, Activate opens the private
# folder, 終了 exits 0 and takes the item away. Usage: 21_host_lxqt_panel.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 21_host_lxqt_panel "${1:-}"
e2e_start_x
hosts_start_bus
hosts_start_lxqt_panel
hosts_wait_watcher lxqt-panel
shot() { e2e_screenshot "$1" 0 0 1024 32; }
shot panel-before

title0='ブック "一"; 1+1=2'
url0="https://example.test/a b?q=1&r='2'#;frag"
d_title=$E2E_DEFAULT_TITLE d_url=$E2E_DEFAULT_URL
e2e_seed_store "$title0" "$url0" "$d_title" "$d_url" "$d_title" "$d_url" "$d_title" "$d_url" \
    "$d_title" "$d_url"
e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"

e2e_start_program --exe "$E2E_FOLDER_EXE"
hosts_wait_item
hosts_expect_item_tip Quorvel
hosts_expect_menu "$title0" "$d_title" "$d_title" "$d_title" "$d_title" - URL編集 ヘルプ - 終了
hosts_wait_icon_drawn shot panel-item panel-before 1024 32
hosts_menu_click "$title0"
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$url0"
hosts_activate
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$E2E_FOLDER_PATH"
hosts_menu_click 終了
e2e_expect_exit_status 0
hosts_wait_item_gone
e2e_wait_no_windows
e2e_pass
