#!/usr/bin/env bash
# The Windows program's stage of the tests, on a machine where
# scripts/windows-qt.sh has built Qt for Windows:
#   1. builds the whole program for Windows in build/windows-qt: vtmerv.exe,
#      vtmerv-check.exe, vtmerv-sample.exe and every test;
#   2. runs every test under Wine: the core's GoogleTest executables and the
#      views' Qt Test executables; then scripts/windows-check.sh: paths named
#      in Windows-1252 under another code page, the console, ripara beside a
#      program holding the index, a UNC path, long paths;
#   3. on a virtual display with a window manager, drives vtmerv.exe under
#      Wine key by key as an operator would (scripts/xdriver.sh): an employee
#      copied under a new code, a company copied over one in use. The sample
#      installation is made by vtmerv-sample.exe and found the Windows way: the
#      suite's registry key written with "wine reg add", its drive P: a network
#      drive of the Wine prefix leading to the sample folder. Pictures go to
#      docs/screenshots/windows. Every file of the installation must then be
#      byte for byte what the Linux vtmerv leaves after the same keys;
#   4. a second vtmerv.exe ends at once, silently (status 5); while another
#      Windows process holds "WKSEMA.DAT" the employee copy waits with its
#      windows painted and the wait box, which Annulla leaves and the holder's
#      release closes (walk_employee_copy_while_held, as scripts/office.sh);
#   5. the clear messages for a missing registry key, a registry path on a
#      drive that does not exist, path files with and without Windows line
#      ends, an archive held with no sharing; a read-only standard archive
#      browsed;
#   6. the installer (scripts/windows-package.sh).
#
#   bash scripts/windows.sh     (LINUX_BUILD: an existing Linux build to
#                                compare with; else build/run, made here)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

build=build/windows-qt
linux_build="${LINUX_BUILD:-build/run}"
shots=docs/screenshots/windows

