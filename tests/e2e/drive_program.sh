#!/usr/bin/env bash
# The real program in a real X server, driven from outside as a person would: type a text,
# create an image with the access keys, drag the lettering, save it through the real save
# dialog as JPEG and EMF, close the image and leave the program.
# usage: drive_program.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"

source "$(dirname "$0")/x_session.sh"
x_session_require Xvfb xdotool xclip
x_session_start_x
x_session_start_program "$program"

# 文字列(&C): paste the text (Japanese does not type reliably), then 実行 → 文字作成.
printf 'カルベ' | xclip -selection clipboard
keys alt+c
keys ctrl+v
keys alt+r m
sleep 1

canvas=$("$probe" screen-region 130,130,255)
[ "$canvas" != "none" ] || fail "no canvas on the screen"
read -r cx cy cw ch <<<"$canvas"
[ "$cw" -gt 200 ] || fail "the largest region of the canvas colour is too small: $canvas"

# Drag from the middle of the canvas to a point a quarter in from its top-left corner.
tx=$((cw / 4 + 20))
ty=$((ch / 3))
xdotool mousemove --sync $((cx + cw / 2)) $((cy + ch / 2))
sleep 0.2
xdotool mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove --sync $((cx + cw / 2 + (tx - cw / 2) * step / 5)) $((cy + ch / 2 + (ty - ch / 2) * step / 5))
  sleep 0.1
done
xdotool mouseup 1
sleep 1

save_as() {
  keys alt+f s
  sleep 1
  # Qt's own dialog starts with the focus in the name field.
  xdotool key --delay 50 ctrl+a
  xdotool type --delay 30 "$1"
  xdotool key Return
  for _ in $(seq 50); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  fail "$1 was not written"
}
save_as "$work/out.jpg"
save_as "$work/out.emf"

# Close the image (saved: no question), then leave the program.
[ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/before-close.png"
keys alt+f c
sleep 0.5
[ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/before-exit.png"
x_session_exit
[ -s "$work/Kalvetra.ini" ] || fail "no settings file was written at exit"

# The lettering lies where it was dragged, in both files.
for file in out.jpg out.emf; do
  result=$("$probe" lettering "$work/$file" 130,130,255)
  read -r lx ly lw lh <<<"$(echo "$result" | head -1)"
  [ "$lx" != "none" ] || fail "$file shows no lettering"
  mid=$((lx + lw / 2))
  # The canvas's drawing area starts inside its two-pixel border.
  want=$((tx - 2))
  if [ $((mid - want)) -gt 12 ] || [ $((want - mid)) -gt 12 ]; then
    fail "$file: lettering centred at x $mid, dragged to $want"
  fi
  if [ "$ly" -gt $((ty)) ] || [ $((ly + lh)) -lt $((ty - 2)) ]; then
    fail "$file: lettering rows $ly..$((ly + lh)) do not hold the dragged point $ty"
  fi
  echo "$file: lettering at $lx $ly ${lw}x$lh, dragged to $want $ty"
done
echo "1 passed, 0 failed"
