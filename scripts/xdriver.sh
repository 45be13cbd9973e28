# Driving the real vtmerv (or vtmerv.exe under Wine) on an X display with
# xdotool, for the scripts that run the program (screenshots.sh, startup.sh,
# windows.sh). Sourced, not run. The sourcing script defines fail(); it may
# define shoot() to take pictures (see walk_employee_copy); poll_seconds (0.1
# unless set) is how often wait_window asks the display. start_program sets
# program_pid.

# Starts the program given by the arguments in the background.
start_program() {
  "$@" &
  program_pid=$!
}

# Prints the id of a visible window titled exactly $1 other than $2 (an id
# to skip, e.g. the window of the same title that was just closed); waits up
# to a minute for it.
wait_window() {
  local title="$1" skip="${2:-}" interval="${poll_seconds:-0.1}" id tries
  tries=$(awk -v i="$interval" 'BEGIN { print int(60 / i) }')
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

# True when a visible window titled exactly $1 is shown now.
window_shown() {
  [ -n "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)" ]
}

# Waits until window $1 is no longer shown.
wait_gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "window $1 did not close"
}

# Gives window $1 the keyboard: through the window manager when one runs
# (Wine's windows want it), else directly.
focus() {
  if [ -n "${window_manager:-}" ]; then
    xdotool windowactivate --sync "$1"
  else
    xdotool windowfocus --sync "$1"
  fi
  sleep 0.3
}

# Presses the keys named in the arguments, one after the other.
keys() {
  xdotool key --delay 150 "$@"
  sleep 0.5
}

# Waits for the program to end by itself, and fails unless it ended with
# status $1 (0 unless given).
wait_end() {
  local expected="${1:-0}" status=0
  for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program_pid" 2>/dev/null && fail "vtmerv did not end"
  wait "$program_pid" || status=$?
  program_pid=""
  [ "$status" = "$expected" ] || fail "vtmerv ended with status $status, not $expected"
}

# Takes no picture unless the sourcing script says how: shoot WINDOW NAME.
if ! declare -F shoot >/dev/null; then
  shoot() { :; }
fi

# photograph WINDOW NAME: saves the window as $shots/NAME.png, without
# metadata, in at most 128 colours (plenty for the program's flat windows,
# and half the bytes); what a sourcing script's shoot does.
photograph() {
  sleep 0.5
  import -window "$1" -strip -colors 128 "PNG8:$shots/$2.png"
  echo "$shots/$2.png: $(identify -format '%wx%h' "$shots/$2.png"), $(stat -c %s "$shots/$2.png") bytes"
}

# Starts openbox, which Wine's windows and the wait box's focus want, and
# returns once it manages the display: a window mapped while it starts up
# may never be shown.
start_window_manager() {
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  window_manager=openbox
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return
    sleep 0.1
  done
  fail "the window manager did not start"
}

# --- The operator's walks, from the menu to the end of the program -----------

# The copy of one employee under a new code: in the employees' browser,
# BIANCHI (the first line) and ROSSI (the last) are chosen; in the copy window
# ROSSI, whose code 0010010001 is already in the user's archive, is copied
# under the new code 001 001 0003; then "&Uscita". Pictures: menu, browser,
# question, keychange, continue, copy.
walk_employee_copy() {
  local menu copy question keychange confirm
  # The menu (it has no caption: its title is a blank): the first entry is
  # selected; Down chooses the employees.
  menu="$(wait_window " ")"
  focus "$menu"
  keys Down
  shoot "$menu" menu
  keys Return

  # Enter moves the selected line to "RECORD SCELTI": BIANCHI, then, with End,
  # ROSSI.
  copy="$(choose_in_browser browser Return End Return)"

  # The copy window: Enter on the selected chosen line is "Singolo"; End
  # selects ROSSI.
  focus "$copy"
  keys End Return

  # The code is already in the user's archive: No (Escape) asks for a new code.
  question="$(wait_window Tessaro)"
  shoot "$question" question
  focus "$question"
  keys Escape

  # The key change dialog: company 1, sub-company 1, employee 3, each with
  # Enter; the last Enter runs the check.
  keychange="$(wait_window "Variazione Chiave - Codice Nuovo")"
  focus "$keychange"
  keys 1 Return 1 Return 3
  shoot "$keychange" keychange
  keys Return

  confirm="$(wait_window "CODICE 0010010003 OK")"
  shoot "$confirm" continue
  focus "$confirm"
  keys Return
  wait_gone "$keychange"

  # Back in the copy window: the employee is in the "ARCHIVIO TESSARO" list.
  focus "$copy"
  shoot "$copy" copy
  leave_copy_window
}

