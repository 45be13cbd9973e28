#!/usr/bin/env bash
# Installs, with apt-get, what the scripts need on a Debian 12 machine: with no
# argument, everything the build, the tests and the program need; with
# arguments, just the packages they name (the extra tools of one script).
# Does nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev libsqlite3-dev
  clang libclang-rt-dev
  xvfb xauth fonts-dejavu-core fonts-liberation
  dpkg-dev file lintian desktop-file-utils man-db
  g++-mingw-w64-x86-64-posix wine wine64
)
if [ "$#" -gt 0 ]; then
  packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
