#!/bin/bash
# SPDX-License-Identifier: MIT
# with_session.sh NAME CMD...: runs CMD on a private Xvfb display and session bus, started and
# stopped as the scenarios' own; CMD's exit status is the run's.
source "$(dirname "$0")/lib.sh"
e2e_begin "$1" "${QUORVEL_E2E_ARTIFACTS:-$E2E_REPO_DIR/build/e2e-artifacts}/$1"
shift
e2e_start_x
hosts_start_bus
"$@"
