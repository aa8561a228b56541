# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# A private runtime folder (0700, ours) when the session has none; Qt programs, the build's
# icon renderer and the tests among them, warn without one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  runtime_dir=${TMPDIR:-/tmp}/quorvel-runtime-$(id -u)
  mkdir -m 0700 "$runtime_dir" 2>/dev/null || true
  if [ -d "$runtime_dir" ] && [ ! -L "$runtime_dir" ] && [ -O "$runtime_dir" ]; then
    chmod 0700 "$runtime_dir"
  else
    runtime_dir=$(mktemp -d)
  fi
  export XDG_RUNTIME_DIR=$runtime_dir
  unset runtime_dir
fi
