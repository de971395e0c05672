#!/usr/bin/env bash
# The script window docked, undocked, docked again, resized, hidden and shown in the real
# desktop program under a virtual X server with a window manager, driven as a person would:
# xdotool drags the grip, clicks the buttons and types. After every step the window must take
# clicks and keys (typed text lands in the editor, not in bash; Save writes it through the
# file dialog without trailing blanks; Record records), lie on the screen, and leave no
# stray native window behind. Then an automation client's RunCommand of a program that
# cannot start gets "Can't execute" back at once, with no box waiting for a person.
#   xvfb_docking.sh PALLANT OUTDIR        (run inside xvfb-run; starts its own bus)
set -euo pipefail
pallant=$1
out=$2
mkdir -p "$out"

if [ "${3:-}" != "--inner" ]; then
  # A data folder and a session bus of the test's own: the registration goes there.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" HOME="$work/home"
  mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset DBUS_SESSION_BUS_ADDRESS
  "$pallant" -RegServer
  WORK="$work" dbus-run-session -- bash "$0" "$pallant" "$out" --inner
  exit $?
fi

export QT_QPA_PLATFORM=xcb
work=$WORK
log="$out/docking.log"
: >"$log"
pids=()
cleanup() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
status=0
fail() { echo "FAIL $*"; status=1; }
pass() { echo "PASS $*"; }

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_until() {
  local tenths=$1
  shift
  for _ in $(seq 1 "$tenths"); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

openbox --sm-disable >>"$log" 2>&1 &
pids+=($!)
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
wait_until 600 wm_ready || { echo "no window manager"; exit 1; }

cd "$work"
"$pallant" bash --norc --noprofile >>"$log" 2>&1 &
pids+=($!)
main_window() { xdotool search --name "^Quorvia Pallant" | head -1; }
wait_until 600 main_window || { echo "no main window"; cat "$log"; exit 1; }
W=$(main_window)

# Absolute client geometry of a window: x y w h.
geom() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}/Width:/{w=$2}/Height:/{h=$2}END{print x, y, w, h}'; }
script_windows() { xwininfo -root -tree | grep -c '"Script":' || true; }
has_script_window() { [ "$(script_windows)" -ge 1 ]; }
no_script_window() { [ "$(script_windows)" -eq 0 ]; }
read -r SCREEN_W SCREEN_H < <(xwininfo -root | awk '/Width:/{w=$2}/Height:/{h=$2}END{print w, h}')

# Where the script window is in each state: its client's top-left.
UNDOCKED_H=281
script_origin() {
  local x y w h
  read -r x y w h <<<"$(geom "$W")"
  case $1 in
    page) echo $((x + 6)) $((y + 28)) ;;
    bottom) echo "$x" $((y + h - UNDOCKED_H)) ;;
    left) echo "$x" "$y" ;;
    floating) geom "$(xdotool search --name '^Script$' | head -1)" | cut -d' ' -f1,2 ;;
  esac
}
# The script window's parts, from its top-left.
GRIP=(40 8)
SAVE=(41 30)
RECORD=(105 30)
STOP=(155 30)
EDITOR=(250 150)
SHOW_SCRIPT=(185 39)  # on the main window's tool bar

save_dialog_active() { [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "Save Script" ]; }
unmapped() { xwininfo -id "$1" | grep -q 'Map State: IsUnMapped'; }
# A person's hand: the pauses between the pointer's moves and presses let the window manager
# and the toolkit see a gesture (press, drag, release) as one; what each gesture did is
# waited for afterwards.
click_at() { xdotool mousemove "$1" "$2"; sleep 0.1; xdotool click 1; sleep 0.2; }
drag() {
  xdotool mousemove "$1" "$2"; sleep 0.2; xdotool mousedown 1; sleep 0.2
  xdotool mousemove $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 )); sleep 0.2
  xdotool mousemove "$3" "$4"; sleep 0.3; xdotool mouseup 1; sleep 0.3
}
main_geometry() { geom "$W"; }
geometry_changed_from() { [ "$(main_geometry)" != "$1" ]; }

