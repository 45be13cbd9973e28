#!/usr/bin/env bash
# The Windows programs of the toolkit-free core under Wine, as an office runs
# them: vtmerv-check.exe and vtmerv-sample.exe of a Windows build, with the
# tests' vt_other_program.exe as another program of the suite, in a Wine
# prefix of their own. Needs no Qt: scripts/windows.sh runs it on its full
# build, scripts/test.sh on the core's cross build when there is no Qt.
#   1. the archives folder "ARCHIVÌ ÈÀ" (Windows-1252 bytes in the suite's
#      strings) found through the registry and checked and repaired under
#      code page 1251: Wine takes its code pages from the Unix locale (here a
#      Russian one, ANSI 1251 and OEM 866, made with localedef in the work
#      folder and found through LOCPATH) and ignores the registry's
#      Nls\CodePage values; the report through a pipe is Windows-1252, with
#      Windows' line ends;
#   2. on a console (a pseudo-terminal under script(1)) a path named with
#      "ÈÀ" and "€’" reads right: written in Unicode, whatever the code
#      pages. Raw Windows-1252 bytes would come out in another code page: in
#      the console's on Windows (850 on an Italian console: the fault seen
#      there), as Latin-1 from Wine's C library ("€’" then are control
#      characters); in a file the text is Windows-1252;
#   3. ripara while another Windows process holds the index open sharing
#      reading and writing but not deletion: the index is written in place,
#      is sound afterwards, and the other process's handle reads the new one;
#   4. the archives folder as a UNC path (\\server\share\..., which Wine
#      takes from the prefix's dosdevices/unc/ folder);
#   5. archives deeper than MAX_PATH characters;
#   6. each program (vtmerv.exe too where the build has it) carries the
#      manifest that declares long paths.
#
#   bash scripts/windows-check.sh BUILD     (a Windows build: build/windows
#                                            or build/windows-qt)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

build="${1:?usage: scripts/windows-check.sh BUILD}"
check_exe="$build/src/check/vtmerv-check.exe"
sample_exe="$build/src/sample/vtmerv-sample.exe"
other_exe="$build/tests/vt_other_program.exe"

begin_run windows-check

# The folder's name as Linux (UTF-8) and the suite (Windows-1252) write it.
folder_utf8=$'ARCHIV\xc3\x8c \xc3\x88\xc3\x80'
folder_1252=$'ARCHIV\xcc \xc8\xc0'
e_grave=$'\xe8'
# Texts in Windows-1252 are matched byte for byte.
grep() { LC_ALL=C command grep "$@"; }
archives_utf8="P:\\PWELKIN\\$folder_utf8"

# Every Wine command reads its arguments as UTF-8; the Russian locale (in
# UTF-8, so that Wine still names Linux files in UTF-8) is the work folder's
# own.
bash scripts/setup.sh locales
export LC_ALL=C.UTF-8 LOCPATH="$work/locale" WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset TESSARO_DRIVES XDG_CONFIG_HOME
mkdir -p "$LOCPATH"
localedef -i ru_RU -f UTF-8 "$LOCPATH/ru_RU.UTF-8"
russian=(env LC_ALL=ru_RU.UTF-8)
wineboot --init >/dev/null 2>&1

# --- 6. The manifest ----------------------------------------------------------

# vtmerv.exe too, in a build with Qt.
for exe in "$check_exe" "$sample_exe" "$build/src/app/vtmerv.exe"; do
  [ -f "$exe" ] || [ "$exe" != "$build/src/app/vtmerv.exe" ] || continue
  grep -q '>true</longPathAware>' "$exe" || fail "$exe carries no manifest declaring long paths"
done
echo "windows-check: the programs declare long paths in their manifest"

# --- The installation: the suite's drive P:, its registry key -----------------

sample="$work/sample"
index="$sample/C/PWELKIN/$folder_utf8/DIPEND.IDX"
# fresh_sample: a new sample installation whose archives folder is "ARCHIVÌ
# ÈÀ" and whose employee record 2, a free slot, now carries a code the index
# lacks: damage that ripara mends.
fresh_sample() {
  rm -rf "$sample"
  wine "$sample_exe" "Z:$sample" >/dev/null 2>&1
  mv "$sample/C/PWELKIN/ARCHIVI" "$sample/C/PWELKIN/$folder_utf8"
  printf '000099990001' | dd of="$sample/C/PWELKIN/$folder_utf8/DIPEND.DAT" bs=1 seek=9600 conv=notrunc 2>/dev/null
}
fresh_sample
ln -s "$sample/C" "$WINEPREFIX/dosdevices/p:"
ln -s "$sample/C/TARNIX" "$WINEPREFIX/drive_c/TARNIX"
set_registry() {
  wine reg add 'HKCU\SOFTWARE\VELTRANI\TESSARO' /v "$1" /d "$2" /f >/dev/null 2>&1
}
set_registry PERCORSOARCHIVI "$archives_utf8"
set_registry PERCORSOPROGRAMMI 'P:\PWELKIN\PROGRAMMI'
wineserver -w

# run_check STATUS OUTPUT ARGUMENT...: vtmerv-check.exe with the arguments
# (in the locale of $locale_env, unless empty), its standard output and error
# into OUTPUT; it must end with STATUS.
locale_env=()
run_check() {
  local expected="$1" output="$2" status=0
  shift 2
  "${locale_env[@]}" wine "$check_exe" "$@" >"$output" 2>&1 || status=$?
  [ "$status" = "$expected" ] || fail "vtmerv-check $* ended with $status, not $expected: $(cat "$output")"
}

