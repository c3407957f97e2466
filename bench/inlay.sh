#!/bin/sh
# "Inlay in the video" against ffmpeg, side by side in one run, on one minute of PAL DV type 2
# (a dvgrab wrap of a recording with its datecode): whole-process time and peak resident size
# (/usr/bin/time -v) of `camlog --batch /i` (the date and the time drawn permanently in two
# lines with a 2-pixel border, re-encoded into DV with the camera's data kept) and of
#   ffmpeg -i IN -vf "drawtext=(date),drawtext=(time)" -pix_fmt yuv420p -c:v dvvideo
#          -c:a pcm_s16le OUT.avi
# BUILD names the build folder holding the camlog program (default build); RUNS the number of
# runs of each (default 3, the best kept).
set -eu
cd "$(dirname "$0")/.."
build=${BUILD:-build}
runs=${RUNS:-3}
cmake --build "$build" --target camlog >/dev/null
camlog=$(pwd)/$build/app/camlog

data=$build/bench-data/inlay
mkdir -p "$data/home/.config/Ovrand"
if [ ! -f "$data/minute.done" ]; then
    TZ=UTC ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=60" \
        -f lavfi -i "sine=frequency=440:duration=60:sample_rate=48000" -target pal-dv -f dv \
        -metadata creation_time="2024-05-01T10:00:00Z" "$data/minute.dv"
    tests/fixtures/dvgrab_wrap.sh "$data/minute.dv" type2 "$data/minute.avi" 120
    rm -f "$data/minute.dv"
    touch "$data/minute.done"
fi
cat "$data/minute.avi" > /dev/null
printf '[\\Software\\Ovrand\\Camlog]\r\nExename=%s\r\nWhen Incrust=0\r\nformatdate1=dd/mm/yyyy\r\nformatdate2=hh:nn:ss\r\n' \
    "$(readlink -f "$camlog")" > "$data/home/.config/Ovrand/Camlog.ini"

# measure NAME COMMAND...: prints "NAME seconds peak-MB" for the best of the runs.
measure() {
    name=$1
    shift
    best=""
    i=0
    while [ $i -lt "$runs" ]; do
        rm -f "$data/minute_in.avi" "$data/ffmpeg.avi"
        /usr/bin/time -v -o "$data/time.txt" "$@" >/dev/null 2>&1
        wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$data/time.txt" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$data/time.txt")
        if [ -z "$best" ] || awk "BEGIN { exit !($wall < $best) }"; then
            best=$wall
            bestRss=$rss
        fi
        i=$((i + 1))
    done
    printf '%-8s %8.2f s %8.1f MB peak\n' "$name" "$best" "$(echo "$bestRss" | awk '{ print $1 / 1024 }')"
}

echo "one minute of PAL DV type 2 (1 500 frames), date and time burnt in, re-encoded to DV (best of $runs)"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
measure camlog env HOME="$(pwd)/$data/home" XDG_CONFIG_HOME="$(pwd)/$data/home/.config" \
    "$camlog" --batch --yes "/o=$data/minute.avi" /i
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 \
    "$data/minute_in.avi" 2>/dev/null || echo "?")
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
text="fontfile=$font:fontsize=28:fontcolor=white:borderw=2:bordercolor=black:x=w*0.92-tw:y"
measure ffmpeg ffmpeg -nostdin -y -i "$data/minute.avi" \
    -vf "drawtext=$text=h*0.92-56:text='%{pts\\:gmtime\\:1714557600\\:%d/%m/%Y}',drawtext=$text=h*0.92-28:text='%{pts\\:gmtime\\:1714557600\\:%H\\\\\\:%M\\\\\\:%S}'" \
    -pix_fmt yuv420p -c:v dvvideo -c:a pcm_s16le "$data/ffmpeg.avi"
echo "camlog wrote $frames frames"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
