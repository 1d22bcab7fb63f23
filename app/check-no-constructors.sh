#!/usr/bin/env bash
# check-no-constructors.sh NM EXE: fails when the executable's constructor list holds anything between
# its two sentinels (-1 and 0), that is when some global object needs a static constructor.
set -euo pipefail
nm=$1 exe=$2
read -r ctor dtor < <("$nm" "$exe" | awk '
  $3 ~ /^_?__CTOR_LIST__$/ { c = $1 }
  $3 ~ /^_?__DTOR_LIST__$/ { d = $1 }
  END { print c, d }')
if [ -z "$ctor" ] || [ -z "$dtor" ]; then
  echo "check-no-constructors: no constructor list symbols in $exe" >&2
  exit 1
fi
length=$(( 0x$dtor - 0x$ctor ))
pointer=$(( ${#ctor} / 2 ))  # 8 hex digits on i686, 16 on x86_64
if [ "$length" -ne $(( 2 * pointer )) ]; then
  echo "check-no-constructors: $exe has static constructors ($(( length / pointer - 2 )) entries):" >&2
  "$nm" -C "$exe" | grep -i 'GLOBAL__sub_I' >&2 || true
  exit 1
fi
