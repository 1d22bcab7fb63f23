#!/usr/bin/env bash
# build-matrix.sh [--keep-going] [--only PATTERN] [BUILD_ROOT]: builds every build type (Debug, Release,
# RelWithDebInfo, MinSizeRel) of every target from clean trees, with warnings as errors: native with GCC
# and with Clang, each with and without the sanitizers, the i686 and x86_64 mingw-w64 targets, and
# vexilor-report alone for 32-bit Linux (-m32, dynamic and static; needs gcc-multilib and g++-multilib).
# Nothing is run; the point is that every configuration compiles and links without a warning.
# BUILD_ROOT defaults to build/matrix; each configuration gets BUILD_ROOT/NAME and its log BUILD_ROOT/NAME.log.
# --only PATTERN builds the configurations whose names match the shell pattern (e.g. 'win*').
# Prints one line per configuration with its time; exits non-zero if any failed (at the first failure
# unless --keep-going).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

keep_going=0 only="*" root=build/matrix
while [ $# -gt 0 ]; do
  case "$1" in
    --keep-going) keep_going=1; shift ;;
    --only) only=$2; shift 2 ;;
    -h|--help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
    -*) echo "build-matrix.sh: unknown option $1" >&2; exit 2 ;;
    *) root=$1; shift ;;
  esac
done
mkdir -p "$root"
root=$(cd "$root" && pwd)
jobs=$(nproc)

# NAME and the configure arguments of each configuration.
configs=()
for type in Debug Release RelWithDebInfo MinSizeRel; do
  configs+=("native-gcc-$type|CC=gcc CXX=g++|-DCMAKE_BUILD_TYPE=$type")
  configs+=("native-gcc-sanitize-$type|CC=gcc CXX=g++|-DCMAKE_BUILD_TYPE=$type -DVX_SANITIZE=ON")
  configs+=("native-clang-$type|CC=clang CXX=clang++|-DCMAKE_BUILD_TYPE=$type")
  configs+=("native-clang-sanitize-$type|CC=clang CXX=clang++|-DCMAKE_BUILD_TYPE=$type -DVX_SANITIZE=ON")
  configs+=("win32-$type||-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=$type")
  configs+=("win64-$type||-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=$type")
  # For a 32-bit Linux (a Pentium III, say): no tests, since there is no 32-bit GoogleTest to link.
  m32="-DCMAKE_BUILD_TYPE=$type -DBUILD_TESTING=OFF -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32"
  configs+=("linux-i686-gcc-$type|CC=gcc CXX=g++|$m32")
  configs+=("linux-i686-gcc-static-$type|CC=gcc CXX=g++|$m32 -DCMAKE_EXE_LINKER_FLAGS=-static")
done

failed=() built=0
start=$SECONDS
for c in "${configs[@]}"; do
  IFS='|' read -r name compilers args <<<"$c"
  # shellcheck disable=SC2053
  [[ $name == $only ]] || continue
  dir=$root/$name log=$root/$name.log
  rm -rf "$dir"
  t0=$SECONDS
  # shellcheck disable=SC2086
  if env $compilers cmake -S . -B "$dir" -DVX_WERROR=ON $args >"$log" 2>&1 &&
     cmake --build "$dir" -j "$jobs" >>"$log" 2>&1; then
    printf '%-32s ok      %4d s\n' "$name" $((SECONDS - t0))
    built=$((built + 1))
    rm -rf "$dir"  # only the log is kept
  else
    printf '%-32s FAILED  %4d s  (%s)\n' "$name" $((SECONDS - t0)) "$log"
    grep -m 5 -E 'error|Error' "$log" | sed 's/^/    /'
    failed+=("$name")
    [ "$keep_going" -eq 1 ] || break
  fi
done
echo "build-matrix: $built built, ${#failed[@]} failed, $((SECONDS - start)) s in all"
[ ${#failed[@]} -eq 0 ]
