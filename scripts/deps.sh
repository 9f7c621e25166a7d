#!/bin/bash
# Installs the Debian packages the project needs, only those missing.
# Usage: scripts/deps.sh [build|run|all]   (default: all)
set -euo pipefail

run_pkgs=(cmake ninja-build g++ g++-mingw-w64-i686 wine wine32 xvfb xauth x11-utils imagemagick)
build_pkgs=(googletest libgtest-dev g++-mingw-w64-x86-64 wine64 clang libclang-rt-14-dev
            libfreetype-dev pkg-config fonts-ipaexfont-gothic libbenchmark-dev libpixman-1-dev libstb-dev)
case "${1:-all}" in
  run) want=("${run_pkgs[@]}") ;;
  *) want=("${run_pkgs[@]}" "${build_pkgs[@]}") ;;
esac

missing=()
for p in "${want[@]}"; do
  arch_p="$p"
  [ "$p" = wine32 ] && arch_p="wine32:i386"
  dpkg-query -W -f='${Status}' "$arch_p" 2>/dev/null | grep -q "install ok installed" || missing+=("$arch_p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
# wine32 comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
