#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer (clang; the libraries under test with coverage,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for a while on a corpus
# seeded from the tests.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     default 60 seconds for every target
# Environment: QP_FUZZ_BUILD (default build-fuzz), QP_FUZZ_TIMEOUT (seconds one input may
# take, default 10), QP_FUZZ_RSS_MB (default 2048).
# Fails when a target finds a crash, a leak, a timeout or runs out of memory; the input that
# did it is kept under BUILD/fuzz-artifacts/TARGET/. Prints, per target, the executions,
# the coverage (cov: edges, ft: features) and the corpus size.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [SECONDS] [TARGET...]" >&2; exit 2 ;;
esac
build=${QP_FUZZ_BUILD:-"$root/build-fuzz"}
per_input=${QP_FUZZ_TIMEOUT:-10}
rss_mb=${QP_FUZZ_RSS_MB:-2048}

bash "$root/scripts/install-deps.sh" --build --fuzz
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" -DQP_LIBFUZZER=ON \
  -DQP_BUILD_GUI=OFF -DQP_BUILD_TESTS=OFF -DQP_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

# name|program|seed,folders per line
mapfile -t entries < "$build/fuzz-targets.txt"
names=()
for entry in "${entries[@]}"; do
  [ -n "$entry" ] && names+=("${entry%%|*}")
done
if [ $# -gt 0 ]; then
  for wanted in "$@"; do
    [[ " ${names[*]} " == *" $wanted "* ]] || { echo "fuzz.sh: no target $wanted (have: ${names[*]})" >&2; exit 2; }
  done
  names=("$@")
fi
cmake --build "$build" -j "$(nproc)" --target "${names[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
summary=()
failed=()
for entry in "${entries[@]}"; do
  IFS='|' read -r name program seeds <<<"$entry"
  [[ " ${names[*]} " == *" $name "* ]] || continue
  # The seeds: every file of the seed folders except the test sources that share them.
  seed_dir="$build/fuzz-seeds/$name"
  corpus="$build/fuzz-corpus/$name"
  artifacts="$build/fuzz-artifacts/$name"
  rm -rf "$seed_dir" "$artifacts"
  mkdir -p "$seed_dir" "$corpus" "$artifacts"
  IFS=',' read -r -a folders <<<"$seeds"
  for folder in "${folders[@]}"; do
    [ -e "$folder" ] || continue
    find "$folder" -type f ! -name '*.cpp' ! -name '*.h' ! -name 'CMakeLists.txt' -size -256k -print0 |
      while IFS= read -r -d '' f; do
        cp "$f" "$seed_dir/$(printf '%s' "$f" | md5sum | cut -c1-16)"
      done
  done
  echo "== $name: $seconds s, $(ls "$seed_dir" | wc -l) seeds"
  log="$build/fuzz-$name.log"
  status=0
  "$program" -max_total_time="$seconds" -timeout="$per_input" -rss_limit_mb="$rss_mb" \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$seed_dir" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  size=$(ls "$corpus" | wc -l)
  line=$(printf '%-24s runs %-10s cov %-6s ft %-7s corpus %s' "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$size")
  summary+=("$line")
  if [ "$status" -ne 0 ] || ls "$artifacts" | grep -q .; then
    failed+=("$name")
    echo "FAIL $line (exit $status; see $log and $artifacts)"
    grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" | head -20 || true
  else
    echo "ok   $line"
  fi
done

echo "== fuzz summary ($seconds s per target)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in ${failed[*]}" >&2
  exit 1
fi
