#!/bin/bash
# Builds the fuzz targets through the CMake preset "fuzz" (clang, libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for the given
# number of seconds (default 60) on one core, starting from fuzz/seeds. Fails
# when the build fails or a fuzzer finds anything (the input is left in
# build/fuzz/findings as crash-*, leak-*, timeout-* or oom-*).
# Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
build="$root/build/fuzz"
build_preset fuzz || exit 1

mkdir -p "$build/findings"
for target in bmp_file_fuzzer bmp_memory_fuzzer; do
  # New inputs go to a corpus folder per target; the committed seeds are only read.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "fuzzing $target for ${seconds}s"
  (cd "$build" && "$build/bin/$target" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$build/findings/$target-" "$corpus" "$root/fuzz/seeds")
done
