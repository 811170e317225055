#!/bin/sh
# vektool run on a model in a folder whose name holds a blank, a quote, &, %,
# ^ and non-ASCII letters: the engine gets the names unchanged and the report
# appears beside the model. A double quote cannot be part of a Windows file
# name, so the quote here is a single one.
# usage: run_awkward_folder.sh RUNNER VEKTOOL MODEL WORKDIR
set -eu
runner="$1" vektool="$2" model="$3" work="$4"
dir="$work/a b'&%^ é ünï"
rm -rf "$work"
mkdir -p "$dir"
cp "$model" "$dir/model.vek"
out=$(cd "$work" && "$runner" "$vektool" run "$dir/model.vek")
echo "vektool run printed: $out"
test -s "$dir/model.out" || { echo "no report in $dir"; ls -la "$dir"; exit 1; }
head -c 200 "$dir/model.out" | grep -q . || exit 1
echo "report: $(wc -c < "$dir/model.out") bytes"
