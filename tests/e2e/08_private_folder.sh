#!/bin/bash
# SPDX-License-Identifier: MIT
# A left press opens <program folder>/<login name> with xdg-open, the program
# folder found through the symbolic link the program was started by; the first
# press makes the folder (0700, one level), later ones leave it as it is, a
# double click opens it once. A file, a link (to a folder or nowhere) or another
# user's folder of that name, or a program folder it cannot write to, gives the
# message box "Quorvel フォルダーエラー" naming the path: nothing is opened,
# nothing changes, and the menu still works. Without a login name the folder is
# "Default User". Usage: 08_private_folder.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 08_private_folder "${1:-}"
e2e_start_x
e2e_start_tray

e2e_folder_program_dir "$E2E_TMP/programs/Quorvel"
mkdir -p "$E2E_TMP/links"
ln -s "$E2E_FOLDER_EXE" "$E2E_TMP/links/quorvel"
folder=$E2E_FOLDER_PATH
help=$E2E_FOLDER_DIR/Help/help.html
calls=0

# expect_help: ヘルプ opens the help page as the next opener call, which also
# shows that nothing was opened since the last check.
expect_help() {
    e2e_menu_pick 7
    calls=$((calls + 1))
    e2e_wait_opener_calls "$calls"
    e2e_expect_opener_call "$calls" "$help"
}

expect_folder_opened() {
    calls=$((calls + 1))
    e2e_wait_opener_calls "$calls"
    e2e_expect_opener_call "$calls" "$folder"
}

umask 022
e2e_start_program --exe "$E2E_TMP/links/quorvel"
e2e_wait_docked

# First press: made with mode 0700, owned by the user, and opened.
before=$(e2e_folder_state "$E2E_FOLDER_DIR/quorvel" "$E2E_FOLDER_DIR/Help" "$E2E_TMP/links")
e2e_press_icon 1
expect_folder_opened
[[ -d $folder && ! -L $folder ]] || e2e_fail "expected the folder $folder to be made, saw: $(ls -la "$E2E_FOLDER_DIR")"
e2e_expect_eq "owner and mode of the new folder" "$(id -u) 700" "$(stat -c '%u %a' "$folder")"
e2e_expect_eq "entries of the new folder" "" "$(find "$folder" -mindepth 1 -printf '%P ')"
e2e_expect_eq "entries of the program folder" "Help quorvel $(id -un)" "$(ls "$E2E_FOLDER_DIR" | sort | xargs)"
e2e_expect_eq "the rest of the program folder and the link's folder" "$before" \
    "$(e2e_folder_state "$E2E_FOLDER_DIR/quorvel" "$E2E_FOLDER_DIR/Help" "$E2E_TMP/links")"

# An existing folder is opened as it is: its mode and contents stay.
echo "私のメモ" >"$folder/メモ.txt"
chmod 0750 "$folder"
before=$(e2e_folder_state "$E2E_FOLDER_DIR")
e2e_press_icon 1
expect_folder_opened
e2e_expect_eq "program folder after opening the existing folder" "$before" "$(e2e_folder_state "$E2E_FOLDER_DIR")"

# A double click: the second press comes as a double click and opens nothing.
# Near the icon's top, away from where e2e_press_icon presses (more than Qt's
# double-click distance), so the first press is a single one.
xdotool mousemove $((E2E_ICON_X + E2E_ICON_W / 2)) $((E2E_ICON_Y + 3)) click --repeat 2 --delay 60 1 ||
    e2e_fail "xdotool could not double-click the icon"
expect_folder_opened
expect_help

# Names taken by something else: refused with the path in the message.
mv "$folder" "$E2E_TMP/mine"
E2E_FOLDER_SHOT=folder-error-file
printf 'not a folder\n' >"$folder"
chmod 0600 "$folder"
ln -s "$E2E_TMP/mine" "$E2E_TMP/link-to-folder"
ln -s "$E2E_TMP/nowhere" "$E2E_TMP/link-to-nothing"
mkdir -m 0755 "$E2E_TMP/theirs"
chown 65534:65534 "$E2E_TMP/theirs"
for kind in file link-to-folder link-to-nothing theirs; do
    if [[ $kind != file ]]; then
        rm -f "$folder"
        mv "$E2E_TMP/$kind" "$folder"
        E2E_FOLDER_SHOT=folder-error-$kind
    fi
    before=$(e2e_folder_state "$E2E_FOLDER_DIR" "$E2E_TMP/mine" "$E2E_TMP/nowhere")
    e2e_press_icon 1
    e2e_folder_expect_message "$E2E_FOLDER_BOX_TITLE" "$folder"
    e2e_log "refused ($kind): $(printf '%q' "$E2E_FOLDER_MESSAGE")"
    e2e_expect_eq "program folder and the links' targets after the refusal ($kind)" "$before" \
        "$(e2e_folder_state "$E2E_FOLDER_DIR" "$E2E_TMP/mine" "$E2E_TMP/nowhere")"
    expect_help
done
rm -rf "$folder"
e2e_signal_program TERM
e2e_expect_exit_status 0

# A program folder it cannot write to: refused, nothing made. Root writes
# through permission bits, so the program runs without that power.
chmod 0555 "$E2E_FOLDER_DIR"
before=$(e2e_folder_state "$E2E_FOLDER_DIR")
E2E_FOLDER_SHOT=folder-error-read-only
e2e_start_program --unprivileged --exe "$E2E_TMP/links/quorvel"
e2e_wait_docked
e2e_press_icon 1
e2e_folder_expect_message "$E2E_FOLDER_BOX_TITLE" "$folder"
e2e_log "refused (read-only program folder): $(printf '%q' "$E2E_FOLDER_MESSAGE")"
e2e_expect_eq "read-only program folder after the refusal" "$before" "$(e2e_folder_state "$E2E_FOLDER_DIR")"
expect_help
e2e_quit
chmod 0755 "$E2E_FOLDER_DIR"

# A user id without a login name: "Default User", made for that user. The
# scenario's folders must let that user in.
uid=4242
getent passwd "$uid" >/dev/null && e2e_fail "user id $uid has a passwd entry; pick another one"
chmod 0711 "$E2E_TMP"
chmod 0777 "$E2E_TMP/opener"
chown -R "$uid:$uid" "$E2E_FOLDER_DIR" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
e2e_start_program --exe "$(command -v setpriv)" -- --reuid="$uid" --regid="$uid" --clear-groups -- "$E2E_FOLDER_EXE"
e2e_wait_docked
e2e_press_icon 1
folder=$E2E_FOLDER_DIR/"Default User"
expect_folder_opened
e2e_expect_eq "owner and mode of the folder of a user without a login name" "$uid 700" "$(stat -c '%u %a' "$folder")"
e2e_signal_program TERM
e2e_expect_exit_status 0
e2e_pass
