#!/bin/bash
# SPDX-License-Identifier: MIT
# A failed save never damages the store, however full the disk. The store's folder is a
# 64 KB tmpfs holding a 4-page store; it is filled until 0, 1, 2 ... 12 pages are free ("no room
# for the lock" up to "room for all but the last page" and beyond), and the program's own
# load and saves (the store session helper) save a URL made 6,000 characters longer: at OK, at
# 終了, and at OK then 終了 in a row (the second flushes the change the first could not). After
# each, the store must be byte for byte the old file or the new one, with nothing left beside
# it; each failure names the file and "No space left on device"; once a level saves, every
# higher one must. Exits 77 (skipped) where tmpfs cannot be mounted.
# Usage: 20_fill_levels.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_init 20_fill_levels "${1:-}"
session=${QUORVEL_STORE_SESSION:-$E2E_PROGRAM_DIR/../tests/robustness/quorvel_store_session}
[[ -x $session ]] || e2e_fail "store session helper not found: $session"
folder=$(dirname "$E2E_STORE")

# The old store and the new one, made with room to spare.
roomy=$E2E_TMP/roomy
XDG_CONFIG_HOME=$roomy "$session" ok 0 12000 >/dev/null || e2e_fail "could not make the old store"
cp "$roomy/Quorvel/Quorvel.ini" "$E2E_TMP/old.ini"
XDG_CONFIG_HOME=$roomy "$session" ok 2 6000 >/dev/null || e2e_fail "could not make the new store"
cp "$roomy/Quorvel/Quorvel.ini" "$E2E_TMP/new.ini"
cmp -s "$E2E_TMP/old.ini" "$E2E_TMP/new.ini" && e2e_fail "the old and the new store are the same"
e2e_log "old store $(stat -c %s "$E2E_TMP/old.ini") bytes, new $(stat -c %s "$E2E_TMP/new.ini") bytes"

if ! e2e_fault_mount_tmpfs "$folder" 64k; then
    printf 'SKIP [20_fill_levels]: cannot mount a tmpfs here: %s\n' "$(cat "$E2E_TMP/mount.log")" >&2
    exit 77
fi
chmod 0700 "$folder"

fill_to() { # PAGES: leaves exactly PAGES pages of 4 KB free
    local free
    free=$(($(e2e_fault_free_kb "$folder") / 4))
    ((free >= $1)) || e2e_fail "only $free pages free, cannot leave $1"
    ((free == $1)) || dd if=/dev/zero of="$folder/filler" bs=4096 count=$((free - $1)) 2>/dev/null
    (($(e2e_fault_free_kb "$folder") / 4 == $1)) || e2e_fail "could not leave exactly $1 pages free"
}

failures=()
table=""
for steps in ok quit ok,quit; do
    row="$steps:"
    saved_at=
    for pages in 0 1 2 3 4 5 6 7 8 9 10 11 12; do
        rm -rf "${folder:?}"/* "$folder"/.[!.]* 2>/dev/null
        cp "$E2E_TMP/old.ini" "$E2E_STORE" && chmod 0600 "$E2E_STORE"
        fill_to "$pages"
        out=$("$session" "$steps" 2 6000 2>&1)
        left=$(find "$folder" -mindepth 1 ! -name Quorvel.ini ! -name filler -printf '%P ')
        if cmp -s "$E2E_STORE" "$E2E_TMP/new.ini"; then
            result=new
            saved_at=${saved_at:-$pages}
            [[ $out == *"saved"* ]] || failures+=("$steps, $pages pages: the new store is in place, yet: $out")
        elif cmp -s "$E2E_STORE" "$E2E_TMP/old.ini"; then
            result=old
            [[ -z $saved_at ]] || failures+=("$steps, $pages pages: not saved, although $saved_at pages were enough")
            while IFS= read -r line; do
                [[ $line == *"failed: $folder/"*"No space left on device"* ]] ||
                    failures+=("$steps, $pages pages: a failure without the file and the reason: $line")
            done <<<"$out"
        else
            result=DAMAGED
            failures+=("$steps, $pages pages: the store is neither the old nor the new file ($(stat -c %s "$E2E_STORE" 2>&1) bytes); session: $out")
        fi
        [[ -z $left ]] || failures+=("$steps, $pages pages: left beside the store: $left")
        row+=" $pages=$result"
    done
    [[ -n $saved_at ]] || failures+=("$steps: not saved even with 12 pages free")
    table+="$row"$'\n'
    e2e_log "$row"
done
printf '%s' "$table" >"$E2E_ARTIFACTS/levels.txt"
((${#failures[@]} == 0)) || e2e_fail "${#failures[@]} fill level case(s) failed:"$'\n'"$(printf '%s\n' "${failures[@]}")"
e2e_pass
