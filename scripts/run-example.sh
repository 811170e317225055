#!/usr/bin/env bash
# Runs the engine on the bundled example model and shows where the report is
# and its net-impact average line. The report goes to build/example/, never
# into examples/. Usage: scripts/run-example.sh [model.vek] (default:
# examples/river_valley.vek); VEK_BUILD_DIR selects another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${VEK_BUILD_DIR:-build}"
vek="$build/bin/vek"
model="${1:-examples/river_valley.vek}"
if [ ! -x "$vek" ]; then
  echo "run-example: $vek not found; run scripts/setup.sh first" >&2
  exit 1
fi
if [ ! -f "$model" ]; then
  echo "run-example: no model file $model" >&2
  exit 1
fi
outdir="$build/example"
mkdir -p "$outdir"
name="$(basename "$model" .vek)"
# vek keeps names of up to 45 characters: run it beside copies with short names.
cp "$model" "$outdir/$name.vek"
status=0
vek_abs="$(cd "$(dirname "$vek")" && pwd)/vek"
(cd "$outdir" && "$vek_abs" "$name.vek" "$name.out") || status=$?
if [ "$status" -ne 0 ]; then
  echo "run-example: vek ended with status $status" >&2
  exit "$status"
fi
report="$outdir/$name.out"
echo "Report: $report"
# The last average row of the report is the net impact upon the stream.
echo "Net impact upon the stream, average year (acre-feet):"
grep -a '^YEAR' "$report" | tail -n 1 | tr -d '\r'
grep -a '^ AVG' "$report" | tail -n 1 | tr -d '\r'