# --- 1. Code page 1251: the folder found, the report in Windows-1252 -------------

# Russian (0419): code pages 1251 and 866.
"${russian[@]}" wine reg query 'HKCU\Control Panel\International' /v Locale 2>/dev/null | grep -q 00000419 ||
  fail "Wine did not take the Russian locale"
locale_env=("${russian[@]}")
run_check 1 "$work/verifica" verifica
run_check 0 "$work/ripara" ripara
run_check 0 "$work/verifica-after" verifica
"${russian[@]}" wine "$check_exe" ripara 2>&1 | cat >"$work/pipe"
locale_env=()
grep -q "(codice 0099990001) non $e_grave nell'indice" "$work/verifica" || fail "verifica did not name the damage: $(cat "$work/verifica")"
grep -q "Copia di sicurezza: P:\\\\PWELKIN\\\\$folder_1252\\\\DIPEND.IDX" "$work/ripara" ||
  fail "the backup's path is not in Windows-1252: $(od -c "$work/ripara" | head -20)"
grep -q $'Il nuovo indice ha preso il posto del vecchio.\r$' "$work/ripara" || fail "ripara did not say it renamed the new index"
grep -q $'Nessun danno trovato: nulla da riparare.\r$' "$work/pipe" || fail "the report through a pipe: $(cat "$work/pipe")"
echo "windows-check: under code page 1251 the folder \"$folder_utf8\" is found, checked and repaired; the report is Windows-1252"

# --- 2. A console ------------------------------------------------------------------

# The path named in an error, through the wide command line: on a console in
# Unicode (the pseudo-terminal shows UTF-8), elsewhere in Windows-1252.
missing="Z:\\$folder_utf8 "$'\xe2\x82\xac\xe2\x80\x99'
missing_1252="Z:\\$folder_1252 "$'\x80\x92'
# The terminal's cursor moves forward are blanks; its other controls go.
on_console="$(script -qec "${russian[*]} wine '$check_exe' --archivi '$missing'" /dev/null </dev/null 2>/dev/null |
  perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[a-zA-Z]//g; s/\r//g')" || true
[[ "$on_console" == *"cartella degli archivi non trovata: $missing"* ]] ||
  fail "the console shows: $(printf '%s' "$on_console" | od -c | head)"
locale_env=("${russian[@]}")
run_check 2 "$work/missing" --archivi "$missing"
locale_env=()
grep -qF "non trovata: $missing_1252"$'\r' "$work/missing" || fail "in a file: $(od -c "$work/missing" | head)"
echo "windows-check: on a console the text reads right (Unicode); in a file it is Windows-1252"

# --- 3. ripara beside another program that holds the index --------------------------

fresh_sample
wine "$other_exe" share "$archives_utf8\\DIPEND.IDX" 10 >"$work/holder" 2>/dev/null &
helper_pid=$!
await_held "$work/holder" "the index"
run_check 0 "$work/beside" ripara
grep -q "aperto da un altro programma: il nuovo indice $e_grave stato scritto nel file stesso, riletto e verificato" \
  "$work/beside" || fail "ripara beside the holder: $(cat "$work/beside")"
wait "$helper_pid" || fail "the other program failed"
helper_pid=""
[ "$(sed -n 2p "$work/holder" | tr -d '\r')" = "$(od -An -v -tx1 "$index" | tr -d ' \n')" ] ||
  fail "the other program's handle does not read the new index"
backup="$(ls "$index".*.bak)"
! cmp -s "$backup" "$index" || fail "the index was not rewritten"
run_check 0 "$work/beside-after" verifica
echo "windows-check: ripara beside a program holding the index writes it in place; its handle reads the new index"

# --- 4. A UNC path ------------------------------------------------------------------

fresh_sample
mkdir -p "$WINEPREFIX/dosdevices/unc/server"
ln -s "$sample/C" "$WINEPREFIX/dosdevices/unc/server/share"
set_registry PERCORSOARCHIVI "\\\\server\\share\\PWELKIN\\$folder_utf8"
run_check 1 "$work/unc" verifica
run_check 0 "$work/unc-repair" ripara
grep -q "Copia di sicurezza: \\\\\\\\server\\\\share\\\\PWELKIN\\\\$folder_1252" "$work/unc-repair" ||
  fail "ripara on the UNC path: $(cat "$work/unc-repair")"
run_check 0 "$work/unc-after" verifica --archivi "\\\\server\\share\\PWELKIN\\$folder_utf8"
set_registry PERCORSOARCHIVI "$archives_utf8"
echo "windows-check: the archives folder as a UNC path"

# --- 5. Deeper than MAX_PATH ----------------------------------------------------------

deep="$work/deep/$(printf 'cartella-molto-lunga-%02d/' $(seq 12))"
mkdir -p "$deep"
cp -r "$sample/C/PWELKIN/$folder_utf8" "$deep/ARCHIVI"
deep_windows="Z:${deep//\//\\}ARCHIVI"
((${#deep_windows} > 300)) || fail "the deep folder is not deep enough"
run_check 0 "$work/deep-check" verifica --archivi "$deep_windows"
echo "windows-check: archives ${#deep_windows} characters deep"

echo "windows-check: every check passed"
