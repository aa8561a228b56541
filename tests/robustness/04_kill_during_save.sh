#!/bin/bash
# SPDX-License-Identifier: MIT
# kill -9 in the middle of a save never leaves a mixed or partial table. The program loads
# table A; the test then puts file B on disk and starts a save of A (SIGTERM, or OK in the
# editor) and kills the program at the N-th file event of the save in the config folder
# (savekill.c; N runs over every step: read, lock file, temp file writes, rename, unlock),
# sometimes after a short delay. B holds none of the bookmark keys, so that the save, which
# keeps another copy's values for rows this one has not changed, writes all of A. After each
# kill the store must read back as exactly A or be B byte for byte. A's title is 1 MB, so that
# the write takes a while. The next run must get past the stale lock file.
# Usage: 04_kill_during_save.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 04_kill_during_save "${1:-}"
e2e_fault_need savekill
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")
mkdir -p "$config"

# Tables as files; their values' hashes in <NAME>_SHA. Title 0 of A and B is 1 MB.
make_table() { # NAME FILL|-
    local name=$1 fill=$2 i v keys=("${E2E_FAULT_TABLE_KEYS[@]}") hashes=() lines=$E2E_TMP/$1.lines
    : >"$lines"
    {
        for i in 0 1 2 3 4 5 6 7 8 9; do
            if ((i == 0)) && [[ $fill != - ]]; then
                big() { head -c 1000000 /dev/zero | tr '\0' "$fill"; printf '%s-end' "$name"; }
                printf '%s\t%s\n' "${keys[0]}" "$(big | base64 -w0)"
                hashes+=("$(big | sha256sum | cut -d' ' -f1)")
                continue
            fi
            if ((i % 2 == 0)); then v="$name 栞$((i / 2))"; else v="http://$name.quorvel.example/$((i / 2))"; fi
            printf '%s\t%s\n' "${keys[i]}" "$(e2e_fault_b64 "$v")"
            hashes+=("$(printf '%s' "$v" | sha256sum | cut -d' ' -f1)")
        done
    } >>"$lines"
    "$E2E_FAULT_PROBE" write "$E2E_TMP/$name.ini" <"$lines" || e2e_fail "could not write table $name"
    declare -ga "${name}_SHA=(${hashes[*]})"
}
make_table A a
# Small tables for the editor runs (the editor lays out whole texts).
make_table SA -
for b in B SB; do printf '[Other]\nnote=%s\n' "$b" >"$E2E_TMP/$b.ini"; done

put() { cp "$E2E_TMP/$1.ini" "$E2E_TMP/put.ini" && mv -f "$E2E_TMP/put.ini" "$E2E_STORE" || e2e_fail "could not put $1"; }

old=0 new=0 locks=0 temps=0 ended=0 runs=0
run_once() { # TRIGGER N|FILE:KIND DELAY_US: one save of A over B, killed at event N
    local trigger=$1 n=$2 delay=$3 a b out rc
    if [[ $trigger == term ]]; then a=A b=B; else a=SA b=SB; fi
    # Each run starts from a clean folder, so that event N is the same step every time
    # (a stale lock adds steps; the clean save at the end gets past one).
    rm -f "$config"/Quorvel.ini.*
    put "$a"
    e2e_start_program
    e2e_wait_docked
    # The load must be over before the store changes (see 05_two_copies.sh for a load that
    # sees two versions).
    e2e_wait_program_idle
    if [[ $trigger == ok ]]; then
        e2e_fault_open_editor
        e2e_editor_point OK
        xdotool mousemove "$E2E_EDITOR_PX" "$E2E_EDITOR_PY" || e2e_fail "xdotool mousemove failed"
        put "$b"
        out=$("$E2E_TMP/savekill" "$config" "$E2E_PROGRAM_PID" "$n" "$delay" -- xdotool click 1)
    else
        put "$b"
        out=$("$E2E_TMP/savekill" "$config" "$E2E_PROGRAM_PID" "$n" "$delay" -- kill -TERM "$E2E_PROGRAM_PID")
    fi
    rc=$?
    ((rc == 0 || rc == 3)) || e2e_fail "savekill failed (status $rc): $out"
    if ((rc == 3)); then
        # The save (and, for SIGTERM, the program) ended before event N.
        ended=$((ended + 1))
        [[ $trigger == ok ]] && e2e_signal_program KILL
    fi
    e2e_wait_exit 2>/dev/null
    runs=$((runs + 1))
    local -n A_=${a}_SHA
    local got
    if cmp -s "$E2E_STORE" "$E2E_TMP/$b.ini"; then
        old=$((old + 1)) got=old
    elif e2e_fault_table_is "$E2E_STORE" "${A_[@]}"; then
        new=$((new + 1)) got=new
    else
        e2e_fail "after a kill at event $n (+$delay us, $trigger) the store is neither the old file nor the new table: $E2E_FAULT_WHY"$'\n'"$(e2e_fault_describe "$E2E_STORE")"$'\n'"savekill: $(tr '\n' ';' <<<"$out")"
    fi
    local left
    left=$(e2e_fault_leftovers)
    [[ $left == *Quorvel.ini.lock* ]] && locks=$((locks + 1))
    [[ $left =~ Quorvel\.ini\.[A-Za-z0-9]{6}( |$) ]] && temps=$((temps + 1))
    e2e_log "$trigger kill at event $n +${delay}us: $(tail -n 1 <<<"$out"); $got table; left: ${left:-nothing}"
}

# Every step of a SIGTERM save, without delay, then steps of the write with delays.
# Events of a SIGTERM save from a clean folder: 1-6 reads, 7-9 lock file, 10-16 temp file
# (unnamed, then linked as Quorvel.ini.XXXXXX), 17-18 rename, 19-20 unlock.
for n in 0 3 6 7 9 11 13 15 16 17 18 19 20; do run_once term "$n" 0; done
for delay in 500 2000; do run_once term 12 "$delay"; done
# OK in the editor: lock, temp file, rename.
for n in 5 9 13; do run_once ok "$n" 0; done
e2e_log "$runs kills: $new new table, $old old table, $ended after the save ended, $locks stale lock files, $temps temp files left"

# The injection must have hit both sides of the commit and the inside of the save.
((new > 0 && old > 0)) || e2e_fail "the kills did not land on both sides of the commit (new $new, old $old)"
((locks > 0)) || e2e_fail "no kill landed while the lock file was held"

# A clean save afterwards gets past a stale lock file left by a kill while it was held.
run_once term Quorvel.ini.lock:modify 0
[[ $(e2e_fault_leftovers) == *Quorvel.ini.lock* ]] || e2e_fail "a kill while the lock was held left no lock file: $(e2e_fault_leftovers)"
put A
e2e_start_program
e2e_wait_docked
e2e_wait_program_idle
put B
e2e_signal_program TERM
e2e_expect_exit_status 0
e2e_fault_table_is "$E2E_STORE" "${A_SHA[@]}" ||
    e2e_fail "a clean save after the kills did not write the table: $E2E_FAULT_WHY"$'\n'"$(e2e_fault_describe "$E2E_STORE")"
left=$(e2e_fault_leftovers)
[[ $left != *Quorvel.ini.lock* ]] || e2e_fail "the lock file is still there after a clean save: $left"
e2e_log "left in the config folder after the clean save: ${left:-nothing}"
e2e_pass
