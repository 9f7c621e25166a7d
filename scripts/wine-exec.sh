#!/bin/bash
# Runs a Windows program under Wine with a throwaway prefix in the build tree.
# Used as CMake's cross-compiling emulator, so ctest runs the Windows suites.
# Needs an X display: scripts/test.sh starts a virtual one; without DISPLAY
# this wrapper starts one of its own for the single run.
set -u
exe="$1"
shift
here="$(cd "$(dirname "$exe")" && pwd)"
build="$(cd "$here/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH="${WINEARCH:-win64}"

prepare_prefix() {
  # One-time set-up, serialised so parallel tests share it: create the prefix
  # and tell the X11 driver not to wait for a window manager on every hide.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.horlin-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.horlin-ready"
  fi
  flock -u 9
}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$exe" "$@"
fi
prepare_prefix
wine "$exe" "$@"
