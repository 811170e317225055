#!/usr/bin/env bash
# Makes the Debian package vek_<version>_<arch>.deb from a build folder
# (default build/, the dev preset's; built first when out of date) and prints
# its path. The package holds what `cmake --install` puts under /usr: vek,
# vektool, VEKView, the examples, the launcher, the file types and the icon.
# Its Depends come from dpkg-shlibdeps. Same as `cpack --preset deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ -f "$build/CPackConfig.cmake" ] || { echo "package-deb: $build is not configured (run scripts/setup.sh)" >&2; exit 2; }
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/package/vek_*.deb
(cd "$build" && cpack -G DEB >&2)
deb="$(ls "$build"/package/vek_*.deb)"
echo "$deb"
