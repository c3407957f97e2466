#!/bin/sh
# Opens 200 small DV AVI files as file objects and compares the rate with exiftool reading the
# same folder for DateTimeOriginal, in one run; every file object must show the right datecode.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target camlog_bench_file_object

data=build-bench/file_objects
export TZ=UTC
if [ ! -f "$data/done" ]; then
    rm -rf "$data"
    mkdir -p "$data/make" "$data/videos"
    # One second of PAL DV recorded 2024-05-01 10:00:00, wrapped by dvgrab as type 1 and type 2.
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=1" \
        -f lavfi -i "sine=frequency=440:duration=1:sample_rate=48000" -target pal-dv -f dv \
        -metadata creation_time="2024-05-01T10:00:00Z" "$data/make/clip.dv"
    for kind in 1 2; do
        tests/fixtures/dvgrab_wrap.sh "$data/make/clip.dv" type$kind "$data/make/type$kind.avi"
    done
    i=0
    while [ $i -lt 100 ]; do
        n=$(printf %03d $i)
        cp "$data/make/type1.avi" "$data/videos/clip$n-type1.avi"
        cp "$data/make/type2.avi" "$data/videos/clip$n-type2.avi"
        i=$((i + 1))
    done
    touch "$data/done"
fi
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
