#!/usr/bin/env bash
# Builds, once, the Qt that vtmerv.exe is linked with: a static, release
# qtbase 6 for 64-bit Windows, cross-compiled with Debian's mingw-w64 from
# Debian's own qt6-base source (the same version as the host Qt, whose tools
# the cross build uses). It keeps only what a Widgets program and its Qt tests
# need. About an hour of two cores; it runs at the lowest priority.
#
# The result goes to $VTMERV_WINDOWS_QT (default: ~/.cache/vtmerv/qt-windows,
# outside the checkout); its qt/ folder is the Qt that scripts/windows.sh and
# scripts/windows-package.sh use. When that folder already holds a Qt built
# from the same version with the same options, the script does nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
repo=$PWD

bash scripts/setup.sh

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
options=(
  -release -static -static-runtime
  -xplatform win32-g++
  -qt-host-path /usr
  -nomake examples -nomake tests
  -no-opengl -no-feature-vulkan -no-dbus -no-icu
  -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-xml
  -no-feature-concurrent
  # Debian's trimmed source has no Windows tablet headers.
  -no-feature-tabletevent
  # In 6.4 the DirectWrite font database is compiled only with Direct2D, yet
  # the Windows platform plugin uses it whenever directwrite3 is on: both off
  # (GDI fonts).
  -no-feature-direct2d -no-feature-directwrite3
  -qt-zlib -qt-pcre -qt-harfbuzz -qt-freetype -qt-libpng -no-libjpeg -no-feature-zstd
)
stamp="qt6-base $version: ${options[*]}"

if [ -f "$windows_qt/vtmerv-qt.txt" ] && [ "$(cat "$windows_qt/vtmerv-qt.txt")" = "$stamp" ]; then
  echo "Qt for Windows is already built in $windows_qt ($version)"
  exit 0
fi

start=$(date +%s)
cache=$(dirname "$windows_qt")
work="$cache/work"
rm -rf "$work/build" "$windows_qt"
mkdir -p "$work/build"

# The source of the host's own Qt: apt-get source needs a deb-src entry.
if ! apt-get source --print-uris qt6-base="$version" >/dev/null 2>&1; then
  echo "Adding deb-src entries to /etc/apt/sources.list.d/debian.sources"
  sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  apt-get update -qq
fi
source_dir="$work/qt6-base-${version%-*}"
[ -x "$source_dir/configure" ] || (cd "$work" && apt-get source -qq qt6-base="$version")

cd "$work/build"
nice -n 19 "$source_dir/configure" -prefix "$windows_qt" "${options[@]}" -- \
  -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
nice -n 19 cmake --build . --parallel "$jobs"
nice -n 19 cmake --install .

echo "$stamp" >"$windows_qt/vtmerv-qt.txt"
cd /
rm -rf "$work"
end=$(date +%s)
echo "Qt for Windows built in $windows_qt in $(((end - start) / 60)) min $(((end - start) % 60)) s"
