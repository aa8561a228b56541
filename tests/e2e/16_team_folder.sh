#!/bin/bash
# SPDX-License-Identifier: MIT
# The README's team recipe, word for word (its prefix and group the only words changed), with
# two real unprivileged users. Root installs and gives the group the program folder (mode 3775);
# each member copies the autostart entry and starts what it names. A name taken in advance by
# the other member gives the folder's refusal box; once free, the member's own folder is made
# (owner and group right, readable by the owner only). The other member can neither rename,
# remove nor replace that folder, nor the program's files, and makes a folder of their own.
# scripts/uninstall then leaves only the private folders. Needs root (exits 77 otherwise).
# Usage: 16_team_folder.sh [PROGRAM] [BUILD-DIR]
source "$(dirname "$0")/lib.sh"
((EUID == 0)) || { echo "SKIP [16_team_folder]: needs root to make users"; exit 77; }
e2e_init 16_team_folder "${1:-}"
build=${2:-$E2E_REPO_DIR/build}

tag=$$
group=qvteam$tag alice=qva$tag bob=qvb$tag
e2e_users_add "$group" "$alice" "$bob"
prefix=$E2E_TMP/team-prefix
dir=$prefix/lib/quorvel

as_root=$(e2e_install_recipe "$E2E_REPO_DIR/README.md" "team, as root")
as_member=$(e2e_install_recipe "$E2E_REPO_DIR/README.md" "team, each member")
[[ $as_root == *"prefix=/usr/local group=team"* && $as_member == *"/usr/local/"* ]] ||
    e2e_fail "the README's team recipe is not as expected: root: $as_root / member: $as_member"
as_root=${as_root//prefix=\/usr\/local group=team/prefix=$prefix group=$group}
as_member=${as_member//\/usr\/local\//$prefix\/}
e2e_log "as root:"$'\n'"$as_root"
e2e_log "as each member:"$'\n'"$as_member"

# Root, in a source folder whose build/ is the one under test.
mkdir -p "$E2E_TMP/source"
ln -s "$(readlink -f "$build")" "$E2E_TMP/source/build"
e2e_install_keep_manifest "$build"
(cd "$E2E_TMP/source" && bash -e -c "$as_root") >"$E2E_TMP/install.log" 2>&1
rc=$?
e2e_install_restore_manifest "$build"
((rc == 0)) || e2e_fail "the root part of the recipe failed ($rc): $(tail -n 20 "$E2E_TMP/install.log")"
e2e_expect_eq "owner, group and mode of the program folder" "root $group 3775" "$(stat -c '%U %G %a' "$dir")"

# Each member.
for user in "$alice" "$bob"; do
    out=$(e2e_users_run "$user" bash -e -c "$as_member" 2>&1) || e2e_fail "the member part of the recipe failed for $user: $out"
    entry=$E2E_TMP/home-$user/.config/autostart/quorvel.desktop
    e2e_expect_eq "Exec of $user's autostart entry" "\"$prefix/bin/quorvel\"" "$(e2e_install_entry_value "$entry" Exec)"
done
# What the session starts: the entry's one quoted word.
exe=$(e2e_install_entry_value "$E2E_TMP/home-$alice/.config/autostart/quorvel.desktop" Exec)
exe=${exe#\"} exe=${exe%\"}

# Bob takes Alice's name first: her press is refused and changes nothing.
e2e_users_run "$bob" mkdir "$dir/$alice" || e2e_fail "$bob, a member, cannot make a folder in $dir"
e2e_start_x
e2e_start_tray
e2e_users_start_program "$alice" "$exe"
e2e_wait_docked
before=$(e2e_folder_state "$dir")
e2e_press_icon 1
E2E_FOLDER_SHOT=team-name-taken
e2e_folder_expect_message "$E2E_FOLDER_BOX_TITLE" "$dir/$alice"
e2e_expect_eq "the program folder after the refusal" "$before" "$(e2e_folder_state "$dir")"
e2e_opener_count
e2e_expect_eq "opener calls after the refusal" 0 "$E2E_OPENER_COUNT"

# Once free, her press makes and opens her folder.
e2e_users_run "$bob" rmdir "$dir/$alice" || e2e_fail "$bob cannot remove the folder he made"
e2e_press_icon 1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$dir/$alice"
e2e_expect_eq "owner, group and mode of $alice's folder" "$alice $group 700" "$(stat -c '%U %G %a' "$dir/$alice")"
e2e_signal_program TERM
e2e_expect_exit_status 0

# Bob can neither rename, remove nor replace her folder or the program's files.
e2e_users_run "$bob" mkdir "$dir/decoy" || e2e_fail "$bob cannot make a folder in $dir"
before=$(e2e_folder_state "$dir")
attempts=(
    "mv $dir/$alice $dir/moved"
    "rmdir $dir/$alice"
    "rm -rf $dir/$alice"
    "mv -T $dir/decoy $dir/$alice"
    "mv $dir/quorvel $dir/moved"
    "rm -f $dir/quorvel"
    "rm -rf $dir/Help"
    "mv -T $dir/decoy $dir/Help"
    "ln -sfn /tmp $dir/Help"
)
for attempt in "${attempts[@]}"; do
    # shellcheck disable=SC2086 # the words of the attempt
    if out=$(e2e_users_run "$bob" $attempt 2>&1); then
        e2e_fail "$bob could: $attempt (program folder now: $(ls -la "$dir"))"
    fi
    e2e_log "refused to $bob: $attempt: $out"
done
e2e_expect_eq "the program folder after $bob's attempts" "$before" "$(e2e_folder_state "$dir")"
e2e_users_run "$bob" rmdir "$dir/decoy" || e2e_fail "$bob cannot remove his own folder"

# Bob's own folder.
e2e_users_start_program "$bob" "$exe"
e2e_wait_docked
e2e_press_icon 1
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$dir/$bob"
e2e_expect_eq "owner, group and mode of $bob's folder" "$bob $group 700" "$(stat -c '%U %G %a' "$dir/$bob")"
e2e_signal_program TERM
e2e_expect_exit_status 0

# Uninstalled by root: only the private folders are left.
out=$("$E2E_REPO_DIR/scripts/uninstall" --prefix "$prefix" 2>&1) || e2e_fail "scripts/uninstall --prefix failed: $out"
e2e_log "uninstall: $out"
e2e_expect_eq "the prefix after the uninstall" "$(printf '%s\n' ". d" "lib d" "lib/quorvel d" "lib/quorvel/$alice d" "lib/quorvel/$bob d" | sort)" \
    "$(e2e_install_tree "$prefix")"
e2e_pass
