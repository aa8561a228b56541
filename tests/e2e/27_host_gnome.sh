#!/bin/bash
# SPDX-License-Identifier: MIT
# GNOME Shell 43 or 48 (headless, Wayland), the session run as an unprivileged user and the
# program as a native Wayland client, clicked for real through a virtual pointer.
# Without the AppIndicator extension the no-tray notice is the way out: its banner stays, with
# 終了, past GNOME's banner time, and 終了 ends the program the normal way (exit 0, the store
# saved). With the extension turned on after the program started (a late host), its icon is
# drawn in the top bar; a click opens the menu in order, a bookmark reaches the opener once, a
# double click (the extension's activation) opens the private folder in nautilus, and 終了 closes
# that window only (not another folder's of the same name) and takes the icon away.
# Usage: 27_host_gnome.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 27_host_gnome "${1:-}"
hosts_session_user nobody
user=$HOSTS_USER
hosts_start_bus --activation
hosts_start_gnome
hosts_gnome_shot bar-before
wayland=(QT_QPA_PLATFORM=wayland)

# Only the first bookmark is stored: only the save at the end writes the other four.
mkdir -p "$(dirname "$E2E_STORE")"
printf '%s\nTitle%%20url0=first\nurl0=http://one.quorvel.example/\n' "$E2E_STORE_GROUP" >"$E2E_STORE"
chown -R "$user" "$(dirname "$E2E_STORE")"
hosts_start_program "${wayland[@]}"
hosts_gnome_wait_banner 20000
e2e_expect_eq "notice title" Quorvel "$(jq -r .title <<<"$HOSTS_EVAL")"
[[ $(jq -r .body <<<"$HOSTS_EVAL") == 通知領域* ]] || e2e_fail "the banner is not the notice: $HOSTS_EVAL"
# Run from the build tree, where no theme holds the icon: the program's own picture.
e2e_expect_eq "the banner's icon" "[64,64]" "$(jq -c .icon <<<"$HOSTS_EVAL")"
notice=$(jq -c '{title, body}' <<<"$HOSTS_EVAL")
# The pointer moving away from the banner: an active user, whose banners GNOME takes away
# after some seconds.
hosts_gnome_probe 'move(640, 700)'
sleep 8
hosts_gnome_banner || e2e_fail "the notice's banner did not stay on screen"
# Its place may shift by a few pixels as it settles on a loaded machine: the text tells it.
e2e_expect_eq "the banner on screen" "$notice" "$(jq -c '{title, body}' <<<"$HOSTS_EVAL")"
hosts_gnome_probe "move($(jq -r '"\(.x), \(.y)"' <<<"$HOSTS_EVAL"))"
hosts_gnome_wait_banner_button 終了
hosts_gnome_shot notice
hosts_gnome_click "$HOSTS_AT"
e2e_expect_exit_status 0
e2e_poll "$E2E_TIMEOUT_MS" hosts__gnome_no_banner || e2e_fail "the banner outlived the program: $HOSTS_EVAL"
e2e_defaults
e2e_expect_store first http://one.quorvel.example/ "${E2E_DEFAULTS[@]:2}"
e2e_log "the notice's 終了 ended the program"

d_title=$E2E_DEFAULT_TITLE d_url=$E2E_DEFAULT_URL
hosts_seed_store "$HOSTS_TITLE0" "$HOSTS_URL0" "$d_title" "$d_url" "$d_title" "$d_url" "$d_title" \
    "$d_url" "$d_title" "$d_url"
e2e_opener_through gio open
# Another folder of the user's name, open beforehand: its window has the same title.
other=$E2E_TMP/session/other/$user
"${HOSTS_AS[@]}" mkdir -p "$other" || e2e_fail "could not make $other"
"${HOSTS_AS[@]}" gio open "$other" || e2e_fail "gio open $other failed"
folder_window=$'org.gnome.Nautilus\t'$user
hosts_gnome_wait_windows "$folder_window" 1
other_window=$(hosts_gnome_window_ids "$folder_window")
hosts_start_program "${wayland[@]}"
e2e_wait_program_idle
hosts_gnome_extension
hosts_wait_item
hosts_gnome_wait_icon
hosts_wait_icon_drawn hosts_gnome_shot bar-with-icon bar-before 1280 32
hosts_gnome_menu
hosts_gnome_shot menu
(IFS='|' && e2e_expect_eq "menu entries" "$HOSTS_TITLE0|$d_title|$d_title|$d_title|$d_title|-|URL編集|ヘルプ|-|終了" \
    "${HOSTS_MENU_LABELS[*]}")
hosts_gnome_menu_click "$HOSTS_TITLE0"
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$HOSTS_URL0"

# The extension's double click: Activate. Synthetic clicks, four events at once, meet its
# double-click detection by chance (a menu left open, or a second Activate on the release).
hosts_gnome_probe 'activate()'
[[ $HOSTS_EVAL == '[true]' ]] || e2e_fail "no AppIndicator icon to activate: $HOSTS_EVAL"
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$HOSTS_FOLDER"
hosts_gnome_wait_windows "$folder_window" 2
hosts_gnome_shot folder

hosts_gnome_menu
hosts_gnome_menu_click 終了
e2e_expect_exit_status 0
hosts_wait_item_gone
e2e_poll "$E2E_TIMEOUT_MS" hosts__gnome_no_icon || e2e_fail "the icon outlived the program: $HOSTS_EVAL"
hosts_gnome_wait_windows "$folder_window" 1
e2e_expect_eq "the window left open" "$other_window" "$(hosts_gnome_window_ids "$folder_window")"
hosts_gnome_shot after-quit
e2e_pass
