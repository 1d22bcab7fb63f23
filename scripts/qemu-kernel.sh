#!/usr/bin/env bash
# Puts a Debian kernel (extracted from its linux-image package, not installed) into the cache that the
# emulated-board tests boot: $VX_QEMU_CACHE (default /var/cache/vexilor/qemu)/vmlinuz. Idempotent: when the
# kernel is there it only checks. Called by setup.sh.
set -euo pipefail

cache="${VX_QEMU_CACHE:-/var/cache/vexilor/qemu}"
[ -s "$cache/vmlinuz" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO mkdir -p "$cache"
$SUDO chown "$(id -u):$(id -g)" "$cache"

# The versioned package that the metapackage names, e.g. linux-image-6.1.0-28-amd64.
package=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1)
if [ -z "$package" ]; then
  $SUDO apt-get update -qq
  package=$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1)
fi
[ -n "$package" ] || { echo "qemu-kernel: no linux-image package found" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "setup: extracting the kernel of $package into $cache" >&2
(cd "$work" && apt-get download -qq "$package" 2>/dev/null)
dpkg-deb -x "$work"/"$package"_*.deb "$work/root"
kernel=$(ls "$work"/root/boot/vmlinuz-* | head -n 1)
cp "$kernel" "$cache/vmlinuz.part"
echo "$package" > "$cache/kernel-package"
mv "$cache/vmlinuz.part" "$cache/vmlinuz"
