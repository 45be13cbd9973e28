#!/usr/bin/env bash
# Sets everything up and runs every test: a normal build, the Debian package
# made from it and checked (scripts/package-test.sh), the real program driven
# while another program holds the task semaphore (scripts/office.sh), then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets, then
# Windows: where scripts/windows-qt.sh has built Qt for Windows, the whole
# program built, tested and driven under Wine, and its installer
# (scripts/windows.sh); elsewhere the toolkit-free core cross-built with its
# tests run under Wine (and scripts/windows-check.sh on its programs), with a
# line that says why.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/common.sh
scripts/setup.sh
scripts/test-size.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"
bash scripts/package-test.sh build/release
LINUX_BUILD=build/release bash scripts/office.sh

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVTMERV_SANITIZE=ON -DVTMERV_BENCHMARKS=OFF
cmake --build build/sanitize -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

# The fuzz targets, each for a short fixed time from its seed corpus.
scripts/fuzz.sh

# Windows. Qt for Windows takes an hour to build: never here.
if [ -f "$windows_qt/vtmerv-qt.txt" ]; then
  windows_build=build/windows-qt
  LINUX_BUILD=build/release bash scripts/windows.sh
else
  windows_build=build/windows
  echo "windows: skipping the Windows program's stage: no Qt for Windows in $windows_qt (scripts/windows-qt.sh builds it)"
  cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
  cmake --build build/windows -j "$jobs"
  export WINEPREFIX="$PWD/build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A test dropped by a Wine server ending as it starts gets a second run.
  ctest --test-dir build/windows --output-on-failure -j "$jobs" --repeat until-pass:2
  bash scripts/windows-check.sh build/windows
fi
# vtmerv-sample writes the same installation, byte for byte, on both systems.
rm -rf build/sample-linux build/sample-windows
build/release/src/sample/vtmerv-sample build/sample-linux >/dev/null
WINEPREFIX="$PWD/$windows_build/wineprefix" WINEDEBUG=-all \
  wine "$windows_build/src/sample/vtmerv-sample.exe" build/sample-windows >/dev/null 2>&1
diff -r build/sample-linux build/sample-windows
echo "vtmerv-sample: the Windows and Linux installations are identical"
