#!/usr/bin/env bash
# Boots QEMU's emulated PCs (TCG, no KVM) with a static vexilor-report and checks what it reads there:
#   pc-cirrus  -M pc -vga cirrus   i440FX host bridge, PIIX3, Cirrus CL-GD5446
#   pc-std     -M pc -vga std -usb i440FX host bridge, PIIX3 with its USB function, Bochs display adapter
#   q35        -M q35              Q35 host bridge, ICH9, Bochs display adapter
#   isapc      -M isapc            no PCI at all (kernel argument noapic)
# every one with -cpu pentium3,+lm,+sse2,+syscall (a Katmai signature; the flags let a 64-bit kernel boot).
# Inside (tests/qemu/init) the report is made by sysfs and by the ports as root, by sysfs and by the ports
# as an ordinary user, with --no-pci, and from the board's own recordings of its configuration space and
# of its processor's CPUID leaves. Checked here, the clock line aside:
# - the sysfs and ports reports are equal byte for byte, and the report from the recorded configuration
#   space equals them; the report from the recorded CPUID leaves equals the --no-pci one;
# - their Chipset and VGA sections equal tests/golden/qemu-MACHINE.txt (checked once against the tables);
#   the ordinary user's sysfs sections too (QEMU's chips hold nothing the decoders read past 64 bytes);
# - the ports refused to the ordinary user: exit 2, a message, nothing printed;
# - fewer than 1,000 configuration requests per start-up through sysfs and through the ports;
# - on isapc every route equals --no-pci.
#
# Usage: boards.sh --report STATIC-VEXILOR-REPORT --expected DIR --work DIR [MACHINE]...
# The kernel comes from $VX_QEMU_CACHE (default /var/cache/vexilor/qemu)/vmlinuz (scripts/qemu-kernel.sh).
# Exit 77 (skipped) with the reason when QEMU, busybox-static or the kernel is missing.
set -uo pipefail

report="" expected="" work=""
machines=()
while [ $# -gt 0 ]; do
  case "$1" in
    --report) report=$2; shift 2 ;;
    --expected) expected=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set /p' "$0" | sed -n 's/^# \{0,1\}//p'; exit 0 ;;
    -*) echo "boards.sh: unknown option $1" >&2; exit 2 ;;
    *) machines+=("$1"); shift ;;
  esac
done
[ -n "$report" ] && [ -n "$expected" ] && [ -n "$work" ] || { echo "boards.sh: --report, --expected and --work are needed" >&2; exit 2; }
[ ${#machines[@]} -gt 0 ] || machines=(pc-cirrus pc-std q35 isapc)

skip() { echo "SKIPPED: $*"; exit 77; }
cache="${VX_QEMU_CACHE:-/var/cache/vexilor/qemu}"
kernel="$cache/vmlinuz"
qemu=$(command -v qemu-system-x86_64) || skip "qemu-system-x86_64 is not installed (scripts/setup.sh installs qemu-system-x86)"
[ -s "$kernel" ] || skip "no kernel at $kernel (scripts/qemu-kernel.sh extracts one from Debian's linux-image package)"
busybox=/bin/busybox
# A static program has no interpreter (ld.so) to name.
is_static() { readelf -l "$1" 2>/dev/null | grep -q "Elf file type" && ! readelf -l "$1" | grep -q "program interpreter"; }
[ -x "$busybox" ] && is_static "$busybox" ||
  skip "$busybox is missing or not static (scripts/setup.sh installs busybox-static)"
command -v cpio >/dev/null || skip "cpio is not installed"
[ -x "$report" ] || { echo "boards.sh: no vexilor-report at $report" >&2; exit 2; }
is_static "$report" || { echo "boards.sh: $report is not static" >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work/initramfs/bin" "$work/initramfs/etc"
cp "$here/init" "$work/initramfs/init"
cp "$busybox" "$work/initramfs/bin/busybox"
cp "$report" "$work/initramfs/vexilor-report"
printf 'root:x:0:0:root:/:/bin/sh\nvx:x:1000:1000:vx:/tmp:/bin/sh\n' > "$work/initramfs/etc/passwd"
printf 'root:x:0:\nvx:x:1000:\n' > "$work/initramfs/etc/group"
(cd "$work/initramfs" && find . | cpio -o -H newc -R 0:0 --quiet > "$work/initramfs.cpio") ||
  { echo "boards.sh: cannot make the initramfs" >&2; exit 2; }

machine_args() {
  case "$1" in
    pc-cirrus) echo "-M pc -vga cirrus" ;;
    pc-std) echo "-M pc -vga std -usb" ;;
    q35) echo "-M q35" ;;
    isapc) echo "-M isapc" ;;
    *) return 1 ;;
  esac
}

boot() {  # MACHINE: boots it, leaves serial.log and seconds in $work/MACHINE
  local m=$1 dir="$work/$1" extra="" t0 t1 try
  mkdir -p "$dir"
  [ "$m" = isapc ] && extra="noapic"
  t0=$(date +%s%N)
  # no_timer_check: on a loaded host TCG may miss the kernel's early IO-APIC timer test, which then panics.
  # A machine that still does not finish gets one more try.
  for try in 1 2; do
    # shellcheck disable=SC2046
    timeout 600 "$qemu" $(machine_args "$m") -cpu pentium3,+lm,+sse2,+syscall -accel tcg -m 256 -smp 1 \
      -display none -monitor none -serial "file:$dir/serial.log" -no-reboot \
      -kernel "$kernel" -initrd "$work/initramfs.cpio" \
      -append "console=ttyS0 quiet loglevel=1 panic=-1 no_timer_check rdinit=/init $extra" > "$dir/qemu.log" 2>&1
    echo $? > "$dir/qemu.exit"
    tr -d '\r' < "$dir/serial.log" | grep -q '^VX-DONE' && break
    [ $try = 1 ] && cp "$dir/serial.log" "$dir/serial-first-try.log"
  done
  t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 )) > "$dir/ms"
}