if [ "${1:-}" != "--on-display" ]; then
  if [ ! -f "$windows_qt/vtmerv-qt.txt" ]; then
    echo "windows: no Qt for Windows in $windows_qt; build it first with scripts/windows-qt.sh" >&2
    exit 1
  fi
  bash scripts/setup.sh
  bash scripts/setup.sh nsis xdotool openbox imagemagick x11-utils
  build_windows "$build"
  export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A Wine server ending as a test starts drops that test ("recvmsg:
  # Connection reset by peer"): such a test gets a second run.
  ctest --test-dir "$build" --output-on-failure -j "$jobs" --repeat until-pass:2
  bash scripts/windows-check.sh "$build"
  if [ -z "${LINUX_BUILD:-}" ]; then
    build_program "$linux_build"
  else
    cmake --build "$linux_build" -j "$jobs" --target vtmerv vtmerv-sample
  fi
  rerun_on_display "$0"
fi

# --- From here on, on the virtual display -----------------------------------

begin_run windows

# Photographs window $1 as $shots/$2.png, while taking_pictures is set (the
# walk under Wine, not the Linux one it is compared with).
taking_pictures=""
shoot() { [ -z "$taking_pictures" ] || photograph "$@"; }

# shellcheck source=scripts/xdriver.sh
source scripts/xdriver.sh
start_window_manager

# --- The Wine prefix: the suite's drive, its registry key, the test fonts ------

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot --init >/dev/null 2>&1
wine_sample="$work/windows"
# Z: is the Linux root under Wine.
wine "$build/src/sample/vtmerv-sample.exe" "Z:$wine_sample" >/dev/null 2>&1
# The suite's drive P:, a network drive leading to the sample's drive folder;
# its task file lies on C:, where the suite's task manager writes it.
ln -s "$wine_sample/C" "$WINEPREFIX/dosdevices/p:"
wine reg add 'HKLM\Software\Wine\Drives' /v 'p:' /d network /f >/dev/null 2>&1
ln -s "$wine_sample/C/TARNIX" "$WINEPREFIX/drive_c/TARNIX"
set_registry() {
  wine reg add 'HKCU\SOFTWARE\VELTRANI\TESSARO' /v "$1" /d "$2" /f >/dev/null 2>&1
}
set_registry PERCORSOARCHIVI 'P:\PWELKIN\ARCHIVI'
set_registry PERCORSOPROGRAMMI 'P:\PWELKIN\PROGRAMMI'
# Wine's own stand-ins for the fonts the windows ask for are serif and
# proportional: the faces Debian ships take their place, as on a real
# Windows (Liberation Sans would lose every capital I).
for font in "Courier New=Liberation Mono" "Tahoma=DejaVu Sans" "MS Sans Serif=DejaVu Sans"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${font%%=*}" /d "${font#*=}" /f >/dev/null 2>&1
done
wineserver -w

vtmerv_exe() { start_program wine "$build/src/app/vtmerv.exe" "$@"; }

# Starts vtmerv.exe, opens the companies' browser from the menu and leaves it
# with "&Uscita": the installation was found and the archives opened.
browse_companies() {
  local menu browser
  vtmerv_exe
  menu="$(wait_window " ")"
  focus "$menu"
  keys Return
  browser="$(wait_window "Archivi Standard")"
  focus "$browser"
  keys alt+u
  wait_end 0
}

# --- 3. The operator's walk, on Linux and on Windows ---------------------------

echo "windows: the operator's walk with the Linux vtmerv"
use_sample "$linux_build" "$work/linux"
start_program "$linux_build/src/app/vtmerv"
walk_employee_copy
start_program "$linux_build/src/app/vtmerv"
walk_company_copy

echo "windows: the same walk with vtmerv.exe under Wine"
# The Windows program finds its installation the Windows way alone: the
# drives folder of the tests (TESSARO_DRIVES) would lead it to the Linux one.
unset TESSARO_DRIVES XDG_CONFIG_HOME
mkdir -p "$shots"
taking_pictures=yes
vtmerv_exe
walk_employee_copy
vtmerv_exe
walk_company_copy
diff -r "$work/linux/C" "$wine_sample/C" || fail "the installations differ after the same keys"
echo "windows: every file is the same after the walk under Wine and on Linux"

# --- 4. A second copy; the task semaphore held by another program --------------

vtmerv_exe
first_pid=$program_pid
menu="$(wait_window " ")"
started=$(date +%s)
status=0
wine "$build/src/app/vtmerv.exe" || status=$?
[ "$status" = 5 ] || fail "the second vtmerv.exe ended with status $status, not 5"
(($(date +%s) - started < 15)) || fail "the second vtmerv.exe took too long to end"
[ "$(xdotool search --onlyvisible --name '^ $' | wc -l)" = 1 ] || fail "the second vtmerv.exe showed a window"
program_pid=$first_pid
focus "$menu"
keys Escape
wait_end 0
echo "windows: a second vtmerv.exe ends at once, silently"

# hold FILE SECONDS: another Windows process opens the file (a suite path)
# with no sharing, as a program of the suite holds the task semaphore, and
# keeps it that long.
holder="$build/tests/vt_other_program.exe"
hold() {
  wine "$holder" hold "$1" "$2" >"$work/holder.out" 2>/dev/null &
  helper_pid=$!
  await_held "$work/holder.out" "$1"
}

hold_semaphore() { hold 'P:\PWELKIN\ARCHIVI\WKSEMA.DAT' "$1"; }
fresh_sample() {
  rm -rf "$wine_sample"
  wine "$build/src/sample/vtmerv-sample.exe" "Z:$wine_sample" >/dev/null 2>&1
}

# The employee copy while another Windows process holds "WKSEMA.DAT" with no
# sharing, as scripts/office.sh does it on Linux: the wait box, the windows
# painted again after being covered, Annulla at the check, the box closed by
# the holder's release at the confirmation; the installation is then byte
# for byte the one the same copy leaves without a wait. An overwrite given
# up while the copy waits writes nothing.
fresh_sample
taking_pictures=""
vtmerv_exe
walk_employee_copy
cp -r "$wine_sample" "$work/unheld"
fresh_sample
taking_pictures=yes
vtmerv_exe
walk_employee_copy_while_held check
diff -r "$work/unheld/C" "$wine_sample/C" || fail "the copy after a wait left another installation"
fresh_sample
cp -r "$wine_sample" "$work/untouched"
vtmerv_exe
walk_employee_copy_while_held copy
rm "$wine_sample/C/PWELKIN/ARCHIVI/WKSEMA.DAT"
diff -r "$work/untouched/C/PWELKIN/ARCHIVI" "$wine_sample/C/PWELKIN/ARCHIVI" || fail "a copy given up wrote something"
echo "windows: while another program holds WKSEMA.DAT the wait box comes, Annulla gives up, the release goes on"

# --- 5. Bad input: the message each gives --------------------------------------

# expect_boxes STATUS NAME TITLE...: the program shows one box after the other
# with these titles (the first photographed as NAME, unless that is ""),
# Enter closes each, and the program ends with STATUS.
expect_boxes() {
  local status="$1" name="$2" box skip=""
  shift 2
  for title in "$@"; do
    box="$(wait_window "$title" "$skip")"
    if [ -n "$name" ]; then shoot "$box" "$name"; name=""; fi
    focus "$box"
    keys Return
    skip="$box"
  done
  wait_end "$status"
}

taking_pictures=yes

# A missing registry key and no path files; then a registry key naming a
# drive that does not exist, with no path files: the configuration error.
fresh_sample
wine reg delete 'HKCU\SOFTWARE\VELTRANI\TESSARO' /f >/dev/null 2>&1
vtmerv_exe
expect_boxes 3 bad-no-registry Tessaro
set_registry PERCORSOARCHIVI 'Q:\PWELKIN\ARCHIVI'
set_registry PERCORSOPROGRAMMI 'Q:\PWELKIN\PROGRAMMI'
vtmerv_exe
expect_boxes 3 "" Tessaro
echo "windows: no registry key, or one naming a drive that does not exist, without path files: the configuration error"

# The path files on C:, with Windows line ends and without: the program
# finds the archives through them.
mkdir -p "$WINEPREFIX/drive_c/PWELKIN"
for line_end in $'\r\n' $'\n'; do
  printf 'P:\\PWELKIN\\ARCHIVI%s' "$line_end" >"$WINEPREFIX/drive_c/PWELKIN/WKPERARK.WKP"
  printf 'P:\\PWELKIN\\PROGRAMMI%s' "$line_end" >"$WINEPREFIX/drive_c/PWELKIN/WKPERPRO.WKP"
  browse_companies
done
set_registry PERCORSOARCHIVI 'P:\PWELKIN\ARCHIVI'
set_registry PERCORSOPROGRAMMI 'P:\PWELKIN\PROGRAMMI'
echo "windows: path files with Windows line ends and without"

# The companies' archive held by another program with no sharing: the trap
# names the failure and the file, then asks to restart the task.
hold 'P:\PWELKIN\ARCHIVI\DITTE.DAT' 30
vtmerv_exe
menu="$(wait_window " ")"
focus "$menu"
keys Return
expect_boxes 1 bad-archive-held "Tessaro VTMERV" Tessaro
kill "$helper_pid" 2>/dev/null || true
wineserver -k
helper_pid=""
echo "windows: an archive held with no sharing: the trap's message"

# A read-only standard archive can still be browsed. (A read-only user
# archive cannot be tried here: Wine runs as root, for whom no file is
# read-only; the Linux tests run that case as another user.)
chmod a-w "$wine_sample/C/PWELKIN/ARCHIVI/STDDITTE.DAT"
browse_companies
echo "windows: a read-only standard archive is browsed"

# --- 6. The installer ------------------------------------------------------------

bash scripts/windows-package.sh >/dev/null
echo "windows: every check passed"
