#!/usr/bin/env bash
# Prints the size of the tests against the size of the code they test, and
# fails when the tests are more than a third of the code. Size: the non-blank
# lines that are not comment-only, of the C++ files (.cpp .cc .h .hpp) under
# tests/ and under src/.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  find "$1" -type f \( -name '*.cpp' -o -name '*.cc' -o -name '*.h' -o -name '*.hpp' \) -print0 |
    xargs -0 cat | grep -cvE '^\s*(//.*)?$' || true
}

tests=$(count tests)
src=$(count src)
echo "tests: $tests lines, src: $src lines, tests/src: $(awk -v t="$tests" -v s="$src" 'BEGIN { printf "%.2f", t / s }')"
if (( 3 * tests > src )); then
  echo "the tests are more than a third of src (at most $((src / 3)) lines)" >&2
  exit 1
fi
