#!/usr/bin/env bash
# The real program on a Japanese desktop (ja_JP.UTF-8) under a real X server, as its users
# run it: a settings file made on Windows (CP932, CRLF, FontName=メイリオ) is opened and
# saved through the real file dialogs, whose titles are Japanese, and the saved files hold
# the very bytes of the original. The windows carry the class the launcher entry names.
# usage: japanese_desktop.sh KALVETRA DESKTOP_ENTRY
set -euo pipefail
program="$1"
desktop_entry="$2"

source "$(dirname "$0")/session.sh"
require xprop iconv
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "SKIP: the ja_JP.UTF-8 locale is not generated (tools/setup.sh)"
  exit 77
fi
japanese_locale

# Every key as the program writes it, with the Windows face that has a substitute here.
printf '%s\r\n' '[Font]' 'FontName=メイリオ' 'FontSize=72' 'FontAspect=100' 'FontEscape=0' 'FontBold=1' \
  'FontItalic=0' 'FontUnderline=0' 'FontStrikeOut=0' 'TwiceDraw=0' 'FontUpToDown=0' '[Width]' 'Bordering=7' \
  'Solid=5' '[Shadow]' 'Position=9' 'Enable=1' '[View]' 'Type= 1' '[Color]' 'Color0=16745090' 'Color1=16777215' \
  'Color2=16711680' 'Color3=16777215' 'Color4=255' | iconv -f UTF-8 -t CP932 >"$work/windows.ini"
cp "$work/windows.ini" "$work/into.ini"

start_program "$program"
shot ja-start

# Docks find the launcher entry by the windows' class.
class=$(xprop -id "$frame" WM_CLASS | sed -n 's/.*, "\(.*\)"$/\1/p')
wanted=$(sed -n 's/^StartupWMClass=//p' "$desktop_entry")
[ -n "$class" ] && [ "$class" = "$wanted" ] || fail "the window's class \"$class\" is not the entry's \"$wanted\""

# The file dialog that the keys open: its title as X shows it, then a path typed into it.
through_dialog() {
  local path="$1"
  shift
  keys "$@"
  local dialog=""
  for _ in $(seq 50); do
    dialog=$(xdotool search --onlyvisible --class '^Kalvetra$' 2>/dev/null | grep -vx "$frame" | head -1 || true)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  [ -n "$dialog" ] || fail "no file dialog appeared for $*"
  local title
  title=$(xdotool getwindowname "$dialog")
  printf '%s' "$title" | grep -qP '[\x{3040}-\x{30FF}\x{4E00}-\x{9FFF}]' || fail "the file dialog's title \"$title\" is not Japanese"
  echo "dialog title: $title"
  sleep 0.5
  shot "ja-dialog-$(basename "$path")"
  type_path "$path"
  sleep 1
}

through_dialog "$work/windows.ini" alt+f o
shot ja-opened
through_dialog "$work/saved.ini" alt+f s
through_dialog "$work/into.ini" alt+f s
for _ in $(seq 50); do
  [ -s "$work/saved.ini" ] && break
  sleep 0.1
done
cmp "$work/windows.ini" "$work/saved.ini" || fail "the new settings file differs from the one made on Windows"
cmp "$work/windows.ini" "$work/into.ini" || fail "saving into the Windows file changed it"

exit_program
iconv -f CP932 -t UTF-8 "$work/Kalvetra.ini" | grep -q '^FontName=メイリオ' || fail "Kalvetra.ini does not keep the face"
echo "1 passed, 0 failed"
