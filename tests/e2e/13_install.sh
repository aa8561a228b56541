#!/bin/bash
# SPDX-License-Identifier: MIT
# cmake --install into a fresh prefix (with a space in it) gives the program
# folder lib/quorvel (executable and Help/help.html), the launcher link
# bin/quorvel, a valid desktop entry and autostart entry that start that
# launcher with Icon=quorvel, and the icon in hicolor at every size. Started
# through the launcher link, the program finds its folder through the link:
# ヘルプ opens lib/quorvel/Help/help.html, the private folder is made in lib/quorvel.
# In a StatusNotifier tray its item names the installed icon and the theme
# folder that holds it.
# The manual page renders without a formatter warning, Japanese included, and
# the software centres' metadata validates offline against the installed tree.
# Usage: 13_install.sh [PROGRAM] [BUILD-DIR]
source "$(dirname "$0")/lib.sh"
e2e_init 13_install "${1:-}"
build=${2:-$E2E_REPO_DIR/build}
[[ -f $build/cmake_install.cmake ]] || e2e_fail "no cmake_install.cmake in the build folder $build"
e2e_need desktop-file-validate:desktop-file-utils cmake:cmake appstreamcli:appstream groff:groff-base

prefix="$E2E_TMP/install root"
# cmake --install rewrites the build folder's install_manifest.txt, which is
# what an uninstall reads: the one there is put back.
manifest=$build/install_manifest.txt
[[ -e $manifest ]] && cp -p "$manifest" "$E2E_TMP/manifest.saved"
cmake --install "$build" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1
rc=$?
if [[ -e $E2E_TMP/manifest.saved ]]; then cp -p "$E2E_TMP/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
((rc == 0)) || e2e_fail "cmake --install failed ($rc): $(tail -n 20 "$E2E_TMP/install.log")"
e2e_log "installed into $prefix"

sizes=(16 22 24 32 48 64 128 256)
expected=(
    "bin/quorvel l"
    "lib/quorvel/quorvel f"
    "lib/quorvel/Help/help.html f"
    "lib/quorvel/install-manifest.txt f"
    "share/applications/quorvel.desktop f"
    "share/quorvel/autostart/quorvel.desktop f"
    "share/icons/hicolor/scalable/apps/quorvel.svg f"
    "share/man/man1/quorvel.1 f"
    "share/metainfo/example.quorvel.Quorvel.metainfo.xml f"
)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/quorvel.png f"); done
e2e_expect_eq "files and links installed (path type)" "$(printf '%s\n' "${expected[@]}" | sort)" \
    "$(find "$prefix" ! -type d -printf '%P %y\n' | sort)"

real_prefix=$(readlink -f "$prefix")
program_dir=$real_prefix/lib/quorvel
e2e_expect_eq "where bin/quorvel leads" "$program_dir/quorvel" "$(readlink -f "$prefix/bin/quorvel")"
[[ -x $program_dir/quorvel ]] || e2e_fail "the installed program is not executable: $(ls -l "$program_dir/quorvel")"
cmp -s "$build/help/help.html" "$program_dir/Help/help.html" || e2e_fail "the installed help page differs from the built one (data/help/help.html.in)"
cmp -s "$E2E_REPO_DIR/data/icons/quorvel.svg" "$prefix/share/icons/hicolor/scalable/apps/quorvel.svg" ||
    e2e_fail "the installed scalable icon differs from data/icons/quorvel.svg"
for s in "${sizes[@]}"; do
    e2e_expect_eq "size of the ${s}x${s} icon" "${s}x${s}" \
        "$(e2e_install_png_size "$prefix/share/icons/hicolor/${s}x${s}/apps/quorvel.png")"
done

# The entries: valid, and they start the installed launcher (quoted, as the
# prefix has a space) with the icon by name.
for entry in share/applications/quorvel.desktop share/quorvel/autostart/quorvel.desktop; do
    out=$(desktop-file-validate "$prefix/$entry" 2>&1) || e2e_fail "desktop-file-validate rejects $entry:"$'\n'"$out"
    [[ -z $out ]] && e2e_log "$entry: valid" || e2e_log "$entry: valid, with remarks: $out"
    e2e_expect_eq "Type in $entry" "Application" "$(e2e_install_entry_value "$prefix/$entry" Type)"
    e2e_expect_eq "Icon in $entry" "quorvel" "$(e2e_install_entry_value "$prefix/$entry" Icon)"
    exec_line=$(e2e_install_entry_value "$prefix/$entry" Exec)
    e2e_expect_eq "Exec in $entry" "\"$prefix/bin/quorvel\"" "$exec_line"
done

page=$(groff -man -Tutf8 -ww "$prefix/share/man/man1/quorvel.1" 2>"$E2E_TMP/groff.log") ||
    e2e_fail "groff cannot format the manual page"
[[ ! -s $E2E_TMP/groff.log ]] || e2e_fail "groff warns about the manual page: $(cat "$E2E_TMP/groff.log")"
grep -q '「URL編集」' <<<"$page" || e2e_fail "the manual page lacks the menu's Japanese texts:"$'\n'"$page"
version=$("$prefix/bin/quorvel" --version) || e2e_fail "quorvel --version failed"
grep -qF "$version" <<<"$page" || e2e_fail "the manual page does not name $version:"$'\n'"$page"
grep -qF "<release version=\"${version#Quorvel }\"" "$prefix/share/metainfo/example.quorvel.Quorvel.metainfo.xml" ||
    e2e_fail "the metadata's release is not ${version#Quorvel }"
out=$(appstreamcli validate-tree --no-net "$prefix" 2>&1) || e2e_fail "appstreamcli rejects the installed metadata:"$'\n'"$out"
e2e_log "appstreamcli validate-tree: $out"

# Started through the launcher link.
e2e_start_x
e2e_start_tray
e2e_start_program --exe "$prefix/bin/quorvel"
e2e_wait_docked
e2e_menu_pick 7
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$program_dir/Help/help.html"
[[ -f $program_dir/Help/help.html ]] || e2e_fail "the page handed to the opener does not exist"
e2e_press_icon 1
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$program_dir/$(id -un)"
[[ -d $program_dir/$(id -un) && ! -e $prefix/bin/$(id -un) ]] ||
    e2e_fail "expected the private folder in $program_dir only; lib/quorvel: $(ls "$program_dir"), bin: $(ls "$prefix/bin")"
e2e_quit

e2e_stop_tray TERM
hosts_start_bus
hosts_start_xfce_panel
e2e_start_program --exe "$prefix/bin/quorvel"
hosts_wait_item 30000
hosts_expect_item_icon quorvel "$real_prefix/share/icons"
hosts_menu_click 終了
e2e_expect_exit_status 0
e2e_pass
