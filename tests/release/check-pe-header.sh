#!/usr/bin/env bash
# check-pe-header.sh OBJDUMP EXE: the release loads on Windows 95/98/ME and NT 4.0: a 32-bit GUI image with
# subsystem and OS version 4.0, a fixed image base without the later loader flags, and imports from the
# system's own DLLs only (no C++ runtime, libgcc or threading DLLs beside it).
set -euo pipefail
if [ ! -f "$2" ]; then echo "$2 is missing (make win32 builds it); skipped"; exit 77; fi
objdump=$1 exe=$2
header=$("$objdump" -p "$exe")
failed=0
expect() {  # expect FIELD VALUE
  local got
  got=$(echo "$header" | awk -v f="$1" '$1 == f { print $2; exit }')
  if [ "$got" != "$2" ]; then
    echo "$1 is '$got', want '$2'"
    failed=1
  fi
}
expect Magic 010b                 # PE32
expect MajorOSystemVersion 4
expect MinorOSystemVersion 0
expect MajorSubsystemVersion 4
expect MinorSubsystemVersion 0
expect Subsystem 00000002         # Windows GUI
expect DllCharacteristics 00000000  # no dynamic base, no NX compatibility, no other loader flags
dlls=$(echo "$header" | awk '/DLL Name:/ { print tolower($3) }' | sort -u)
for d in $dlls; do
  case "$d" in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|advapi32.dll|winmm.dll|msvcrt.dll) ;;
    *) echo "imports from $d, which is not part of the system"; failed=1 ;;
  esac
done
echo "$exe: $(stat -c %s "$exe") bytes, DLLs: $(echo $dlls)"
exit $failed
