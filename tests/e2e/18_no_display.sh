#!/bin/bash
# SPDX-License-Identifier: MIT
# Without a display it can reach, the program says so in one line on stderr and ends with
# status 1, before Qt starts (which would abort and suggest reinstalling): no display named,
# an X display with no server, an X server that refuses the connection (access control on,
# no cookie), a Wayland display with no compositor, and a platform asked for by
# QT_QPA_PLATFORM whose display is missing; an X server and a compositor that take the
# connection and never answer (Qt would wait for ever) within the check's bound. A Wayland session (headless sway, run by a real
# unprivileged user, as sway refuses root) with no DISPLAY starts, and so does the offscreen
# platform without any display.
# Usage: 18_no_display.sh [PROGRAM]
source "$(dirname "$0")/lib.sh"
e2e_init 18_no_display "${1:-}"

# expect_refusal WHAT PART ENV-ARGS...: run with the environment changed by ENV-ARGS.
expect_refusal() {
    local what=$1 part=$2 rc=0
    shift 2
    timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$E2E_PROGRAM" \
        >"$E2E_TMP/out" 2>"$E2E_TMP/err" </dev/null || rc=$?
    e2e_expect_eq "exit status ($what)" 1 "$rc"
    e2e_expect_eq "stdout ($what)" "" "$(cat "$E2E_TMP/out")"
    e2e_expect_eq "lines on stderr ($what): $(cat "$E2E_TMP/err")" 1 "$(wc -l <"$E2E_TMP/err")"
    grep -q "^quorvel: no display to show the tray icon on (.*$part" "$E2E_TMP/err" ||
        e2e_fail "expected stderr ($what) to say why, naming $part; saw: $(cat "$E2E_TMP/err")"
    e2e_log "$what: $(cat "$E2E_TMP/err")"
}

free=50
while [[ -e /tmp/.X11-unix/X$free || -e /tmp/.X$free-lock ]]; do free=$((free + 1)); done

expect_refusal "nothing set" "DISPLAY is not set, WAYLAND_DISPLAY is not set"
expect_refusal "no X server" "the X display ':$free' refuses" DISPLAY=:$free
expect_refusal "no compositor" "the Wayland display 'wayland-quorvel-none' refuses" \
    WAYLAND_DISPLAY=wayland-quorvel-none
expect_refusal "xcb asked for, only Wayland named" "QT_QPA_PLATFORM=xcb: DISPLAY is not set" \
    QT_QPA_PLATFORM=xcb WAYLAND_DISPLAY=wayland-quorvel-none

# A real X server with access control on (it knows a cookie): it turns away a client without.
locked=$((free + 1))
while [[ -e /tmp/.X11-unix/X$locked || -e /tmp/.X$locked-lock ]]; do locked=$((locked + 1)); done
locked=:$locked
e2e_need xauth:xauth
xauth -q -f "$E2E_TMP/server-xauthority" add "$locked" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" ||
    e2e_fail "xauth could not write a cookie"
: >"$E2E_TMP/empty-xauthority"
Xvfb "$locked" -auth "$E2E_TMP/server-xauthority" -screen 0 640x480x24 -nolisten tcp \
    >"$E2E_TMP/xvfb-locked.log" 2>&1 &
e2e__track $! "Xvfb with access control"
locked_up() { DISPLAY=$locked XAUTHORITY=$E2E_TMP/server-xauthority xdpyinfo >/dev/null 2>&1; }
e2e_poll "$E2E_TIMEOUT_MS" locked_up || e2e_fail "Xvfb $locked with -auth did not start: $(cat "$E2E_TMP/xvfb-locked.log")"
if DISPLAY=$locked XAUTHORITY=$E2E_TMP/empty-xauthority xdpyinfo >/dev/null 2>&1; then
    e2e_fail "the X server on $locked with access control let a client in without a cookie"
fi
expect_refusal "X server refusing" "the X display '$locked' refuses" DISPLAY=$locked \
    XAUTHORITY=$E2E_TMP/empty-xauthority

