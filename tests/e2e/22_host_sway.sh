#!/bin/bash
# SPDX-License-Identifier: MIT
# Wayland: sway (headless) with waybar as the StatusNotifier host, the
# session run as an unprivileged user. The program runs as a native Wayland
# client and its item is driven as waybar drives it: tip, menu entries in
# order, a bookmark reaches the opener once and unchanged, Activate opens the
# private folder, 終了 exits 0 and takes the item away. At 終了 sway is asked
# to close the file manager windows titled exactly the user name that came
# after this run opened the folder (a Wayland one and an Xwayland one); near
# misses, another program's window and one that showed the title before stay.
# Usage: 22_host_sway.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 22_host_sway "${1:-}"
hosts_session_user nobody
user=$HOSTS_USER
hosts_start_bus --activation
hosts_start_sway
hosts_wait_watcher waybar
hosts_grim bar-before

title0='ブック "一"; 1+1=2'
url0="https://example.test/a b?q=1&r='2'#;frag"
d_title=$E2E_DEFAULT_TITLE d_url=$E2E_DEFAULT_URL
hosts_seed_store "$title0" "$url0" "$d_title" "$d_url" "$d_title" "$d_url" "$d_title" "$d_url" \
    "$d_title" "$d_url"

hosts_sway_window suffix "${user}x"
# A no-break space: sway 1.10 drops a plain trailing space from titles.
hosts_sway_window spaced "$user"$'\u00a0'
hosts_sway_window terminal "$user" foot
# Showed that title before the open, as the home folder's window would.
hosts_sway_window before "$user"
DISPLAY=$HOSTS_XWAYLAND e2e_folder_peer_window x-prefix --class Caja --title "x$user"
e2e_poll "$E2E_TIMEOUT_MS" hosts__sway_titled "x$user" || e2e_fail "sway does not list the X window"

# No DISPLAY: the program can only run on Wayland.
hosts_start_program -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland
hosts_wait_item
hosts_expect_item_names Quorvel
hosts_expect_menu "$title0" "$d_title" "$d_title" "$d_title" "$d_title" - URL編集 ヘルプ - 終了
hosts_wait_icon_drawn hosts_grim bar-with-icon bar-before 1280 30

hosts_menu_click "$title0"
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$url0"

hosts_activate
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$HOSTS_FOLDER"
[[ -d $HOSTS_FOLDER && $(stat -c %U "$HOSTS_FOLDER") == "$user" ]] ||
    e2e_fail "Activate did not make the private folder $HOSTS_FOLDER for $user"
# The windows the file managers would open now; an X client on Xwayland too.
hosts_sway_window exact "$user"
DISPLAY=$HOSTS_XWAYLAND e2e_folder_peer_window x-exact --class Caja --title "$user"

hosts_menu_click 終了
e2e_expect_exit_status 0
hosts_wait_item_gone
hosts_sway_expect_closed exact
hosts_sway_expect_open suffix "${user}x"
hosts_sway_expect_open spaced "$user"$'\u00a0'
hosts_sway_expect_open terminal "$user"
hosts_sway_expect_open before "$user"
DISPLAY=$HOSTS_XWAYLAND e2e_folder_expect_closed x-exact
DISPLAY=$HOSTS_XWAYLAND e2e_folder_expect_open x-prefix
hosts_grim after-quit
e2e_log "終了 closed the window titled '$user' only"

# A run that never opened the folder leaves the windows of that title alone.
hosts_sway_window other "$user"
DISPLAY=$HOSTS_XWAYLAND e2e_folder_peer_window x-other --class Caja --title "$user"
hosts_start_program -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland
hosts_wait_item
hosts_menu_click 終了
e2e_expect_exit_status 0
hosts_wait_item_gone
# The X window answers a ping after anything sway would have sent it, and sway
# sends its requests to both windows at once.
DISPLAY=$HOSTS_XWAYLAND e2e_folder_expect_open x-other
hosts_sway_expect_open other "$user"
e2e_expect_eq "opener calls of the second run" 2 "$(e2e_opener_count; echo "$E2E_OPENER_COUNT")"
e2e_pass
