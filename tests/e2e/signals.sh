#!/usr/bin/env bash
# A termination signal ends the real program at once, whatever its windows would ask: with an
# unsaved image window open, and after an exit whose save question was cancelled. Each time the
# settings are written and the process ends with status 0.
# usage: signals.sh KALVETRA
set -euo pipefail
program="$1"
source "$(dirname "$0")/session.sh"
require xclip

# The program's question box: a second visible window with the frame's title.
question_box() {
  xdotool search --onlyvisible --name '^カルベトラ$' 2>/dev/null | grep -vx "$frame" | head -1 || true
}

# 1. SIGTERM with an unsaved image window.
start_program "$program" "$work/first"
create_image 'カルベ'
kill -TERM "$app_pid"
wait_for_end "SIGTERM with an unsaved image"
[ -s "$work/first/Kalvetra.ini" ] || fail "SIGTERM wrote no settings"
echo "SIGTERM with an unsaved image: ended, settings written"

# 2. ファイル → 終了 (the settings window's), キャンセル in the image's question, then SIGTERM.
start_program "$program" "$work/second"
create_image 'カルベ'
activate_settings_window
keys alt+f x
box=""
for _ in $(seq 30); do
  box=$(question_box)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "the exit did not ask about the unsaved image"
xdotool windowfocus --sync "$box"
xdotool key Escape
sleep 0.5
kill -0 "$app_pid" 2>/dev/null || fail "the program ended although the exit was cancelled"
[ -z "$(question_box)" ] || fail "the question stayed after キャンセル"
rm -f "$work/second/Kalvetra.ini"
kill -TERM "$app_pid"
wait_for_end "SIGTERM after a cancelled exit"
[ -s "$work/second/Kalvetra.ini" ] || fail "SIGTERM after a cancelled exit wrote no settings"
echo "SIGTERM after a cancelled exit: ended, settings written"
echo "2 passed, 0 failed"
