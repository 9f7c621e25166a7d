#!/bin/bash
# Builds face_preview and renders the face in its four corner layouts at one
# time (10:08, Saturday 12/5, colon shown) to docs/face-layout-0.png ... -3.png.
# Usage: scripts/face-previews.sh [BUILD_DIR]   (default: build/native)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/native}"
convert=/usr/bin/convert  # ImageMagick from the distribution

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" --preset native >/dev/null
fi
cmake --build "$build" --target face_preview -j2

mkdir -p "$root/docs"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
for layout in 0 1 2 3; do
  "$build/bin/face_preview" "$layout" 10:08 12/5 Sat "$tmp/face-$layout.bmp"
  # No timestamps or other metadata, so an unchanged face gives an unchanged file.
  "$convert" "$tmp/face-$layout.bmp" -strip -define png:exclude-chunks=date,time \
    "$root/docs/face-layout-$layout.png"
  echo "docs/face-layout-$layout.png"
done
