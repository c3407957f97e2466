#!/bin/sh
# The preview player on the 5-minute PAL tape (type 1 and OpenDML-sized type 2 wraps by dvgrab)
# against `ffmpeg -f null` decoding the same file in one run: pictures per second made one
# after the other, the time of a one-frame step, and real-time playback: the pictures shown
# must keep up with the clock (no picture skipped), and a step must be ready within one frame's
# time (40 ms).
# CAMLOG_BENCH_BUILD names the build folder (default build-bench).
set -eu
cd "$(dirname "$0")/.."
build=${CAMLOG_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target camlog_bench_preview
data=$build/tape
bench/make_tape.sh "$data"
status=0
for file in "$data/type1.avi" "$data/type2.avi"; do
    cat "$file" > /dev/null # both start from a warm page cache
    start=$(date +%s.%N)
    frames=$(ffmpeg -nostdin -v error -i "$file" -map 0:v -f null - -progress - 2>/dev/null | sed -n 's/^frame=//p' | tail -1)
    ffmpeg_s=$(echo "$(date +%s.%N) - $start" | bc)
    set -- $("$build"/bench/camlog_bench_preview "$file" 25 "${PLAY_SECONDS:-20}")
    awk -v f="$(basename "$file")" -v frames="$frames" -v ff="$ffmpeg_s" -v open="$1" -v med="$2" -v max="$3" \
        -v seq="$4" -v asked="$5" -v shown="$6" -v early="$7" -v late="$8" 'BEGIN {
        printf "%s\n", f
        printf "  ffmpeg -f null decoding        %8.1f frames/s (%d frames)\n", frames / ff, frames
        printf "  preview, one after the other   %8.1f frames/s\n", seq
        printf "  opening                        %8.4f s\n", open
        printf "  one-frame step                 %8.2f ms median, %.2f ms at most\n", med, max
        printf "  real-time play                 %8d shown of %d the clock asked for\n", shown, asked
        printf "  resident memory while playing  %8d kB after 2 s, %d kB at the end\n", early, late
        exit !(med <= 40 && shown >= asked - 2 && late - early < 20000)
    }' || status=1
done
exit $status
