# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# A clean Debian root, as a new machine has it: Debian's required packages and apt, nothing else.
# Made once by mmdebstrap and kept as a tarball; each use unpacks a fresh copy. The downloaded
# .deb files are kept in a host folder shared by every root, so repeat runs download nothing, but
# nothing installed in one root outlives it. Needs root.
#
#   fresh_root_make DIR [RELEASE]   unpacks a clean root of RELEASE (bookworm) into DIR, mounted
#   fresh_root_run DIR COMMAND      runs a bash command line in it as root, in a clean environment;
#                                   with FRESH_ROOT_OWN_NETWORK=1 in a network namespace of its own
#                                   (loopback only), so that two roots' displays and abstract
#                                   sockets cannot meet, as they would when run at once
#   fresh_root_remove DIR           unmounts everything under DIR, then removes it
FRESH_ROOT_CACHE=${QUORVEL_ROOT_CACHE:-/var/cache/quorvel-roots}
# /sys/fs/cgroup too: busctl and systemd read a peer's cgroup, and fail without it.
FRESH_ROOT_MOUNTS=(proc sys sys/fs/cgroup dev dev/pts dev/shm var/cache/apt/archives)

fresh_root__tarball() { # RELEASE: the bare root's tarball, made when missing or a month old
  local release=$1 tarball=$FRESH_ROOT_CACHE/$1-root.tar
  mkdir -p "$FRESH_ROOT_CACHE/archives"
  if [ -n "$(find "$tarball" -mtime -30 2>/dev/null)" ]; then
    echo "$tarball"
    return
  fi
  command -v mmdebstrap >/dev/null || {
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mmdebstrap
  } >&2
  # The host's sources reach the same registry; another release reads them with its own name.
  local sources
  sources=$(sed "s/\bbookworm\b/$release/g" /etc/apt/sources.list.d/debian.sources)
  mmdebstrap --quiet --variant=apt "$release" "$tarball.new.tar" - <<<"$sources" >&2
  mv "$tarball.new.tar" "$tarball"
  echo "$tarball"
}

fresh_root_make() { # DIR [RELEASE]
  local root=$1 tarball m
  tarball=$(fresh_root__tarball "${2:-bookworm}")
  mkdir -p "$root"
  tar -C "$root" -xf "$tarball"
  for m in "${FRESH_ROOT_MOUNTS[@]}"; do
    mkdir -p "$root/$m"
    if [ "$m" = var/cache/apt/archives ]; then
      mount --bind "$FRESH_ROOT_CACHE/archives" "$root/$m"
    else
      mount --bind "/$m" "$root/$m"
    fi
  done
  cp /etc/resolv.conf "$root/etc/"
  # What booting makes (systemd-tmpfiles' x11.conf), and a root that never booted lacks: X servers
  # started by other users than root, Xwayland under KWin among them, cannot make it.
  install -d -m 1777 "$root/tmp/.X11-unix" "$root/tmp/.ICE-unix"
  # The root is thrown away after one run: dpkg need not sync each file, nor man-db index pages.
  echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/fresh-root-unsafe-io"
  chroot "$root" debconf-set-selections <<<'man-db man-db/auto-update boolean false'
}

fresh_root_run() { # DIR COMMAND
  local own=()
  [ "${FRESH_ROOT_OWN_NETWORK:-0}" != 1 ] ||
    own=(unshare --net /bin/sh -c 'ip link set lo up && exec "$0" "$@"')
  "${own[@]}" chroot "$1" /usr/bin/env -i HOME=/root USER=root LOGNAME=root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin CI="${CI:-}" \
    /bin/bash -c "$2"
}

fresh_root_remove() { # DIR
  local root i
  [ -d "$1" ] || return 0
  root=$(readlink -f "$1")
  # Whatever the run left running in the root holds its mounts: end it first.
  for i in /proc/[0-9]*; do
    [ "$(readlink "$i/root" 2>/dev/null)" != "$root" ] || kill -9 "${i#/proc/}" 2>/dev/null || true
  done
  for ((i = ${#FRESH_ROOT_MOUNTS[@]} - 1; i >= 0; i--)); do
    umount --lazy "$root/${FRESH_ROOT_MOUNTS[i]}" 2>/dev/null || true
  done
  # Never a recursive delete through a bind mount: it would empty the host's /dev.
  if findmnt -rn -o TARGET | grep -q "^$root/"; then
    echo "fresh-root: $root still has mounts; left in place" >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}
