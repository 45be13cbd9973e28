#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it the way a
# Debian user meets it:
#   - lintian finds no error in the package;
#   - desktop-file-validate accepts its menu entry;
#   - man renders each of its manual pages without a warning;
#   - dpkg installs it (dependencies checked against this machine's packages)
#     into a scratch root, where the installed programs run: vtmerv --version
#     and --help, vtmerv-check --version, vtmerv-sample into a temporary
#     folder and vtmerv-check verifica on it; then dpkg removes it.
#
#   bash scripts/package-test.sh [BUILD_FOLDER]   (see scripts/package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

deb="$(bash scripts/package.sh "$@" | tail -n 1)"
echo "package-test: $deb"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
  echo "package-test: FAILED: $*" >&2
  failures=$((failures + 1))
}

# --- The package as a file ---------------------------------------------------

# Errors fail the check; warnings and notes are shown.
lintian --fail-on error --display-info "$deb" || fail "lintian found errors"

contents="$scratch/contents"
dpkg-deb -x "$deb" "$contents"
for file in usr/bin/vtmerv usr/bin/vtmerv-check usr/bin/vtmerv-sample \
            usr/share/applications/vtmerv.desktop \
            usr/share/icons/hicolor/scalable/apps/vtmerv.svg usr/share/icons/hicolor/48x48/apps/vtmerv.png \
            usr/share/man/man1/vtmerv.1.gz usr/share/man/man1/vtmerv-check.1.gz \
            usr/share/man/man1/vtmerv-sample.1.gz \
            usr/share/doc/vtmerv/README.md usr/share/doc/vtmerv/copyright; do
  [ -f "$contents/$file" ] || fail "the package has no /$file"
done

desktop-file-validate "$contents/usr/share/applications/vtmerv.desktop" || fail "desktop-file-validate"

for page in "$contents"/usr/share/man/man1/*.1.gz; do
  # The command lintian uses; man reports warnings on standard error only.
  warnings="$(man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)" || fail "man cannot render $page"
  [ -z "$warnings" ] || fail "man warns on $(basename "$page"): $warnings"
done

# --- The package installed ---------------------------------------------------

# A scratch root whose package database is a copy of this machine's: dpkg
# checks the dependencies against what is really installed, and installs the
# files under the scratch root only.
root="$scratch/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
# Empty file lists of the installed packages, which dpkg reads.
dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | while read -r status package; do
  if [ "${status:1:1}" = i ]; then : >"$root/var/lib/dpkg/info/$package.list"; fi
done
touch "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-not-root --log=/dev/null --no-triggers -i "$deb" \
  || fail "dpkg -i: the package does not install"

bin="$root/usr/bin"
# Runs an installed program; fails the check unless it ends with status $1.
expect() {
  local status="$1" code=0
  shift
  "$@" || code=$?
  [ "$code" -eq "$status" ] || fail "$* ended with status $code, not $status"
}
expect 0 "$bin/vtmerv" --version
expect 0 "$bin/vtmerv" --help
expect 2 "$bin/vtmerv" qualcosa
expect 0 "$bin/vtmerv-check" --version

sample="$scratch/sample"
expect 0 "$bin/vtmerv-sample" "$sample"
expect 0 env TESSARO_DRIVES="$sample" XDG_CONFIG_HOME="$sample/config" "$bin/vtmerv-check" verifica

dpkg --root="$root" --force-not-root --log=/dev/null --no-triggers -r vtmerv || fail "dpkg -r"
[ ! -e "$bin/vtmerv" ] || fail "dpkg -r left /usr/bin/vtmerv"

if [ "$failures" -gt 0 ]; then
  echo "package-test: $failures check(s) failed" >&2
  exit 1
fi
echo "package-test: every check passed"
