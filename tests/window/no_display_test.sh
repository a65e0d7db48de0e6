#!/usr/bin/env bash
# The window program started where it can have no display: one line on standard error that
# says so and what to use instead, exit status 2, rather than an abort inside the toolkit.
# A platform that needs no display still starts the window.
#
# usage: no_display_test.sh <path to plovane>
set -uo pipefail

readonly program=$1
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() {
  echo "no_display: FAILED: $*" >&2
  exit 1
}

# Runs the program without any display of the caller's, with the given settings added.
run_without_display() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" XDG_CONFIG_HOME="$work/config" \
    "$@" timeout 20 "$program" >"$work/out" 2>"$work/err"
}

# An X display number that no server holds.
unused_display() {
  local number=700
  while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
  echo ":$number"
}

expect_told() {
  local said=$1
  shift
  run_without_display "$@"
  local status=$?
  local told
  told="$(cat "$work/err")"
  [[ $status -eq 2 ]] || fail "with '$*' the exit status was $status, not 2; it said: $told"
  [[ $(wc -l <"$work/err") -eq 1 ]] || fail "with '$*' not one line: $told"
  [[ $told == "plovane: $said"* ]] || fail "with '$*' it did not say '$said': $told"
  [[ $told == *'"plovane compare"'* && $told == *'"xvfb-run -a plovane"'* ]] ||
    fail "with '$*' it did not point to what to use instead: $told"
}

expect_told "there is no display to show the window on"
# Platforms that show windows on a display, named as the toolkit takes them.
expect_told "there is no display to show the window on" QT_QPA_PLATFORM=xcb
expect_told "there is no display to show the window on" "QT_QPA_PLATFORM=wayland;xcb"
display="$(unused_display)"
expect_told "the display \"$display\" cannot be opened" DISPLAY="$display"

# The window needs no display on the offscreen platform: it is still running when stopped.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" XDG_CONFIG_HOME="$work/config" \
  timeout 3 "$program" -platform offscreen >"$work/out" 2>"$work/err"
status=$?
[[ $status -eq 124 ]] || fail "offscreen, the exit status was $status: $(cat "$work/err")"
echo "no_display: passed"
