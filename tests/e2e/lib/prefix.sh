# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Installing from the build folder into a scenario's own prefix, and reading what is there: for
# the uninstall and team scenarios.

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
    e2e_need cmake:cmake
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
