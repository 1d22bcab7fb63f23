#!/usr/bin/env bash
# Prepares the route that runs the i686 release under Wine: a Debian trixie tree whose Wine 10 runs
# 32-bit Windows programs inside its 64-bit process ("new WoW64"), so no 32-bit Linux program is ever
# started, neither here nor by the tests.
#
# The tree lives outside the clone, in $VEXILOR_I686_WINE (default /var/cache/vexilor/i686-wine), so a
# fresh clone on the same machine reuses it and `make clean` leaves it alone. It is built in a
# ".partial" folder and renamed when every step has succeeded; a finished tree carries a stamp, and a
# second run only reads that stamp.
#
# First it asks the kernel, once a boot (scripts/i686-wine/kernel-check.sh), whether it runs 32-bit code in
# a 64-bit process; where it does not, WoW64 cannot work, the tree is not built and the i686 tests report
# SKIPPED with that reason.
#
# Exit status: 0 when the tree is ready, or when this machine cannot use it (a kernel without 32-bit code,
# or not root; the reason is printed, and the i686 Wine tests then report SKIPPED with it); 1 when a step
# failed (no network to the Debian archive, for example): the reason is kept in $VEXILOR_I686_WINE.failed
# for the tests to show.
set -euo pipefail

root=${VEXILOR_I686_WINE:-/var/cache/vexilor/i686-wine}
mirror=${VEXILOR_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=trixie
# Bump when the recipe changes, so that trees built by an older recipe are rebuilt.
recipe=2
stamp="$root/.vexilor-i686-wine"

if ! kernel=$("$(dirname "$0")/i686-wine/kernel-check.sh"); then
  echo "setup-i686-wine: ${kernel#no: }: WoW64 cannot work here, so the i686 Wine tree is not prepared (its tests will be skipped)" >&2
  exit 0
fi

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "recipe $recipe" ]; then
  echo "setup-i686-wine: $root is ready" >&2
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  # The tree is built and entered with chroot in a private mount namespace: both need root.
  echo "setup-i686-wine: not root, the i686 Wine route is not prepared (its tests will be skipped)" >&2
  exit 0
fi

work="$root.partial"
mkdir -p "$(dirname "$root")"
# Ends the set-up, keeping the reason where the skipped tests report it.
fail() {
  trap - ERR
  echo "setup-i686-wine: $*" >&2
  echo "$*" >"$root.failed"
  rm -rf "$work"
  exit 1
}

command -v debootstrap >/dev/null || fail "debootstrap is missing (setup.sh installs it)"

trap 'fail "the step at line $LINENO of $0 failed, see $work.log"' ERR
started=$(date +%s)
echo "setup-i686-wine: building the Debian $suite tree with Wine in $root (about 1 GB to download, a few minutes)" >&2
rm -rf "$work"

# In a private mount namespace: nothing stays mounted when the command ends, even if it fails.
in_tree() {
  unshare -m -- sh -c '
    set -e
    r=$1; shift
    mount --make-rprivate /
    for d in proc sys dev; do mount --rbind "/$d" "$r/$d"; done
    exec chroot "$r" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"
  ' in_tree "$work" "$@"
}

debootstrap --variant=minbase "$suite" "$work" "$mirror" >"$work.log" 2>&1 ||
  fail "debootstrap failed, see $work.log"

# No daemon may start inside the tree while packages install.
printf '#!/bin/sh\nexit 101\n' >"$work/usr/sbin/policy-rc.d"
chmod 755 "$work/usr/sbin/policy-rc.d"

packages=(
  wine wine64 libwine fonts-wine fonts-ipafont-gothic     # Wine 10, Marlett and Japanese glyphs
  fonts-liberation                                         # the pages' Arial (mapped to Liberation Sans)
  xvfb xauth x11-utils x11-apps xdotool imagemagick        # the same display tools the x86_64 route uses
  libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
)
in_tree apt-get update -qq >>"$work.log" 2>&1 || fail "apt-get update in the tree failed, see $work.log"
in_tree apt-get install -y -qq --no-install-recommends "${packages[@]}" >>"$work.log" 2>&1 ||
  fail "installing Wine in the tree failed, see $work.log"

# The amd64 libwine ships an empty i386-windows folder: take the 32-bit PE libraries from the same
# version's libwine:i386, unpacked and never installed (apt's own lists, so the tree stays amd64-only).
version=$(in_tree dpkg-query -W -f='${Version}' libwine)
mkdir -p "$work/tmp/i386/lists/partial" "$work/tmp/i386/archives/partial" "$work/tmp/i386/deb"
cat >"$work/tmp/i386/apt.conf" <<'EOF'
APT::Architectures { "amd64"; "i386"; };
Dir::State::Lists "/tmp/i386/lists";
Dir::Cache::Archives "/tmp/i386/archives";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
EOF
in_tree sh -c 'export APT_CONFIG=/tmp/i386/apt.conf && apt-get update -qq && cd /tmp/i386/deb && apt-get download -qq "libwine:i386=$1"' \
  sh "$version" >>"$work.log" 2>&1 ||
  fail "fetching libwine:i386 $version failed, see $work.log"
deb=$(ls "$work"/tmp/i386/deb/libwine_*_i386.deb)
dpkg-deb -x "$deb" "$work/tmp/i386/x"
pe32="$work/usr/lib/x86_64-linux-gnu/wine/i386-windows"
mkdir -p "$pe32"
cp -a "$work/tmp/i386/x/usr/lib/i386-linux-gnu/wine/i386-windows/." "$pe32/"
[ -f "$pe32/kernel32.dll" ] && [ -f "$pe32/ntoskrnl.exe" ] ||
  fail "libwine:i386 $version has no i386-windows libraries"
rm -rf "$work/tmp/i386"
in_tree apt-get clean >>"$work.log" 2>&1

# The display sockets are bind-mounted here.
mkdir -p "$work/tmp/.X11-unix"

echo "recipe $recipe" >"$work/.vexilor-i686-wine"
rm -rf "$root"
mv "$work" "$root"
mv "$work.log" "$root.log"
rm -f "$root.failed"
echo "setup-i686-wine: ready in $(( $(date +%s) - started )) s, $(du -sh "$root" | cut -f1) in $root (Wine $version)" >&2
