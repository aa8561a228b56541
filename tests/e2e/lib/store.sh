# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The bookmark store as QSettings writes it (INI text).

# QSettings' INI escaping of a string value: backslash before " and \,
# double quotes around values with ; , = or a leading/trailing space, and a
# second @ in front of a leading @. Control characters are not supported here.
e2e_ini_escape() {
    local v=$1
    [[ $v =~ [[:cntrl:]] ]] && e2e_fail "e2e_ini_escape: control characters are not supported: $(printf '%q' "$v")"
    [[ $v == @* ]] && v="@$v"
    v=${v//\\/\\\\}
    v=${v//\"/\\\"}
    if [[ $v == *[\;,=]* || $v == " "* || $v == *" " ]]; then
        v="\"$v\""
    fi
    E2E_ESCAPED=$v
}

# e2e_store_text TITLE0 URL0 ... TITLE4 URL4: prints the store as QSettings writes it.
e2e_store_text() {
    (($# == 10)) || e2e_fail "e2e_store_text needs 10 values, got $#"
    local i vals=("$@")
    printf '%s\n' "$E2E_STORE_GROUP"
    for i in 0 1 2 3 4; do
        e2e_ini_escape "${vals[2 * i]}"
        printf 'Title%%20url%d=%s\n' "$i" "$E2E_ESCAPED"
    done
    for i in 0 1 2 3 4; do
        e2e_ini_escape "${vals[2 * i + 1]}"
        printf 'url%d=%s\n' "$i" "$E2E_ESCAPED"
    done
}

e2e_seed_store() {
    mkdir -p "$(dirname "$E2E_STORE")"
    e2e_store_text "$@" >"$E2E_STORE" || exit 1
}

# Lines of the bookmark group in a store file, without the header.
e2e_store_group_lines() {
    awk -v g="$E2E_STORE_GROUP" '
        /^\[/ { in_group = ($0 == g); next }
        in_group && NF { print }' "$1"
}

# e2e_expect_store TITLE0 URL0 ...: the bookmark group holds exactly these ten keys and values.
e2e_expect_store() {
    [[ -f $E2E_STORE ]] || e2e_fail "expected the store $E2E_STORE to exist; config dir holds: $(find "$XDG_CONFIG_HOME" -printf '%P ' 2>/dev/null)"
    local expected seen
    expected=$(e2e_store_text "$@" | tail -n +2)
    seen=$(e2e_store_group_lines "$E2E_STORE")
    [[ $expected == "$seen" ]] ||
        e2e_fail "store group $E2E_STORE_GROUP differs."$'\n'"expected:"$'\n'"$expected"$'\n'"saw (whole file):"$'\n'"$(cat "$E2E_STORE")"
}

# e2e_five_bookmarks VAR TITLE URL: the array VAR gets "TITLE0" "URL0" ... "TITLE4" "URL4".
e2e_five_bookmarks() {
    local -n e2e__five=$1
    local i
    e2e__five=()
    for i in 0 1 2 3 4; do e2e__five+=("$2$i" "$3$i"); done
}

e2e_defaults() {
    local i
    E2E_DEFAULTS=()
    for i in 0 1 2 3 4; do E2E_DEFAULTS+=("$E2E_DEFAULT_TITLE" "$E2E_DEFAULT_URL"); done
}

# e2e_row_text_width K: width of what is drawn in row K (its caption), measured
