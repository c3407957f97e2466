#!/bin/sh
# "Convert in NTSC" (/n) against ffmpeg, side by side in one run, on one minute of PAL DV (a
# type 2 AVI made by dvgrab from ffmpeg's DV with recording dates and 48 kHz stereo sound):
# whole-process time and peak resident size (/usr/bin/time -v) of `camlog --batch /n` and of
#   ffmpeg -i IN -vf scale=720:480,fps=30000/1001 -pix_fmt yuv411p -c:v dvvideo -c:a pcm_s16le OUT.avi
# BUILD and RUNS: see side_by_side.sh.
. "$(dirname "$0")/side_by_side.sh"

bench_data reencode
pal_dv_minute testsrc2 "$data/minute.avi"
echo "one minute of PAL DV type 2 (1 500 frames) to NTSC, $runs runs each; load: $(cut -d' ' -f1-3 /proc/loadavg)"
side_by_side "$data/minute_ntsc.avi $data/ffmpeg.avi" "$(camlog_batch "/o=$data/minute.avi" /n)" \
    "ffmpeg -nostdin -y -i $data/minute.avi -vf scale=720:480,fps=30000/1001 -pix_fmt yuv411p -c:v dvvideo -c:a pcm_s16le $data/ffmpeg.avi"
echo "camlog wrote $(frames "$data/minute_ntsc.avi") frames, ffmpeg $(frames "$data/ffmpeg.avi")"