saved="$work/saved.vbs"
step=0
lines=()
# Types a line into the editor and saves the script through the file dialog; the saved file
# must hold every line typed so far, without trailing blanks, with CR LF.
check_window() {
  local state=$1 sx sy
  step=$((step + 1))
  read -r sx sy <<<"$(script_origin "$state")"
  click_at $((sx + EDITOR[0])) $((sy + EDITOR[1]))
  xdotool key ctrl+End Return
  # Run by bash instead, the line would leave a file behind.
  local line="Rem step $step; touch $work/stray-$step"
  xdotool type --delay 20 "$line   "
  xdotool key Return
  lines+=("$line")
  rm -f "$saved"
  click_at $((sx + SAVE[0])) $((sy + SAVE[1]))
  if ! wait_until 600 xdotool search --name "^Save Script$"; then
    fail "$state (step $step): Save opened no dialog"
    import -window root "$out/docking-step$step.png"
    return
  fi
  # Typed once the dialog has the keyboard.
  wait_until 600 save_dialog_active || fail "$state (step $step): the Save dialog did not get the focus"
  xdotool type --delay 10 "$saved"
  xdotool key Return
  if ! wait_until 600 test -s "$saved"; then
    fail "$state (step $step): nothing saved"
    import -window root "$out/docking-step$step.png"
    return
  fi
  local want have
  want=$(printf '%s\n' "${lines[@]}")
  have=$(tr -d '\r' <"$saved" | grep '^Rem step' || true)
  if [ "$want" != "$have" ]; then
    fail "$state (step $step): the editor did not take the typed lines: $(tr -d '\r' <"$saved")"
  elif grep -q '[ 	]\r$' "$saved" || ! grep -q $'\r$' "$saved"; then
    fail "$state (step $step): trailing blanks or line ends"
  else
    pass "$state (step $step): the script window takes clicks and keys"
  fi
  import -window root "$out/docking-step$step.png"
}

on_screen() {
  local x y w h
  read -r x y w h <<<"$(geom "$1")"
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$SCREEN_W" ] && [ $((y + h)) -le "$SCREEN_H" ]
}
check_floating() {
  local f
  if ! wait_until 300 has_script_window; then fail "$1: no floating window"; return; fi
  f=$(xdotool search --name '^Script$' | head -1)
  if on_screen "$f"; then pass "$1: the floating window lies on the screen ($(geom "$f"))"
  else fail "$1: the floating window is off the screen ($(geom "$f"))"; fi
}
check_docked() {
  if wait_until 300 no_script_window; then pass "$1: no native window of its own"
  else fail "$1: a native \"Script\" window stays: $(xwininfo -root -tree | grep '"Script":')"; fi
}
drag_grip() {  # from-state to-x to-y
  local sx sy before
  before=$(main_geometry)
  read -r sx sy <<<"$(script_origin "$1")"
  drag $((sx + GRIP[0])) $((sy + GRIP[1])) "$2" "$3"
}

# 1. Show Script: docked as the second page.
read -r mx my mw mh <<<"$(main_geometry)"
click_at $((mx + SHOW_SCRIPT[0])) $((my + SHOW_SCRIPT[1]))
sleep 0.5
check_docked "as a page"
check_window page

# 2. Out of the page control.
drag_grip page 900 100
check_floating "undocked from the page"
check_window floating

