#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (the core with the address
# and undefined-behaviour sanitizers) and runs each for a short fixed time
# (FUZZ_SECONDS, 15 by default) from its seed corpus in fuzz/corpus/<target>.
# The inputs found on the way go to build/fuzz/found/<target>, not into the
# repository. A crash stops the script; its input is in build/fuzz/crashes:
# mend the fault, then keep the input in fuzz/corpus/<target> so that every
# later run replays it first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

seconds="${FUZZ_SECONDS:-15}"
targets=(isam file_table descriptor field_editor)

CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVTMERV_FUZZ=ON -DVTMERV_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz -j "$jobs" --target "${targets[@]/%/_fuzz}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p build/fuzz/crashes
for t in "${targets[@]}"; do
  mkdir -p "build/fuzz/found/$t"
  echo "== $t: ${seconds} s"
  status=0
  "build/fuzz/fuzz/${t}_fuzz" "build/fuzz/found/$t" "fuzz/corpus/$t" \
    -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=1024 \
    -artifact_prefix="build/fuzz/crashes/${t}-" >"build/fuzz/$t.log" 2>&1 || status=$?
  grep -E "^Done [0-9]+ runs" "build/fuzz/$t.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "build/fuzz/$t.log" >&2
    echo "$t: a crash; its input is in build/fuzz/crashes" >&2
    exit 1
  fi
done
