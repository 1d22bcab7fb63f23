#!/usr/bin/env bash
# install-check.sh BUILD_DIR WORK_DIR: cmake --install of the native build into an empty prefix puts
# vexilor-report under bin/ and its manual page under share/man/man1/, and the installed program runs.
set -uo pipefail
build=$1 prefix=$2/prefix
rm -rf "$prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$2/install.log" 2>&1; then
  echo "install-check: cmake --install failed:" >&2
  cat "$2/install.log" >&2
  exit 1
fi
status=0
for f in bin/vexilor-report share/man/man1/vexilor-report.1; do
  [ -f "$prefix/$f" ] || { echo "install-check: $prefix/$f is missing" >&2; status=1; }
done
if ! [ -x "$prefix/bin/vexilor-report" ] || ! "$prefix/bin/vexilor-report" --help >/dev/null; then
  echo "install-check: the installed vexilor-report does not run" >&2
  status=1
fi
# Nothing else: a packager's prefix gets no test programs, libraries or headers.
extra=$(cd "$prefix" && find . -type f ! -path ./bin/vexilor-report ! -path ./share/man/man1/vexilor-report.1)
[ -z "$extra" ] || { echo "install-check: unexpected files installed: $(echo "$extra" | tr "\n" " ")" >&2; status=1; }
[ "$status" -eq 0 ] && echo "install-check: bin/vexilor-report and share/man/man1/vexilor-report.1 installed"
exit "$status"
