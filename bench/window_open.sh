#!/bin/sh
# Opens a folder of 1000 small DV AVI files in the window and through the list model alone, in
# one run; the window must add no more than 20 % until its last entry is shown and it answers.
# Runs on the display when there is one, else on Qt's offscreen platform.
# CAMLOG_BENCH_BUILD names the build folder (default build-bench).
set -eu
cd "$(dirname "$0")/.."
build=${CAMLOG_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target camlog_bench_window_open

data=$build/file_list
export TZ=UTC
bench/make_dv_folder.sh "$data" 0.12 500
folder="$data/videos"
cat "$folder"/* > /dev/null # both ways start from a warm page cache

set -- $("$build"/bench/camlog_bench_window_open "$folder" "${ROUNDS:-5}")
files=$1 model=$2 window=$3 shown=$4 ratio=$5
awk -v files="$files" -v model="$model" -v window="$window" -v shown="$shown" -v ratio="$ratio" 'BEGIN {
    printf "files in folder                 %d\n", files
    printf "list model alone                %10.1f files/s  (%.4f s, best round)\n", files / model, model
    printf "window, last entry shown        %10.1f files/s  (%.4f s, best round, %d entries)\n", files / window, window, shown
    printf "window overhead                 %10.1f %%  (median of the rounds; at most 20 %%)\n", (ratio - 1) * 100
    exit !(ratio <= 1.2 && shown == files)
}'
