#!/usr/bin/env python3
"""Turns recorded processors and machines into seeds for the cpu_fuzz and machine_fuzz targets."""
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


def lspci_functions(path):
    """(bus, devfn, 256 bytes) of each device in an lspci -xxx file."""
    functions = []
    current = None
    with open(path, errors="replace") as f:
        for line in f:
            m = re.match(r"^(?:[0-9a-fA-F]{4}:)?([0-9a-fA-F]{2}):([0-9a-fA-F]{2})\.([0-7]) ", line)
            if m:
                current = [int(m.group(1), 16), int(m.group(2), 16) << 3 | int(m.group(3)), bytearray(256)]
                functions.append(current)
                continue
            m = re.match(r"^([0-9a-fA-F]{2}):((?: [0-9a-fA-F]{2}){16})\s*$", line)
            if m and current is not None:
                offset = int(m.group(1), 16)
                current[2][offset:offset + 16] = bytes(int(x, 16) for x in m.group(2).split())
    return functions


def machine_seed(path):
    """The machine_fuzz layout: flags, then the host bridge image, then location and image of the first
    ISA bridge, USB controller and VGA adapter, then port bytes."""
    functions = lspci_functions(path)
    def find(cls, function_zero_only=False):
        for bus, devfn, image in functions:
            if image[0x0B] << 8 | image[0x0A] == cls and (not function_zero_only or devfn & 7 == 0):
                return bus, devfn, image
        return 0, 0xF8, bytes(256)
    host = next((image for bus, devfn, image in functions if bus == 0 and devfn == 0), bytes(256))
    out = bytearray([0x0F]) + bytes(host)
    for cls, zero in ((0x0601, True), (0x0C03, False), (0x0300, False)):
        bus, devfn, image = find(cls, zero)
        out += bytes([bus & 3, devfn]) + bytes(image)
    return bytes(out)


def main():
    kind, source, target = sys.argv[1:4]
    os.makedirs(target, exist_ok=True)
    for name in sorted(os.listdir(source)):
        if not name.endswith(".txt"):
            continue
        seed = (cpu_seed if kind == "cpu" else machine_seed)(os.path.join(source, name))
        with open(os.path.join(target, name + ".bin"), "wb") as f:
            f.write(seed)


if __name__ == "__main__":
    main()
