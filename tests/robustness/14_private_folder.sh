#!/bin/bash
# SPDX-License-Identifier: MIT
# The private folder <program folder>/<login> is never reached through a link or another
# user's folder. For each of: a link to a folder of the user's own, a link to another user's
# folder (uid 4242), a folder owned by uid 4242, a plain file, a dangling link, a left press
# shows one box "Quorvel フォルダーエラー", opens nothing and changes nothing (link, target,
# folder: type, owner, mode, contents). Then, with the name free, the folder is made with mode
# 0700 and opened. Usage: 14_private_folder.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 14_private_folder "${1:-}"
e2e_start_x
e2e_start_tray
app=$E2E_TMP/app
mkdir -p "$app" && cp "$E2E_PROGRAM" "$app/quorvel" && cp -r "$E2E_PROGRAM_DIR/Help" "$app/Help" ||
    e2e_fail "could not copy the program"
private=$app/$(id -un)
other_uid=4242
getent passwd "$other_uid" >/dev/null && e2e_fail "uid $other_uid is in use here; the test needs an unused one"

mkdir -m 0700 "$E2E_TMP/mine" "$E2E_TMP/theirs"
printf 'mine\n' >"$E2E_TMP/mine/file"
printf 'theirs\n' >"$E2E_TMP/theirs/file"
chown -R "$other_uid:$other_uid" "$E2E_TMP/theirs"

e2e_start_program --exe "$app/quorvel"
e2e_wait_docked
refused() { # NAME: left press, one box, nothing opened, nothing changed
    local before after
    before=$(e2e_fault_state "$private" "$E2E_TMP/mine" "$E2E_TMP/theirs" "$E2E_TMP/nowhere")
    e2e_press_icon 1
    e2e_fault_box_ok "Quorvel フォルダーエラー"
    e2e_wait_program_idle
    e2e_list_windows
    e2e_expect_eq "$1: windows after the box (only the icon)" 1 "${#E2E_WINS[@]}"
    e2e_opener_count
    e2e_expect_eq "$1: opener calls" 0 "$E2E_OPENER_COUNT"
    after=$(e2e_fault_state "$private" "$E2E_TMP/mine" "$E2E_TMP/theirs" "$E2E_TMP/nowhere")
    e2e_expect_eq "$1: the entries involved" "$before" "$after"
    e2e_log "$1: refused, nothing opened or changed"
}

ln -s "$E2E_TMP/mine" "$private"
refused "link to a folder of the user's own"
rm "$private"
ln -s "$E2E_TMP/theirs" "$private"
refused "link to another user's folder"
rm "$private"
mkdir -m 0700 "$private"
chown "$other_uid:$other_uid" "$private"
refused "folder owned by uid $other_uid"
rmdir "$private"
printf 'a file\n' >"$private"
refused "plain file"
rm "$private"
ln -s "$E2E_TMP/nowhere" "$private"
refused "dangling link"
rm "$private"

# The name is free now: made with mode 0700, owned by the user, and opened.
e2e_press_icon 1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$private"
[[ -d $private && ! -L $private ]] || e2e_fail "the private folder was not made: $(ls -la "$app")"
e2e_expect_eq "mode and owner of the new private folder" "700 $(id -u)" "$(stat -c '%a %u' "$private")"
e2e_quit
e2e_pass
