#!/bin/bash
# SPDX-License-Identifier: MIT
# A full disk, as a 64 KB tmpfs on the config folder. (a) No room even for the lock file and
# (b) room for the lock but not for the new store: OK shows its box, the old store stays byte
# for byte, no temp file is left, and once there is room 終了 saves the confirmed table.
# (c) A store that must be kept aside first (a comment line) and no room for that copy, but
# room for the new store: the old file must not be replaced without its copy.
# Every case runs; all failures are reported. Exits 77 (skipped) where tmpfs cannot be
# mounted. Usage: 12_full_disk.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 12_full_disk "${1:-}"
config=$(dirname "$E2E_STORE")
if ! e2e_fault_mount_tmpfs "$config" 64k; then
    printf 'SKIP [12_full_disk]: cannot mount a tmpfs here: %s\n' "$(cat "$E2E_TMP/mount.log")" >&2
    exit 77
fi
e2e_start_x
e2e_start_tray

fill_to() { # KB: fills the folder until about KB are free
    local free
    rm -f "$config/filler"
    free=$(e2e_fault_free_kb "$config")
    ((free > $1)) && { dd if=/dev/zero of="$config/filler" bs=1k count=$((free - $1)) 2>/dev/null || true; }
    e2e_log "free: $(e2e_fault_free_kb "$config") kB"
}
leftovers() { e2e_fault_leftovers | sed 's/filler //'; }
failures=()
failed() { failures+=("$1"); e2e_log "FAILED: $1"; e2e__stop_pid "$E2E_PROGRAM_PID"; e2e__untrack "$E2E_PROGRAM_PID"; }

e2e_five_bookmarks seeded "満杯" "http://full.quorvel.example/"
full_case() { # NAME KB_FREE
    local case=$1 table=("${seeded[@]}")
    rm -f "$config"/*
    # (b): a 20 KB title, so that the lock file fits and the new store does not.
    [[ $case == no-room-for-store ]] && table[0]=$(head -c 20000 /dev/zero | tr '\0' 'x')
    e2e_seed_store "${table[@]}"
    cp "$E2E_STORE" "$E2E_TMP/before.ini"
    e2e_start_program
    e2e_wait_docked
    fill_to "$2"
    e2e_fault_open_editor
    e2e_fault_editor_set url 2 "http://quorvel.example/$case"
    e2e_fault_editor_press ok
    e2e_poll "$E2E_TIMEOUT_MS" e2e_fault__editor_gone_or_box "Quorvel エラー" ||
        { failed "$case: neither a box nor a closed editor after OK"; return; }
    if e2e__window_gone "$E2E_FAULT_ED_ID"; then
        failed "$case: OK on a full disk reported no failure, and the store ($(stat -c %s "$E2E_STORE") bytes, was $(stat -c %s "$E2E_TMP/before.ini")) now reads:"$'\n'"$(e2e_fault_describe "$E2E_STORE" | cut -c1-100)"
        return
    fi
    e2e_fault_box_ok "Quorvel エラー"
    e2e_fault_wait_editor_gone
    grep -q "quorvel: Quorvel エラー: $config/Quorvel.ini.*: No space left on device" "$E2E_PROGRAM_LOG" ||
        { failed "$case: stderr does not name the file and the reason: $(tr '\n' ' ' <"$E2E_PROGRAM_LOG")"; return; }
    cmp -s "$E2E_TMP/before.ini" "$E2E_STORE" || { failed "$case: the store changed although the save failed"; return; }
    [[ -z $(leftovers) ]] || { failed "$case: files left beside the store: $(leftovers)"; return; }
    table[5]="http://quorvel.example/$case"
    rm -f "$config/filler"
    e2e_open_menu
    e2e_menu_choose Up Return
    e2e_fault_expect_clean_exit "Quorvel 終了エラー" "$case: 終了 with room again"
    e2e_fault_to_b64 "${table[@]}"
    e2e_fault_hashes "${E2E_FAULT_B64[@]}"
    e2e_fault_table_is "$E2E_STORE" "${E2E_FAULT_HASHES[@]}" ||
        { failed "$case: 終了 with room again did not save the confirmed table: $E2E_FAULT_WHY"; return; }
    e2e_log "$case: box, old store kept, saved once there was room"
}
full_case no-room-for-lock 0
full_case no-room-for-store 8

# (c) The copy aside does not fit; the new store would.
rm -f "$config"/*
e2e_seed_store "${seeded[@]}"
{ printf '; '; head -c 30000 /dev/zero | tr '\0' 'c'; printf ' keep this note\n'; cat "$E2E_STORE"; } >"$E2E_TMP/noted.ini"
cp "$E2E_TMP/noted.ini" "$E2E_STORE"
e2e_start_program
e2e_wait_docked
fill_to 12
e2e_open_menu
e2e_menu_choose Up Return
if e2e_poll "$E2E_TIMEOUT_MS" e2e_fault__exit_or_box "Quorvel 終了エラー"; then
    # The box is dismissed by the end of the session (it closes waiting boxes).
    e2e__program_gone || e2e_signal_program TERM
    e2e_wait_exit
    kept=$(for f in "$config"/Quorvel.ini.damaged*; do [[ -f $f ]] && cmp -s "$f" "$E2E_TMP/noted.ini" && echo "$f"; done)
    if ! grep -q "keep this note" "$E2E_STORE" && [[ -z $kept ]]; then
        failed "no-room-for-copy: the old store (with a 30 KB comment) was replaced although it could not be copied aside: no Quorvel.ini.damaged, the comment is gone; stderr: $(tr '\n' ' ' <"$E2E_PROGRAM_LOG")"
    else
        e2e_log "no-room-for-copy: the old store or its copy is still there"
    fi
else
    failed "no-room-for-copy: the program neither ended nor showed a box"
fi
((${#failures[@]} == 0)) || e2e_fail "${#failures[@]} full-disk case(s) failed:"$'\n'"$(printf '%s\n' "${failures[@]}")"
e2e_pass
