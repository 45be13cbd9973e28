# Settings and steps shared by the scripts; sourced, not run, from the
# checkout's root.

# How many compilations and tests run at once: every core unless JOBS says.
jobs=${JOBS:-$(nproc)}

# The static Qt for Windows that scripts/windows-qt.sh builds once, outside
# the checkout; the Windows program's build and installer need it.
windows_qt=${VTMERV_WINDOWS_QT:-${XDG_CACHE_HOME:-$HOME/.cache}/vtmerv/qt-windows}/qt

# The parts of other authors that qtbase's source bundles (src/3rdparty/...)
# and the Qt of scripts/windows-qt.sh compiles in, for Windows with its
# options; their attribution files and licence texts travel with vtmerv.exe.
qt_bundled_parts=(zlib pcre2 harfbuzz-ng freetype libpng double-conversion easing md4 md5 sha1 sha3
                  rfc6234 blake2 tinycbor md4c icc)

# The size of the virtual display the scripts drive the program on.
screen_size="1280x1024x24"

# build_program FOLDER [TARGET...]: a Release build of vtmerv and vtmerv-sample
# (and the targets named) in FOLDER.
build_program() {
  local folder="$1"
  shift
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVTMERV_BENCHMARKS=OFF >/dev/null
  cmake --build "$folder" -j "$jobs" --target vtmerv vtmerv-sample "$@"
}

# build_windows FOLDER [TARGET...]: the whole program, its tests included (or
# just the targets named), for Windows, with the Qt that scripts/windows-qt.sh
# built. The programs carry the project's version, or VTMERV_VERSION_OVERRIDE
# when that is set (given every time, so that it never stays in the build).
build_windows() {
  local folder="$1"
  shift
  local targets=()
  [ "$#" -eq 0 ] || targets=(--target "$@")
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVTMERV_CORE_ONLY=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$windows_qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DVTMERV_VERSION_OVERRIDE="${VTMERV_VERSION_OVERRIDE:-}" >/dev/null
  cmake --build "$folder" -j "$jobs" "${targets[@]}"
}

# rerun_on_display SCRIPT ARGUMENTS...: runs the script again, with
# --on-display before its arguments, on a virtual display of its own.
rerun_on_display() {
  local script="$1"
  shift
  exec xvfb-run -a -s "-screen 0 $screen_size" bash "$script" --on-display "$@"
}

# use_sample BUILD FOLDER: writes a fresh sample installation into FOLDER with
# BUILD's vtmerv-sample and points the Linux program at it (drives, settings
# file, and the one-copy lock, so that a vtmerv running elsewhere for the same
# user does not stop this one).
use_sample() {
  "$1/src/sample/vtmerv-sample" "$2" >/dev/null
  export TESSARO_DRIVES="$2"
  export XDG_CONFIG_HOME="$2/config"
  export XDG_RUNTIME_DIR="$2/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# begin_run NAME: what a script that runs the programs does first: a scratch
# folder ($work) and, at the end whichever way the script ends, the
# processes it started ($program_pid, $helper_pid, $holder_pid, $wm_pid)
# stopped, Wine's server ended when the script uses Wine, the folder
# removed. NAME begins fail's messages.
begin_run() {
  run_name="$1"
  work="$(mktemp -d)"
  program_pid="" helper_pid="" holder_pid="" wm_pid=""
  trap end_run EXIT
}
end_run() {
  local pid
  for pid in "$program_pid" "$helper_pid" "$holder_pid" "$wm_pid"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  done
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  rm -rf "$work"
}

# fail MESSAGE...: stops the script with the message; on a display, with a
# picture of the whole display at that moment, for a look.
fail() {
  local picture="${TMPDIR:-/tmp}/$run_name-failure.png"
  if [ -z "${DISPLAY:-}" ] || ! import -window root "$picture" 2>/dev/null; then picture=""; fi
  echo "$run_name: FAILED: $*${picture:+; the display at that moment: $picture}" >&2
  exit 1
}

# await_held OUTPUT WHAT: waits, ten seconds at most, until the other program
# of the tests (vt_other_program hold or share), started with its output
# going to OUTPUT, says that it holds WHAT; fails otherwise.
await_held() {
  for _ in $(seq 100); do
    grep -q held "$1" 2>/dev/null && return
    sleep 0.1
  done
  fail "the other program could not open $2"
}

