#!/usr/bin/env bash
# Runs the PCIDebug test client under Wine in a directory of its own, with the simulated pcilibnt.sys
# placed in the prefix's system32\drivers (and syswow64\drivers, whence Wine loads a 32-bit client's
# drivers), where an administrator puts it: the only place the access lifecycle loads a driver from.
#
#   wine-driver-test.sh WORKDIR CLIENT.EXE DRIVER.SYS MACHINE.TXT   with the driver; then again with a stale
#                                                                    "PCIDebug" service left registered
#   wine-driver-test.sh WORKDIR CLIENT.EXE --no-driver               without any driver file
#   wine-driver-test.sh WORKDIR CLIENT.EXE --real DRIVER.SYS         the real driver
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
mkdir -p "$work"
work=$(cd "$work" && pwd)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY
winpath() { printf 'Z:%s' "${1//\//\\}"; }
run=$work/run.$$
rm -rf "$run"
mkdir -p "$run"
cp "$client" "$run/client.exe"
trap '"$wineserver" -k >/dev/null 2>&1; "$wineserver" -w >/dev/null 2>&1; rm -rf "$run"' EXIT

# The prefix exists before the driver is placed in it; no driver is left from an earlier run.
[ -d "$WINEPREFIX/drive_c/windows" ] || "$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w >/dev/null 2>&1
place() {
  for d in system32 syswow64; do
    mkdir -p "$WINEPREFIX/drive_c/windows/$d/drivers"
    if [ -n "$1" ]; then cp "$1" "$WINEPREFIX/drive_c/windows/$d/drivers/pcilibnt.sys"
    else rm -f "$WINEPREFIX/drive_c/windows/$d/drivers/"{pcilibnt.sys,GIVEIO.SYS}; fi
  done
}
place ""
trap '"$wineserver" -k >/dev/null 2>&1; "$wineserver" -w >/dev/null 2>&1; place ""; rm -rf "$run"' EXIT

status=0
if [ "${1:-}" = "--no-driver" ]; then
  (cd "$run" && timeout 240 "$wine" client.exe --no-driver) || status=$?
elif [ "${1:-}" = "--real" ]; then
  if [ ! -f "$2" ]; then echo "wine-driver-test.sh: $2 is missing (make win64); skipped" >&2; exit 77; fi
  place "$2"
  (cd "$run" && timeout 240 "$wine" client.exe) || status=$?
else
  place "$1"
  machine=$(winpath "$(cd "$(dirname "$2")" && pwd)/$(basename "$2")")
  (cd "$run" && timeout 240 "$wine" client.exe "$machine") || status=$?
  echo "-- again, with a stale PCIDebug service registered"
  (cd "$run" && timeout 240 "$wine" client.exe "$machine" --leftover) || status=$?
fi
exit $status
