#!/usr/bin/env bash
# with_bus.sh PALLANT COMMAND...: runs COMMAND on a session bus of its own, with PALLANT
# registered under a temporary data folder and no display.
set -euo pipefail
pallant="$1"; shift
data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
export XDG_DATA_HOME="$data"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
"$pallant" -RegServer
dbus-run-session -- "$@"
