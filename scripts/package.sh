#!/usr/bin/env bash
# Builds the Debian package of VTMERV with CPack and prints its path on the
# last line.
#
#   bash scripts/package.sh [BUILD_FOLDER]
#
# Without a folder, a Release build in build/package (its package is
# build/package/vtmerv_<version>_<architecture>.deb). Given a folder that is
# already configured (scripts/package-test.sh passes the test build), packages
# the programs built there. VTMERV_MAINTAINER="Name <address>" in the
# environment names the package's maintainer.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

bash scripts/setup.sh >&2

build="${1:-build/package}"
settings=()
if [ ! -f "$build/CMakeCache.txt" ]; then
  # The install step then needs only what is built below, not the tests.
  settings+=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DVTMERV_BENCHMARKS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON)
fi
# The package's maintainer, "Name <address>", when given.
if [ -n "${VTMERV_MAINTAINER:-}" ]; then
  settings+=("-DVTMERV_MAINTAINER=$VTMERV_MAINTAINER")
fi
if [ "${#settings[@]}" -gt 0 ]; then
  cmake -S . -B "$build" "${settings[@]}" >&2
fi
cmake --build "$build" -j "$jobs" --target vtmerv vtmerv-check vtmerv-sample vtmerv_docs >&2

rm -f "$build"/vtmerv_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$(cd "$build" && pwd)"/vtmerv_*.deb
