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
#   BUILD=folder bash scripts/startup.sh   (default build/run)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

build="${BUILD:-build/run}"
runs="${RUNS:-10}"

if [ "${1:-}" != "--on-display" ]; then
  bash scripts/setup.sh
  bash scripts/setup.sh xdotool time
  build_program "$build" >/dev/null
  rerun_on_display "$0"
fi

# --- From here on, on the virtual display -----------------------------------

begin_run startup

poll_seconds=0.01
# shellcheck source=scripts/xdriver.sh
source scripts/xdriver.sh

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

startups=()
peaks=()
for run in $(seq "$runs"); do
  use_sample "$build" "$work/sample$run"

  start=$(date +%s%N)
  start_program /usr/bin/time -f %M -o "$work/peak$run" "$build/src/app/vtmerv"
  wait_window " " >/dev/null  # the menu has a blank caption
  shown=$(date +%s%N)
  walk_employee_copy

  startups+=("$(( (shown - start) / 1000000 ))")
  peaks+=("$(tail -n 1 "$work/peak$run")")
  echo "run $run: start-up ${startups[-1]} ms, peak memory ${peaks[-1]} KiB"
done

echo "median start-up to the menu: $(printf '%s\n' "${startups[@]}" | median) ms"
echo "median peak memory of an employee copy run: $(printf '%s\n' "${peaks[@]}" | median) KiB"
