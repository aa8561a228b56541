# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The program under test: start, idle, exit, signals.

# e2e_start_program [--unprivileged] [--cwd DIR] [--exe PATH] [--env ENV_ARG]... [-- ARGS...]
# --unprivileged drops the capabilities that let root write through permission
# bits; --env passes an argument to env(1) (-u NAME, NAME=VALUE). It runs as
# the session's user when hosts_session_user chose one. Signals are reset to
# default (a background job of a script would otherwise ignore SIGINT).
e2e_start_program() {
    local exe=$E2E_PROGRAM cwd=$E2E_TMP priv=() env=()
    while (($#)); do
        case $1 in
            --unprivileged) priv=(setpriv --bounding-set "-dac_override,-dac_read_search" --) ;;
            --cwd) cwd=$2; shift ;;
            --exe) exe=$2; shift ;;
            --env) env+=("$2"); shift ;;
            --) shift; break ;;
            *) break ;;
        esac
        shift
    done
    E2E_PROGRAM_RUNS=$((E2E_PROGRAM_RUNS + 1))
    E2E_PROGRAM_LOG=$E2E_TMP/program.$E2E_PROGRAM_RUNS.log
    (cd "$cwd" && exec env --default-signal "${env[@]}" PATH="$E2E_TMP/bin:$PATH" "${HOSTS_AS[@]}" \
        "${priv[@]}" "$exe" "$@") </dev/null >"$E2E_PROGRAM_LOG" 2>&1 &
    E2E_PROGRAM_PID=$!
    e2e__track "$E2E_PROGRAM_PID" program
    e2e_log "started program run $E2E_PROGRAM_RUNS (pid $E2E_PROGRAM_PID) as $HOSTS_USER ${priv[*]:+unprivileged}"
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
