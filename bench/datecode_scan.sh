#!/bin/sh
# Builds the scan benchmark, generates a 5-minute PAL tape (7 500 frames, about 1.1 GB) as raw
# DV, type 1 and type 2 AVI (once), warms the page cache and runs the comparison in one run.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target camlog_bench_scan

data=build-bench/data
bench/make_tape.sh "$data"
cat "$data/tape.dv" "$data/type1.avi" "$data/type2.avi" > /dev/null
build-bench/bench/camlog_bench_scan "$@" "$data/tape.dv" "$data/type1.avi" "$data/type2.avi"
