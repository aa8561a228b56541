#!/bin/bash
# SPDX-License-Identifier: MIT
# The store replaced by something else. (a) A directory: the menu offers the defaults, OK and
# 終了 each show their one box and the directory stays untouched. (b) A symbolic link to a
# file elsewhere (a dotfiles folder): the bookmarks come from the target, OK and 終了 write
# through to it, and the link stays the same link. (c) A dangling link: the target is created,
# the link stays. (d) A link to a read-only target: the save fails with the box, nothing
# changes. (e) An unreadable store: defaults, the save fails with the box, the file stays.
# (f) A FIFO, and a link to /dev/zero: never read nor waited on; as (a), and stderr says what
# it is. (g) A FIFO as the lock file: OK's save is refused with its box at once, and SIGTERM
# then ends the program (its own save refused the same way, on stderr).
# Unprivileged where permissions matter. Usage: 11_store_replaced.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 11_store_replaced "${1:-}"
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")
dots=$E2E_TMP/dotfiles
mkdir -p "$config" "$dots"
calls=0

first_bookmark_opens() { # URL: the first bookmark hands URL to the opener
    e2e_menu_pick 1
    calls=$((calls + 1))
    e2e_wait_opener_calls "$calls"
    e2e_expect_opener_call "$calls" "$1"
}
edit_and_ok() { # URL: sets bookmark 5's URL in the editor, presses OK
    e2e_fault_open_editor
    e2e_fault_editor_set url 4 "$1"
    e2e_fault_editor_press ok
}
quit() { e2e_open_menu; e2e_menu_choose Up Return; }

# ---- (a) a directory
mkdir "$E2E_STORE"
printf 'not a store\n' >"$E2E_STORE/inside.txt"
before=$(e2e_fault_state "$E2E_STORE")
e2e_start_program
e2e_wait_docked
first_bookmark_opens "$E2E_DEFAULT_URL"
edit_and_ok "http://quorvel.example/dir"
e2e_fault_box_ok "Quorvel エラー"
e2e_fault_wait_editor_gone
quit
e2e_fault_box_ok "Quorvel 終了エラー"
e2e_expect_exit_status 0
e2e_expect_eq "the directory in place of the store" "$before" "$(e2e_fault_state "$E2E_STORE")"
e2e_expect_eq "files beside it" "" "$(e2e_fault_leftovers)"
rm -rf "$E2E_STORE"
e2e_log "(a) directory: defaults, two boxes, untouched"

