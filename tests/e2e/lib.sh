# SPDX-License-Identifier: MIT
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
#
# The helpers live in lib/, one file per concern; this file loads them all:
# first the ones below in this order, then any other lib/*.sh in name order.

set -u -o pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
E2E_REPO_DIR=$(cd "$E2E_LIB_DIR/../.." && pwd -P)

# At the top level, not in a function: a file's own declare must stay global.
E2E__LIB_FIRST=(core display opener program windows menu store folder editor install fault)
for E2E__LIB_FILE in "${E2E__LIB_FIRST[@]/#/$E2E_LIB_DIR/lib/}" "$E2E_LIB_DIR"/lib/*.sh; do
    E2E__LIB_FILE=${E2E__LIB_FILE%.sh}.sh
    [[ " ${E2E__LIB_DONE[*]-} " == *" $E2E__LIB_FILE "* ]] && continue
    E2E__LIB_DONE+=("$E2E__LIB_FILE")
    # shellcheck source=/dev/null
    source "$E2E__LIB_FILE" ||
        { printf 'FAIL: could not load the e2e helpers in %s\n' "$E2E__LIB_FILE" >&2; exit 1; }
done
unset E2E__LIB_FIRST E2E__LIB_FILE E2E__LIB_DONE
