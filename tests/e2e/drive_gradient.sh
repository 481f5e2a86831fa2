#!/usr/bin/env bash
# The gradient dialog through the real window: open it from the settings window's カラー frame
# with the keyboard, turn on ⑤'s gradient, choose its second colour in the real colour dialog,
# make an image and save it; the picture shows the gradient, the settings file keeps it, and
# the next start draws it again; kalvetra-render reads and writes the window's file byte for byte.
# usage: drive_gradient.sh KALVETRA PROBE KALVETRA-RENDER
set -euo pipefail
program="$1"
probe="$2"
render="$3"

source "$(dirname "$0")/session.sh"
require xclip

# 文字列 gets a filled square; 実行 → 文字作成; ファイル → イメージをファイルへ保存 as BMP.
make_image() {
  create_image '■'
  save_as "$1"
}
# ⑤ (the face of the triple outline) runs from red to cyan, top to bottom.
check_gradient() {
  read -r top bottom count <<<"$("$probe" gradient "$1" 255,0,0 0,255,255)"
  [ "$top" != "none" ] || fail "$1 shows no face between red and cyan"
  echo "$1: face from $top at its top to $bottom at its bottom, $count pixels"
  awk -v t="$top" -v b="$bottom" -v n="$count" 'BEGIN { exit !(t < 0.3 && b > 0.7 && n > 300) }' ||
    fail "$1: the face does not run from red at its top to cyan at its bottom"
}

start_program "$program"
# The last control in the tab order is グラデ...: from the text box one step back.
keys alt+c shift+Tab space
dialog=$(xdotool search --sync --onlyvisible --name '^グラデーション$' | head -1)
[ -n "$dialog" ] || fail "the gradient dialog did not open"
# ⑤ on, then its second colour: the colour dialog's HTML field.
keys_to "$dialog" alt+5 Tab space
sleep 1
xdotool key --delay 80 alt+h ctrl+a
xdotool type --delay 30 '#00ffff'
xdotool key Return
sleep 0.5
keys_to "$dialog" Return
xdotool search --onlyvisible --name '^グラデーション$' >/dev/null 2>&1 && fail "the gradient dialog did not close"

make_image "$work/first.bmp"
check_gradient "$work/first.bmp"
keys alt+f c
exit_program
grep -q $'^\[Gradient\]\r$' "$work/Kalvetra.ini" || fail "Kalvetra.ini has no [Gradient] section"
grep -q $'^Enable4=1\r$' "$work/Kalvetra.ini" || fail "Kalvetra.ini does not have ⑤'s gradient on"
grep -q $'^Color4=16776960\r$' "$work/Kalvetra.ini" || fail "Kalvetra.ini does not hold cyan as ⑤'s second colour"

# The command line reads the window's file and writes it back as it was.
cp "$work/Kalvetra.ini" "$work/copy.ini"
"$render" --settings "$work/Kalvetra.ini" --save-settings "$work/copy.ini" 2>/dev/null ||
  fail "kalvetra-render could not read and save the window's settings"
cmp -s "$work/Kalvetra.ini" "$work/copy.ini" || fail "kalvetra-render changed the window's settings file"

# The next start reads it back.
start_program "$program"
make_image "$work/second.bmp"
check_gradient "$work/second.bmp"
keys alt+f c
exit_program
echo "1 passed, 0 failed"
