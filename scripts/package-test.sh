#!/bin/bash
# Checks the release that scripts/package.sh made in build/packages:
#  - every zip holds exactly its files, in one folder; the binaries carry
#    their version block (and the clock its manifest);
#  - under Wine, for each build the host runs (the 64-bit one everywhere, the
#    32-bit one where the host runs 32-bit code): the unpacked portable folder
#    starts as a clock; the silent installer puts the program, its data files,
#    its shortcuts and its uninstall entry in place for the user alone, the
#    clock starts from the Start menu shortcut's working folder, an upgrade
#    keeps the user's settings, and the silent uninstaller removes it all;
#  - a client CMake project finds the unpacked SDK, builds against it and runs.
# Usage: scripts/package-test.sh   (after scripts/package.sh)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
version="$(project_version)"
packages="$root/build/packages"
work="$packages/test"
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "package-test.sh: $*"; failures=$((failures + 1)); }

# --- the files -------------------------------------------------------------
members() { python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$1"; }
expect_members() {  # expect_members ZIP NAME...
  local zip="$1" want
  shift
  want="$(printf '%s\n' "$@" | sort)"
  [ "$(members "$zip" | sort)" = "$want" ] || { fail "$(basename "$zip") holds:"; members "$zip"; }
}
for arch in win32 win64; do
  prefix="$(mingw_prefix "$arch")" machine=amd64
  [ "$arch" = win32 ] && machine=i386
  app="Horlin-$version-$arch"
  sdk="pixolan-$version-sdk-$arch"
  for f in "$app.zip" "$app-setup.exe" "$sdk.zip"; do
    [ -s "$packages/$f" ] || fail "$f is missing"
  done
  art=(KL_Face.bmp KL_Figs.dat KL_Face@2x.bmp KL_Figs@2x.dat KL_Face@3x.bmp KL_Figs@3x.dat KL_Face@4x.bmp KL_Figs@4x.dat)
  skins=("$app/skins/")
  for skin in default $(cd "$root/assets/skins" && ls -d */ | tr -d /); do
    skins+=("$app/skins/$skin/" "$app/skins/$skin/preview.png")
    for f in "${art[@]}"; do skins+=("$app/skins/$skin/$f"); done
  done
  for f in "${art[@]}"; do skins+=("$app/$f"); done
  expect_members "$packages/$app.zip" "$app/" "$app/Horlin.exe" "$app/pixolan.dll" "$app/horlin-skin.exe" \
    "$app/README.txt" "$app/LICENSE.txt" "${skins[@]}"
  expect_members "$packages/$sdk.zip" "$sdk/" "$sdk/README.txt" "$sdk/LICENSE.txt" "$sdk/include/" \
    "$sdk/include/pixolan.h" "$sdk/bin/" "$sdk/bin/pixolan.dll" "$sdk/lib/" "$sdk/lib/libpixolan.dll.a" \
    "$sdk/lib/cmake/" "$sdk/lib/cmake/pixolan/" "$sdk/lib/cmake/pixolan/pixolanConfig.cmake" \
    "$sdk/lib/cmake/pixolan/pixolanConfigVersion.cmake" "$sdk/lib/cmake/pixolan/pixolanTargets.cmake" \
    "$sdk/lib/cmake/pixolan/pixolanTargets-relwithdebinfo.cmake"
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$packages/$app.zip" "$work"
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$packages/$sdk.zip" "$work"
  "$root/scripts/check-pe.sh" "$prefix-objdump" "$work/$app/Horlin.exe" --machine "$machine" --gui \
    --icon-group 1 --version "$version" --manifest WndProc || fail "$app/Horlin.exe"
  "$root/scripts/check-pe.sh" "$prefix-objdump" "$work/$app/pixolan.dll" --machine "$machine" \
    --version "$version" || fail "$app/pixolan.dll"
  grep -q $'\r$' "$work/$app/README.txt" || fail "$app/README.txt has no CRLF line ends"
done

# --- under Wine ------------------------------------------------------------
stop_virtual_display_and_wine() { wineserver -k 2>/dev/null; stop_virtual_display; }
trap stop_virtual_display_and_wine EXIT
[ -n "${DISPLAY:-}" ] || start_virtual_display || exit 1

# A Windows path under the prefix as a Unix path.
unix_path() { wine_with "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_env() { wine_with "$wine" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
ctl() { wine_with "$wine" "$ctl_exe" "$@" | tr -d '\r'; }
wait_gone() {  # wait_gone SECONDS PATH...: true once none of the paths exists
  local end=$((SECONDS + $1))
  shift
  while [ $SECONDS -lt $end ]; do
    local any=0 p
    for p in "$@"; do [ -e "$p" ] && any=1; done
    [ $any = 0 ] && return 0
    sleep 0.5
  done
  return 1
}
close_clock() {  # closes the running clock and waits for its process
  ctl close || fail "$arch: the clock did not close"
  wait "$1" || fail "$arch: the clock ended with exit code $?"
}

for arch in win64 win32; do
  preset="$(windows_preset "$arch")"
  if [ "$arch" = win32 ] && ! host_runs_32bit; then
    echo "package-test.sh: 32-bit packages not tried under Wine: $HORLIN_NO_32BIT_REASON"
    continue
  fi
  ctl_exe="$root/build/$preset/bin/horlin_ctl.exe"
  [ -f "$ctl_exe" ] || cmake --build "$root/build/$preset" --target horlin_ctl >/dev/null
  app="Horlin-$version-$arch"
  # A fresh prefix for each: a user who never had the clock.
  export WINEPREFIX="$work/prefix-$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  prepare_wine_prefix || { fail "$arch: no Wine prefix"; continue; }
  wine="$(wine_loader_for "$work/$app/Horlin.exe")" || { fail "$arch: no Wine loader"; continue; }

  # The portable folder, started from itself.
  (cd "$work/$app" && WINELOADER="$wine" exec "$wine" Horlin.exe) &
  pid=$!
  if ctl wait 60 >/dev/null; then
    close_clock $pid
    [ "$(od -An -tx1 "$work/$app/KL_Env.cfg" 2>/dev/null | tr -d ' ')" = 01 ] ||
      fail "$arch: the portable clock saved no settings beside itself"
  else
    fail "$arch: the portable clock did not start"
    kill $pid 2>/dev/null
  fi

  # The shipped checker passes every shipped skin.
  for skin in "$work/$app"/skins/*/; do
    (cd "$skin" && wine_with "$wine" "$work/$app/horlin-skin.exe" check . >/dev/null) ||
      fail "$arch: horlin-skin.exe check refuses $(basename "$skin")"
  done
  # ... and makes a skin from a font file and a picture, as the README shows.
  if [ -f /usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf ]; then
    (cd "$work/$app" && wine_with "$wine" horlin-skin.exe make myskin \
        --font 'Z:\usr\share\fonts\opentype\ipaexfont-gothic\ipaexg.ttf' \
        --face-image 'skins\paper\preview.png' >/dev/null &&
      wine_with "$wine" horlin-skin.exe check myskin >/dev/null && [ -f myskin/KL_Figs@4x.dat ]) ||
      fail "$arch: horlin-skin.exe make does not make a skin from a font file and a picture"
    rm -rf "$work/$app/myskin"
  fi

  # The installer, silently, for this user only.
  wine_with "$wine" "$packages/$app-setup.exe" /S || fail "$arch: the installer failed"
  wineserver -w
  dir="$(unix_path "$(windows_env LOCALAPPDATA)\\Programs\\Horlin")"
  menu="$(unix_path "$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")"
  # Wine spells the Startup folder "StartUp"; Windows does not care.
  startup="$(find "$menu" -maxdepth 1 -type d -iname startup | head -n1)"
  installed=("$dir/Horlin.exe" "$dir/pixolan.dll" "$dir/horlin-skin.exe" "$dir/KL_Face.bmp" "$dir/KL_Figs.dat"
             "$dir/KL_Face@2x.bmp" "$dir/KL_Figs@4x.dat" "$dir/skins/amber/KL_Figs@3x.dat" "$dir/README.txt" "$dir/LICENSE.txt" "$dir/Uninstall.exe" "$dir/skins/amber/KL_Face.bmp"
             "$dir/skins/default/preview.png" "$menu/Horlin.lnk" "${startup:-$menu/Startup}/Horlin.lnk")
  for f in "${installed[@]}"; do [ -f "$f" ] || fail "$arch: the installer did not make $f"; done
  ls "$WINEPREFIX/drive_c/Program Files"*/Horlin >/dev/null 2>&1 && fail "$arch: something went under Program Files"
  key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Horlin'
  wine_with "$wine" reg query "$key" /v QuietUninstallString 2>/dev/null | grep -q 'Uninstall.exe" /S' ||
    fail "$arch: no uninstall entry for the user"

  # From the Start menu shortcut: the clock finds its files in the shortcut's
  # working folder and writes its settings there.
  (cd "$work" && WINELOADER="$wine" exec "$wine" start /wait /unix "$menu/Horlin.lnk") &
  pid=$!
  if ctl wait 60 >/dev/null; then
    close_clock $pid
    [ -f "$dir/KL_Env.cfg" ] || fail "$arch: the clock started from the shortcut saved no settings in its folder"
  else
    fail "$arch: the clock did not start from the Start menu shortcut"
    kill $pid 2>/dev/null
  fi

  # An upgrade keeps the user's settings.
  printf '\006' >"$dir/KL_Env.cfg"
  wine_with "$wine" "$packages/$app-setup.exe" /S || fail "$arch: the upgrade failed"
  wineserver -w
  [ "$(od -An -tx1 "$dir/KL_Env.cfg" | tr -d ' ')" = 06 ] || fail "$arch: the upgrade lost KL_Env.cfg"

  # The silent uninstaller runs from a copy of itself, so wait for its work.
  wine_with "$wine" "$dir/Uninstall.exe" /S || fail "$arch: the uninstaller failed"
  wait_gone 60 "$dir" "${installed[@]}" || { fail "$arch: the uninstaller left:"; ls -R "$dir" "$menu" 2>&1 | head -20; }
  wine_with "$wine" reg query "$key" >/dev/null 2>&1 && fail "$arch: the uninstall entry is still there"
  wineserver -k 2>/dev/null

  # A client of the SDK, cross-built against the unpacked SDK and run.
  sdk="$work/pixolan-$version-sdk-$arch"
  client="$work/client-$arch"
  if cmake -S "$root/imagelib/package/client" -B "$client" -G Ninja -DCMAKE_BUILD_TYPE=Release \
       -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$preset.cmake" -DCMAKE_PREFIX_PATH="$sdk" \
       -DCMAKE_CROSSCOMPILING_EMULATOR= >"$client.log" 2>&1 &&
     cmake --build "$client" >>"$client.log" 2>&1; then
    cp "$sdk/bin/pixolan.dll" "$client/"
    out="$(cd "$client" && wine_with "$wine" ./pixolan_client.exe 2>&1 | tr -d '\r')"
    [ "$out" = "pixolan client: ok" ] || fail "$arch: the SDK client said: $out"
  else
    fail "$arch: the SDK client did not build"
    tail -20 "$client.log"
  fi
done

if [ $failures -ne 0 ]; then
  echo "package-test.sh: $failures failure(s)"
  exit 1
fi
echo "package-test.sh: zips, installers and SDK as required"
