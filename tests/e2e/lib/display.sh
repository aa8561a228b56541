# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The private X display (Xvfb) and the XEmbed tray host (trayer).

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

e2e_tray_owner() { "$E2E_PROBE" owner "$E2E_TRAY_SELECTION" >/dev/null 2>&1; }
e2e__tray_unowned() { ! e2e_tray_owner; }

# e2e_start_tray [WIDTH]: trayer at the top left, WIDTH (default 200) by 32 px.
e2e_start_tray() {
    E2E_TRAY_RUNS=$((E2E_TRAY_RUNS + 1))
    printf -- '--- trayer start %d\n' "$E2E_TRAY_RUNS" >>"$E2E_TMP/trayer.log"
    trayer --edge top --align left --widthtype pixel --width "${1:-200}" --heighttype pixel --height 32 \
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
