#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy's checks) over the core sources: common/,
# model/, results/, geo/, vektool/ and python/, with the flags
# of the dev build (build/compile_commands.json; configure first). With file
# arguments checks only those. Exits 1 on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
db=build
[ -f "$db/compile_commands.json" ] || { echo "no $db/compile_commands.json: run cmake --preset dev"; exit 2; }
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files 'common/*.cpp' 'model/*.cpp' 'results/*.cpp' 'geo/*.cpp' 'vektool/*.cpp' 'python/*.cpp')
fi
status=0
for f in "${files[@]}"; do
  clang-tidy -p "$db" --quiet "$f" 2>/dev/null || { echo "clang-tidy: findings in $f"; status=1; }
done
[ $status -eq 0 ] && echo "clang-tidy: ${#files[@]} files clean"
exit $status
