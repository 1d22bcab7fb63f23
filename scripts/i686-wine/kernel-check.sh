#!/usr/bin/env bash
# kernel-check.sh [--selector SEL]: can this kernel run 32-bit code in a 64-bit process, as the i686 Wine
# route's WoW64 needs? Prints the answer on one line: "yes: ..." (exit 0) or "no: REASON" (exit 1).
#
# The answer comes from ia32-probe.c beside this file (compiled and run once: a 32-bit system call through
# int 0x80 from a 64-bit process, as Wine's ntdll.so makes one for its 32-bit %fs, and a far call into the
# kernel's 32-bit code segment) and is kept in $VEXILOR_I686_WINE.kernel (default
# /var/cache/vexilor/i686-wine.kernel) for the rest of this boot: the kernel, and so the answer, cannot
# change before the next one. Kernels that answer no: those built without CONFIG_IA32_EMULATION, those
# booted with ia32_emulation=false, and those built with CONFIG_IA32_EMULATION_DEFAULT_DISABLED and not
# booted with ia32_emulation=true.
#
# VEXILOR_I686_KERNEL=runs or =refuses answers without probing (the route's own tests use it); --selector
# makes only the far call, into another segment selector, uncached (a data segment must fault: the probe's
# own check).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=${VEXILOR_I686_WINE:-/var/cache/vexilor/i686-wine}
cache=$root.kernel
refused="this kernel cannot run 32-bit code in a 64-bit process"

answer() {  # yes|no TEXT
  if [ "$1" = yes ]; then echo "yes: this kernel runs 32-bit code in a 64-bit process ($2)"; exit 0; fi
  echo "no: $refused ($2)"
  exit 1
}

selector=""
case "${1:-}" in
  --selector) selector=${2:?--selector takes a value} ;;
  "") ;;
  *) echo "usage: kernel-check.sh [--selector SEL]" >&2; exit 2 ;;
esac

case "${VEXILOR_I686_KERNEL:-}" in
  runs) answer yes "VEXILOR_I686_KERNEL=runs" ;;
  refuses) answer no "VEXILOR_I686_KERNEL=refuses" ;;
  "") ;;
  *) echo "kernel-check.sh: VEXILOR_I686_KERNEL takes runs or refuses, not $VEXILOR_I686_KERNEL" >&2; exit 2 ;;
esac

# This boot, and this probe: a changed probe asks again.
boot=$(cat /proc/sys/kernel/random/boot_id 2>/dev/null || { uname -rv; cat /proc/cmdline; } | cksum)
boot="$boot $(cksum <"$here/ia32-probe.c" | cut -d' ' -f1)"
cached() { [ -z "$selector" ] && [ "$(sed -n 1p "$cache" 2>/dev/null)" = "boot $boot" ] && sed -n 2p "$cache"; }

# Prints "yes|no|unknown TEXT": the kept answer of this boot, else the probe's (kept when it is one).
probe() {
  local work line status verdict
  cached && return
  work=$(mktemp -d) || { echo "unknown mktemp failed"; return; }
  for cc in cc gcc clang; do
    command -v "$cc" >/dev/null && "$cc" -O2 -o "$work/ia32-probe" "$here/ia32-probe.c" 2>/dev/null && break
  done
  if [ ! -x "$work/ia32-probe" ]; then
    rm -rf "$work"
    echo "unknown no C compiler could build $here/ia32-probe.c"
    return
  fi
  line=$("$work/ia32-probe" ${selector:+"$selector"})
  status=$?
  rm -rf "$work"
  verdict=no
  [ $status -eq 0 ] && verdict=yes
  if [ -z "$selector" ] && [ -w "$(dirname "$cache")" ]; then
    printf 'boot %s\n%s %s\n' "$boot" "$verdict" "$line" >"$cache.tmp.$$" && mv -f "$cache.tmp.$$" "$cache"
  fi
  echo "$verdict $line"
}

# Under the cache's lock where it can be written, so that callers starting together probe once.
if [ -z "$selector" ] && mkdir -p "$(dirname "$cache")" 2>/dev/null && touch "$cache.lock" 2>/dev/null; then
  result=$(exec 9>"$cache.lock" && flock 9 && probe)
else
  result=$(probe)
fi
read -r verdict text <<<"$result"
case "$verdict" in
  yes|no) answer "$verdict" "$text" ;;
  # Not known: say so, and let the route try.
  *) echo "yes: not checked: $text" ;;
esac
