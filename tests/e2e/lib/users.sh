# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Real unprivileged users for a scenario (root only): made with groupadd/useradd, each with a
# home, config and runtime folder in the scenario's temp dir, and removed when it ends.
# Loaded by lib.sh; call e2e_users_add after e2e_init.
E2E_USERS=()
E2E_USERS_GROUP=

e2e_users__remove() {
    local user
    for user in "${E2E_USERS[@]}"; do userdel -f "$user" >/dev/null 2>&1; done
    [[ -n $E2E_USERS_GROUP ]] && groupdel "$E2E_USERS_GROUP" >/dev/null 2>&1
    return 0
}

# e2e_users_add GROUP NAME...: the group and the users, members of it.
e2e_users_add() {
    local group=$1 user home
    shift
    ((EUID == 0)) || e2e_fail "making users needs root"
    e2e_need useradd:passwd setpriv:util-linux
    trap 'E2E_USERS_RC=$?; e2e_users__remove; (exit $E2E_USERS_RC); e2e__cleanup' EXIT
    groupadd "$group" || e2e_fail "groupadd $group failed"
    E2E_USERS_GROUP=$group
    # Let the users through the temp dir to their homes, the program and the fake opener.
    chmod 0711 "$E2E_TMP"
    chmod 0777 "$E2E_TMP/opener"
    for user in "$@"; do
        home=$E2E_TMP/home-$user
        useradd -M -d "$home" -s /bin/sh -G "$group" "$user" || e2e_fail "useradd $user failed"
        E2E_USERS+=("$user")
        mkdir -p "$home/.config" "$home/run"
        chmod 0700 "$home/run"
        chown -R "$user:" "$home"
    done
}

# e2e_users_env USER: the environment a session of USER has (printed as env arguments).
e2e_users_env() {
    local home=$E2E_TMP/home-$1
    printf '%s\n' "HOME=$home" "USER=$1" "LOGNAME=$1" "XDG_CONFIG_HOME=$home/.config" \
        "XDG_RUNTIME_DIR=$home/run" "XDG_CACHE_HOME=$home/.cache" "XDG_DATA_HOME=$home/.local/share"
}

# e2e_users__as USER: E2E_USERS_AS runs a command as USER, with its groups and environment.
e2e_users__as() {
    local vars
    mapfile -t vars < <(e2e_users_env "$1")
    E2E_USERS_AS=(setpriv --reuid="$1" --regid="$1" --init-groups -- env "${vars[@]}")
}

# e2e_users_run USER CMD...: runs CMD as USER, in its home.
e2e_users_run() { e2e_users__as "$1" && (cd "$E2E_TMP/home-$1" && exec "${E2E_USERS_AS[@]}" "${@:2}"); }

# e2e_users_start USER NAME LOG CMD...: CMD as USER in the background, output to LOG, tracked
# as NAME so that the scenario's end stops it.
e2e_users_start() {
    e2e_users__as "$1"
    (cd "$E2E_TMP/home-$1" && exec "${E2E_USERS_AS[@]}" "${@:4}") >"$3" 2>&1 &
    e2e__track $! "$2"
}

# e2e_users_start_program USER CMD...: e2e_start_program of CMD (the program, or env and it)
# as USER.
e2e_users_start_program() {
    e2e_users__as "$1"
    e2e_start_program --cwd "$E2E_TMP/home-$1" --exe "$(command -v setpriv)" -- "${E2E_USERS_AS[@]:1}" "${@:2}"
}
