# shellcheck shell=bash
# Installing from the build folder into a scenario's own prefix, for the install, uninstall and
# team scenarios. Source after lib.sh.

# e2e_install_run BUILD-DIR CMAKE-INSTALL-ARGS...: cmake --install BUILD-DIR with the arguments.
# The build folder's install_manifest.txt (what a user's own uninstall may read) is put back.
e2e_install_run() {
    local build=$1 manifest=$1/install_manifest.txt saved=$E2E_TMP/install_manifest.saved rc=0
    shift
    command -v cmake >/dev/null || e2e_fail "missing: cmake"
    [[ -f $build/cmake_install.cmake ]] || e2e_fail "no cmake_install.cmake in the build folder $build"
    rm -f "$saved"
    [[ -e $manifest ]] && cp -p "$manifest" "$saved"
    cmake --install "$build" "$@" >>"$E2E_TMP/install.log" 2>&1 || rc=$?
    if [[ -e $saved ]]; then cp -p "$saved" "$manifest"; else rm -f "$manifest"; fi
    ((rc == 0)) || e2e_fail "cmake --install $* failed ($rc): $(tail -n 20 "$E2E_TMP/install.log")"
}

# e2e_install_tree DIR: every path under DIR (relative, DIR itself as "."), its type, sorted.
e2e_install_tree() {
    [[ -e $1 ]] || { echo "(no $1)"; return 0; }
    find "$1" -printf '%P %y\n' | sed 's/^ /. /' | sort
}
