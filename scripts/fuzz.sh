#!/usr/bin/env bash
# fuzz.sh [SECONDS] [TARGET...]: builds the libFuzzer targets with clang in build/fuzz and runs each for
# SECONDS (default 30), seeding its corpus from the recorded processors and machines under tests/data.
# Prints each target's executions and executions per second; exits non-zero on the first finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B $build -DVX_FUZZ=ON -DVX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n 's/^vx_add_fuzzer(\([a-z_0-9]*\) .*/\1/p' fuzz/CMakeLists.txt))
fi
cmake --build $build -j "$(nproc)" --target "${targets[@]}" >/dev/null

corpus=$build/corpus
for t in "${targets[@]}"; do
  mkdir -p $corpus/$t
  case $t in
    cpuid_dump_fuzz) cp tests/data/cpuid/*.txt $corpus/$t/ ;;
    lspci_fuzz) cp tests/data/machines/*.txt $corpus/$t/ 2>/dev/null || true ;;
    cpu_fuzz) python3 scripts/fuzz_seeds.py cpu tests/data/cpuid $corpus/$t ;;
    machine_fuzz) python3 scripts/fuzz_seeds.py machine tests/data/machines $corpus/$t ;;
  esac
  log=$build/$t.log
  if ! $build/fuzz/$t -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=$build/$t- \
      $corpus/$t >"$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz: $t found a fault (input kept as $build/$t-*)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "fuzz: $t: $runs executions in ${seconds}s ($speed/s), no finding"
done
