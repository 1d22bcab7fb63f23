#!/usr/bin/env bash
# check-imports.sh OBJDUMP EXE ALLOWLIST: reads the executable's import table and fails on any imported
# DLL or function that the allowlist (lines "dll function", # comments) does not name.
set -euo pipefail
if [ ! -f "$2" ]; then echo "$2 is missing (make win32 builds it); skipped"; exit 77; fi
objdump=$1 exe=$2 allowlist=$3
imports=$("$objdump" -p "$exe" | LC_ALL=C awk '
  /^[ \t]*DLL Name: / { dll = tolower($3); next }
  /^The Export Tables|^Export Address Table/ { dll = "" }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3; next }
  dll != "" && /^\t[0-9a-f]+\t/ && !/^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, "(by ordinal: " $0 ")" }
' | sort -u)
if [ -z "$imports" ]; then
  echo "no imports found in $exe" >&2
  exit 1
fi
allowed=$(grep -v -e '^#' -e '^[[:space:]]*$' "$allowlist" | awk '{ print tolower($1), $2 }' | sort -u)
unexpected=$(comm -23 <(echo "$imports") <(echo "$allowed"))
echo "$exe imports $(echo "$imports" | wc -l) functions from: $(echo "$imports" | awk '{print $1}' | sort -u | paste -sd' ')"
if [ -n "$unexpected" ]; then
  echo "imports that are not on the allowlist $allowlist:"
  echo "$unexpected"
  exit 1
fi
