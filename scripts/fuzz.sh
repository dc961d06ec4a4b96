#!/bin/bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each for SECONDS (default
# 60) on a copy of its seeds: runner_fuzz, the loader and the runner, on tests/fuzz/corpus;
# pe_fuzz, the PE reader and the DLL search, on tests/fuzz/seeds; and baseline_fuzz, the reader of
# a good PC's report (/baseline), on tests/fuzz/baseline/seeds. New inputs stay in
# build/fuzz/TARGET-corpus, a crashing one in build/fuzz/TARGET-crash-* (keep it among the seeds
# once fixed). SECONDS 0 runs each target once over its seeds alone, and stops.
# Prints a line a target, then "fuzz: N executions in S s, C crashes" for all.
set -u -o pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${TARN_FUZZ_BUILD:-$root/build/fuzz}
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_TESTS=OFF -DTARN_FUZZ=ON >"$build.log" 2>&1 &&
  cmake --build "$build" -j2 --target runner_fuzz pe_fuzz baseline_fuzz >>"$build.log" 2>&1 ||
  { tail -20 "$build.log"; echo "fuzz: the build failed"; exit 1; }
cd "$build"
all_runs=0 all_crashes=0 failed=0 start=$SECONDS

# fuzz TARGET SEEDS MAX_LEN [FLAG...]: runs one target; only the crashes of this run count.
fuzz() {
  local target=$1 seeds=$root/tests/fuzz/$2 max_len=$3 corpus=$build/$1-corpus began=$SECONDS
  shift 3
  if [ "$seconds" -eq 0 ]; then
    set -- "$@" -runs=0 "$seeds"
  else
    mkdir -p "$corpus" && cp -n "$seeds"/* "$corpus/"
    set -- "$@" -max_total_time="$seconds" "$corpus"
  fi
  touch "$build/$target.start"
  "$build/$target" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/$target-" "$@" >"$build/$target.log" 2>&1
  local status=$? runs crashes
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$target.log")
  crashes=$(find "$build" -maxdepth 1 -newer "$build/$target.start" -name "$target-*" \
    \( -name '*-crash-*' -o -name '*-leak-*' -o -name '*-timeout-*' \) | wc -l)
  echo "$target: ${runs:-0} executions in $((SECONDS - began)) s, $crashes crashes"
  if [ $status -ne 0 ] || [ "$crashes" -ne 0 ]; then
    failed=1
    grep -m5 -A15 'ERROR\|==ERROR\|deadly signal' "$build/$target.log"
  fi
  all_runs=$((all_runs + ${runs:-0})) all_crashes=$((all_crashes + crashes))
}

fuzz runner_fuzz corpus 1024 -dict="$root/tests/fuzz/info.dict"
fuzz pe_fuzz seeds 65536
fuzz baseline_fuzz baseline/seeds 8192 -dict="$root/tests/fuzz/baseline.dict"
echo "fuzz: $all_runs executions in $((SECONDS - start)) s, $all_crashes crashes"
exit $failed
