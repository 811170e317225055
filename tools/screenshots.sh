#!/usr/bin/env bash
# Renders the program's windows and dialogs into PNG files, for a look at
# the layout (build the dev build first: the tool is bin/vek_screenshots).
#
#   tools/screenshots.sh [--out DIR] [--size WxH] [--dark] [--scale N] [--example FILE]
#
# --out defaults to build/screenshots; --size is the form's and the main
# window's size (default 1280x860); --dark uses a dark palette; --scale 2
# renders at 200%. Runs on the offscreen platform unless QT_QPA_PLATFORM says
# otherwise. Example: tools/screenshots.sh --size 1024x700 --dark --scale 2
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/bin/vek_screenshots
[ -x "$tool" ] || { echo "no $tool: cmake --build --preset dev --target vek_screenshots"; exit 2; }
args=()
out=build/screenshots
scale=""
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out="$2"; shift 2 ;;
    --scale) scale="$2"; shift 2 ;;
    --size|--example) args+=("$1" "$2"); shift 2 ;;
    --dark) args+=("$1"); shift ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
done
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -n "$scale" ]; then
  export QT_SCALE_FACTOR="$scale"
fi
exec "$tool" --out "$out" "${args[@]}"
