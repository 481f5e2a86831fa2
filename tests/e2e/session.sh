# What every end-to-end script needs, sourced by each: a private X server, the program run as a
# copy in a work folder (it keeps Kalvetra.ini beside itself), keys sent as a person types
# them, the real save dialog, and waiting for the process to end.
# After sourcing: $work (removed at exit), $DISPLAY, fail MESSAGE.

for tool in Xvfb xdotool xclip; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
frame=""
cleanup() {
  [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -s "$work/program.log" ] && cat "$work/program.log"
  exit 1
}

# A free display, no reset races.
exec 3>"$work/display"
Xvfb -screen 0 1024x768x24 -displayfd 3 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb

# start_program PROGRAM FOLDER: runs a copy of PROGRAM in FOLDER; sets $app_pid and $frame.
start_program() {
  mkdir -p "$2"
  cp "$1" "$2/kalvetra"
  "$2/kalvetra" >"$work/program.log" 2>&1 &
  app_pid=$!
  frame=$(xdotool search --sync --onlyvisible --name '^カルベトラ$' | head -1)
  [ -n "$frame" ] || fail "the frame window did not appear"
  sleep 1
}

# Without a window manager the focus falls back to the root after a dialog: give it back first.
keys() {
  xdotool windowfocus --sync "$frame"
  xdotool key --delay 80 "$@"
  sleep 0.5
}

# 文字列(&C): paste the text (Japanese does not type reliably).
set_text() {
  printf '%s' "$1" | xclip -selection clipboard
  keys alt+c
  keys ctrl+a ctrl+v
}

# new_image TEXT PROBE: 実行 → 文字作成 with TEXT; sets cx cy cw ch, the canvas's drawing area
# on the screen (the largest region of its background colour).
new_image() {
  set_text "$1"
  keys alt+r m
  sleep 1
  local canvas
  canvas=$("$2" screen-region 130,130,255)
  [ "$canvas" != "none" ] || fail "no canvas on the screen"
  read -r cx cy cw ch <<<"$canvas"
}

# The settings window, by its caption at the top left of the frame's inside (MDI children are
# not X windows).
activate_settings_window() {
  eval "$(xdotool getwindowgeometry --shell "$frame")"
  xdotool mousemove --sync $((X + 150)) $((Y + 31)) click 1
  sleep 0.3
}

# save_as PATH: ファイル → イメージをファイルへ保存, through Qt's own dialog, whose focus starts
# in the name field.
save_as() {
  keys alt+f s
  sleep 1
  xdotool key --delay 50 ctrl+a
  xdotool type --delay 30 "$1"
  xdotool key Return
  for _ in $(seq 50); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  fail "$1 was not written"
}

# wait_for_end WHAT: the program must end within a few seconds (a question on the screen would
# hold it for ever) with status 0.
wait_for_end() {
  for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/after-$(echo "$1" | tr ' ' -).png"
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after $1"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" -eq 0 ] || fail "the program ended with status $status after $1"
}
