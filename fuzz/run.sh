#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a
# given number of seconds, two at a time, niced.
#   fuzz/run.sh [seconds] [target ...]     (default 60 s, every target)
# Targets: engine_deck input_file well_file tab_delimited output_results.
# Corpora grow in build-fuzz/corpus/<target>/ (seeded from tests/data/);
# findings land in build-fuzz/findings/<target>/. A finding, once fixed, is
# copied to tests/data/fuzz-regressions/<target>/ so that CTest replays it.
# Logs: build-fuzz/logs/<target>.log (the last line has the execution count).
# VEK_FUZZ_JOBS sets how many run at once (default 2). VEK_FUZZ_FRESH=1 starts
# from the committed corpus alone (CI does): the corpora of earlier runs are
# dropped first.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(engine_deck input_file well_file tab_delimited output_results)
jobs="${VEK_FUZZ_JOBS:-2}"

# clang and its libFuzzer runtime are needed here only, not for the normal build.
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

out=build-fuzz
flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S . -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DVEK_BUILD_GUI=OFF -DVEK_BUILD_TESTS=OFF -DVEK_BUILD_BENCH=OFF -DVEK_BUILD_PYTHON=OFF -DVEK_BUILD_FUZZERS=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
nice cmake --build "$out" --target "${build_targets[@]}" -j"$jobs"

# Seed corpus: the fixtures each reader is meant for, plus the kept findings.
seed() {
  local t="$1"; shift
  local dir="$out/corpus/$t"
  mkdir -p "$dir"
  local f
  for f in "$@"; do
    [ -f "$f" ] && cp -n "$f" "$dir/$(basename "$(dirname "$f")")_$(basename "$f")"
  done
  if [ -d "tests/data/fuzz-regressions/$t" ]; then
    for f in tests/data/fuzz-regressions/"$t"/*; do
      [ -f "$f" ] && cp -n "$f" "$dir/regression_$(basename "$f")"
    done
  fi
  return 0
}
shopt -s nullglob
if [ "${VEK_FUZZ_FRESH:-0}" = 1 ]; then
  for t in "${targets[@]}"; do rm -rf "$out/corpus/$t" "$out/findings/$t"; done
fi
for t in "${targets[@]}"; do
  case "$t" in
    engine_deck)    seed "$t" tests/data/engine/*.vek tests/data/model/*.vek tests/data/results/*.vek examples/*.vek ;;
    input_file)     seed "$t" tests/data/model/*.vek tests/data/engine/*.vek tests/data/imports/*.txt examples/*.vek ;;
    well_file)      seed "$t" tests/data/imports/*.owl tests/data/shell/*.owl ;;
    tab_delimited)  seed "$t" tests/data/imports/*.txt ;;
    output_results) seed "$t" tests/data/results/*.out tests/data/engine/*.out tests/data/viewer/*.out ;;
    *) echo "run.sh: unknown target $t" >&2; exit 2 ;;
  esac
done

# Per-target limits: the engine computes up to 400 years per location, so its
# inputs are kept short and its time-out is longer.
max_len() { case "$1" in engine_deck) echo 4096 ;; *) echo 8192 ;; esac; }
timeout_s() { case "$1" in engine_deck) echo 60 ;; *) echo 20 ;; esac; }

mkdir -p "$out/logs"
run_one() {
  local t="$1"
  local findings="$out/findings/$t"
  mkdir -p "$findings"
  ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  nice "$out/bin/fuzz_$t" "$out/corpus/$t" \
    -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout="$(timeout_s "$t")" \
    -rss_limit_mb=1024 -malloc_limit_mb=512 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$out/logs/$t.log" 2>&1
}

status=0
running=0
pids=()
names=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!); names+=("$t")
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
done
wait || status=1

for t in "${targets[@]}"; do
  log="$out/logs/$t.log"
  runs=$(grep -a 'stat::number_of_executed_units' "$log" | awk '{print $2}' | tail -n 1)
  # crash-, leak-, oom- and timeout- files are faults; slow-unit- files are
  # inputs that took over 10 s, worth a look but not failures.
  found=$(ls "$out/findings/$t" 2>/dev/null | grep -vc '^slow-unit-' || true)
  slow=$(ls "$out/findings/$t" 2>/dev/null | grep -c '^slow-unit-' || true)
  echo "$t: ${runs:-?} executions, $found finding(s), $slow slow input(s) (log: $log)"
  [ "$found" -eq 0 ] || status=1
done
exit "$status"
