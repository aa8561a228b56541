#!/bin/bash
# SPDX-License-Identifier: MIT
# The native Windows program end to end under Wine, on the X display in DISPLAY (a window
# manager and an XEmbed tray running there) with the prepared prefix in WINEPREFIX:
#   e2e.sh BUILD_DIR OUTPUT_DIR XPROBE PROGRAM_DIR
# BUILD_DIR is the cross build (tests/win32/quorvel_e2e_helper.exe); PROGRAM_DIR the program
# folder under test (quorvel.exe, Help/), the portable zip unpacked where the path holds a space
# and Japanese; screenshots, logs and measurements go to OUTPUT_DIR. scripts/test-win32 sets all
# this up.
#
# Covered: the executable's icon sizes, version resource and manifest; --version/--help/refusal;
# the icon docks; the right press shows the menu in Japanese;
# bookmarks reach their handler (http and a custom URL scheme) and ヘルプ the help page beside the
# executable; the left press creates the private folder, opens it, and opens it again once it
# exists; a link in its place is refused with a message box; the editor (fixed size, centred,
# Tab order, Enter and Esc unbound) saves on OK and updates the menu; 終了 closes the folder's
# window by its File menu, removes the icon, exits 0 and leaves the ten values in the registry;
# taskkill's close request and the end of the session save and exit 0 as well, the latter also
# closing a message box that waits.
set -euo pipefail
# The harness of the Linux end-to-end tests: bounded waits, failures with diagnostics, the
# program's windows through the probe, the menu, the editor, screenshots.
source "$(dirname "$0")/../e2e/lib.sh"

build=$(readlink -f "$1")
out=$(readlink -f "$2")
: "${DISPLAY:?}" "${WINEPREFIX:?}"
wine=${QUORVEL_WINE:-wine}
e2e_begin win32 "$out"
# shellcheck disable=SC2034 # read by the harness
E2E_PROBE=$(readlink -f "$3")
# Wine's windows: the program's are its executable's class, the docked icon is explorer.exe's.
# shellcheck disable=SC2034
E2E_CLASS=quorvel.exe E2E_ICON_CLASS=explorer.exe E2E_MENU_TAKES_FOCUS=1
E2E_TIMEOUT_MS=${QUORVEL_E2E_TIMEOUT_MS:-15000}

checks=0
ok() {
    checks=$((checks + 1))
    echo "ok $checks - $*"
}
now_ms() { date +%s%3N; }

# ------------------------------------------------------------------ the program and its world

# The program folder as given, reached through Wine's Z: drive; nothing beside the executable
# and its help page is needed.
program_dir=$(readlink -f "$4")
[[ -f $program_dir/quorvel.exe && -f $program_dir/Help/help.html ]] ||
    e2e_fail "no quorvel.exe with Help/help.html in $program_dir"
program="$program_dir/quorvel.exe"
E2E_PROGRAM=$program
win_program_dir=$(winepath -w "$program_dir")
user=$(id -un)
folder="$program_dir/$user"

# Every handler ShellExecuteW may start is the recording helper.
opener_log="$E2E_TMP/opener.log"
export QUORVEL_E2E_OPENER_LOG
QUORVEL_E2E_OPENER_LOG=$(winepath -w "$opener_log")
helper=$(winepath -w "$build/tests/win32/quorvel_e2e_helper.exe")
command="\"$helper\" \"%1\""
reg() { "$wine" reg "$@" >/dev/null 2>&1; }
reg add 'HKCR\http\shell\open\command' /ve /d "$command" /f
reg add 'HKCR\quorvel-e2e' /ve /d 'URL:Quorvel e2e' /f
reg add 'HKCR\quorvel-e2e' /v 'URL Protocol' /d '' /f
reg add 'HKCR\quorvel-e2e\shell\open\command' /ve /d "$command" /f
reg add 'HKCR\.html' /ve /d htmlfile /f
reg add 'HKCR\htmlfile\shell\open\command' /ve /d "$command" /f
reg delete 'HKCR\Folder\shell\open\ddeexec' /f || true
reg add 'HKCR\Folder\shell\open\command' /ve /d "$command" /f
reg delete 'HKCU\Software\Quorvel' /f || true

start_program() { e2e_start_program --exe "$wine" -- "$program"; }
expect_exit_status() {
    e2e_expect_exit_status "$1"
    ok "exit status $1"
}

