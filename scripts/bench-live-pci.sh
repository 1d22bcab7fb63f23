#!/usr/bin/env bash
# bench-live-pci.sh PROGRAM [RUNS]: the live PCI reads of vexilor-report against lspci -xxx on this machine.
# Runs each RUNS times (default 20) in turn and prints their elapsed and system times and the ratio.
# PROGRAM reads a recorded processor (no clock wait), so what is measured is the PCI reading and the
# report; lspci reads each function's configuration space once as well. Run as root to read every
# function whole (a normal user reads 64 bytes of each).
set -euo pipefail
program=$1 runs=${2:-20}
cpuid=$(dirname "$0")/../tests/data/cpuid/intel-pentium3-katmai.txt
command -v lspci >/dev/null || { echo "bench-live-pci: lspci is missing (scripts/setup.sh installs pciutils)" >&2; exit 2; }
[ -x "$program" ] || { echo "bench-live-pci: $program is not a program" >&2; exit 2; }

# Prints "ELAPSED SYSTEM" in seconds for RUNS runs of the command (in a subshell of its own, so that the
# system time of its children is theirs alone).
measure() {
  local start end
  start=$(date +%s.%N)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null 2>&1; done
  end=$(date +%s.%N)
  # times: the shell's own user and system time, then its children's ("0m0.123s 0m0.045s").
  local sys tmp
  tmp=$(mktemp)
  times >"$tmp"  # not in a pipe: a pipe's shell has no children of its own
  sys=$(sed -n 2p "$tmp" | awk '{print $2}' | sed 's/m/ /; s/s$//' | awk '{print $1 * 60 + $2}')
  rm -f "$tmp"
  echo "$(echo "$end - $start" | bc -l) $sys"
}

"$program" --cpuid-dump "$cpuid" >/dev/null  # once, so that both find the files in the cache
lspci -xxx >/dev/null
read -r lspci_elapsed lspci_sys < <(measure lspci -xxx)
read -r vx_elapsed vx_sys < <(measure "$program" --cpuid-dump "$cpuid")
functions=$(ls /sys/bus/pci/devices | wc -l)
printf '%d functions, %d runs each\n' "$functions" "$runs"
printf 'lspci -xxx:        %.4f s a run (system %.4f s)\n' "$(echo "$lspci_elapsed / $runs" | bc -l)" "$(echo "$lspci_sys / $runs" | bc -l)"
printf 'vexilor-report:    %.4f s a run (system %.4f s)\n' "$(echo "$vx_elapsed / $runs" | bc -l)" "$(echo "$vx_sys / $runs" | bc -l)"
printf 'ratio (elapsed):   %.2f\n' "$(echo "$vx_elapsed / $lspci_elapsed" | bc -l)"
