#!/bin/bash
# Runs a Windows program under Wine, through the loader its PE header asks for,
# with a throwaway prefix in the build tree. CMake's cross-compiling emulator,
# so ctest runs the Windows suites through it. Needs an X display: without
# DISPLAY it starts a virtual one of its own for the single run.
# Usage: wine-exec.sh PROGRAM.exe [ARGS...]
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
exe="$1"
here="$(cd "$(dirname "$exe")" && pwd)"
wine_environment "$(cd "$here/.." && pwd)"

if [ -z "${DISPLAY:-}" ]; then
  trap stop_virtual_display EXIT
  start_virtual_display || exit 1
fi
wine_run "$@"
