#!/usr/bin/env bash
# The image window redraws in the real program: F5 takes the settings window's new text, and
# after the window is enlarged by its corner the canvas and the saved file show the whole text.
# usage: redraw.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"
source "$(dirname "$0")/session.sh"
require xclip

start_program "$program"
# Room for the image window to grow.
xdotool windowsize --sync "$frame" 1000 700
new_image 'カルベ' "$probe"
canvas_lettering() {
  "$probe" screen-lettering "$cx,$cy,$cw,$ch" 130,130,255
}
read -r _ _ short_width _ <<<"$(canvas_lettering)"

# A longer text in the settings window, then back to the image window by its toolbar, and F5.
activate_settings_window
set_text 'カルベト'
xdotool mousemove --sync $((cx + cw - 20)) $((cy - 14)) click 1
sleep 0.7
keys F5
read -r long_x _ long_width _ <<<"$(canvas_lettering)"
[ "$long_width" -gt $((short_width + 30)) ] || fail "F5 did not draw the new text: $short_width -> $long_width pixels wide"
# The whole text is on the canvas: its width is the measure of the saved picture below.
[ "$long_x" -gt 0 ] && [ $((long_x + long_width)) -lt "$cw" ] || fail "the new text does not fit the canvas"
echo "F5: the lettering grew from $short_width to $long_width pixels"

# Drag the text to the right so that it runs past the canvas's edge, then widen the window
# by its bottom-right corner in quick steps and save.
xdotool mousemove --sync $((cx + cw / 2)) $((cy + ch / 2)) mousedown 1
for step in 1 2 3 4 5 6 7; do
  xdotool mousemove --sync $((cx + cw / 2 + 20 * step)) $((cy + ch / 2))
  sleep 0.05
done
xdotool mouseup 1
sleep 0.7
read -r lx _ lw _ <<<"$(canvas_lettering)"
[ $((lx + lw)) -ge $((cw - 1)) ] || fail "the dragged text does not reach the canvas's right edge"
corner_x=$((cx + cw + 7))
corner_y=$((cy + ch + 5))
xdotool mousemove --sync "$corner_x" "$corner_y" mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove --sync $((corner_x + 40 * step)) $((corner_y + 4 * step))
  sleep 0.05
done
xdotool mouseup 1
sleep 1
shot after-resize
read -r _ _ wider _ <<<"$("$probe" screen-region 130,130,255)"
[ "$wider" -gt $((cw + 150)) ] || fail "the corner drag did not widen the canvas ($cw -> $wider)"

save_as "$work/resized.bmp"
read -r sx _ sw _ <<<"$("$probe" lettering "$work/resized.bmp" 130,130,255 | head -1)"
[ "$sw" -ge $((long_width - 2)) ] || fail "the saved picture cuts the text: $sw of $long_width pixels, from x $sx"
echo "resize: the saved lettering is $sw pixels wide, the whole text $long_width"

activate_settings_window
exit_program
echo "2 passed, 0 failed"
