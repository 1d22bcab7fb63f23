#!/usr/bin/env bash
# wine-run.sh: runs a Windows test program under Wine on a private Xvfb display, next to a copy of
# vexilor.exe, and passes on its result.
#
#   wine-run.sh [--wine x86_64|i686] --out DIR --exe VEXILOR.EXE [--copy FILE]...
#               [--system-driver FILE] [--hal FILE]
#               [--report PROGRAM [--report-args "ARGS"]] -- TEST.EXE [TEST ARGS]...
#
#   --wine x86_64      Debian's wine64 (the default): for the x86_64 vexilor.exe
#   --wine i686        the Wine 10 of the i686 tree (scripts/setup-i686-wine.sh), which runs the i686
#                      vexilor.exe and its drivers inside a 64-bit Wine (the test program stays x86_64)
#   --out DIR          work directory: DIR/prefix (the Wine prefix: a fresh copy of the route's template
#                      prefix, scripts/wine-prefix.sh; removed when the test passes), DIR/run (the program
#                      and the files copied beside it), DIR/shots (screenshots), DIR/*.log
#   --exe FILE         the vexilor.exe to test; copied to DIR/run
#   --copy FILE        another file to put next to it (a driver there is one the program must not load);
#                      repeatable
#   --system-driver FILE  a driver put into the prefix's windows\system32\drivers for this run
#   --hal FILE         a stand-in hal.dll put where Wine's driver host takes it, with the override that
#                      makes the driver host alone load it (scripts/wine-system-files.sh); the run fails
#                      when the driver host loaded another HAL. Both go into this run's own prefix.
#   --report PROGRAM   vexilor-report (native): its output with --report-args is the expected clipboard
#                      text, written to DIR/expected-report.txt
#   --report-args ARGS arguments for it, split at blanks (default: none)
#
# The test program gets, before its own arguments: --exe <the copy, as a Windows path>, --shots <DIR/shots>,
# and --expected <the expected report> when --report is given. When it prints "SHOT NAME X Y W H", the
# screen rectangle is saved as DIR/shots/NAME.png (taken again, for up to 10 s, while it is of one colour)
# and DIR/shots/NAME.done is written: "colours N" (the picture's distinct colours), "root-crop colours N"
# (no X window has that rectangle: cut from the root window's image), "failed" or "no shot" (no ImageMagick). When it prints
# "MEASURE-CPU NAME SECONDS", the processor time (ms) that the copied program uses over that many seconds
# is written to DIR/shots/NAME.cpu, then NAME.done is created.
# Exit status: the test program's; 77 when the Windows build or Wine is missing (CTest: skipped).
set -uo pipefail

out="" exe="" report="" report_args="" copies=() route=x86_64 system_driver="" hal=""
while [ $# -gt 0 ]; do
  case "$1" in
    --wine) route=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --exe) exe=$2; shift 2 ;;
    --copy) copies+=("$2"); shift 2 ;;
    --system-driver) system_driver=$2; shift 2 ;;
    --hal) hal=$2; shift 2 ;;
    --report) report=$2; shift 2 ;;
    --report-args) report_args=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "wine-run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
if [ -z "$out" ] || [ -z "$exe" ] || [ $# -lt 1 ]; then
  echo "usage: wine-run.sh --out DIR --exe VEXILOR.EXE [--copy FILE]... [--system-driver FILE]... [--report PROGRAM [--report-args ARGS]] -- TEST.EXE [ARGS]..." >&2
  exit 2
fi
test_exe=$1
shift
. "$(dirname "$0")/wine-system-files.sh"

# The Wine that runs everything; the only place where the two routes differ.
case "$route" in
  x86_64)
    wine=${WINE:-/usr/lib/wine/wine64}
    wineserver=${WINESERVER:-/usr/lib/wine/wineserver} ;;
  i686)
    # Commands that enter the tree with the folders of this run bound at the same paths.
    wine=$(dirname "$0")/i686-wine/wine
    wineserver=$(dirname "$0")/i686-wine/wineserver
    # The folders of the files this run reads; its own folder is the prefix's, which is bound anyway.
    VEXILOR_I686_BIND=""
    for f in "$exe" "$test_exe" "${copies[@]+"${copies[@]}"}"; do
      VEXILOR_I686_BIND+=$(cd "$(dirname "$f")" 2>/dev/null && pwd):
    done
    export VEXILOR_I686_BIND
    # A machine that cannot enter the tree skips these tests, saying why.
    reason=$("$wine" --version 2>&1 >/dev/null)
    case $? in
      0) ;;
      77) echo "wine-run.sh: $reason" >&2; exit 77 ;;
      *) echo "wine-run.sh: the i686 Wine does not start: $reason" >&2; exit 1 ;;
    esac ;;
  *) echo "wine-run.sh: --wine takes x86_64 or i686, not $route" >&2; exit 2 ;;
