#!/bin/sh
# Opens 200 small DV AVI files as file objects and compares the rate with exiftool reading the
# same folder for DateTimeOriginal, in one run; every file object must show the right datecode.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target camlog_bench_file_object

data=build-bench/file_objects
export TZ=UTC
bench/make_dv_folder.sh "$data" 1 100
folder="$data/videos"
count=$(ls "$folder" | wc -l)
cat "$folder"/* > /dev/null # both readers start from a warm page cache

set -- $(build-bench/bench/camlog_bench_file_object "$folder" "2024:05:01 10:00:00" 3)
files=$1 ours=$2 wrong=$3

start=$(date +%s.%N)
exif_dates=$(exiftool -DateTimeOriginal -q -r "$folder" | grep -c "Date/Time Original" || true)
end=$(date +%s.%N)

awk -v n="$count" -v ours="$ours" -v s="$start" -v e="$end" -v wrong="$wrong" -v files="$files" -v exifdates="$exif_dates" 'BEGIN {
    exif = e - s
    printf "files in folder                 %d\n", n
    printf "camlog file objects             %10.1f files/s  (%d files in %.4f s, %d wrong datecodes)\n", files / ours, files, ours, wrong
    printf "exiftool -DateTimeOriginal -r   %10.1f files/s  (%d files in %.4f s, %d dates found)\n", n / exif, n, exif, exifdates
    printf "ratio                           %10.1f x\n", (files / ours) / (n / exif)
}'
[ "$wrong" = 0 ]
