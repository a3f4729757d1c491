#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the window under a real window manager (openbox) on a virtual display and checks that
# the outer window, title bar and borders included, is centred on the screen within a pixel,
# and that it then stays where the user moves it. Given the chart's test program, runs it on
# the same display: where the chart opens beside the main window, and its reading under the
# real pointer.
#
# Usage: centred_under_window_manager.sh path/to/marovane [path/to/ChartWindowTest] [WxH]
# The screen is 1280x800 unless given. A display or window manager that does not start is
# tried again, then fails the test: a check that did not run has not passed.
set -euo pipefail

program="${1:?usage: $0 path/to/marovane [path/to/ChartWindowTest] [WxH] [path/to/ExportTest]}"
chart_test="${2:-}"
screen="${3:-1280x800}"
export_test="${4:-}"
screen_width="${screen%x*}"
screen_height="${screen#*x}"
title="Marovane, annual cycle of extraterrestrial solar radiation"
attempts=3

fail() {
  echo "FAILED: $*"
  exit 1
}

for tool in Xvfb openbox xwininfo xprop xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done
[[ -x "$program" ]] || fail "no program at $program"
[[ -z "$chart_test" || -x "$chart_test" ]] || fail "no chart test at $chart_test"

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Runs `check` every tenth of a second until it succeeds or `tenths` have passed.
wait_for() {
  local tenths="$1"
  shift
  for _ in $(seq 1 "$tenths"); do
    if "$@"; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# A display of our own: Xvfb picks a free number and writes it once it takes connections.
# On a loaded machine a start now and then fails; each is tried again before the test fails.
start_display() {
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp \
    3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  if wait_for 100 test -s "$work/display"; then
    pids+=("$xvfb")
    return 0
  fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  return 1
}
# Openbox announces itself before it has set up the screen; a window mapped in between may
# never be managed. The work area is among the last things it sets.
wm_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
    xprop -root _NET_WORKAREA 2>/dev/null | grep -q '='
}
start_window_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm=$!
  if wait_for 100 wm_running; then
    pids+=("$wm")
    return 0
  fi
  kill "$wm" 2>/dev/null || true
  wait "$wm" 2>/dev/null || true
  return 1
}
started=""
for attempt in $(seq 1 "$attempts"); do
  if start_display; then
    started=yes
    break
  fi
  echo "Xvfb did not start (attempt $attempt of $attempts): $(tail -n 3 "$work/xvfb.log")"
  sleep 1
done
[[ -n "$started" ]] || fail "Xvfb did not start in $attempts attempts"
export DISPLAY=":$(head -n 1 "$work/display")"
started=""
for attempt in $(seq 1 "$attempts"); do
  if start_window_manager; then
    started=yes
    break
  fi
  echo "openbox did not start (attempt $attempt of $attempts): $(tail -n 3 "$work/openbox.log")"
  sleep 1
done
[[ -n "$started" ]] || fail "openbox did not start in $attempts attempts"

QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
main_pid=$!
pids+=("$main_pid")
find_window() {
  window="$(xdotool search --onlyvisible --name "^${title}" 2>/dev/null | head -n 1)"
  [[ -n "$window" ]]
}
window=""
wait_for 100 find_window || fail "the window did not appear: $(tail -n 3 "$work/program.log")"

# The outer frame as "x y width height": the window's own area widened by the frame extents
# the window manager announces (left, right, top, bottom).
outer() {
  local extents geometry
  extents="$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)"
  [[ -n "$extents" ]] || return 1
  geometry="$(xwininfo -id "$window" | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')"
  read -r left right top bottom <<<"$extents"
  read -r x y w h <<<"$geometry"
  echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}
# The outer frame once it has kept still for half a second.
settled() {
  local last="" now still=0
  for _ in $(seq 1 50); do
    if now="$(outer)" && [[ "$now" == "$last" ]]; then
      still=$((still + 1))
      if ((still >= 5)); then
        echo "$now"
        return 0
      fi
    else
      still=0
    fi
    last="${now:-}"
    sleep 0.1
  done
  return 1
}

frame="$(settled)" || fail "the window's frame did not settle"
read -r x y w h <<<"$frame"
read -r expected_x expected_y < <(awk -v sw="$screen_width" -v sh="$screen_height" \
  -v w="$w" -v h="$h" 'BEGIN {print (sw - w) / 2, (sh - h) / 2}')
echo "outer frame ${w}x${h} at ($x, $y) on a ${screen_width}x${screen_height} screen;" \
  "centred would be ($expected_x, $expected_y)"
awk -v x="$x" -v y="$y" -v ex="$expected_x" -v ey="$expected_y" \
  'BEGIN {exit !((x - ex) <= 1 && (ex - x) <= 1 && (y - ey) <= 1 && (ey - y) <= 1)}' ||
  fail "the outer frame is not centred within a pixel"

# Moved by the user, the window stays there: centring happens once, at the start.
xdotool windowmove "$window" 40 30
moved="$(settled)" || fail "the window did not settle after being moved"
read -r mx my _ _ <<<"$moved"
echo "moved by the user: outer frame at ($mx, $my)"
((mx < x - 50 && my < y - 50)) || fail "the window went back from where the user moved it"
kill "$main_pid"

if [[ -n "$chart_test" ]]; then
  MAROVANE_WINDOW_MANAGER=1 QT_QPA_PLATFORM=xcb "$chart_test" >"$work/chart.log" 2>&1 ||
    fail "the chart under the window manager: $(grep -v '^PASS\|^QDEBUG\|^QWARN' "$work/chart.log")"
  grep '^QINFO' "$work/chart.log" | sed 's/^QINFO *: *[^ ]* *//'
fi
if [[ -n "$export_test" ]]; then
  # The batch's progress dialog, centred on the main window with its frame, wherever that is.
  MAROVANE_WINDOW_MANAGER=1 QT_QPA_PLATFORM=xcb "$export_test" batchProgressAndCancel \
    >"$work/export.log" 2>&1 ||
    fail "the progress dialog under the window manager: $(grep -v '^PASS\|^QDEBUG\|^QWARN' "$work/export.log")"
  echo "the progress dialog is centred on the main window"
fi
echo "PASSED"
