# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The desktop's accessibility bus for a scenario: a private D-Bus session (dbus-run-session),
# the AT-SPI bus launcher and registry of at-spi2-core, and the program started with its AT-SPI
# bridge on; atspi_probe.py reads and drives it as a screen reader would. Needs the Debian
# packages dbus, at-spi2-core, python3-pyatspi and gir1.2-atspi-2.0.
#   e2e_atspi_session "$@"   before e2e_init: runs the scenario again inside dbus-run-session
#   e2e_atspi_start          after e2e_init: the bus and registry, the program's environment
#   e2e_atspi ARG...         runs the probe; its output in E2E_ATSPI_OUT, fails on its failure

E2E_ATSPI_PYTHON=${QUORVEL_E2E_PYTHON:-/usr/bin/python3}
E2E_ATSPI_PROBE=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)/atspi_probe.py

e2e_atspi_session() {
    if [[ -z ${E2E_ATSPI_INNER:-} ]]; then
        command -v dbus-run-session >/dev/null || { echo "FAIL: missing dbus-run-session (dbus)" >&2; exit 1; }
        exec dbus-run-session -- env E2E_ATSPI_INNER=1 bash "$0" "$@"
    fi
    E2E_ATSPI_SESSION_BUS=$DBUS_SESSION_BUS_ADDRESS
}

# Asked without a call to the name itself, which would start a second launcher by activation.
e2e_atspi__bus_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}

e2e_atspi_start() {
    local exe
    for exe in /usr/libexec/at-spi-bus-launcher /usr/libexec/at-spi2-registryd; do
        [[ -x $exe ]] || e2e_fail "missing $exe (at-spi2-core)"
    done
    "$E2E_ATSPI_PYTHON" -c 'import pyatspi' 2>/dev/null ||
        e2e_fail "$E2E_ATSPI_PYTHON cannot import pyatspi (python3-pyatspi, gir1.2-atspi-2.0)"
    # e2e_init cut the program off any session bus; this one is private to the scenario.
    export DBUS_SESSION_BUS_ADDRESS=$E2E_ATSPI_SESSION_BUS
    /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$E2E_TMP/atspi-bus.log" 2>&1 &
    e2e__track $! at-spi-bus-launcher
    e2e_poll "$E2E_TIMEOUT_MS" e2e_atspi__bus_up ||
        e2e_fail "the accessibility bus launcher did not answer on the session bus: $(cat "$E2E_TMP/atspi-bus.log")"
    /usr/libexec/at-spi2-registryd >"$E2E_TMP/atspi-registry.log" 2>&1 &
    e2e__track $! at-spi2-registryd
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
    unset NO_AT_BRIDGE
    e2e_log "accessibility bus up"
}

e2e_atspi() {
    E2E_ATSPI_OUT=$("$E2E_ATSPI_PYTHON" "$E2E_ATSPI_PROBE" "$@" 2>"$E2E_TMP/atspi-probe.log") ||
        e2e_fail "atspi_probe.py $* failed: $(cat "$E2E_TMP/atspi-probe.log")"
}
