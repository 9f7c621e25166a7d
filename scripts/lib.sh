# Shell helpers shared by the scripts in this folder; sourced, never run.
#
# - building a preset, the project's version, the Windows presets
# - the skin's files
# - how a Windows program is started under Wine (which loader, which prefix)
# - whether this host runs 32-bit code at all
# - one virtual X display
#
# HORLIN_RUN_32BIT=auto|yes|no (default auto) forces the answer of
# host_runs_32bit, so both paths can be tried on either kind of host: "no"
# treats the host as one that runs 64-bit code only, "yes" skips the probe.

HORLIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HORLIN_WINE_DIR=/usr/lib/wine

# Configures and builds a CMake preset (all targets, or the ones named), with
# the output in build/PRESET.log; on failure shows the errors from it.
build_preset() {  # build_preset PRESET [TARGET...]
  local preset="$1" log="$HORLIN_ROOT/build/$1.log" targets=()
  shift
  [ $# -gt 0 ] && targets=(--target "$@")
  mkdir -p "$HORLIN_ROOT/build"
  (cd "$HORLIN_ROOT" && cmake --preset "$preset") >"$log" 2>&1 || { cat "$log"; return 1; }
  (cd "$HORLIN_ROOT" && cmake --build --preset "$preset" -j "$(nproc 2>/dev/null || echo 2)" "${targets[@]}") \
    >>"$log" 2>&1 || { grep -E "error|warning|FAILED" -A3 "$log" | head -80; return 1; }
}

# The version in the top CMakeLists.txt, as the release names it (1.0).
project_version() { sed -n 's/^project(horlin VERSION \([0-9.]*\).*/\1/p' "$HORLIN_ROOT/CMakeLists.txt"; }

# The CMake preset and the MinGW-w64 tool prefix of a Windows architecture.
windows_preset() {  # windows_preset win32|win64
  case "$1" in
    win32) echo mingw-i686 ;;
    win64) echo mingw-x86_64 ;;
    *) return 1 ;;
  esac
}
mingw_prefix() {  # mingw_prefix win32|win64
  case "$1" in
    win32) echo i686-w64-mingw32 ;;
    win64) echo x86_64-w64-mingw32 ;;
    *) return 1 ;;
  esac
}

# Copies a skin's files, at every size it comes in (KL_Face.bmp, KL_Figs.dat,
# KL_Face@2x.bmp, ...), from one folder into another.
copy_skin() {  # copy_skin FROM TO
  cp "$1"/KL_Face*.bmp "$1"/KL_Figs*.dat "$2/"
}

# Wine's settings for our throwaway prefixes, one per build folder, and one
# more for each screen DPI other than 96 that HORLIN_WINE_DPI asks for.
wine_environment() {  # wine_environment BUILD_DIR
  export WINEPREFIX="${WINEPREFIX:-$1/wineprefix${HORLIN_WINE_DPI:+-dpi$HORLIN_WINE_DPI}}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  export WINEARCH=win64
}

# Prints i386 or amd64 from the machine field of a PE file's COFF header.
pe_machine() {  # pe_machine FILE
  local file="$1" offset signature machine
  [ "$(od -An -c -N2 "$file" 2>/dev/null | tr -d ' ')" = MZ ] || return 1
  offset="$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')"
  signature="$(od -An -tx1 -j"$offset" -N4 "$file" | tr -d ' ')"
  [ "$signature" = 50450000 ] || return 1
  machine="$(od -An -tx1 -j$((offset + 4)) -N2 "$file" | tr -d ' ')"
  case "$machine" in
    4c01) echo i386 ;;
    6486) echo amd64 ;;
    *) return 1 ;;
  esac
}

# Why the last host_runs_32bit said no.
HORLIN_NO_32BIT_REASON=

# True when this host can run 32-bit x86 programs. The probe is a 91-byte
# i386 ELF that only calls exit(0): on a kernel without IA-32 emulation it
# fails with "Exec format error", as Wine's 32-bit loader would.
host_runs_32bit() {
  case "${HORLIN_RUN_32BIT:-auto}" in
    yes) return 0 ;;
    no)
      HORLIN_NO_32BIT_REASON="HORLIN_RUN_32BIT=no treats this host as one that runs 64-bit code only"
      return 1 ;;
  esac
  local probe status=0
  probe="$(mktemp)"
  base64 -d >"$probe" <<'ELF'
