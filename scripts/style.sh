#!/usr/bin/env bash
# Style checks of the sources:
#   scripts/style.sh format   clang-format --dry-run --Werror over every C++ file in the tree
#   scripts/style.sh tidy     clang-tidy with the checks of .clang-tidy on src/, in parallel,
#                             using build/release/compile_commands.json (configure it first)
#   scripts/style.sh          both
# Exit status 1 when a check finds something.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
WHAT="${1:-all}"
JOBS="${JOBS:-$(nproc)}"
BUILD="${BUILD:-build/release}"

sources() {
  find src tests bench fuzz tools -name '*.cpp' -o -name '*.hpp' | sort
}

check_format() {
  echo "=== style: clang-format"
  sources | xargs clang-format --dry-run --Werror
}

check_tidy() {
  echo "=== style: clang-tidy"
  if [ ! -f "$BUILD/compile_commands.json" ]; then
    echo "no $BUILD/compile_commands.json: configure the release preset first" >&2
    exit 2
  fi
  # Generated files (moc) live under the build tree and are not ours to check.
  local log
  log="$(mktemp)"
  if ! run-clang-tidy -p "$BUILD" -j "$JOBS" -quiet -header-filter "^$ROOT/src/" \
      "^$ROOT/src/.*\.cpp$" >"$log" 2>&1; then
    grep -E "(warning|error): " "$log" | grep -v "warnings generated" | sort -u || tail -n 40 "$log"
    rm -f "$log"
    echo "clang-tidy found problems (see .clang-tidy for the checks)" >&2
    exit 1
  fi
  rm -f "$log"
}

case "$WHAT" in
  format) check_format ;;
  tidy) check_tidy ;;
  all)
    check_format
    check_tidy
    ;;
  *)
    echo "usage: scripts/style.sh [format|tidy]" >&2
    exit 2
    ;;
esac
