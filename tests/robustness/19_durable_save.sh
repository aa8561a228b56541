#!/bin/bash
# SPDX-License-Identifier: MIT
# A save is durable: tracing the system calls of the program's save (the store session helper,
# which runs the program's own store code) shows the new file synced (fdatasync), then renamed
# over the store, then the store's folder synced (fsync of a descriptor opened O_DIRECTORY), in
# that order; the first save of all links the synced file in and syncs the folder the same way.
# The trace is kept in the artifacts. Usage: 19_durable_save.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_init 19_durable_save "${1:-}"
command -v strace >/dev/null || e2e_fail "strace is not installed (apt-get install strace)"
session=${QUORVEL_STORE_SESSION:-$E2E_PROGRAM_DIR/../tests/robustness/quorvel_store_session}
[[ -x $session ]] || e2e_fail "store session helper not found: $session"
folder=$(dirname "$E2E_STORE")

# order TRACE PLACE: prints the calls that matter, one a line: "sync-file", "rename", "link",
# "sync-folder", for the store's new file and folder only.
order() {
    local line tmp= dir= fd
    while IFS= read -r line; do
        # strace pads the pid column to its width: all the spaces after it go.
        line=${line#*[0-9] }
        line=${line#"${line%%[! ]*}"}
        case $line in
            # A descriptor number is reused once closed: the latest open names it.
            openat*\"$folder\",*O_TMPFILE*) tmp=${line##*= } dir= ;;
            openat*\"$folder\",*O_DIRECTORY*)
                [[ $line == *O_NOFOLLOW* ]] || dir=${line##*= } tmp= ;;
            fdatasync\(*" = 0" | fsync\(*" = 0")
                fd=${line#*(} fd=${fd%%)*}
                if [[ $fd == "$tmp" ]]; then echo sync-file; elif [[ $fd == "$dir" ]]; then echo sync-folder; fi ;;
            rename*", \"$E2E_STORE\") = 0") echo rename ;;
            linkat*"\"$E2E_STORE\", "*" = 0") echo link ;;
        esac
    done <"$1" | uniq
}

trace() { # NAME: one traced OK save; its order into ORDER
    strace -f -o "$E2E_ARTIFACTS/$1.trace" -e trace=openat,fdatasync,fsync,rename,renameat,renameat2,linkat,fchmod \
        "$session" ok 2 "${#1}" >"$E2E_TMP/$1.out" 2>&1 || e2e_fail "$1: the traced save did not run: $(cat "$E2E_TMP/$1.out")"
    grep -q '^ok saved ' "$E2E_TMP/$1.out" || e2e_fail "$1: the save failed: $(cat "$E2E_TMP/$1.out")"
    ORDER=$(order "$E2E_ARTIFACTS/$1.trace" | tr '\n' ' ')
    e2e_log "$1: $ORDER"
}

trace first-save
e2e_expect_eq "calls of the first save, in order" "sync-file link sync-folder " "$ORDER"
trace rewrite
e2e_expect_eq "calls of a save over an existing store, in order" "sync-file rename sync-folder " "$ORDER"
e2e_pass
