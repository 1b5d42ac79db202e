#!/usr/bin/env bash
# Reports how much CPU the desktop program takes while the gear runs and while it is stopped,
# under its own X server. A measurement for people, not a test: nothing is asserted.
#
#   scripts/cpu_share.sh [path/to/merrovan] [--seconds N]
#
# N seconds are measured in each state (default 10), after two seconds to settle. Shares are of
# one core; the X server's own share is shown beside the program's, since every frame the
# program draws is work for the server too.
set -u
BIN=""
SPAN=10
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SPAN=${2:?--seconds needs a number}; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    -*) echo "cpu_share.sh: unknown option $1" >&2; exit 2 ;;
    *) BIN=$1; shift ;;
  esac
done
case "$SPAN" in ''|*[!0-9]*|0) echo "cpu_share.sh: --seconds wants a whole number above 0" >&2; exit 2 ;; esac
[ -n "$BIN" ] || BIN="$(dirname "$0")/../build/release/bin/merrovan"
[ -x "$BIN" ] || { echo "cpu_share.sh: no program at $BIN (build the release preset first)" >&2; exit 2; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "cpu_share.sh: $tool is not installed" >&2; exit 2; }
done

# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/../tests/e2e/xvfb.sh"
start_xvfb || { echo "cpu_share.sh: Xvfb could not start" >&2; exit 1; }

HOME="$work" "$BIN" >"$work/app.log" 2>&1 &
apid=$!
win=""
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name 'Outside Admission' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "cpu_share.sh: no window appeared" >&2; cat "$work/app.log" >&2; exit 1; }

hz=$(getconf CLK_TCK)
# utime + stime of a process, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Share of one core over SPAN seconds, for the program and the X server.
measure() {
  local a0 x0 a1 x1 t0 t1
  a0=$(ticks "$apid"); x0=$(ticks "$xpid"); t0=$(date +%s.%N)
  sleep "$SPAN"
  a1=$(ticks "$apid"); x1=$(ticks "$xpid"); t1=$(date +%s.%N)
  awk -v a="$((a1 - a0))" -v x="$((x1 - x0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
    'BEGIN { w = t1 - t0; printf "program %5.1f %%   X server %5.1f %%\n", 100 * a / hz / w, 100 * x / hz / w }'
}

sleep 2
printf 'running: '; measure
# F5 is Run/Stop.
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win" 2>/dev/null
xdotool key --window "$win" F5
sleep 2
printf 'stopped: '; measure
