#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each for a while:
#   fuzz.sh [SECONDS_PER_TARGET [TARGET...]]
# (default 600 seconds, both targets: mardolin_fuzzer and pelquist_fuzzer).
# Each target starts from its seeds (fuzz/seeds/<target>) and the corpus
# earlier runs kept in build-fuzz/corpus/<target>; an input that breaks a
# promise, trips a sanitizer, runs over 30 seconds or leaks is written to
# build-fuzz/findings/<target>/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(mardolin_fuzzer pelquist_fuzzer)
directory=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$directory" -G Ninja -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DBUILD_APPS=OFF >/dev/null
cmake --build "$directory" -j "$(nproc)" --target "${targets[@]}"

status=0
for target in "${targets[@]}"; do
  corpus=$directory/corpus/$target
  findings=$directory/findings/$target
  log=$directory/$target.log
  mkdir -p "$corpus" "$findings"
  echo "=== $target, $seconds s ==="
  if ! "$directory/bin/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$corpus" "fuzz/seeds/$target" >"$log" 2>&1; then
    status=1
    grep -E '^\*\*\*|ERROR|SUMMARY|Test unit written' "$log" || tail -n 20 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1)
  echo "$target: ${runs:-?} executions, ${coverage:-no coverage line}, $(ls "$corpus" | wc -l) inputs in the corpus," \
       "$(ls "$findings" | wc -l) findings"
done
exit $status
