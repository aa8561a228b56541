# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# Fault and abuse helpers for tests/robustness: the store read through QSettings
# (quorvel_store_probe), the editor, message boxes, memory, and the C helpers
# savekill.c (kill -9 at a chosen point of a save), and long input soaks
# through the probe. All named e2e_fault_*.

E2E_FAULT_DIR=$(cd "$E2E_LIB_DIR/../robustness" 2>/dev/null && pwd -P)
E2E_FAULT_EDITOR_TITLE=$E2E_EDITOR_TITLE

# e2e_fault_init NAME [PROGRAM]: e2e_init, then the store probe (built by CMake
# beside the program's build tree, or $QUORVEL_STORE_PROBE).
e2e_fault_init() {
    e2e_init "$@"
    E2E_FAULT_PROBE=${QUORVEL_STORE_PROBE:-$E2E_PROGRAM_DIR/../tests/robustness/quorvel_store_probe}
    [[ -x $E2E_FAULT_PROBE ]] ||
        e2e_fail "store probe not found: $E2E_FAULT_PROBE (build the target quorvel_store_probe or set QUORVEL_STORE_PROBE)"
    E2E_FAULT_TABLE_KEYS=()
    local i
    for i in 0 1 2 3 4; do E2E_FAULT_TABLE_KEYS+=("Url Info/Title url$i" "Url Info/url$i"); done
}

# e2e_fault_need savekill: builds that C helper into $E2E_TMP.
e2e_fault_need() {
    cc -O1 -o "$E2E_TMP/$1" "$E2E_FAULT_DIR/$1.c" 2>"$E2E_TMP/cc-$1.log" ||
        e2e_fail "could not build $1.c: $(cat "$E2E_TMP/cc-$1.log")"
}

# e2e_fault_soak menu N / editor N cancel|ok|both: N cycles through the menu
# (or the editor, closed with that button) driven by the probe, pressing the
# icon at E2E_FAULT_POINTS in turn; its log in $E2E_TMP/soak.log. Then the
# pointer is moved away and the program left to become idle.
e2e_fault_soak() {
    local args=("$1" "$2" "${E2E_FAULT_POINTS[@]}")
    if [[ $1 == editor ]]; then
        args+=("$3" "$E2E_EDITOR_TITLE")
        e2e_editor_point OK
        args+=("$E2E_EDITOR_DX" "$E2E_EDITOR_DY")
        e2e_editor_point Cancel
        args+=("$E2E_EDITOR_DX" "$E2E_EDITOR_DY")
    fi
    XPROBE_TIMEOUT_MS=$E2E_TIMEOUT_MS "$E2E_PROBE" soak "${args[@]}" >"$E2E_TMP/soak.log" 2>&1 ||
        e2e_fail "$1 cycles failed: $(cat "$E2E_TMP/soak.log")"
    # Away from the icon: no tooltip while measuring.
    xdotool mousemove 700 650 || e2e_fail "xdotool mousemove failed"
    e2e_wait_program_idle
}

e2e_fault_b64() { printf '%s' "$1" | base64 -w0; }
# Bytes given with printf %b escapes (\0, \r, \n, \xHH), as base64.
e2e_fault_b64_escaped() { printf '%b' "$1" | base64 -w0; }
e2e_fault_sha_b64() { base64 -d <<<"$1" | sha256sum | cut -d' ' -f1; }

