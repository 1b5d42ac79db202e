#!/usr/bin/env bash
# Installs what is missing, builds, runs every test (release, then under the sanitizers).
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/deps.sh

JOBS="$(nproc)"
for preset in release asan; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$JOBS" --timeout 600
done

if [ -x scripts/fuzz.sh ]; then
  echo "=== fuzz: bounded runs"
  bash scripts/fuzz.sh
fi
echo "=== all tests passed"
