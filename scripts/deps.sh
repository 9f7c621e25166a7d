#!/bin/bash
# Installs the Debian packages the project needs, only those missing. This is
# the project's one package list; the other scripts call it.
# Usage: scripts/deps.sh [run|package|all]   (default: all)
#   run      what scripts/run.sh needs: the Windows build and Wine
#   package  what scripts/package.sh needs as well: NSIS
#   all      everything scripts/test.sh needs
# wine32 (and with it the i386 architecture) is installed only where the host
# runs 32-bit code; see host_runs_32bit in lib.sh.
set -euo pipefail
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

# Building the Windows programs and running them under Wine in a virtual display.
run_pkgs=(cmake ninja-build g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine64 xvfb xauth x11-utils imagemagick fonts-ipaexfont-gothic python3)
# The native builds, the analysers, the skin tool and the fonts the bundled
# skins are made from, fuzzing and the benchmarks.
build_pkgs=(libgtest-dev clang libclang-rt-14-dev clang-format clang-tidy
            libfreetype-dev libpng-dev pkg-config libbenchmark-dev libpixman-1-dev libstb-dev
            fonts-ipaexfont-mincho fonts-vlgothic fonts-dejavu-core)
# The release: installers and zips.
package_pkgs=(nsis python3)
case "${1:-all}" in
  run) want=("${run_pkgs[@]}") ;;
  package) want=("${run_pkgs[@]}" "${package_pkgs[@]}") ;;
  all) want=("${run_pkgs[@]}" "${build_pkgs[@]}" "${package_pkgs[@]}") ;;
  *) echo "usage: scripts/deps.sh [run|package|all]" >&2; exit 2 ;;
esac
i386=0
if host_runs_32bit; then
  want+=(wine32:i386)
  i386=1
fi

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=
[ "$(id -u)" -ne 0 ] && sudo=sudo
if [ "$i386" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