f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAA
AAAAAIAECACABAhbAAAAWwAAAAUAAAAAEAAAMdsxwEDNgA==
ELF
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  if [ "$status" -ne 0 ]; then
    HORLIN_NO_32BIT_REASON="this host's kernel runs no 32-bit code (a 32-bit probe program could not be executed)"
    return 1
  fi
  # Wine's own 32-bit loader has to start as well, where it is installed.
  if [ -e "$HORLIN_WINE_DIR/wine" ] && ! "$HORLIN_WINE_DIR/wine" --version >/dev/null 2>&1; then
    HORLIN_NO_32BIT_REASON="Wine's 32-bit loader $HORLIN_WINE_DIR/wine does not start on this host"
    return 1
  fi
  return 0
}

# Prints the Wine loader for a Windows program: the 64-bit loader for a
# 64-bit program, the 32-bit one for a 32-bit program where the host runs it.
# Debian's /usr/bin/wine is never used: with wine32 installed it hands every
# program to the 32-bit loader, 64-bit ones included.
wine_loader_for() {  # wine_loader_for FILE
  local machine
  machine="$(pe_machine "$1")" || { echo "not a Windows x86 program: $1" >&2; return 1; }
  case "$machine" in
    amd64)
      [ -x "$HORLIN_WINE_DIR/wine64" ] || { echo "Wine's 64-bit loader is not installed (package wine64)" >&2; return 1; }
      echo "$HORLIN_WINE_DIR/wine64" ;;
    i386)
      if ! host_runs_32bit; then
        echo "cannot run the 32-bit program $1: $HORLIN_NO_32BIT_REASON" >&2
        return 1
      fi
      [ -x "$HORLIN_WINE_DIR/wine" ] || { echo "Wine's 32-bit loader is not installed (package wine32:i386)" >&2; return 1; }
      echo "$HORLIN_WINE_DIR/wine" ;;
  esac
}

# Creates the prefix once (serialised, so parallel tests share it) and tells
# the X11 driver not to wait for a window manager on every hide. Always done
# by the 64-bit loader, which both kinds of host run. A prefix counts as ready
# only when every step succeeded, so a broken one is made again next time.
prepare_wine_prefix() {
  local wine64="$HORLIN_WINE_DIR/wine64" ok=1
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/.horlin-ready" ] && exit 0
    mkdir -p "$WINEPREFIX"
    # On a host without 32-bit code wineboot only warns that it cannot start
    # the 32-bit rundll32; the prefix works for 64-bit programs all the same.
    wine_with "$wine64" wineboot -i >/dev/null 2>&1
    wine_with "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || ok=0
    wine_with "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 || ok=0
    # The screen's scale, as a user sets it (Wine reads it at start).
    if [ -n "${HORLIN_WINE_DPI:-}" ]; then
      for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
        wine_with "$wine64" reg add "$key" /v LogPixels /t REG_DWORD /d "$HORLIN_WINE_DPI" /f >/dev/null 2>&1 || ok=0
      done
    fi
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] && [ "$ok" = 1 ] || { echo "could not set up the Wine prefix $WINEPREFIX" >&2; exit 1; }
    touch "$WINEPREFIX/.horlin-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Runs a program or one of Wine's own commands (reg, winepath, cmd, start)
# through the given loader. Wine starts further programs (wineboot, helpers)
# through WINELOADER.
wine_with() {  # wine_with LOADER COMMAND [ARGS...]
  local loader="$1"
  shift
  WINELOADER="$loader" "$loader" "$@"
}

# Runs a Windows program through the loader that fits it.
wine_run() {  # wine_run FILE [ARGS...]
  local loader
  loader="$(wine_loader_for "$1")" || return 1
  prepare_wine_prefix || return 1
  wine_with "$loader" "$@"
}

# Starts Xvfb on a free display number and exports DISPLAY; the server ends
# with the calling shell (the caller's EXIT trap calls stop_virtual_display).
HORLIN_XVFB_PID=
start_virtual_display() {  # start_virtual_display [WIDTHxHEIGHT]
  local size="${1:-1024x768}" display_file
  display_file="$(mktemp)"
  # Xvfb picks a free number itself and writes it to descriptor 3.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  HORLIN_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$display_file" ]; then
    rm -f "$display_file"
    echo "could not start a virtual X display (Xvfb)" >&2
    return 1
  fi
  export DISPLAY=":$(tr -d '\n' <"$display_file")"
  rm -f "$display_file"
}
stop_virtual_display() {
  [ -n "$HORLIN_XVFB_PID" ] && kill "$HORLIN_XVFB_PID" 2>/dev/null
  HORLIN_XVFB_PID=
  return 0
}
