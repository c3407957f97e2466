#!/bin/sh
# The preview player on the 5-minute PAL tape (type 1 and type 2 wraps by dvgrab) and 2 minutes of NTSC
# against `ffmpeg -f null` decoding the same file in one run: pictures per second made one
# after the other, the time of a one-frame step, and real-time playback: the pictures shown
# must keep up with the clock (no picture skipped), and a step must be ready within one frame's
# time (40 ms), and resident memory stays flat while playing. PLAY_SECONDS: length of the play (20).
# CAMLOG_BENCH_BUILD names the build folder (default build-bench).
set -eu
cd "$(dirname "$0")/.."
build=${CAMLOG_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target camlog_bench_preview
data=$build/tape
bench/make_tape.sh "$data"
# Two minutes of NTSC beside the PAL tape, wrapped by ffmpeg's AVI writer.
if [ ! -f "$data/ntsc-type2.avi" ]; then
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x480:rate=30000/1001:duration=120" \
        -f lavfi -i "sine=frequency=440:duration=120:sample_rate=48000" -target ntsc-dv -f dv \
        -metadata creation_time=2024-05-01T10:00:00Z "$data/ntsc.dv"
    ffmpeg -nostdin -v error -y -f dv -i "$data/ntsc.dv" -c copy -f avi "$data/ntsc-type2.avi"
    rm -f "$data/ntsc.dv"
fi
status=0
for entry in type1.avi:25 type2.avi:25 ntsc-type2.avi:29.97; do
    file=$data/${entry%%:*} rate=${entry##*:}
    cat "$file" > /dev/null # both start from a warm page cache
    start=$(date +%s.%N)
    frames=$(ffmpeg -nostdin -v error -i "$file" -map 0:v -f null - -progress - 2>/dev/null | sed -n 's/^frame=//p' | tail -1)
    ffmpeg_s=$(echo "$(date +%s.%N) - $start" | bc)
    set -- $("$build"/bench/camlog_bench_preview "$file" "$rate" "${PLAY_SECONDS:-20}")
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
