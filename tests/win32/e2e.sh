#!/bin/bash
# The native Windows program end to end under Wine, on the X display in DISPLAY (a window
# manager and an XEmbed tray running there) with the prepared prefix in WINEPREFIX:
#   e2e.sh BUILD_DIR OUTPUT_DIR X11_PROBE
# BUILD_DIR is the cross build (Quorvel/quorvel.exe, tests/win32/quorvel_e2e_helper.exe);
# screenshots, logs and measurements go to OUTPUT_DIR. scripts/test-win32 sets all this up.
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

build=$(readlink -f "$1")
out=$(readlink -f "$2")
probe=$(readlink -f "$3")
mkdir -p "$out"
: "${DISPLAY:?}" "${WINEPREFIX:?}"
wine=${QUORVEL_WINE:-wine}

checks=0
ok() {
    checks=$((checks + 1))
    echo "ok $checks - $*"
}
fail() {
    echo "not ok - $*" >&2
    echo "e2e: program log:" >&2
    cat "$out/program.log" >&2 2>/dev/null || true
    exit 1
}
# Every wait is bounded: poll BOUND_MS COMMAND... in 20 ms steps.
poll() {
    local bound=$1 waited=0
    shift
    until "$@"; do
        ((waited >= bound)) && return 1
        sleep 0.02
        waited=$((waited + 20))
    done
}
now_ms() { date +%s%3N; }

# ------------------------------------------------------------------ the program and its world

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-e2e.XXXXXX")
program_pid=
cleanup() {
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A program folder with a space and Japanese in its name, reached through Wine's Z: drive.
program_dir="$work/Program Files/クオーベル"
mkdir -p "$program_dir"
cp "$build/Quorvel/quorvel.exe" "$program_dir/"
cp -r "$build/Quorvel/Help" "$program_dir/"
program="$program_dir/quorvel.exe"
win_program_dir=$(winepath -w "$program_dir")
user=$(id -un)
folder="$program_dir/$user"

# Every handler ShellExecuteW may start is the recording helper.
opener_log="$work/opener.log"
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

start_program() {
    (cd "$work" && exec "$wine" "$program" "$@") >"$out/program.log" 2>&1 &
    program_pid=$!
}
program_alive() { kill -0 "$program_pid" 2>/dev/null; }
expect_exit_status() {
    poll 15000 eval '! program_alive' || fail "the program did not exit"
    local status=0
    wait "$program_pid" || status=$?
    program_pid=
    [[ $status == "$1" ]] || fail "exit status $status, expected $1"
    ok "exit status $1"
}

opener_count() { [[ -f $opener_log ]] && grep -c '^open	' "$opener_log" || echo 0; }
wait_opener_count() {
    local want=$1
    poll 10000 eval '[[ $(opener_count) -ge $want ]]' ||
        fail "expected $1 handler calls, saw $(opener_count)"
    [[ $(opener_count) == "$1" ]] || fail "expected $1 handler calls, saw $(opener_count)"
}
expect_opened() {
    local n=$1 target=$2
    wait_opener_count "$n"
    local line
    line=$(grep '^open	' "$opener_log" | sed -n "${n}p")
    [[ $line == "open	$target" ]] || fail "handler call $n was '${line#open	}', expected '$target'"
    ok "handler call $n: $target"
}

# ------------------------------------------------------------------ the display

# The docked icon: a visible window of Wine's tray (explorer.exe) inside another window.
icon=
find_icon() {
    icon=$("$probe" find explorer.exe | awk '$7 == 0 { print $1, $2, $3, $4, $5; exit }')
    [[ -n $icon ]]
}
no_icon() { ! find_icon; }
wait_docked() {
    poll 15000 find_icon || fail "the icon did not dock"
    read -r icon_id icon_x icon_y icon_w icon_h <<<"$icon"
}
# Two presses of a button close together in time and place make a double click, which the
# program ignores: each press lands a few pixels from the one before.
presses=0
press_icon() {
    local dy=$((presses++ % 2 ? icon_h / 4 : -icon_h / 4))
    xdotool mousemove $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2 + dy)) click "$1"
}
colours() { import -silent -window root -crop "$3x$4+$1+$2" png:- | identify -format %k -; }
screenshot() { import -silent -window root -crop "$4x$5+$2+$3" +repage "$out/$1.png"; }

