#!/bin/sh
# Regenerates the artwork into a scratch folder and compares it byte for byte
# with the committed files.
#   check_reproducible.sh GEN_ASSETS SCRATCHDIR ASSETDIR FONTFILE
# Exits 77 (skipped) when the font is not installed.
set -u
gen=$1 scratch=$2 assets=$3 font=$4

if [ ! -f "$font" ]; then
    echo "SKIPPED: font $font not installed"
    exit 77
fi

rm -rf "$scratch"
mkdir -p "$scratch" || exit 1
"$gen" "$scratch" "$font" || { echo "FAIL: $gen exited with an error"; exit 1; }

status=0
for f in KL_Figs.dat KL_Face.bmp Horlin.ico; do
    if cmp "$scratch/$f" "$assets/$f"; then
        echo "ok: $f matches"
    else
        echo "FAIL: $f differs from $assets/$f (regenerate with: gen_assets $assets)"
        status=1
    fi
done
exit $status
