# shellcheck shell=bash
# Sourced by the scripts that run the real program: a scratch folder in $work, an X server of
# its own on a free display (DISPLAY exported), a start of the program that waits for its window,
# and a cleanup on exit that stops the program (its pid in $apid) and the server. start_xvfb
# returns 1 when the server does not come up; its log is then in $work/xvfb.log.
work=$(mktemp -d)
xpid="" apid=""
cleanup() {
  [ -n "$apid" ] && kill "$apid" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {
  # A display number picked at random from a wide range, not the first free one: the server's
  # abstract socket lives in the network namespace, which machines running several jobs share, so
  # a low number may already answer for another job's server even though no lock file is seen
  # here. A number is taken only when nobody answers on it before the start and our server
  # answers after it.
  local n tries
  for tries in 1 2 3 4 5 6 7 8; do
    n=$((1000 + (RANDOM * 32768 + RANDOM) % 29000))
    [ -e "/tmp/.X$n-lock" ] && continue
    xdpyinfo -display ":$n" >/dev/null 2>&1 && continue
    # -noreset: the probe below is the server's first client; when it leaves, a server that
    # resets would refuse the program's connection while it starts over.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset 2>"$work/xvfb.log" &
    xpid=$!
    for _ in $(seq 100); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        # The program must draw on this server, whatever platform the caller's shell chose.
        export DISPLAY=":$n"
        unset QT_QPA_PLATFORM
        return 0
      fi
      kill -0 "$xpid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xpid" 2>/dev/null
    wait "$xpid" 2>/dev/null
    xpid=""
    echo "attempt $tries on :$n failed" >>"$work/xvfb.attempts"
  done
  return 1
}

# start_program TENTHS PATTERN COMMAND...: starts the program with its output added to
# $work/app.log and waits up to TENTHS tenths of a second for a visible window whose name
# matches the xdotool PATTERN; sets $apid and $win. A program that could not reach the X server
# is started again, at most twice: on a loaded machine a fresh server has been seen to turn away
# its first connections. Returns 0 with a window, 1 when the program runs without one, 2 when it
# exited.
start_program() {
  local tenths=$1 pattern=$2 attempt before
  shift 2
  for attempt in 1 2 3; do
    before=0
    [ -f "$work/app.log" ] && before=$(wc -l <"$work/app.log")
    "$@" >>"$work/app.log" 2>&1 &
    apid=$!
    win=""
    for _ in $(seq "$tenths"); do
      win=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1)
      [ -n "$win" ] && return 0
      kill -0 "$apid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$apid" 2>/dev/null && return 1
    if [ "$attempt" -lt 3 ] &&
      tail -n +"$((before + 1))" "$work/app.log" | grep -q "could not connect to display"; then
      echo "note: start $attempt could not connect to $DISPLAY; starting again"
      sleep 1
      continue
    fi
    return 2
  done
}
