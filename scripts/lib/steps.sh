# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Progress for the scripts, step by step: `step "Building"` announces a step and says how long
# the one before took; `steps_end` closes the last one and gives the total. `quietly LOG CMD...`
# keeps a command's output in LOG and shows its end only when it fails.
STEP_NAME=
STEP_STARTED=
STEPS_STARTED=$EPOCHREALTIME

steps__elapsed() { # START
  local now=${EPOCHREALTIME/[.,]/} start=${1/[.,]/} ms
  ms=$(((10#$now - 10#$start) / 1000))
  if ((ms >= 60000)); then
    printf '%dm %d.%d s' $((ms / 60000)) $((ms % 60000 / 1000)) $((ms % 1000 / 100))
  else
    printf '%d.%d s' $((ms / 1000)) $((ms % 1000 / 100))
  fi
}

step_done() {
  [ -n "$STEP_NAME" ] || return 0
  printf '    done in %s\n' "$(steps__elapsed "$STEP_STARTED")"
  STEP_NAME=
}

step() {
  step_done
  STEP_NAME=$1
  STEP_STARTED=$EPOCHREALTIME
  printf '==> %s\n' "$1"
}

steps_end() {
  step_done
  printf '==> %s in %s\n' "${1:-All done}" "$(steps__elapsed "$STEPS_STARTED")"
}

quietly() {
  local log=$1 status=0
  shift
  mkdir -p "$(dirname "$log")"
  "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    printf '%s failed (status %d); the whole output is in %s\n' "$1" "$status" "$log" >&2
  fi
  return "$status"
}
