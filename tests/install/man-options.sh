#!/usr/bin/env bash
# man-options.sh MANPAGE PROGRAM: the long options that PROGRAM --help lists and those that the OPTIONS
# section of MANPAGE describes must be the same; and man(1) must render the page without a warning.
set -uo pipefail
page=$1 program=$2
status=0

# --help: the option column of lines that start with two blanks and a dash.
help=$("$program" --help) || { echo "man-options: $program --help failed" >&2; exit 1; }
from_help=$(printf '%s\n' "$help" | LC_ALL=C sed -n 's/^  \(-[^ ].*\)$/\1/p' | LC_ALL=C sed 's/   .*//' |
            LC_ALL=C grep -o -- '--[a-z0-9][a-z0-9-]*' | LC_ALL=C sort -u)

# The page: the tag line after each .TP of the OPTIONS section, with \- read as a dash.
from_page=$(LC_ALL=C awk '
  /^\.SH / { in_options = ($0 ~ /^\.SH "?OPTIONS"?$/); next }
  in_options && /^\.TP/ { tag = 1; next }
  in_options && tag { print; tag = 0 }' "$page" |
  LC_ALL=C sed 's/\\-/-/g; s/\\f[BIRP]//g' | LC_ALL=C grep -o -- '--[a-z0-9][a-z0-9-]*' | LC_ALL=C sort -u)

if [ -z "$from_help" ] || [ -z "$from_page" ]; then
  echo "man-options: no options found (--help: ${from_help:-none}; $page: ${from_page:-none})" >&2
  exit 1
fi
only_help=$(LC_ALL=C comm -23 <(printf '%s\n' "$from_help") <(printf '%s\n' "$from_page"))
only_page=$(LC_ALL=C comm -13 <(printf '%s\n' "$from_help") <(printf '%s\n' "$from_page"))
if [ -n "$only_help" ]; then
  echo "man-options: $program --help lists options that $page does not describe: $(echo "$only_help" | tr "\n" " ")" >&2
  status=1
fi
if [ -n "$only_page" ]; then
  echo "man-options: $page describes options that $program --help does not list: $(echo "$only_page" | tr "\n" " ")" >&2
  status=1
fi
[ "$status" -eq 0 ] && echo "man-options: both name $(echo "$from_help" | tr "\n" " ")"

# Rendering: any warning of man or groff fails.
if ! command -v man >/dev/null; then
  echo "man-options: man is missing (run scripts/setup.sh)" >&2
  exit 1
fi
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "man-options: man --warnings -l $page:" >&2
  printf '%s\n' "$warnings" >&2
  status=1
fi
exit "$status"
