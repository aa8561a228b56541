#!/bin/bash
# SPDX-License-Identifier: MIT
# Hand-edited stores whose content a QSettings rewrite drops or changes although every line
# looks like "key=value": the text must survive the save at 終了, either in the new store or
# in a byte-identical Quorvel.ini.damaged. Hand edits that a rewrite only quotes, escapes or
# orders differently ("same:" cases) keep every value QSettings reads, and make no copy. Each
# case runs on its own; all are reported.
# Usage: 09_hand_edits.sh [PROGRAM]
source "$(dirname "$0")/../e2e/lib.sh"
e2e_fault_init 09_hand_edits "${1:-}"
e2e_start_x
e2e_start_tray
config=$(dirname "$E2E_STORE")
mkdir -p "$config"

head_lines='[Url%%20Info]\nTitle%%20url0=hand\nurl0=http://quorvel.example/0\n'
# name | file content after the head (printf format) | text that must survive
cases=(
    'commented-out-line|;url1=http://old.quorvel.example/commented\nurl1=http://quorvel.example/1\n|http://old.quorvel.example/commented'
    'comment-after-value|url1=http://quorvel.example/a;note-after-semicolon\n|note-after-semicolon'
    'raw-cr-in-value|url1=http://quorvel.example/before-cr\rafter-cr\n|after-cr'
    'key-twice-escaped|url1=http://first.quorvel.example/\nurl%%31=http://second.quorvel.example/\n|http://first.quorvel.example/'
    'group-twice-escaped|[Url Info]\nurl1=http://first-group.quorvel.example/\n|http://first-group.quorvel.example/'
    'same:unquoted-comma|url1=http://maps.quorvel.example/?ll=35.6,139.7\n|35.6,139.7'
    'same:ampersands|url1=https://b.quorvel.example/two?x=1&y=2\n|x=1&y=2'
    'same:equals-in-value|url1=http://quorvel.example/?a=b=c\nTitle%%20url1="quoted; kept"\n|a=b=c'
    'typed-value|Title%%20url1=@Rect(1 2 3 4)\n|@Rect(1 2 3 4)'
)
failures=()
for entry in "${cases[@]}"; do
    IFS='|' read -r name body marker <<<"$entry"
    rm -f "$config"/Quorvel.ini*
    if [[ $name == group-twice-escaped ]]; then
        # The bookmark group written twice, once with a plain space.
        printf "${body}\n${head_lines}url1=http://second-group.quorvel.example/\n" >"$E2E_STORE"
    else
        printf "$head_lines$body" >"$E2E_STORE"
    fi
    cp "$E2E_STORE" "$E2E_TMP/original"
    grep -qF -- "$marker" "$E2E_TMP/original" || e2e_fail "setup: marker of $name not in its file"
    e2e_start_program
    e2e_wait_docked
    e2e_open_menu
    e2e_menu_choose Up Return
    e2e_fault_expect_clean_exit "Quorvel 終了エラー" "$name: 終了"
    if [[ $name == same:* ]]; then
        "$E2E_FAULT_PROBE" dump "$E2E_TMP/original" | grep '^K ' >"$E2E_TMP/meant"
        missing=$(grep -vxF -f <("$E2E_FAULT_PROBE" dump "$E2E_STORE") "$E2E_TMP/meant")
        if [[ -e $config/Quorvel.ini.damaged || -n $missing ]]; then
            failures+=("$name: a false alarm or a changed value; copies: $(ls "$config")"$'\n'"    not read back: $missing")
        fi
        e2e_log "$name: every value read back, no copy"
        continue
    fi
    if grep -qF -- "$marker" "$E2E_STORE"; then
        e2e_log "$name: '$marker' is still in the store"
    elif [[ -f $config/Quorvel.ini.damaged ]] && cmp -s "$E2E_TMP/original" "$config/Quorvel.ini.damaged"; then
        e2e_log "$name: kept as Quorvel.ini.damaged"
    else
        failures+=("$name: '$marker' is gone from the store and no .damaged copy was made."$'\n'"    before: $(printf '%q' "$(cat "$E2E_TMP/original")")"$'\n'"    after:  $(printf '%q' "$(cat "$E2E_STORE")")")
        e2e_log "$name: LOST '$marker'"
    fi
done
((${#failures[@]} == 0)) || e2e_fail "${#failures[@]} of ${#cases[@]} hand edits were silently dropped or changed by the save:"$'\n'"$(printf '%s\n' "${failures[@]}")"
e2e_pass
