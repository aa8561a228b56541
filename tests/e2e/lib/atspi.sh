# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034
# The desktop's accessibility bus for a scenario: a private session bus, the AT-SPI bus launcher
# and registry of at-spi2-core, and the program started with its AT-SPI bridge on;
# atspi_probe.py reads and drives it as a screen reader would.
#   e2e_atspi_start          after e2e_init: the buses and registry, the program's environment
#   e2e_atspi ARG...         runs the probe; its output in E2E_ATSPI_OUT, fails on its failure

E2E_ATSPI_PYTHON=${QUORVEL_E2E_PYTHON:-/usr/bin/python3}
E2E_ATSPI_PROBE=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)/atspi_probe.py

e2e_atspi_start() {
    e2e_need /usr/libexec/at-spi-bus-launcher:at-spi2-core /usr/libexec/at-spi2-registryd:at-spi2-core
    "$E2E_ATSPI_PYTHON" -c 'import pyatspi' 2>/dev/null ||
        e2e_fail "$E2E_ATSPI_PYTHON cannot import pyatspi (python3-pyatspi, gir1.2-atspi-2.0)"
    hosts_start_bus
    /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$E2E_TMP/atspi-bus.log" 2>&1 &
    e2e__track $! at-spi-bus-launcher
    e2e_poll "$E2E_TIMEOUT_MS" hosts_name_owned org.a11y.Bus ||
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
