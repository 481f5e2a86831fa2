# What every end-to-end script needs, sourced by each: a private X server, the program run as a
# copy in a work folder (it keeps Kalvetra.ini beside itself), keys sent as a person types
# them, the real file dialogs, and waiting for the process to end.
# After sourcing: $work (removed at exit), $DISPLAY, fail MESSAGE, require TOOL...
# XVFB_SCREEN, set before sourcing, sizes the screen (1024x768x24 unless given).

# require TOOL...: skips the test (status 77) when a tool is missing.
require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed"
      exit 77
    fi
  done
}
require Xvfb xdotool

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
Xvfb -screen 0 "${XVFB_SCREEN:-1024x768x24}" -displayfd 3 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb

# A Japanese desktop, as the program's users run it (set before start_program).
japanese_locale() {
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
}

# shot NAME: a screenshot into $E2E_SHOTS when it is set, to see what a failing run saw.
shot() {
  [ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/$1.png" || true
}

# start_program PROGRAM [FOLDER]: runs a copy of PROGRAM in FOLDER (the work folder unless
# given); sets $app_pid and $frame.
start_program() {
  local folder="${2:-$work}"
  mkdir -p "$folder"
  cp "$1" "$folder/kalvetra"
  "$folder/kalvetra" >"$work/program.log" 2>&1 &
  app_pid=$!
  frame=$(xdotool search --sync --onlyvisible --name '^カルベトラ$' | head -1)
  [ -n "$frame" ] || fail "the frame window did not appear"
  sleep 1
}

# keys_to WINDOW KEY...: without a window manager the focus falls back to the root after a
# dialog: give it back first.
keys_to() {
  xdotool windowfocus --sync "$1"
  shift
  xdotool key --delay 80 "$@"
  sleep 0.5
}

# keys KEY...: to the frame.
keys() {
  keys_to "$frame" "$@"
}

# 文字列(&C): paste the text (Japanese does not type reliably).
set_text() {
  printf '%s' "$1" | xclip -selection clipboard
  keys alt+c
  keys ctrl+a ctrl+v
}

# create_image TEXT: 実行 → 文字作成 with TEXT.
create_image() {
  set_text "$1"
  keys alt+r m
  sleep 1
}

# new_image TEXT PROBE: create_image, then sets cx cy cw ch, the canvas's drawing area on the
# screen (the largest region of its background colour).
new_image() {
  create_image "$1"
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

# type_path PATH: into Qt's own file dialog, whose focus starts in the name field.
type_path() {
  xdotool key --delay 50 ctrl+a
  xdotool type --delay 30 "$1"
  xdotool key Return
}

# save_as PATH: ファイル → イメージをファイルへ保存 through the real dialog; waits for the file.
save_as() {
  keys alt+f s
  sleep 1
  type_path "$1"
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
  shot "after-$(echo "$1" | tr ' ' -)"
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after $1"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" -eq 0 ] || fail "the program ended with status $status after $1"
}

# exit_program: ファイル → 終了 in the active window; the program must end with status 0.
exit_program() {
  keys alt+f x
  wait_for_end "the exit command"
}
