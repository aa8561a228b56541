# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# portable_root_test ROOT TARBALL PROBE [ARTIFACTS]: proves the portable tarball on a machine
# that has only what its README.txt names. ROOT is a fresh Debian 12 or 13 root, made and mounted by
# fresh_root_make of scripts/lib/fresh-root.sh, which must be loaded too. In it: first only the packages of the README's install line, then
# the program and every Qt plugin they bring must find their libraries, and the program must
# answer --version; then the test tools (no compiler, no -dev package) and the X11 probe PROBE
# built outside, and tests/e2e/28_portable.sh runs on the tarball. Its screenshots go to
# ARTIFACTS when given. Returns the scenario's status.
PORTABLE_ROOT_TOOLS=(xvfb xauth trayer xdotool x11-utils imagemagick fonts-noto-cjk dbus jq procps
    util-linux desktop-file-utils libx11-6 libxtst6 libxdamage1)

# portable_root_in ROOT CMD...: CMD (its words as given) in ROOT, in fresh_root_run's environment.
portable_root_in() { fresh_root_run "$1" "DEBIAN_FRONTEND=noninteractive $(printf '%q ' "${@:2}")"; }

# portable_root__install ROOT PACKAGE...: apt-get install in ROOT, its output shown only on failure.
portable_root__install() {
    portable_root_in "$1" apt-get install -y -qq --no-install-recommends "${@:2}" \
        >"$1/tmp/apt.log" 2>&1 || { tail -n 20 "$1/tmp/apt.log" >&2; return 1; }
}

portable_root__count() { portable_root_in "$1" dpkg-query -W -f='${db:Status-Status}\n' | grep -cx installed; }

portable_root_test() {
    local root=$1 tarball=$2 probe=$3 artifacts=${4:-} repo line packages bare status=0 missing
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
    line=$(tar -xzOf "$tarball" Quorvel/README.txt | grep -m 1 '^sudo apt-get install --no-install-recommends ') ||
        { echo "portable root: no install line in the tarball's README.txt" >&2; return 1; }
    read -ra packages <<<"${line#sudo apt-get install --no-install-recommends }"
    bare=$(portable_root__count "$root")
    echo "portable root: installing the README's ${#packages[@]} packages: ${packages[*]}"
    portable_root_in "$root" apt-get update -qq && portable_root__install "$root" "${packages[@]}" || return 1
    echo "portable root: $(($(portable_root__count "$root") - bare)) packages installed on the bare root's $bare"

    mkdir -p "$root/opt/portable" && tar -C "$root/opt/portable" -xzf "$tarball" || return 1
    # shellcheck disable=SC2016 # expanded in the root
    missing=$(portable_root_in "$root" sh -c 'for f in /opt/portable/Quorvel/quorvel \
        $(find /usr/lib/x86_64-linux-gnu/qt6/plugins -name "*.so"); do
            ldd "$f" | sed -n "s|^[[:space:]]*\(.*not found\)|$f: \1|p"; done')
    [ -z "$missing" ] || { printf 'portable root: libraries missing:\n%s\n' "$missing" >&2; return 1; }
    portable_root_in "$root" /opt/portable/Quorvel/quorvel --version || return 1
    portable_root_in "$root" sh -c 'command -v xdg-open' >/dev/null ||
        { echo "portable root: no xdg-open" >&2; return 1; }
    rm -rf "$root/opt/portable/Quorvel"

    echo "portable root: installing the test tools: ${PORTABLE_ROOT_TOOLS[*]}"
    portable_root__install "$root" "${PORTABLE_ROOT_TOOLS[@]}" || return 1
    echo "portable root: $(($(portable_root__count "$root") - bare)) packages installed with the test tools"
    cp "$tarball" "$root/opt/portable/" && cp "$probe" "$root/opt/portable/xprobe" &&
        cp -r "$repo/tests" "$root/opt/portable/" || return 1
    # timeout passes Ctrl+C on to the scenario, which a background job would ignore.
    portable_root_in "$root" QUORVEL_PORTABLE_TARBALL="/opt/portable/${tarball##*/}" \
        QUORVEL_E2E_PROBE=/opt/portable/xprobe QUORVEL_E2E_ARTIFACTS=/opt/portable/artifacts \
        timeout 300 bash /opt/portable/tests/e2e/28_portable.sh || status=$?
    [ -z "$artifacts" ] || { mkdir -p "$artifacts" && cp -r "$root/opt/portable/artifacts/." "$artifacts/"; }
    return "$status"
}
