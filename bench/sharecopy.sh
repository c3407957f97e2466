#!/bin/sh
# "Export a share copy" (/mp4) against ffmpeg, side by side in one run, on one minute of PAL DV
# (a type 2 AVI made by dvgrab from ffmpeg's DV with recording dates and 48 kHz stereo sound):
# whole-process time and peak resident size (/usr/bin/time -v) of `camlog --batch /mp4` and of
#   ffmpeg -i IN -vf bwdif=mode=send_field,scale=768:576,setsar=1 -c:v libx264 -preset medium
#          -crf 20 -c:a aac -b:a 192k OUT.mp4
# (camlog's copy also carries the subtitles, the chapters and the creation date).
# BUILD and RUNS: see side_by_side.sh.
. "$(dirname "$0")/side_by_side.sh"

bench_data sharecopy
pal_dv_minute testsrc2 "$data/minute.avi"
echo "one minute of PAL DV type 2 (1 500 frames) to an MP4 share copy, $runs runs each; load: $(cut -d' ' -f1-3 /proc/loadavg)"
side_by_side "$data/minute.mp4 $data/ffmpeg.mp4" "$(camlog_batch "/o=$data/minute.avi" /mp4)" \
    "ffmpeg -nostdin -y -i $data/minute.avi -vf bwdif=mode=send_field,scale=768:576,setsar=1 -c:v libx264 -preset medium -crf 20 -c:a aac -b:a 192k $data/ffmpeg.mp4"
echo "camlog wrote $(frames "$data/minute.mp4") pictures, ffmpeg $(frames "$data/ffmpeg.mp4")"
