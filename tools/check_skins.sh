#!/bin/sh
# Runs horlin-skin check on the clock's own artwork and on every bundled skin.
#   check_skins.sh HORLIN_SKIN ASSETDIR
set -u
tool=$1 assets=$2
status=0
for dir in "$assets" "$assets"/skins/*/; do
  "$tool" check "$dir" || status=1
done
exit $status
