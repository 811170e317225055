#!/bin/sh
# Runs N random decks through a vek binary and through the reference model in
# tools/vek_reference.py and compares report bytes, console lines and exit
# status. Dev tool, not part of CI.
# Usage: tools/crosscheck.sh VEK_BINARY [N [FIRST_SEED [big]]]
# "big" makes runs of 40 to 110 years with many locations (slow reference).
# vek's own environment passes through, e.g. VEK_SUPERPOSITION=reference or
# VEK_THREADS=1 to check its other computations.
set -u
vek=$(realpath "$1")
n=${2:-100}
seed=${3:-1}
size=${4:-}
ref="$(dirname "$(realpath "$0")")/vek_reference.py"
work=$(mktemp -d)
fail=0
i=0
while [ "$i" -lt "$n" ]; do
    s=$((seed + i))
    python3 "$ref" --random-deck "$s" "$work/deck.vek" $size
    python3 "$ref" "$work/deck.vek" "$work/ref.out" >"$work/ref.con"
    echo "status $?" >>"$work/ref.con"
    (cd "$work" && "$vek" deck.vek vek.out >vek.con 2>&1; echo "status $?" >>vek.con)
    # Failure lines only need to agree on holding "run-time error".
    sed -i 's/.*run-time error.*/run-time error/' "$work/ref.con" "$work/vek.con"
    if ! cmp -s "$work/ref.out" "$work/vek.out" || ! cmp -s "$work/ref.con" "$work/vek.con"; then
        fail=$((fail + 1))
        mkdir -p "$work/fail-$s"
        cp "$work/deck.vek" "$work/ref.out" "$work/vek.out" "$work/ref.con" "$work/vek.con" "$work/fail-$s/"
        echo "seed $s: differs (kept in $work/fail-$s)"
    fi
    i=$((i + 1))
done
echo "$n decks, $fail differing; work folder $work"
[ "$fail" -eq 0 ]
