# Sourced by scripts/wine-run.sh and tests/hwaccess/wine-driver-test.sh: files put into a fresh Wine prefix's
# Windows folders for one run (scripts/wine-prefix.sh makes the prefix; nothing is taken out again, since a
# passing run's prefix is removed whole and a failing one's is kept as it was for a look).
#
#   vx_place_system_files PREFIX ROUTE DRIVER HAL    (DRIVER or HAL may be empty)
#     DRIVER  into windows\system32\drivers, where an administrator puts a driver; on the i686 route also
#             into syswow64\drivers, which is where the 32-bit driver host looks for system32\drivers
#     HAL     a stand-in hal.dll where the driver host finds it: system32 (x86_64 host), syswow64 (the 32-bit
#             host of the i686 route, whose ntoskrnl.exe imports hal.dll) -- never system32\drivers, where
#             Wine does not look. Wine's own hal.dll there is renamed aside, never written over: the
#             prefix's DLLs are hard links to its template's. With it the override
#             HKCU\Software\Wine\AppDefaults\winedevice.exe\DllOverrides hal=native: the driver host alone
#             takes it, and a missing stand-in fails the driver's start (never "native,builtin", which
#             falls back to Wine's HAL without a word).
# It edits the registry file directly: call it only while no wineserver runs for the prefix.
vx_place_system_files() {
  local route=$2 driver=$3 hal=$4 windows=$1/drive_c/windows dir
  if [ -n "$driver" ]; then
    for dir in system32/drivers $([ "$route" = i686 ] && echo syswow64/drivers); do
      mkdir -p "$windows/$dir" && cp "$driver" "$windows/$dir/" || return 1
    done
  fi
  if [ -n "$hal" ]; then
    dir=$windows/system32
    [ "$route" = i686 ] && dir=$windows/syswow64
    if [ -f "$dir/hal.dll" ]; then mv "$dir/hal.dll" "$dir/hal.dll.wine" || return 1; fi
    cp "$hal" "$dir/hal.dll" || return 1
    printf '\n[Software\\\\Wine\\\\AppDefaults\\\\winedevice.exe\\\\DllOverrides] 1\n"hal"="native"\n' >>"$1/user.reg"
  fi
}
