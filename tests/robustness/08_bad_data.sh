#!/bin/bash
# SPDX-License-Identifier: MIT
# Bad stored data: the program starts, its menu opens, 終了 exits 0 and writes a complete
# table, and nothing of the old file is lost: what a rewrite would drop is first copied to
# Quorvel.ini.damaged (or -2, -3, ...), byte for byte, and stderr says so; a clean file gets no
# copy, and keys the program does not know stay in the file. Cases: binary garbage, invalid
# UTF-8, raw NUL, a raw line break inside a value, a key twice, control characters as QSettings
# escapes them (must come back unchanged), misspelt and foreign keys, existing .damaged copies.
# Usage: 08_bad_data.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 08_bad_data "${1:-}"
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")
mkdir -p "$config"

# Runs the program on the store as it is: menu, Escape, 終了 (or OK in the editor when
# VIA=editor). Then: exit 0, a complete table.
run_program() {
    e2e_start_program
    e2e_wait_docked
    e2e_open_menu
    e2e_menu_choose Escape
    if [[ ${VIA:-quit} == editor ]]; then
        e2e_fault_open_editor
        e2e_fault_ok_without_box "$CASE: OK"
    fi
    e2e_open_menu
    e2e_menu_choose Up Return
    e2e_fault_expect_clean_exit "Quorvel 終了エラー" "$CASE: 終了"
    e2e_fault_dump "$E2E_STORE" || e2e_fail "$CASE: no store after 終了"
    local key missing=()
    for key in "${E2E_FAULT_TABLE_KEYS[@]}"; do [[ -n ${E2E_FAULT_SHA[$key]:-} ]] || missing+=("$key"); done
    ((${#missing[@]} == 0)) || e2e_fail "$CASE: the saved store lacks ${missing[*]}"$'\n'"$(e2e_fault_describe "$E2E_STORE")"
    e2e_expect_eq "$CASE: QSettings status of the saved store" 0 "$E2E_FAULT_STATUS"
}

# expect_kept COPY: COPY equals the original file and stderr named it.
expect_kept() {
    local copy=$config/$1
    [[ -f $copy ]] || e2e_fail "$CASE: expected the old file to be kept as $1; config folder: $(e2e_fault_leftovers)"
    cmp -s "$E2E_TMP/original" "$copy" || e2e_fail "$CASE: $1 differs from the old file"
    grep -qF "kept as $copy" "$E2E_PROGRAM_LOG" ||
        e2e_fail "$CASE: stderr does not say where the old file was kept; program log: $(cat "$E2E_PROGRAM_LOG")"
}

start_case() { # NAME: the store is in place; remembers it
    CASE=$1
    rm -f "$config"/Quorvel.ini.*
    cp "$E2E_STORE" "$E2E_TMP/original"
}

# ---- invalid UTF-8, a raw NUL, a raw line break inside a value, a key twice
good='[Url%%20Info]\nTitle%%20url0=t0\nurl0=http://quorvel.example/0\n'
for bad in 'invalid-utf8|Title%%20url1=caf\xe9 \xff\xfe latin1\n' \
    'raw-nul|url1=http://quorvel.example/\0hidden\n' \
    'raw-newline|url1=http://quorvel.example/first-half\nsecond-half-of-the-url\n' \
    'duplicate-key|url1=http://quorvel.example/first\nurl1=http://quorvel.example/second\n'; do
    printf "$good${bad#*|}" >"$E2E_STORE"
    start_case "${bad%%|*}"
    grep -aq 'url0=http://quorvel.example/0' "$E2E_STORE" || e2e_fail "setup: $CASE store not written whole"
    run_program
    expect_kept Quorvel.ini.damaged
    e2e_log "$CASE: kept as .damaged, table saved"
done

# ---- control characters as QSettings writes them: read and written back unchanged, no copy
vals=()
for v in 'tab\there' 'http://quorvel.example/cr\rlf\nend' 'nul\0inside' 'http://quorvel.example/\0after-nul' \
    'bell\a esc\x1b' 'http://quorvel.example/del\x7f' 'lf\nonly' 'http://quorvel.example/\r\n' \
    'C1 \xc2\x85 and \xc2\x9b' 'http://quorvel.example/end\n'; do
    vals+=("$(e2e_fault_b64_escaped "$v")")
done
e2e_fault_write_store "$E2E_STORE" "${vals[@]}"
start_case escaped-controls
run_program
e2e_fault_expect_table_b64 "$E2E_STORE" "${vals[@]}"
e2e_expect_eq "$CASE: copies made of a clean file" "" "$(e2e_fault_leftovers)"
e2e_log "escaped control characters: unchanged, no copy"

# ---- misspelt and foreign keys stay in the file
e2e_defaults
e2e_fault_to_b64 "${E2E_DEFAULTS[@]}"
e2e_fault_write_store "$E2E_STORE" "${E2E_FAULT_B64[@]}" \
    "Url Info/Titel url0" "$(e2e_fault_b64 misspelt-title)" \
    "Url Info/URL1" "$(e2e_fault_b64 http://upper.quorvel.example/)" \
    "Url Info/url5" "$(e2e_fault_b64 http://sixth.quorvel.example/)" \
    "Url Info/Title url0 " "$(e2e_fault_b64 trailing-space-key)" \
    "Other Group/key" "$(e2e_fault_b64 foreign-value)" \
    "general-key" "$(e2e_fault_b64 top-level)"
start_case misspelt-keys
e2e_fault_dump "$E2E_STORE"
declare -A before=()
for key in "${E2E_FAULT_KEYS[@]}"; do before[$key]=${E2E_FAULT_SHA[$key]}; done
run_program
for key in "Url Info/Titel url0" "Url Info/URL1" "Url Info/url5" "Other Group/key" "general-key"; do
    [[ -n ${before[$key]:-} ]] || e2e_fail "setup: $key was not written"
    e2e_expect_eq "$CASE: value of '$key' after 終了" "${before[$key]}" "${E2E_FAULT_SHA[$key]:-<missing>}"
done
e2e_expect_eq "$CASE: copies made of a clean file" "" "$(e2e_fault_leftovers)"
e2e_log "misspelt and foreign keys kept"

# ---- existing copies are never overwritten: the next one is .damaged-3
printf '[Url%%20Info]\n; a comment line\nurl0=http://quorvel.example/\n' >"$E2E_STORE"
start_case numbering
printf 'older copy\n' >"$config/Quorvel.ini.damaged"
printf 'second copy\n' >"$config/Quorvel.ini.damaged-2"
state_before=$(e2e_fault_state "$config/Quorvel.ini.damaged" "$config/Quorvel.ini.damaged-2")
run_program
expect_kept Quorvel.ini.damaged-3
e2e_expect_eq "$CASE: the older copies" "$state_before" "$(e2e_fault_state "$config/Quorvel.ini.damaged" "$config/Quorvel.ini.damaged-2")"
e2e_log "numbering: kept as .damaged-3, older copies untouched"

# ---- damage outside the bookmark group: a stray line in another group, then binary garbage
# (4 KB of fixed pseudo-random bytes). QSettings only reads those groups while saving.
printf '[Url%%20Info]\nurl0=http://quorvel.example/\n\n[Other]\nkey=value\na stray line\n' >"$E2E_STORE"
start_case stray-line-in-other-group
run_program
expect_kept Quorvel.ini.damaged
e2e_log "$CASE: kept as .damaged, table saved"

awk 'BEGIN { srand(42); for (i = 0; i < 4096; i++) printf "%c", int(rand() * 256) }' </dev/null >"$E2E_STORE"
start_case garbage
run_program
expect_kept Quorvel.ini.damaged
e2e_log "$CASE: kept as .damaged, table saved"

# ---- the same, first written by OK in the editor
cp "$E2E_TMP/original" "$E2E_STORE"
start_case garbage-ok
VIA=editor run_program
expect_kept Quorvel.ini.damaged
e2e_log "$CASE: kept as .damaged, table saved"
e2e_pass
