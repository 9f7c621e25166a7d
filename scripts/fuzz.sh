#!/bin/bash
# Builds the BMP reading fuzz target with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) into build/fuzz and runs it for the given
# number of seconds (default 60) on one core, starting from fuzz/seeds.
# Fails when the build fails or the fuzzer finds anything (the crashing input
# is left in build/fuzz as crash-*, leak-*, timeout-* or oom-*).
# Usage: scripts/fuzz.sh [seconds]
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/fuzz"
mkdir -p "$out/corpus"

# The library as it is built natively, minus the Windows-only sources. The
# message texts stay in the source's UTF-8 here: clang cannot store them as
# code page 932, and the fuzz target never shows them.
sources=()
for f in "$root"/imagelib/src/*.cpp; do
  case "$f" in *_win32.cpp) continue ;; esac
  sources+=("$f")
done
sources+=("$root"/winshim/src/*.cpp "$root/fuzz/bmp_fuzzer.cpp")

clang++ -std=c++17 -O1 -g -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I "$root/winshim/include" -I "$root/imagelib/include" -I "$root/imagelib/src" \
  "${sources[@]}" -o "$out/bmp_fuzzer"

# New inputs go to build/fuzz/corpus; the committed seeds are only read.
cd "$out"
exec ./bmp_fuzzer -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2560 \
  -print_final_stats=1 -artifact_prefix="$out/" corpus "$root/fuzz/seeds"
