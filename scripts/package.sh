#!/bin/bash
# Builds the release from the mingw-i686 and mingw-x86_64 builds into
# build/packages/:
#   Horlin-VERSION-win32.zip, -win64.zip              portable clock folders
#   Horlin-VERSION-win32-setup.exe, -win64-setup.exe  per-user installers (NSIS)
#   pixolan-VERSION-sdk-win32.zip, -win64.zip         the library for developers
# The same tree gives byte-identical zips: the binaries carry no link time,
# are stripped of debugging data, and the zips are written in a fixed order
# with one fixed time stamp.
# Usage: scripts/package.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/deps.sh" package
# One fixed time for everything that records one: strip writes it into each
# PE header, zip-folder.py into each zip entry.
export SOURCE_DATE_EPOCH=1767225600  # 2026-01-01 00:00 UTC

version="$(sed -n 's/^project(horlin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
out="$root/build/packages"
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"
jobs="$(nproc 2>/dev/null || echo 2)"

crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }  # text files for Windows users

for arch in win32 win64; do
  case "$arch" in
    win32) preset=mingw-i686 prefix=i686-w64-mingw32 ;;
    win64) preset=mingw-x86_64 prefix=x86_64-w64-mingw32 ;;
  esac
  build="$root/build/$preset"
  log="$root/build/package-$preset.log"
  cmake --preset "$preset" >"$log" 2>&1 || { cat "$log"; exit 1; }
  cmake --build --preset "$preset" -j "$jobs" --target Horlin pixolan horlin-skin >>"$log" 2>&1 ||
    { grep -E "error|FAILED" -A3 "$log" | head -40; exit 1; }

  # The portable folder, which is also what the installer installs.
  app="$stage/Horlin-$version-$arch"
  mkdir -p "$app"
  "$prefix-strip" -o "$app/Horlin.exe" "$build/bin/Horlin.exe"
  "$prefix-strip" -o "$app/pixolan.dll" "$build/bin/pixolan.dll"
  "$prefix-strip" -o "$app/horlin-skin.exe" "$build/bin/horlin-skin.exe"
  # Each skin's artwork at every size it carries (1x, and 2x to 4x for
  # displays at higher scales).
  art=(KL_Face.bmp KL_Figs.dat KL_Face@2x.bmp KL_Figs@2x.dat KL_Face@3x.bmp KL_Figs@3x.dat KL_Face@4x.bmp KL_Figs@4x.dat)
  for f in "${art[@]}"; do cp "assets/$f" "$app/"; done
  # The skins, the clock's own among them as "default" to switch back to; the
  # installer takes the same list.
  nsh="$stage/skins-$arch.nsh"
  : >"$nsh"
  for skin in default $(cd assets/skins && ls -d */ | tr -d /); do
    from=assets/skins/$skin
    [ "$skin" = default ] && from=assets
    mkdir -p "$app/skins/$skin"
    for f in "${art[@]}" preview.png; do cp "$from/$f" "$app/skins/$skin/"; done
    echo "!insertmacro SKIN $skin" >>"$nsh"
  done
  crlf clock/package/README.txt "$app/README.txt"
  crlf clock/package/LICENSE.txt "$app/LICENSE.txt"
  python3 scripts/zip-folder.py "$out/Horlin-$version-$arch.zip" "$app"
  makensis -V2 -DVERSION="$version" -DARCH="$arch" -DSTAGE="$app" -DSKINS="$nsh" \
    -DOUTFILE="$out/Horlin-$version-$arch-setup.exe" clock/package/Horlin.nsi

  # The SDK: what the install rules put in place, plus its README and licence.
  sdk="$stage/pixolan-$version-sdk-$arch"
  cmake --install "$build" --prefix "$sdk" --strip >>"$log" 2>&1 || { tail -20 "$log"; exit 1; }
  crlf imagelib/package/README.txt "$sdk/README.txt"
  crlf clock/package/LICENSE.txt "$sdk/LICENSE.txt"
  python3 scripts/zip-folder.py "$out/pixolan-$version-sdk-$arch.zip" "$sdk"
done
ls -l "$out"/*.zip "$out"/*.exe | awk '{print "package.sh: " $NF " (" $5 " bytes)"}'