# ---- (b) a link to a file in another folder
e2e_five_bookmarks seeded "リンク" "http://link.quorvel.example/"
e2e_store_text "${seeded[@]}" >"$dots/quorvel.ini"
ln -s ../../dotfiles/quorvel.ini "$E2E_STORE"
e2e_start_program
e2e_wait_docked
first_bookmark_opens "http://link.quorvel.example/0"
edit_and_ok "http://quorvel.example/through-link"
e2e_fault_wait_editor_gone
confirmed=("${seeded[@]}")
confirmed[9]="http://quorvel.example/through-link"
check_link() { # WHEN
    [[ -L $E2E_STORE ]] || e2e_fail "$1: the store is no longer a symbolic link: $(ls -l "$E2E_STORE")"
    e2e_expect_eq "$1: link target" "../../dotfiles/quorvel.ini" "$(readlink "$E2E_STORE")"
    e2e_fault_expect_table "$dots/quorvel.ini" "${confirmed[@]}"
    e2e_expect_eq "$1: files beside the link" "" "$(e2e_fault_leftovers)"
    e2e_expect_eq "$1: files beside the target" "quorvel.ini" "$(ls -A "$dots")"
}
check_link "after OK"
quit
e2e_expect_exit_status 0
check_link "after 終了"
rm -f "$E2E_STORE" "$dots"/*
e2e_log "(b) link: written through to the target, the link stays"

# ---- (c) a dangling link
ln -s ../../dotfiles/not-yet.ini "$E2E_STORE"
e2e_start_program
e2e_wait_docked
quit
e2e_expect_exit_status 0
[[ -L $E2E_STORE ]] || e2e_fail "the dangling link was replaced: $(ls -l "$E2E_STORE")"
e2e_defaults
e2e_fault_expect_table "$dots/not-yet.ini" "${E2E_DEFAULTS[@]}"
rm -f "$E2E_STORE" "$dots"/*
e2e_log "(c) dangling link: target created, the link stays"

# ---- (d) a link to a read-only target
e2e_store_text "${seeded[@]}" >"$dots/quorvel.ini"
chmod 0444 "$dots/quorvel.ini"
ln -s ../../dotfiles/quorvel.ini "$E2E_STORE"
before=$(e2e_fault_state "$E2E_STORE" "$dots")
e2e_start_program --unprivileged
e2e_wait_docked
edit_and_ok "http://quorvel.example/read-only-target"
e2e_fault_box_ok "Quorvel エラー"
e2e_fault_wait_editor_gone
quit
e2e_fault_box_ok "Quorvel 終了エラー"
e2e_expect_exit_status 0
e2e_expect_eq "link and read-only target" "$before" "$(e2e_fault_state "$E2E_STORE" "$dots")"
e2e_expect_eq "files beside the link" "" "$(e2e_fault_leftovers)"
rm -f "$E2E_STORE" "$dots"/*
e2e_log "(d) read-only target: boxes, nothing changed"

# ---- (e) an unreadable store
e2e_store_text "${seeded[@]}" >"$E2E_STORE"
chmod 0200 "$E2E_STORE"
before=$(e2e_fault_state "$E2E_STORE")
e2e_start_program --unprivileged
e2e_wait_docked
first_bookmark_opens "$E2E_DEFAULT_URL"
quit
e2e_fault_box_ok "Quorvel 終了エラー"
e2e_expect_exit_status 0
e2e_expect_eq "the unreadable store" "$before" "$(e2e_fault_state "$E2E_STORE")"
e2e_log "(e) unreadable store: defaults shown, not overwritten"

# ---- (f) a FIFO, a link to a device
rm -f "$E2E_STORE"
for kind in fifo device; do
    if [[ $kind == fifo ]]; then mkfifo "$E2E_STORE"; else ln -s /dev/zero "$E2E_STORE"; fi
    before=$(e2e_fault_state "$E2E_STORE")
    e2e_start_program
    e2e_wait_docked
    first_bookmark_opens "$E2E_DEFAULT_URL"
    quit
    e2e_fault_box_ok "Quorvel 終了エラー"
    e2e_expect_exit_status 0
    e2e_expect_eq "($kind) the store" "$before" "$(e2e_fault_state "$E2E_STORE")"
    grep -qE "Quorvel.ini: is a (FIFO|device)" "$E2E_PROGRAM_LOG" ||
        e2e_fail "($kind): stderr does not say what the store is: $(cat "$E2E_PROGRAM_LOG")"
    rm -f "$E2E_STORE"
    e2e_log "(f) $kind: defaults, one box at 終了, untouched"
done

# ---- (g) a FIFO as the lock
e2e_store_text "${seeded[@]}" >"$E2E_STORE"
cp "$E2E_STORE" "$E2E_TMP/before.ini"
mkfifo "$E2E_STORE.lock"
e2e_start_program
e2e_wait_docked
edit_and_ok "http://quorvel.example/fifo-lock"
e2e_fault_box_ok "Quorvel エラー"
e2e_fault_wait_editor_gone
e2e__now
sent=$E2E_NOW
e2e_signal_program TERM
e2e_expect_exit_status 0
e2e__now
cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" || e2e_fail "(g): the store changed"
[[ -p $E2E_STORE.lock ]] || e2e_fail "(g): the FIFO lock was replaced: $(ls -l "$E2E_STORE.lock")"
grep -q "Quorvel.ini.lock: is a FIFO" "$E2E_PROGRAM_LOG" ||
    e2e_fail "(g): stderr does not name the lock: $(cat "$E2E_PROGRAM_LOG")"
e2e_log "(g) FIFO lock: box at OK, SIGTERM ended the program in $((E2E_NOW - sent)) ms"
e2e_pass
