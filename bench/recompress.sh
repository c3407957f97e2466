#!/bin/sh
# "Recompress into DV type 2" (/g) against ffmpeg, side by side in one run, on one minute of
# MPEG-4 at 640x480 and 25 fps with 48 kHz stereo PCM sound: whole-process time and peak
# resident size (/usr/bin/time -v) of `camlog --batch /g` and of
#   ffmpeg -i IN -vf scale=720:576 -pix_fmt yuv420p -c:v dvvideo -c:a pcm_s16le OUT.avi
# BUILD and RUNS: see side_by_side.sh.
. "$(dirname "$0")/side_by_side.sh"

bench_data recompress
if [ ! -f "$data/minute.done" ]; then
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=640x480:rate=25:duration=60" \
        -f lavfi -i "sine=frequency=440:duration=60:sample_rate=48000" -ac 2 \
        -c:v mpeg4 -q:v 4 -c:a pcm_s16le -f avi "$data/minute.avi"
    touch "$data/minute.done"
fi
cat "$data/minute.avi" >/dev/null
echo "one minute of MPEG-4 640x480 25 fps to DV type 2 PAL 4:3 48 kHz, $runs runs each; load: $(cut -d' ' -f1-3 /proc/loadavg)"
side_by_side "$data/minute_dvtype2.avi $data/ffmpeg.avi" "$(camlog_batch "/o=$data/minute.avi" /g)" \
    "ffmpeg -nostdin -y -i $data/minute.avi -vf scale=720:576 -pix_fmt yuv420p -c:v dvvideo -c:a pcm_s16le $data/ffmpeg.avi"
echo "camlog wrote $(frames "$data/minute_dvtype2.avi") frames, ffmpeg $(frames "$data/ffmpeg.avi")"
