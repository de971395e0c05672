#!/usr/bin/env bash
# Opens the real desktop window under a virtual X server on a program that draws a dialog
# frame in colours, saves a screenshot of the whole screen, and checks that the mirrored
# screen's colours and the cursor bar are in it.
#   xvfb_screenshot.sh PALLANT OUTPUT.png        (run inside xvfb-run)
set -euo pipefail
pallant=$1
out=$2
export QT_QPA_PLATFORM=xcb
rm -f "$out"

"$pallant" dialog --title "Quorvia Pallant" --msgbox "The program under test, mirrored in its colours." 10 50 &
pid=$!
trap 'kill -9 "$pid" 2>/dev/null || true' EXIT

for _ in $(seq 1 150); do
  if xdotool search --name "Quorvia Pallant" >/dev/null 2>&1; then break; fi
  sleep 0.1
done
# Let the program draw and a few refreshes pass.
sleep 3
import -window root "$out"

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
exit "$status"
