# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The installed tree.

# e2e_install_png_size FILE: prints "WxH" of a PNG (and fails on anything else).
e2e_install_png_size() {
    local out
    out=$(identify -format '%m %wx%h' "$1" 2>&1) || e2e_fail "identify could not read $1: $out"
    [[ $out == "PNG "* ]] || e2e_fail "$1 is not a PNG: $out"
    printf '%s\n' "${out#PNG }"
}

# e2e_install_entry_value FILE KEY: the value of KEY in the [Desktop Entry] group.
e2e_install_entry_value() {
    awk -v key="$2" '
        /^\[/ { in_group = ($0 == "[Desktop Entry]"); next }
        in_group && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$1"
}
