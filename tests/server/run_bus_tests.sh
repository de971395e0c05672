#!/usr/bin/env bash
# The automation server on a real session bus of its own: registration under a temporary
# data folder (which the bus reads because dbus-run-session starts with it), the clients
# of bus_clients.py, then unregistration. No display: activated processes must fall back
# to the off-screen platform.
set -euo pipefail
pallant="$1"
here="$(cd "$(dirname "$0")" && pwd)"
data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
export XDG_DATA_HOME="$data"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS

listing() { (cd "$data" && find . -type f | sort | xargs -r md5sum); }

"$pallant" -RegServer
first="$(listing)"
"$pallant" /regserver
[ "$first" = "$(listing)" ] || { echo "FAIL: registering twice changed the files"; exit 1; }
grep -qx "Exec=$pallant -Embedding" "$data/dbus-1/services/QuorviaPallant.ZEBConsApp.service" \
  || { echo "FAIL: activation file"; cat "$data/dbus-1/services/QuorviaPallant.ZEBConsApp.service"; exit 1; }
echo "PASS registration"

dbus-run-session -- /usr/bin/python3 "$here/bus_clients.py" "$pallant" "$here/../../server/example_client.py"

# Installed under a path with a quote, blanks and shell characters: the activation file must
# still be one the bus reads and runs.
odd="$data/it's \"odd\" \$HOME \\ \`x\`"
mkdir -p "$odd"
cp "$pallant" "$odd/pallant"
oddData="$(mktemp -d)"
trap 'rm -rf "$data" "$oddData"' EXIT
XDG_DATA_HOME="$oddData" "$odd/pallant" -RegServer
XDG_DATA_HOME="$oddData" dbus-run-session -- /usr/bin/python3 - "$odd/pallant" <<'PY'
import dbus, os, sys, time
bus = dbus.SessionBus()
service, path = bus.get_object("QuorviaPallant.ZEBConsole", "/").CreateInstance(
    dbus_interface="QuorviaPallant.ClassFactory")
daemon = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"), "org.freedesktop.DBus")
pid = int(daemon.GetConnectionUnixProcessID(service))
exe = os.readlink("/proc/%d/exe" % pid)
dbus.Interface(bus.get_object(service, path), "QuorviaPallant.IZEBConsole").Release()
if exe != sys.argv[1]:
    sys.exit("FAIL: activated %r, not %r" % (exe, sys.argv[1]))
PY
rm -rf "$odd"
echo "PASS activation from a path with a quote and shell characters"

"$pallant" -UNREGSERVER
left="$(cd "$data" && find . -type f)"
[ -z "$left" ] || { echo "FAIL: unregistering left $left"; exit 1; }
echo "PASS unregistration"
