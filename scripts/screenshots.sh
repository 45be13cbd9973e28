#!/usr/bin/env bash
# Takes the pictures in docs/screenshots from the real program: builds vtmerv,
# makes a fresh sample installation in a temporary folder, starts vtmerv on it
# on a virtual display (Xvfb) and copies one employee the way an operator
# would, with key presses, photographing each window on the way:
#
#   menu.png       the archive menu, "2 - ARCHIVIO DIPENDENTI" chosen
#   browser.png    the browser, two employees moved to "RECORD SCELTI"
#   question.png   "IL CODICE 0010010001 E' ESISTENTE" / "SOVRASCRIVERE ?"
#   keychange.png  the key change dialog, new code 001 001 0003 typed
#   continue.png   "CONTINUARE ? "
#   copy.png       the copy window after the copy
#
# A documentation tool, not a test: it needs xdotool, ImageMagick and
# xwininfo, and installs them with apt-get (as root) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/run
shots=docs/screenshots
screen="1280x1024x24"

if [ "${1:-}" != "--on-display" ]; then
  bash scripts/setup.sh
  missing=()
  command -v xdotool >/dev/null || missing+=(xdotool)
  command -v import >/dev/null || missing+=(imagemagick)
  command -v xwininfo >/dev/null || missing+=(x11-utils)
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVTMERV_BENCHMARKS=OFF
  cmake --build "$build" -j "$(nproc)" --target vtmerv vtmerv-sample
  exec xvfb-run -a -s "-screen 0 $screen" bash "$0" --on-display
fi

# --- From here on, on the virtual display -----------------------------------

sample="$(mktemp -d)"
program_pid=""
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then kill "$program_pid"; fi
  rm -rf "$sample"
}
trap cleanup EXIT

"$build/src/sample/vtmerv-sample" "$sample" >/dev/null
export TESSARO_DRIVES="$sample"
export XDG_CONFIG_HOME="$sample/config"
# The one-copy-per-user lock lives here: a vtmerv running elsewhere for the
# same user does not stop this one.
export XDG_RUNTIME_DIR="$sample/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$shots"

# Stops with a message, keeping a picture of the whole display for a look.
fail() {
  local picture="${TMPDIR:-/tmp}/screenshots-failure.png"
  import -window root "$picture" 2>/dev/null || true
  echo "screenshots: $*; the display at that moment: $picture" >&2
  exit 1
}

# shellcheck source=scripts/xdriver.sh
source scripts/xdriver.sh

# Saves window $1 as docs/screenshots/$2.png: without metadata, in at most
# 128 colours (plenty for the program's flat windows, and half the bytes).
shoot() {
  sleep 0.5
  import -window "$1" -strip -colors 128 "PNG8:$shots/$2.png"
  echo "$shots/$2.png: $(identify -format '%wx%h' "$shots/$2.png"), $(stat -c %s "$shots/$2.png") bytes"
}

"$build/src/app/vtmerv" &
program_pid=$!

# The menu (it has no caption: its title is a blank): the first entry is
# selected; Down chooses the employees.
menu="$(wait_window " ")"
focus "$menu"
keys Down
shoot "$menu" menu
keys Return

# The browser lists the employees by name. Enter moves the selected line to
# "RECORD SCELTI": first BIANCHI (the first line), then, with End, ROSSI
# (the last), whose code 0010010001 is already in the user's archive. Then
# Tab past the chosen list, the four move buttons and "&Uscita" to
# "Conferma", pressed with the space bar.
browser="$(wait_window "Archivi Standard")"
focus "$browser"
keys Return End Return
shoot "$browser" browser
keys Tab Tab Tab Tab Tab Tab Tab space
wait_gone "$browser"

# The copy window: Enter on the selected chosen line is "Singolo"; End
# selects ROSSI.
copy="$(wait_window "Archivi Standard" "$browser")"
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

# "&Uscita" ends the program: Tab past the user list, "Singolo" and "Tutti".
keys Tab Tab Tab Tab space
for _ in $(seq 100); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "vtmerv did not end after \"&Uscita\""
wait "$program_pid" || fail "vtmerv ended with status $?"
program_pid=""

# What the copy wrote: ROSSI with the new code after the last employee, and
# the companion record at the same number.
employee_record_length=9600
companion_record_length=512
code_offset=2
code_length=10
archives="$(find "$sample" -type d -iname ARCHIVI)"
employees="$(find "$archives" -iname DIPEND.DAT)"
companions="$(find "$archives" -iname DIPCOMPL.DAT)"
last=$(( $(stat -c %s "$employees") / employee_record_length ))
code="$(dd if="$employees" bs=1 skip=$(( (last - 1) * employee_record_length + code_offset )) \
           count="$code_length" status=none)"
echo "DIPEND.DAT: $last records, the last with the code $code;" \
     "DIPCOMPL.DAT: $(( $(stat -c %s "$companions") / companion_record_length )) records"
