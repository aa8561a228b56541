#!/bin/bash
# SPDX-License-Identifier: MIT
# What reaches the opener. Each bookmark's URL must arrive as exactly one argument, byte for
# byte, and nothing in it may be run by a shell: line feeds and carriage returns with shell
# commands after them, tabs and other controls, bidi controls (U+202E and friends, also in
# titles), "&" runs, a 64 KB URL, an empty one (04_tricky_values covers $(), backticks, |,
# ;, >, quotes and a leading "-"). A URL with a NUL cannot be one unchanged argument: it must
# not be opened cut short at the NUL. A URL over Linux's 128 KB argument limit cannot be
# passed either: nothing may be opened and the program must go on. The program's folder with
# shell metacharacters and a line feed in its name: the private folder and the help page reach
# the opener as one argument each. Usage: 13_launch_args.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 13_launch_args "${1:-}"
e2e_start_x
e2e_start_tray
ran=$E2E_TMP/ran
calls=0

pick_and_expect() { # K URL-BASE64
    e2e_menu_pick "$1"
    calls=$((calls + 1))
    e2e_wait_opener_calls "$calls"
    e2e_opener_record "$calls"
    e2e_expect_eq "arguments of the opener for bookmark $1" 1 "$E2E_CALL_ARGC"
    [[ ${E2E_CALL_B64[0]} == "$2" ]] ||
        e2e_fail "bookmark $1: the opener got $(e2e__unb64_q "${E2E_CALL_B64[0]}" | head -c 300) (base64 ${E2E_CALL_B64[0]:0:80}...), expected $(e2e__unb64_q "$2" | head -c 300)"
}
openers_done() { ! pgrep -f "$E2E_TMP/bin/xdg-open" >/dev/null; }
no_shell_ran() {
    local m
    m=$(ls "$E2E_TMP" | grep '^ran-' | tr '\n' ' ')
    e2e_expect_eq "marker files a shell would have made" "" "$m"
}

# ---- run 1: controls, bidi, &, 64 KB
long=$(awk 'BEGIN { for (i = 0; i < 1024; i++) printf "/%04d-$(x);`y`|&<>*?~\x27\"\\ seg", i }')
long="http://quorvel.example/long${long:0:65500}"
vals=(
    "$(e2e_fault_b64_escaped 'line\nfeed')" "$(e2e_fault_b64_escaped "http://quorvel.example/lf\ntouch ${ran}-lf\n\$(touch ${ran}-lf2)\n")"
    "$(e2e_fault_b64_escaped '\xe2\x80\xaeright-to-left\xe2\x80\xac title')" "$(e2e_fault_b64_escaped "http://quorvel.example/cr\rtouch ${ran}-cr\r\ttab\vvt\fff\x1b[31mesc\x7f")"
    "$(e2e_fault_b64 '&&& &')" "$(e2e_fault_b64_escaped 'http://quorvel.example/\xe2\x80\xaegnp.exe\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9\xe2\x80\x8f\xd8\x9c\xe2\x80\x8e')"
    "$(e2e_fault_b64 '& run')" "$(e2e_fault_b64 '&calc&&x=1&')"
    "$(e2e_fault_b64 '64 KB')" "$(e2e_fault_b64 "$long")"
)
e2e_fault_write_store "$E2E_STORE" "${vals[@]}"
e2e_start_program
e2e_wait_docked
e2e_open_menu
e2e_menu_rows 8
e2e_screenshot_menu menu-controls-and-bidi
e2e_menu_choose Escape
for k in 1 2 3 4 5; do pick_and_expect "$k" "${vals[2 * k - 1]}"; done
e2e_quit
e2e_poll "$E2E_TIMEOUT_MS" openers_done || e2e_fail "the fake openers did not finish"
no_shell_ran
e2e_log "controls, bidi, &, 64 KB: one unchanged argument each"

