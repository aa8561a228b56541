# SPDX-License-Identifier: MIT
# Sourced by scripts/test-win32 and bench/win32/measure: a private desktop for the native
# Windows program. An X display (Xvfb) with a window manager (evilwm) and an XEmbed tray
# (trayer), and a fresh Wine prefix that shows Japanese. Everything it starts is ended, by its
# process id, in session_end. The display, the tray and the probe are the end-to-end tests' own
# (tests/e2e/lib.sh).
#   session_install [PACKAGE...]   installs what is missing (apt-get), also the extra packages
#   session_begin                  temporary folder, display, prefix being made in the background
#   session_finish_prefix          waits for the prefix, links the CJK font behind the UI fonts
#   session_desktop HOLD_EXE       window manager, tray, and HOLD_EXE --hold to keep Wine warm
#   session_end                    ends everything, removes the temporary folder
# After session_begin: $session_tmp, $session_probe (tests/e2e/xprobe/), DISPLAY, WINEPREFIX.

session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../e2e/lib.sh
source "$session_root/tests/e2e/lib.sh"
E2E_NAME=win32-session

session_fail() {
  echo "win32 session: $*" >&2
  exit 1
}

session_sudo=()
[ "$(id -u)" -eq 0 ] || session_sudo=(sudo)
session_updated=false
session_apt_update() {
  $session_updated || "${session_sudo[@]}" apt-get update -qq
  session_updated=true
}

session_install() {
  local packages=(
    cmake ninja-build gcc libc6-dev libx11-dev googletest
    g++-mingw-w64-x86-64-posix wine wine64 librsvg2-bin icoutils
    libxtst-dev libxdamage-dev xvfb trayer xdotool x11-utils imagemagick fonts-noto-cjk "$@"
  )
  local missing=() package
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    session_apt_update
    DEBIAN_FRONTEND=noninteractive "${session_sudo[@]}" apt-get install -y -qq \
      --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

session_begin() {
  session_tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-win32.XXXXXX")
  export LC_ALL=C.UTF-8

  # A small window manager: without one Wine waits on every window that hides or closes.
  # Taken from its package without installing it.
  session_evilwm=$(command -v evilwm || true)
  if [ -z "$session_evilwm" ]; then
    mkdir -p "$session_tmp/evilwm"
    (cd "$session_tmp/evilwm" &&
      { apt-get download -qq evilwm 2>/dev/null || { session_apt_update && apt-get download -qq evilwm; }; }) \
      >/dev/null || session_fail "cannot download evilwm"
    dpkg-deb -x "$session_tmp"/evilwm/evilwm_*.deb "$session_tmp/evilwm/root"
    session_evilwm=$session_tmp/evilwm/root/usr/bin/evilwm
  fi
  E2E_TMP=$session_tmp
  session_probe=$session_tmp/xprobe
  E2E_PROBE=$session_probe
  e2e_build_probe "$session_probe" || session_fail "cannot build the X11 probe"
  e2e_start_x

  export WINEPREFIX=$session_tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset WINEARCH WINESERVER WINELOADER
  mkdir -p "$WINEPREFIX"
  # A server that stays for the whole session: each Wine program then starts warm.
  wineserver -p
  (wineboot --init >"$session_tmp/wineboot.log" 2>&1) &
  session_wineboot=$!
}

session_finish_prefix() {
  wait "$session_wineboot" || { cat "$session_tmp/wineboot.log" >&2; session_fail "wineboot failed"; }
  # Japanese in menus, boxes and captions: the CJK font linked in front of Wine's UI fonts.
  local fontlink='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  local links face old
  links=$(wine reg query "$fontlink" 2>/dev/null | tr -d '\r')
  for face in "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    old=$(printf '%s\n' "$links" | sed -n "s/^    $face    REG_MULTI_SZ    //p")
    wine reg add "$fontlink" /v "$face" /t REG_MULTI_SZ \
      /d "NotoSansCJK-Regular.ttc,Noto Sans CJK JP${old:+\\0$old}" /f >/dev/null 2>&1 ||
      session_fail "cannot link the CJK font"
  done
}

session_desktop() {
  "$session_evilwm" >/dev/null 2>&1 &
  e2e__track $! evilwm
  # A fixed width: trayer's "request" width loses Wine's icon now and then.
  e2e_start_tray 96
  # A hidden window that keeps Wine's desktop up between programs.
  wine "$1" --hold &
  e2e__track $! "wine $1 --hold"
}

session_end() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
  fi
  e2e__stop_all
  [ -n "${session_tmp:-}" ] && rm -rf "$session_tmp"
  return 0
}
