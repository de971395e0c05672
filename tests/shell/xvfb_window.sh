#!/usr/bin/env bash
# The real desktop window under a virtual X server.
# 1. On a program that draws a dialog frame in colours: saves a screenshot of the whole
#    screen and checks that the mirrored screen's colours and the cursor bar are in it, and
#    that the frame's vertical lines join from row to row.
# 2. On bash: types a command with the X server's own keyboard and checks that bash ran it.
#   xvfb_window.sh PALLANT OUTPUT.png        (run inside xvfb-run; starts its own bus)
set -euo pipefail
pallant=$1
out=$2

if [ "${3:-}" != "--inner" ]; then
  # A home, a data folder and a session bus of the test's own: whatever the desktop program
  # registers or saves lands there, never in the real user's folders or on their bus.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
         XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
  mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset DBUS_SESSION_BUS_ADDRESS
  dbus-run-session -- bash "$0" "$pallant" "$out" --inner
  exit $?
fi

export QT_QPA_PLATFORM=xcb
rm -f "$out"
log="${out%.png}.log"
pid=
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true' EXIT

# Polls (every tenth of a second, for at most a minute) until the window shows.
wait_for_window() {
  for _ in $(seq 1 600); do
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

# The colours the mirrored dialog must show, with what each is.
colours=("#00008F" "the dialog's blue screen"
         "#BFBFBF" "the dialog box's light grey"
         "#FFFF00" "the yellow cursor bar"
         "#0000FF" "the dialog's bright blue title")  # only when "--title" reaches the program
status=0
check() {
  local i quiet=${1:-}
  for ((i = 0; i < ${#colours[@]}; i += 2)); do
    if ! grep -qi "${colours[i]}" <<<"$histogram"; then
      [ -n "$quiet" ] || echo "missing ${colours[i + 1]} (${colours[i]}) in $out"
      return 1
    fi
  done
}
# Screenshots until the program has drawn and the window mirrors it (at most a minute).
for _ in $(seq 1 120); do
  import -window root "$out"
  histogram=$(convert "$out" -format %c histogram:info:-)
  check quiet && break
  sleep 0.5
done
kill -9 "$pid"
check || status=1
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
window=$(xdotool search --name "Quorvia Pallant" | head -1)
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool type --delay 40 "echo typed-\$((6*7)) > $typed"
xdotool key Return
for _ in $(seq 1 300); do
  [ -s "$typed" ] && break
  sleep 0.1
done
if [ "$(cat "$typed" 2>/dev/null)" != "typed-42" ]; then
  echo "typed command did not run: '$(cat "$typed" 2>/dev/null)'"
  status=1
fi
exit "$status"