# ---- run 2: the program's folder with metacharacters and a line feed
dir="$E2E_TMP/prog \$(touch ${ran}-dir);\`touch ${ran}-dir2\`&|'\"
-x"
mkdir -p "$dir" && cp "$E2E_PROGRAM" "$dir/quorvel" && cp -r "$E2E_PROGRAM_DIR/Help" "$dir/Help" ||
    e2e_fail "could not copy the program"
calls=0
rm -f "$E2E_TMP"/opener/*
e2e_start_program --exe "$dir/quorvel"
e2e_wait_docked
e2e_press_icon 1
calls=1
e2e_wait_opener_calls 1
e2e_expect_opener_call 1 "$dir/$(id -un)"
[[ -d $dir/$(id -un) ]] || e2e_fail "the private folder was not made in $dir"
e2e_menu_pick 7
e2e_wait_opener_calls 2
e2e_expect_opener_call 2 "$dir/Help/help.html"
e2e_quit
e2e_poll "$E2E_TIMEOUT_MS" openers_done || e2e_fail "the fake openers did not finish"
no_shell_ran
e2e_log "odd program folder: private folder and help page as one argument each"
# ---- run 3, last (it fails while a NUL URL is opened cut short): a NUL, an URL over the
# argument limit, an empty URL, then a sentinel
huge="http://quorvel.example/huge/$(head -c 200000 /dev/zero | tr '\0' 'h')"
vals=(
    "$(e2e_fault_b64 'NUL inside')" "$(e2e_fault_b64_escaped "http://good.quorvel.example/\0;touch ${ran}-nul")"
    "$(e2e_fault_b64 '200 KB')" "$(e2e_fault_b64 "$huge")"
    "$(e2e_fault_b64 'empty URL')" ""
    "$(e2e_fault_b64 sentinel)" "$(e2e_fault_b64 http://sentinel.quorvel.example/)"
    "$(e2e_fault_b64 t5)" "$(e2e_fault_b64 http://quorvel.example/5)"
)
e2e_fault_write_store "$E2E_STORE" "${vals[@]}"
calls=0
rm -f "$E2E_TMP"/opener/*
e2e_start_program
e2e_wait_docked
for k in 1 2 3 4; do e2e_menu_pick "$k"; done
sentinel_seen() {
    local i
    e2e_opener_count
    for ((i = 1; i <= E2E_OPENER_COUNT; i++)); do
        e2e_opener_record "$i"
        [[ ${E2E_CALL_B64[0]:-} == "${vals[7]}" ]] && return 0
    done
    return 1
}
e2e_poll "$E2E_TIMEOUT_MS" sentinel_seen || e2e_fail "the sentinel bookmark was not opened; calls:"$'\n'"$(e2e_opener_dump | cut -c1-200)"
e2e_wait_program_idle
e2e_poll "$E2E_TIMEOUT_MS" openers_done || e2e_fail "the fake openers did not finish"
e2e_program_alive || e2e_fail "the program ended after the NUL and 200 KB bookmarks"
e2e_opener_count
seen_empty=0 problems=()
nul_prefix=$(e2e_fault_b64 "http://good.quorvel.example/")
for ((i = 1; i <= E2E_OPENER_COUNT; i++)); do
    e2e_opener_record "$i"
    ((E2E_CALL_ARGC == 1)) || problems+=("call $i has $E2E_CALL_ARGC arguments")
    case ${E2E_CALL_B64[0]:-} in
        "${vals[7]}") ;;
        "") seen_empty=$((seen_empty + 1)) ;;
        "$nul_prefix") problems+=("the URL with a NUL was opened cut short at the NUL: 'http://good.quorvel.example/' (stored: 'http://good.quorvel.example/\\0;touch ...')") ;;
        *) problems+=("unexpected call $i: $(e2e__unb64_q "${E2E_CALL_B64[0]:-}" | head -c 200)") ;;
    esac
done
((seen_empty == 1)) || problems+=("the empty URL was opened $seen_empty times, expected once as one empty argument")
((${#problems[@]} == 0)) || e2e_fail "$(printf '%s\n' "${problems[@]}")"
no_shell_ran
e2e_quit
e2e_log "NUL and 200 KB URLs: nothing opened, the program went on"

e2e_pass
