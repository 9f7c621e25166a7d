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
# shellcheck source=lib.sh
. "$root/scripts/lib.sh"
"$root/scripts/deps.sh" package
# One fixed time for everything that records one: strip writes it into each
# PE header, zip-folder.py into each zip entry.
export SOURCE_DATE_EPOCH=1767225600  # 2026-01-01 00:00 UTC

version="$(project_version)"
out="$root/build/packages"
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"

crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }  # text files for Windows users

for arch in win32 win64; do
  preset="$(windows_preset "$arch")" prefix="$(mingw_prefix "$arch")"
  build="$root/build/$preset"
  build_preset "$preset" Horlin pixolan horlin-skin || exit 1
  log="$root/build/package-$preset.log"

  # The portable folder, which is also what the installer installs.
  app="$stage/Horlin-$version-$arch"
  mkdir -p "$app"
  "$prefix-strip" -o "$app/Horlin.exe" "$build/bin/Horlin.exe"
  "$prefix-strip" -o "$app/pixolan.dll" "$build/bin/pixolan.dll"
  "$prefix-strip" -o "$app/horlin-skin.exe" "$build/bin/horlin-skin.exe"
  copy_skin assets "$app"
  # The skins, the clock's own among them as "default" to switch back to; the
  # installer takes the same list.
  nsh="$stage/skins-$arch.nsh"
  : >"$nsh"
  for skin in default $(cd assets/skins && ls -d */ | tr -d /); do
    from=assets/skins/$skin
    [ "$skin" = default ] && from=assets
    mkdir -p "$app/skins/$skin"
    copy_skin "$from" "$app/skins/$skin"
    cp "$from/preview.png" "$app/skins/$skin/"
    echo "!insertmacro SKIN $skin" >>"$nsh"
  done
  crlf clock/package/README.txt "$app/README.txt"
  crlf clock/package/LICENSE.txt "$app/LICENSE.txt"
  python3 scripts/zip-folder.py "$out/Horlin-$version-$arch.zip" "$app"
  makensis -V2 -DVERSION="$version" -DARCH="$arch" -DSTAGE="$app" -DSKINS="$nsh" \
    -DOUTFILE="$out/Horlin-$version-$arch-setup.exe" clock/package/Horlin.nsi

  # The SDK: what the install rules put in place, plus its README and licence.
  sdk="$stage/pixolan-$version-sdk-$arch"
  cmake --install "$build" --prefix "$sdk" --strip >"$log" 2>&1 || { tail -20 "$log"; exit 1; }
  crlf imagelib/package/README.txt "$sdk/README.txt"
  crlf clock/package/LICENSE.txt "$sdk/LICENSE.txt"
  python3 scripts/zip-folder.py "$out/pixolan-$version-sdk-$arch.zip" "$sdk"
done
ls -l "$out"/*.zip "$out"/*.exe | awk '{print "package.sh: " $NF " (" $5 " bytes)"}'
