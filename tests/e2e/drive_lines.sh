#!/usr/bin/env bash
# Several lines through the real window on a Japanese desktop (ja_JP.UTF-8), with the keys a
# user presses: Ctrl+Enter in the text box breaks the line and opens the larger editor, Enter
# there breaks the next one, Escape goes back; the image shows the three lines as one block.
# usage: drive_lines.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"

source "$(dirname "$0")/session.sh"
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "SKIP: the ja_JP.UTF-8 locale is not generated (tools/setup.sh)"
  exit 77
fi
japanese_locale

# The lettering's height in a saved picture on colour ①.
height_of() {
  local x y w h
  read -r x y w h <<<"$("$probe" lettering "$1" 130,130,255)"
  [ "$x" != "none" ] || fail "$1 shows no lettering"
  echo "$h"
}

start_program "$program"
# Small letters, so that three lines fit the image window as it opens.
keys alt+s ctrl+a
xdotool type --delay 50 '15'
keys Tab alt+c
xdotool type --delay 50 'AB'
keys alt+r m
sleep 1
save_as "$work/one.png"
keys alt+f c

# The image window closed, the settings window is the active one again.
keys alt+c End ctrl+Return
editor=""
for _ in $(seq 50); do
  editor=$(xdotool search --onlyvisible --name '^文字列$' 2>/dev/null | head -1 || true)
  [ -n "$editor" ] && break
  sleep 0.1
done
[ -n "$editor" ] || fail "Ctrl+Enter did not open the editor of the lines"
shot lines-editor
xdotool windowfocus --sync "$editor"
xdotool type --delay 50 'CD'
xdotool key --delay 80 Return
xdotool type --delay 50 'EF'
xdotool key --delay 80 Escape
sleep 0.5
xdotool search --onlyvisible --name '^文字列$' >/dev/null 2>&1 && fail "Escape did not close the editor"

keys alt+r m
sleep 1
shot lines-image
save_as "$work/three.png"
one=$(height_of "$work/one.png")
three=$(height_of "$work/three.png")
echo "one line $one px high, three lines $three px"
# Two more lines of 20-pixel letters.
[ "$three" -gt $((one + 36)) ] && [ "$three" -lt $((one + 50)) ] ||
  fail "three lines ($three px) are not the block of three (one line $one px)"

keys alt+f c
exit_program
echo "1 passed, 0 failed"
