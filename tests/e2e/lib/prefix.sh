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

# e2e_install_entry_argv FILE: the arguments FILE's Exec starts, read by the desktop entry rules
# (value escapes, then quotes holding \" \` \$ \\, then %%), into E2E_ENTRY_ARGV; else fails.
e2e_install_entry_argv() {
    local v text="" arg="" c i q=0 on=0
    v=$(e2e_install_entry_value "$1" Exec)
    for ((i = 0; i < ${#v}; i++)); do
        c=${v:i:1}
        [[ $c == \\ ]] && i=$((i + 1)) c=${v:i:1} && case $c in s) c=' ' ;; n) c=$'\n' ;; t) c=$'\t' ;; r) c=$'\r' ;; esac
        text+=$c
    done
    E2E_ENTRY_ARGV=()
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        case $q$c in
            ?\") q=$((1 - q)) on=1 && continue ;;
            0' ') ((on)) && E2E_ENTRY_ARGV+=("$arg"); arg="" on=0 && continue ;;
            1\\) i=$((i + 1)) c=${text:i:1} && [[ $c == [\"\`\$\\] ]] || e2e_fail "Exec in $1 has \\$c: $text" ;;
            ?%) i=$((i + 1)) && [[ ${text:i:1} == % ]] || e2e_fail "Exec in $1 has a field code: $text" ;;
            1[\`\$]) e2e_fail "Exec in $1 has $c unescaped in quotes: $text" ;;
        esac
        arg+=$c on=1
    done
    ((!q)) || e2e_fail "Exec in $1 has an open quote: $text"
    ((!on)) || E2E_ENTRY_ARGV+=("$arg")
}
