#!/usr/bin/env python3
"""Turns recorded processors into seeds for the cpu_fuzz target (its binary layout: a control word, then
EAX-EBX-ECX-EDX of each leaf it asks for, little-endian)."""
import os
import re
import struct
import sys

CPU_LEAVES = [0, 1, 2, 3, 4, 0x80000000, 0x80000001, 0x80000002, 0x80000003, 0x80000004, 0x80000005,
              0x80000006, 0x80000007, 0x80000008]
LINE = re.compile(r"^\s*CPUID\s+([0-9A-Fa-f]{8}):\s*([0-9A-Fa-f]{8})-([0-9A-Fa-f]{8})-([0-9A-Fa-f]{8})-([0-9A-Fa-f]{8})")


def cpu_seed(path):
    leaves = {}
    none = False
    with open(path) as f:
        for line in f:
            if line.strip() == "CPUID none":
                none = True
            m = LINE.match(line)
            if m:
                leaves[int(m.group(1), 16)] = [int(m.group(i), 16) for i in range(2, 6)]
    control = 1 if none else 2  # bit 0: no CPUID; bit 1: measure with the fuzzed clock
    out = struct.pack("<I", control)
    for leaf in CPU_LEAVES:
        out += struct.pack("<4I", *leaves.get(leaf, [0, 0, 0, 0]))
    out += struct.pack("<II", 0, 500000)  # counter step per read
    return out


def main():
    kind, source, target = sys.argv[1:4]
    os.makedirs(target, exist_ok=True)
    for name in sorted(os.listdir(source)):
        if kind == "cpu" and name.endswith(".txt"):
            with open(os.path.join(target, name + ".bin"), "wb") as f:
                f.write(cpu_seed(os.path.join(source, name)))


if __name__ == "__main__":
    main()
