#!/usr/bin/env bash
# bad_input.sh PROGRAM WORKDIR: vexilor-report on bad input files must print one error line naming the file
# (and the line where there is one), exit with status 2 and write nothing on standard output.
set -u
program=$1 work=$2
rm -rf "$work" && mkdir -p "$work/dir" && cd "$work" || exit 1
failures=0

hex="00: 86 80 90 71 06 00 00 22 03 00 00 06 00 40 00 00"
: >empty.txt
printf '00:00.0 Host bridge: x\n%s\n10: 08 00 00\n' "$hex" >truncated.txt
printf '00:00.0 Host bridge: x\n00: 86 80 90 71 06 00 00 22 03 00 00 06 00 40 00 zz\n' >nonhex.txt
printf '00:00.0 Host bridge: x\n%s\n00:00.0 Host bridge: x\n%s\n' "$hex" "$hex" >duplicate.txt
printf '00:00.0 Host bridge: x\n00:01.0 PCI bridge: y\n%s\n' "$hex" >nodata.txt
# Noise that starts with a byte no recording line starts with, so the error always names line 1 (a random
# first byte can be a blank, a newline or "#", and the error would then name a later line).
{ printf Z; head -c 9999999 /dev/urandom; } >noise.txt
printf 'CPUID 00000000: 00000001-756E6547-6C65746E\n' >cpuid-truncated.txt

# name | arguments | what the error line must contain
check() {
  local name=$1 expect=$2
  shift 2
  "$program" "$@" >out.txt 2>err.txt
  local rc=$? lines
  lines=$(wc -l <err.txt)
  if [ $rc -ne 2 ] || [ -s out.txt ] || [ "$lines" -ne 1 ] || ! grep -qF -- "$expect" err.txt; then
    echo "FAIL $name: status $rc, $(wc -c <out.txt) bytes on stdout, stderr: $(head -c 300 err.txt)"
    failures=$((failures + 1))
  else
    echo "ok   $name: $(cat err.txt)"
  fi
}

check "empty file" "empty.txt" --pci-dump empty.txt
check "truncated hex line" "truncated.txt:3:" --pci-dump truncated.txt
check "non-hex bytes" "nonhex.txt:2:" --pci-dump nonhex.txt
check "duplicate device" "duplicate.txt:3:" --pci-dump duplicate.txt
check "device line without data" "nodata.txt:1:" --pci-dump nodata.txt
check "10 MB of noise" "noise.txt:1:" --pci-dump noise.txt
check "missing file" "missing.txt" --pci-dump missing.txt
check "directory" "dir: is a directory" --pci-dump dir
check "empty processor recording" "empty.txt" --cpuid-dump empty.txt
check "truncated processor line" "cpuid-truncated.txt:1:" --cpuid-dump cpuid-truncated.txt
check "processor noise" "noise.txt:1:" --cpuid-dump noise.txt
check "unknown option" "--frobnicate" --frobnicate
check "bad clock" "--clock-mhz" --clock-mhz fast
check "recording with other options" "--save-cpuid" --save-cpuid saved.txt --no-pci

total=14
echo "$((total - failures)) passed, $failures failed"
[ $failures -eq 0 ]
