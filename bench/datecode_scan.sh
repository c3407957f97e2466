#!/bin/sh
# Builds the scan benchmark, generates a 5-minute PAL tape (7 500 frames, about 1.1 GB) as raw
# DV, type 1 and type 2 AVI (once), warms the page cache and runs the comparison in one run.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target camlog_bench_scan

data=build-bench/data
mkdir -p "$data"
export TZ=UTC
if [ ! -f "$data/tape.done" ]; then
    # Five one-minute recordings with datecode breaks between them.
    rm -f "$data"/rec*.dv
    for i in 0 1 2 3 4; do
        ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=60" \
            -f lavfi -i "sine=frequency=440:duration=60:sample_rate=48000" -target pal-dv -f dv \
            -metadata creation_time="2024-05-0$((i + 1))T10:00:00Z" "$data/rec$i.dv"
    done
    cat "$data"/rec0.dv "$data"/rec1.dv "$data"/rec2.dv "$data"/rec3.dv "$data"/rec4.dv > "$data/tape.dv"
    rm -f "$data"/rec*.dv
    for kind in 1 2; do
        tests/fixtures/dvgrab_wrap.sh "$data/tape.dv" type$kind "$data/type$kind.avi" 300
    done
    touch "$data/tape.done"
fi
cat "$data/tape.dv" "$data/type1.avi" "$data/type2.avi" > /dev/null
build-bench/bench/camlog_bench_scan "$@" "$data/tape.dv" "$data/type1.avi" "$data/type2.avi"
