#!/bin/sh
# Opens a folder of 1000 small DV AVI files through the file list (background thread, entries
# handed to the caller's thread) and builds the same file objects one by one, in one run; the
# list must add no more than 20 % and every entry must show the right datecode.
# CAMLOG_BENCH_BUILD names the build folder (default build-bench).
set -eu
cd "$(dirname "$0")/.."
build=${CAMLOG_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target camlog_bench_file_list

data=$build/file_list
export TZ=UTC
bench/make_dv_folder.sh "$data" 0.12 500
folder="$data/videos"
cat "$folder"/* > /dev/null # both ways start from a warm page cache

set -- $("$build"/bench/camlog_bench_file_list "$folder" "2024:05:01 10:00:00" "${ROUNDS:-9}")
files=$1 objects=$2 list=$3 listed=$4 wrong=$5 call=$6 wall=$7 cpu=$8

# The limit holds for the wall-clock rate; the CPU figure shows what the list costs when the
# machine is shared and the scheduler's delays blur the wall clock.
awk -v files="$files" -v objects="$objects" -v list="$list" -v listed="$listed" -v wrong="$wrong" \
    -v call="$call" -v wall="$wall" -v cpu="$cpu" 'BEGIN {
    printf "files in folder                 %d\n", files
    printf "file objects one by one         %10.1f files/s  (%d files in %.4f s, best round)\n", files / objects, files, objects
    printf "file list, folder opening       %10.1f files/s  (%d entries in %.4f s, best round, %d wrong datecodes)\n", files / list, listed, list, wrong
    printf "list overhead, wall clock       %10.1f %%  (median of the rounds; at most 20 %%)\n", (wall - 1) * 100
    printf "list overhead, CPU time         %10.1f %%  (median of the rounds)\n", (cpu - 1) * 100
    printf "opening call returned after     %10.1f us  (longest)\n", call * 1e6
    exit !(wall <= 1.2 && wrong == 0 && listed == files)
}'
