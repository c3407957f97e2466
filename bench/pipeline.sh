#!/bin/sh
# Builds the pipeline benchmark, makes the 5-minute PAL tape of the datecode-scan benchmark
# (raw DV, type 1 and type 2 AVI, once), warms the page cache and runs every comparison in one run.
# BUILD names the build folder (default build-bench).
set -eu
cd "$(dirname "$0")/.."
build=${BUILD:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target camlog_bench_pipeline

data=build-bench/data
if [ ! -f "$data/tape.done" ]; then
    # The tape is made by the scan benchmark's script; run it once without measuring.
    bench/datecode_scan.sh --benchmark_filter=none >/dev/null
fi
cat "$data/tape.dv" "$data/type1.avi" "$data/type2.avi" > /dev/null
"$build/bench/camlog_bench_pipeline" "$data/tape.dv" "$data/type1.avi" "$data/type2.avi" "$data/pipeline-out"
