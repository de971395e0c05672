#!/usr/bin/env bash
# pallant --help and --version answer and end with 0, with no display at all.
#   info_options.sh PALLANT
set -euo pipefail
pallant=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
status=0
help=$(timeout 20 "$pallant" --help) || { echo "FAIL --help exits with $?"; status=1; }
grep -q '^Usage: pallant \[COMMAND \[ARGUMENT\]...\]' <<<"$help" || { echo "FAIL usage text: $help"; status=1; }
version=$(timeout 20 "$pallant" --version) || { echo "FAIL --version exits with $?"; status=1; }
[ "$version" = "Quorvia Pallant, Version 1.1" ] || { echo "FAIL version text: $version"; status=1; }
[ "$status" -eq 0 ] && echo "PASS usage and version without a display"
exit "$status"
