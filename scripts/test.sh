#!/bin/bash
# Installs what is missing, builds every configuration and runs every suite:
# native (g++ and clang), native with AddressSanitizer/UndefinedBehaviorSanitizer,
# the plain pixel loops without vector code, the format and clang-tidy checks,
# the Windows builds under Wine in a virtual X display, a bounded fuzzing run
# of each fuzz target and a benchmark smoke run. Exits non-zero if anything failed.
#
# The 64-bit Windows suites run on every host. The 32-bit ones run where the
# host runs 32-bit code; elsewhere the 32-bit build is built and checked from
# its files only (HORLIN_RUN_32BIT=no forces that path, see lib.sh).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
export HORLIN_WERROR=ON
export HOME="${HOME:-/root}"
jobs="$(nproc 2>/dev/null || echo 2)"
fuzz_seconds="${HORLIN_FUZZ_SECONDS:-30}"  # per fuzz target

"$root/scripts/deps.sh" all || { echo "test.sh: installing dependencies failed"; exit 1; }

failures=()
failure_logs=()
suites_passed=0
mkdir -p build/logs
step() {  # step NAME COMMAND...: runs a step, records its outcome and keeps its output
  local name="$1" log
  shift
  log="build/logs/step-$((suites_passed + ${#failures[@]} + 1)).log"
  echo
  echo "=== $name"
  if "$@" 2>&1 | tee "$log"; then
    suites_passed=$((suites_passed + 1))
  else
    echo "=== $name FAILED"
    failures+=("$name")
    failure_logs+=("$log")
  fi
}

mkdir -p build
for preset in native native-asan native-portable native-clang mingw-i686 mingw-x86_64; do
  step "build $preset" build_preset "$preset"
done

# The presets all use Ninja; one plain build with CMake's default generator on
# Linux keeps the tree buildable the way a client or a newcomer builds it.
makefiles_build() {
  local dir=build/makefiles
  cmake -S . -B "$dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DHORLIN_FUZZ=OFF >"build/makefiles.log" 2>&1 &&
    cmake --build "$dir" -j "$jobs" >>"build/makefiles.log" 2>&1 || { tail -n 40 build/makefiles.log; return 1; }
  ctest --test-dir "$dir" -j "$jobs"
}
step "build and tests with Unix Makefiles" makefiles_build

step "tests native" ctest --preset native -j "$jobs"
# The same build with the run-time choice of wider vector loops turned off.
step "tests native, baseline vector loops" env PIXOLAN_SIMD=baseline ctest --preset native -j "$jobs" -L pixel
step "tests native, 16-byte shuffle loops" env PIXOLAN_SIMD=ssse3 ctest --preset native -j "$jobs" -L pixel
step "tests native, 32-byte vector loops" env PIXOLAN_SIMD=avx2 ctest --preset native -j "$jobs" -L pixel
sanitizer_env=(env ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1)
step "tests native-asan" "${sanitizer_env[@]}" ctest --preset native-asan -j "$jobs"
# The sanitizers watch each width of vector loop, and the plain loops run in a
# build that has no vector code at all.
step "tests native-asan, 16-byte shuffle loops" "${sanitizer_env[@]}" PIXOLAN_SIMD=ssse3 \
  ctest --preset native-asan -j "$jobs" -L pixel
step "tests native-asan, 32-byte vector loops" "${sanitizer_env[@]}" PIXOLAN_SIMD=avx2 \
  ctest --preset native-asan -j "$jobs" -L pixel
step "tests native-asan, baseline vector loops" "${sanitizer_env[@]}" PIXOLAN_SIMD=baseline \
  ctest --preset native-asan -j "$jobs" -L pixel
step "tests native-portable (plain loops)" ctest --preset native-portable -j "$jobs" -L pixel
step "tests native-clang" ctest --preset native-clang -j "$jobs"
step "lint (format, clang-tidy)" "$root/scripts/lint.sh"

# The Windows suites run under Wine in a virtual display of their own.
trap 'stop_virtual_display; wineserver -k 2>/dev/null' EXIT
start_virtual_display || { failures+=("virtual display"); failure_logs+=(/dev/null); }
windows_suites() {  # windows_suites PRESET
  ctest --preset "$1" --timeout 600
  local status=$?
  local prefix
  for prefix in "$root/build/$1"/wineprefix*/; do WINEPREFIX="${prefix%/}" wineserver -k 2>/dev/null; done
  return $status
}
if host_runs_32bit; then
  step "tests mingw-i686 (Wine)" windows_suites mingw-i686
else
  echo
  echo "=== mingw-i686 suites skipped under Wine: $HORLIN_NO_32BIT_REASON; the 32-bit build is checked from its files only"
  step "checks mingw-i686 (files only)" ctest --preset mingw-i686 -L static
fi
# The 64-bit build runs the same suites, the end-to-end ones included.
step "tests mingw-x86_64 (Wine)" windows_suites mingw-x86_64

# The release: zips, installers and SDK, made and tried under Wine.
step "packages" "$root/scripts/package.sh"
step "package tests (files, Wine)" "$root/scripts/package-test.sh"

step "fuzzing ${fuzz_seconds}s" "$root/scripts/fuzz.sh" "$fuzz_seconds"
step "benchmark smoke run" "$root/scripts/bench.sh" --smoke

echo
echo "=== summary"
# What each failed step printed last, repeated here so that the end of a
# long run says why it failed.
for i in "${!failure_logs[@]}"; do
  echo "--- the last lines of ${failures[$i]}:"
  tail -n 25 "${failure_logs[$i]}"
done
for f in "${failures[@]}"; do echo "failed: $f"; done
echo "suites: ${suites_passed} passed, ${#failures[@]} failed"
[ ${#failures[@]} -eq 0 ]
