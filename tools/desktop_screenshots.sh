#!/bin/sh
# Pictures of the program as a window manager shows it, frames and all, into
# docs/screenshots (or the directory given): two graphs of a run one above
# the other with two more plots cascading off them, the print preview of a
# report and of the form, the main window in a dark palette, and the Map
# window and the reaches' net impacts of the example with stream reaches.
# Runs on a virtual display of its own with openbox (Xvfb and openbox are
# tools for this script, not build dependencies).
# Usage: tools/desktop_screenshots.sh [build-dir] [out-dir]
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build}
out=${2:-$src/docs/screenshots}
for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is needed: apt-get install xvfb openbox"; exit 2; }
done
cmake --build "$build" --target vek_screenshots vek
mkdir -p "$out"
display=:${VEK_SCREENSHOT_DISPLAY:-47}
Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm $xvfb 2>/dev/null || true' EXIT
sleep 1
for v in desktop-graphs-cascaded desktop-print-preview desktop-form-print-preview desktop-dark; do
  DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 \
    "$build/bin/vek_screenshots" --out "$out" --variant "$v" --example "$src/examples/river_valley.vek"
done
# The map beside the form and the reaches' net impacts, of the example with
# stream reaches (docs/images/map_window.png and reach_tables.png).
for v in desktop-map desktop-reaches; do
  DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 \
    "$build/bin/vek_screenshots" --out "$out" --variant "$v" --example "$src/examples/river_valley_reaches.vek"
done
if command -v pngquant >/dev/null 2>&1; then
  for f in "$out"/desktop-*.png; do
    pngquant --force --skip-if-larger --output "$f" -- "$f" || true
  done
fi