opener_count() { [[ -f $opener_log ]] && grep -c '^open	' "$opener_log" || echo 0; }
opener_at_least() { (($(opener_count) >= $1)); }
wait_opener_count() {
    e2e_poll "$E2E_TIMEOUT_MS" opener_at_least "$1" || e2e_fail "expected $1 handler calls, saw $(opener_count)"
    [[ $(opener_count) == "$1" ]] || e2e_fail "expected $1 handler calls, saw $(opener_count)"
}
expect_opened() {
    local n=$1 target=$2
    wait_opener_count "$n"
    local line
    line=$(grep '^open	' "$opener_log" | sed -n "${n}p")
    [[ $line == "open	$target" ]] || e2e_fail "handler call $n was '${line#open	}', expected '$target'"
    ok "handler call $n: $target"
}
screenshot_menu() { e2e_screenshot "$1" "$E2E_MENU_X" "$E2E_MENU_Y" "$E2E_MENU_W" "$E2E_MENU_H"; }

# ------------------------------------------------------------------ the registry

registry_lines() {
    local file="$E2E_TMP/export.reg"
    rm -f "$file"
    "$wine" reg export 'HKCU\Software\Quorvel' "$(winepath -w "$file")" >/dev/null 2>&1 || return 0
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | grep -v '^Windows Registry Editor\|^$' || true
}
reg_escape() { local v=${1//\\/\\\\}; printf '%s' "${v//\"/\\\"}"; }
# The whole key as it must be: one section with exactly these ten values, nothing else.
expect_store() {
    local expected=('[HKEY_CURRENT_USER\Software\Quorvel]' '[HKEY_CURRENT_USER\Software\Quorvel\Url Info]')
    local values=() i
    for i in 0 1 2 3 4; do
        values+=("\"Title url$i\"=\"$(reg_escape "${@:2*i+1:1}")\"")
        values+=("\"url$i\"=\"$(reg_escape "${@:2*i+2:1}")\"")
    done
    mapfile -t values < <(printf '%s\n' "${values[@]}" | LC_ALL=C sort)
    local want have
    want=$(printf '%s\n' "${expected[@]}" "${values[@]}")
    have=$(registry_lines | { read -r a; read -r b; echo "$a"; echo "$b"; LC_ALL=C sort; })
    [[ $have == "$want" ]] || e2e_fail "the registry holds"$'\n'"$have"$'\n'"expected"$'\n'"$want"
    ok "the registry holds the ten values"
}
seed_store() {
    local file="$E2E_TMP/seed.reg" i text
    text=$'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvel\\Url Info]\r\n'
    for i in 0 1 2 3 4; do
        text+="\"Title url$i\"=\"$(reg_escape "${@:2*i+1:1}")\""$'\r\n'
        text+="\"url$i\"=\"$(reg_escape "${@:2*i+2:1}")\""$'\r\n'
    done
    { printf '\xff\xfe'; printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE; } >"$file"
    reg delete 'HKCU\Software\Quorvel' /f || true
    "$wine" reg import "$(winepath -w "$file")" >/dev/null 2>&1 || e2e_fail "could not seed the registry"
}

e2e_defaults
defaults=("${E2E_DEFAULTS[@]}")
default_url=$E2E_DEFAULT_URL

# ------------------------------------------------------------------ the executable

# Through a file: icotool cannot read a PNG-compressed size from a pipe.
wrestool -x --type=14 -o "$E2E_TMP/icon.ico" "$program"
sizes=$(icotool -l "$E2E_TMP/icon.ico" 2>/dev/null |
    sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' | tr '\n' ' ')
[[ $sizes == "16x16 32x32 48x48 256x256 " ]] || e2e_fail "the program icon has the sizes '$sizes'"
ok "the program icon holds 16, 32, 48 and 256 pixels"
strings=$(wrestool -x --raw --type=16 "$program" | x86_64-w64-mingw32-strings -el | tr '\n' '|')
[[ $strings == *"|ProductVersion|2.00|"* && $strings == *"|FileVersion|2.00|"* ]] ||
    e2e_fail "the version resource says $strings"
# VS_FIXEDFILEINFO: signature, structure version, then FILEVERSION 2,0,0,0 and PRODUCTVERSION.
fixed=$(wrestool -x --raw --type=16 "$program" | od -An -tx1 -v | tr -d ' \n' |
    grep -o 'bd04effe.\{40\}' || true)
[[ $fixed == bd04effe0000010000000200000000000000020000000000 ]] ||
    e2e_fail "FILEVERSION/PRODUCTVERSION are not 2,0,0,0: $fixed"
ok "the version resource is 2.00 (2,0,0,0)"
wrestool -l "$program" | grep -q -- '--type=24 --name=1 ' || e2e_fail "the program has no manifest"
ok "the program carries its manifest"

# ------------------------------------------------------------------ the command line

version=$("$wine" "$program" --version 2>/dev/null) || e2e_fail "--version failed"
[[ $version == "Quorvel 2.00" ]] || e2e_fail "--version printed '$version'"
ok "--version prints Quorvel 2.00"
help=$("$wine" "$program" --help 2>/dev/null) || e2e_fail "--help failed"
[[ $help == *"Usage: quorvel"* && $help == *"URL編集"* ]] || e2e_fail "--help printed '$help'"
ok "--help prints the usage, in UTF-8"
status=0
refusal=$("$wine" "$program" --bogus 2>&1 >/dev/null) || status=$?
[[ $status == 2 && $refusal == *"'--bogus'"* ]] || e2e_fail "--bogus: status $status, '$refusal'"
ok "an unknown argument is refused with status 2"

# ------------------------------------------------------------------ first run

e2e_tray_owner || e2e_fail "no tray on $DISPLAY"
started=$(now_ms)
start_program
e2e_wait_docked
docked=$(now_ms)
echo "start_to_docked_ms $((docked - started))" >>"$out/measurements"
ok "the icon docked after $((docked - started)) ms (${E2E_ICON_W}x${E2E_ICON_H}+${E2E_ICON_X}+${E2E_ICON_Y})"
e2e__painted "$E2E_ICON_X" "$E2E_ICON_Y" "$E2E_ICON_W" "$E2E_ICON_H" || e2e_fail "the docked icon is blank"
e2e_screenshot tray-icon 0 0 120 40
ok "the icon shows a picture"

e2e_open_menu
screenshot_menu menu-defaults
((E2E_MENU_H > 8 * 14 && E2E_MENU_W > 40)) || e2e_fail "menu ${E2E_MENU_W}x${E2E_MENU_H} is too small for ten items"
ok "the right press shows the menu (${E2E_MENU_W}x${E2E_MENU_H})"
e2e_menu_choose Escape
ok "Esc closes the menu"
[[ $(opener_count) == 0 ]] || e2e_fail "opening and closing the menu started a handler"

e2e_menu_pick 1
expect_opened 1 "$default_url"
e2e_menu_pick 7
expect_opened 2 "$win_program_dir\\Help\\help.html"

# The private folder: made, opened, and opened again once it exists.
[[ ! -e $folder ]] || e2e_fail "the private folder exists before the left press"
e2e_press_icon 1
expect_opened 3 "$win_program_dir\\$user"
[[ -d $folder && ! -L $folder ]] || e2e_fail "the left press did not create $folder"
ok "the left press created the private folder"
e2e_poll "$E2E_TIMEOUT_MS" grep -q "^shown	$user\$" "$opener_log" || e2e_fail "the folder's window did not appear"
# The window manager puts new windows under the pointer, over the tray: moved aside.
folder_window=$(xdotool search --onlyvisible --name "^$user\$" | head -n 1)
xdotool windowmove "$folder_window" 500 450
e2e_press_icon 1
expect_opened 4 "$win_program_dir\\$user"
ok "a second left press opens the existing folder (owned by the user)"
rss_kb=$(awk '/^VmRSS/ { print $2 }' "/proc/$E2E_PROGRAM_PID/status")
echo "rss_kb $rss_kb" >>"$out/measurements"

# The editor.
# 6255 x 2640 twips at 96 dots per inch: e2e_editor_open checks the client area.
e2e_editor_open
e2e_screenshot editor "$E2E_EDITOR_X" "$E2E_EDITOR_Y" "$E2E_EDITOR_W" "$E2E_EDITOR_H"
ok "the editor's client area is 6255x2640 twips"
hints=$(xprop -id "$E2E_EDITOR_ID" WM_NORMAL_HINTS)
[[ $hints == *"minimum size: 417 by 176"* && $hints == *"maximum size: 417 by 176"* ]] ||
    e2e_fail "the editor can be resized: $hints"
ok "the editor has a fixed size"
read -r asked_x asked_y < <(sed -n 's/.*program specified location: \([0-9-]*\), \([0-9-]*\).*/\1 \2/p' <<<"$hints")
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
((${asked_x:-0} + 417 / 2 - ${screen%x*} / 2 <= 8 && ${screen%x*} / 2 - ${asked_x:-0} - 417 / 2 <= 8)) ||
    e2e_fail "the editor asked for x=$asked_x, not centred on a ${screen} screen"
((${asked_y:-0} + 176 / 2 - ${screen#*x} / 2 <= 24 && ${screen#*x} / 2 - ${asked_y:-0} - 176 / 2 <= 24)) ||
    e2e_fail "the editor asked for y=$asked_y, not centred on a ${screen} screen"
ok "the editor asks to be centred (${asked_x},${asked_y})"

# Focus starts on OK (tab index 0): two Tabs reach the first title. Enter and Esc in between
# must do nothing: the text typed after them still lands in the boxes and OK saves it.
new_title='E2E One'
new_url='quorvel-e2e://first/path?q=1&x=2'
xdotool windowfocus "$E2E_EDITOR_ID"
xdotool key Tab Tab
xdotool type --delay 15 "$new_title"
xdotool key Return Escape Tab
xdotool type --delay 15 "$new_url"
xdotool key shift+Tab shift+Tab shift+Tab space
e2e_editor_wait_closed OK
ok "OK closed the editor"
edited=("$new_title" "$new_url" "${defaults[@]:2}")
expect_store "${edited[@]}"

e2e_open_menu
screenshot_menu menu-edited
[[ $(compare -metric AE "$out/menu-defaults.png" "$out/menu-edited.png" null: 2>&1) != 0 ]] ||
    e2e_fail "the menu looks as before the edit"
ok "the menu shows the edited title"
e2e_menu_choose Down Return
expect_opened 5 "$new_url"

# 終了: the folder's window closes through its File menu, the icon goes, status 0.
e2e_menu_pick 8
e2e_poll "$E2E_TIMEOUT_MS" grep -q "^closed-by-menu	$user\$" "$opener_log" ||
    e2e_fail "the folder's window was not closed by Alt+F, C"
ok "the folder's window was closed through its File menu"
expect_exit_status 0
e2e_wait_undocked
ok "終了 removed the icon"
expect_store "${edited[@]}"
[[ $(opener_count) == 5 ]] || e2e_fail "handler calls after 終了: $(opener_count)"

# ------------------------------------------------------------------ a seeded store, taskkill

seeded=(
    "一番目" "quorvel-e2e://one/最初"
    "二番目 & more" "http://two.quorvel.example/second?x=2"
    "三番目 \"引用\" \\back" "quorvel-e2e://three/三"
    "四番目" "http://four.quorvel.example/"
    "  前後に空白  " "quorvel-e2e://five/"
)
seed_store "${seeded[@]}"
started=$(now_ms)
start_program
e2e_wait_docked
echo "start_to_docked_ms $(($(now_ms) - started))" >>"$out/measurements"
e2e_open_menu
screenshot_menu menu-japanese
ok "the menu shows the stored Japanese titles"
e2e_menu_choose Down Down Down Return
expect_opened 6 "${seeded[5]}"
e2e_menu_pick 1
expect_opened 7 "${seeded[1]}"
# The program read the store at start; with the key gone, only a save brings it back.
reg delete 'HKCU\Software\Quorvel' /f
"$wine" taskkill /im quorvel.exe >/dev/null 2>&1 || e2e_fail "taskkill failed"
expect_exit_status 0
e2e_wait_undocked
expect_store "${seeded[@]}"
ok "taskkill's close request saved and ended the program"

# ------------------------------------------------------------------ a link, the end of the session

rm -rf "$folder"
ln -s "$E2E_TMP" "$folder"
start_program
e2e_wait_docked
e2e_press_icon 1
e2e_wait_window_titled "$E2E_FOLDER_BOX_TITLE"
e2e_screenshot folder-error "$E2E_WIN_X" "$E2E_WIN_Y" "$E2E_WIN_W" "$E2E_WIN_H"
ok "a link in the folder's place is refused with a message box"
[[ $(opener_count) == 7 ]] || e2e_fail "the link was opened"
reg delete 'HKCU\Software\Quorvel' /f
"$wine" wineboot --end-session >/dev/null 2>&1 || true
expect_exit_status 0
expect_store "${seeded[@]}"
ok "the end of the session closed the waiting box, saved and ended the program"

cp "$E2E_TMP"/program.*.log "$out/"
echo "e2e: $checks passed, 0 failed"