esac
for f in "$exe" "$test_exe" ${system_driver:+"$system_driver"} ${hal:+"$hal"}; do
  if [ ! -f "$f" ]; then
    echo "wine-run.sh: $f is missing (build the Windows targets first: make win64); skipped" >&2
    exit 77
  fi
done
for t in "$wine" "$wineserver" Xvfb xdpyinfo xwd xwininfo; do
  if ! command -v "$t" >/dev/null; then
    echo "wine-run.sh: $t is missing (run scripts/setup.sh); skipped" >&2
    exit 77
  fi
done
# The real ImageMagick (a stand-in named convert may come first in PATH).
convert=""
for c in convert-im6.q16 /usr/bin/convert convert; do
  if command -v "$c" >/dev/null; then convert=$c; break; fi
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
prefix=$out/prefix run=$out/run shots=$out/shots
rm -rf "$run" "$shots"
mkdir -p "$run" "$shots"

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Wine takes its ANSI code page from the locale: Japanese (932) for the program's ANSI texts.
locale=(env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)
unset DISPLAY

# A wineserver left from an interrupted run would keep the display and locale it started with.
[ -d "$prefix" ] && "$wineserver" -k >/dev/null 2>&1
# A prefix that no other run has written to.
"$(dirname "$0")/wine-prefix.sh" --wine "$route" "$prefix"
case $? in
  0) ;;
  77) exit 77 ;;
  *) exit 1 ;;
esac

winpath() { printf 'Z:%s' "${1//\//\\}"; }

xvfb_pid="" status=1
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  # A passing run's prefix has nothing left to show; a failing one's stays for a look.
  if [ "$status" -eq 0 ]; then rm -rf "$prefix"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display of our own. Xvfb picks a free number itself and writes it to the -displayfd descriptor: with
# tests running in parallel, probing for a free number first would let two runs share one server (and so
# one clipboard).
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/xvfb.display" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  n=$(tr -dc 0-9 <"$out/xvfb.display" 2>/dev/null)
  if [ -n "$n" ] && xdpyinfo -display ":$n" >/dev/null 2>&1; then export DISPLAY=":$n"; break; fi
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: cannot start Xvfb" >&2
  cat "$out/xvfb.log" >&2
  exit 1
fi

# Files for the Windows folders of the prefix, put in while no wineserver runs.
if [ -n "$system_driver$hal" ]; then
  "$wineserver" -w >/dev/null 2>&1
  if ! vx_place_system_files "$prefix" "$route" "$system_driver" "$hal"; then
    echo "wine-run.sh: cannot put $system_driver $hal into $prefix" >&2
    exit 1
  fi
  # The driver host inherits the first process's environment and standard error: its loads go to wine.log.
  [ -n "$hal" ] && export WINEDEBUG=-all,+loaddll
fi

cp "$exe" "$run/"
for f in "${copies[@]+"${copies[@]}"}"; do cp "$f" "$run/"; done
args=(--exe "$(winpath "$run/$(basename "$exe")")" --shots "$(winpath "$shots")")
if [ -n "$report" ]; then
  # shellcheck disable=SC2086
  if ! "$report" $report_args >"$out/expected-report.txt" 2>"$out/report.log"; then
    echo "wine-run.sh: $report $report_args failed:" >&2
    cat "$out/report.log" >&2
    exit 1
  fi
  # The clock line is a one-second measurement that a loaded machine can throw off. Measure three times and
  # keep the report whose clock is the median, so one disturbed measurement on this side fails no test.
  clock_of() { sed -n 's/^ CPU Clock       : \([0-9.]*\)MHz\r\{0,1\}$/\1/p' "$1"; }
  if [ -n "$(clock_of "$out/expected-report.txt")" ]; then
    cp "$out/expected-report.txt" "$out/expected-report-1.txt"
    for k in 2 3; do
      # shellcheck disable=SC2086
      if ! "$report" $report_args >"$out/expected-report-$k.txt" 2>>"$out/report.log"; then
        echo "wine-run.sh: $report $report_args failed on its run $k:" >&2
        cat "$out/report.log" >&2
        exit 1
      fi
    done
    median=$(for k in 1 2 3; do echo "$(clock_of "$out/expected-report-$k.txt") $k"; done | sort -n | sed -n 2p)
    cp "$out/expected-report-${median#* }.txt" "$out/expected-report.txt"
    echo "wine-run.sh: vexilor-report's clock, three runs: $(for k in 1 2 3; do printf '%s ' "$(clock_of "$out/expected-report-$k.txt")"; done)(median ${median% *})"
  fi
  args+=(--expected "$(winpath "$out/expected-report.txt")")
