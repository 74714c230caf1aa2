#!/usr/bin/env bash
# Builds and runs the speed benchmark (Release, one thread), prints the table
# of medians with each figure's ratio to its anchor, and writes the table and
# the same as a bar chart to bench/results/. OpenCV and libyuv anchors are
# measured when libopencv-dev and libyuv-dev are installed.
#   bench.sh [Google Benchmark options, e.g. --benchmark_filter=oldBWTV]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
directory=${BENCH_BUILD_DIRECTORY:-build-bench}
bash scripts/build.sh "$directory" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=ON
mkdir -p bench/results
"$directory/bin/mardolin_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out=bench/results/speed.csv --benchmark_out_format=csv "$@"
"$directory/bin/speed_report" bench/results/speed.csv bench/results/speed-chart.png | tee bench/results/speed-table.md
echo "Chart: $(pwd)/bench/results/speed-chart.png"
