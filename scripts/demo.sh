#!/usr/bin/env bash
# Installs what the project needs, builds it and runs the main job: the bundled demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" "$root/build" >/dev/null
if [ -x "$root/build/bin/pallant-play" ]; then
  exec "$root/build/bin/pallant-play" "$root/examples/demo.vbs"
fi
exec "$root/build/bin/pallant-console-demo"
