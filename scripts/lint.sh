#!/bin/bash
# Checks the format of every C++ file in the tree (.clang-format) and runs
# clang-tidy (.clang-tidy) over every file of ours in the compile databases of
# the native-clang build and of the 64-bit Windows build (whose Win32-only
# files the native build leaves out). Fails on any finding.
# Usage: scripts/lint.sh [--fix-format]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
jobs="$(nproc 2>/dev/null || echo 2)"
status=0

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix-format" ]; then
  clang-format -i "${sources[@]}"
elif ! clang-format --dry-run -Werror "${sources[@]}"; then
  echo "lint.sh: files differ from .clang-format (scripts/lint.sh --fix-format rewrites them)"
  status=1
fi

mkdir -p build
# The compile databases, and the copies of the text sources the build makes.
for preset in native-clang mingw-x86_64; do
  build_preset "$preset" pixolan horlin_body || exit 1
done

# Our files only: not GoogleTest's, not the build's generated copies.
ours="^$root/(imagelib|clock|winshim|tools|fuzz|bench)/"
if ! run-clang-tidy -p build/native-clang -quiet -j "$jobs" "$ours" >build/lint-tidy.log 2>&1; then
  sed 's/\x1b\[[0-9;]*m//g' build/lint-tidy.log | grep -E "(error|warning):" -A3 | head -100
  echo "lint.sh: clang-tidy findings in the native build"
  status=1
fi
# The Windows build's files that the native one does not compile, read by
# clang-tidy as a MinGW target: a compile database of their own, with clang's
# driver, the MinGW C++ headers and without GCC-only options.
windows_db="$root/build/lint-windows"
mkdir -p "$windows_db"
python3 - "$root" "$windows_db" <<'PY'
import json, shlex, subprocess, sys
root, out = sys.argv[1], sys.argv[2]
gxx = "x86_64-w64-mingw32-g++-posix"
probe = subprocess.run([gxx, "-E", "-x", "c++", "-", "-v"], input="", capture_output=True, text=True).stderr
dirs = probe.split("#include <...> search starts here:")[1].split("End of search list.")[0].split()
# GCC's own intrinsic headers stay out: clang brings its own.
dirs = [d for d in dirs if "/c++" in d or d.endswith("mingw32/include")]
native = {e["file"] for e in json.load(open(f"{root}/build/native-clang/compile_commands.json"))}
entries = []
for e in json.load(open(f"{root}/build/mingw-x86_64/compile_commands.json")):
    f = e["file"]
    if not f.endswith(".cpp") or not f.startswith(root + "/") or "/build/" in f or f in native:
        continue
    args = shlex.split(e["command"])[1:]
    args = [a for a in args if a != "-fno-keep-inline-dllexport"]
    args = ["clang++", "--target=x86_64-w64-mingw32", "-nostdinc++"] + [x for d in dirs for x in ("-isystem", d)] + args
    entries.append({"directory": e["directory"], "file": f, "arguments": args})
json.dump(entries, open(f"{out}/compile_commands.json", "w"), indent=1)
PY
if ! run-clang-tidy -p "$windows_db" -quiet -j "$jobs" "$ours" >build/lint-tidy-windows.log 2>&1; then
  sed 's/\x1b\[[0-9;]*m//g' build/lint-tidy-windows.log | grep -E "(error|warning):" -A3 | head -100
  echo "lint.sh: clang-tidy findings in the Windows build"
  status=1
fi
[ $status -eq 0 ] && echo "lint.sh: format and clang-tidy clean"
exit $status
