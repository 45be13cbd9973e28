#!/usr/bin/env bash
# Measures, on a virtual display (Xvfb), over RUNS runs (default 10) of the
# Release vtmerv on a fresh sample installation each:
#   - the start-up: from the process start to the archive menu shown (its caption is blank);
#   - the peak memory (largest resident set) of a whole employee copy run:
#     menu, browser, copy of ROSSI under a new code, end.
# Prints every run and the medians. The start-up is found by asking the
# display for the window every few milliseconds, so it is known to about
# 10 ms. Needs xdotool and GNU time; installs them with apt-get (as root)
# when they are missing.
#
#   bash scripts/startup.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD:-build/bench}"
runs="${RUNS:-10}"

if [ "${1:-}" != "--on-display" ]; then
  bash scripts/setup.sh
  missing=()
  command -v xdotool >/dev/null || missing+=(xdotool)
  [ -x /usr/bin/time ] || missing+=(time)
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "${JOBS:-2}" --target vtmerv vtmerv-sample >/dev/null
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --on-display
fi

# --- From here on, on the virtual display -----------------------------------

work="$(mktemp -d)"
program_pid=""
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then kill "$program_pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "startup: $*" >&2
  exit 1
}

poll_seconds=0.01
# shellcheck source=scripts/xdriver.sh
source scripts/xdriver.sh

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

startups=()
peaks=()
for run in $(seq "$runs"); do
  sample="$work/sample$run"
  mkdir -p "$sample"
  "$build/src/sample/vtmerv-sample" "$sample" >/dev/null
  export TESSARO_DRIVES="$sample"
  export XDG_CONFIG_HOME="$sample/config"
  export XDG_RUNTIME_DIR="$sample/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"

  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/peak$run" "$build/src/app/vtmerv" &
  program_pid=$!
  menu="$(wait_window " ")"  # the menu has a blank caption
  shown=$(date +%s%N)

  # The whole employee copy: BIANCHI and ROSSI chosen, ROSSI (whose code is
  # taken) copied under 001 001 0003.
  focus "$menu"
  keys Down Return
  browser="$(wait_window "Archivi Standard")"
  focus "$browser"
  keys Return End Return Tab Tab Tab Tab Tab Tab Tab space
  wait_gone "$browser"
  copy="$(wait_window "Archivi Standard" "$browser")"
  focus "$copy"
  keys End Return
  question="$(wait_window Tessaro)"
  focus "$question"
  keys Escape
  keychange="$(wait_window "Variazione Chiave - Codice Nuovo")"
  focus "$keychange"
  keys 1 Return 1 Return 3 Return
  confirm="$(wait_window "CODICE 0010010003 OK")"
  focus "$confirm"
  keys Return
  wait_gone "$keychange"
  focus "$copy"
  keys Tab Tab Tab Tab space
  wait "$program_pid" || fail "vtmerv ended with status $?"
  program_pid=""

  startups+=("$(( (shown - start) / 1000000 ))")
  peaks+=("$(tail -n 1 "$work/peak$run")")
  echo "run $run: start-up ${startups[-1]} ms, peak memory ${peaks[-1]} KiB"
done

echo "median start-up to the menu: $(printf '%s\n' "${startups[@]}" | median) ms"
echo "median peak memory of an employee copy run: $(printf '%s\n' "${peaks[@]}" | median) KiB"
