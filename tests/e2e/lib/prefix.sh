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

# e2e_install_entry_argv FILE: the arguments the Exec key of FILE starts, read as desktops read
# it (the value's escapes, then quotes and their backslashes, then %%), into E2E_ENTRY_ARGV.
e2e_install_entry_argv() {
    local value text="" arg="" c i quoted=0 started=0
    value=$(e2e_install_entry_value "$1" Exec)
    for ((i = 0; i < ${#value}; i++)); do
        c=${value:i:1}
        if [[ $c == \\ ]]; then
            i=$((i + 1))
            case ${value:i:1} in s) c=' ' ;; n) c=$'\n' ;; t) c=$'\t' ;; r) c=$'\r' ;; *) c=${value:i:1} ;; esac
        fi
        text+=$c
    done
    E2E_ENTRY_ARGV=()
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        if [[ $c == '"' ]]; then
            quoted=$((1 - quoted)) started=1
            continue
        elif [[ $c == ' ' ]] && ((!quoted)); then
            ((started)) && E2E_ENTRY_ARGV+=("$arg")
            arg="" started=0
            continue
        elif [[ $c == \\ ]] && ((quoted)); then
            i=$((i + 1)) c=${text:i:1}
            [[ $c == [\"\`\$\\] ]] || e2e_fail "Exec in $1 has \\$c in quotes, which is no escape: $text"
        elif [[ $c == % ]]; then
            i=$((i + 1))
            [[ ${text:i:1} == % ]] || e2e_fail "Exec in $1 has the field code %${text:i:1}: $text"
        elif [[ $c == [\`\$] ]] && ((quoted)); then
            e2e_fail "Exec in $1 has $c unescaped in quotes: $text"
        fi
        arg+=$c started=1
    done
    ((!quoted)) || e2e_fail "Exec in $1 has an open quote: $text"
    ((started)) && E2E_ENTRY_ARGV+=("$arg")
    return 0
}
