#!/usr/bin/env bash
# scan-instructions.sh OBJDUMP EXE GUARDED [RULES]: disassembles the image and fails on every instruction
# that the rules forbid. RULES is a comma-separated list (default: i486):
#   i486        every instruction that an i486 does not have. CPUID and RDTSC are allowed only inside the
#               functions whose symbol matches one of the extended regular expressions in GUARDED (one a
#               line, # comments), the functions that run them after checking that the processor has them
#               (/dev/null: nowhere).
#   no-port-io  IN, OUT, INS and OUTS: the real driver touches no port (x86_64 images too).
set -euo pipefail
if [ ! -f "$2" ]; then echo "$2 is missing (make win32 builds it); skipped"; exit 77; fi
objdump=$1 exe=$2 guarded=$3 rules=,${4:-i486},
guard_re=$({ grep -v -e '^#' -e '^[[:space:]]*$' "$guarded" || true; } | paste -sd'|')
[ -n "$guard_re" ] || guard_re='^$'

listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
"$objdump" -d -M att "$exe" >"$listing"

LC_ALL=C awk -v guard="$guard_re" -v rules="$rules" '
  # Function labels: "00401000 <_WinMainCRTStartup>:"
  /^[0-9a-f]+ <.*>:$/ { fn = $2; gsub(/^<|>:$/, "", fn); functions++; next }
  # Instruction lines: "  401000:<TAB>55 89 e5<TAB>push   %ebp" (a continuation line has no third field)
  {
    n = split($0, f, "\t")
    if (n < 3) next
    insn = f[3]
    sub(/^[ ]+/, "", insn)
    # Leave prefixes aside, keep the mnemonic and its operands.
    while (insn ~ /^(lock|rep|repz|repnz|repe|repne|data16|data32|addr16|addr32|cs|ds|es|ss|fs|gs|notrack|bnd)[ ]/)
      sub(/^[a-z0-9]+[ ]+/, "", insn)
    split(insn, w, " ")
    m = w[1]
    bad = ""
    if (index(rules, ",no-port-io,") && m ~ /^(in|out|ins|outs)[bwl]?$/) bad = "port I/O"
    else if (!index(rules, ",i486,")) bad = ""
    else if (m ~ /^(f?cmov)/) bad = "conditional move"
    else if (m ~ /^(fu?comip?)$/) bad = "FCOMI/FUCOMI"
    else if (m ~ /^cmpxchg(8|16)b/) bad = "CMPXCHG8B"
    else if (m ~ /^(rdmsr|wrmsr|rdpmc|sysenter|sysexit|syscall|sysret[lq]?|rdtscp|rdrand|rdseed|xgetbv)$/) bad = "model-specific or later instruction"
    else if (m ~ /^fisttp/) bad = "FISTTP"
    else if (m ~ /^nop[lwq]$/ || (m == "nop" && w[2] != "")) bad = "multi-byte NOP (0F 1F)"
    else if (m ~ /^endbr/) bad = "ENDBR"
    else if (m ~ /^prefetch/ || m ~ /^[lms]fence$/ || m ~ /^clflush/) bad = "prefetch or fence"
    else if (m ~ /^f?emms$/) bad = "EMMS"
    else if (m ~ /^(fxsave|fxrstor|xsave|xrstor|ldmxcsr|stmxcsr)/) bad = "FXSAVE/SSE state"
    else if (m ~ /^(popcnt|lzcnt|tzcnt|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|movbe|crc32)/) bad = "bit-manipulation instruction"
    else if (insn ~ /%[xyz]?mm[0-9]/) bad = "MMX/SSE register"
    else if (m == "cpuid" || m == "rdtsc") {
      if (fn !~ guard) bad = toupper(m) " outside the functions that guard it"
    }
    if (bad != "") {
      addr = f[1]; gsub(/[ :]/, "", addr)
      printf "%s in %s at %s: %s\n", bad, fn, addr, insn
      found++
    }
    insns++
  }
  END {
    if (functions == 0) { print "no function symbols: cannot tell guarded functions apart"; exit 1 }
    printf "%d instructions in %d functions scanned (rules%s), %d forbidden\n", insns, functions, rules, found
    exit found > 0
  }
' "$listing"
