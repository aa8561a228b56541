#!/bin/bash
# SPDX-License-Identifier: MIT
# Two copies of the program and one store. (a) Both quit at the same moment (one SIGTERM
# command for both), each holding its own table: the store ends as exactly one copy's table,
# five times over, with no lock file left. (b) A copy starts while another one saves: the
# starting copy is held (SIGSTOP) right after its first read of the store, the other copy's
# table lands on disk (atomic rename, as a save does), and the held copy goes on. It must then
# hold, and save at its end, one of the two tables, never a mix.
# Usage: 05_two_copies.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 05_two_copies "${1:-}"
e2e_fault_need savekill
e2e_start_x
config=$(dirname "$E2E_STORE")
mkdir -p "$config"

table() { # NAME SIZE: small table NAME; title 0 is SIZE bytes (a long one makes the load slow)
    local name=$1 size=$2 i vals=()
    vals+=("$(head -c "$size" /dev/zero | tr '\0' "${name:0:1}")" "http://$name.quorvel.example/0")
    for i in 1 2 3 4; do vals+=("$name 栞$i" "http://$name.quorvel.example/$i"); done
    e2e_fault_to_b64 "${vals[@]}"
    e2e_fault_write_store "$E2E_TMP/$name.ini" "${E2E_FAULT_B64[@]}"
    e2e_fault_hashes "${E2E_FAULT_B64[@]}"
    declare -ga "${name}_SHA=(${E2E_FAULT_HASHES[*]})"
}
put() { cp "$E2E_TMP/$1.ini" "$E2E_TMP/put.ini" && mv -f "$E2E_TMP/put.ini" "$E2E_STORE" || e2e_fail "could not put $1"; }
one_of() { # FILE NAME...: which table FILE holds, into HELD; 1 if none
    local name
    for name in "${@:2}"; do
        local -n sha=${name}_SHA
        if e2e_fault_table_is "$1" "${sha[@]}"; then HELD=$name; return 0; fi
    done
    HELD=
    return 1
}

# ---- (a) both quit at once
table first 20
table second 30
for round in 1 2 3 4 5; do
    put first
    e2e_start_program
    e2e_wait_program_idle
    pid1=$E2E_PROGRAM_PID
    put second
    e2e_start_program
    e2e_wait_program_idle
    pid2=$E2E_PROGRAM_PID
    kill -TERM "$pid1" "$pid2" || e2e_fail "could not signal both copies"
    e2e_wait_exit
    status2=$E2E_EXIT_STATUS
    E2E_PROGRAM_PID=$pid1
    e2e_wait_exit
    e2e_expect_eq "exit statuses of the two copies (round $round)" "0 0" "$E2E_EXIT_STATUS $status2"
    one_of "$E2E_STORE" first second ||
        e2e_fail "round $round: the store is neither copy's table: $E2E_FAULT_WHY"$'\n'"$(e2e_fault_describe "$E2E_STORE")"
    e2e_expect_eq "files beside the store (round $round)" "" "$(e2e_fault_leftovers)"
    e2e_log "round $round: the store holds the $HELD copy's table"
done

# ---- (b) a copy loads while another one's save lands
table old 1000000
table new 1000001
put old
e2e_start_program
# Held before it reads anything: a Qt program needs far longer than this to get to its store.
kill -STOP "$E2E_PROGRAM_PID"
out=$(SAVEKILL_SIGNAL=STOP "$E2E_TMP/savekill" "$config" "$E2E_PROGRAM_PID" 2 0 -- kill -CONT "$E2E_PROGRAM_PID") ||
    e2e_fail "the program was not held after its first read of the store: $(tr '\n' ';' <<<"$out")"
[[ $(head -n 1 <<<"$out") == "event 1 open Quorvel.ini" ]] ||
    e2e_fail "the program touched the store before it was held: $(tr '\n' ';' <<<"$out")"
stopped() { local s; s=$(cat "/proc/$E2E_PROGRAM_PID/stat" 2>/dev/null) && [[ ${s##*) } == T* ]]; }
e2e_poll "$E2E_TIMEOUT_MS" stopped || e2e_fail "the program did not stop"
put new
kill -CONT "$E2E_PROGRAM_PID"
e2e_wait_program_idle
e2e_signal_program TERM
e2e_expect_exit_status 0
one_of "$E2E_STORE" old new ||
    e2e_fail "a copy that started while another saved wrote a mix of both tables at its end: $E2E_FAULT_WHY"$'\n'"$(e2e_fault_describe "$E2E_STORE")"
e2e_log "(b): the store holds the $HELD table"
e2e_pass
