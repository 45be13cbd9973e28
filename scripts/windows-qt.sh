#!/usr/bin/env bash
# Builds, once, the Qt that vtmerv.exe is linked with: a static, release
# qtbase 6 for 64-bit Windows, cross-compiled with Debian's mingw-w64 from
# Debian's own qt6-base source (the same version as the host Qt, whose tools
# the cross build uses). It keeps only what a Widgets program and its Qt tests
# need. About an hour of two cores; it runs at the lowest priority.
#
# The result goes to $VTMERV_WINDOWS_QT (default: ~/.cache/vtmerv/qt-windows,
# outside the checkout); its qt/ folder is the Qt that scripts/windows.sh and
# scripts/windows-package.sh use. Its licenses/ folder keeps, from Qt's source,
# the licence texts and the attribution files of the bundled parts that
# vtmerv.exe's installer ships. When that folder already holds a Qt built
# from the same version with the same options, the script does nothing (but
# fetch Qt's source again for the licences, if a Qt built before kept none).
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

cache=$(dirname "$windows_qt")
work="$cache/work"
source_dir="$work/qt6-base-${version%-*}"
# The source of the host's own Qt: apt-get source needs a deb-src entry.
fetch_source() {
  if ! apt-get source --print-uris qt6-base="$version" >/dev/null 2>&1; then
    echo "Adding deb-src entries to /etc/apt/sources.list.d/debian.sources"
    sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    apt-get update -qq
  fi
  mkdir -p "$work"
  [ -x "$source_dir/configure" ] || (cd "$work" && apt-get source -qq qt6-base="$version")
}
keep_licenses() {
  bash scripts/setup.sh python3
  python3 "$repo/packaging/windows/notices.py" collect "$source_dir" "$windows_qt/licenses" "${qt_bundled_parts[@]}"
}

if [ -f "$windows_qt/vtmerv-qt.txt" ] && [ "$(cat "$windows_qt/vtmerv-qt.txt")" = "$stamp" ]; then
  if [ ! -d "$windows_qt/licenses" ]; then
    fetch_source
    keep_licenses
    rm -rf "$work"
  fi
  echo "Qt for Windows is already built in $windows_qt ($version)"
  exit 0
fi

start=$(date +%s)
rm -rf "$work/build" "$windows_qt"
fetch_source
mkdir -p "$work/build"

cd "$work/build"
nice -n 19 "$source_dir/configure" -prefix "$windows_qt" "${options[@]}" -- \
  -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
nice -n 19 cmake --build . --parallel "$jobs"
nice -n 19 cmake --install .
cd "$repo"
keep_licenses

echo "$stamp" >"$windows_qt/vtmerv-qt.txt"
cd /
rm -rf "$work"
end=$(date +%s)
echo "Qt for Windows built in $windows_qt in $(((end - start) / 60)) min $(((end - start) % 60)) s"
