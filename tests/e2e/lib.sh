# shellcheck shell=bash disable=SC2034
# Helpers for the end-to-end scenarios: a private Xvfb display, a real XEmbed
# tray host (trayer), the program under test, xdotool input, screenshots and a
# fake xdg-open that records its arguments.
#
# Usage in a scenario:
#   source "$(dirname "$0")/lib.sh"
#   e2e_init 01_name "${1:-}"     # temp dir, environment, cleanup trap
#   e2e_start_x; e2e_start_tray; e2e_start_program; e2e_wait_docked; ...
#   e2e_pass
#
# Every wait is a bounded poll in 20 ms steps (E2E_TIMEOUT_MS, default 10 s,
# override with QUORVEL_E2E_TIMEOUT_MS). A failed check calls e2e_fail, which
# prints what was expected and what was seen, saves a screenshot and the logs
# under the artifacts directory and exits 1; the EXIT trap then stops every
# process the scenario started, in reverse order, by PID.

set -u -o pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
E2E_REPO_DIR=$(cd "$E2E_LIB_DIR/../.." && pwd -P)
E2E_TIMEOUT_MS=${QUORVEL_E2E_TIMEOUT_MS:-10000}
E2E_CLASS=quorvel
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
    printf '\nFAIL [%s]: %s\n' "$E2E_NAME" "$*" >&2
    e2e__diagnostics
    exit 1
}

# e2e_expect_eq WHAT EXPECTED ACTUAL
e2e_expect_eq() {
    [[ "$2" == "$3" ]] || e2e_fail "$1: expected $(printf '%q' "$2"), saw $(printf '%q' "$3")"
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
        kill -TERM "$pid" 2>/dev/null
        e2e_poll 3000 e2e__not_alive "$pid" || kill -KILL "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null
    return 0
}

e2e__cleanup() {
    local rc=$? i pid
    trap - EXIT INT TERM HUP
    [[ -n $E2E_TMP ]] && : >"$E2E_TMP/opener-release" 2>/dev/null
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        e2e__stop_pid "${E2E_PIDS[i]}" 2>/dev/null
    done
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
        printf -- '--- tray selection owner: %s\n' "$("$E2E_TMP/xprobe" owner "$E2E_TRAY_SELECTION" 2>&1)" >&2
        [[ -n $E2E_ARTIFACTS ]] && import -silent -window root "$E2E_ARTIFACTS/failure.png" 2>/dev/null &&
            printf -- '--- screenshot: %s\n' "$E2E_ARTIFACTS/failure.png" >&2
    fi
    printf -- '--- opener calls:\n' >&2
    e2e_opener_dump >&2
    for f in "$E2E_TMP"/program.*.log "$E2E_TMP"/trayer.log "$E2E_TMP"/xvfb.log; do
        [[ -s $f ]] || continue
        printf -- '--- %s (last 20 lines):\n' "${f##*/}" >&2
        tail -n 20 "$f" >&2
    done
}

# ---------------------------------------------------------------- setup

