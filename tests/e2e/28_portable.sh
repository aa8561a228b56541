#!/bin/bash
# SPDX-License-Identifier: MIT
# The portable tarball (QUORVEL_PORTABLE_TARBALL, or packed by cpack from BUILD-DIR), unpacked
# where the path has a space, Japanese and " ` $ \ %: its README's commands write entries that
# start the unpacked program, and remove them. Started by its menu entry, the program docks, shows
# its menu, opens a bookmark and its private folder beside it, and saves the store on 終了.
# PROGRAM is not used. Usage: 28_portable.sh [PROGRAM] [BUILD-DIR]
source "$(dirname "$0")/lib.sh"
e2e_init 28_portable -
e2e_need desktop-file-validate:desktop-file-utils
build=${2:-$E2E_REPO_DIR/build}
tarball=${QUORVEL_PORTABLE_TARBALL:-}
if [[ -z $tarball ]]; then
    e2e_need cpack:cmake
    cpack -G TGZ --config "$build/CPackConfig.cmake" -B "$E2E_TMP/cpack" \
        -D CPACK_OUTPUT_FILE_PREFIX="$E2E_TMP/cpack" >"$E2E_TMP/cpack.log" 2>&1 ||
        e2e_fail "cpack failed: $(tail -n 20 "$E2E_TMP/cpack.log")"
    tarball=$(echo "$E2E_TMP"/cpack/Quorvel-*-linux-*.tar.gz)
fi
e2e_log "tarball $tarball, $(stat -c %s "$tarball") bytes"
e2e_expect_eq "what the tarball holds" "$(printf 'Quorvel/%s\n' "" Help/ Help/help.html LICENSE README.txt \
    desktop-entries.sh quorvel quorvel-autostart.desktop quorvel.desktop quorvel.png quorvel.svg | sort)" \
    "$(tar tzf "$tarball" | sort)"
# Not tar -C: GNU tar reads backslashes in its argument as escapes.
unpacked=$E2E_TMP/'ポータブル Quorvel "q" `u` $o \r %t'
mkdir -p "$unpacked" && (cd "$unpacked" && tar -xzf "$tarball") || e2e_fail "could not unpack $tarball"
e2e_use_program "$unpacked/Quorvel/quorvel"
line=$(e2e_install_recipe "$unpacked/Quorvel/README.txt" packages)
[[ $line == "sudo apt-get install --no-install-recommends "* ]] || e2e_fail "README.txt's package line: $line"
[[ ! -f $E2E_REPO_DIR/README.md ]] || grep -qxF "$line" "$E2E_REPO_DIR/README.md" ||
    e2e_fail "README.md lacks README.txt's package line: $line"

run_recipe() { # NAME: the README's commands, as written, in the folder that holds Quorvel/
    local recipe
    recipe=$(e2e_install_recipe "$unpacked/Quorvel/README.txt" "$1")
    (cd "$unpacked" && sh -e -c "$recipe") >>"$E2E_TMP/entries.log" 2>&1 ||
        e2e_fail "'$recipe' failed: $(tail -n 5 "$E2E_TMP/entries.log")"
}
run_recipe "menu entry"
run_recipe "autostart entry"
entries=("$XDG_DATA_HOME/applications/quorvel.desktop" "$XDG_CONFIG_HOME/autostart/quorvel.desktop")
for entry in "${entries[@]}"; do
    desktop-file-validate "$entry" >"$E2E_TMP/validate.log" 2>&1 ||
        e2e_fail "desktop-file-validate rejects $entry: $(cat "$E2E_TMP/validate.log")"$'\n'"$(cat "$entry")"
    e2e_install_entry_argv "$entry"
    e2e_expect_eq "the command of $entry" "1 $E2E_PROGRAM" "${#E2E_ENTRY_ARGV[@]} ${E2E_ENTRY_ARGV[*]}"
    e2e_expect_eq "Icon of $entry" "${E2E_PROGRAM_DIR//\\/\\\\}/quorvel.svg" "$(e2e_install_entry_value "$entry" Icon)"
done

e2e_start_x
e2e_start_tray
e2e_start_program --exe "${E2E_ENTRY_ARGV[0]}"
e2e_wait_docked
e2e_open_menu
e2e_screenshot_menu menu
e2e_menu_expect_layout
e2e_menu_choose Escape
e2e_menu_pick 2
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$E2E_DEFAULT_URL"
e2e_press_icon 1
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$E2E_PROGRAM_DIR/$(id -un)"
e2e_expect_eq "owner and mode of the private folder" "$(id -u) 700" "$(stat -c '%u %a' "$E2E_PROGRAM_DIR/$(id -un)")"
[[ ! -e $E2E_STORE ]] || e2e_fail "the store exists before 終了: $(cat "$E2E_STORE")"
e2e_quit
e2e_defaults
e2e_expect_store "${E2E_DEFAULTS[@]}"

run_recipe "remove entries"
[[ ! -e ${entries[0]} && ! -e ${entries[1]} ]] || e2e_fail "the README's removal left: $(ls "${entries[@]}" 2>&1)"
e2e_pass
