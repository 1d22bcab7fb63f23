#!/usr/bin/env bash
# setup.sh [run|test]: installs what Vexilor needs from Debian's packages; the one place that names them.
#   run    what `make run` needs to build and print this machine's report: the native compiler and CMake
#   test   (the default) everything for building every target and running every test: the above, the
#          Windows cross compilers, Wine, the emulated boards' QEMU and kernel, and the i686 Wine tree
# Idempotent: when everything is present it only checks, in well under a second.
set -euo pipefail

set=${1:-test}
run_packages=(
  cmake make g++                                  # vexilor-report, optimised, without the tests
)
test_packages=(
  googletest libgtest-dev                         # unit tests
  gcc-multilib g++-multilib                       # the 32-bit Linux build of vexilor-report (-m32)
  clang libclang-rt-14-dev                        # libFuzzer and sanitizers
  g++-mingw-w64-i686 g++-mingw-w64-x86-64         # the Windows targets
  wine64 xvfb x11-utils x11-apps xdotool imagemagick   # the Windows program under Wine, screenshots
  fonts-wine fonts-ipafont-gothic                 # Marlett and Japanese glyphs for Wine
  qemu-system-x86 busybox-static cpio             # the emulated boards (a kernel from qemu-kernel.sh)
  pciutils                                        # lspci, the yardstick of the live PCI benchmark
  man-db                                          # man, which checks the manual page
  debootstrap                                     # the tree that runs the i686 release (below)
)
case "$set" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  -h|--help) sed -n '2,6s/^# \{0,1\}//p' "$0"; exit 0 ;;
  *) echo "setup.sh: unknown set '$set' (run or test)" >&2; exit 2 ;;
esac

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
[ "$set" = run ] && exit 0

# The kernel that the emulated-board tests boot; without it they report themselves skipped.
"$(dirname "$0")/qemu-kernel.sh" || echo "setup: no kernel for the emulated-board tests (they will be skipped)" >&2

# The i686 release runs under a newer Wine kept in a tree outside the clone.
"$(dirname "$0")/setup-i686-wine.sh" || echo "setup: the i686 Wine route is not ready; its tests will be skipped" >&2
