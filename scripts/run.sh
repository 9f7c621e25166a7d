#!/bin/bash
# Builds the clock for Windows and runs it under Wine: the 32-bit build where
# this host runs 32-bit code, else the 64-bit build.
#
#   scripts/run.sh          with DISPLAY set: the clock runs on that display
#                           until it is closed (right-click, last menu item)
#   scripts/run.sh          without DISPLAY: the clock runs a few seconds in a
#                           virtual display of its own; a screenshot of the
#                           screen is saved next to the build, then the clock
#                           is closed as by Alt+F4 and must end with exit code 0
#   scripts/run.sh --docs   as without DISPLAY, and also saves the clock with
#                           its popup menu open as docs/screenshot-menu.png
#
# The clock runs in <build>/run, which holds its data files; it writes its
# settings file KL_Env.cfg there itself. HORLIN_BUILD_DIR picks another build
# folder of the same kind (default build/mingw-i686 or build/mingw-x86_64).
# HORLIN_WINE_DPI=144 (or 120, 192, ...) runs it on a screen at that scale,
# in a Wine prefix of its own.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
docs=0
[ "${1:-}" = "--docs" ] && docs=1

"$root/scripts/deps.sh" run

if host_runs_32bit; then
  preset="$(windows_preset win32)"
  echo "run.sh: using the 32-bit build ($preset)"
else
  preset="$(windows_preset win64)"
  echo "run.sh: using the 64-bit build ($preset): $HORLIN_NO_32BIT_REASON"
fi
build="${HORLIN_BUILD_DIR:-$root/build/$preset}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" --preset "$preset" >/dev/null
fi
# The program, the image library it loads and the control tool used below.
cmake --build "$build" --target Horlin pixolan horlin_ctl

run="$build/run"
mkdir -p "$run"
copy_skin "$root/assets" "$run"
wine_environment "$build"
clock_exe="$build/bin/Horlin.exe"
ctl() { wine_run "$build/bin/horlin_ctl.exe" "$@" | tr -d '\r'; }

# Wine's menu and dialog fonts fall back to "MS UI Gothic" for Japanese; let a
# Japanese font installed here stand in for it, or the texts show as boxes.
japanese_font() {
  local family
  family="$(fc-list :lang=ja family 2>/dev/null | head -n1 | cut -d, -f1)"
  [ -n "$family" ] || return 0
  prepare_wine_prefix
  wine_with "$HORLIN_WINE_DIR/wine64" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
    /v 'MS UI Gothic' /t REG_SZ /d "$family" /f >/dev/null 2>&1 || true
}

if [ -n "${DISPLAY:-}" ] && [ "$docs" -eq 0 ]; then
  japanese_font
  cd "$run"
  exec "$root/scripts/wine-exec.sh" "$clock_exe"
fi

clock_pid=
cleanup() {
  [ -n "$clock_pid" ] && kill "$clock_pid" 2>/dev/null || true
  stop_virtual_display
}
trap cleanup EXIT
start_virtual_display

japanese_font
loader="$(wine_loader_for "$clock_exe")"
(cd "$run" && WINELOADER="$loader" exec "$loader" "$clock_exe") &
clock_pid=$!
# The first run creates the Wine prefix, which takes a while.
read -r left top right bottom < <(ctl wait 120) || { echo "run.sh: the clock window did not appear"; exit 1; }
sleep 3
shot="$build/horlin-screenshot.png"
import -display "$DISPLAY" -window root "$shot"
echo "run.sh: clock at ($left, $top)-($right, $bottom); screenshot $shot"

if [ "$docs" -eq 1 ]; then
  read -r mleft mtop mright mbottom < <(ctl menu) || { echo "run.sh: the menu did not open"; exit 1; }
  sleep 0.5
  # The clock and its menu, with a small margin, clipped to the screen.
  x0=$(( (left < mleft ? left : mleft) - 16 )); [ $x0 -lt 0 ] && x0=0
  y0=$(( (top < mtop ? top : mtop) - 16 )); [ $y0 -lt 0 ] && y0=0
  x1=$(( (right > mright ? right : mright) + 16 )); [ $x1 -gt 1024 ] && x1=1024
  y1=$(( (bottom > mbottom ? bottom : mbottom) + 16 )); [ $y1 -gt 768 ] && y1=768
  mkdir -p "$root/docs"
  import -display "$DISPLAY" -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage \
    "$root/docs/screenshot-menu.png"
  echo "run.sh: menu screenshot docs/screenshot-menu.png"
  ctl menu-close
fi

ctl close || { echo "run.sh: the clock did not close"; exit 1; }
status=0
wait "$clock_pid" || status=$?
clock_pid=
if [ "$status" -ne 0 ]; then
  echo "run.sh: the clock ended with exit code $status"
  exit 1
fi
echo "run.sh: the clock ended normally; settings byte $(od -An -tx1 "$run/KL_Env.cfg" | tr -d ' ')"
