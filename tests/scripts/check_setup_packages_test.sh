#!/usr/bin/env bash
# Runs scripts/check-setup-packages.sh on a built tree twice: with the set-up
# list as it is (must pass) and with a copy that lacks libqt6opengl6-dev (must
# fail, naming that package and nothing else).
set -uo pipefail
build="$1"
top="$(cd "$(dirname "$0")/../.." && pwd)"
checker="$top/scripts/check-setup-packages.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail=0

if ! "$checker" "$build" >"$scratch/full.txt" 2>&1; then
  echo "FAIL: the checker does not pass with scripts/packages.txt:"; cat "$scratch/full.txt"; fail=1
fi

grep -v '^libqt6opengl6-dev\b' "$top/scripts/packages.txt" >"$scratch/packages.txt"
"$checker" --packages "$scratch/packages.txt" "$build" >"$scratch/cut.txt" 2>&1
status=$?
named="$(sed -n '/nor pulled in by it:$/,$p' "$scratch/cut.txt" | sed -n 's/^  \([^ ]*\) .*/\1/p')"
if [ $status -ne 1 ] || [ "$named" != "libqt6opengl6-dev" ]; then
  echo "FAIL: without libqt6opengl6-dev the checker gave status $status and named '${named//$'\n'/ }':"
  cat "$scratch/cut.txt"; fail=1
fi

[ $fail -eq 0 ] && echo "check-setup-packages: passes with the list, names libqt6opengl6-dev without it"
exit $fail