# Servers that take the connection and never answer: a socket where an X display's would be,
# one named by an absolute WAYLAND_DISPLAY, and an X server that greets, then falls silent.
silent=$((${locked#:} + 1))
while [[ -e /tmp/.X11-unix/X$silent || -e /tmp/.X$silent-lock ]]; do silent=$((silent + 1)); done
stalled=$((silent + 1))
while [[ -e /tmp/.X11-unix/X$stalled || -e /tmp/.X$stalled-lock ]]; do stalled=$((stalled + 1)); done
python3 - "/tmp/.X11-unix/X$silent" "$E2E_TMP/wayland-silent" "/tmp/.X11-unix/X$stalled" \
    "$E2E_TMP/silent-ready" <<'PY' &
import os, signal, socket, struct, sys, threading
listeners = []
for path in sys.argv[1:4]:
    listeners.append(socket.socket(socket.AF_UNIX))
    listeners[-1].bind(path)
    listeners[-1].listen(8)
held = []
def greet():  # X11 11.0 accepted, a setup without screens or formats, then nothing
    while True:
        client, _ = listeners[2].accept()
        client.recv(4096)
        client.sendall(struct.pack("<BBHHH", 1, 0, 11, 0, 8) + struct.pack(
            "<IIIIHHBBBBBBBB4x", 0, 0x200000, 0x1fffff, 0, 0, 65535, 0, 0, 0, 0, 32, 32, 8, 255))
        held.append(client)
threading.Thread(target=greet, daemon=True).start()
def end(*_):
    for path in sys.argv[1:4]:
        os.unlink(path)
    sys.exit(0)
signal.signal(signal.SIGTERM, end)
open(sys.argv[4], "w").close()
while True:
    signal.pause()
PY
e2e__track $! "silent display servers"
e2e_poll "$E2E_TIMEOUT_MS" test -e "$E2E_TMP/silent-ready" || e2e_fail "the silent servers did not start"
expect_refusal "X server that never answers" "the X display ':$silent' does not answer" DISPLAY=:$silent
expect_refusal "X server silent after its greeting" "the X display ':$stalled' does not answer" \
    DISPLAY=:$stalled
expect_refusal "compositor that never answers" \
    "the Wayland display '$E2E_TMP/wayland-silent' does not answer" WAYLAND_DISPLAY=$E2E_TMP/wayland-silent

# Offscreen needs no display: it starts, waits, and ends on SIGTERM with 0.
e2e_start_program --exe "$(command -v env)" -- -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$E2E_PROGRAM"
e2e_wait_program_idle
e2e_signal_program TERM
e2e_expect_exit_status 0

# Wayland only: the program starts and waits, and ends on SIGTERM with 0.
# The user that sway needs can only be made by root.
if ((EUID != 0)); then
    e2e_log "not root: the Wayland part is left out"
else
    e2e_need sway:sway
    user=qvw$$
    e2e_users_add "qvwg$$" "$user"
    home=$E2E_TMP/home-$user
    printf '%s\n' "xwayland disable" "output HEADLESS-1 resolution 800x600 position 0 0" >"$home/sway.conf"
    e2e_users_start "$user" sway "$E2E_TMP/sway.log" env -u DISPLAY WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 sway -c "$home/sway.conf"
    sway_up() { compgen -G "$home/run/wayland-*.lock" >/dev/null; }
    e2e_poll "$E2E_TIMEOUT_MS" sway_up || e2e_fail "sway did not start: $(tail -n 5 "$E2E_TMP/sway.log")"
    socket=$(basename "$(compgen -G "$home/run/wayland-*.lock" | head -n 1)" .lock)
    cp -r "$E2E_PROGRAM_DIR" "$home/Quorvel" && chown -R "$user:" "$home/Quorvel"
    e2e_users_start_program "$user" env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY="$socket" \
        "$home/Quorvel/quorvel"
    e2e_wait_program_idle
    e2e_log "started on the Wayland display $socket: $(tr '\n' ' ' <"$E2E_PROGRAM_LOG")"
    e2e_signal_program TERM
    e2e_expect_exit_status 0
fi
e2e_pass
