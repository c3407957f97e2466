#!/bin/sh
# Reading files that are not in memory (every file's pages evicted before each run), in one run:
# the datecode scan of the 5-minute tape as raw DV, type 1 and type 2 against cat and the
# 480-byte headers read one by one, and the opening of a folder of 20 tapes (real copies: hard
# links would share their pages) and of a folder of 1 000 small files against exiftool; then the
# same with the files in memory. ROUNDS (default 3) runs of each way.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target camlog_bench_cold_read

data=build-bench/data
bench/make_tape.sh "$data"
# The tapes' folder: the first 20 seconds of the tape (the probe reads only the start of a file),
# wrapped as type 1 and type 2, ten copies of each.
tapes=build-bench/cold_tapes
if [ ! -f "$tapes/done" ]; then
    rm -rf "$tapes"
    mkdir -p "$tapes/make" "$tapes/videos"
    head -c $((500 * 144000)) "$data/tape.dv" > "$tapes/make/start.dv"
    for kind in 1 2; do
        tests/fixtures/dvgrab_wrap.sh "$tapes/make/start.dv" type$kind "$tapes/make/type$kind.avi" 120
        for i in 0 1 2 3 4 5 6 7 8 9; do
            cp "$tapes/make/type$kind.avi" "$tapes/videos/tape$i-type$kind.avi"
        done
    done
    rm -rf "$tapes/make"
    touch "$tapes/done"
fi
bench/make_dv_folder.sh build-bench/file_list 0.12 500

build-bench/bench/camlog_bench_cold_read "$data/tape.dv" "$data/type1.avi" "$data/type2.avi" \
    "$tapes/videos" build-bench/file_list/videos "${ROUNDS:-3}"
