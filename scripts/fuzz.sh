#!/bin/bash
# Builds the fuzz target of the loader and the runner with clang (libFuzzer, ASan, UBSan) and runs
# it for SECONDS (default 60) on a copy of the seed corpus in tests/fuzz/corpus; new inputs stay
# in build/fuzz/corpus, a crashing one in build/fuzz/ (keep it in tests/fuzz/corpus once fixed).
# Prints "fuzz: N executions in S s, C crashes".
set -u -o pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${TARN_FUZZ_BUILD:-$root/build/fuzz}
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_TESTS=OFF -DTARN_FUZZ=ON >"$build.log" 2>&1 &&
  cmake --build "$build" -j2 --target runner_fuzz >>"$build.log" 2>&1 ||
  { tail -20 "$build.log"; echo "fuzz: the build failed"; exit 1; }
mkdir -p "$build/corpus"
cp -n "$root"/tests/fuzz/corpus/* "$build/corpus/"
cd "$build"
"$build/runner_fuzz" -max_total_time="$seconds" -dict="$root/tests/fuzz/info.dict" \
  -max_len=1024 -timeout=10 -print_final_stats=1 "$build/corpus" >"$build/run.log" 2>&1
status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/run.log")
crashes=$(ls "$build"/crash-* "$build"/leak-* "$build"/timeout-* 2>/dev/null | wc -l)
echo "fuzz: ${runs:-0} executions in $seconds s, $crashes crashes"
[ $status -eq 0 ] && [ "$crashes" -eq 0 ] || { grep -m5 -A15 'ERROR\|==ERROR' "$build/run.log"; exit 1; }
