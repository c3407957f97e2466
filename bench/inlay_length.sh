#!/bin/sh
# "Inlay in the video" (/i) shown once ("When Incrust=1") and permanently (0), on one minute and on
# three minutes of PAL DV type 2: whole-process time and peak resident size (/usr/bin/time -v), to
# show that memory does not grow with the tape's length when the inlay leaves most frames untouched.
# BUILD: see side_by_side.sh.
. "$(dirname "$0")/side_by_side.sh"

bench_data inlay_length
mkdir -p "$data/home/.config/Ovrand"
pal_dv_minute testsrc "$data/minute.avi"
[ -f "$data/three.avi" ] || ffmpeg -nostdin -v error -stream_loop 2 -i "$data/minute.avi" -c copy -f avi "$data/three.avi"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for when in 1 0; do
    printf '[\\Software\\Ovrand\\Camlog]\r\nExename=%s\r\nWhen Incrust=%s\r\n' "$camlog" "$when" \
        >"$data/home/.config/Ovrand/Camlog.ini"
    for source in "$data/minute.avi" "$data/three.avi"; do
        out=${source%.avi}_in.avi
        rm -f "$out"
        set -f
        # shellcheck disable=SC2046
        /usr/bin/time -v -o "$data/time.txt" $(camlog_batch "/o=$source" /i) >/dev/null 2>&1
        set +f
        seconds_and_peak "$data/time.txt" | awk -v f="When Incrust=$when $(basename "$source")" \
            '{ printf "%-28s %7.2f s  %7.1f MB peak\n", f, $1, $2 / 1024 }'
        echo "  $(frames "$out") frames"
        rm -f "$out"
    done
done
