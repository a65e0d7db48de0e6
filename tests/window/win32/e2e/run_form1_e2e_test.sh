#!/usr/bin/env bash
# The real Plovane.exe under Wine, driven from another process (form1_driver.exe) as a user
# drives it: both folders chosen through the folder browser of the choose buttons, "3. Start
# Comparing", one row unticked by a click on its box, "Save Results As Text File" with the
# name typed into the save dialog, "Copy Results To Clipboard", and the close box. What the
# window showed, saved and copied must be what the command line gives for the same trees,
# less the unticked row; the chosen folders must be in the registry.
#
# usage: run_form1_e2e_test.sh PLOVANE_EXE FORM1_DRIVER_EXE PLOVANE_COM EMULATOR...
#
# It runs inside the Windows leg of scripts/test, whose X display and Wine prefix it uses:
# the prefix from the emulator's WINEPREFIX=... (or the environment). The trees are seen as a
# folder of drive C:, a link in the prefix's drive_c: a user's folders lie on a drive, not in
# Wine's Z:\tmp, whose thousands of entries the folder browser would list. A drive letter of
# its own would not do: the shell lists only the drives that Wine's mount manager found
# when the prefix's services started, so the browser could not select one added now.
set -uo pipefail

readonly TOTAL_SECONDS=100
readonly DRIVER_SECONDS=80
readonly COMMAND_SECONDS=30
readonly REGISTRY_KEY='HKCU\Software\Kestrune\Plovane\Plovane'

script="$(realpath "${BASH_SOURCE[0]}")"

fail() {
  echo "form1_e2e: FAILED: $*" >&2
  exit 1
}

note() { echo "form1_e2e: $*" >&2; }

# -------------------------------------------------------------------------------------------
# The trees: files under one side only, same names with other times (one pair in folders of
# different names), a pair with equal times that gives no row, and names outside ASCII.

make_trees() {
  local left=$1 right=$2
  mkdir -p "$left/sub" "$left/Папка" "$right/Archive" "$right/Папка/Ещё"
  touch -d '2024-03-01 10:00:00' "$left/only-left.txt" "$left/sub/deeper-left.txt" \
    "$left/Résumé Ωmega.txt"
  touch -d '2024-03-01 11:00:00' "$right/only-right.txt" "$right/Archive/kept.log"
  touch -d '2024-03-02 12:00:00' "$left/same.txt" "$right/Archive/report.txt"
  touch -d '2024-03-02 09:00:00' "$right/same.txt" "$left/sub/report.txt"
  touch -d '2024-03-03 08:00:00' "$left/Папка/Отчёт.txt" "$left/equal.txt" "$right/equal.txt"
  touch -d '2024-03-03 18:00:00' "$right/Папка/Ещё/Отчёт.txt"
}

# -------------------------------------------------------------------------------------------
# Inside: with the trees and the drive in place, start the window, drive it, and compare.

wine_run() { "${emulator[@]}" "$@"; }

# The command line's outputs for the same trees: the rows, the clipboard text and the report.
command_line_outputs() {
  local status
  timeout "$COMMAND_SECONDS" "${emulator[@]}" "$com" compare --tsv "$root\\left" "$root\\right" \
    >"$work/cli.tsv" 2>"$work/cli.err"
  status=$?
  ((status == 1)) || fail "plovane.com compare --tsv ended with status $status: $(cat "$work/cli.err")"
  timeout "$COMMAND_SECONDS" "${emulator[@]}" "$com" compare "$root\\left" "$root\\right" \
    >"$work/cli-clipboard.txt" 2>>"$work/cli.err"
  timeout "$COMMAND_SECONDS" "${emulator[@]}" "$com" compare --text "$root\\cli-report.txt" \
    "$root\\left" "$root\\right" >/dev/null 2>>"$work/cli.err"
  [[ -s "$work/cli-report.txt" && -s "$work/cli-clipboard.txt" ]] ||
    fail "the command line wrote no report or clipboard text: $(cat "$work/cli.err")"
  sed -i 's/\r$//' "$work/cli.tsv"
}

# Evidence of a failure only: a picture of the display, where the tools for it are installed.
take_screenshot() {
  command -v xwd >/dev/null && command -v convert >/dev/null || return 0
  timeout 10 xwd -root -silent 2>/dev/null | timeout 10 convert xwd:- "png:$1" 2>/dev/null &&
    note "screen: $1"
}

stop_window() {
  [[ -n "${window_pid:-}" ]] || return 0
  kill "$window_pid" 2>/dev/null
  wait "$window_pid" 2>/dev/null
  window_pid=
}

show_failure_context() {
  take_screenshot "$work/screen.png"
  [[ -s "$work/driver.log" ]] && sed 's/^/  /' "$work/driver.log" >&2
  [[ -s "$work/plovane.log" ]] && sed 's/^/  plovane: /' "$work/plovane.log" >&2
}

# Lines of a file with one line left out, by its number from 1.
without_line() { sed "$2d" "$1"; }

