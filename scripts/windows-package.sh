#!/usr/bin/env bash
# Makes the Windows installer build/windows-package/vtmerv-setup-<version>.exe
# (packaging/windows/vtmerv.nsi, with Debian's NSIS) and the Windows Installer
# package build/windows-package/vtmerv-<version>.msi (packaging/windows/
# vtmerv.wxs, with msitools' wixl) from the programs built with the Qt of
# scripts/windows-qt.sh. Beside the programs both install the README as text
# for Notepad, the copyright, and vtmerv-licenze: the notice of the Qt inside
# vtmerv.exe with its licences, the attributions of the parts Qt bundles, the
# MinGW-w64 runtime's copyright and this program's source (all made here from
# their sources: packaging/windows/notices.py).
#
# With a certificate (scripts/windows-sign.sh: VTMERV_SIGN_PFX, or
# VTMERV_SIGN_CERT and VTMERV_SIGN_KEY) every program is signed before it is
# packed, and the uninstaller, the installer and the package too; without one
# they are not signed, and one line says so.
#
# Then it checks both under Wine, in a prefix of its own, silently, against
# the same programs built as an earlier version (and signed, with the
# certificate given or else with one made here and thrown away): the
# installer installs, refuses while a VTMERV program of the folder runs
# (leaving every file as it was), upgrades in the same folder, refuses an
# older version and another folder, and follows the suite's programs folder;
# the uninstaller waits for its end and leaves nothing of it; the MSI package
# installs, upgrades, refuses an older version and removes; each refuses
# while the other is installed; the signatures verify; the suite's registry
# key is never written. Prints the installer's and the package's paths last.
#
#   bash scripts/windows-package.sh
set -euo pipefail
trap 'echo "windows-package: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
source scripts/common.sh

build=build/windows-qt
output=build/windows-package

if [ ! -f "$windows_qt/vtmerv-qt.txt" ]; then
  echo "windows-package: no Qt for Windows in $windows_qt; build it first with scripts/windows-qt.sh" >&2
  exit 1
fi
if [ ! -d "$windows_qt/licenses" ]; then
  echo "windows-package: the Qt in $windows_qt keeps no licence texts; run scripts/windows-qt.sh again (it adds them)" >&2
  exit 1
fi
if ! git rev-parse --git-dir >/dev/null 2>&1; then
  echo "windows-package: the installer carries this program's source: run it in a git checkout" >&2
  exit 1
fi
bash scripts/setup.sh
bash scripts/setup.sh nsis wixl msitools osslsigncode python3 xdotool
# A running vtmerv.exe, which one check needs, shows a window.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 $screen_size" bash "$0" "$@"
fi

begin_run windows-package

