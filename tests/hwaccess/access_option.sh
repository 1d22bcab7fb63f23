#!/usr/bin/env bash
# access_option.sh PROGRAM DATA WORKDIR: vexilor-report's --access option. Bad combinations and the ports
# refused to an ordinary user end with one error line, exit 2 and nothing on standard output; --access dump
# is what --pci-dump reads anyway.
set -u
program=$1 data=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
machine=$data/machines/intel-440bx-g400.txt
cpu=$data/cpuid/intel-pentium3-katmai.txt
failures=0 total=0

# Runs as an ordinary user (nobody) when started as root.
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)

refused() {  # NAME TEXT-THE-LINE-MUST-CONTAIN COMMAND...
  local name=$1 expect=$2
  shift 2
  total=$((total + 1))
  "$@" >out.txt 2>err.txt
  local rc=$?
  if [ $rc -ne 2 ] || [ -s out.txt ] || [ "$(wc -l <err.txt)" -ne 1 ] || ! grep -qF -- "$expect" err.txt; then
    echo "FAIL $name: status $rc, $(wc -c <out.txt) bytes on stdout, stderr: $(head -c 300 err.txt)"
    failures=$((failures + 1))
  else
    echo "ok   $name: $(cat err.txt)"
  fi
}

refused "no method" "--access needs a method" "$program" --access
refused "unknown method" "'conf2'" "$program" --access conf2
refused "dump without a file" "--access dump needs --pci-dump" "$program" --access dump
refused "ports with a recording" "takes no --access ports" "$program" --pci-dump "$machine" --access ports
refused "sysfs and no PCI" "exclude each other" "$program" --no-pci --access sysfs
refused "a good recording and no PCI" "--no-pci and --pci-dump exclude each other" \
  "$program" --no-pci --pci-dump "$machine"
refused "recording the processor" "--save-cpuid" "$program" --save-cpuid saved.txt --access sysfs
refused "ports as an ordinary user" "needs root" "${as_user[@]}" "$program" --access ports --cpuid-dump "$cpu"
if [ "$(id -u)" -eq 0 ]; then
  # Refused for the capability, or by a kernel without port access at all (as on some virtual machines).
  refused "ports as root without CAP_SYS_RAWIO" "--access ports: " \
    setpriv --inh-caps=-sys_rawio --bounding-set=-sys_rawio "$program" --access ports --cpuid-dump "$cpu"
fi

total=$((total + 1))
"$program" --pci-dump "$machine" --cpuid-dump "$cpu" --clock-mhz 500 >plain.txt 2>/dev/null
"$program" --access dump --pci-dump "$machine" --cpuid-dump "$cpu" --clock-mhz 500 >dump.txt 2>/dev/null
if [ -s plain.txt ] && cmp -s plain.txt dump.txt; then
  echo "ok   --access dump reads the recording as --pci-dump does"
else
  echo "FAIL --access dump differs from --pci-dump"
  failures=$((failures + 1))
fi

# A recorded processor is never timed against this machine's clock: without --clock-mhz it has none.
total=$((total + 1))
if "$program" --cpuid-dump "$cpu" --no-pci | grep -qxF $' CPU Clock       : unknown\r'; then
  echo "ok   a recorded processor without --clock-mhz: clock unknown"
else
  echo "FAIL a recorded processor without --clock-mhz was given a clock"
  failures=$((failures + 1))
fi

echo "$((total - failures)) passed, $failures failed"
[ $failures -eq 0 ]
