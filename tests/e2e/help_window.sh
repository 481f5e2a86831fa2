#!/usr/bin/env bash
# The help window under a window manager: its first showing is centred on the frame with its
# title bar on the screen, Esc closes it, and it comes back where it was closed.
# usage: help_window.sh KALVETRA KALVETRA_CHM
set -euo pipefail
program="$1"
source "$(dirname "$0")/session.sh"
require openbox

openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
trap 'kill "$wm_pid" 2>/dev/null || true; cleanup' EXIT
sleep 1
cp "$2" "$work/Kalvetra.chm"
start_program "$program"

help_window() {
  xdotool search --onlyvisible --name '^カルベトラ ヘルプ$' 2>/dev/null | head -1 || true
}

# open_help: ヘルプ → 目次; sets $help and X Y WIDTH HEIGHT of its inside.
open_help() {
  keys alt+h c
  help=""
  for _ in $(seq 30); do
    help=$(help_window)
    [ -n "$help" ] && break
    sleep 0.2
  done
  [ -n "$help" ] || fail "ヘルプ → 目次 showed no help window"
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$help")"
}

# The frame's centre.
eval "$(xdotool getwindowgeometry --shell "$frame")"
frame_cx=$((X + WIDTH / 2))
frame_cy=$((Y + HEIGHT / 2))

open_help
# Its title bar lies above the inside: with the inside at the top of the screen it is off it.
[ "$Y" -ge 10 ] || fail "the help window's title bar is off the screen (inside at $X,$Y)"
dx=$((X + WIDTH / 2 - frame_cx))
dy=$((Y + HEIGHT / 2 - frame_cy))
[ "${dx#-}" -le 40 ] && [ "${dy#-}" -le 40 ] ||
  fail "the help window is not centred on the frame: off by $dx,$dy"
echo "first showing: centred on the frame, title bar on the screen"

xdotool windowmove --sync "$help" 60 80
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$help")"
moved_x=$X
moved_y=$Y
keys_to "$help" Escape
[ -z "$(help_window)" ] || fail "Esc did not close the help window"
echo "Esc closed it"

open_help
[ "$X" -eq "$moved_x" ] && [ "$Y" -eq "$moved_y" ] ||
  fail "the help window came back at $X,$Y, not where it was closed ($moved_x,$moved_y)"
echo "shown again where it was closed"