# e2e_fault_dump FILE: reads FILE as the program would. Sets E2E_FAULT_STATUS
# (QSettings status: 0 fine, 2 format error), E2E_FAULT_KEYS (in file order),
# and per key E2E_FAULT_SHA, E2E_FAULT_LEN and E2E_FAULT_HEAD (base64 of the
# first 256 bytes).
e2e_fault_dump() {
    local out tag k sha len head key
    out=$("$E2E_FAULT_PROBE" dump "$1" 2>&1) || { E2E_FAULT_STATUS=missing; E2E_FAULT_DUMP_ERR=$out; return 1; }
    E2E_FAULT_KEYS=()
    declare -gA E2E_FAULT_SHA=() E2E_FAULT_LEN=() E2E_FAULT_HEAD=()
    E2E_FAULT_STATUS=
    while read -r tag k sha len head; do
        case $tag in
            status) E2E_FAULT_STATUS=$k ;;
            K)
                key=$(base64 -d <<<"$k")
                E2E_FAULT_KEYS+=("$key")
                E2E_FAULT_SHA[$key]=$sha E2E_FAULT_LEN[$key]=$len E2E_FAULT_HEAD[$key]=$head
                ;;
        esac
    done <<<"$out"
}

# Describes what FILE holds for the bookmark keys (for failure messages).
e2e_fault_describe() {
    local key
    e2e_fault_dump "$1" || { printf '%s: %s\n' "$1" "$E2E_FAULT_DUMP_ERR"; return; }
    printf 'status %s\n' "$E2E_FAULT_STATUS"
    for key in "${E2E_FAULT_KEYS[@]}"; do
        printf '  %s = %s (%s bytes)\n' "$key" "$(printf '%q' "$(base64 -d <<<"${E2E_FAULT_HEAD[$key]}" | tr '\0' '@')")" "${E2E_FAULT_LEN[$key]}"
    done
}

# e2e_fault_hashes B64...: E2E_FAULT_HASHES gets the sha256 of each value
# (big tables are compared by hash; passing megabytes around in bash is slow).
e2e_fault_hashes() { e2e_fault__map E2E_FAULT_HASHES e2e_fault_sha_b64 "$@"; }

# e2e_fault__map ARRAY FUNCTION VALUE...: ARRAY gets what FUNCTION prints for each value.
e2e_fault__map() {
    local -n e2e_fault__out=$1
    local fn=$2 v
    shift 2
    e2e_fault__out=()
    for v in "$@"; do e2e_fault__out+=("$("$fn" "$v")"); done
}

# e2e_fault_table_is FILE SHA_TITLE0 SHA_URL0 ... SHA_URL4: FILE reads back as
# exactly this table (the ten keys of [Url Info], each value byte for byte, by
# hash) without a format error. Other groups and keys are not looked at. Sets
# E2E_FAULT_WHY.
e2e_fault_table_is() {
    local file=$1 i key
    shift
    E2E_FAULT_WHY=
    e2e_fault_dump "$file" || { E2E_FAULT_WHY="cannot read: $E2E_FAULT_DUMP_ERR"; return 1; }
    [[ $E2E_FAULT_STATUS == 0 ]] || { E2E_FAULT_WHY="QSettings status $E2E_FAULT_STATUS (format error)"; return 1; }
    for i in "${!E2E_FAULT_TABLE_KEYS[@]}"; do
        key=${E2E_FAULT_TABLE_KEYS[i]}
        if [[ -z ${E2E_FAULT_SHA[$key]:-} ]]; then
            E2E_FAULT_WHY="key '$key' missing"
            return 1
        fi
        if [[ ${E2E_FAULT_SHA[$key]} != "${@:i+1:1}" ]]; then
            E2E_FAULT_WHY="key '$key' differs"
            return 1
        fi
    done
}

# e2e_fault_expect_table_b64 FILE B64 x10 / e2e_fault_expect_table FILE TEXT x10
e2e_fault_expect_table_b64() {
    local file=$1
    shift
    e2e_fault_hashes "$@"
    e2e_fault_table_is "$file" "${E2E_FAULT_HASHES[@]}" ||
        e2e_fail "expected $file to hold the confirmed table: $E2E_FAULT_WHY."$'\n'"expected (first 80 bytes each):"$'\n'"$(e2e_fault__show_b64 "$@")"$'\n'"saw:"$'\n'"$(e2e_fault_describe "$file")"
}
e2e_fault_expect_table() {
    local file=$1
    shift
    e2e_fault_to_b64 "$@"
    e2e_fault_expect_table_b64 "$file" "${E2E_FAULT_B64[@]}"
}
e2e_fault__show_b64() {
    local v
    for v in "$@"; do printf '  %q\n' "$(base64 -d <<<"$v" | head -c 80 | tr '\0' '@')"; done
}
# Text values as base64, into E2E_FAULT_B64.
e2e_fault_to_b64() { e2e_fault__map E2E_FAULT_B64 e2e_fault_b64 "$@"; }

