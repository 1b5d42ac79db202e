#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the simulator.
set -euo pipefail
cd "$(dirname "$0")"

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
    args=(report --out merrovan-report)
    if [ $# -gt 0 ]; then args+=(--file "$1"); fi
    "$BIN/merrovan-cli" "${args[@]}"
    exit 0
  fi
fi
args=(solve)
if [ $# -gt 0 ]; then args+=(--file "$1"); fi
exec "$BIN/merrovan-cli" "${args[@]}"
