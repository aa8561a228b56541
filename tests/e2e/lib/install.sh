# shellcheck shell=bash disable=SC2034
# The installed tree, and installing from the build folder into a scenario's own prefix.

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

# e2e_install_keep_manifest BUILD-DIR / e2e_install_restore_manifest BUILD-DIR: around an
# install into a scenario's prefix, the build folder's install_manifest.txt (what a user's own
# uninstall may read) is kept and put back.
e2e_install_keep_manifest() {
    rm -f "$E2E_TMP/install_manifest.saved"
    [[ -e $1/install_manifest.txt ]] && cp -p "$1/install_manifest.txt" "$E2E_TMP/install_manifest.saved"
    return 0
}
e2e_install_restore_manifest() {
    if [[ -e $E2E_TMP/install_manifest.saved ]]; then
        cp -p "$E2E_TMP/install_manifest.saved" "$1/install_manifest.txt"
    else
        rm -f "$1/install_manifest.txt"
    fi
}

# e2e_install_run BUILD-DIR CMAKE-INSTALL-ARGS...: cmake --install BUILD-DIR with the arguments.
e2e_install_run() {
    local build=$1 rc=0
    shift
    command -v cmake >/dev/null || e2e_fail "missing: cmake"
    [[ -f $build/cmake_install.cmake ]] || e2e_fail "no cmake_install.cmake in the build folder $build"
    e2e_install_keep_manifest "$build"
    cmake --install "$build" "$@" >>"$E2E_TMP/install.log" 2>&1 || rc=$?
    e2e_install_restore_manifest "$build"
    ((rc == 0)) || e2e_fail "cmake --install $* failed ($rc): $(tail -n 20 "$E2E_TMP/install.log")"
}

# e2e_install_recipe FILE NAME: the shell block under "<!-- recipe: NAME -->" in FILE.
e2e_install_recipe() {
    awk -v mark="<!-- recipe: $2 -->" '
        $0 == mark { found = 1; next }
        found && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$1"
}

# e2e_install_tree DIR: every path under DIR (relative, DIR itself as "."), its type, sorted.
e2e_install_tree() {
    [[ -e $1 ]] || { echo "(no $1)"; return 0; }
    find "$1" -printf '%P %y\n' | sed 's/^ /. /' | sort
}
