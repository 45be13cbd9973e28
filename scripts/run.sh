#!/usr/bin/env bash
# Installs what is needed, builds vtmerv, creates the sample installation in
# ./sample when it is not there yet, and starts vtmerv on it on the current
# display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

bash scripts/setup.sh

build=build/run
build_program "$build"

sample="$PWD/sample"
if [ ! -e "$sample/C/PWELKIN/ARCHIVI/WKBASE.DAT" ]; then
  "$build/src/sample/vtmerv-sample" "$sample"
fi

# The suite's drive C is the folder sample/C; the settings file (the
# registry's stand-in) is sample/config/VELTRANI/TESSARO.conf.
export TESSARO_DRIVES="$sample"
export XDG_CONFIG_HOME="$sample/config"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
No display: neither DISPLAY nor WAYLAND_DISPLAY is set, so vtmerv cannot show
its windows here. The program is built and the sample installation is in
$sample.
To run it on a virtual display instead:

  xvfb-run -a -s "-screen 0 $screen_size" bash scripts/run.sh

MSG
  exit 1
fi

exec "$build/src/app/vtmerv"
