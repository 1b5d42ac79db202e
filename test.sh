#!/usr/bin/env bash
# Installs what is missing, builds, runs every test (release, then under the sanitizers), checks
# the format and clang-tidy, and fuzzes for a bounded time.
#   ./test.sh [--monkey-seconds N]   the GUI monkey on the sanitizer build runs N s (default 30)
set -euo pipefail
cd "$(dirname "$0")"

while [ $# -gt 0 ]; do
  case "$1" in
    --monkey-seconds) export MERROVAN_MONKEY_SECONDS="${2:?--monkey-seconds needs a number}"; shift 2 ;;
    *) echo "usage: ./test.sh [--monkey-seconds N]" >&2; exit 2 ;;
  esac
done

bash scripts/deps.sh

# The format first: it takes seconds.
bash scripts/style.sh format

JOBS="$(nproc)"
for preset in release asan; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$JOBS" --timeout 600
  if [ "$preset" = release ]; then
    # The release tree has the compile commands clang-tidy reads.
    bash scripts/style.sh tidy
  fi
done

# The model's threaded tests under ThreadSanitizer; the other folders would only repeat the
# single-threaded code at several times the cost.
echo "=== tsan: model tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$JOBS" --target test_model
TSAN_OPTIONS=halt_on_error=1 ./build/tsan/bin/test_model

if [ -x scripts/fuzz.sh ]; then
  echo "=== fuzz: bounded runs"
  bash scripts/fuzz.sh
fi
echo "=== all tests passed"
