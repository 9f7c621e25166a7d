#!/bin/bash
# Builds the benchmark program (CMake preset "bench": Release, -O2, x86-64
# baseline) and runs it.
#
#   scripts/bench.sh            full run on one CPU, then one table: for each
#                               row ours and its peer in Mpixel/s, the ratio,
#                               the target and whether it is met
#   scripts/bench.sh --smoke    every benchmark once at 16 x 16, no table
#
# Further arguments go to the program (e.g. --benchmark_filter=PutImage).
# Exits non-zero when the build fails, the program crashes or a benchmark
# failed (a call reported an error, or ours and a peer gave different
# pictures); a missed speed target never fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"

smoke=0
if [ "${1:-}" = "--smoke" ]; then
  smoke=1
  shift
fi
build="$root/build/bench"

"$root/scripts/deps.sh" all || { echo "bench.sh: installing dependencies failed"; exit 1; }

build_preset bench horlin_bench || exit 1

program="$build/bin/horlin_bench"
cd "$build/bin"
if [ "$smoke" = 1 ]; then
  exec "$program" --smoke "$@"
fi

# One CPU, so the numbers do not move between cores; CPU 1 keeps clear of
# the interrupts that tend to land on CPU 0.
pin=()
if command -v taskset >/dev/null && [ "$(nproc 2>/dev/null || echo 1)" -gt 1 ]; then
  pin=(taskset -c 1)
fi
results="$build/results.json"
console="$build/results.txt"
echo "Running the benchmarks (a few minutes); output in $console"
status=0
# Five short repetitions of each benchmark in random order, so that ours and
# its peer meet the same disturbances; the table takes the fastest of each.
"${pin[@]}" "$program" --benchmark_min_time=0.05 --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true --benchmark_display_aggregates_only=true \
  --benchmark_out="$results" --benchmark_out_format=json "$@" >"$console" 2>&1 || status=$?
if [ ! -s "$results" ]; then
  tail -20 "$console"
  echo "bench.sh: the benchmark program ended with status $status and wrote no results"
  exit 1
fi
python3 "$root/bench/bench_table.py" "$results" || status=1
if [ "$status" -ne 0 ]; then
  grep -E "ERROR OCCURRED|horlin_bench:" "$console" | head -20 || true
fi
exit "$status"
