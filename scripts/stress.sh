#!/usr/bin/env bash
# The test suite under load: it must pass RUNS times in a row (5 by default) with plain
# `ctest -j2` while another `ctest -j2` of the whole suite runs beside it all the time.
# Not part of CI's time budget: run it by hand on a machine that may be loaded for a while.
#   scripts/stress.sh [RUNS]
#
# The two runs use two build trees of their own (build-stress-a and build-stress-b), so
# they share no file: each tree has its own test home (HOME, XDG folders, temporary folder,
# no session bus: see tests/CMakeLists.txt), its own Testing/ logs, screenshots and
# packaging folders. Tests that need a bus start a private one, those that
# need a display start their own X server on a free display number, and no test listens
# on a network port.
#
# Prints for every run its tests passed and failed and the names of the failed tests, and
# keeps each run's whole output in build-stress-logs/. Exits 0 only when every measured
# run passed. The runs of the tree beside it are reported too (they are load, and their
# failures are faults as well).
# The sanitizer passes run once each, with no retry, through scripts/test.sh --sanitize
# and scripts/test.sh --tsan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
# Beside build/, so the compiler cache serves the trees from build/'s objects.
base="$root/build-stress"
logs="$base-logs"
mkdir -p "$logs"

for tree in a b; do
  bash "$root/scripts/build.sh" "$base-$tree" >"$logs/build-$tree.log" 2>&1 \
    || { tail -50 "$logs/build-$tree.log"; echo "stress: building $base-$tree failed" >&2; exit 2; }
done

export QT_QPA_PLATFORM=offscreen

# run_suite TREE LOG: one plain `ctest -j2` of the whole suite in TREE; prints a summary line.
run_suite() {
  local tree=$1 log=$2 status=0
  (cd "$base-$tree" && ctest -j2 --output-on-failure) >"$log" 2>&1 || status=$?
  local summary failed
  summary=$(grep -E "tests passed, [0-9]+ tests? failed out of" "$log" | tail -1)
  failed=$(sed -n '/The following tests FAILED:/,$p' "$log" | grep -E '^\s+[0-9]+ - ' \
           | sed -E 's/^\s+[0-9]+ - //' | tr '\n' ';' | sed 's/;$//; s/;/; /g')
  echo "${summary:-no summary (ctest status $status)}${failed:+ | failed: $failed}"
  return "$status"
}

# The load beside the measured runs: the suite in tree b, again and again until they end.
stop="$logs/stop"
rm -f "$stop"
(
  n=0
  while [ ! -e "$stop" ]; do
    n=$((n + 1))
    line=$(run_suite b "$logs/beside-$n.log" || true)
    echo "$(date -u +%T) beside run $n: $line"
  done
) >"$logs/beside.txt" 2>&1 &
beside=$!
trap 'touch "$stop"' EXIT

passed=0
for i in $(seq 1 "$runs"); do
  start=$(date +%s)
  if line=$(run_suite a "$logs/run-$i.log"); then
    passed=$((passed + 1))
    verdict=PASS
  else
    verdict=FAIL
  fi
  echo "$(date -u +%T) run $i of $runs: $verdict in $(( $(date +%s) - start )) s: $line"
done

touch "$stop"
echo "waiting for the run beside to finish..."
wait "$beside" || true
cat "$logs/beside.txt"
echo "stress: $passed of $runs runs passed (logs in $logs)"
[ "$passed" -eq "$runs" ]
