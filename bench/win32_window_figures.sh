#!/usr/bin/env bash
# The Windows window's figures under Wine, run by hand (not a test): for synthetic trees of
# --rows rows, the time until Plovane.exe started on them shows every row against the time of
# "plovane.com compare --tsv" on the same trees (ratio, target <= 1.2); the longest wait of a
# message sent to the window during the run (longest_gap_ms, target <= 50); and how soon it
# answers once scrolled to the last row (scroll_seconds, target <= 0.5). Prints key: value
# lines.
#
#   bench/win32_window_figures.sh [--rows N] [--runs N]
#
# Needs the Windows build (build-mingw, as scripts/test makes it: Plovane.exe, plovane.com and
# form1_driver.exe) and the everyday one's plovane-trees (build/bench). It uses the Windows
# leg's Wine prefix with a display and a wineserver of its own: do not run it while the leg
# runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mingw="$root/build-mingw"
rows=200000
runs=3
while (($#)); do
  case $1 in
    --rows) rows=$2 ;;
    --runs) runs=$2 ;;
    *) echo "usage: $0 [--rows N] [--runs N]" >&2 && exit 2 ;;
  esac
  shift 2
done

trees_tool="$root/build/bench/plovane-trees"
exe="$mingw/src/window/win32/Plovane.exe"
com="$mingw/src/cli/plovane.com"
driver="$mingw/tests/window/win32/e2e/form1_driver.exe"
for file in "$trees_tool" "$exe" "$com" "$driver"; do
  [[ -f $file ]] || { echo "missing $file: build it first" >&2 && exit 2; }
done

export WINEPREFIX="${WINEPREFIX:-$mingw/wine-prefix}" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winebrowser.exe=d"
wine=/usr/lib/wine/wine64
work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-win32-figures-XXXXXX")"
drive="$WINEPREFIX/dosdevices/w:"
xvfb_pid=
# shellcheck disable=SC2317  # run by the exit trap
cleanup() {
  wineserver --kill 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -f "$drive"
  rm -rf "$work"
}
trap cleanup EXIT

echo "making trees of $rows rows in $work" >&2
made="$("$trees_tool" --rows "$rows" "$work")"
rows="$(sed -n 's/^rows: //p' <<<"$made")"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
mkdir -p "$WINEPREFIX"
wineserver --persistent 2>/dev/null ||
  { echo "a wineserver already serves $WINEPREFIX (the Windows leg?): stop it first" >&2 && exit 2; }
"$wine" wineboot --init >"$work/wineboot.log" 2>&1
ln -sfn "$work" "$drive"

# The programs as Windows names them, through drive Z:, Wine's whole file system.
windows_path() { local path="Z:$1" && echo "${path//\//\\}"; }

# Output to a file: Wine's service processes hold a pipe open after the driver ends.
status=0
"$wine" "$driver" speed --exe "$(windows_path "$exe")" --cli "$(windows_path "$com")" \
  --left 'W:\left' --right 'W:\right' \
  --rows "$rows" --tsv 'W:\cli.tsv' --runs "$runs" >"$work/figures.txt" 2>&1 || status=$?
cat "$work/figures.txt"
exit "$status"
