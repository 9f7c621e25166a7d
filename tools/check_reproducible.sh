#!/bin/sh
# Makes every skin of assets/skins/skins.txt again, the clock's own artwork
# included, into a scratch folder and compares the files byte for byte with
# the committed ones, every artwork size (1x to 4x) among them.
#   check_reproducible.sh HORLIN_SKIN SCRATCHDIR ASSETDIR
# Exits 77 (skipped) when a font a skin names is not installed.
set -u
tool=$1 scratch=$2 assets=$3
rm -rf "$scratch"
mkdir -p "$scratch" || exit 1
status=0
while read -r name options; do
  case "$name" in ''|'#'*) continue ;; esac
  eval "set -- $options"
  font=/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf
  prev=
  for a in "$@"; do [ "$prev" = --font ] && font=$a; prev=$a; done
  if [ ! -f "$font" ]; then
    echo "SKIPPED: font $font not installed"
    exit 77
  fi
  if [ "$name" = . ]; then dir=$assets; else dir=$assets/skins/$name; fi
  out=$scratch/$name
  "$tool" make "$out" "$@" >"$scratch/$name.log" 2>&1 || { cat "$scratch/$name.log"; echo "FAIL: $name: make failed"; status=1; continue; }
  for f in KL_Face.bmp KL_Figs.dat preview.png $( [ "$name" = . ] && echo Horlin.ico ) \
           KL_Face@2x.bmp KL_Figs@2x.dat KL_Face@3x.bmp KL_Figs@3x.dat KL_Face@4x.bmp KL_Figs@4x.dat; do
    if cmp -s "$out/$f" "$dir/$f"; then
      echo "ok: $name/$f"
    else
      echo "FAIL: $name/$f differs from $dir/$f (make it again: horlin-skin make $dir $options)"
      status=1
    fi
  done
done <"$assets/skins/skins.txt"
exit $status
