#!/usr/bin/env bash
# Installs what is missing, builds, runs every test (release, then under the sanitizers), checks
# the format and clang-tidy, and fuzzes for a bounded time.
#   ./test.sh [--monkey-seconds N]   the GUI monkey on the sanitizer build runs N s (default 30)
#   MERROVAN_CLI_FUZZ_RUNS=N ./test.sh   command lines the CLI fuzzer tries (default 400)
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

# ThreadSanitizer over the code that runs on several threads: the model (its solver on two
# threads) and the analyses (event rows, notch rows, sensitivity with its progress callbacks,
# tolerance samples, all through one parallel loop). The tsan preset runs that loop on its
# std::jthread back end, which the checker can follow (Debian's TBB is not instrumented). The
# windows' worker threads run the same analyses; the GUI folders are left out (no Qt build with
# ThreadSanitizer).
echo "=== tsan: model and analysis tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$JOBS" --target test_model test_analysis
TSAN_OPTIONS=halt_on_error=1 ./build/tsan/bin/test_model
TSAN_OPTIONS=halt_on_error=1 ./build/tsan/bin/test_analysis

# Every command of merrovan-cli with random and hostile arguments, on the sanitizer build; a
# longer run: docs/fuzzing.md.
echo "=== fuzz: merrovan-cli"
python3 fuzz/fuzz_cli.py --cli build/asan/bin/merrovan-cli --jobs "$JOBS" \
  --runs "${MERROVAN_CLI_FUZZ_RUNS:-400}" --seconds 240

if [ -x scripts/fuzz.sh ]; then
  echo "=== fuzz: bounded runs"
  bash scripts/fuzz.sh
fi
echo "=== all tests passed"
