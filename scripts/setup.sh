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
  man-db                                          # man, which checks the manual page
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
