#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), then configures
# and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

pkgs=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev qt6-charts-dev qt6-svg-dev libgl1-mesa-dev libxkbcommon-dev xdg-utils
      libxlsxwriter-dev python3 python3-openpyxl)
# groff checks that the manual pages render without a warning.
pkgs+=(groff-base)
# The Windows build: MinGW-w64 cross compiler, wine64 to run its tests,
# GoogleTest's sources to build for it.
pkgs+=(g++-mingw-w64-x86-64-posix wine64 googletest)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset dev
cmake --build --preset dev -j"$(nproc)"
