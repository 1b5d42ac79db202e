#!/usr/bin/env bash
# Starts the real merrovan under its own X server, takes two screenshots a moment apart and
# checks that the window is there with its title, that the picture is drawn and that it moves,
# and that the mechanism grows when the window is maximised.
# Exit 77 (skipped) only when no X server can be started.
set -u
BIN=${1:?usage: window_runs.sh path/to/merrovan}
for tool in Xvfb import convert compare xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed"
    exit 77
  fi
done

# shellcheck source=tests/e2e/xvfb.sh
. "$(dirname "$0")/xvfb.sh"
if ! start_xvfb; then
  echo "SKIPPED: Xvfb could not start"; cat "$work/xvfb.log"
  exit 77
fi

start_program 100 '[Mm][Ee][Rr][Rr][Oo][Vv][Aa][Nn]' "$BIN" --fps 60
case $? in
  0) ;;
  1) echo "FAIL: no window titled merrovan appeared"; cat "$work/app.log"; exit 1 ;;
  *) echo "FAIL: merrovan exited"; cat "$work/app.log"; exit 1 ;;
esac
title=$(xdotool getwindowname "$win")
echo "window $win: $title"
case "$title" in
  *[Oo]utside\ [Aa]dmission*) ;;
  *) echo "FAIL: unexpected title"; exit 1 ;;
esac

sleep 1.5
import -window root "$work/a.png"
sleep 0.7
import -window root "$work/b.png"

eval "$(xdotool getwindowgeometry --shell "$win")"
# The picture below the control blocks: the mechanism is drawn there.
crop="600x230+$((X + 10))+$((Y + 140))"
colours=$(convert "$work/a.png" -crop "$crop" +repage -format '%k' info:)
echo "colours in the picture: $colours"
if [ "$colours" -lt 3 ]; then echo "FAIL: the picture is blank"; exit 1; fi
diff=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 | cut -d' ' -f1)
echo "pixels changed between the shots: $diff"
if [ "${diff%.*}" -le 0 ] 2>/dev/null; then echo "FAIL: the picture did not move"; exit 1; fi
width_before=$(convert "$work/a.png" -crop "$crop" +repage -trim -format '%w' info:)

# Maximised (there is no window manager: the window takes the whole screen) and fitted with
# Ctrl+0, the mechanism is drawn larger.
xdotool windowmove "$win" 0 0 windowsize "$win" 100% 100% 2>/dev/null
sleep 0.5
xdotool windowfocus "$win" 2>/dev/null
xdotool key ctrl+0 2>/dev/null
sleep 0.7
import -window root "$work/c.png"
eval "$(xdotool getwindowgeometry --shell "$win")"
big="$((WIDTH - 20))x$((HEIGHT - 160))+$((X + 10))+$((Y + 150))"
width_after=$(convert "$work/c.png" -crop "$big" +repage -trim -format '%w' info:)
echo "window ${WIDTH}x${HEIGHT}; mechanism ${width_before} then ${width_after} pixels wide"
if [ "$WIDTH" -le 700 ] || [ "$width_after" -le $((width_before * 3 / 2)) ]; then
  echo "FAIL: the mechanism did not grow with the window"; exit 1
fi

if ! kill -0 "$apid" 2>/dev/null; then echo "FAIL: merrovan exited"; cat "$work/app.log"; exit 1; fi
echo "PASS"
