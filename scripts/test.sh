#!/usr/bin/env bash
# Installs what the project needs, builds it and runs the whole test suite.
#   scripts/test.sh                 the normal build, in build/
#   scripts/test.sh --sanitize      AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
#   scripts/test.sh --tsan          ThreadSanitizer over the threaded tests, in build-tsan/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-normal}
case "$mode" in
  normal)     build="$root/build";      args=(); ctest_args=() ;;
  --sanitize) build="$root/build-asan"; args=(-DQP_SANITIZE=address,undefined -DQP_BUILD_BENCH=OFF); ctest_args=() ;;
  --tsan)     build="$root/build-tsan"; args=(-DQP_SANITIZE=thread -DQP_BUILD_BENCH=OFF -DQP_BUILD_GUI=OFF); ctest_args=(-L threaded) ;;
  *) echo "usage: $0 [--sanitize|--tsan]" >&2; exit 2 ;;
esac
bash "$root/scripts/build.sh" "$build" "${args[@]}"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$build"
if [ ${#ctest_args[@]} -gt 0 ] && ! ctest -N "${ctest_args[@]}" | grep "Test *#" >/dev/null; then
  echo "no tests selected by ${ctest_args[*]}"
  exit 0
fi
# Every test runs once: a failure (a data race, a leak, a lost wake-up) is a failure, never
# hidden by a second try.
ctest --output-on-failure -j "$(nproc)" "${ctest_args[@]}"