fi

# User and system clock ticks of the processes of this prefix that run the program under test.
exe_name=$(basename "$exe")
cpu_ticks() {
  local total=0 p stat
  for p in /proc/[0-9]*; do
    grep -qzx "WINEPREFIX=$prefix" "$p/environ" 2>/dev/null || continue
    tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -qF "$exe_name" || continue
    stat=$(cat "$p/stat" 2>/dev/null) || continue
    stat=${stat##*) }  # the fields after the command name; utime and stime are the 12th and 13th
    read -r -a f <<<"$stat"
    total=$(( total + f[11] + f[12] ))
  done
  echo "$total"
}

# Saves the screen rectangle as DIR/shots/NAME.png.
take_shot() {
  local name=$1 x=$2 y=$3 w=$4 h=$5 id
  # The X window of exactly that rectangle: the root window's image leaves pop-up windows (dialogs,
  # menus) black under Xvfb, the window's own image does not.
  id=$(xwininfo -root -children -display "$DISPLAY" 2>/dev/null |
       awk -v g="${w}x${h}+${x}+${y}" '$1 ~ /^0x/ && index($0, " " g " ") { print $1; exit }')
  if [ -n "$id" ]; then
    xwd -id "$id" -silent -display "$DISPLAY" | "$convert" xwd:- "png:$shots/$name.png" && return 0
  else
    xwd -root -silent -display "$DISPLAY" | "$convert" xwd:- -crop "${w}x${h}+${x}+${y}" +repage "png:$shots/$name.png" && return 2
  fi
  echo "wine-run.sh: screenshot $name failed" >&2
  return 1
}

# Runs the test program; takes the screenshots it asks for on the way.
"${locale[@]}" "$wine" "$test_exe" "${args[@]}" "$@" 2>"$out/wine.log" | while IFS= read -r line; do
  line=${line%$'\r'}
  case "$line" in
    "SHOT "*)
      read -r _ name x y w h <<<"$line"
      verdict="no shot"
      if [ -n "$convert" ]; then
        # A window that Wine has mapped but not yet painted gives a picture of one colour, and a window
        # not yet mapped (or drawn by Wine in a frame of its own, when the prefix lacks Decorated=N) has no
        # X window of that rectangle: take it again until the window is there and shows more than one colour.
        for _ in $(seq 1 20); do
          take_shot "$name" "$x" "$y" "$w" "$h"
          case $? in
            0) from="colours" ;;
            2) from="root-crop colours" ;;  # from the root window: pop-ups read black there
            *) verdict="failed"; break ;;
          esac
          colours=$("$convert" "$shots/$name.png" -format %k info: 2>/dev/null)
          verdict="$from ${colours:-0}"
          [ "$from" = colours ] && [ "${colours:-0}" -gt 1 ] && break
          sleep 0.5
        done
      fi
      # The test program reads the verdict from NAME.done.
      echo "$verdict" >"$shots/$name.done"
      echo "screenshot: $shots/$name.png ($verdict)"
      ;;
    "MEASURE-CPU "*)
      # The processor time that the program under test uses while the test program waits.
      read -r _ name seconds <<<"$line"
      before=$(cpu_ticks)
      sleep "$seconds"
      after=$(cpu_ticks)
      echo $(( (after - before) * 1000 / $(getconf CLK_TCK) )) >"$shots/$name.cpu"
      : >"$shots/$name.done"
      ;;
    *) printf '%s\n' "$line" ;;
  esac
done
status=${PIPESTATUS[0]}
rm -f "$shots"/*.done
if [ "$status" -ne 0 ]; then
  echo "wine-run.sh: the test program ended with status $status (Wine's messages: $out/wine.log)" >&2
fi
if [ -n "$hal" ] && [ "$status" -eq 0 ] && ! grep -qi 'loaded l".*\\hal\.dll" at .*: native' "$out/wine.log"; then
  echo "wine-run.sh: the driver host did not load the stand-in $hal (no native hal.dll in $out/wine.log)" >&2
  status=1
fi
exit "$status"
