#!/usr/bin/env bash
# The automation server's benchmark on a session bus of its own: server_bench.sh PALLANT [CALLS]
set -euo pipefail
pallant="$1"; shift
here="$(cd "$(dirname "$0")" && pwd)"
data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
export XDG_DATA_HOME="$data"
unset DBUS_SESSION_BUS_ADDRESS
"$pallant" -RegServer
dbus-run-session -- /usr/bin/python3 "$here/server_bench.py" "$@"
