# Shared by the end-to-end scripts (sourced): a work folder that goes away at the end, a
# private X server, the program started from a copy in the work folder, and keys sent to
# its frame. Sets `work`, `frame` and `app_pid`; `fail` ends the test.

# x_session_require TOOL...: skips the test (status 77) when a tool is missing.
x_session_require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed"
      exit 77
    fi
  done
}

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
x_session_cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap x_session_cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# A free display, no reset races.
x_session_start_x() {
  exec 3>"$work/display"
  Xvfb -screen 0 1024x768x24 -displayfd 3 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(cat "$work/display")"
  export QT_QPA_PLATFORM=xcb
}

# x_session_start_program KALVETRA: the program keeps Kalvetra.ini beside itself, so a copy
# runs in the work folder; waits for its frame.
x_session_start_program() {
  cp "$1" "$work/kalvetra"
  "$work/kalvetra" >"$work/program.log" 2>&1 &
  app_pid=$!
  frame=$(xdotool search --sync --onlyvisible --name '^カルベトラ$' | head -1)
  [ -n "$frame" ] || fail "the frame window did not appear"
  sleep 1
}

# Without a window manager the focus falls back to the root after a dialog: the frame
# takes it again before each key sequence.
keys() {
  xdotool windowfocus --sync "$frame"
  xdotool key --delay 80 "$@"
  sleep 0.5
}

# x_session_exit: the program is left with its menu and must end with status 0.
x_session_exit() {
  keys alt+f x
  for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" -eq 0 ] || { cat "$work/program.log"; fail "the program ended with status $status"; }
}
