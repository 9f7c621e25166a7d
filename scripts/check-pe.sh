#!/bin/bash
# Checks a built Windows binary from its file alone: its machine, subsystem,
# icon group, version block, manifest, exports (C++ names, demangled) and
# that it needs no MinGW runtime DLL beside it.
# Usage: check-pe.sh OBJDUMP FILE [--machine i386|amd64] [--gui] [--icon-group N]
#                    [--version MAJOR.MINOR] [--manifest] [EXPORT...]
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
objdump="$1"
file="$2"
shift 2
machine= gui=0 icon_group= version= manifest=0
while [ $# -gt 0 ]; do
  case "$1" in
    --version) version="$2"; shift 2 ;;
    --manifest) manifest=1; shift ;;
    --machine) machine="$2"; shift 2 ;;
    --gui) gui=1; shift ;;
    --icon-group) icon_group="$2"; shift 2 ;;
    *) break ;;
  esac
done
dump="$("$objdump" -p "$file")" || exit 1
status=0
fail() { echo "$file: $*"; status=1; }

if [ -n "$machine" ]; then
  found="$(pe_machine "$file")" || found="not a PE file"
  [ "$found" = "$machine" ] || fail "machine is $found, not $machine"
fi
if [ "$gui" = 1 ] && ! grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump"; then
  fail "is not a Windows GUI program ($(grep -E '^Subsystem' <<<"$dump" | tr -s '\t' ' '))"
fi
if [ -n "$icon_group" ]; then
  # In objdump's resource tree, type entries are indented by three spaces and
  # the names under them by five; RT_GROUP_ICON is type 14.
  want="$(printf '0x%06x' "$icon_group")"
  if ! awk -v want="$want" '
      /^[0-9a-f]+   Entry: ID:/ { in_group = ($4 == "0x00000e,") }
      /^[0-9a-f]+     Entry: ID:/ { if (in_group && $4 == want ",") found = 1 }
      END { exit !found }' <<<"$dump"; then
    fail "has no icon group $icon_group"
  fi
fi
if [ -n "$version" ] || [ "$manifest" = 1 ]; then
  # The resource compiler of the same toolchain turns the resources back into a script.
  resources="$("${objdump%objdump}windres" -J coff -O rc -i "$file" 2>/dev/null)" || fail "resources unreadable"
fi
if [ -n "$version" ]; then
  binary="FILEVERSION ${version%%.*}, ${version#*.}, 0, 0"
  grep -qF "$binary" <<<"$resources" || fail "has no version block with $binary"
  for value in "\"FileVersion\", \"$version\"" "\"ProductVersion\", \"$version\"" \
               '"ProductName", "' '"FileDescription", "' '"LegalCopyright", "Copyright (C) 2026 Horlin Project.'; do
    grep -qF "VALUE $value" <<<"$resources" || fail "version block lacks $value"
  done
fi
if [ "$manifest" = 1 ]; then
  grep -qF '1 24 /* RT_MANIFEST */' <<<"$resources" || fail "has no application manifest"
  grep -qF 'requestedExecutionLevel level=""asInvoker""' <<<"$resources" || fail "manifest does not run asInvoker"
  # The program draws at its monitor's scale itself, so the system must not stretch it.
  grep -qF 'PerMonitorV2' <<<"$resources" || fail "manifest does not declare per-monitor (v2) DPI awareness"
fi
for dll in $(awk '/DLL Name:/ {print $3}' <<<"$dump"); do
  case "$(tr 'A-Z' 'a-z' <<<"$dll")" in
    libgcc*|libstdc++*|libwinpthread*) fail "needs $dll at run time" ;;
  esac
done
exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '{print $NF}' | c++filt)"
for want in "$@"; do
  grep -qxF -- "$want" <<<"$exports" || fail "does not export: $want"
done
[ $status -eq 0 ] && echo "$file: machine, subsystem, resources, exports and runtime dependencies as required"
exit $status
