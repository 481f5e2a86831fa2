#!/usr/bin/env bash
# The real program under a real X server: with 背景を透明にする on (kept in Kalvetra.ini),
# an image saved as PNG through the real save dialog has a transparent background, and
# Ctrl+C puts the same picture on the clipboard, read back by another program (xclip), and its
# JPEG as the program's JPEG files are.
# usage: png_and_clipboard.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"

source "$(dirname "$0")/session.sh"
require xclip
japanese_locale

# The option as a user left it at the last exit.
printf '[Setting]\r\nTransparentBackground=True\r\n' >"$work/Kalvetra.ini"
start_program "$program"
create_image 'カルベ'
save_as "$work/out.png"
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
# JPEG as the program writes its files: quality 100, full colour.
xclip -selection clipboard -t image/jpeg -o >"$work/clip.jpg"
read -r sampling quantiser <<<"$("$probe" jpeg "$work/clip.jpg")"
[ "$sampling" = 1x1,1x1,1x1 ] && [ "$quantiser" = 1 ] ||
  fail "the clipboard's JPEG is not at full colour and quality 100: sampling $sampling, largest quantiser $quantiser"
# A bitmap cannot be transparent: it keeps the background colour around the lettering.
xclip -selection clipboard -t image/bmp -o >"$work/clip.bmp"
read -r bx by bw bh <<<"$("$probe" lettering "$work/clip.bmp" 130,130,255 | head -1)"
[ "$bx" != none ] && [ "$bx" -gt 0 ] && [ "$by" -gt 0 ] || fail "the clipboard's bitmap has no background colour: $bx $by $bw $bh"

# Close the image (saved: no question), leave the program; the option stays on.
keys alt+f c
exit_program
grep -q 'TransparentBackground=True' "$work/Kalvetra.ini" || fail "the option was not kept"
echo "1 passed, 0 failed"
