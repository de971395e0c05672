#!/usr/bin/env bash
# The real desktop window under a virtual X server.
# 1. On a program that draws a dialog frame in colours: saves a screenshot of the whole
#    screen and checks that the mirrored screen's colours and the cursor bar are in it, and
#    that the frame's vertical lines join from row to row.
# 2. On bash: types a command with the X server's own keyboard and checks that bash ran it.
#   xvfb_window.sh PALLANT OUTPUT.png        (run inside xvfb-run)
set -euo pipefail
pallant=$1
out=$2
export QT_QPA_PLATFORM=xcb
rm -f "$out"
log="${out%.png}.log"
pid=
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true' EXIT

wait_for_window() {
  for _ in $(seq 1 150); do
    if xdotool search --name "Quorvia Pallant" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "no window ($1)"
  cat "$log" 2>/dev/null || true
  return 1
}

"$pallant" dialog --title "Quorvia Pallant" --msgbox "The program under test, mirrored in its colours." 10 50 >"$log" 2>&1 &
pid=$!
wait_for_window "dialog"
# Let the program draw and a few refreshes pass.
sleep 3
import -window root "$out"
kill -9 "$pid"

histogram=$(convert "$out" -format %c histogram:info:-)
status=0
check() {
  if ! grep -qi "$1" <<<"$histogram"; then
    echo "missing $2 ($1) in $out"
    status=1
  fi
}
check "#00008F" "the dialog's blue screen"
check "#BFBFBF" "the dialog box's light grey"
check "#FFFF00" "the yellow cursor bar"
# The title reaches the program only when the toolkit leaves its "--title" argument alone.
check "#0000FF" "the dialog's bright blue title"
[ "$status" -eq 0 ] && echo "screenshot: $out"

# The dialog's frame joins from row to row: its vertical lines run without a background
# pixel row between the cells (a 10-row box: far longer than any one cell).
convert "$out" -depth 8 "ppm:${out%.png}.ppm"
run=$(/usr/bin/python3 "$(dirname "$0")/frame_runs.py" "${out%.png}.ppm" bfbfbf ffffff 000000)
rm -f "${out%.png}.ppm"
if [ "$run" -ge 60 ]; then
  echo "frame lines run $run pixels without a gap"
else
  echo "the dialog's frame has gaps between rows: its longest vertical line runs $run pixels"
  status=1
fi

# Keys typed on the X server's keyboard, told apart by their scan codes.
typed="${out%.png}-typed.txt"
rm -f "$typed"
"$pallant" bash --norc --noprofile >"$log" 2>&1 &
pid=$!
wait_for_window "bash"
sleep 1
window=$(xdotool search --name "Quorvia Pallant" | head -1)
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool type --delay 40 "echo typed-\$((6*7)) > $typed"
xdotool key Return
for _ in $(seq 1 50); do
  [ -s "$typed" ] && break
  sleep 0.1
done
if [ "$(cat "$typed" 2>/dev/null)" != "typed-42" ]; then
  echo "typed command did not run: '$(cat "$typed" 2>/dev/null)'"
  status=1
fi
exit "$status"
