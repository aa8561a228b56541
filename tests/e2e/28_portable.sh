#!/bin/bash
# SPDX-License-Identifier: MIT
# The portable folder as a user gets it: the tarball (QUORVEL_PORTABLE_TARBALL, or packed here by
# cpack from BUILD-DIR) holds only Quorvel/, unpacked where the path has a space and Japanese. Its
# README names the package of every library the program links to; the README's commands write a
# menu and an autostart entry that start the unpacked program by its quoted path (also from a
# folder whose path has " ` $ \ and %), and remove them. Started by its menu entry, the unpacked
# program docks, shows the five bookmarks, URL編集, ヘルプ and 終了, opens a bookmark and its
# own help page, makes and opens the private folder beside itself, and saves the store on 終了.
# PROGRAM is not used: the tarball's program is the one tested.
# Usage: 28_portable.sh [PROGRAM] [BUILD-DIR]
source "$(dirname "$0")/lib.sh"
e2e_init 28_portable -
build=${2:-$E2E_REPO_DIR/build}
tarball=${QUORVEL_PORTABLE_TARBALL:-}
if [[ -z $tarball ]]; then
    e2e_need cpack:cmake
    cpack -G TGZ --config "$build/CPackConfig.cmake" -B "$E2E_TMP/cpack" \
        -D CPACK_OUTPUT_FILE_PREFIX="$E2E_TMP/cpack" >"$E2E_TMP/cpack.log" 2>&1 ||
        e2e_fail "cpack failed: $(tail -n 20 "$E2E_TMP/cpack.log")"
    tarball=$(echo "$E2E_TMP"/cpack/Quorvel-*-linux-*.tar.gz)
fi
[[ -f $tarball ]] || e2e_fail "no tarball at $tarball"
e2e_log "tarball $tarball, $(stat -c %s "$tarball") bytes"
e2e_expect_eq "what the tarball holds" "$(printf 'Quorvel/%s\n' "" Help/ Help/help.html LICENSE README.txt \
    desktop-entries.sh quorvel quorvel-autostart.desktop quorvel.desktop quorvel.png quorvel.svg | sort)" \
    "$(tar tzf "$tarball" | sort)"
unpacked="$E2E_TMP/ポータブル Quorvel"
mkdir -p "$unpacked" && tar -C "$unpacked" -xzf "$tarball" || e2e_fail "could not unpack $tarball"
readme=$unpacked/Quorvel/README.txt
e2e_use_program "$unpacked/Quorvel/quorvel"

# Each library the program names comes from a package of the README's one install line.
line=$(e2e_install_recipe "$readme" packages)
[[ $line == "sudo apt-get install --no-install-recommends "* ]] || e2e_fail "README's package line: $line"
[[ ! -f $E2E_REPO_DIR/README.md ]] || grep -qxF "$line" "$E2E_REPO_DIR/README.md" ||
    e2e_fail "README.md lacks the package line of README.txt: $line"
trace=$(LD_TRACE_LOADED_OBJECTS=1 LD_DEBUG=files "$E2E_PROGRAM" 2>&1)
for lib in $(grep -F "needed by $E2E_PROGRAM [" <<<"$trace" | sed 's/.*file=\([^ ]*\) .*/\1/'); do
    [[ $lib == lib@(a|ub)san.so.* ]] && continue # the sanitized build's, no release has them
    path=$(awk -v lib="$lib" '$1 == lib && $2 == "=>" { print $3 }' <<<"$trace")
    # A merged /usr: dpkg may know the file by either name.
    owner=$(dpkg -S "$path" "${path#/usr}" "/usr${path#/usr}" 2>/dev/null | head -n 1)
    [[ -n $owner && " ${line#*recommends} " == *" ${owner%%:*} "* ]] ||
        e2e_fail "$lib ($path, of ${owner%%:*}) comes from no package the README names: $line"
done

# The README's commands, as written, in the folder that holds Quorvel/.
run_recipe() { # FOLDER NAME
    local recipe
    recipe=$(e2e_install_recipe "$readme" "$2")
    [[ $recipe == *desktop-entries.sh* ]] || e2e_fail "README.txt's recipe '$2': $recipe"
    (cd "$1" && sh -e -c "$recipe") >>"$E2E_TMP/entries.log" 2>&1 ||
        e2e_fail "'$recipe' failed in $1: $(tail -n 5 "$E2E_TMP/entries.log")"
}
entries=("$XDG_DATA_HOME/applications/quorvel.desktop" "$XDG_CONFIG_HOME/autostart/quorvel.desktop")
expect_entries() { # FOLDER: both entries start FOLDER/Quorvel/quorvel and show its icon.
    local dir entry
    dir=$(readlink -f "$1")/Quorvel
    for entry in "${entries[@]}"; do
        if command -v desktop-file-validate >/dev/null; then
            desktop-file-validate "$entry" >"$E2E_TMP/validate.log" 2>&1 ||
                e2e_fail "desktop-file-validate rejects $entry: $(cat "$E2E_TMP/validate.log")"$'\n'"$(cat "$entry")"
        fi
        e2e_install_entry_argv "$entry"
        e2e_expect_eq "the command of $entry" "1 $dir/quorvel" "${#E2E_ENTRY_ARGV[@]} ${E2E_ENTRY_ARGV[*]}"
        e2e_expect_eq "Icon of $entry" "${dir//\\/\\\\}/quorvel.svg" "$(e2e_install_entry_value "$entry" Icon)"
    done
}
odd=$E2E_TMP/'"q" `u` $o \r %t'
mkdir -p "$odd" && cp -a "$unpacked/Quorvel" "$odd/" || e2e_fail "could not copy the folder to $odd"
for folder in "$odd" "$unpacked"; do
    run_recipe "$folder" "menu entry"
    run_recipe "$folder" "autostart entry"
    expect_entries "$folder"
done

e2e_start_x
e2e_start_tray
e2e_start_program --exe "${E2E_ENTRY_ARGV[0]}"
e2e_wait_docked
e2e_screenshot docked 0 0 200 32
e2e_open_menu
e2e_screenshot_menu menu
e2e_menu_expect_layout
e2e_menu_choose Escape
e2e_menu_pick 2
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_DEFAULT_URL"
e2e_menu_pick 7
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$E2E_PROGRAM_DIR/Help/help.html"
e2e_press_icon 1
e2e_wait_opener_calls 3
e2e_expect_opener_call 3 "$E2E_PROGRAM_DIR/$(id -un)"
e2e_expect_eq "owner and mode of the private folder" "$(id -u) 700" "$(stat -c '%u %a' "$E2E_PROGRAM_DIR/$(id -un)")"
[[ ! -e $E2E_STORE ]] || e2e_fail "the store exists before 終了: $(cat "$E2E_STORE")"
e2e_quit
e2e_defaults
e2e_expect_store "${E2E_DEFAULTS[@]}"

run_recipe "$unpacked" "remove entries"
for entry in "${entries[@]}"; do
    [[ ! -e $entry ]] || e2e_fail "the README's removal left $entry"
done
e2e_pass
