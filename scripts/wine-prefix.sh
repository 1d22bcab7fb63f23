#!/usr/bin/env bash
# wine-prefix.sh --wine x86_64|i686 PREFIX: makes PREFIX a fresh Wine prefix for one test run, which no other
# run has written to: a copy of the route's template prefix, made once and kept.
#
# The template lives in $VEXILOR_WINE_TEMPLATES/ROUTE (default: wine-templates/ROUTE in the build tree that
# holds PREFIX, the nearest folder above it with a CMakeCache.txt; else beside PREFIX). It is made under a
# lock, so that tests started together wait for one set-up instead of making one each, and made again when
# its recipe or the Wine version changes. The copy hard-links the files Wine only reads (the DLLs, programs
# and fonts, nearly all of a prefix's size) and copies every other file (the registry and whatever else Wine
# writes in place), so a run changes nothing in the template or in another run's prefix. Files that a run
# puts into its prefix must go in as new files or by renaming (scripts/wine-system-files.sh does so), never
# by writing over a linked one.
#
# The prefix has no window manager to rely on, so Wine draws the frames itself (Decorated=N); Marlett for the
# caption buttons; the Japanese UI faces mapped to IPAGothic, Arial to Liberation Sans.
#
# Exit status: 0 when PREFIX is ready; 77 when the route's Wine cannot run here (the reason is printed);
# 1 when the template could not be made (the step and its log are named).
set -uo pipefail

route=x86_64
case "${1:-}" in
  --wine) route=${2:-}; shift 2 ;;
esac
if [ $# -ne 1 ]; then
  echo "usage: wine-prefix.sh --wine x86_64|i686 PREFIX" >&2
  exit 2
fi
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)

case "$route" in
  x86_64)
    wine=${WINE:-/usr/lib/wine/wine64}
    wineserver=${WINESERVER:-/usr/lib/wine/wineserver}
    wine_fonts=/usr/share/wine/fonts ;;
  i686)
    wine=$here/i686-wine/wine
    wineserver=$here/i686-wine/wineserver
    wine_fonts=${VEXILOR_I686_WINE:-/var/cache/vexilor/i686-wine}/usr/share/wine/fonts ;;
  *) echo "wine-prefix.sh: --wine takes x86_64 or i686, not $route" >&2; exit 2 ;;
esac

# The Wine version is part of the template's stamp; asking for it also tells whether this route's Wine runs.
version=$("$wine" --version)
status=$?
if [ $status -ne 0 ]; then
  [ $status -eq 77 ] && exit 77
  echo "wine-prefix.sh: $wine --version failed (status $status)" >&2
  exit 1
fi

parent=$(mkdir -p "$(dirname "$prefix")" && cd "$(dirname "$prefix")" && pwd) || exit 1
prefix=$parent/$(basename "$prefix")
templates=${VEXILOR_WINE_TEMPLATES:-}
if [ -z "$templates" ]; then
  d=$parent
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ -f "$d/CMakeCache.txt" ] || d=$parent
  templates=$d/wine-templates
fi
mkdir -p "$templates" || exit 1
templates=$(cd "$templates" && pwd)
template=$templates/$route
# Bump when the set-up below changes.
recipe=2
stamp="recipe $recipe, $version"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Wine takes its ANSI code page from the locale: Japanese (932) for the program's ANSI texts.
locale=(env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)
unset DISPLAY
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# One step of the template's set-up; a step that fails ends the run, and the template is not marked ready.
log=$templates/$route.log
step() {
  local name=$1
  shift
  if ! "$@" >>"$log" 2>&1; then
    echo "wine-prefix.sh: the $route template prefix failed at step \"$name\" (log: $log)" >&2
    WINEPREFIX=$work "$wineserver" -k >/dev/null 2>&1
    exit 1
  fi
}
make_template() {
  work=$template.partial
  rm -rf "$work" "$template"
  echo "wine-prefix.sh: creating the $route template prefix $template" >&2
  : >"$log"
  export WINEPREFIX=$work
  step "wineboot --init" "${locale[@]}" "$wine" wineboot --init
  step "wineserver -w after wineboot" "$wineserver" -w
  cat >"$templates/$route.settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="IPAGothic"
"MS Gothic"="IPAGothic"
"MS PGothic"="IPAGothic"
"ＭＳ ゴシック"="IPAGothic"
"ＭＳ Ｐゴシック"="IPAGothic"
"Arial"="Liberation Sans"
REG
  step "regedit settings.reg" "${locale[@]}" "$wine" regedit /S "$(winpath "$templates/$route.settings.reg")"
  step "make the Fonts folder" mkdir -p "$work/drive_c/windows/Fonts"
  step "copy Wine's fonts" cp "$wine_fonts"/* "$work/drive_c/windows/Fonts/"
  step "wineserver -w after the settings" "$wineserver" -w
  # regedit answers 0 even when it imported nothing: look for the settings in the saved registry.
  step "check the settings in user.reg" grep -q '"Decorated"="N"' "$work/user.reg"
  echo "$stamp" >"$work/.vexilor-template"
  mv "$work" "$template"
}

# Shared while copying; exclusive while the template is made (tests started together wait here).
exec 9>"$templates/$route.lock"
flock -s 9
if [ "$(cat "$template/.vexilor-template" 2>/dev/null)" != "$stamp" ]; then
  flock -x 9
  [ "$(cat "$template/.vexilor-template" 2>/dev/null)" = "$stamp" ] || make_template
  flock -s 9
fi

rm -rf "$prefix"
if ! cp -al "$template" "$prefix"; then
  echo "wine-prefix.sh: cannot link $template into $prefix" >&2
  exit 1
fi
# The stamp, and the name Wine gave the template's server objects (each prefix makes its own).
rm -f "$prefix/.vexilor-template" "$prefix/wineserver"
# Every file but those Wine only reads becomes a copy of its own.
find "$prefix" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.sys' -o -iname '*.drv' \
    -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.ax' -o -iname '*.tlb' -o -iname '*.ttf' \
    -o -iname '*.ttc' -o -iname '*.otf' -o -iname '*.fon' -o -iname '*.nls' -o -iname '*.ds' -o -iname '*.com' \) \
    -print0 | while IFS= read -r -d '' f; do
  cp -p "$f" "$f.vx-copy" && mv -f "$f.vx-copy" "$f" || exit 1
done || { echo "wine-prefix.sh: cannot copy the written files of $template into $prefix" >&2; exit 1; }
exit 0
