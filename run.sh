#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the simulator.
set -euo pipefail
# A file named on the command line, and the report folder, are meant relative to where the
# user started this script, not to the source tree it moves into.
START_DIR=$PWD
cd "$(dirname "$0")"
if [ $# -gt 0 ] && [[ "$1" != /* && "$1" != -* ]]; then set -- "$START_DIR/$1" "${@:2}"; fi

bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

BIN=build/release/bin
if [ -x "$BIN/merrovan" ] && "$BIN/merrovan" --has-window >/dev/null 2>&1; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$BIN/merrovan" "$@"
  fi
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set); running the headless report."
  if "$BIN/merrovan-cli" report --help >/dev/null 2>&1; then
    args=(report --out "$START_DIR/merrovan-report")
    if [ $# -gt 0 ]; then args+=(--file "$1"); fi
    # The report prints the path of index.html on stdout when it is done.
    exec "$BIN/merrovan-cli" "${args[@]}"
  fi
fi
args=(solve)
if [ $# -gt 0 ]; then args+=(--file "$1"); fi
exec "$BIN/merrovan-cli" "${args[@]}"
