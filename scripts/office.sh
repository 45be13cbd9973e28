#!/usr/bin/env bash
# The real vtmerv in an office, where another program of the suite holds the
# task semaphore while the operator copies an employee: on a virtual display
# with a window manager, driven key by key (scripts/xdriver.sh).
#   1. the walk without any other program: the installation it leaves is the
#      one to compare with;
#   2. the semaphore held at the key change's check: the wait box comes, the
#      windows paint themselves again after being covered, Esc in the box
#      ("Annulla") gives up and the check runs again once the holder is gone;
#      held again at the confirmation, the box closes by itself when the
#      holder lets go: the installation is byte for byte the one of walk 1;
#   3. the overwrite of the same employee given up while the copy waits:
#      nothing is written, the installation is the sample as it was;
#   4. vtmerv-check waits the same way on the command line, and --attesa
#      bounds the wait.
# The picture of the wait box goes to docs/screenshots/wait.png.
#
#   bash scripts/office.sh     (LINUX_BUILD: an existing build to use; else
#                               build/run, made here)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

build="${LINUX_BUILD:-build/run}"
shots=docs/screenshots

if [ "${1:-}" != "--on-display" ]; then
  bash scripts/setup.sh
  bash scripts/setup.sh xdotool openbox imagemagick x11-utils
  if [ -z "${LINUX_BUILD:-}" ]; then
    build_program "$build" vtmerv-check vt_other_program
  else
    cmake --build "$build" -j "$jobs" --target vtmerv vtmerv-sample vtmerv-check vt_other_program
  fi
  rerun_on_display "$0"
fi

# --- From here on, on the virtual display -----------------------------------

begin_run office

# Only the wait box is photographed here (screenshots.sh takes the others).
shoot() { [ "$2" != wait ] || photograph "$@"; }

# shellcheck source=scripts/xdriver.sh
source scripts/xdriver.sh
start_window_manager

hold_semaphore() {
  "$build/tests/vt_other_program" hold 'C:\PWELKIN\ARCHIVI\WKSEMA.DAT' "$1" >"$work/holder.out" &
  helper_pid=$!
  await_held "$work/holder.out" "the semaphore"
}

# sample NAME: a fresh sample installation in $work/NAME, used from now on.
sample() {
  rm -rf "$work/$1"
  use_sample "$build" "$work/$1"
}

# --- 1. The walk alone ---------------------------------------------------------

sample alone
start_program "$build/src/app/vtmerv"
walk_employee_copy

# --- 2. Given up at the check, released at the confirmation -------------------

sample check
mkdir -p "$shots"
start_program "$build/src/app/vtmerv"
walk_employee_copy_while_held check
diff -r "$work/alone/C" "$work/check/C" || fail "the copy after a wait left another installation"
echo "office: given up at the check, waited at the confirmation: the same installation as without a wait"

# --- 3. An overwrite given up while the copy waits -----------------------------

sample copy
"$build/src/sample/vtmerv-sample" "$work/untouched" >/dev/null
start_program "$build/src/app/vtmerv"
walk_employee_copy_while_held copy
rm "$work/copy/C/PWELKIN/ARCHIVI/WKSEMA.DAT"  # made by the other program
diff -r "$work/untouched/C/PWELKIN/ARCHIVI" "$work/copy/C/PWELKIN/ARCHIVI" || fail "a copy given up wrote something"
echo "office: a copy given up in the wait box writes nothing"

# --- 4. vtmerv-check ----------------------------------------------------------

hold_semaphore 4
status=0
"$build/src/check/vtmerv-check" verifica --attesa 1 >"$work/out" 2>"$work/err" || status=$?
[ "$status" = 2 ] || fail "vtmerv-check --attesa 1 ended with $status, not 2"
grep -q "liberato in 1 secondi" "$work/err" || fail "vtmerv-check did not say why it gave up: $(cat "$work/err")"
"$build/src/check/vtmerv-check" verifica >"$work/out" 2>"$work/err" || fail "vtmerv-check did not wait: $(cat "$work/err")"
grep -q "semaforo ottenuto dopo" "$work/err" || fail "vtmerv-check did not say it waited"
wait "$helper_pid" || true
helper_pid=""
echo "office: vtmerv-check waits while the semaphore is held, and no longer than --attesa says"
