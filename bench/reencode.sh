#!/bin/sh
# "Convert in NTSC" against ffmpeg, side by side in one run, on one minute of PAL DV (a type 2
# AVI made by dvgrab from ffmpeg's DV with recording dates and 48 kHz stereo sound):
# whole-process time and peak resident size (/usr/bin/time) of `camlog --batch /n` and of
#   ffmpeg -i IN -vf scale=720:480,fps=30000/1001 -pix_fmt yuv411p -c:v dvvideo -c:a pcm_s16le OUT.avi
# BUILD names the build folder holding the camlog program (default build); RUNS the number of
# runs of each (default 3, the best kept).
set -eu
cd "$(dirname "$0")/.."
build=${BUILD:-build}
runs=${RUNS:-3}
cmake --build "$build" --target camlog >/dev/null
camlog=$(pwd)/$build/app/camlog

data=$build/bench-data/reencode
mkdir -p "$data/home"
if [ ! -f "$data/minute.done" ]; then
    TZ=UTC ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=720x576:rate=25:duration=60" \
        -f lavfi -i "sine=frequency=440:duration=60:sample_rate=48000" -target pal-dv -f dv \
        -metadata creation_time="2024-05-01T10:00:00Z" "$data/minute.dv"
    tests/fixtures/dvgrab_wrap.sh "$data/minute.dv" type2 "$data/minute.avi" 60
    rm -f "$data/minute.dv"
    touch "$data/minute.done"
fi
cat "$data/minute.avi" > /dev/null

# measure NAME COMMAND...: prints "NAME seconds peak-MB" for the best of the runs.
measure() {
    name=$1
    shift
    best=""
    i=0
    while [ $i -lt "$runs" ]; do
        rm -f "$data/minute_ntsc.avi" "$data/ffmpeg.avi"
        /usr/bin/time -v -o "$data/time.txt" "$@" >/dev/null 2>&1
        wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$data/time.txt" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$data/time.txt")
        if [ -z "$best" ] || awk "BEGIN { exit !($wall < $best) }"; then
            best=$wall
            bestRss=$rss
        fi
        i=$((i + 1))
    done
    printf '%-8s %8.2f s %8.1f MB peak %8.0f frames/s\n' "$name" "$best" "$(echo "$bestRss" | awk '{ print $1 / 1024 }')" \
        "$(awk "BEGIN { print 1500 / $best }")"
}

echo "one minute of PAL DV type 2 (1500 frames) to NTSC (best of $runs; load: $(cut -d' ' -f1-3 /proc/loadavg))"
measure camlog env HOME="$(pwd)/$data/home" XDG_CONFIG_HOME="$(pwd)/$data/home/.config" \
    "$camlog" --batch --yes "/o=$data/minute.avi" /n
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 \
    "$data/minute_ntsc.avi" 2>/dev/null || echo "?")
measure ffmpeg ffmpeg -nostdin -y -i "$data/minute.avi" -vf scale=720:480,fps=30000/1001 -pix_fmt yuv411p \
    -c:v dvvideo -c:a pcm_s16le "$data/ffmpeg.avi"
echo "camlog wrote $frames frames"