compare_outputs() {
  local rows=$1 untick=$2
  cmp -s "$work/cli.tsv" "$work/rows.tsv" || {
    note "rows of the command line (<) and shown by the window (>):"
    diff "$work/cli.tsv" "$work/rows.tsv" | sed 's/^/  /' >&2
    fail "ListView3 does not show the command line's rows"
  }
  # The widths of the columns count unticked rows too, so the rest is the same to the byte.
  cmp -s <(without_line "$work/cli-report.txt" $((untick + 2))) "$work/results" || {
    note "report of the command line less row $untick (<) and saved by the window (>):"
    diff <(without_line "$work/cli-report.txt" $((untick + 2)) | od -c) <(od -c "$work/results") |
      head -40 | sed 's/^/  /' >&2
    fail "the saved report is not the command line's report less the unticked row"
  }
  cmp -s <(without_line "$work/cli-clipboard.txt" $((untick + 1))) "$work/clipboard.txt" || {
    note "text of the command line less row $untick (<) and on the clipboard (>):"
    diff <(without_line "$work/cli-clipboard.txt" $((untick + 1)) | od -c) \
      <(od -c "$work/clipboard.txt") | head -40 | sed 's/^/  /' >&2
    fail "the clipboard text is not the command line's text less the unticked row"
  }
  [[ $(grep -c $'\r$' "$work/results") == "$rows" ]] ||
    fail "the report has not one CR LF line for the header and each ticked row"
}

# Every setting is a REG_SZ value written when it changed.
check_registry() {
  timeout "$COMMAND_SECONDS" "${emulator[@]}" reg query "$REGISTRY_KEY" >"$work/registry.txt" 2>&1
  local name value
  while read -r name value; do
    NAME=$name VALUE=$value awk '{ sub(/\r$/, "") }
      $1 == ENVIRON["NAME"] && $2 == "REG_SZ" && $3 == ENVIRON["VALUE"] { found = 1 }
      END { exit !found }' "$work/registry.txt" || {
      sed 's/^/  /' "$work/registry.txt" >&2
      fail "the registry holds no $name = $value under $REGISTRY_KEY"
    }
  done <<EOF
ListView1 $root\\left\\
ListView2 $root\\right\\
LastFolderDot $root\\right
EOF
}

run_inside() {
  wine_run reg delete "$REGISTRY_KEY" /f >"$work/registry-reset.txt" 2>&1
  command_line_outputs
  local rows untick
  rows=$(wc -l <"$work/cli.tsv")
  ((rows >= 6)) || fail "the trees give only $rows rows; they should give at least 6"
  untick=$((rows / 2))

  # A drawn home-page start must not start a browser: winebrowser is switched off.
  WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winebrowser.exe=d" \
    "${emulator[@]}" "$exe" >"$work/plovane.log" 2>&1 &
  window_pid=$!
  trap 'stop_window' EXIT
  trap 'exit 143' TERM INT

  timeout -k 5 "$DRIVER_SECONDS" "${emulator[@]}" "$driver" e2e --left "$root\\left" \
    --right "$root\\right" --rows "$rows" --untick "$untick" --report "$root\\results" \
    --out "$root" >"$work/driver.log" 2>&1
  local status=$?
  if ((status != 0)); then
    show_failure_context
    ((status == 124)) && note "the driver was stopped after $DRIVER_SECONDS s"
    fail "the window could not be driven (status $status)"
  fi
  # The driver closed the window as its last step.
  stop_window

  compare_outputs "$rows" "$untick"
  check_registry
  note "ok: $rows rows shown as the command line gives them; row $untick unticked; saved, copied and remembered alike"
}

if [[ "${1:-}" == --inside ]]; then
  shift
  exe=$1 driver=$2 com=$3 work=$4 root=$5
  shift 5
  emulator=("$@")
  run_inside
  exit $?
fi

# -------------------------------------------------------------------------------------------
# Outside: arguments, the drive, the namespace.

(($# >= 4)) || fail "usage: $0 PLOVANE_EXE FORM1_DRIVER_EXE PLOVANE_COM EMULATOR..."
exe=$1 driver=$2 com=$3
shift 3
for file in "$exe" "$driver" "$com"; do [[ -f "$file" ]] || fail "no $file"; done
[[ -n "${DISPLAY:-}" ]] || fail "no DISPLAY: run it in the Windows leg of scripts/test, which starts one"
prefix="${WINEPREFIX:-}"
for argument in "$@"; do [[ "$argument" == WINEPREFIX=* ]] && prefix="${argument#WINEPREFIX=}"; done
[[ -d "$prefix/dosdevices" ]] || fail "no Wine prefix with a dosdevices folder: '$prefix'"

work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-form1-e2e-XXXXXX")" || fail "cannot make a work folder"
link="$prefix/drive_c/$(basename "$work")"
keep_work=0
# shellcheck disable=SC2317  # run by the exit trap
cleanup() {
  rm -f "$link"
  ((keep_work)) || rm -rf "$work"
}
trap cleanup EXIT
make_trees "$work/left" "$work/right"
ln -sfn "$work" "$link" || fail "cannot link $link"

# Wine's processes in a mount namespace of their own where there can be one (as root): the
# mounts that others make or take away meanwhile do not reach the shell's dialogs.
namespace=(setsid)
if unshare --mount --propagation private true 2>/dev/null; then
  namespace=(unshare --mount --propagation private)
else
  note "no private mount namespace here (unshare -m needs root); running in the shared one"
fi
timeout -k 5 "$TOTAL_SECONDS" "${namespace[@]}" bash "$script" --inside "$exe" "$driver" "$com" \
  "$work" "C:\\$(basename "$work")" "$@"
status=$?
if ((status != 0)); then
  keep_work=1
  ((status == 124)) && note "the test took more than $TOTAL_SECONDS s and was stopped"
  fail "files kept in $work"
fi
exit 0
