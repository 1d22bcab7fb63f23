#!/usr/bin/env bash
# Runs the PCIDebug test client under Wine in a directory of its own.
#
#   wine-driver-test.sh WORKDIR CLIENT.EXE DRIVER.SYS HAL.DLL MACHINE.TXT
#       the driver in the prefix's system32\drivers, the stand-in HAL of the machine in the driver host
#       (scripts/wine-system-files.sh); then again with a stale "PCIDebug" service registered
#   wine-driver-test.sh WORKDIR CLIENT.EXE --no-driver               without any driver file
# Each run starts from a fresh copy of the route's template prefix (scripts/wine-prefix.sh; WINE naming the
# i686 tree's wine chooses that route), removed again when the client passes.
# Exit status: the client's; 77 (skipped) when the Windows build or Wine is missing.
set -uo pipefail
work=$1 client=$2
shift 2
wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-/usr/lib/wine/wineserver}
for f in "$client" "$wine" "$wineserver"; do
  if [ ! -e "$f" ]; then
    echo "wine-driver-test.sh: $f is missing (make win64, scripts/setup.sh); skipped" >&2
    exit 77
  fi
done
. "$(dirname "$0")/../../scripts/wine-system-files.sh"
mkdir -p "$work"
work=$(cd "$work" && pwd)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY
route=x86_64
case "$wine" in */i686-wine/wine) route=i686 ;; esac
"$(dirname "$0")/../../scripts/wine-prefix.sh" --wine "$route" "$WINEPREFIX" || exit $?
winpath() { printf 'Z:%s' "${1//\//\\}"; }
run=$work/run.$$
rm -rf "$run"
mkdir -p "$run"
cp "$client" "$run/client.exe"
status=0
trap '"$wineserver" -k >/dev/null 2>&1; "$wineserver" -w >/dev/null 2>&1; rm -rf "$run"
      if [ "$status" -eq 0 ]; then rm -rf "$WINEPREFIX"; fi' EXIT

if [ "${1:-}" = "--no-driver" ]; then
  (cd "$run" && timeout 240 "$wine" client.exe --no-driver) || status=$?
else
  for f in "$1" "$2"; do
    if [ ! -f "$f" ]; then echo "wine-driver-test.sh: $f is missing (make win64, make native); skipped" >&2; exit 77; fi
  done
  # The files go in while no wineserver runs.
  "$wineserver" -w >/dev/null 2>&1
  vx_place_system_files "$WINEPREFIX" x86_64 "$1" "$2" || exit 1
  machine=$(winpath "$(cd "$(dirname "$3")" && pwd)/$(basename "$3")")
  (cd "$run" && timeout 240 "$wine" client.exe "$machine") || status=$?
  echo "-- again, with a stale PCIDebug service registered"
  (cd "$run" && timeout 240 "$wine" client.exe "$machine" --leftover) || status=$?
fi
exit $status
