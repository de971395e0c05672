#!/usr/bin/env bash
# Installs what the project needs, then configures and builds it.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true
bash "$root/scripts/install-deps.sh"
launcher=()
# A compiler cache, where one is installed, makes rebuilds in several work trees cheap.
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "$@"
cmake --build "$build" -j "$(nproc)"