version=$(sed -n 's/^project(vtmerv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The earlier version the upgrade starts from: the minor number one less.
major=${version%%.*}
minor=${version#*.}
minor=${minor%%.*}
if [ "$minor" -gt 0 ]; then older="$major.$((minor - 1))"; else older="$((major - 1)).99"; fi

# --- The packages -------------------------------------------------------------

signing() { bash scripts/windows-sign.sh --check; }

# stage_programs FOLDER: the three programs just built, stripped (and signed).
stage_programs() {
  mkdir -p "$1"
  for program in app/vtmerv check/vtmerv-check sample/vtmerv-sample; do
    x86_64-w64-mingw32-strip -o "$1/$(basename "$program").exe" "$build/src/$program.exe"
  done
  if signing; then bash scripts/windows-sign.sh "$1"/*.exe; fi
}

# The programs of the earlier version first (only the objects that carry the
# version are built again), then this version's, so that the build ends as it
# was.
VTMERV_VERSION_OVERRIDE="$older" build_windows "$build" vtmerv vtmerv-check vtmerv-sample >&2
(
  if ! signing; then
    # The earlier version is for the checks alone: signed with a throw-away
    # certificate when none is given.
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=VTMERV test signature" \
      -addext "extendedKeyUsage=codeSigning" -keyout "$work/test-key.pem" -out "$work/test-cert.pem" 2>/dev/null
    export VTMERV_SIGN_CERT="$work/test-cert.pem" VTMERV_SIGN_KEY="$work/test-key.pem"
    unset VTMERV_SIGN_PFX VTMERV_SIGN_PASSWORD
  fi
  stage_programs "$work/older/bin"
)
build_windows "$build" vtmerv vtmerv-check vtmerv-sample vt_other_program >&2
rm -rf "$output"
mkdir -p "$output"
stage_programs "$output/bin"
if ! signing; then
  echo "windows-package: not signed: no certificate given (VTMERV_SIGN_PFX, or VTMERV_SIGN_CERT and VTMERV_SIGN_KEY)" >&2
fi
# The certificates the signatures are checked against.
if signing; then
  sign_ca="${VTMERV_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}"
  older_ca="$sign_ca"
else
  sign_ca=""
  older_ca="$work/test-cert.pem"
fi

publisher="$(sed -n 's/^VTMERV_PUBLISHER:STRING=//p' "$build/CMakeCache.txt")"
stamp="$(cat "$windows_qt/vtmerv-qt.txt")"
# The program's source as it is checked out (changes not yet committed too).
# A file rewritten with the same content (as scripts/windows.sh rewrites its
# pictures) must not count as a change: git stash create fails then.
git update-index -q --refresh >/dev/null || true
source_tree="$(git stash create)"
source_tree="${source_tree:-HEAD}"

# make_msi VERSION FOLDER MSI: the package MSI of the programs in FOLDER/bin
# and the documents in FOLDER/docs. Its version has three parts; wixl takes
# file paths relative to the folder it runs in.
make_msi() {
  local v="$1" folder="$2" msi="$3" msi_version="$1"
  while [ "$(tr -cd . <<<"$msi_version" | wc -c)" -lt 2 ]; do msi_version="$msi_version.0"; done
  cp packaging/windows/vtmerv.ico "$folder/vtmerv.ico"
  rm -f "$msi"
  (cd "$folder" && wixl -a x64 -D VERSION="$msi_version" -D NEXT_VERSION="${msi_version%.*}.$((${msi_version##*.} + 1))" \
    -D PUBLISHER="$publisher" -D BIN=bin -D DOCS=docs -D ICON=vtmerv.ico -o "$msi" \
    "$OLDPWD/packaging/windows/vtmerv.wxs" 2>&1 | { grep -v "unimplemented" || true; } >&2)
  [ -f "$msi" ] || { echo "windows-package: wixl made no package" >&2; exit 1; }
}

# make_packages VERSION FOLDER: the installer FOLDER/vtmerv-setup-VERSION.exe
# and the package FOLDER/vtmerv-VERSION.msi, of the programs in FOLDER/bin.
make_packages() {
  local v="$1" folder docs
  folder="$(realpath "$2")"
  docs="$folder/docs"
  rm -rf "$docs"
  mkdir -p "$docs/vtmerv-licenze"
  python3 packaging/windows/notices.py readme README.md "$docs/vtmerv-README.txt"
  python3 packaging/windows/notices.py text packaging/copyright "$docs/vtmerv-COPYRIGHT.txt"
  python3 packaging/windows/notices.py licenses "$windows_qt/licenses" "$stamp" \
    /usr/share/doc/mingw-w64-x86-64-dev/copyright "$docs/vtmerv-licenze" "$v"
  git archive --format=zip --prefix="vtmerv-$v/" -o "$docs/vtmerv-licenze/vtmerv-source.zip" "$source_tree"

  local size sign=()
  size=$(find "$folder/bin" "$docs" -type f -printf '%s\n' | awk '{ n += $1 } END { print int((n + 1023) / 1024) }')
  if signing; then sign=(-DSIGN="bash $PWD/scripts/windows-sign.sh %1"); fi
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$v" -DPUBLISHER="$publisher" -DBIN="$folder/bin" -DDOCS="$docs" \
    -DSOURCE="$PWD" -DOUTFILE="$folder/vtmerv-setup-$v.exe" -DESTIMATED_SIZE="$size" "${sign[@]}" \
    packaging/windows/vtmerv.nsi >&2

  make_msi "$v" "$folder" "$folder/vtmerv-$v.msi"
  if signing; then bash scripts/windows-sign.sh "$folder/vtmerv-setup-$v.exe" "$folder/vtmerv-$v.msi"; fi
}
make_packages "$version" "$output"
(
  if [ "$older_ca" = "$work/test-cert.pem" ]; then
    export VTMERV_SIGN_CERT="$work/test-cert.pem" VTMERV_SIGN_KEY="$work/test-key.pem"
    unset VTMERV_SIGN_PFX VTMERV_SIGN_PASSWORD
  fi
  make_packages "$older" "$work/older"
)
installer="$PWD/$output/vtmerv-setup-$version.exe"
msi="$PWD/$output/vtmerv-$version.msi"
old_installer="$work/older/vtmerv-setup-$older.exe"
old_msi="$work/older/vtmerv-$older.msi"

# --- Under Wine ----------------------------------------------------------------

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One Wine server for the whole check: a server that ends, idle, just as the
# next command starts would drop that command.
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot --init >/dev/null 2>&1

failures=0
fail() {
  echo "windows-package: FAILED: $*" >&2
  failures=$((failures + 1))
}
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
reg_dump() { wine reg query "$1" /s 2>/dev/null | tr -d '\r'; }

# Every exit status seen, for the summary at the end.
statuses=()
# run EXPECTED WHAT COMMAND...: runs a Windows command line, waiting for its
# end as a deployment tool does, and checks its exit status. The line runs as
# it is from a batch file (a "wine" command line would quote _?= and /D=
# paths, which NSIS then does not read), which writes the whole status down
# (Wine's own exit status keeps only its last 8 bits).
run() {
  local expected="$1" what="$2" status
  shift 2
  printf '%s\r\n>%s echo %%ERRORLEVEL%%\r\n' "$*" "$(windows_path "$work/status.txt")" >"$work/run.bat"
  rm -f "$work/status.txt"
  wine cmd /c "$(windows_path "$work/run.bat")" >/dev/null 2>&1 || true
  status="$(tr -d '\r\n ' <"$work/status.txt" 2>/dev/null || echo "no status")"
  statuses+=("$what: $status")
  [ "$status" = "$expected" ] || fail "$what ended with status $status, not $expected"
}
windows_path() { echo "Z:${1//\//\\}"; }

suite_key='HKCU\SOFTWARE\VELTRANI\TESSARO'
# The suite's key as the suite's installer writes it, before each case.
suite_set() { wine reg add "$suite_key" /v "$1" /d "$2" /f >/dev/null 2>&1 || fail "could not write $1 into the suite's key"; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VTMERV'
suite_set PERCORSOARCHIVI 'C:\PWELKIN\ARCHIVI'
suite_before="$(reg_dump "$suite_key")"

c="$WINEPREFIX/drive_c"
default_folder='C:\Program Files\VTMERV'
shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Gestione archivi standard.lnk"
# What an installation holds, besides the uninstaller.
files=(vtmerv.exe vtmerv-check.exe vtmerv-sample.exe vtmerv-README.txt vtmerv-COPYRIGHT.txt
       vtmerv-licenze/NOTICE.txt vtmerv-licenze/THIRD-PARTY.txt vtmerv-licenze/LGPL-3.0-only.txt
       vtmerv-licenze/GPL-3.0-only.txt vtmerv-licenze/mingw-w64-runtime.txt vtmerv-licenze/vtmerv-source.zip)

unix_path() { local p="${1#C:\\}"; echo "$c/${p//\\//}"; }
# The files of the folder with their digests: what "left as it was" compares.
snapshot() { (cd "$(unix_path "$1")" && find . -type f -print0 | sort -z | xargs -0 sha256sum) || echo "no $1"; }
program_version() { wine "$1\\$2" --version 2>/dev/null | tr -d '\r'; }
signature_ok() { osslsigncode verify -in "$1" -CAfile "$2" >/dev/null 2>&1; }

# check_installed FOLDER VERSION [UNINSTALLER]: VTMERV's files in FOLDER
# (those and no others but the suite's program, the uninstaller too when
# named), both programs saying VERSION.
check_installed() {
  local folder="$1" v="$2" dir expected
  dir="$(unix_path "$1")"
  expected="$(printf '%s\n' "${files[@]}" vtmerv-licenze ${3:+"$3"} | sort)"
  if [ "$(cd "$dir" && { find . -maxdepth 1 -mindepth 1 ! -name VTTASK.EXE; find ./vtmerv-licenze -mindepth 1; } 2>/dev/null |
    sed 's|^\./||' | sort)" != "$expected" ]; then
    fail "$folder holds other files than VTMERV's: $(cd "$dir" && find . -mindepth 1 | tr '\n' ' ')"
  fi
  [ "$(program_version "$folder" vtmerv.exe)" = "vtmerv $v" ] || fail "vtmerv.exe in $folder is not version $v"
  [ "$(program_version "$folder" vtmerv-check.exe)" = "vtmerv-check $v" ] ||
    fail "vtmerv-check.exe in $folder is not version $v"
}

# check_entry KEY FOLDER VERSION: the entry in the list of installed programs.
check_entry() {
  local key="$1" folder="$2" v="$3"
  [ "$(reg_value "$key" DisplayName)" = "VTMERV - Gestione archivi standard" ] || fail "$key: DisplayName"
  [ "$(reg_value "$key" DisplayVersion)" = "$v" ] || fail "$key: DisplayVersion is not $v"
  [ "$(reg_value "$key" Publisher)" = "$publisher" ] || fail "$key: Publisher is not \"$publisher\""
  [ "$(reg_value "$key" InstallLocation)" = "$folder" ] || fail "$key: InstallLocation is not $folder"
}

# check_shortcut LINK FOLDER: the Start menu entry leads to FOLDER's vtmerv.exe.
check_shortcut() {
  if [ ! -f "$1" ]; then
    fail "no Start menu entry \"Gestione archivi standard\" ($1)"
  elif ! strings -a "$1" | grep -qxF "$2\\vtmerv.exe"; then
    fail "the Start menu entry does not lead to $2\\vtmerv.exe"
  fi
}

# check_removed FOLDER [KEPT]: nothing of VTMERV is left in FOLDER, which is
# gone unless KEPT (the suite's folder, with its own files, stays).
check_removed() {
  local dir
  dir="$(unix_path "$1")"
  if [ -z "${2:-}" ]; then
    [ ! -e "$dir" ] || fail "$1 is still there: $(ls "$dir")"
  else
    [ -z "$(find "$dir" -name 'vtmerv*')" ] || fail "still in $1: $(find "$dir" -name 'vtmerv*' | tr '\n' ' ')"
  fi
  [ ! -e "$shortcut" ] || fail "the Start menu entry is still there"
}

# wait_gone FOLDER: the uninstaller's own file, and then the folder when
# nothing else is left in it, go a moment after it ends (a program cannot
# delete its own file while it runs): waits until the file is gone and the
# folder is gone or holds other files.
wait_gone() {
  local dir
  dir="$(unix_path "$1")"
  for _ in $(seq 100); do
    if [ ! -e "$dir/vtmerv-uninstall.exe" ] && { [ ! -e "$dir" ] || [ -n "$(ls -A "$dir")" ]; }; then return 0; fi
    sleep 0.1
  done
  fail "$1\\vtmerv-uninstall.exe is still there 10 s after the uninstaller ended"
}

quiet_uninstall() { reg_value "$uninstall_key" QuietUninstallString; }

# --- The NSIS installer ------------------------------------------------------------

run 0 "install $older (setup /S)" "$(windows_path "$old_installer") /S"
check_installed "$default_folder" "$older" vtmerv-uninstall.exe
check_entry "$uninstall_key" "$default_folder" "$older"
check_shortcut "$shortcut" "$default_folder"
[ "$(reg_value "$uninstall_key" QuietUninstallString)" = "\"$default_folder\\vtmerv-uninstall.exe\" /S _?=$default_folder" ] ||
  fail "QuietUninstallString is \"$(quiet_uninstall)\""
for value in URLInfoAbout HelpLink; do
  [ -z "$(reg_value "$uninstall_key" "$value")" ] || fail "$value names an address where there is none"
done
for file in vtmerv.exe vtmerv-check.exe vtmerv-sample.exe vtmerv-uninstall.exe; do
  signature_ok "$(unix_path "$default_folder")/$file" "$older_ca" || fail "the signature of the installed $file does not verify"
done
for file in "$old_installer" "$old_msi"; do
  signature_ok "$file" "$older_ca" || fail "the signature of $(basename "$file") does not verify"
done
echo "windows-package: $older installed silently in $default_folder; entry, Start menu, signatures checked" >&2

# With vtmerv.exe running (its message box open: no installation of the suite
# here), neither the newer installer nor the uninstaller changes anything.
before="$(snapshot "$default_folder")"
wine "$(unix_path "$default_folder")/vtmerv.exe" >/dev/null 2>&1 &
program_pid=$!
timeout 60 xdotool search --sync --onlyvisible --name '^Tessaro$' >/dev/null || fail "vtmerv.exe showed no window"
run 3 "install $version over a running vtmerv.exe" "$(windows_path "$installer") /S"
run 3 "uninstall with vtmerv.exe running" "$(quiet_uninstall)"
[ "$(snapshot "$default_folder")" = "$before" ] || fail "a file of $default_folder changed while vtmerv.exe ran"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$older" ] || fail "the entry changed while vtmerv.exe ran"
kill "$program_pid" 2>/dev/null || fail "vtmerv.exe ended before it was closed"
wait "$program_pid" 2>/dev/null || true
program_pid=""
echo "windows-package: with vtmerv.exe running, the installer and the uninstaller end with status 3, every file as it was" >&2

# hold FILE: another Windows process holds the file open with no sharing (as
# a viewer may hold the README), until release.
hold() {
  wine "$build/tests/vt_other_program.exe" hold "$1" 120 >"$work/holder.out" 2>/dev/null &
  holder_pid=$!
  await_held "$work/holder.out" "$1"
}
release() {
  kill "$holder_pid" 2>/dev/null || fail "the other program let go of the file too early"
  wait "$holder_pid" 2>/dev/null || true
  holder_pid=""
}
# The README held: the upgrade cannot move it aside after the programs, and
# puts back everything it had moved.
hold "$default_folder\vtmerv-README.txt"
run 2 "upgrade with the README held open" "$(windows_path "$installer") /S"
release
[ "$(snapshot "$default_folder")" = "$before" ] || fail "a failed upgrade left $default_folder changed"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$older" ] || fail "a failed upgrade changed the entry"
echo "windows-package: an upgrade that cannot move a file ends with status 2, every file as it was" >&2

run 0 "upgrade $older to $version (setup /S)" "$(windows_path "$installer") /S"
check_installed "$default_folder" "$version" vtmerv-uninstall.exe
check_entry "$uninstall_key" "$default_folder" "$version"
check_shortcut "$shortcut" "$default_folder"
size=$(cd "$(unix_path "$default_folder")" && find . -type f ! -name vtmerv-uninstall.exe -printf '%s\n' |
  awk '{ n += $1 } END { print int((n + 1023) / 1024) }')
[ "$(reg_value "$uninstall_key" EstimatedSize)" = "$(printf '0x%x' "$size")" ] ||
  fail "EstimatedSize is $(reg_value "$uninstall_key" EstimatedSize), not $size KiB"
before="$(snapshot "$default_folder")"
run 4 "install $older over $version" "$(windows_path "$old_installer") /S"
run 5 "install $version in another folder (/D=)" "$(windows_path "$installer") /S /D=C:\\ALTROVE"
[ "$(snapshot "$default_folder")" = "$before" ] || fail "a refused installation changed $default_folder"
[ ! -e "$c/ALTROVE" ] || fail "the installation refused for another folder wrote C:\\ALTROVE"
echo "windows-package: upgraded to $version in the same folder; an older version and another folder refused" >&2

# The README held: the uninstaller keeps the entry (and says so with status 2).
hold "$default_folder\vtmerv-README.txt"
run 2 "uninstall with the README held open" "$(quiet_uninstall)"
release
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "the entry went though a file stayed"
run 0 "uninstall (QuietUninstallString)" "$(quiet_uninstall)"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is still there"
for file in "${files[@]}"; do
  [ ! -e "$(unix_path "$default_folder")/$file" ] || fail "$file is still there after the uninstaller ended"
done
wait_gone "$default_folder"
check_removed "$default_folder"
echo "windows-package: uninstalled silently, waiting for its end; nothing of it is left" >&2

# The suite's programs folder, where the suite's task manager starts its
# programs from; an upgrade stays where the installed version is even when
# the suite's key names another folder.
suite_folder='C:\PWELKIN\PROGRAMMI'
mkdir -p "$(unix_path "$suite_folder")" "$c/PWELKIN/ALTRI"
echo suite >"$(unix_path "$suite_folder")/VTTASK.EXE"
suite_set PERCORSOPROGRAMMI "$suite_folder"
suite_before="$(reg_dump "$suite_key")"
run 0 "install $older with the suite's key (setup /S)" "$(windows_path "$old_installer") /S"
check_installed "$suite_folder" "$older" vtmerv-uninstall.exe
check_entry "$uninstall_key" "$suite_folder" "$older"
suite_set PERCORSOPROGRAMMI 'C:\PWELKIN\ALTRI'
suite_before="$(reg_dump "$suite_key")"
run 0 "upgrade in the suite's folder (setup /S)" "$(windows_path "$installer") /S"
check_installed "$suite_folder" "$version" vtmerv-uninstall.exe
[ -z "$(find "$c/PWELKIN/ALTRI" -mindepth 1)" ] || fail "the upgrade wrote into the folder the suite's key names now"
echo "windows-package: installed in the suite's programs folder, and upgraded there" >&2

run 1603 "msiexec /i $version.msi with the NSIS installation there" "msiexec /i $(windows_path "$msi") /qn"
wine reg query 'HKLM\Software\VTMERV' >/dev/null 2>&1 && fail "the refused MSI package wrote its registry key"
run 0 "uninstall from the suite's folder" "$(quiet_uninstall)"
wait_gone "$suite_folder"
check_removed "$suite_folder" kept
[ -f "$(unix_path "$suite_folder")/VTTASK.EXE" ] || fail "the uninstaller removed a file of the suite"
[ "$(reg_dump "$suite_key")" = "$suite_before" ] || fail "the suite's registry key was written"
echo "windows-package: uninstalled from the suite's folder, which keeps the suite's own files" >&2

# --- The MSI package -----------------------------------------------------------------

# msi_entries: the keys of the MSI package's entries in the list of installed
# programs (Windows Installer names them by the ProductCode).
msi_entries() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null | tr -d '\r' |
    grep -E '\\\{[0-9A-F-]+\}$' | while read -r key; do
      [ "$(reg_value "$key" DisplayName)" != "VTMERV - Gestione archivi standard" ] || echo "$key"
    done
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }'; }
# check_msi_entry MSI FOLDER VERSION: one entry, the package's.
check_msi_entry() {
  local entries
  entries="$(msi_entries)"
  if [ "$entries" != "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(product_code "$1")" ]; then
    fail "the installed programs list, for VTMERV: ${entries:-nothing}, not the package's ProductCode alone"
  else
    check_entry "$entries" "$2\\" "$3"
  fi
}
# Windows Installer under Wine puts a per-machine package's Start menu entry
# into the user's Start menu (Windows puts it into all users'), and answers
# msiexec /x of a package not installed with 0 (Windows: 1605).
msi_shortcut="$c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Gestione archivi standard.lnk"
[ "$(msiinfo export "$msi" Property | tr -d '\r' | awk '$1 == "ALLUSERS" { print $2 }')" = 1 ] ||
  fail "the MSI package is not per-machine (ALLUSERS)"

wine reg delete "$suite_key" /v PERCORSOPROGRAMMI /f >/dev/null 2>&1 || fail "could not take PERCORSOPROGRAMMI out"
run 0 "msiexec /i $older.msi /qn" "msiexec /i $(windows_path "$old_msi") /qn"
check_installed "$default_folder" "$older"
check_msi_entry "$old_msi" "$default_folder" "$older.0"
check_shortcut "$msi_shortcut" "$default_folder"
suite_set PERCORSOPROGRAMMI "$suite_folder"
suite_before="$(reg_dump "$suite_key")"
run 5 "setup /S with the MSI installation there" "$(windows_path "$installer") /S"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the refused NSIS installer wrote its entry"
# An upgrade over a running vtmerv.exe: Windows Installer replaces its file
# at the next restart (here Wine's), and says so.
wine "$(unix_path "$default_folder")/vtmerv.exe" >/dev/null 2>&1 &
program_pid=$!
timeout 60 xdotool search --sync --onlyvisible --name '^Tessaro$' >/dev/null || fail "vtmerv.exe showed no window"
run 3010 "msiexec /i $version.msi /qn (upgrade) with vtmerv.exe running" "msiexec /i $(windows_path "$msi") /qn"
[ "$(program_version "$default_folder" vtmerv.exe)" = "vtmerv $older" ] || fail "the running vtmerv.exe was replaced"
kill "$program_pid" 2>/dev/null || fail "vtmerv.exe ended before it was closed"
wait "$program_pid" 2>/dev/null || true
program_pid=""
wineboot --restart >/dev/null 2>&1
check_installed "$default_folder" "$version"
check_msi_entry "$msi" "$default_folder" "$version.0"
check_shortcut "$msi_shortcut" "$default_folder"
before="$(snapshot "$default_folder")"
run 1603 "msiexec /i $older.msi /qn over $version" "msiexec /i $(windows_path "$old_msi") /qn"
[ "$(snapshot "$default_folder")" = "$before" ] || fail "the refused older package changed $default_folder"
check_msi_entry "$msi" "$default_folder" "$version.0"
# A package of the same version built again (another ProductCode) replaces it.
make_msi "$version" "$PWD/$output" "$work/rebuilt.msi"
run 0 "msiexec /i $version.msi built again /qn" "msiexec /i $(windows_path "$work/rebuilt.msi") /qn"
check_msi_entry "$work/rebuilt.msi" "$default_folder" "$version.0"
echo "windows-package: the MSI package installed $older, upgraded it to $version in the same folder (over a running" \
     "vtmerv.exe: 3010, replaced at the restart), refused $older; $version built again replaced $version" >&2

run 0 "msiexec /x $version.msi /qn" "msiexec /x $(windows_path "$work/rebuilt.msi") /qn"
check_removed "$default_folder"
[ ! -e "$msi_shortcut" ] || fail "the MSI package's Start menu entry is still there"
[ -z "$(msi_entries)" ] || fail "the MSI package's entry is still there"
wine reg query 'HKLM\Software\VTMERV' >/dev/null 2>&1 && fail "the MSI package's registry key is still there"
run 0 "msiexec /i $version.msi /qn with the suite's key" "msiexec /i $(windows_path "$msi") /qn"
check_installed "$suite_folder" "$version"
run 0 "msiexec /x $version.msi /qn from the suite's folder" "msiexec /x $(windows_path "$msi") /qn"
check_removed "$suite_folder" kept
[ -f "$(unix_path "$suite_folder")/VTTASK.EXE" ] || fail "the MSI package removed a file of the suite"
[ "$(reg_dump "$suite_key")" = "$suite_before" ] || fail "the suite's registry key was written"
echo "windows-package: the MSI package removed silently, and installed and removed in the suite's programs folder" >&2

if [ -n "$sign_ca" ]; then
  for file in "$output"/bin/*.exe "$installer" "$msi"; do
    signature_ok "$file" "$sign_ca" || fail "the signature of $file does not verify"
  done
fi

old_ifs="$IFS"
IFS=';'
echo "windows-package: exit statuses: ${statuses[*]}" | sed 's/;/; /g' >&2
IFS="$old_ifs"
if [ "$failures" -gt 0 ]; then
  echo "windows-package: $failures check(s) failed" >&2
  exit 1
fi
echo "windows-package: $(stat -c %s "$installer") bytes (installer), $(stat -c %s "$msi") bytes (MSI package)" >&2
echo "$installer"
echo "$msi"
