# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The fake xdg-open that records every call the program makes.

# The fake xdg-open stores one file per call in $E2E_TMP/opener (written to a
# temp name, then renamed, so a reader never sees half a record). A record is
# "argc=N", "pid=P", then one "arg=BASE64" line per argument, so arguments can
# be compared byte for byte. With $E2E_TMP/opener-hold present it stays
# running until $E2E_TMP/opener-release appears (at most 60 s).
e2e__write_fake_opener() {
    local dir=$E2E_TMP/opener tool
    local -A t
    for tool in base64 date mktemp mv sleep; do
        t[$tool]=$(command -v "$tool") || e2e_fail "missing tool: $tool"
    done
    cat >"$E2E_TMP/bin/xdg-open" <<EOF
#!/bin/bash
rec="argc=\$#"\$'\\n'"pid=\$\$"
for a in "\$@"; do rec+=\$'\\n'"arg=\$(printf '%s' "\$a" | ${t[base64]} -w0)"; done
tmp=\$(${t[mktemp]} "$dir/.tmp.XXXXXX") || exit 1
printf '%s\\n' "\$rec" >"\$tmp"
printf '%s\\n' "\$\$" >"$dir/\$\$.pid"
${t[mv]} "\$tmp" "$dir/\$(${t[date]} +%s%N).\$\$.call"
if [[ -e "$E2E_TMP/opener-hold" ]]; then
    for ((i = 0; i < 3000; i++)); do
        [[ -e "$E2E_TMP/opener-release" ]] && break
        ${t[sleep]} 0.02
    done
fi
# Folders go on to a real opener once one is given.
[[ -d "\$1" && -s "$E2E_TMP/opener-through" ]] && exec \$(<"$E2E_TMP/opener-through") "\$@"
exit 0
EOF
    chmod 0755 "$E2E_TMP/bin/xdg-open"
}

# e2e_opener_through CMD...: from now on folders are recorded, then opened with CMD.
e2e_opener_through() { echo "$*" >"$E2E_TMP/opener-through"; }

e2e_opener_hold() { rm -f "$E2E_TMP/opener-release"; : >"$E2E_TMP/opener-hold"; }
e2e_opener_release() { : >"$E2E_TMP/opener-release"; rm -f "$E2E_TMP/opener-hold"; }

# Sets E2E_OPENER_FILES (records in call order) and E2E_OPENER_COUNT.
e2e_opener_count() {
    local f
    E2E_OPENER_FILES=()
    for f in "$E2E_TMP"/opener/*.call; do
        [[ -e $f ]] && E2E_OPENER_FILES+=("$f")
    done
    E2E_OPENER_COUNT=${#E2E_OPENER_FILES[@]}
}

e2e__opener_at_least() { e2e_opener_count; ((E2E_OPENER_COUNT >= $1)); }

# e2e_wait_opener_calls N: waits until at least N calls are recorded and fails
# if there are more than N.
e2e_wait_opener_calls() {
    local n=$1
    e2e_poll "$E2E_TIMEOUT_MS" e2e__opener_at_least "$n" ||
        e2e_fail "expected $n opener call(s) within $E2E_TIMEOUT_MS ms, saw $E2E_OPENER_COUNT:"$'\n'"$(e2e_opener_dump)"
    ((E2E_OPENER_COUNT == n)) || e2e_fail "expected exactly $n opener call(s), saw $E2E_OPENER_COUNT:"$'\n'"$(e2e_opener_dump)"
}

# e2e_opener_record I: loads call I (1-based) into E2E_CALL_ARGC, E2E_CALL_PID
# and E2E_CALL_B64 (base64 of each argument).
e2e_opener_record() {
    local line file
    e2e_opener_count
    file=${E2E_OPENER_FILES[$(($1 - 1))]:-}
    [[ -n $file ]] || e2e_fail "expected an opener call #$1, saw $E2E_OPENER_COUNT call(s)"
    E2E_CALL_ARGC='' E2E_CALL_PID='' E2E_CALL_B64=()
    while IFS= read -r line; do
        case $line in
            argc=*) E2E_CALL_ARGC=${line#argc=} ;;
            pid=*) E2E_CALL_PID=${line#pid=} ;;
            arg=*) E2E_CALL_B64+=("${line#arg=}") ;;
        esac
    done <"$file"
}

e2e__unb64_q() { printf '%q' "$(printf '%s' "$1" | base64 -d)"; }

# e2e_expect_opener_call I ARG...: call I got exactly these arguments, byte for byte.
e2e_expect_opener_call() {
    local i=$1 k want
    shift
    e2e_opener_record "$i"
    local expected="" seen=""
    for want in "$@"; do expected+=" $(printf '%q' "$want")"; done
    for k in "${E2E_CALL_B64[@]}"; do seen+=" $(e2e__unb64_q "$k")"; done
    ((E2E_CALL_ARGC == $#)) || e2e_fail "opener call #$i: expected $# argument(s):$expected; saw $E2E_CALL_ARGC:$seen"
    k=0
    for want in "$@"; do
        [[ $(e2e_fault_b64 "$want") == "${E2E_CALL_B64[k]}" ]] ||
            e2e_fail "opener call #$i argument $((k + 1)): expected $(printf '%q' "$want") (base64 $(e2e_fault_b64 "$want")), saw $(e2e__unb64_q "${E2E_CALL_B64[k]}") (base64 ${E2E_CALL_B64[k]})"
        k=$((k + 1))
    done
}

e2e_opener_dump() {
    local f line n=0
    for f in "$E2E_TMP"/opener/*.call; do
        [[ -e $f ]] || continue
        n=$((n + 1))
        printf '    call %d:' "$n"
        while IFS= read -r line; do
            case $line in
                arg=*) printf ' %s' "$(e2e__unb64_q "${line#arg=}")" ;;
            esac
        done <"$f"
        printf '\n'
    done
    ((n > 0)) || printf '    <none>\n'
}
