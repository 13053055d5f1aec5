#!/usr/bin/env bash
# A longer fuzzing campaign: builds the fuzz targets (build-fuzz, clang) and runs each in
# turn for SECONDS (default 600) from its seeds and the corpus that earlier runs kept.
# Usage: bash scripts/fuzz.sh [SECONDS] [TARGET...]
# Prints the executions of each target; a finding stops with the fuzzer's exit code and
# leaves the input as build-fuzz/tests/fuzz/corpus/TARGET-crash-* (or -leak-, -timeout-).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQM_FUZZ=ON -DQM_BUILD_STUBS=OFF -DQM_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(cd build-fuzz/bin && ls fuzz_*))
fi
fuzz=build-fuzz/tests/fuzz
for t in "${targets[@]}"; do
  mkdir -p "$fuzz/corpus/$t" "$fuzz/seeds/$t"
  seeds=("$fuzz/seeds/$t")
  [ -d "tests/fuzz/seeds/$t" ] && seeds+=("tests/fuzz/seeds/$t")
  log="$fuzz/$t.log"
  build-fuzz/bin/"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
    -artifact_prefix="$fuzz/corpus/$t-" "$fuzz/corpus/$t" "${seeds[@]}" >"$log" 2>&1 || {
    tail -40 "$log"; echo "$t: finding, see $log"; exit 1; }
  stat() { awk -v k="stat::$1:" '$1 == k { print $2 }' "$log"; }
  echo "$t: $(stat number_of_executed_units) executions in ${seconds} s, $(stat new_units_added) new inputs," \
       "coverage $(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')"
done