# e2e_init NAME [PROGRAM]: private temp dir, isolated environment, trap, the
# X11 probe and the fake opener.
e2e_init() {
    E2E_NAME=$1
    local prog=${2:-}
    [[ -n $prog ]] || prog=$E2E_REPO_DIR/build/Quorvel/quorvel
    [[ -x $prog ]] || { printf 'FAIL [%s]: program not found or not executable: %s\n' "$E2E_NAME" "$prog" >&2; exit 1; }
    local missing=() tool
    for tool in Xvfb:xvfb trayer:trayer xdotool:xdotool xwininfo:x11-utils xdpyinfo:x11-utils \
        import:imagemagick convert:imagemagick identify:imagemagick cc:gcc setpriv:util-linux \
        fc-list:fontconfig base64:coreutils; do
        command -v "${tool%%:*}" >/dev/null || missing+=("${tool%%:*} (${tool#*:})")
    done
    [[ -e /usr/include/X11/Xlib.h ]] || missing+=("X11/Xlib.h (libx11-dev)")
    fc-list ':lang=ja' family 2>/dev/null | grep -q . || missing+=("a Japanese font (fonts-noto-cjk)")
    ((${#missing[@]} == 0)) || { printf 'FAIL [%s]: missing: %s\n' "$E2E_NAME" "${missing[*]}" >&2; exit 1; }
    E2E_PROGRAM=$(readlink -f "$prog")
    E2E_PROGRAM_DIR=$(dirname "$E2E_PROGRAM")

    local artifacts_root=${QUORVEL_E2E_ARTIFACTS:-$E2E_REPO_DIR/build/e2e-artifacts}
    mkdir -p "$artifacts_root"
    E2E_ARTIFACTS=$(cd "$artifacts_root" && pwd -P)/$E2E_NAME
    rm -rf "$E2E_ARTIFACTS"
    mkdir -p "$E2E_ARTIFACTS"

    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-e2e.XXXXXX") || { echo "mktemp failed" >&2; exit 1; }
    trap e2e__cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP

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

    cc -O1 -o "$E2E_TMP/xprobe" "$E2E_LIB_DIR/xprobe.c" -lX11 2>"$E2E_TMP/cc.log" ||
        e2e_fail "could not build the X11 probe (needs cc and libx11-dev): $(cat "$E2E_TMP/cc.log")"
    e2e__write_fake_opener
    e2e_log "program $E2E_PROGRAM, temp dir $E2E_TMP, artifacts $E2E_ARTIFACTS"
}

e2e__display_ready() {
    e2e__alive "$E2E_XVFB_PID" || e2e_fail "Xvfb exited early: $(cat "$E2E_TMP/xvfb.log")"
    local n
    n=$(cat "$E2E_TMP/display-number" 2>/dev/null)
    [[ $n =~ ^[0-9]+$ ]] || return 1
    DISPLAY=:$n xdpyinfo >/dev/null 2>&1 || return 1
    export DISPLAY=:$n
}

# Xvfb picks a free display number itself (-displayfd), so parallel runs never collide.
e2e_start_x() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        >"$E2E_TMP/xvfb.log" 2>&1 3>"$E2E_TMP/display-number" &
    E2E_XVFB_PID=$!
    e2e__track "$E2E_XVFB_PID" Xvfb
    e2e_poll "$E2E_TIMEOUT_MS" e2e__display_ready ||
        e2e_fail "expected Xvfb to accept connections within $E2E_TIMEOUT_MS ms; display number file: '$(cat "$E2E_TMP/display-number")'"
    e2e_log "Xvfb ready on $DISPLAY"
}

e2e_tray_owner() { "$E2E_TMP/xprobe" owner "$E2E_TRAY_SELECTION" >/dev/null 2>&1; }
e2e__tray_unowned() { ! e2e_tray_owner; }

e2e_start_tray() {
    E2E_TRAY_RUNS=$((E2E_TRAY_RUNS + 1))
    printf -- '--- trayer start %d\n' "$E2E_TRAY_RUNS" >>"$E2E_TMP/trayer.log"
    trayer --edge top --align left --widthtype pixel --width 200 --heighttype pixel --height 32 \
        --expand false --SetDockType true >>"$E2E_TMP/trayer.log" 2>&1 &
    E2E_TRAY_PID=$!
    e2e__track "$E2E_TRAY_PID" trayer
    e2e_poll "$E2E_TIMEOUT_MS" e2e_tray_owner ||
        e2e_fail "expected $E2E_TRAY_SELECTION to get an owner after starting trayer (pid $E2E_TRAY_PID, alive: $(e2e__alive "$E2E_TRAY_PID" && echo yes || echo no)); it has none"
    e2e_log "trayer (pid $E2E_TRAY_PID) owns $E2E_TRAY_SELECTION"
}

# e2e_stop_tray [SIGNAL]: kills the tray host (default KILL: a crash) and
# waits until the selection is free.
e2e_stop_tray() {
    local sig=${1:-KILL}
    local died=0
    # stderr off: bash would report the killed job there.
    {
        kill "-$sig" "$E2E_TRAY_PID"
        e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$E2E_TRAY_PID" && died=1
        wait "$E2E_TRAY_PID"
    } 2>/dev/null
    ((died)) || e2e_fail "trayer (pid $E2E_TRAY_PID) did not die on SIG$sig"
    e2e__untrack "$E2E_TRAY_PID"
    e2e_poll "$E2E_TIMEOUT_MS" e2e__tray_unowned || e2e_fail "expected $E2E_TRAY_SELECTION to lose its owner after trayer died"
    e2e_log "trayer stopped with SIG$sig"
}

# ---------------------------------------------------------------- fake opener

# The fake xdg-open stores one file per call in $E2E_TMP/opener (written to a
# temp name, then renamed, so a reader never sees half a record). A record is
# "argc=N", "pid=P", then one "arg=BASE64" line per argument, so arguments can
# be compared byte for byte. With $E2E_TMP/opener-hold present it stays
# running until $E2E_TMP/opener-release appears (at most 60 s).
e2e__write_fake_opener() {
    local dir=$E2E_TMP/opener tool
    local -A t
    for tool in base64 date mktemp mv sleep; do
        t[$tool]=$(command -v "$tool") || e2e_fail "missing tool: $tool"
    done
    cat >"$E2E_TMP/bin/xdg-open" <<EOF
#!/bin/bash
rec="argc=\$#"\$'\\n'"pid=\$\$"
for a in "\$@"; do rec+=\$'\\n'"arg=\$(printf '%s' "\$a" | ${t[base64]} -w0)"; done
tmp=\$(${t[mktemp]} "$dir/.tmp.XXXXXX") || exit 1
printf '%s\\n' "\$rec" >"\$tmp"
printf '%s\\n' "\$\$" >"$dir/\$\$.pid"
${t[mv]} "\$tmp" "$dir/\$(${t[date]} +%s%N).\$\$.call"
if [[ -e "$E2E_TMP/opener-hold" ]]; then
    for ((i = 0; i < 3000; i++)); do
        [[ -e "$E2E_TMP/opener-release" ]] && break
        ${t[sleep]} 0.02
    done
fi
exit 0
EOF
    chmod 0755 "$E2E_TMP/bin/xdg-open"
}

e2e_opener_hold() { rm -f "$E2E_TMP/opener-release"; : >"$E2E_TMP/opener-hold"; }
e2e_opener_release() { : >"$E2E_TMP/opener-release"; rm -f "$E2E_TMP/opener-hold"; }

# Sets E2E_OPENER_FILES (records in call order) and E2E_OPENER_COUNT.
e2e_opener_count() {
    local f
    E2E_OPENER_FILES=()
    for f in "$E2E_TMP"/opener/*.call; do
        [[ -e $f ]] && E2E_OPENER_FILES+=("$f")
    done
    E2E_OPENER_COUNT=${#E2E_OPENER_FILES[@]}
}

e2e__opener_at_least() { e2e_opener_count; ((E2E_OPENER_COUNT >= $1)); }

# e2e_wait_opener_calls N: waits until at least N calls are recorded and fails
# if there are more than N.
e2e_wait_opener_calls() {
    local n=$1
    e2e_poll "$E2E_TIMEOUT_MS" e2e__opener_at_least "$n" ||
        e2e_fail "expected $n opener call(s) within $E2E_TIMEOUT_MS ms, saw $E2E_OPENER_COUNT:"$'\n'"$(e2e_opener_dump)"
    ((E2E_OPENER_COUNT == n)) || e2e_fail "expected exactly $n opener call(s), saw $E2E_OPENER_COUNT:"$'\n'"$(e2e_opener_dump)"
}

# e2e_opener_record I: loads call I (1-based) into E2E_CALL_ARGC, E2E_CALL_PID
# and E2E_CALL_B64 (base64 of each argument).
e2e_opener_record() {
    local line file
    e2e_opener_count
    file=${E2E_OPENER_FILES[$(($1 - 1))]:-}
    [[ -n $file ]] || e2e_fail "expected an opener call #$1, saw $E2E_OPENER_COUNT call(s)"
    E2E_CALL_ARGC='' E2E_CALL_PID='' E2E_CALL_B64=()
    while IFS= read -r line; do
        case $line in
            argc=*) E2E_CALL_ARGC=${line#argc=} ;;
            pid=*) E2E_CALL_PID=${line#pid=} ;;
            arg=*) E2E_CALL_B64+=("${line#arg=}") ;;
        esac
    done <"$file"
}

e2e__b64() { printf '%s' "$1" | base64 -w0; }
e2e__unb64_q() { printf '%q' "$(printf '%s' "$1" | base64 -d)"; }

# e2e_expect_opener_call I ARG...: call I got exactly these arguments, byte for byte.
e2e_expect_opener_call() {
    local i=$1 k want
    shift
    e2e_opener_record "$i"
    local expected="" seen=""
    for want in "$@"; do expected+=" $(printf '%q' "$want")"; done
    for k in "${E2E_CALL_B64[@]}"; do seen+=" $(e2e__unb64_q "$k")"; done
    ((E2E_CALL_ARGC == $#)) || e2e_fail "opener call #$i: expected $# argument(s):$expected; saw $E2E_CALL_ARGC:$seen"
    k=0
    for want in "$@"; do
        [[ $(e2e__b64 "$want") == "${E2E_CALL_B64[k]}" ]] ||
            e2e_fail "opener call #$i argument $((k + 1)): expected $(printf '%q' "$want") (base64 $(e2e__b64 "$want")), saw $(e2e__unb64_q "${E2E_CALL_B64[k]}") (base64 ${E2E_CALL_B64[k]})"
        k=$((k + 1))
    done
}

e2e_opener_dump() {
    local f line n=0
    for f in "$E2E_TMP"/opener/*.call; do
        [[ -e $f ]] || continue
        n=$((n + 1))
        printf '    call %d:' "$n"
        while IFS= read -r line; do
            case $line in
                arg=*) printf ' %s' "$(e2e__unb64_q "${line#arg=}")" ;;
            esac
        done <"$f"
        printf '\n'
    done
    ((n > 0)) || printf '    <none>\n'
}

# ---------------------------------------------------------------- the program

# e2e_start_program [--unprivileged] [--cwd DIR] [--exe PATH] [-- ARGS...]
# --unprivileged drops the capabilities that let root write through permission
# bits. Signals are reset to default (a background job of a script would
# otherwise ignore SIGINT).
e2e_start_program() {
    local exe=$E2E_PROGRAM cwd=$E2E_TMP priv=()
    while (($#)); do
        case $1 in
            --unprivileged) priv=(setpriv --bounding-set "-dac_override,-dac_read_search" --) ;;
            --cwd) cwd=$2; shift ;;
            --exe) exe=$2; shift ;;
            --) shift; break ;;
            *) break ;;
        esac
        shift
    done
    E2E_PROGRAM_RUNS=$((E2E_PROGRAM_RUNS + 1))
    E2E_PROGRAM_LOG=$E2E_TMP/program.$E2E_PROGRAM_RUNS.log
    (cd "$cwd" && exec env --default-signal PATH="$E2E_TMP/bin:$PATH" "${priv[@]}" "$exe" "$@") \
        </dev/null >"$E2E_PROGRAM_LOG" 2>&1 &
    E2E_PROGRAM_PID=$!
    e2e__track "$E2E_PROGRAM_PID" program
    e2e_log "started program run $E2E_PROGRAM_RUNS (pid $E2E_PROGRAM_PID) ${priv[*]:+unprivileged}"
}

e2e_program_alive() { e2e__alive "$E2E_PROGRAM_PID"; }

# Idle: sleeping, and its CPU time (utime+stime, 10 ms ticks) unchanged over
# four samples 20 ms apart. Start-up keeps a Qt program busy for far longer.
e2e__program_idle() {
    local stat fields state ticks
    e2e_program_alive || e2e_fail "the program exited while starting; log: $(tail -n 20 "$E2E_PROGRAM_LOG")"
    { read -r stat <"/proc/$E2E_PROGRAM_PID/stat"; } 2>/dev/null || return 1
    read -ra fields <<<"${stat##*) }"
    state=${fields[0]} ticks=$((fields[11] + fields[12]))
    if [[ $state == S && $ticks == "$E2E__IDLE_TICKS" ]]; then
        E2E__IDLE_SAMPLES=$((E2E__IDLE_SAMPLES + 1))
    else
        E2E__IDLE_SAMPLES=0
    fi
    E2E__IDLE_TICKS=$ticks
    ((E2E__IDLE_SAMPLES >= 3))
}

# e2e_wait_program_idle: waits until the program has finished starting and
# waits for events (for checks that need it up before something else starts).
e2e_wait_program_idle() {
    E2E__IDLE_TICKS=-1 E2E__IDLE_SAMPLES=0
    e2e_poll "$E2E_TIMEOUT_MS" e2e__program_idle ||
        e2e_fail "expected the program to become idle (sleeping, no CPU time used for 60 ms); /proc stat: $(cat "/proc/$E2E_PROGRAM_PID/stat" 2>&1)"
}

e2e__program_gone() { ! e2e__alive "$E2E_PROGRAM_PID"; }

# e2e_wait_exit: waits for the program to end; sets E2E_EXIT_STATUS.
e2e_wait_exit() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__program_gone ||
        e2e_fail "expected the program (pid $E2E_PROGRAM_PID) to exit within $E2E_TIMEOUT_MS ms; it is still running"
    wait "$E2E_PROGRAM_PID"
    E2E_EXIT_STATUS=$?
    e2e__untrack "$E2E_PROGRAM_PID"
    e2e_log "program exited with status $E2E_EXIT_STATUS"
}

e2e_expect_exit_status() {
    e2e_wait_exit
    ((E2E_EXIT_STATUS == $1)) ||
        e2e_fail "expected exit status $1, saw $E2E_EXIT_STATUS; program log: $(tail -n 20 "$E2E_PROGRAM_LOG")"
}

e2e_signal_program() { kill "-$1" "$E2E_PROGRAM_PID" || e2e_fail "could not send SIG$1 to $E2E_PROGRAM_PID"; }

# ---------------------------------------------------------------- windows

# e2e_list_windows: E2E_WINS gets one "ID KIND X Y W H" line per visible
# window of the program's class. KIND: icon (docked: parent is not the root),
# popup (override-redirect child of the root, e.g. a menu), window (others).
e2e_list_windows() {
    E2E_WINS=()
    local ids id line root parent x y w h map ovr
    # xdotool may list a window twice while the tree changes.
    ids=$(xdotool search --onlyvisible --classname "^${E2E_CLASS}\$" 2>/dev/null | sort -u) || return 0
    for id in $ids; do
        root='' parent='' x='' y='' w='' h='' map='' ovr=''
        while read -r line; do
            case $line in
                "Root window id: "*) line=${line#Root window id: }; root=${line%% *} ;;
                "Parent window id: "*) line=${line#Parent window id: }; parent=${line%% *} ;;
                "Absolute upper-left X: "*) x=${line##* } ;;
                "Absolute upper-left Y: "*) y=${line##* } ;;
                "Width: "*) w=${line##* } ;;
                "Height: "*) h=${line##* } ;;
                "Map State: "*) map=${line##* } ;;
                "Override Redirect State: "*) ovr=${line##* } ;;
            esac
        done < <(xwininfo -children -stats -id "$id" 2>/dev/null)
        [[ $map == IsViewable && -n $root && -n $parent ]] || continue
        if [[ $parent != "$root" ]]; then
            E2E_WINS+=("$id icon $x $y $w $h")
        elif [[ $ovr == yes ]]; then
            E2E_WINS+=("$id popup $x $y $w $h")
        else
            E2E_WINS+=("$id window $x $y $w $h")
        fi
    done
}

# Visible windows of the class, counted without looking at each (cheap).
e2e__visible_count() {
    local ids
    ids=$(xdotool search --onlyvisible --classname "^${E2E_CLASS}\$" 2>/dev/null | sort -u) || ids=""
    E2E__VISIBLE=0
    [[ -n $ids ]] && E2E__VISIBLE=$(wc -l <<<"$ids")
    return 0
}

# e2e_windows_of KIND: E2E_KIND_WINS gets the matching lines of E2E_WINS.
e2e_windows_of() {
    local line
    E2E_KIND_WINS=()
    for line in "${E2E_WINS[@]}"; do
        [[ ${line#* } == "$1 "* ]] && E2E_KIND_WINS+=("$line")
    done
    return 0
}

e2e__windows_text() { e2e_list_windows; printf '%s; ' "${E2E_WINS[@]:-none}"; }

# e2e_count KIND: prints how many visible windows of that kind exist now.
e2e_count() { e2e_list_windows; e2e_windows_of "$1"; echo "${#E2E_KIND_WINS[@]}"; }

e2e__set_geometry() { # PREFIX "ID KIND X Y W H"
    local id kind x y w h
    read -r id kind x y w h <<<"$2"
    printf -v "${1}_ID" %s "$id"
    printf -v "${1}_X" %s "$x"
    printf -v "${1}_Y" %s "$y"
    printf -v "${1}_W" %s "$w"
    printf -v "${1}_H" %s "$h"
}

e2e__icon_present() { e2e_list_windows; e2e_windows_of icon; ((${#E2E_KIND_WINS[@]} >= 1)); }
e2e__icon_absent() { e2e_list_windows; e2e_windows_of icon; ((${#E2E_KIND_WINS[@]} == 0)); }

# e2e_wait_docked: waits for the docked icon, checks there is exactly one and
# sets E2E_ICON_{ID,X,Y,W,H}.
e2e_wait_docked() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__icon_present ||
        e2e_fail "expected a docked tray icon (visible window of class $E2E_CLASS with a non-root parent) within $E2E_TIMEOUT_MS ms; program alive: $(e2e_program_alive && echo yes || echo no); saw: $(e2e__windows_text)"
    ((${#E2E_KIND_WINS[@]} == 1)) || e2e_fail "expected exactly one docked icon, saw ${#E2E_KIND_WINS[@]}: ${E2E_KIND_WINS[*]}"
    e2e__set_geometry E2E_ICON "${E2E_KIND_WINS[0]}"
    ((E2E_ICON_W > 0 && E2E_ICON_H > 0)) || e2e_fail "docked icon has no size: ${E2E_KIND_WINS[0]}"
}

e2e_wait_undocked() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__icon_absent ||
        e2e_fail "expected no docked icon of class $E2E_CLASS, saw: $(e2e__windows_text)"
}

e2e__program_windows_gone() { e2e_list_windows; ((${#E2E_WINS[@]} == 0)); }

e2e_wait_no_windows() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__program_windows_gone ||
        e2e_fail "expected no visible window of class $E2E_CLASS, saw: $(e2e__windows_text)"
}

# Colours in a screen area (capped at 64); a freshly mapped window shows one or
# two until painted.
e2e_colours() { "$E2E_TMP/xprobe" colours "$@" 2>/dev/null; }

e2e__painted() { local k; k=$(e2e_colours "$@"); [[ $k =~ ^[0-9]+$ ]] && ((k >= 8)); }

e2e__menu_shown() {
    # The icon alone is visible until the menu maps.
    e2e__visible_count
    ((E2E__VISIBLE >= 2)) || return 1
    e2e_list_windows
    e2e_windows_of popup
    ((${#E2E_KIND_WINS[@]} >= 1)) || return 1
    local id kind x y w h
    read -r id kind x y w h <<<"${E2E_KIND_WINS[0]}"
    e2e__painted "$x" "$y" "$w" "$h"
}

e2e__menu_closed() { e2e_list_windows; e2e_windows_of popup; ((${#E2E_KIND_WINS[@]} == 0)); }

e2e_wait_menu_closed() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__menu_closed ||
        e2e_fail "expected the popup menu to close, saw: $(e2e__windows_text)"
}

# e2e_press_icon BUTTON: moves the pointer onto the icon and presses (and
# releases) BUTTON: 1 left, 3 right. Successive presses alternate between two
# points more than Qt's double-click distance (5 px) apart: a second press at
# the same spot within the double-click interval arrives as a double click,
# which does not open the menu.
E2E__PRESS_SIDE=0
e2e_press_icon() {
    e2e_wait_docked
    e2e_windows_of popup
    ((${#E2E_KIND_WINS[@]} == 0)) || e2e_fail "a popup is already open before pressing the icon: ${E2E_KIND_WINS[*]}"
    local x=$((E2E_ICON_X + E2E_ICON_W / 2)) y=$((E2E_ICON_Y + E2E_ICON_H / 2))
    if ((E2E_ICON_W >= 16)); then
        E2E__PRESS_SIDE=$((1 - E2E__PRESS_SIDE))
        x=$((E2E_ICON_X + (E2E__PRESS_SIDE ? E2E_ICON_W / 4 : E2E_ICON_W * 3 / 4)))
    fi
    # --delay 0: xdotool otherwise sleeps 100 ms after the click.
    xdotool mousemove "$x" "$y" click --delay 0 "$1" || e2e_fail "xdotool could not click button $1 on the icon"
}

# e2e_open_menu: right press on the icon, then waits for exactly one painted
# popup menu; sets E2E_MENU_{ID,X,Y,W,H}.
e2e_open_menu() {
    e2e_press_icon 3
    e2e_poll "$E2E_TIMEOUT_MS" e2e__menu_shown ||
        e2e_fail "expected a painted popup menu (override-redirect window of class $E2E_CLASS, >= 8 colours) after a right press on the icon, saw: $(e2e__windows_text)"
    ((${#E2E_KIND_WINS[@]} == 1)) || e2e_fail "expected exactly one popup menu, saw ${#E2E_KIND_WINS[@]}: ${E2E_KIND_WINS[*]}"
    e2e__set_geometry E2E_MENU "${E2E_KIND_WINS[0]}"
}

# e2e_menu_choose KEY...: types the keys into the open menu (e.g. Down Down
# Return) and waits until the menu has closed.
e2e_menu_choose() {
    xdotool key "$@" || e2e_fail "xdotool key $* failed"
    e2e_poll "$E2E_TIMEOUT_MS" e2e__window_gone "$E2E_MENU_ID" ||
        e2e_fail "expected the popup menu $E2E_MENU_ID to close after the keys $*, saw: $(e2e__windows_text)"
}

# e2e_menu_pick N: opens the menu and chooses the N-th selectable item by keyboard.
e2e_menu_pick() {
    local keys=() i
    for ((i = 0; i < $1; i++)); do keys+=(Down); done
    e2e_open_menu
    e2e_menu_choose "${keys[@]}" Return
}

e2e__named_shown() {
    local ids id line
    E2E__NAMED=()
    ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | sort -u) || return 1
    e2e_list_windows
    for id in $ids; do
        for line in "${E2E_WINS[@]}"; do
            [[ $line == "$id "* ]] && E2E__NAMED+=("$line")
        done
    done
    ((${#E2E__NAMED[@]} >= 1)) || return 1
    local x y w h
    read -r _ _ x y w h <<<"${E2E__NAMED[0]}"
    e2e__painted "$x" "$y" "$w" "$h"
}

# e2e_wait_window_titled TITLE: waits for exactly one visible, painted window
# of the program whose title is TITLE; sets E2E_WIN_{ID,X,Y,W,H}.
e2e_wait_window_titled() {
    local re
    re="^$(printf '%s' "$1" | sed 's/[][\.*^$(){}?+|]/\\&/g')\$"
    e2e_poll "$E2E_TIMEOUT_MS" e2e__named_shown "$re" ||
        e2e_fail "expected a visible, painted window of class $E2E_CLASS titled '$1', saw: $(e2e__windows_text)"
    ((${#E2E__NAMED[@]} == 1)) || e2e_fail "expected exactly one window titled '$1', saw ${#E2E__NAMED[@]}: ${E2E__NAMED[*]}"
    e2e__set_geometry E2E_WIN "${E2E__NAMED[0]}"
}

e2e__window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

e2e_wait_window_gone() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__window_gone "$1" || e2e_fail "expected window $1 to close, it is still visible"
}

e2e__has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }

# e2e_focus_window ID: gives a window the keyboard focus (there is no window
# manager to do it) and waits until the server reports it focused.
# Asks again on every poll: a request made before the window is mapped is lost.
e2e__focus_now() { xdotool windowfocus "$1" 2>/dev/null; e2e__has_focus "$1"; }
e2e_focus_window() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__focus_now "$1" ||
        e2e_fail "expected window $1 to get the keyboard focus, focus is on $(xdotool getwindowfocus 2>&1)"
}

# ---------------------------------------------------------------- screenshots

# e2e_screenshot NAME [X Y W H]: saves the screen (or an area) as NAME.png in
# the artifacts directory.
e2e_screenshot() {
    local out=$E2E_ARTIFACTS/$1.png
    if (($# == 5)); then
        import -silent -window root -crop "${4}x${5}+${2}+${3}" +repage "$out" || e2e_fail "screenshot $out failed"
    else
        import -silent -window root "$out" || e2e_fail "screenshot $out failed"
    fi
    e2e_log "screenshot $out"
}

# e2e_screenshot_menu NAME: the open menu plus a margin (the icon shows too).
e2e_screenshot_menu() {
    local x=$((E2E_MENU_X > 10 ? E2E_MENU_X - 10 : 0)) y=$((E2E_MENU_Y > 10 ? E2E_MENU_Y - 10 : 0))
    e2e_screenshot "$1" "$x" "$y" $((E2E_MENU_X - x + E2E_MENU_W + 10)) $((E2E_MENU_Y - y + E2E_MENU_H + 10))
}

# ---------------------------------------------------------------- menu rows

e2e__menu_area() { printf '%s ' "$E2E_MENU_X" "$E2E_MENU_Y" "$E2E_MENU_W" "$E2E_MENU_H"; }

# Succeeds once the changed area (against the unhighlighted menu) differs from
# the previous highlight and two grabs in a row agree (the repaint is complete).
e2e__highlight_moved() {
    # shellcheck disable=SC2046
    E2E__BOX=$("$E2E_TMP/xprobe" diffbox $(e2e__menu_area) "$E2E_TMP/menu-base.ppm") || return 1
    if [[ $E2E__BOX != none && $E2E__BOX != "$E2E__PREV_BOX" && $E2E__BOX == "$E2E__CAND_BOX" ]]; then
        return 0
    fi
    E2E__CAND_BOX=$E2E__BOX
    return 1
}

# e2e_menu_rows N: with the menu just opened (nothing highlighted), presses
# Down N times and records each highlighted row's box relative to the menu in
# E2E_ROW_{TOP,BOTTOM,LEFT,RIGHT}[1..N] (bottom and right exclusive). The
# unhighlighted menu image stays in $E2E_TMP/menu-base.ppm. This finds the rows
# without knowing the style's metrics.
e2e_menu_rows() {
    local n=$1 k w h x y
    E2E_ROW_TOP=() E2E_ROW_BOTTOM=() E2E_ROW_LEFT=() E2E_ROW_RIGHT=()
    # shellcheck disable=SC2046
    "$E2E_TMP/xprobe" grab $(e2e__menu_area) "$E2E_TMP/menu-base.ppm" || e2e_fail "could not grab the menu"
    E2E__PREV_BOX=none
    for ((k = 1; k <= n; k++)); do
        xdotool key Down || e2e_fail "xdotool key Down failed"
        E2E__CAND_BOX=""
        e2e_poll "$E2E_TIMEOUT_MS" e2e__highlight_moved ||
            e2e_fail "after Down #$k expected a newly highlighted menu row; the changed area stayed '${E2E__BOX:-none}' (before: '$E2E__PREV_BOX')"
        E2E__PREV_BOX=$E2E__BOX
        [[ $E2E__BOX =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || e2e_fail "bad box '$E2E__BOX'"
        w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
        E2E_ROW_TOP[k]=$y E2E_ROW_BOTTOM[k]=$((y + h)) E2E_ROW_LEFT[k]=$x E2E_ROW_RIGHT[k]=$((x + w))
        e2e_log "row $k: ${w}x${h}+${x}+${y}"
    done
}

# Crop of row K's inside (2 px in from the highlight box, which may cover
# the menu frame) of the unhighlighted menu.
e2e__row_crop() {
    local k=$1
    printf '%dx%d+%d+%d' $((E2E_ROW_RIGHT[k] - E2E_ROW_LEFT[k] - 4)) $((E2E_ROW_BOTTOM[k] - E2E_ROW_TOP[k] - 4)) \
        $((E2E_ROW_LEFT[k] + 2)) $((E2E_ROW_TOP[k] + 2))
}

# e2e_row_signature K: pixel hash of row K; equal captions give equal hashes.
e2e_row_signature() { convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$1")" +repage -format '%#' info:; }

e2e_row_colours() { convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$1")" +repage -format '%k' info:; }

# e2e_menu_area_colours X0 Y0 X1 Y1: colours in a box of the unhighlighted menu (end exclusive).
e2e_menu_area_colours() {
    convert "$E2E_TMP/menu-base.ppm" -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage -format '%k' info:
}

# ---------------------------------------------------------------- the store

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

e2e_defaults() {
    local i
    E2E_DEFAULTS=()
    for i in 0 1 2 3 4; do E2E_DEFAULTS+=("$E2E_DEFAULT_TITLE" "$E2E_DEFAULT_URL"); done
}

# e2e_row_text_width K: width of what is drawn in row K (its caption), measured
# against the row's background.
e2e_row_text_width() {
    convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$1")" +repage -fuzz 20% -trim -format '%w' info:
}

# ================================================================ private folder, editor, install
# Helpers for the scenarios on the private folder, the bookmark editor and the
# installed tree. Kept apart from the rest: e2e_folder_*, e2e_editor_*, e2e_install_*.

E2E_FOLDER_BOX_TITLE='Quorvel フォルダーエラー'
E2E_EDITOR_TITLE='Quorvel Private URL Editor'
E2E_EDITOR_W=417
E2E_EDITOR_H=176
E2E_FOLDER_PEER=
E2E_FOLDER_PINGS=0
declare -gA E2E_FOLDER_PEER_PID=() E2E_FOLDER_PEER_ID=() E2E_FOLDER_PEER_LOG=()

# e2e_folder_peer: builds xpeer.c (other X clients: windows to close, a stand-in
# window manager, clipboard access) once; the editor helpers use it too.
e2e_folder_peer() {
    [[ -n $E2E_FOLDER_PEER ]] && return 0
    cc -O1 -o "$E2E_TMP/xpeer" "$E2E_LIB_DIR/xpeer.c" -lX11 2>"$E2E_TMP/cc-xpeer.log" ||
        e2e_fail "could not build xpeer.c: $(cat "$E2E_TMP/cc-xpeer.log")"
    E2E_FOLDER_PEER=$E2E_TMP/xpeer
}

# e2e_folder_program_dir DIR: a copy of the program (and Help/) in DIR, so that
# private folders are made there and not in the build tree. Sets
# E2E_FOLDER_EXE, E2E_FOLDER_DIR (resolved) and E2E_FOLDER_PATH (DIR/login name).
e2e_folder_program_dir() {
    mkdir -p "$1" || e2e_fail "could not make $1"
    cp "$E2E_PROGRAM" "$1/quorvel" && cp -r "$E2E_PROGRAM_DIR/Help" "$1/Help" ||
        e2e_fail "could not copy the program to $1"
    E2E_FOLDER_EXE=$1/quorvel
    E2E_FOLDER_DIR=$(readlink -f "$1")
    E2E_FOLDER_PATH=$E2E_FOLDER_DIR/$(id -un)
}

# e2e_folder_state PATH...: one line per entry under each PATH (itself
# included): type, owner, mode, size, mtime, link target and a content hash.
e2e_folder_state() {
    local p
    for p in "$@"; do
        [[ -e $p || -L $p ]] || { printf '%s absent\n' "$p"; continue; }
        find "$p" -printf '%p %y %U:%G %m %s %T@ ->%l ' -exec sh -c \
            'if [ -f "$1" ] && [ ! -L "$1" ]; then md5sum <"$1"; else echo -; fi' _ {} \; | sort
    done
}

# e2e_folder_read_message: the text of the message box in E2E_WIN_*, read by
# dragging over it with the mouse (the style lets a message be selected) and
# reading the PRIMARY selection. Sets E2E_FOLDER_MESSAGE.
e2e_folder_read_message() {
    e2e_folder_peer
    local img=$E2E_TMP/message.ppm bg geo tx ty th
    "$E2E_TMP/xprobe" grab "$E2E_WIN_X" "$E2E_WIN_Y" "$E2E_WIN_W" "$E2E_WIN_H" "$img" ||
        e2e_fail "could not grab the message box"
    # The icon is the first thing drawn on the left, the text right of it after
    # a gap; the button sits at the bottom right, so a strip at the text's left
    # edge holds only the text lines. Columns with ink: the left half squeezed
    # to one row, background black, anything else white.
    bg=$(convert "$img" -format "%[pixel:p{$((E2E_WIN_W - 2)),2}]" info:)
    tx=$(convert "$img" -crop "$((E2E_WIN_W / 2))x${E2E_WIN_H}+0+0" +repage -fuzz 10% -fill black -opaque "$bg" \
        -fill white +opaque black -colorspace gray -scale "$((E2E_WIN_W / 2))x1!" -depth 8 -compress none pgm:- |
        awk 'BEGIN { RS = "[ \t\n]+" }
             NR > 4 {
                 if ($1 > 0) { if (gap >= 6 && seen) { print NR - 5; exit } seen = 1; gap = 0 }
                 else if (seen) gap++
             }')
    [[ $tx =~ ^[0-9]+$ ]] || e2e_fail "no icon followed by text found at the left of the message box"
    geo=$(convert "$img" -crop "24x${E2E_WIN_H}+${tx}+0" +repage -fuzz 10% -trim -format '%h %Y' info:)
    th=${geo% *} ty=${geo#* }
    ((th >= 8)) || e2e_fail "no text found in the message box (text left edge $tx, strip trim: $geo)"
    "$E2E_FOLDER_PEER" clear PRIMARY
    xdotool mousemove $((E2E_WIN_X + tx + 1)) $((E2E_WIN_Y + ty + 4)) mousedown 1 \
        mousemove $((E2E_WIN_X + tx + 40)) $((E2E_WIN_Y + ty + 8)) \
        mousemove $((E2E_WIN_X + E2E_WIN_W - 3)) $((E2E_WIN_Y + ty + th - 3)) mouseup 1 ||
        e2e_fail "xdotool could not drag over the message"
    e2e_poll "$E2E_TIMEOUT_MS" e2e_folder__read_selection PRIMARY ||
        e2e_fail "could not read the message box's text through the PRIMARY selection"
    E2E_FOLDER_MESSAGE=$E2E_FOLDER_TEXT
}

e2e_folder__read_selection() {
    local text
    text=$("$E2E_FOLDER_PEER" text "$1" 200 && echo x) || return 1
    E2E_FOLDER_TEXT=${text%x}
}

# e2e_folder_expect_message TITLE PART...: waits for the message box TITLE,
# saves a screenshot (NAME: E2E_FOLDER_SHOT if set), checks that its text
# contains each PART, then presses OK and waits until it is gone.
e2e_folder_expect_message() {
    local title=$1 part
    shift
    e2e_wait_window_titled "$title"
    e2e_screenshot "${E2E_FOLDER_SHOT:-message}" "$E2E_WIN_X" "$E2E_WIN_Y" "$E2E_WIN_W" "$E2E_WIN_H"
    e2e_folder_read_message
    for part in "$@"; do
        [[ $E2E_FOLDER_MESSAGE == *"$part"* ]] ||
            e2e_fail "message box '$title': expected its text to contain $(printf '%q' "$part"), saw $(printf '%q' "$E2E_FOLDER_MESSAGE")"
    done
    e2e_program_alive || e2e_fail "the program exited while its message box '$title' was shown"
    e2e_focus_window "$E2E_WIN_ID"
    xdotool key Return || e2e_fail "xdotool key Return failed"
    e2e_wait_window_gone "$E2E_WIN_ID"
}

# e2e_folder_peer_window NAME XPEER-WINDOW-ARGS...: maps a window of another
# client (see xpeer.c) and waits until it is mapped; E2E_FOLDER_PEER_ID[NAME].
e2e_folder_peer_window() {
    local name=$1
    shift
    e2e_folder_peer
    E2E_FOLDER_PEER_LOG[$name]=$E2E_TMP/peer-$name.log
    : >"${E2E_FOLDER_PEER_LOG[$name]}"
    "$E2E_FOLDER_PEER" window "${E2E_FOLDER_PEER_LOG[$name]}" "$@" 2>>"$E2E_TMP/peers.log" &
    E2E_FOLDER_PEER_PID[$name]=$!
    e2e__track "$!" "peer $name"
    e2e_poll "$E2E_TIMEOUT_MS" grep -q '^mapped ' "${E2E_FOLDER_PEER_LOG[$name]}" ||
        e2e_fail "peer window $name ($*) was not mapped"
    E2E_FOLDER_PEER_ID[$name]=$(sed -n 's/^mapped //p' "${E2E_FOLDER_PEER_LOG[$name]}" | head -n 1)
}

# e2e_folder_peer_sync NAME: a ping through the X server to the peer; once it
# has logged it, it has also logged every message sent to it before.
e2e_folder_peer_sync() {
    local name=$1
    E2E_FOLDER_PINGS=$((E2E_FOLDER_PINGS + 1))
    "$E2E_FOLDER_PEER" ping "${E2E_FOLDER_PEER_ID[$name]}" "$E2E_FOLDER_PINGS" || e2e_fail "could not ping peer $name"
    e2e_poll "$E2E_TIMEOUT_MS" grep -qx "ping $E2E_FOLDER_PINGS" "${E2E_FOLDER_PEER_LOG[$name]}" ||
        e2e_fail "peer $name did not answer ping $E2E_FOLDER_PINGS; its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
}

# e2e_folder_peer_wm NAME...: starts the stand-in window manager (peer "wm"),
# which puts the named peer windows into frames and lists them as its clients.
e2e_folder_peer_wm() {
    local ids=() n log=$E2E_TMP/peer-wm.log
    for n in "$@"; do ids+=("${E2E_FOLDER_PEER_ID[$n]}"); done
    e2e_folder_peer
    E2E_FOLDER_PEER_LOG[wm]=$log
    : >"$log"
    "$E2E_FOLDER_PEER" wm "$log" "${ids[@]}" 2>>"$E2E_TMP/peers.log" &
    E2E_FOLDER_PEER_PID[wm]=$!
    e2e__track "$!" "peer wm"
    e2e_poll "$E2E_TIMEOUT_MS" grep -q '^ready ' "$log" || e2e_fail "the stand-in window manager did not start: $(cat "$E2E_TMP/peers.log")"
    E2E_FOLDER_PEER_ID[wm]=$(sed -n 's/^ready //p' "$log" | head -n 1)
}

# e2e_folder_expect_closed NAME: the peer window got WM_DELETE_WINDOW and ended with status 0.
e2e_folder_expect_closed() {
    local name=$1 pid=${E2E_FOLDER_PEER_PID[$1]} rc
    e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$pid" ||
        e2e_fail "expected window $name (${E2E_FOLDER_PEER_ID[$name]}) to be closed; its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
    wait "$pid"
    rc=$?
    e2e__untrack "$pid"
    grep -qx delete "${E2E_FOLDER_PEER_LOG[$name]}" && ((rc == 0)) ||
        e2e_fail "window $name ended without WM_DELETE_WINDOW (status $rc); its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
}

# e2e_folder_expect_open NAME: the peer window still runs and got no client
# message other than pings (checked after a ping round trip).
e2e_folder_expect_open() {
    local name=$1 other
    e2e__alive "${E2E_FOLDER_PEER_PID[$name]}" ||
        e2e_fail "window $name (${E2E_FOLDER_PEER_ID[$name]}) was closed; its log: $(tr '\n' ';' <"${E2E_FOLDER_PEER_LOG[$name]}")"
    e2e_folder_peer_sync "$name"
    other=$(grep -v -e '^mapped ' -e '^ping ' "${E2E_FOLDER_PEER_LOG[$name]}")
    e2e_expect_eq "client messages received by window $name" "" "$other"
}

# ---------------------------------------------------------------- the editor

# e2e_editor_open: URL編集 (the sixth selectable row), then waits for the one
# editor window; sets E2E_EDITOR_{ID,X,Y}.
e2e_editor_open() {
    e2e_folder_peer
    e2e_menu_pick 6
    e2e_wait_window_titled "$E2E_EDITOR_TITLE"
    E2E_EDITOR_ID=$E2E_WIN_ID E2E_EDITOR_X=$E2E_WIN_X E2E_EDITOR_Y=$E2E_WIN_Y
    e2e_expect_eq "editor client size" "${E2E_EDITOR_W}x${E2E_EDITOR_H}" "${E2E_WIN_W}x${E2E_WIN_H}"
}

e2e_editor_focus() { e2e_focus_window "$E2E_EDITOR_ID"; }

# e2e_editor_click_box KIND ROW [KEY...]: clicks the middle of a box (KIND
# title or url, ROW 0-4), then presses the keys.
e2e_editor_click_box() {
    local x y=$((24 + 24 * $2 + 9)) keys=()
    case $1 in
        title) x=$((24 + 56)) ;;
        url) x=$((144 + 132)) ;;
        *) e2e_fail "e2e_editor_click_box: unknown box kind $1" ;;
    esac
    (($# > 2)) && keys=(key "${@:3}")
    xdotool mousemove $((E2E_EDITOR_X + x)) $((E2E_EDITOR_Y + y)) click --delay 0 1 "${keys[@]}" ||
        e2e_fail "xdotool could not click the $1 box of row $2 (keys: ${*:3})"
}

# e2e_editor_read KIND ROW: the box's text, through Ctrl+A Ctrl+C and the
# CLIPBOARD selection (emptied first). Sets E2E_EDITOR_TEXT.
e2e_editor_read() {
    "$E2E_FOLDER_PEER" clear CLIPBOARD
    e2e_editor_click_box "$1" "$2" ctrl+a ctrl+c
    e2e_poll "$E2E_TIMEOUT_MS" e2e_folder__read_selection CLIPBOARD ||
        e2e_fail "could not copy the $1 box of row $2 (empty box, or no copy)"
    E2E_EDITOR_TEXT=$E2E_FOLDER_TEXT
}

# e2e_editor_expect_boxes TITLE0 URL0 ... TITLE4 URL4: every box shows its value.
e2e_editor_expect_boxes() {
    (($# == 10)) || e2e_fail "e2e_editor_expect_boxes needs 10 values, got $#"
    local vals=("$@") row
    e2e_editor_focus
    for row in 0 1 2 3 4; do
        e2e_editor_read title "$row"
        e2e_expect_eq "editor title box $((row + 1))" "${vals[2 * row]}" "$E2E_EDITOR_TEXT"
        e2e_editor_read url "$row"
        e2e_expect_eq "editor URL box $((row + 1))" "${vals[2 * row + 1]}" "$E2E_EDITOR_TEXT"
    done
}

# e2e_editor_keys TEXT...: puts every character of TEXT on a key of its own,
# before the program starts: xdotool would otherwise remap a key for each
# character not on the keyboard and undo it at once, and the program, reading
# the keymap after the undo, loses the character now and then.
e2e_editor_keys() {
    e2e_folder_peer
    "$E2E_FOLDER_PEER" keys "$@" || e2e_fail "could not put the characters of $* on keys"
}

# e2e_editor_type TEXT: types into the focused box (Japanese too, once on keys).
e2e_editor_type() {
    "$E2E_FOLDER_PEER" keys --check "$1" || e2e_fail "characters of $(printf '%q' "$1") are not on keys: call e2e_editor_keys first"
    xdotool type --delay 20 -- "$1" || e2e_fail "xdotool could not type $(printf '%q' "$1")"
}

# e2e_editor_set KIND ROW TEXT: replaces a box's text (empty: clears it) and
# reads it back, so that a lost key shows here and not later.
e2e_editor_set() {
    e2e_editor_click_box "$1" "$2" ctrl+a BackSpace
    [[ -n $3 ]] || return 0
    e2e_editor_type "$3"
    e2e_editor_read "$1" "$2"
    e2e_expect_eq "the $1 box of row $2 after typing" "$3" "$E2E_EDITOR_TEXT"
}

# e2e_editor_click_button Cancel|OK: clicks the button (e2e_editor_wait_closed waits).
e2e_editor_click_button() {
    local x
    case $1 in
        Cancel) x=$((248 + 36)) ;;
        OK) x=$((336 + 36)) ;;
        *) e2e_fail "e2e_editor_click_button: unknown button $1" ;;
    esac
    xdotool mousemove $((E2E_EDITOR_X + x)) $((E2E_EDITOR_Y + 144 + 12)) click --delay 0 1 ||
        e2e_fail "xdotool could not click $1"
}

e2e_editor_wait_closed() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e__window_gone "$E2E_EDITOR_ID" ||
        e2e_fail "expected the editor ($E2E_EDITOR_ID) to close after $1, it is still shown"
}

# e2e_editor_close: WM_DELETE_WINDOW, as a window manager sends for the title bar's close button.
e2e_editor_close() {
    "$E2E_FOLDER_PEER" close "$E2E_EDITOR_ID" || e2e_fail "could not send WM_DELETE_WINDOW to the editor"
    e2e_editor_wait_closed "WM_DELETE_WINDOW"
}

# e2e_editor_menu_signatures: opens the menu and sets E2E_EDITOR_SIG[1..5],
# pixel hashes of the five bookmark captions, trimmed so that they do not
# depend on the menu's width (the longest caption); closes the menu.
e2e_editor_menu_signatures() {
    local k
    E2E_EDITOR_SIG=()
    e2e_open_menu
    e2e_menu_rows 5
    for k in 1 2 3 4 5; do
        E2E_EDITOR_SIG[k]=$(convert "$E2E_TMP/menu-base.ppm" -crop "$(e2e__row_crop "$k")" +repage \
            -fuzz 20% -trim +repage -format '%wx%h %#' info:)
    done
    e2e_menu_choose Escape
}

# ---------------------------------------------------------------- the installed tree

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

# ================================================================ fault and abuse helpers
# For tests/robustness: the store read through QSettings (quorvel_store_probe),
# the editor, message boxes, memory, and the C helpers savekill.c (kill -9 at a
# chosen point of a save) and xdrive.c (long input soaks). All named e2e_fault_*.

E2E_FAULT_DIR=$(cd "$E2E_LIB_DIR/../robustness" 2>/dev/null && pwd -P)
E2E_FAULT_EDITOR_TITLE='Quorvel Private URL Editor'

# e2e_fault_init NAME [PROGRAM]: e2e_init, then the store probe (built by CMake
# beside the program's build tree, or $QUORVEL_STORE_PROBE).
e2e_fault_init() {
    e2e_init "$@"
    E2E_FAULT_PROBE=${QUORVEL_STORE_PROBE:-$E2E_PROGRAM_DIR/../tests/robustness/quorvel_store_probe}
    [[ -x $E2E_FAULT_PROBE ]] ||
        e2e_fail "store probe not found: $E2E_FAULT_PROBE (build the target quorvel_store_probe or set QUORVEL_STORE_PROBE)"
    E2E_FAULT_TABLE_KEYS=()
    local i
    for i in 0 1 2 3 4; do E2E_FAULT_TABLE_KEYS+=("Url Info/Title url$i" "Url Info/url$i"); done
}

# e2e_fault_need savekill|xdrive: builds that C helper into $E2E_TMP.
e2e_fault_need() {
    local libs=()
    [[ $1 == xdrive ]] && libs=(-lX11 -lXtst)
    cc -O1 -o "$E2E_TMP/$1" "$E2E_FAULT_DIR/$1.c" "${libs[@]}" 2>"$E2E_TMP/cc-$1.log" ||
        e2e_fail "could not build $1.c (xdrive needs libxtst-dev): $(cat "$E2E_TMP/cc-$1.log")"
}

e2e_fault_b64() { printf '%s' "$1" | base64 -w0; }
# Bytes given with printf %b escapes (\0, \r, \n, \xHH), as base64.
e2e_fault_b64_escaped() { printf '%b' "$1" | base64 -w0; }
e2e_fault_sha_b64() { base64 -d <<<"$1" | sha256sum | cut -d' ' -f1; }

# e2e_fault_dump FILE: reads FILE as the program would. Sets E2E_FAULT_STATUS
# (QSettings status: 0 fine, 2 format error), E2E_FAULT_KEYS (in file order),
# and per key E2E_FAULT_SHA, E2E_FAULT_LEN and E2E_FAULT_HEAD (base64 of the
# first 256 bytes).
e2e_fault_dump() {
    local out tag k sha len head key
    out=$("$E2E_FAULT_PROBE" dump "$1" 2>&1) || { E2E_FAULT_STATUS=missing; E2E_FAULT_DUMP_ERR=$out; return 1; }
    E2E_FAULT_KEYS=()
    declare -gA E2E_FAULT_SHA=() E2E_FAULT_LEN=() E2E_FAULT_HEAD=()
    E2E_FAULT_STATUS=
    while read -r tag k sha len head; do
        case $tag in
            status) E2E_FAULT_STATUS=$k ;;
            K)
                key=$(base64 -d <<<"$k")
                E2E_FAULT_KEYS+=("$key")
                E2E_FAULT_SHA[$key]=$sha E2E_FAULT_LEN[$key]=$len E2E_FAULT_HEAD[$key]=$head
                ;;
        esac
    done <<<"$out"
}

# Describes what FILE holds for the bookmark keys (for failure messages).
e2e_fault_describe() {
    local key
    e2e_fault_dump "$1" || { printf '%s: %s\n' "$1" "$E2E_FAULT_DUMP_ERR"; return; }
    printf 'status %s\n' "$E2E_FAULT_STATUS"
    for key in "${E2E_FAULT_KEYS[@]}"; do
        printf '  %s = %s (%s bytes)\n' "$key" "$(printf '%q' "$(base64 -d <<<"${E2E_FAULT_HEAD[$key]}" | tr '\0' '@')")" "${E2E_FAULT_LEN[$key]}"
    done
}

# e2e_fault_hashes B64...: E2E_FAULT_HASHES gets the sha256 of each value
# (big tables are compared by hash; passing megabytes around in bash is slow).
e2e_fault_hashes() {
    local v
    E2E_FAULT_HASHES=()
    for v in "$@"; do E2E_FAULT_HASHES+=("$(e2e_fault_sha_b64 "$v")"); done
}

# e2e_fault_table_is FILE SHA_TITLE0 SHA_URL0 ... SHA_URL4: FILE reads back as
# exactly this table (the ten keys of [Url Info], each value byte for byte, by
# hash) without a format error. Other groups and keys are not looked at. Sets
# E2E_FAULT_WHY.
e2e_fault_table_is() {
    local file=$1 i key
    shift
    E2E_FAULT_WHY=
    e2e_fault_dump "$file" || { E2E_FAULT_WHY="cannot read: $E2E_FAULT_DUMP_ERR"; return 1; }
    [[ $E2E_FAULT_STATUS == 0 ]] || { E2E_FAULT_WHY="QSettings status $E2E_FAULT_STATUS (format error)"; return 1; }
    for i in "${!E2E_FAULT_TABLE_KEYS[@]}"; do
        key=${E2E_FAULT_TABLE_KEYS[i]}
        if [[ -z ${E2E_FAULT_SHA[$key]:-} ]]; then
            E2E_FAULT_WHY="key '$key' missing"
            return 1
        fi
        if [[ ${E2E_FAULT_SHA[$key]} != "${@:i+1:1}" ]]; then
            E2E_FAULT_WHY="key '$key' differs"
            return 1
        fi
    done
}

# e2e_fault_expect_table_b64 FILE B64 x10 / e2e_fault_expect_table FILE TEXT x10
e2e_fault_expect_table_b64() {
    local file=$1
    shift
    e2e_fault_hashes "$@"
    e2e_fault_table_is "$file" "${E2E_FAULT_HASHES[@]}" ||
        e2e_fail "expected $file to hold the confirmed table: $E2E_FAULT_WHY."$'\n'"expected (first 80 bytes each):"$'\n'"$(e2e_fault__show_b64 "$@")"$'\n'"saw:"$'\n'"$(e2e_fault_describe "$file")"
}
e2e_fault_expect_table() {
    local file=$1
    shift
    e2e_fault_to_b64 "$@"
    e2e_fault_expect_table_b64 "$file" "${E2E_FAULT_B64[@]}"
}
e2e_fault__show_b64() {
    local v
    for v in "$@"; do printf '  %q\n' "$(base64 -d <<<"$v" | head -c 80 | tr '\0' '@')"; done
}
# Text values as base64, into E2E_FAULT_B64.
e2e_fault_to_b64() {
    local v
    E2E_FAULT_B64=()
    for v in "$@"; do E2E_FAULT_B64+=("$(e2e_fault_b64 "$v")"); done
}

# e2e_fault_write_store FILE B64 x10 [KEY B64]...: writes a store through
# QSettings (so control characters come out escaped as QSettings escapes them)
# into a temp file, then renames it onto FILE.
e2e_fault_write_store() {
    local file=$1 tmp i
    shift
    mkdir -p "$(dirname "$file")"
    tmp=$(mktemp "$E2E_TMP/store.XXXXXX") && rm -f "$tmp"
    {
        for i in "${!E2E_FAULT_TABLE_KEYS[@]}"; do
            printf '%s\t%s\n' "${E2E_FAULT_TABLE_KEYS[i]}" "${@:i+1:1}"
        done
        shift 10
        while (($# >= 2)); do printf '%s\t%s\n' "$1" "$2"; shift 2; done
    } | "$E2E_FAULT_PROBE" write "$tmp" || e2e_fail "the store probe could not write $tmp"
    mv -f "$tmp" "$file" || e2e_fail "could not move the seeded store onto $file"
}

# e2e_fault_state PATH...: type, owner, mode, size, link target and content
# hash of each entry under each PATH; equal output, untouched tree.
e2e_fault_state() {
    local p
    for p in "$@"; do
        [[ -e $p || -L $p ]] || { printf '%s absent\n' "$p"; continue; }
        find "$p" -printf '%p %y %U %m %s %T@ ->%l ' -exec sh -c \
            'if [ -f "$1" ] && [ ! -L "$1" ]; then md5sum <"$1"; else echo -; fi' _ {} \; | sort
    done
}

# Entries of the config folder other than the store itself (leftovers).
e2e_fault_leftovers() {
    find "$(dirname "$E2E_STORE")" -mindepth 1 -maxdepth 1 ! -name Quorvel.ini -printf '%P\n' 2>/dev/null | sort | tr '\n' ' '
}

# ---------------------------------------------------------------- fault: the editor and boxes

# e2e_fault_open_editor: URL編集 from the menu; waits for the painted editor,
# focuses it; sets E2E_FAULT_ED_{ID,X,Y}.
e2e_fault_open_editor() {
    e2e_menu_pick 6
    e2e_wait_window_titled "$E2E_FAULT_EDITOR_TITLE"
    E2E_FAULT_ED_ID=$E2E_WIN_ID E2E_FAULT_ED_X=$E2E_WIN_X E2E_FAULT_ED_Y=$E2E_WIN_Y
    e2e_focus_window "$E2E_FAULT_ED_ID"
}

# e2e_fault_editor_set title|url ROW TEXT: replaces a box's text (ASCII, typed).
e2e_fault_editor_set() {
    local x=$((E2E_FAULT_ED_X + 24 + 40)) y=$((E2E_FAULT_ED_Y + 24 + 24 * $2 + 9))
    [[ $1 == url ]] && x=$((E2E_FAULT_ED_X + 144 + 60))
    xdotool mousemove "$x" "$y" click --delay 0 1 key ctrl+a BackSpace type --delay 1 -- "$3" ||
        e2e_fail "xdotool could not type into the $1 box of row $2"
}

# e2e_fault_editor_press ok|cancel: clicks the button (the caller waits for what follows).
e2e_fault_editor_press() {
    local x=$((E2E_FAULT_ED_X + 248 + 36)) y=$((E2E_FAULT_ED_Y + 144 + 12))
    [[ $1 == ok ]] && x=$((E2E_FAULT_ED_X + 336 + 36))
    xdotool mousemove "$x" "$y" click --delay 0 1 || e2e_fail "xdotool could not click $1"
}

e2e_fault_wait_editor_gone() { e2e_wait_window_gone "$E2E_FAULT_ED_ID"; }

# e2e_fault_box_ok TITLE: the message box TITLE is up; presses its OK (Return)
# and waits until it is gone.
e2e_fault_box_ok() {
    e2e_wait_window_titled "$1"
    e2e_focus_window "$E2E_WIN_ID"
    xdotool key Return || e2e_fail "xdotool key Return failed"
    e2e_wait_window_gone "$E2E_WIN_ID"
}

# ---------------------------------------------------------------- fault: processes and memory

# Resident memory of the program in kB.
e2e_fault_rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$E2E_PROGRAM_PID/status"; }

# e2e_fault_kill_x: the X server goes away under the program (SIGKILL).
e2e_fault_kill_x() {
    {
        kill -KILL "$E2E_XVFB_PID"
        e2e_poll "$E2E_TIMEOUT_MS" e2e__not_alive "$E2E_XVFB_PID"
        wait "$E2E_XVFB_PID"
    } 2>/dev/null
    e2e__untrack "$E2E_XVFB_PID"
    e2e_log "Xvfb killed"
}

# The two points on the icon that e2e_press_icon alternates between: E2E_FAULT_POINTS.
e2e_fault_icon_points() {
    e2e_wait_docked
    local y=$((E2E_ICON_Y + E2E_ICON_H / 2))
    E2E_FAULT_POINTS=($((E2E_ICON_X + E2E_ICON_W / 4)) "$y" $((E2E_ICON_X + E2E_ICON_W * 3 / 4)) "$y")
    ((E2E_ICON_W >= 16)) || e2e_fail "icon too narrow for two press points: ${E2E_ICON_W} px"
}

e2e_fault__exit_or_box() {
    e2e__program_gone && return 0
    e2e__named_shown "^$1\$"
}

# e2e_fault_expect_clean_exit BOX_TITLE WHAT: the program ends with status 0 and shows no box
# BOX_TITLE on the way (a save-failure box where none is due fails with a clear message).
e2e_fault_expect_clean_exit() {
    e2e_poll "$E2E_TIMEOUT_MS" e2e_fault__exit_or_box "$1" ||
        e2e_fail "$2: expected the program to exit within $E2E_TIMEOUT_MS ms; windows: $(e2e__windows_text)"
    e2e__program_gone ||
        e2e_fail "$2: the message box '$1' appeared; expected no box. Store now:"$'\n'"$(e2e_fault_describe "$E2E_STORE")"$'\n'"config folder: $(e2e_fault_leftovers)"
    e2e_expect_exit_status 0
}

e2e_fault__editor_gone_or_box() {
    e2e__window_gone "$E2E_FAULT_ED_ID" && return 0
    e2e__named_shown "^$1\$"
}

# e2e_fault_ok_without_box WHAT: presses OK in the editor; the editor must close without the
# save-failure box "Quorvel エラー".
e2e_fault_ok_without_box() {
    e2e_fault_editor_press ok
    e2e_poll "$E2E_TIMEOUT_MS" e2e_fault__editor_gone_or_box "Quorvel エラー" ||
        e2e_fail "$1: the editor did not close after OK; windows: $(e2e__windows_text)"
    e2e__window_gone "$E2E_FAULT_ED_ID" ||
        e2e_fail "$1: OK showed the box 'Quorvel エラー' (URLを保存できませんでした。); expected no box. Store now:"$'\n'"$(e2e_fault_describe "$E2E_STORE")"$'\n'"config folder: $(e2e_fault_leftovers)"
}

# e2e_fault_mount_tmpfs DIR SIZE: a small tmpfs on DIR (for a full disk), unmounted by the
# cleanup through a tracked watcher process. Returns 1 when mounting is not allowed here.
e2e_fault_mount_tmpfs() {
    mkdir -p "$1"
    mount -t tmpfs -o "size=$2,mode=0755" tmpfs "$1" 2>"$E2E_TMP/mount.log" || return 1
    (
        trap 'kill "$sleeper" 2>/dev/null; umount -l "$1"; exit 0' TERM
        sleep 3600 &
        sleeper=$!
        wait "$sleeper"
    ) &
    e2e__track "$!" "tmpfs on $1"
}

# KB free on the file system of DIR.
e2e_fault_free_kb() { df --output=avail -k "$1" | tail -n 1 | tr -d ' '; }
