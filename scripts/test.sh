#!/usr/bin/env bash
# Runs every test of the build in build/ (run scripts/setup.sh first).
set -euo pipefail
cd "$(dirname "$0")/.."
ctest --preset dev "$@"