# e2e_fault_write_store FILE B64 x10 [KEY B64]...: writes a store through
# QSettings (so control characters come out escaped as QSettings escapes them)
# into a temp file, then renames it onto FILE.
e2e_fault_write_store() {
    local file=$1 tmp i
    shift
    mkdir -p "$(dirname "$file")"
    tmp=$(mktemp "$E2E_TMP/store.XXXXXX") && rm -f "$tmp"
    {
        for i in "${!E2E_FAULT_TABLE_KEYS[@]}"; do
            printf '%s\t%s\n' "${E2E_FAULT_TABLE_KEYS[i]}" "${@:i+1:1}"
        done
        shift 10
        while (($# >= 2)); do printf '%s\t%s\n' "$1" "$2"; shift 2; done
    } | "$E2E_FAULT_PROBE" write "$tmp" || e2e_fail "the store probe could not write $tmp"
    mv -f "$tmp" "$file" || e2e_fail "could not move the seeded store onto $file"
}

# e2e_fault_state PATH...: as e2e_folder_state; equal output, untouched tree.
e2e_fault_state() { e2e_folder_state "$@"; }

# Entries of the config folder other than the store itself (leftovers).
e2e_fault_leftovers() {
    find "$(dirname "$E2E_STORE")" -mindepth 1 -maxdepth 1 ! -name Quorvel.ini -printf '%P\n' 2>/dev/null | sort | tr '\n' ' '
}

# ---------------------------------------------------------------- fault: the editor and boxes

# e2e_fault_open_editor: the editor (e2e_editor_open), focused; E2E_FAULT_ED_{ID,X,Y} as well.
e2e_fault_open_editor() {
    e2e_editor_open
    e2e_editor_focus
    E2E_FAULT_ED_ID=$E2E_EDITOR_ID E2E_FAULT_ED_X=$E2E_EDITOR_X E2E_FAULT_ED_Y=$E2E_EDITOR_Y
}

# e2e_fault_editor_set title|url ROW TEXT: replaces a box's text (ASCII, typed fast, not read back).
e2e_fault_editor_set() {
    e2e_editor_click_box "$1" "$2" ctrl+a BackSpace
    xdotool type --delay 1 -- "$3" || e2e_fail "xdotool could not type into the $1 box of row $2"
}

# e2e_fault_editor_press ok|cancel: clicks the button (the caller waits for what follows).
e2e_fault_editor_press() { e2e_editor_click_button "$1"; }

e2e_fault_wait_editor_gone() { e2e_wait_window_gone "$E2E_EDITOR_ID"; }

# e2e_fault_box_ok TITLE: the message box TITLE is up; presses its OK (Return)
# and waits until it is gone.
e2e_fault_box_ok() {
    e2e_wait_window_titled "$1"
    e2e_focus_window "$E2E_WIN_ID"
    xdotool key Return || e2e_fail "xdotool key Return failed"
    e2e_wait_window_gone "$E2E_WIN_ID"
}

# ---------------------------------------------------------------- fault: processes and memory

# Resident memory of the program in kB.
e2e_fault_rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$E2E_PROGRAM_PID/status"; }

# e2e_fault_expect_flat_rss WHAT WARM-UP N COMMAND...: runs COMMAND WARM-UP, then
# COMMAND N (a count of cycles it goes through); over those N the program's
# resident memory may grow by 1 MB at most.
e2e_fault_expect_flat_rss() {
    local what=$1 warm=$2 n=$3 before after
    shift 3
    "$@" "$warm"
    before=$(e2e_fault_rss_kb)
    e2e_log "after $warm warm-up cycles: resident $before kB"
    "$@" "$n"
    after=$(e2e_fault_rss_kb)
    e2e_log "after $n more cycles: resident $after kB (grew $((after - before)) kB)"
    ((after - before <= 1024)) ||
        e2e_fail "resident memory grew by $((after - before)) kB over $n $what cycles (from $before to $after kB); allowed 1024"
}

# e2e_fault_kill_x: the X server goes away under the program (SIGKILL).
e2e_fault_kill_x() {
    {
        kill -KILL "$E2E_XVFB_PID"
        e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$E2E_XVFB_PID"
        wait "$E2E_XVFB_PID"
    } 2>/dev/null
    e2e__untrack "$E2E_XVFB_PID"
    e2e_log "Xvfb killed"
}

# The two points on the icon that e2e_press_icon alternates between: E2E_FAULT_POINTS.
e2e_fault_icon_points() {
    e2e_wait_docked
    local y=$((E2E_ICON_Y + E2E_ICON_H / 2))
    E2E_FAULT_POINTS=($((E2E_ICON_X + E2E_ICON_W / 4)) "$y" $((E2E_ICON_X + E2E_ICON_W * 3 / 4)) "$y")
    ((E2E_ICON_W >= 16)) || e2e_fail "icon too narrow for two press points: ${E2E_ICON_W} px"
}

e2e_fault__exit_or_box() {
    e2e__program_gone && return 0
    e2e__named_shown "^$1\$"
}

# e2e_fault_expect_clean_exit BOX_TITLE WHAT: the program ends with status 0 and shows no box
# BOX_TITLE on the way (a save-failure box where none is due fails with a clear message).
e2e_fault_expect_clean_exit() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e_fault__exit_or_box "$1" ||
        e2e_fail "$2: expected the program to exit within $E2E_TIMEOUT_MS ms; windows: $(e2e__windows_text)"
    e2e__program_gone ||
        e2e_fail "$2: the message box '$1' appeared; expected no box. Store now:"$'\n'"$(e2e_fault_describe "$E2E_STORE")"$'\n'"config folder: $(e2e_fault_leftovers)"
    e2e_expect_exit_status 0
}

e2e_fault__editor_gone_or_box() {
    e2e__window_gone "$E2E_EDITOR_ID" && return 0
    e2e__named_shown "^$1\$"
}

# e2e_fault_ok_without_box WHAT: presses OK in the editor; the editor must close without the
# save-failure box "Quorvel エラー".
e2e_fault_ok_without_box() {
    e2e_fault_editor_press ok
    e2e_poll "$E2E_TIMEOUT_MS" e2e_fault__editor_gone_or_box "Quorvel エラー" ||
        e2e_fail "$1: the editor did not close after OK; windows: $(e2e__windows_text)"
    e2e__window_gone "$E2E_EDITOR_ID" ||
        e2e_fail "$1: OK showed the box 'Quorvel エラー' (URLを保存できませんでした。); expected no box. Store now:"$'\n'"$(e2e_fault_describe "$E2E_STORE")"$'\n'"config folder: $(e2e_fault_leftovers)"
}

# e2e_fault_mount_tmpfs DIR SIZE: a small tmpfs on DIR (for a full disk), unmounted by the
# cleanup through a tracked watcher process. Returns 1 when mounting is not allowed here.
e2e_fault_mount_tmpfs() {
    mkdir -p "$1"
    mount -t tmpfs -o "size=$2,mode=0755" tmpfs "$1" 2>"$E2E_TMP/mount.log" || return 1
    (
        trap 'kill "$sleeper" 2>/dev/null; umount -l "$1"; exit 0' TERM
        sleep 3600 &
        sleeper=$!
        wait "$sleeper"
    ) &
    e2e__track "$!" "tmpfs on $1"
}

# KB free on the file system of DIR.
e2e_fault_free_kb() { df --output=avail -k "$1" | tail -n 1 | tr -d ' '; }