# The runs in a serial log: NAME.out, NAME.err and NAME.exit.
unpack() {
  local dir=$1
  tr -d '\r' < "$dir/serial.log" | awk -v dir="$dir" '
    /^VX-BEGIN / { name = $2; sub(/^exit=/, "", $3); print $3 > (dir "/" name ".exit"); file = dir "/" name ".out.b64"; printf "" > file; next }
    /^VX-STDERR / { file = dir "/" $2 ".err.b64"; printf "" > file; next }
    /^VX-END / { file = ""; next }
    file != "" { print > file }'
  local f
  for f in "$dir"/*.b64; do
    [ -e "$f" ] || continue
    base64 -d < "$f" > "${f%.b64}" || echo "cannot decode $f" >> "$dir/problems"
  done
}

without_clock() { grep -av '^ CPU Clock       : ' "$1"; }
# The Chipset and VGA sections: from the Chipset header to the end.
sections() { sed -n '/^===== C h i p s e t  I n f o /,$p' "$1"; }

failures=0
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

same() {  # MACHINE WHAT A B: A and B equal without the clock line
  if ! cmp -s <(without_clock "$3") <(without_clock "$4"); then
    fail "$1" "$2"
    diff -u <(without_clock "$3" | tr -d '\r') <(without_clock "$4" | tr -d '\r') | head -40
  fi
}

same_as_expected() {  # MACHINE RUN EXPECTED
  local actual="$work/$1/$2.sections"
  sections "$work/$1/$2.out" > "$actual"
  if [ ! -f "$3" ]; then
    fail "$1" "no expected text $3 (what this run read is in $actual)"
  elif ! cmp -s "$3" "$actual"; then
    fail "$1" "$2: Chipset and VGA sections differ from $3"
    diff -u <(tr -d '\r' < "$3") <(tr -d '\r' < "$actual") | head -40
  fi
}

exit_is() {  # MACHINE RUN CODE
  local got
  got=$(cat "$work/$1/$2.exit" 2>/dev/null || echo missing)
  [ "$got" = "$3" ] || { fail "$1" "$2 exited $got, expected $3: $(head -c 300 "$work/$1/$2.err" 2>/dev/null)"; return 1; }
}

check() {
  local m=$1 d="$work/$1"
  unpack "$d"
  if ! grep -q '^VX-DONE' <(tr -d '\r' < "$d/serial.log"); then
    fail "$m" "the machine did not finish (QEMU exit $(cat "$d/qemu.exit"); see $d/serial.log and $d/qemu.log)"
    tail -20 "$d/serial.log"
    return
  fi
  [ -s "$d/problems" ] && fail "$m" "$(cat "$d/problems")"
  exit_is "$m" sysfs-root 0
  exit_is "$m" ports-root 0
  exit_is "$m" nopci-root 0
  exit_is "$m" sysfs-user 0
  # An ordinary user: the ports are refused before anything is printed.
  if exit_is "$m" ports-user 2; then
    [ -s "$d/ports-user.out" ] && fail "$m" "ports as an ordinary user printed something"
    grep -q "needs root" "$d/ports-user.err" || fail "$m" "ports as an ordinary user: no clear message"
  fi
  same "$m" "sysfs and ports reports differ" "$d/sysfs-root.out" "$d/ports-root.out"
  exit_is "$m" cpuid-dump 0 && same "$m" "the report from the processor's own recording differs" \
    "$d/nopci-root.out" "$d/cpuid-dump.out"
  if [ "$m" = isapc ]; then
    same "$m" "sysfs report differs from --no-pci" "$d/nopci-root.out" "$d/sysfs-root.out"
    same "$m" "ports report differs from --no-pci" "$d/nopci-root.out" "$d/ports-root.out"
    [ -s "$d/recording.out" ] && fail "$m" "a board without PCI recorded PCI functions"
  else
    exit_is "$m" dump-root 0
    same "$m" "the report from the board's own recording differs from sysfs" "$d/sysfs-root.out" "$d/dump-root.out"
    same_as_expected "$m" sysfs-root "$expected/qemu-$m.txt"
    same_as_expected "$m" sysfs-user "$expected/qemu-$m.txt"
  fi
  local counts="" r n
  for r in sysfs-root ports-root dump-root; do
    n=$(sed -n 's/^vexilor-report: \([0-9]*\) requests$/\1/p' "$d/$r.err" 2>/dev/null)
    [ -n "$n" ] || continue
    counts="$counts $r $n"
    [ "$n" -ge 1000 ] && fail "$m" "$r made $n requests (1,000 or more)"
  done
  [ -f "$d/serial-first-try.log" ] && echo "$m: did not finish at the first try (kept in $d/serial-first-try.log)"
  echo "$m: booted and checked in $(awk -v ms="$(cat "$d/ms")" 'BEGIN { printf "%.1f", ms / 1000 }') s; requests:$counts"
}

for m in "${machines[@]}"; do
  machine_args "$m" > /dev/null || { echo "boards.sh: unknown machine $m" >&2; exit 2; }
done
t0=$(date +%s%N)
pids=()
for m in "${machines[@]}"; do
  boot "$m" &
  pids+=($!)
done
wait "${pids[@]}"
t1=$(date +%s%N)
for m in "${machines[@]}"; do check "$m"; done
echo "${#machines[@]} machines booted in parallel in $(( (t1 - t0) / 1000000 )) ms; $failures failure(s)"
[ "$failures" -eq 0 ]
