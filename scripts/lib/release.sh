# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The Debian release this runs on, from /etc/os-release, and the few things that differ between
# the releases Quorvel supports; everything else is named the same in both.
#   RELEASE_CODENAME            bookworm (Debian 12) or trixie (Debian 13)
#   RELEASE_LLVM                the LLVM version the release ships (clang-N, libfuzzer-N-dev)
#   RELEASE_TEST_PACKAGES       the test packages whose names differ: KDE Frameworks 5 on
#                               Debian 12 (Plasma 5), 6 on Debian 13 (Plasma 6); rox-filer,
#                               which Debian 13 no longer has
RELEASE_CODENAME=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
case $RELEASE_CODENAME in
  bookworm)
    RELEASE_LLVM=14
    RELEASE_TEST_PACKAGES=(kded5 libkf5service-bin qdbus-qt5 plasma-workspace-wayland rox-filer)
    ;;
  *)
    # A later release is likelier to keep Debian 13's names than Debian 12's.
    [ "$RELEASE_CODENAME" = trixie ] ||
      echo "Debian '$RELEASE_CODENAME' is not one Quorvel knows: using Debian 13's names" >&2
    RELEASE_LLVM=19
    # plasma-workspace has the Wayland session itself.
    RELEASE_TEST_PACKAGES=(kded6 libkf6service-bin qdbus-qt6)
    ;;
esac
RELEASE_TEST_PACKAGES+=("clang-$RELEASE_LLVM" "libfuzzer-$RELEASE_LLVM-dev"
  "libclang-rt-$RELEASE_LLVM-dev")
