#!/bin/sh
# Writes the pictures of the input form and of two graph windows into
# docs/screenshots (or the directory given): the form at 1024x700 and at
# 1920x1080, in a dark palette, at 200 % scale, and two graphs of a run (in
# the light and in the dark palette).
# Usage: tools/form_screenshots.sh [build-dir] [out-dir]
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build}
out=${2:-$src/docs/screenshots}
cmake --build "$build" --target vek_screenshots vek
tool=$build/bin/vek_screenshots
mkdir -p "$out"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for v in form-1024x700 form-1920x1080 form-dark graphs-cascaded graphs-dark; do
  QT_SCALE_FACTOR=1 "$tool" --out "$out" --variant "$v" --example "$src/examples/river_valley.vek"
done
QT_SCALE_FACTOR=2 "$tool" --out "$out" --variant form-200pct --example "$src/examples/river_valley.vek"
# Small files for the repository: an indexed palette where it loses nothing
# visible.
if command -v pngquant >/dev/null 2>&1; then
  for f in "$out"/form-*.png "$out"/graphs-*.png; do
    pngquant --force --skip-if-larger --output "$f" -- "$f" || true
  done
fi
