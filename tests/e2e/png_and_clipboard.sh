#!/usr/bin/env bash
# The real program under a real X server: with 背景を透明にする on (kept in Kalvetra.ini),
# an image saved as PNG through the real save dialog has a transparent background, and
# Ctrl+C puts the same picture on the clipboard, read back by another program (xclip).
# usage: png_and_clipboard.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"

for tool in Xvfb xdotool xclip; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -f "$work/program.log" ] && cat "$work/program.log"
  exit 1
}

exec 3>"$work/display"
Xvfb -screen 0 1024x768x24 -displayfd 3 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
# A Japanese desktop, as the program's users run it.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# The option as a user left it at the last exit.
printf '[Setting]\r\nTransparentBackground=True\r\n' >"$work/Kalvetra.ini"
cp "$program" "$work/kalvetra"
"$work/kalvetra" >"$work/program.log" 2>&1 &
app_pid=$!

frame=$(xdotool search --sync --onlyvisible --name '^カルベトラ$' | head -1)
[ -n "$frame" ] || fail "the frame window did not appear"
sleep 1

keys() {
  xdotool windowfocus --sync "$frame"
  xdotool key --delay 80 "$@"
  sleep 0.5
}

printf 'カルベ' | xclip -selection clipboard
keys alt+c
keys ctrl+v
keys alt+r m
sleep 1

# Save as PNG: Qt's own dialog starts with the focus in the name field.
keys alt+f s
sleep 1
xdotool key --delay 50 ctrl+a
xdotool type --delay 30 "$work/out.png"
xdotool key Return
for _ in $(seq 50); do
  [ -s "$work/out.png" ] && break
  sleep 0.1
done
[ -s "$work/out.png" ] || fail "out.png was not written"
head -c 4 "$work/out.png" | grep -q PNG || fail "out.png holds no PNG data"

read -r _ clear _ opaque _ partial <<<"$("$probe" alpha "$work/out.png")"
echo "out.png: $clear clear, $opaque opaque, $partial partly covered pixels"
[ "$clear" -gt "$opaque" ] || fail "out.png: the background is not transparent"
[ "$opaque" -gt 100 ] || fail "out.png: no opaque lettering"
[ "$partial" -gt 20 ] || fail "out.png: no antialiased edges"

# Ctrl+C with the image window active; another program pastes it.
xclip -selection clipboard -i /dev/null
keys ctrl+c
targets=$(xclip -selection clipboard -t TARGETS -o 2>/dev/null || true)
echo "clipboard targets:" $targets
grep -qx 'image/png' <<<"$targets" || fail "the clipboard offers no image/png"
grep -qx 'image/bmp' <<<"$targets" || fail "the clipboard offers no image/bmp"
xclip -selection clipboard -t image/png -o >"$work/clip.png"
[ "$("$probe" same "$work/out.png" "$work/clip.png")" = same ] || fail "the clipboard's picture is not the saved one"
# A bitmap cannot be transparent: it keeps the background colour around the lettering.
xclip -selection clipboard -t image/bmp -o >"$work/clip.bmp"
read -r bx by bw bh <<<"$("$probe" lettering "$work/clip.bmp" 130,130,255 | head -1)"
[ "$bx" != none ] && [ "$bx" -gt 0 ] && [ "$by" -gt 0 ] || fail "the clipboard's bitmap has no background colour: $bx $by $bw $bh"

# Close the image (saved: no question), leave the program; the option stays on.
keys alt+f c
keys alt+f x
for _ in $(seq 50); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
grep -q 'TransparentBackground=True' "$work/Kalvetra.ini" || fail "the option was not kept"
echo "1 passed, 0 failed"
