#!/bin/sh
# "Inlay in the video" (/i) against ffmpeg, side by side in one run, on one minute of PAL DV (a
# type 2 AVI made by dvgrab from ffmpeg's DV with recording dates and 48 kHz stereo sound): the
# date and the time burnt in permanently, against ffmpeg with two drawtext lines (the same
# formats, white with a black border, near the bottom right corner) and a DV encode.
# BUILD and RUNS: see side_by_side.sh.
. "$(dirname "$0")/side_by_side.sh"

bench_data inlay
mkdir -p "$data/home/.config/Ovrand"
pal_dv_minute testsrc "$data/minute.avi"
printf '[\\Software\\Ovrand\\Camlog]\r\nExename=%s\r\nWhen Incrust=0\r\nformatdate1=dd/mm/yyyy\r\nformatdate2=hh:nn:ss\r\n' \
    "$camlog" >"$data/home/.config/Ovrand/Camlog.ini"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
text="fontfile=$font:fontsize=28:fontcolor=white:borderw=2:bordercolor=black:x=w*0.92-tw:y"
date="drawtext=$text=h*0.92-56:text='%{pts\\:gmtime\\:1714557600\\:%d/%m/%Y}'"
time="drawtext=$text=h*0.92-28:text='%{pts\\:gmtime\\:1714557600\\:%H\\\\\\:%M\\\\\\:%S}'"
echo "one minute of PAL DV type 2 (1 500 frames), date and time burnt in, $runs runs each; load: $(cut -d' ' -f1-3 /proc/loadavg)"
side_by_side "$data/minute_in.avi $data/ffmpeg.avi" "$(camlog_batch "/o=$data/minute.avi" /i)" \
    "ffmpeg -nostdin -y -i $data/minute.avi -vf $date,$time -pix_fmt yuv420p -c:v dvvideo -c:a pcm_s16le $data/ffmpeg.avi"
echo "camlog wrote $(frames "$data/minute_in.avi") frames, ffmpeg $(frames "$data/ffmpeg.avi")"
