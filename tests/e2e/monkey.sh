#!/usr/bin/env bash
# A monkey on the real program: random clicks, drags, wheel turns and keys under its own X server
# for a bounded time. Passes when the program never crashed, no sanitizer reported anything and,
# at the end, the window still answers (its caption clock moves on).
#
#   monkey.sh path/to/merrovan [--seconds N] [--seed N]
#
# The time comes from --seconds, else MERROVAN_MONKEY_SECONDS, else 30. Quitting through the
# menu or the close prompt is something users do too: the program is started again and the
# run goes on. Exit 77 (skipped) only when the tools or an X server are missing.
set -u
BIN=""
SECONDS_TO_RUN=${MERROVAN_MONKEY_SECONDS:-30}
SEED=${MERROVAN_MONKEY_SEED:-$$}
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SECONDS_TO_RUN=${2:?--seconds needs a number}; shift 2 ;;
    --seed) SEED=${2:?--seed needs a number}; shift 2 ;;
    -*) echo "monkey.sh: unknown option $1" >&2; exit 2 ;;
    *) BIN=$1; shift ;;
  esac
done
[ -n "$BIN" ] || { echo "usage: monkey.sh path/to/merrovan [--seconds N] [--seed N]" >&2; exit 2; }
BIN=$(cd "$(dirname "$BIN")" && pwd)/$(basename "$BIN")
case "$SECONDS_TO_RUN" in ''|*[!0-9]*) echo "monkey.sh: --seconds wants a whole number" >&2; exit 2 ;; esac
case "$SEED" in ''|*[!0-9]*) echo "monkey.sh: --seed wants a whole number" >&2; exit 2 ;; esac
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/xvfb.sh"
start_xvfb || { echo "SKIPPED: Xvfb could not start"; cat "$work/xvfb.log"; exit 77; }

# Whatever the monkey saves stays in the scratch folder: it is home and the working folder.
mkdir -p "$work/home" "$work/run"
cd "$work/run" || exit 1
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
# Stop at the first report; Qt's caches alive at exit are not leaks of ours.
export ASAN_OPTIONS="detect_leaks=0:halt_on_error=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

reported() {
  grep -E -q "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: (Address|Undefined)" \
    "$work/app.log" 2>/dev/null
}
fail() {
  echo "FAIL: $*"
  echo "--- program output (last 60 lines)"; tail -60 "$work/app.log" 2>/dev/null
  exit 1
}

start_app() {
  start_program 300 '[Mm][Ee][Rr][Rr][Oo][Vv][Aa][Nn] Outside' "$BIN" --fps 60
  case $? in
    0) ;;
    1) fail "no main window appeared" ;;
    *) fail "merrovan exited while starting" ;;
  esac
}

# The program ended: fine when the user quit it cleanly, a failure otherwise.
check_ended() {
  kill -0 "$apid" 2>/dev/null && return 0
  wait "$apid"; local status=$?
  apid=""
  reported && fail "sanitizer report"
  [ "$status" -eq 0 ] || fail "merrovan ended with status $status"
  restarts=$((restarts + 1))
  start_app
}

RANDOM=$SEED
echo "monkey: $SECONDS_TO_RUN s, seed $SEED, display $DISPLAY"
start_app
restarts=0 actions=0
keys=(0 1 2 3 4 5 6 7 8 9 period minus e Return Return Escape Escape Escape Tab space
      BackSpace Left Right Up Down Page_Up Page_Down F5 ctrl+0 ctrl+z ctrl+o ctrl+s alt+f alt+e
      alt+s alt+h)
# A point near (x, y), kept on the screen.
near() {
  local a=$(($1 + RANDOM % (2 * $3) - $3)) b=$(($2 + RANDOM % (2 * $3) - $3))
  echo $((a < 0 ? 0 : a > 1279 ? 1279 : a)) $((b < 0 ? 0 : b > 1023 ? 1023 : b))
}
end=$((SECONDS + SECONDS_TO_RUN))
WX=0 WY=0 WW=1280 WH=1024
while [ $SECONDS -lt $end ]; do
  # Mostly on the main window, where the controls are; now and then anywhere (dialogs).
  if [ $((actions % 20)) -eq 0 ]; then
    eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null | sed 's/^/W/')" 2>/dev/null
    WX=${WX:-0} WY=${WY:-0} WW=${WWIDTH:-1280} WH=${WHEIGHT:-1024}
  fi
  if [ $((RANDOM % 10)) -lt 7 ]; then
    read -r x y < <(near $((WX + WW / 2)) $((WY + WH / 2)) $(((WW + 1) / 2)))
    y=$((WY + RANDOM % (WH > 0 ? WH : 1)))
  else
    x=$((RANDOM % 1280)) y=$((RANDOM % 1024))
  fi
  case $((RANDOM % 10)) in
    0|1|2) xdotool mousemove "$x" "$y" click $((RANDOM % 3 == 0 ? 3 : 1)) ;;
    3) xdotool mousemove "$x" "$y" mousedown 1 mousemove $(near "$x" "$y" 100) mouseup 1 ;;
    4) xdotool mousemove "$x" "$y" mousedown 2 mousemove $(near "$x" "$y" 150) mouseup 2 ;;
    5) xdotool mousemove "$x" "$y" click --repeat $((1 + RANDOM % 5)) $((RANDOM % 2 + 4)) ;;
    *) xdotool key --clearmodifiers "${keys[RANDOM % ${#keys[@]}]}" ;;
  esac 2>/dev/null
  actions=$((actions + 1))
  reported && fail "sanitizer report after $actions actions"
  check_ended
  sleep 0.0$((RANDOM % 5))
done

# Close whatever is open, then the caption's clock must still move: the event loop answers.
for _ in 1 2 3 4 5 6; do xdotool key Escape 2>/dev/null; sleep 0.2; done
check_ended
t1=$(xdotool getwindowname "$win" 2>/dev/null)
answered=no
for _ in 1 2 3 4 5 6; do
  sleep 1
  t2=$(xdotool getwindowname "$win" 2>/dev/null)
  if [ -n "$t2" ] && [ "$t2" != "$t1" ]; then answered=yes; break; fi
  xdotool key Escape 2>/dev/null
done
reported && fail "sanitizer report"
kill -0 "$apid" 2>/dev/null || fail "merrovan is gone at the end"
[ "$answered" = yes ] || fail "the window stopped answering (caption stuck at '$t1')"
echo "PASS: $actions actions, $restarts restarts after a quit, window answers"
