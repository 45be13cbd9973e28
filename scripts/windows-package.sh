#!/usr/bin/env bash
# Makes the Windows installer build/windows-package/vtmerv-setup-<version>.exe
# (packaging/windows/vtmerv.nsi, with Debian's NSIS) from the programs built
# with the Qt of scripts/windows-qt.sh, and checks it under Wine in a prefix of
# its own: a silent install (/S); the installed files, the Start menu entry
# and the entry in Windows' list of installed programs; vtmerv.exe --version
# run from the installed folder; a silent uninstall, after which nothing of
# it is left and the suite's own registry key is untouched. Prints the
# installer's path last.
#
#   bash scripts/windows-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

build=build/windows-qt
output=build/windows-package

if [ ! -f "$windows_qt/vtmerv-qt.txt" ]; then
  echo "windows-package: no Qt for Windows in $windows_qt; build it first with scripts/windows-qt.sh" >&2
  exit 1
fi
bash scripts/setup.sh
bash scripts/setup.sh nsis
build_windows "$build" vtmerv vtmerv-check vtmerv-sample >&2

version=$(sed -n 's/^project(vtmerv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p "$output" "$output/bin"
for program in app/vtmerv check/vtmerv-check sample/vtmerv-sample; do
  x86_64-w64-mingw32-strip -o "$output/bin/$(basename "$program").exe" "$build/src/$program.exe"
done
installer="$PWD/$output/vtmerv-setup-$version.exe"
makensis -V2 -DVERSION="$version" -DBIN="$PWD/$output/bin" -DSOURCE="$PWD" -DOUTFILE="$installer" \
  packaging/windows/vtmerv.nsi >&2

# --- The installer under Wine ---------------------------------------------------

work="$(mktemp -d)"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot --init >/dev/null 2>&1

failures=0
fail() {
  echo "windows-package: FAILED: $*" >&2
  failures=$((failures + 1))
}
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }

suite_key='HKCU\SOFTWARE\VELTRANI\TESSARO'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VTMERV'
wine reg add "$suite_key" /v PERCORSOARCHIVI /d 'C:\PWELKIN\ARCHIVI' /f >/dev/null 2>&1

folder="$WINEPREFIX/drive_c/Program Files/VTMERV"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Gestione archivi standard.lnk"
files=(vtmerv.exe vtmerv-check.exe vtmerv-sample.exe README.md LICENZA.txt uninstall.exe)

wine "$installer" /S >/dev/null 2>&1 || fail "the installer ended with status $?"
wineserver -w
for file in "${files[@]}"; do
  [ -f "$folder/$file" ] || fail "no $file in the installed folder"
done
[ -f "$shortcut" ] || fail "no Start menu entry \"Gestione archivi standard\""
[ "$(reg_value "$uninstall_key" DisplayName)" = "VTMERV - Gestione archivi standard" ] ||
  fail "no entry in the list of installed programs"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "the uninstall entry names another version"
installed_version="$(wine 'C:\Program Files\VTMERV\vtmerv.exe' --version 2>/dev/null | tr -d '\r')"
[ "$installed_version" = "vtmerv $version" ] || fail "the installed vtmerv.exe --version said \"$installed_version\""
echo "windows-package: installed silently: ${files[*]}, the Start menu entry, the uninstall entry;" \
     "the installed program says \"$installed_version\"" >&2

wine 'C:\Program Files\VTMERV\uninstall.exe' /S >/dev/null 2>&1 || fail "the uninstaller ended with status $?"
wineserver -w
[ ! -e "$folder" ] || fail "the installed folder is still there: $(ls "$folder")"
[ ! -e "$shortcut" ] || fail "the Start menu entry is still there"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is still there"
[ "$(reg_value "$suite_key" PERCORSOARCHIVI)" = 'C:\PWELKIN\ARCHIVI' ] || fail "the suite's registry key was touched"
echo "windows-package: uninstalled silently; nothing of it is left, the suite's key is untouched" >&2

if [ "$failures" -gt 0 ]; then
  echo "windows-package: $failures check(s) failed" >&2
  exit 1
fi
echo "windows-package: $(stat -c %s "$installer") bytes" >&2
echo "$installer"
