#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), then configures
# and builds everything into build/. The packages are listed one a line in
# scripts/packages.txt; scripts/check-setup-packages.sh checks that list
# against what a built tree used.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t pkgs < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' scripts/packages.txt | grep -v '^$')
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

# Extra arguments go to the configure step (CI passes -DVEK_WERROR=ON).
cmake --preset dev "$@"
cmake --build --preset dev -j"$(nproc)"
