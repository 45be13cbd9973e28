#!/usr/bin/env bash
# Takes the pictures in docs/screenshots from the real program: builds vtmerv,
# makes a fresh sample installation in a temporary folder, starts vtmerv on it
# on a virtual display (Xvfb) and copies one employee the way an operator
# would, with key presses (walk_employee_copy in scripts/xdriver.sh),
# photographing each window on the way:
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
source scripts/common.sh

build=build/run
shots=docs/screenshots

if [ "${1:-}" != "--on-display" ]; then
  bash scripts/setup.sh
  bash scripts/setup.sh xdotool imagemagick x11-utils
  build_program "$build"
  rerun_on_display "$0"
fi

# --- From here on, on the virtual display -----------------------------------

begin_run screenshots

shoot() { photograph "$@"; }

# shellcheck source=scripts/xdriver.sh
source scripts/xdriver.sh

use_sample "$build" "$work/sample"
mkdir -p "$shots"
start_program "$build/src/app/vtmerv"
walk_employee_copy
