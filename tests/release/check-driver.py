#!/usr/bin/env python3
"""check-driver.py DRIVER i686|x86_64: a pcilibnt.sys that may ship. The PE header of a kernel image of that
architecture (native subsystem, base relocations; on i686 also subsystem and OS version 4.0 and no loader
flags, for NT 4.0), no time stamp (the package is reproducible), a valid PE checksum (the kernel refuses a
driver image whose checksum does not match), nothing exported, no port routine imported (the driver reads
and writes no port; the instruction scan looks for IN and OUT), the real driver's version resource, and no
recorded machine: a test driver names the machine it simulates in its version resource, and that text must
not be there.
Prints what is wrong and exits 1; exits 77 (skipped) when the file is missing."""
import struct
import sys

# Texts of the test drivers' version resource (tests/drivers/machine2c.cpp), stored as UTF-16.
TEST_DRIVER_TEXTS = ["simulates the recorded machine", "PCIDebug simulator", "reads no hardware"]
REAL_DRIVER_TEXT = "PCIDebug driver for Vexilor"


def pe_checksum(data, field):
    total = 0
    padded = data + (b"\0" if len(data) % 2 else b"")
    for i in range(0, len(padded), 2):
        if field <= i < field + 4:
            continue
        total += padded[i] | padded[i + 1] << 8
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def rva_to_offset(data, pe, rva):
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    table = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
    for i in range(sections):
        size, address, raw_size, raw_at = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if address <= rva < address + max(size, raw_size):
            return raw_at + rva - address
    return None


def exported_count(data, pe, rva, size):
    if size == 0:
        return 0
    at = rva_to_offset(data, pe, rva)
    if at is None:
        return -1
    functions, names = struct.unpack_from("<II", data, at + 20)
    return max(functions, names)


def problems(data, arch):
    found = []
    if data[:2] != b"MZ":
        return ["not a PE image"]
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return ["not a PE image"]
    machine, _, timestamp = struct.unpack_from("<HHI", data, pe + 4)
    characteristics = struct.unpack_from("<H", data, pe + 22)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    want_machine, want_magic = (0x14C, 0x10B) if arch == "i686" else (0x8664, 0x20B)
    if machine != want_machine or magic != want_magic:
        found.append("machine %04x, optional header %04x: not an %s image" % (machine, magic, arch))
        return found
    major_os, minor_os = struct.unpack_from("<HH", data, opt + 40)
    major_sub, minor_sub = struct.unpack_from("<HH", data, opt + 48)
    checksum_at = opt + 64
    checksum, subsystem, dll_flags = struct.unpack_from("<IHH", data, checksum_at)
    directories = opt + (96 if magic == 0x10B else 112)
    export_rva, export_size = struct.unpack_from("<II", data, directories)
    relocations_size = struct.unpack_from("<I", data, directories + 5 * 8 + 4)[0]
    if subsystem != 1:
        found.append("subsystem %d, not native (1)" % subsystem)
    if arch == "i686":
        if (major_os, minor_os, major_sub, minor_sub) != (4, 0, 4, 0):
            found.append("OS version %d.%d, subsystem version %d.%d: NT 4.0 wants 4.0 and 4.0"
                         % (major_os, minor_os, major_sub, minor_sub))
        if dll_flags != 0:
            found.append("DllCharacteristics %04x: NT 4.0 knows no loader flags" % dll_flags)
    if characteristics & 1 or relocations_size == 0:
        found.append("no base relocations: the kernel loads a driver wherever there is room and must relocate it")
    if timestamp != 0:
        found.append("time stamp %08x: two builds would differ" % timestamp)
    computed = pe_checksum(data, checksum_at)
    if checksum != computed:
        found.append("PE checksum %08x, the image sums to %08x" % (checksum, computed))
    if exported_count(data, pe, export_rva, export_size) != 0:
        found.append("exports something (a driver exports nothing)")
    for routine in (b"READ_PORT_", b"WRITE_PORT_"):
        if routine in data:
            found.append("names a %s* routine: the driver touches no port" % routine.decode())
    for text in TEST_DRIVER_TEXTS:
        if text.encode("utf-16-le") in data or text.encode("ascii") in data:
            found.append("holds a recorded machine: it is a test driver (its version resource says \"%s\")" % text)
    if REAL_DRIVER_TEXT.encode("utf-16-le") not in data:
        found.append("no version resource of the real driver (\"%s\")" % REAL_DRIVER_TEXT)
    return found


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("i686", "x86_64"):
        print("usage: check-driver.py DRIVER i686|x86_64", file=sys.stderr)
        return 2
    path, arch = sys.argv[1], sys.argv[2]
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        print("%s is missing (make win32 / make win64 build it); skipped" % path)
        return 77
    found = problems(data, arch)
    for p in found:
        print("%s: %s" % (path, p))
    if not found:
        print("%s: %d bytes, a real %s driver" % (path, len(data), arch))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