# The copy of one company over a company in use: in the companies' browser
# the first line (IMPRESA EDILE - MODELLO, record 1) is chosen and copied
# over the user's record 1, answering Yes to "SOVRASCRIVERE ?"; then
# "&Uscita". Pictures: company-browser, company-question, company-copy.
walk_company_copy() {
  local menu copy question
  menu="$(wait_window " ")"
  focus "$menu"
  keys Return

  copy="$(choose_in_browser company-browser Return)"

  # The copy window: Home selects the chosen line, Enter is "Singolo".
  focus "$copy"
  keys Home Return

  # "IL RECORD 1 E' ESISTENTE" / "SOVRASCRIVERE ?" in a box with the
  # program's name: Yes is the default button.
  question="$(wait_window VTMERV)"
  shoot "$question" company-question
  focus "$question"
  keys Return
  wait_gone "$question"

  focus "$copy"
  shoot "$copy" company-copy
  leave_copy_window
}

# choose_in_browser PICTURE KEY...: in the browser, the keys choose the lines
# to copy; photographed as PICTURE (unless that is ""), it is left with "Conferma" (Tab past the
# chosen list, the four move buttons and "&Uscita", then the space bar).
# Prints the id of the copy window that follows.
choose_in_browser() {
  local picture="$1" browser
  shift
  browser="$(wait_window "Archivi Standard")"
  focus "$browser"
  keys "$@"
  [ -z "$picture" ] || shoot "$browser" "$picture" >&2
  keys Tab Tab Tab Tab Tab Tab Tab space
  wait_gone "$browser"
  wait_window "Archivi Standard" "$browser"
}

# "&Uscita" of the copy window ends the program: Tab past the user list,
# "Singolo" and "Tutti".
leave_copy_window() {
  keys Tab Tab Tab Tab space
  wait_end 0
}

# --- Waiting for the task semaphore ---------------------------------------------
# The sourcing script defines hold_semaphore SECONDS: another program of the
# suite takes "WKSEMA.DAT" of the installation and keeps it that long from
# when hold_semaphore returns; helper_pid is that program.

# Prints the id of the wait box, which comes about a second after the wait
# began: a box titled "VTMERV".
wait_box() {
  wait_window VTMERV
}

# Covers the whole display with a red window for a second and takes it away:
# fails unless each window named in the arguments has painted itself again
# (no red left in it) while the program still waits.
repainted_after_cover() {
  local cover id red
  display -size "${screen_size%x*}" -geometry +0+0 xc:red &
  cover=$!
  sleep 1
  kill "$cover"
  wait "$cover" 2>/dev/null || true
  sleep 0.7
  for id in "$@"; do
    red=$(import -window "$id" png:- | convert - -fill black +opaque red -fill white -opaque red -format '%[fx:int(mean*w*h)]' info:)
    [ "$red" = 0 ] || fail "window $id kept $red pixels of the window that covered it"
  done
}

# The copy of ROSSI, whose code 0010010001 is taken, while another program
# holds the semaphore. With $1 "check", under the new code 0010010003 (as
# walk_employee_copy): held at the key change's check, the operator gives up
# with Esc in the wait box and is back in the company box, from where three
# Enter run the check again, now free; held again when "CONTINUARE ? " is
# answered, the box closes by itself once the holder lets go, and the copy
# completes. With $1 "copy", over the user's employee (Yes to "SOVRASCRIVERE
# ?"): held at the copy, the operator gives up, and ROSSI stays under
# "RECORDS SCELTI" with nothing written. Pictures: wait (the box over the key
# change dialog, the windows painted again after being covered).
walk_employee_copy_while_held() {
  local give_up="$1" menu copy question keychange confirm box
  menu="$(wait_window " ")"
  focus "$menu"
  keys Down Return
  copy="$(choose_in_browser "" End Return)"
  focus "$copy"
  keys End Return
  question="$(wait_window Tessaro)"
  focus "$question"
  if [ "$give_up" = copy ]; then
    hold_semaphore 10
    keys shift+Tab space  # Yes (No is the default button)
    box="$(wait_box)"
    focus "$box"
    keys Escape
    wait_gone "$box"
    wait "$helper_pid" || true
    helper_pid=""
    focus "$copy"
    leave_copy_window
    return
  fi
  keys Escape
  keychange="$(wait_window "Variazione Chiave - Codice Nuovo")"
  focus "$keychange"
  keys 1 Return 1 Return 3

  hold_semaphore 10
  keys Return
  box="$(wait_box)"
  shoot "$box" wait
  repainted_after_cover "$keychange" "$box"
  focus "$box"
  keys Escape
  wait_gone "$box"
  window_shown "CODICE 0010010003 OK" && fail "the check went on after Annulla"
  wait "$helper_pid" || true
  focus "$keychange"
  keys Return Return Return
  confirm="$(wait_window "CODICE 0010010003 OK")"

  hold_semaphore 4
  focus "$confirm"
  keys Return
  box="$(wait_box)"
  wait_gone "$box"  # the holder lets go: the box closes by itself
  wait "$helper_pid" || true
  helper_pid=""
  wait_gone "$keychange"
  focus "$copy"
  leave_copy_window
}
