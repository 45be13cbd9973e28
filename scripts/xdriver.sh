# Driving the real vtmerv's windows on an X display with xdotool, for the
# scripts that run the program (screenshots.sh, startup.sh). Sourced, not run:
# the sourcing script defines fail() and sets program_pid to vtmerv's process;
# poll_seconds (0.1 unless set) is how often wait_window asks the display.

# Prints the id of a visible window titled exactly $1 other than $2 (an id
# to skip, e.g. the window of the same title that was just closed); waits up
# to 30 seconds for it.
wait_window() {
  local title="$1" skip="${2:-}" interval="${poll_seconds:-0.1}" id tries
  tries=$(awk -v i="$interval" 'BEGIN { print int(30 / i) }')
  for _ in $(seq "$tries"); do
    kill -0 "$program_pid" 2>/dev/null || fail "vtmerv ended while waiting for \"$title\""
    for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null || true); do
      if [ "$id" != "$skip" ]; then
        echo "$id"
        return
      fi
    done
    sleep "$interval"
  done
  fail "no window \"$title\" appeared"
}

# Waits until window $1 is no longer shown.
wait_gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "window $1 did not close"
}

# Gives window $1 the keyboard (there is no window manager on the display).
focus() {
  xdotool windowfocus --sync "$1"
  sleep 0.3
}

# Presses the keys named in the arguments, one after the other.
keys() {
  xdotool key --delay 150 "$@"
  sleep 0.5
}
