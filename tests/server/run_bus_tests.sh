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

"$pallant" -UNREGSERVER
left="$(cd "$data" && find . -type f)"
[ -z "$left" ] || { echo "FAIL: unregistering left $left"; exit 1; }
echo "PASS unregistration"
