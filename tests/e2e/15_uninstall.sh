#!/bin/bash
# SPDX-License-Identifier: MIT
# scripts/uninstall takes out of a prefix everything an install put there and the folders it
# made, and leaves what was there before and what users keep: the private folders (so the
# program folder too while it holds any) and the bookmarks. Each prefix has its manifest in its
# own program folder, so installs into two prefixes from one build folder are uninstalled
# apart, and a reinstall still knows the folders the first install made. The user's copy of
# the autostart entry goes with the template it was copied from; an edited copy stays.
# Usage: 15_uninstall.sh [PROGRAM] [BUILD-DIR]
source "$(dirname "$0")/lib.sh"
e2e_init 15_uninstall "${1:-}"
build=${2:-$E2E_REPO_DIR/build}
uninstall=$E2E_REPO_DIR/scripts/uninstall

# The per-user install, into a ~/.local that already holds other programs' things.
local_prefix=$HOME/.local
mkdir -p "$local_prefix/bin" "$local_prefix/share/applications" "$local_prefix/share/icons/hicolor/16x16/apps"
echo other >"$local_prefix/bin/other-tool"
echo other >"$local_prefix/share/icons/hicolor/16x16/apps/other.png"
before_local=$(e2e_install_tree "$local_prefix")
e2e_install_run "$build" --prefix "$local_prefix"
# A second prefix (with a space), made by the install itself, installed twice.
other_prefix="$E2E_TMP/second prefix"
e2e_install_run "$build" --prefix "$other_prefix"
e2e_install_run "$build" --prefix "$other_prefix"
installed_other=$(e2e_install_tree "$other_prefix")
[[ -x $other_prefix/bin/quorvel ]] || e2e_fail "nothing installed into $other_prefix: $installed_other"

# What users keep: a private folder with a file in it, the bookmarks, the autostart copy.
me=$(id -un)
mkdir -m 0700 "$local_prefix/lib/quorvel/$me"
echo "メモ" >"$local_prefix/lib/quorvel/$me/memo.txt"
mkdir -p "$XDG_CONFIG_HOME/Quorvel" "$XDG_CONFIG_HOME/autostart"
e2e_seed_store t0 u0 t1 u1 t2 u2 t3 u3 t4 u4
cp "$local_prefix/share/quorvel/autostart/quorvel.desktop" "$XDG_CONFIG_HOME/autostart/"
store_before=$(e2e_folder_state "$XDG_CONFIG_HOME/Quorvel")

out=$("$uninstall" 2>&1) || e2e_fail "scripts/uninstall (the default prefix ~/.local) failed: $out"
e2e_log "uninstall: $out"
expected=$( (printf '%s\n' "$before_local" | grep -v '^\. '; echo ". d"; echo "lib d"; echo "lib/quorvel d"
    echo "lib/quorvel/$me d"; echo "lib/quorvel/$me/memo.txt f") | sort)
e2e_expect_eq "~/.local after the uninstall" "$expected" "$(e2e_install_tree "$local_prefix")"
e2e_expect_eq "the bookmarks after the uninstall" "$store_before" "$(e2e_folder_state "$XDG_CONFIG_HOME/Quorvel")"
[[ ! -e $XDG_CONFIG_HOME/autostart/quorvel.desktop ]] || e2e_fail "the autostart copy was left behind"
[[ $out == *"lib/quorvel"*"$me"* ]] || e2e_fail "the uninstall does not say which program folder it kept and why: $out"
e2e_expect_eq "the second prefix after uninstalling the first" "$installed_other" "$(e2e_install_tree "$other_prefix")"

# Uninstalled again: nothing of ours is left to find.
if out=$("$uninstall" --prefix "$local_prefix" 2>&1); then e2e_fail "a second uninstall claimed success: $out"; fi

# The second prefix, its autostart entry copied and then edited: everything goes, the prefix
# too, since that install made it; the edited copy stays.
cp "$other_prefix/share/quorvel/autostart/quorvel.desktop" "$XDG_CONFIG_HOME/autostart/"
echo "X-Mine=true" >>"$XDG_CONFIG_HOME/autostart/quorvel.desktop"
out=$("$uninstall" --prefix "$other_prefix" 2>&1) || e2e_fail "scripts/uninstall --prefix failed: $out"
e2e_expect_eq "the second prefix after its uninstall" "(no $other_prefix)" "$(e2e_install_tree "$other_prefix")"
[[ -f $XDG_CONFIG_HOME/autostart/quorvel.desktop ]] || e2e_fail "an edited autostart entry was removed"
e2e_pass
