#!/usr/bin/env bash
# A termination signal ends the real program at once, whatever its windows would ask: with an
# unsaved image window open, after an exit whose save question was cancelled, and while a long
# text is being saved as PDF. Each time the settings are written and the process ends with
# status 0.
# usage: signals.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"
XVFB_SCREEN=2400x1000x24
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

# 3. SIGTERM while a long line of narrow letters with wide round rings is saved as PDF from an
# image window enlarged by its corner: the save runs beside the event loop, which acts on the
# signal.
mkdir -p "$work/third"
printf '[Font]\r\nFontSize=10\r\nFontAspect=10\r\n[Width]\r\nBordering=30\r\nSolid=20\r\nRingShape=1\r\n[Shadow]\r\nEnable=1\r\n[View]\r\nType=0\r\n[Color]\r\nColor0=16745090\r\nColor1=16777215\r\nColor2=255\r\nColor3=65280\r\nColor4=16711680\r\nColor5=4210752\r\n' \
  >"$work/third/Kalvetra.ini"
start_program "$program" "$work/third"
xdotool windowsize --sync "$frame" 2380 980
new_image 'カルベ' "$probe"
xdotool mousemove --sync $((cx + cw + 7)) $((cy + ch + 5)) mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove --sync $((cx + cw + 7 + (2300 - cx - cw) * step / 5)) $((cy + ch + 5 + (940 - cy - ch) * step / 5))
  sleep 0.05
done
xdotool mouseup 1
sleep 1
activate_settings_window
set_text "$(printf 'あ縁取看板文字%.0s' $(seq 300))"
# Back to the image window by its toolbar, F5 takes the text.
xdotool mousemove --sync $((cx + cw - 20)) $((cy - 14)) click 1
sleep 0.7
keys F5
keys alt+f s
# The long line is drawn again first on the larger canvas, so the dialog may come late.
dialog=""
for _ in $(seq 600); do
  dialog=$(xdotool search --onlyvisible --name '^名前を付けて保存$' 2>/dev/null | head -1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || fail "the save dialog did not appear"
xdotool windowfocus --sync "$dialog"
sleep 0.5
type_path "$work/third/long.pdf"
# The dialog gone, the save runs; the signal comes while it does.
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^名前を付けて保存$' >/dev/null 2>&1 || break
  sleep 0.05
done
sleep 0.2
if [ -e "$work/third/long.pdf" ]; then
  echo "SKIP: the save ended before the signal could come (a fast machine)"
  exit 77
fi
rm -f "$work/third/Kalvetra.ini"
kill -TERM "$app_pid"
for _ in $(seq 10); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within a second of SIGTERM during a save"
wait_for_end "SIGTERM during a long save"
[ -s "$work/third/Kalvetra.ini" ] || fail "SIGTERM during a save wrote no settings"
# Stopped, it leaves no file; only a save that ended first may have written its whole file.
if [ -e "$work/third/long.pdf" ]; then
  tail -c 6 "$work/third/long.pdf" | grep -q '%%EOF' || fail "the stopped save left a partial file"
fi
echo "SIGTERM during a long save: ended within a second, settings written, no partial file"
echo "3 passed, 0 failed"
