#!/usr/bin/env bash
# Checks that the C++ sources are formatted as .clang-format says. With file
# arguments checks only those; without, every tracked .cpp and .h file.
# Prints the files that differ and exits 1 when there are any. To fix a file:
# clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
fi
bad=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${bad[@]}"
  echo "${#bad[@]} of ${#files[@]} files differ from .clang-format (clang-format -i FILE)"
  exit 1
fi
echo "all ${#files[@]} files formatted"
