#!/usr/bin/env python3
"""make-dist.py VERSION OUT.zip EXE DRIVER64 README: packs the Windows release.

The zip holds one folder, vexilor-VERSION, with vexilor.exe (which carries the i386 driver inside itself),
readme.txt (made from README: its @VERSION@ replaced by VERSION, the underline of each heading as long as the
heading, its lines turned into CR LF), x64/pcilibnt.sys (for users who sign it and place it themselves) and
SHA256SUMS, always in this order, with one fixed time and fixed attributes, so
that the same inputs give the same bytes. The zip is written beside OUT and renamed into place: a failed run
leaves no half-written package."""
import hashlib
import os
import sys
import zipfile

# 2000-01-01 00:00:00: every entry's time (zip times are local times without a zone; this one is fixed).
ENTRY_TIME = (2000, 1, 1, 0, 0, 0)


def crlf(text):
    lines = text.replace(b"\r\n", b"\n").split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return b"".join(line + b"\r\n" for line in lines)


def readme_text(template, version):
    """The read-me for VERSION: @VERSION@ replaced, and a line of only '=' or '-' made as long as the
    heading above it."""
    lines = template.replace(b"@VERSION@", version.encode("ascii")).split(b"\n")
    for i in range(1, len(lines)):
        line = lines[i].rstrip(b"\r")
        if line and line.strip(b"=-") == b"" and len(set(line)) == 1 and lines[i - 1].strip():
            lines[i] = line[:1] * len(lines[i - 1].rstrip(b"\r"))
    return crlf(b"\n".join(lines))


def entry(folder, name, data, zf):
    info = zipfile.ZipInfo(folder + name, date_time=ENTRY_TIME)
    info.create_system = 0  # MS-DOS attributes, as for a package made on Windows
    info.external_attr = 0x20  # archive bit
    info.compress_type = zipfile.ZIP_DEFLATED
    zf.writestr(info, data, compresslevel=9)


def main():
    if len(sys.argv) != 6:
        print("usage: make-dist.py VERSION OUT.zip VEXILOR.EXE DRIVER64.SYS README.TXT.IN", file=sys.stderr)
        return 2
    version, out, exe, driver64, readme = sys.argv[1:]
    if not version or not all(c.isdigit() or c == "." for c in version):
        print("make-dist.py: '%s' is not a version (digits and dots, as project(VERSION) in CMakeLists.txt)"
              % version, file=sys.stderr)
        return 2
    folder = "vexilor-%s/" % version
    files = []
    for name, path in (("vexilor.exe", exe), ("readme.txt", readme), ("x64/pcilibnt.sys", driver64)):
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as e:
            print("make-dist.py: %s: %s (make win32 and make win64 build the binaries)" % (path, e.strerror),
                  file=sys.stderr)
            return 1
        files.append((name, readme_text(data, version) if name == "readme.txt" else data))
    sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))

    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    temporary = out + ".tmp"
    try:
        with zipfile.ZipFile(temporary, "w") as zf:
            for name, data in files:
                entry(folder, name, data, zf)
        os.replace(temporary, out)
    except OSError as e:
        print("make-dist.py: %s: %s" % (out, e.strerror), file=sys.stderr)
        if os.path.exists(temporary):
            os.remove(temporary)
        return 1
    print("%s: %d bytes" % (out, os.path.getsize(out)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
