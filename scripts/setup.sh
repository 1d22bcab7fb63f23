#!/usr/bin/env bash
# Installs what Vexilor needs to build every target and run every test, from Debian's packages.
# Idempotent: when everything is present it only checks, in well under a second.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev          # native build and unit tests
  clang libclang-rt-14-dev                        # libFuzzer and sanitizers
  g++-mingw-w64-i686 g++-mingw-w64-x86-64         # the Windows targets
  wine64 xvfb x11-utils x11-apps xdotool imagemagick   # the Windows program under Wine, screenshots
  fonts-wine fonts-ipafont-gothic                 # Marlett and Japanese glyphs for Wine
  qemu-system-x86 busybox-static cpio             # the emulated boards (a kernel from qemu-kernel.sh)
  pciutils                                        # lspci, the yardstick of the live PCI benchmark
  man-db                                          # man, which checks the manual page
  debootstrap                                     # the tree that runs the i686 release (below)
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The kernel that the emulated-board tests boot; without it they report themselves skipped.
"$(dirname "$0")/qemu-kernel.sh" || echo "setup: no kernel for the emulated-board tests (they will be skipped)" >&2

# The i686 release runs under a newer Wine kept in a tree outside the clone.
"$(dirname "$0")/setup-i686-wine.sh" || echo "setup: the i686 Wine route is not ready; its tests will be skipped" >&2
