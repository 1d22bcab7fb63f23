#!/usr/bin/env bash
# scanner-self-test.sh CC OBJDUMP SCANNER WORKDIR: the instruction scan must see what it is there to see.
# Builds a small i686 program with a conditional move, an SSE register, CPUID in a guarded function, CPUID
# outside one and a port read, and checks that the scan with both rule sets fails on exactly the four faults.
set -euo pipefail
cc=$1 objdump=$2 scanner=$3 work=$4
mkdir -p "$work"
cat >"$work/sample.c" <<'C'
int Smaller(int a, int b) { return a < b ? a : b; }
float Scale(float x) { return x * 3.0f; }
unsigned GuardedQuery(unsigned leaf) { unsigned a = leaf, b, c = 0, d; __asm__ volatile("cpuid" : "+a"(a), "=b"(b), "+c"(c), "=d"(d)); return a; }
unsigned LooseQuery(void) { unsigned a = 0, b, c = 0, d; __asm__ volatile("cpuid" : "+a"(a), "=b"(b), "+c"(c), "=d"(d)); return a; }
unsigned char PortByte(unsigned short port) { unsigned char v; __asm__ volatile("inb %1, %0" : "=a"(v) : "Nd"(port)); return v; }
int WinMainCRTStartup(void) { return Smaller(1, 2) + (int)Scale(2.0f) + (int)GuardedQuery(0) + (int)LooseQuery() + PortByte(0x61); }
C
"$cc" -O2 -march=pentium3 -mfpmath=sse -nostdlib "$work/sample.c" -o "$work/sample.exe"
echo "GuardedQuery" >"$work/guarded.txt"
status=0
"$scanner" "$objdump" "$work/sample.exe" "$work/guarded.txt" i486,no-port-io >"$work/scan.out" 2>&1 || status=$?
cat "$work/scan.out"
failed=0
[ "$status" -ne 0 ] || { echo "the scan passed a program with P6 and SSE instructions"; failed=1; }
grep -q '^conditional move in _Smaller' "$work/scan.out" || { echo "missed the CMOV in Smaller"; failed=1; }
grep -q '^MMX/SSE register in _Scale' "$work/scan.out" || { echo "missed the SSE register in Scale"; failed=1; }
grep -q '^CPUID outside the functions that guard it in _LooseQuery' "$work/scan.out" || { echo "missed the loose CPUID"; failed=1; }
grep -q '^port I/O in _PortByte' "$work/scan.out" || { echo "missed the port read"; failed=1; }
if grep -q 'in _GuardedQuery' "$work/scan.out"; then echo "reported the guarded CPUID"; failed=1; fi
exit $failed
