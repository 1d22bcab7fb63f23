#!/usr/bin/env python3
"""check-dist.py WORKDIR WIN32-BUILD WIN64-BUILD VERSION: makes the release package of VERSION twice from the
two Windows builds (as `make dist` does) and checks it.

- The two packages are the same bytes, and each entry has the fixed time.
- The entries, in order: vexilor.exe, readme.txt, x64/pcilibnt.sys, SHA256SUMS, in one folder,
  vexilor-VERSION.
- readme.txt: ASCII, every line ended by CR LF, and it says what a user must know (the driver's rules and
  where it is taken from, 64-bit Windows, giveio, Windows 9x, the empty pages without a driver).
- SHA256SUMS matches the entries.
- vexilor.exe is the stripped form of the build whose disassembly passes the i486 scan, and carries the
  build's stripped i386 pcilibnt.sys, whose disassembly passes it too; neither driver holds a port I/O
  instruction; the imports stay within the allowlists; the exe's header is the release's; both drivers pass
  check-driver.py (kernel image, NT 4.0 on i686, no time stamp, checksum, no recorded machine).
- No other driver is inside (a test driver would name its recorded machine).
Prints each problem; exit 1 when there is one, 77 (skipped) when a build is missing."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
ENTRIES = ["vexilor.exe", "readme.txt", "x64/pcilibnt.sys", "SHA256SUMS"]
README_MUST_SAY = ["administrator", "only reads", "refuses every request to write", "test-signing mode",
                   "Windows 95, 98 and ME", "Nothing else is needed", "M/B and VGA pages stay empty",
                   "x64\\pcilibnt.sys", "%SystemRoot%\\System32\\drivers", "never from its own folder",
                   "carries its driver inside itself", "any I/O port"]

problems = []


def problem(text):
    problems.append(text)
    print("FAILED: " + text)


def run(args):
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode, result.stdout


def check_tool(name, args):
    code, output = run(args)
    print(output.rstrip())
    if code != 0:
        problem("%s failed (exit %d)" % (name, code))


def main():
    if len(sys.argv) != 5:
        print("usage: check-dist.py WORKDIR WIN32-BUILD WIN64-BUILD VERSION", file=sys.stderr)
        return 2
    work, win32, win64, version = sys.argv[1:]
    folder = "vexilor-%s/" % version
    exe = os.path.join(win32, "app", "vexilor.exe")  # with symbols
    driver32 = os.path.join(win32, "drivers", "pcidebug", "pcilibnt.sys")
    driver64 = os.path.join(win64, "drivers", "pcidebug", "pcilibnt.sys")
    release32 = os.path.join(win32, "drivers", "pcidebug", "release", "pcilibnt.sys")
    inputs = [os.path.join(win32, "app", "release", "vexilor.exe"),
              os.path.join(win64, "drivers", "pcidebug", "release", "pcilibnt.sys"),
              os.path.join(ROOT, "packaging", "readme.txt.in")]
    for path in [exe, driver32, driver64, release32] + inputs:
        if not os.path.isfile(path):
            print("%s is missing (make win32 and make win64 build it); skipped" % path)
            return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    # Two packages from the same inputs.
    zips = [os.path.join(work, name) for name in ("first.zip", "second.zip")]
    for z in zips:
        code, output = run([sys.executable, os.path.join(ROOT, "scripts", "make-dist.py"), version, z] + inputs)
        print(output.rstrip())
        if code != 0:
            problem("make-dist.py failed")
            return 1
    with open(zips[0], "rb") as a, open(zips[1], "rb") as b:
        if a.read() != b.read():
            problem("two packages made from the same files differ")

    with zipfile.ZipFile(zips[0]) as zf:
        infos = zf.infolist()
        names = [i.filename for i in infos]
        if names != [folder + e for e in ENTRIES]:
            problem("entries %s, want %s" % (names, [folder + e for e in ENTRIES]))
        for i in infos:
            if i.date_time != (2000, 1, 1, 0, 0, 0):
                problem("%s has the time %s" % (i.filename, i.date_time))
        data = {i.filename[len(folder):]: zf.read(i) for i in infos if i.filename.startswith(folder)}
    unpacked = os.path.join(work, "unpacked")
    for name, content in data.items():
        path = os.path.join(unpacked, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)

    readme = data.get("readme.txt", b"")
    if any(c > 0x7E or (c < 0x20 and c not in (0x0D, 0x0A)) for c in readme):
        problem("readme.txt holds bytes that are not printable ASCII")
    if not readme.endswith(b"\r\n") or readme.count(b"\n") != readme.count(b"\r\n") or \
            readme.count(b"\r") != readme.count(b"\r\n"):
        problem("readme.txt has a line not ended by CR LF")
    text = readme.decode("ascii", "replace").replace("\r\n", " ")
    flat = " ".join(text.split())
    if not readme.startswith(("Vexilor %s for Windows\r\n" % version).encode("ascii")) or b"@" in readme:
        problem("readme.txt does not begin with \"Vexilor %s for Windows\" or keeps a placeholder" % version)
    for phrase in README_MUST_SAY:
        if phrase not in flat:
            problem("readme.txt does not say \"%s\"" % phrase)

    sums = data.get("SHA256SUMS", b"").decode("ascii", "replace").splitlines()
    listed = {}
    for line in sums:
        digest, _, name = line.partition("  ")
        listed[name] = digest
    for name in ENTRIES[:-1]:
        if listed.get(name) != hashlib.sha256(data.get(name, b"")).hexdigest():
            problem("SHA256SUMS does not match %s" % name)
    if len(listed) != len(ENTRIES) - 1:
        problem("SHA256SUMS lists %d files" % len(listed))

    # The binaries inside are the stripped forms of the scanned builds.
    # The i386 driver that the program carries: the build's release file, the stripped form of the scanned
    # build, inside the program once and whole.
    with open(release32, "rb") as f:
        carried = f.read()
    restripped = os.path.join(work, "restripped-i386.sys")
    code, output = run(["env", "SOURCE_DATE_EPOCH=0", "i686-w64-mingw32-strip", "-o", restripped, driver32])
    if code != 0 or open(restripped, "rb").read() != carried:
        problem("%s is not the stripped form of %s" % (release32, driver32))
    if data.get("vexilor.exe", b"").count(carried) != 1:
        problem("vexilor.exe does not carry %s once" % release32)
    with open(os.path.join(unpacked, "carried-pcilibnt.sys"), "wb") as f:
        f.write(carried)
    for name, unstripped, strip in (("vexilor.exe", exe, "i686-w64-mingw32-strip"),
                                    ("x64/pcilibnt.sys", driver64, "x86_64-w64-mingw32-strip")):
        stripped = os.path.join(work, "restripped-" + name.replace("/", "-"))
        code, output = run(["env", "SOURCE_DATE_EPOCH=0", strip, "-o", stripped, unstripped])
        if code != 0:
            problem("%s %s: %s" % (strip, unstripped, output))
            continue
        with open(stripped, "rb") as f:
            if f.read() != data.get(name):
                problem("%s is not the stripped form of %s" % (name, unstripped))
    objdump32, objdump64 = "i686-w64-mingw32-objdump", "x86_64-w64-mingw32-objdump"
    check_tool("instruction scan of vexilor.exe", [os.path.join(HERE, "scan-instructions.sh"), objdump32, exe,
                                                   os.path.join(HERE, "guarded-functions.txt")])
    check_tool("instruction scan of pcilibnt.sys", [os.path.join(HERE, "scan-instructions.sh"), objdump32, driver32,
                                                    "/dev/null", "i486,no-port-io"])
    check_tool("instruction scan of x64/pcilibnt.sys", [os.path.join(HERE, "scan-instructions.sh"), objdump64,
                                                        driver64, "/dev/null", "no-port-io"])
    check_tool("imports of vexilor.exe", [os.path.join(HERE, "check-imports.sh"), objdump32,
                                          os.path.join(unpacked, "vexilor.exe"),
                                          os.path.join(HERE, "imports-allowlist.txt")])
    check_tool("imports of the carried pcilibnt.sys", [os.path.join(HERE, "check-imports.sh"), objdump32,
                                           os.path.join(unpacked, "carried-pcilibnt.sys"),
                                           os.path.join(HERE, "driver-imports-allowlist.txt")])
    check_tool("imports of x64/pcilibnt.sys", [os.path.join(HERE, "check-imports.sh"), objdump64,
                                               os.path.join(unpacked, "x64", "pcilibnt.sys"),
                                               os.path.join(HERE, "driver-imports-allowlist-x86_64.txt")])
    check_tool("header of vexilor.exe", [os.path.join(HERE, "check-pe-header.sh"), objdump32,
                                         os.path.join(unpacked, "vexilor.exe")])
    check_tool("the carried pcilibnt.sys", [sys.executable, os.path.join(HERE, "check-driver.py"),
                                            os.path.join(unpacked, "carried-pcilibnt.sys"), "i686"])
    check_tool("x64/pcilibnt.sys", [sys.executable, os.path.join(HERE, "check-driver.py"),
                                    os.path.join(unpacked, "x64", "pcilibnt.sys"), "x86_64"])
    program = data.get("vexilor.exe", b"")
    if len(program) > 0x40:
        pe = struct.unpack_from("<I", program, 0x3C)[0]
        if program[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<I", program, pe + 8)[0] != 0:
            problem("vexilor.exe has a time stamp: two builds would differ")
    drivers = [n for n in data if n.lower().endswith(".sys")]
    if sorted(drivers) != ["x64/pcilibnt.sys"]:
        problem("drivers inside: %s" % drivers)
    print("%d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
