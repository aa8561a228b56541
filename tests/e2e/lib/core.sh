# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# Basics of every scenario: constants, logging, bounded polls, failure and pass,
# the processes it started (stopped in reverse order by the EXIT trap) and e2e_init.

E2E_TIMEOUT_MS=${QUORVEL_E2E_TIMEOUT_MS:-10000}
E2E_CLASS=quorvel
E2E_ICON_CLASS=quorvel  # the class of the docked icon's window (Wine: its explorer.exe)
E2E_PROBE=
E2E_TRAY_SELECTION=_NET_SYSTEM_TRAY_S0
E2E_DEFAULT_TITLE='作者HP'
E2E_DEFAULT_URL='http://www.quorvel.example/'
E2E_STORE_GROUP='[Url%20Info]'

E2E_NAME=${E2E_NAME:-e2e}
E2E_TMP=
E2E_ARTIFACTS=
E2E_PIDS=()          # processes this scenario started, in start order
E2E_PID_NAMES=()
E2E_PROGRAM_PID=
E2E_PROGRAM_LOG=
E2E_PROGRAM_RUNS=0
E2E_TRAY_PID=
E2E_TRAY_RUNS=0
E2E_EXIT_STATUS=

# ---------------------------------------------------------------- basics

e2e__now() { local t=${EPOCHREALTIME/[.,]/}; E2E_NOW=$((10#$t / 1000)); }
e2e__now
E2E_START_MS=$E2E_NOW

e2e_log() {
    e2e__now
    printf '[%s %6d ms] %s\n' "$E2E_NAME" $((E2E_NOW - E2E_START_MS)) "$*" >&2
}

# e2e_poll TIMEOUT_MS CMD [ARGS...]: runs CMD in this shell every 20 ms until
# it succeeds (0) or TIMEOUT_MS has passed (1). CMD may set globals.
e2e_poll() {
    local limit=$1
    shift
    e2e__now
    local deadline=$((E2E_NOW + limit))
    while true; do
        "$@" && return 0
        e2e__now
        ((E2E_NOW >= deadline)) && return 1
        sleep 0.02
    done
}

e2e_fail() {
    set +e # a script with errexit (Wine's) still gets its diagnostics
    printf '\nFAIL [%s]: %s\n' "$E2E_NAME" "$*" >&2
    e2e__diagnostics
    exit 1
}

# e2e_expect_eq WHAT EXPECTED ACTUAL
e2e_expect_eq() {
    [[ "$2" == "$3" ]] || e2e_fail "$1: expected $(printf '%q' "$2"), saw $(printf '%q' "$3")"
}

# e2e_need TOOL:PACKAGE...: fails naming each missing tool (a command, or a file when it starts
# with /) with the Debian package that has it.
e2e_need() {
    local tool missing=()
    for tool in "$@"; do
        if [[ $tool == /* ]]; then [[ -e ${tool%%:*} ]]; else command -v "${tool%%:*}" >/dev/null; fi ||
            missing+=("${tool%%:*} (${tool#*:})")
    done
    ((${#missing[@]} == 0)) || e2e_fail "missing: ${missing[*]}"
}

e2e_pass() {
    e2e__now
    printf 'PASS [%s] in %d ms\n' "$E2E_NAME" $((E2E_NOW - E2E_START_MS)) >&2
    exit 0
}

e2e__alive() {
    local pid=$1 stat state
    [[ -n $pid ]] || return 1
    { read -r stat <"/proc/$pid/stat"; } 2>/dev/null || return 1
    state=${stat##*) }
    [[ ${state%% *} != Z ]]
}

e2e__track() { E2E_PIDS+=("$1"); E2E_PID_NAMES+=("$2"); }

e2e__untrack() {
    local i pids=() names=()
    for i in "${!E2E_PIDS[@]}"; do
        if [[ ${E2E_PIDS[i]} != "$1" ]]; then
            pids+=("${E2E_PIDS[i]}")
            names+=("${E2E_PID_NAMES[i]}")
        fi
    done
    E2E_PIDS=("${pids[@]}")
    E2E_PID_NAMES=("${names[@]}")
}

e2e__not_alive() { ! e2e__alive "$1"; }

# Ends one process of ours: TERM, then KILL if it lingers; reaps it.
e2e__stop_pid() {
    local pid=$1
    if e2e__alive "$pid"; then
        kill -TERM "$pid" 2>/dev/null || :
        e2e_poll 3000 e2e__not_alive "$pid" || kill -KILL "$pid" 2>/dev/null || :
    fi
    # Its status is of no interest (and would end a script with errexit).
    wait "$pid" 2>/dev/null || :
    return 0
}

# Ends every process of ours, the last started first.
e2e__stop_all() {
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        e2e__stop_pid "${E2E_PIDS[i]}" 2>/dev/null
    done
    E2E_PIDS=() E2E_PID_NAMES=()
}

e2e__cleanup() {
    local rc=$? pid
    set +e
    trap - EXIT INT TERM HUP
    [[ -n $E2E_TMP ]] && : >"$E2E_TMP/opener-release" 2>/dev/null
    e2e__stop_all
    # Openers the program started (fake xdg-open, possibly held).
    if [[ -n $E2E_TMP && -d $E2E_TMP/opener ]]; then
        cat "$E2E_TMP"/opener/*.pid 2>/dev/null | while read -r pid; do
            if e2e__alive "$pid" && grep -qa "$E2E_TMP/bin/xdg-open" "/proc/$pid/cmdline" 2>/dev/null; then
                kill -TERM "$pid" 2>/dev/null
            fi
        done
    fi
    if [[ -n $E2E_TMP && -d $E2E_TMP ]]; then
        if ((rc != 0)) && [[ -n $E2E_ARTIFACTS ]]; then
            mkdir -p "$E2E_ARTIFACTS/logs"
            cp -r "$E2E_TMP"/*.log "$E2E_TMP/opener" "$E2E_TMP/config" "$E2E_ARTIFACTS/logs/" 2>/dev/null
            printf 'logs kept in %s\n' "$E2E_ARTIFACTS/logs" >&2
        fi
        if [[ ${QUORVEL_E2E_KEEP_TMP:-0} == 1 ]]; then
            printf 'temp dir kept: %s\n' "$E2E_TMP" >&2
        else
            chmod -R u+w "$E2E_TMP" 2>/dev/null
            rm -rf "$E2E_TMP"
        fi
    fi
    exit "$rc"
}

e2e__diagnostics() {
    [[ -n $E2E_TMP ]] || return 0
    local f
    if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
        e2e_list_windows
        printf -- '--- visible windows of class %s (id kind x y w h):\n' "$E2E_CLASS" >&2
        printf '    %s\n' "${E2E_WINS[@]:-<none>}" >&2
        printf -- '--- tray selection owner: %s\n' "$("$E2E_PROBE" owner "$E2E_TRAY_SELECTION" 2>&1)" >&2
        [[ -n $E2E_ARTIFACTS ]] && import -silent -window root "$E2E_ARTIFACTS/failure.png" 2>/dev/null &&
            printf -- '--- screenshot: %s\n' "$E2E_ARTIFACTS/failure.png" >&2
    fi
    if [[ -d $E2E_TMP/opener ]]; then
        printf -- '--- opener calls:\n' >&2
        e2e_opener_dump >&2
    fi
    for f in "$E2E_TMP"/program.*.log "$E2E_TMP"/trayer.log "$E2E_TMP"/xvfb.log; do
        [[ -s $f ]] || continue
        printf -- '--- %s (last 20 lines):\n' "${f##*/}" >&2
        tail -n 20 "$f" >&2
    done
}

# ---------------------------------------------------------------- setup

# e2e_build_probe OUT: builds the X11 probe (xprobe/) into OUT; the Linux and
# the Windows tests and the benchmarks use the same one.
e2e_build_probe() { "$E2E_LIB_DIR/xprobe/build" "$1"; }

# e2e_begin NAME ARTIFACTS: a private temp dir, the artifacts dir (emptied)
# and the trap that stops what the scenario started. Hosts other than the
# Linux one (Wine) begin here rather than with e2e_init.
e2e_begin() {
    E2E_NAME=$1
    E2E_ARTIFACTS=$2
    rm -rf "$E2E_ARTIFACTS"
    mkdir -p "$E2E_ARTIFACTS"
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-e2e.XXXXXX") || { echo "mktemp failed" >&2; exit 1; }
    trap e2e__cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
}

# e2e_use_program PROGRAM: the program started (E2E_PROGRAM, resolved) and its E2E_PROGRAM_DIR.
e2e_use_program() {
    [[ -x $1 ]] || e2e_fail "program not found or not executable: $1"
    E2E_PROGRAM=$(readlink -f "$1")
    E2E_PROGRAM_DIR=$(dirname "$E2E_PROGRAM")
}

# e2e_init NAME [PROGRAM]: private temp dir, isolated environment, trap, the
# X11 probe and the fake opener. PROGRAM "-": named later by e2e_use_program.
# QUORVEL_E2E_PROBE: a probe built elsewhere, for a machine without a compiler.
e2e_init() {
    local prog=${2:-}
    E2E_NAME=$1
    [[ -n $prog ]] || prog=$E2E_REPO_DIR/build/Quorvel/quorvel
    [[ $prog == - ]] || e2e_use_program "$prog"
    e2e_need Xvfb:xvfb trayer:trayer xdotool:xdotool xwininfo:x11-utils xdpyinfo:x11-utils \
        import:imagemagick convert:imagemagick identify:imagemagick setpriv:util-linux \
        fc-list:fontconfig base64:coreutils
    [[ -n ${QUORVEL_E2E_PROBE:-} ]] || e2e_need cc:gcc /usr/include/X11/Xlib.h:libx11-dev \
        /usr/include/X11/extensions/XTest.h:libxtst-dev /usr/include/X11/extensions/Xdamage.h:libxdamage-dev
    fc-list ':lang=ja' family 2>/dev/null | grep -q . || e2e_fail "missing: a Japanese font (fonts-noto-cjk)"

    local artifacts_root=${QUORVEL_E2E_ARTIFACTS:-$E2E_REPO_DIR/build/e2e-artifacts}
    mkdir -p "$artifacts_root"
    e2e_begin "$E2E_NAME" "$(cd "$artifacts_root" && pwd -P)/$E2E_NAME"

    mkdir -p "$E2E_TMP"/{run,config,home,cache,data,bin,opener}
    chmod 0700 "$E2E_TMP/run"
    export XDG_RUNTIME_DIR=$E2E_TMP/run XDG_CONFIG_HOME=$E2E_TMP/config HOME=$E2E_TMP/home
    export XDG_CACHE_HOME=$E2E_TMP/cache XDG_DATA_HOME=$E2E_TMP/data
    export QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=disabled: LC_ALL=C.UTF-8
    export NO_AT_BRIDGE=1 QT_ACCESSIBILITY=0
    unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE SESSION_MANAGER QT_SCALE_FACTOR \
        QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_IM_MODULE XMODIFIERS GTK_MODULES \
        WAYLAND_DISPLAY XAUTHORITY DISPLAY LANGUAGE
    E2E_STORE=$XDG_CONFIG_HOME/Quorvel/Quorvel.ini

    E2E_PROBE=$(readlink -f "${QUORVEL_E2E_PROBE:-$E2E_TMP/xprobe}")
    [[ -n ${QUORVEL_E2E_PROBE:-} ]] || e2e_build_probe "$E2E_PROBE" 2>"$E2E_TMP/cc.log" ||
        e2e_fail "$(cat "$E2E_TMP/cc.log")"
    [[ -x $E2E_PROBE ]] && ! ldd "$E2E_PROBE" | grep 'not found' ||
        e2e_fail "the probe $E2E_PROBE cannot run here (it needs libx11-6 libxtst6 libxdamage1)"
    e2e__write_fake_opener
    e2e_log "program ${E2E_PROGRAM:-not yet chosen}, temp dir $E2E_TMP, artifacts $E2E_ARTIFACTS"
}
