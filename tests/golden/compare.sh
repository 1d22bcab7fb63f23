#!/usr/bin/env bash
# compare.sh GOLDEN OUTPUT SECTIONS PROGRAM [ARGS...]
# Runs PROGRAM with ARGS, keeps its standard output in OUTPUT and compares it byte for byte with GOLDEN.
# SECTIONS is "all", or a comma-separated list of section names (CPU, F.Flag, Cache, Chipset, VGA): then
# only those sections are compared, each from its header line to the next header, and the golden file
# holds just those sections in report order.
set -u
golden=$1 output=$2 sections=$3
shift 3
if ! "$@" >"$output" 2>"$output.err"; then
  echo "$* failed:" >&2
  cat "$output.err" >&2
  exit 1
fi
compared=$output
if [ "$sections" != all ]; then
  compared=$output.sections
  LC_ALL=C awk -v want=",$sections," '
    /^===== C P U  I n f o/ { name = "CPU" }
    /^===== F e a t u r e  F l a g  I n f o/ { name = "F.Flag" }
    /^===== C a C h e  I n f o/ { name = "Cache" }
    /^===== C h i p s e t  I n f o/ { name = "Chipset" }
    /^===== V G A  I n f o/ { name = "VGA" }
    name != "" && index(want, "," name ",") > 0 { printf "%s\n", $0 }
  ' "$output" >"$compared"
fi
if ! cmp -s "$golden" "$compared"; then
  diff -u "$golden" "$compared" | cat -A | head -80
  echo "output differs from $golden (kept in $compared)" >&2
  exit 1
fi
