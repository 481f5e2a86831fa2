#!/usr/bin/env bash
# The real program in a real X server, driven from outside as a person would: type a text,
# create an image with the access keys, drag the lettering, save it through the real save
# dialog as JPEG, EMF, SVG and PDF, close the image and leave the program.
# usage: drive_program.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"

source "$(dirname "$0")/session.sh"
require xclip
start_program "$program"

new_image 'カルベ' "$probe"
[ "$cw" -gt 200 ] || fail "the largest region of the canvas colour is too small: $cx $cy $cw $ch"

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

save_as "$work/out.jpg"
save_as "$work/out.emf"
save_as "$work/out.svg"
save_as "$work/out.pdf"

# Close the image (saved: no question), then leave the program.
shot before-close
keys alt+f c
sleep 0.5
shot before-exit
exit_program
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
# The vector files hold the layers of the start-up type as named groups.
for group in ring-1 ring-2 ring-3 face; do
  grep -q "<g id=\"$group\"" "$work/out.svg" || fail "out.svg has no group $group"
done
head -c 8 "$work/out.pdf" | grep -q '^%PDF-1' || fail "out.pdf is no PDF"
echo "1 passed, 0 failed"
