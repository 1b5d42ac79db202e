# Sourced by the scripts that run the real program: a scratch folder in $work, an X server of
# its own on a free display (DISPLAY exported), and a cleanup on exit that stops the program
# (its pid in $apid) and the server. start_xvfb returns 1 when the server does not come up; its
# log is then in $work/xvfb.log.
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
  # -displayfd lets the server pick a free display number.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xpid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(tr -d '\n' <"$work/display")"
}