# The popup menu: a visible override-redirect window of the program, painted.
menu=
find_menu() {
    menu=$("$probe" find quorvel.exe | awk '$6 == 1 { print $1, $2, $3, $4, $5; exit }')
    [[ -n $menu ]]
}
menu_painted() { find_menu && read -r _ x y w h <<<"$menu" && (($(colours "$x" "$y" "$w" "$h") >= 8)); }
no_menu() { ! find_menu; }
open_menu() {
    press_icon 3
    poll 10000 menu_painted || fail "no menu after the right press"
    read -r menu_id menu_x menu_y menu_w menu_h <<<"$menu"
    # Wine keeps X's keyboard focus where it was; the keys must reach the menu.
    xdotool windowfocus "$menu_id"
}
choose() {
    xdotool key "$@"
    poll 5000 no_menu || fail "the menu stayed open after $*"
}
pick() {
    open_menu
    local keys=()
    for ((k = 0; k < $1; ++k)); do keys+=(Down); done
    choose "${keys[@]}" Return
}

# A managed window of the program by its exact title.
window=
find_window() {
    window=$("$probe" find quorvel.exe | awk -v title="$1" '
        $6 == 0 { line = $0; for (i = 1; i <= 7; ++i) sub(/^[^ ]* /, "", line)
                  if (line == title) { print $1, $2, $3, $4, $5; exit } }')
    [[ -n $window ]]
}
no_window() { ! find_window "$1"; }

# ------------------------------------------------------------------ the registry

registry_lines() {
    local file="$work/export.reg"
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
    [[ $have == "$want" ]] || fail "the registry holds"$'\n'"$have"$'\n'"expected"$'\n'"$want"
    ok "the registry holds the ten values"
}
seed_store() {
    local file="$work/seed.reg" i text
    text=$'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvel\\Url Info]\r\n'
    for i in 0 1 2 3 4; do
        text+="\"Title url$i\"=\"$(reg_escape "${@:2*i+1:1}")\""$'\r\n'
        text+="\"url$i\"=\"$(reg_escape "${@:2*i+2:1}")\""$'\r\n'
    done
    { printf '\xff\xfe'; printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE; } >"$file"
    reg delete 'HKCU\Software\Quorvel' /f || true
    "$wine" reg import "$(winepath -w "$file")" >/dev/null 2>&1 || fail "could not seed the registry"
}

default_url='http://www.quorvel.example/'
defaults=()
for i in 0 1 2 3 4; do defaults+=("作者HP" "$default_url"); done

# ------------------------------------------------------------------ the executable

# Through a file: icotool cannot read a PNG-compressed size from a pipe.
wrestool -x --type=14 -o "$work/icon.ico" "$program"
sizes=$(icotool -l "$work/icon.ico" 2>/dev/null |
    sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' | tr '\n' ' ')
[[ $sizes == "16x16 32x32 48x48 256x256 " ]] || fail "the program icon has the sizes '$sizes'"
ok "the program icon holds 16, 32, 48 and 256 pixels"
strings=$(wrestool -x --raw --type=16 "$program" | x86_64-w64-mingw32-strings -el | tr '\n' '|')
[[ $strings == *"|ProductVersion|2.00|"* && $strings == *"|FileVersion|2.00|"* ]] ||
    fail "the version resource says $strings"
# VS_FIXEDFILEINFO: signature, structure version, then FILEVERSION 2,0,0,0 and PRODUCTVERSION.
fixed=$(wrestool -x --raw --type=16 "$program" | od -An -tx1 -v | tr -d ' \n' |
    grep -o 'bd04effe.\{40\}' || true)
[[ $fixed == bd04effe0000010000000200000000000000020000000000 ]] ||
    fail "FILEVERSION/PRODUCTVERSION are not 2,0,0,0: $fixed"
ok "the version resource is 2.00 (2,0,0,0)"
wrestool -l "$program" | grep -q -- '--type=24 --name=1 ' || fail "the program has no manifest"
ok "the program carries its manifest"

# ------------------------------------------------------------------ the command line

version=$("$wine" "$program" --version 2>/dev/null) || fail "--version failed"
[[ $version == "Quorvel 2.00" ]] || fail "--version printed '$version'"
ok "--version prints Quorvel 2.00"
help=$("$wine" "$program" --help 2>/dev/null) || fail "--help failed"
[[ $help == *"Usage: quorvel"* && $help == *"URL編集"* ]] || fail "--help printed '$help'"
ok "--help prints the usage, in UTF-8"
status=0
refusal=$("$wine" "$program" --bogus 2>&1 >/dev/null) || status=$?
[[ $status == 2 && $refusal == *"'--bogus'"* ]] || fail "--bogus: status $status, '$refusal'"
ok "an unknown argument is refused with status 2"

# ------------------------------------------------------------------ first run

"$probe" owner _NET_SYSTEM_TRAY_S0 >/dev/null || fail "no tray on $DISPLAY"
started=$(now_ms)
start_program
wait_docked
docked=$(now_ms)
echo "start_to_docked_ms $((docked - started))" >>"$out/measurements"
ok "the icon docked after $((docked - started)) ms (${icon_w}x${icon_h}+${icon_x}+${icon_y})"
(($(colours "$icon_x" "$icon_y" "$icon_w" "$icon_h") >= 8)) || fail "the docked icon is blank"
screenshot tray-icon 0 0 120 40
ok "the icon shows a picture"

open_menu
screenshot menu-defaults "$menu_x" "$menu_y" "$menu_w" "$menu_h"
((menu_h > 8 * 14 && menu_w > 40)) || fail "menu ${menu_w}x${menu_h} is too small for ten items"
ok "the right press shows the menu (${menu_w}x${menu_h})"
choose Escape
ok "Esc closes the menu"
[[ $(opener_count) == 0 ]] || fail "opening and closing the menu started a handler"

pick 1
expect_opened 1 "$default_url"
pick 7
expect_opened 2 "$win_program_dir\\Help\\help.html"

# The private folder: made, opened, and opened again once it exists.
[[ ! -e $folder ]] || fail "the private folder exists before the left press"
press_icon 1
expect_opened 3 "$win_program_dir\\$user"
[[ -d $folder && ! -L $folder ]] || fail "the left press did not create $folder"
ok "the left press created the private folder"
poll 10000 grep -q "^shown	$user\$" "$opener_log" || fail "the folder's window did not appear"
# The window manager puts new windows under the pointer, over the tray: moved aside.
folder_window=$(xdotool search --onlyvisible --name "^$user\$" | head -n 1)
xdotool windowmove "$folder_window" 500 450
press_icon 1
expect_opened 4 "$win_program_dir\\$user"
ok "a second left press opens the existing folder (owned by the user)"
rss_kb=$(awk '/^VmRSS/ { print $2 }' "/proc/$program_pid/status")
echo "rss_kb $rss_kb" >>"$out/measurements"

# The editor.
pick 6
editor_title='Quorvel Private URL Editor'
poll 10000 find_window "$editor_title" || fail "URL編集 showed no editor"
read -r editor_id editor_x editor_y editor_w editor_h <<<"$window"
poll 5000 eval '(($(colours "$editor_x" "$editor_y" "$editor_w" "$editor_h") >= 8))' ||
    fail "the editor is not painted"
screenshot editor "$editor_x" "$editor_y" "$editor_w" "$editor_h"
# 6255 x 2640 twips at 96 dots per inch.
[[ ${editor_w}x${editor_h} == 417x176 ]] || fail "editor client area ${editor_w}x${editor_h}, expected 417x176"
ok "the editor's client area is 6255x2640 twips"
hints=$(xprop -id "$editor_id" WM_NORMAL_HINTS)
[[ $hints == *"minimum size: 417 by 176"* && $hints == *"maximum size: 417 by 176"* ]] ||
    fail "the editor can be resized: $hints"
ok "the editor has a fixed size"
read -r asked_x asked_y < <(sed -n 's/.*program specified location: \([0-9-]*\), \([0-9-]*\).*/\1 \2/p' <<<"$hints")
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
((${asked_x:-0} + 417 / 2 - ${screen%x*} / 2 <= 8 && ${screen%x*} / 2 - ${asked_x:-0} - 417 / 2 <= 8)) ||
    fail "the editor asked for x=$asked_x, not centred on a ${screen} screen"
((${asked_y:-0} + 176 / 2 - ${screen#*x} / 2 <= 24 && ${screen#*x} / 2 - ${asked_y:-0} - 176 / 2 <= 24)) ||
    fail "the editor asked for y=$asked_y, not centred on a ${screen} screen"
ok "the editor asks to be centred (${asked_x},${asked_y})"

# Focus starts on OK (tab index 0): two Tabs reach the first title. Enter and Esc in between
# must do nothing: the text typed after them still lands in the boxes and OK saves it.
new_title='E2E One'
new_url='quorvel-e2e://first/path?q=1&x=2'
xdotool windowfocus "$editor_id"
xdotool key Tab Tab
xdotool type --delay 15 "$new_title"
xdotool key Return Escape Tab
xdotool type --delay 15 "$new_url"
xdotool key shift+Tab shift+Tab shift+Tab space
poll 10000 no_window "$editor_title" || fail "OK did not close the editor"
ok "OK closed the editor"
edited=("$new_title" "$new_url" "${defaults[@]:2}")
expect_store "${edited[@]}"

open_menu
screenshot menu-edited "$menu_x" "$menu_y" "$menu_w" "$menu_h"
[[ $(compare -metric AE "$out/menu-defaults.png" "$out/menu-edited.png" null: 2>&1) != 0 ]] ||
    fail "the menu looks as before the edit"
ok "the menu shows the edited title"
choose Down Return
expect_opened 5 "$new_url"

# 終了: the folder's window closes through its File menu, the icon goes, status 0.
pick 8
poll 10000 grep -q "^closed-by-menu	$user\$" "$opener_log" ||
    fail "the folder's window was not closed by Alt+F, C"
ok "the folder's window was closed through its File menu"
expect_exit_status 0
poll 5000 no_icon || fail "the icon stayed in the tray after 終了"
ok "終了 removed the icon"
expect_store "${edited[@]}"
[[ $(opener_count) == 5 ]] || fail "handler calls after 終了: $(opener_count)"

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
wait_docked
echo "start_to_docked_ms $(($(now_ms) - started))" >>"$out/measurements"
open_menu
screenshot menu-japanese "$menu_x" "$menu_y" "$menu_w" "$menu_h"
ok "the menu shows the stored Japanese titles"
choose Down Down Down Return
expect_opened 6 "${seeded[5]}"
pick 1
expect_opened 7 "${seeded[1]}"
# The program read the store at start; with the key gone, only a save brings it back.
reg delete 'HKCU\Software\Quorvel' /f
"$wine" taskkill /im quorvel.exe >/dev/null 2>&1 || fail "taskkill failed"
expect_exit_status 0
poll 5000 no_icon || fail "the icon stayed after taskkill"
expect_store "${seeded[@]}"
ok "taskkill's close request saved and ended the program"

# ------------------------------------------------------------------ a link, the end of the session

rm -rf "$folder"
ln -s "$work" "$folder"
start_program
wait_docked
press_icon 1
error_title='Quorvel フォルダーエラー'
poll 10000 find_window "$error_title" || fail "a link in the folder's place gave no message box"
read -r box_id box_x box_y box_w box_h <<<"$window"
poll 5000 eval '(($(colours "$box_x" "$box_y" "$box_w" "$box_h") >= 8))' || fail "the box is not painted"
screenshot folder-error "$box_x" "$box_y" "$box_w" "$box_h"
ok "a link in the folder's place is refused with a message box"
[[ $(opener_count) == 7 ]] || fail "the link was opened"
reg delete 'HKCU\Software\Quorvel' /f
"$wine" wineboot --end-session >/dev/null 2>&1 || true
expect_exit_status 0
expect_store "${seeded[@]}"
ok "the end of the session closed the waiting box, saved and ended the program"

echo "e2e: $checks passed, 0 failed"
