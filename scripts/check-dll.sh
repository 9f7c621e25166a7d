#!/bin/bash
# Checks a built Windows binary: it exports what it must (C++ names, demangled)
# and needs no MinGW runtime DLL beside it.
# Usage: check-dll.sh OBJDUMP FILE [export...]
set -u
objdump="$1"
file="$2"
shift 2
dump="$("$objdump" -p "$file")" || exit 1
status=0
for dll in $(echo "$dump" | awk '/DLL Name:/ {print $3}'); do
  case "$(echo "$dll" | tr A-Z a-z)" in
    libgcc*|libstdc++*|libwinpthread*) echo "$file needs $dll at run time"; status=1 ;;
  esac
done
exports="$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '{print $NF}' | c++filt)"
for want in "$@"; do
  if ! grep -qxF -- "$want" <<<"$exports"; then
    echo "$file does not export: $want"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$file: exports and runtime dependencies as required"
exit $status
