#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each one for a bounded number of
# inputs, starting from the seed corpus. Usage: scripts/fuzz.sh [RUNS]   (default 100000)
# Longer runs: see docs/fuzzing.md.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS="${1:-${FUZZ_RUNS:-100000}}"
cmake --preset fuzz --no-warn-unused-cli >/dev/null
cmake --build --preset fuzz --target fuzz_dst fuzz_mvo

for target in dst mvo; do
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  echo "--- fuzz_$target: $RUNS runs"
  # New inputs go to a scratch corpus so the seeds in the tree stay small.
  log="$work/log"
  mkdir "$work/corpus"
  if ! "build/fuzz/bin/fuzz_$target" -runs="$RUNS" -max_total_time=40 -max_len=4096 \
      -artifact_prefix="build/fuzz/fuzz_$target-" -print_final_stats=1 \
      "$work/corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target failed; the input that failed is in build/fuzz/ (fuzz_$target-*)" >&2
    exit 1
  fi
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || tail -n 5 "$log"
  rm -rf "$work"
  trap - EXIT
done