# 3. Into the bottom panel; Record there records the keys typed on the console.
before=$(main_geometry)
read -r mx my mw mh <<<"$before"
drag_grip floating 400 $((my + mh - 2))
wait_until 300 geometry_changed_from "$before" || fail "docking at the bottom did not grow the window"
check_docked "docked at the bottom"
read -r sx sy <<<"$(script_origin bottom)"
click_at $((sx + RECORD[0])) $((sy + RECORD[1]))
read -r mx my mw mh <<<"$(main_geometry)"
click_at $((mx + 300)) $((my + 150))
xdotool type --delay 30 "echo rec"
xdotool key Return
# The key log window comes up at the first key on the console and stays on top: out of the way.
if wait_until 300 xdotool search --name '^DebugForm$'; then
  debug_form=$(xdotool search --name '^DebugForm$' | head -1)
  xdotool windowminimize "$debug_form"
  wait_until 300 unmapped "$debug_form" || fail "the key log window did not get out of the way"
fi
click_at $((sx + STOP[0])) $((sy + STOP[1]))
check_window bottom
if grep -q 'Console.PutKeys "echo rec"' "$saved" 2>/dev/null; then pass "Record in the bottom panel records"
else fail "Record in the bottom panel recorded nothing: $(tr -d '\r' <"$saved" 2>/dev/null)"; fi

# 4. Dropped near the screen's bottom edge: it must still lie on the screen.
before=$(main_geometry)
drag_grip bottom 700 $((SCREEN_H - 5))
wait_until 50 geometry_changed_from "$before" || true
check_floating "undocked at the screen's edge"
check_window floating

# 5. Into the left panel.
before=$(main_geometry)
read -r mx my mw mh <<<"$before"
drag_grip floating $((mx + 3)) $((my + 200))
wait_until 300 geometry_changed_from "$before" || fail "docking at the left did not grow the window"
check_docked "docked at the left"
check_window left

# 6. The main window resized by the window manager.
before=$(main_geometry)
xdotool windowsize "$W" 1100 700
wait_until 50 geometry_changed_from "$before" || true
check_window left

# 7. Hidden and shown again with Show Script (the tool bar lies right of the left panel).
read -r mx my mw mh <<<"$(main_geometry)"
click_at $((mx + 457 + SHOW_SCRIPT[0])) $((my + SHOW_SCRIPT[1]))
click_at $((mx + 457 + SHOW_SCRIPT[0])) $((my + SHOW_SCRIPT[1]))
check_window left

# 8. Back into the page control, then straight into the bottom panel.
read -r mx my mw mh <<<"$(main_geometry)"
drag_grip left $((mx + mw - 200)) $((my + 250))
sleep 0.5
check_docked "docked as a page again"
check_window page
before=$(main_geometry)
read -r mx my mw mh <<<"$before"
drag_grip page $((mx + 300)) $((my + mh - 2))
wait_until 300 geometry_changed_from "$before" || fail "docking at the bottom from the page did not grow the window"
check_docked "docked at the bottom from the page"
check_window bottom

strays=$(ls "$work"/stray-* 2>/dev/null || true)
[ -z "$strays" ] && pass "no typed line reached bash" || fail "typed lines reached bash: $strays"
echo "screenshots: $out/docking-step*.png"

# An automation client whose command cannot start: the error comes back at once, although
# the activated instance has a display on which it could show a box.
answer=$(timeout 60 /usr/bin/python3 - <<'PY' 2>&1
import time, dbus
bus = dbus.SessionBus()
factory = bus.get_object("QuorviaPallant.ZEBConsApp", "/")
service, path = factory.CreateInstance(dbus_interface="QuorviaPallant.ClassFactory")
app = dbus.Interface(bus.get_object(service, path), "QuorviaPallant.IZEBConsApp")
start = time.monotonic()
try:
    app.OpenConsole("/nonexistent/program", timeout=25)
    print("no error")
except dbus.DBusException as e:
    print("%.1f %s" % (time.monotonic() - start, e.get_dbus_message()))
app.Release()
PY
) || true
took=${answer%% *}
if [[ "$answer" == *"Can't execute \"/nonexistent/program\""* ]] && [ "${took%.*}" -lt 10 ]; then
  pass "OpenConsole of a program that cannot start fails at once under a display: $answer"
else
  fail "OpenConsole of a program that cannot start: $answer"
fi
exit "$status"
