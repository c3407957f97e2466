#!/bin/sh
# "Export a share copy" (/mp4) of one minute and of five minutes of PAL DV (bench/make_tape.sh's
# tape of five recordings): whole-process time and peak resident size (/usr/bin/time -v), to
# show that memory does not grow with the tape's length, and the chapters each copy got.
# BUILD: see side_by_side.sh.
. "$(dirname "$0")/side_by_side.sh"

bench_data sharecopy_length
pal_dv_minute testsrc2 "$data/minute.avi"
"$(dirname "$0")/make_tape.sh" "$build/bench-data/tape"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for source in "$data/minute.avi" "$build/bench-data/tape/type2.avi"; do
    out=${source%.avi}.mp4
    rm -f "$out"
    set -f
    # shellcheck disable=SC2046
    /usr/bin/time -v -o "$data/time.txt" $(camlog_batch "/o=$source" /mp4) >/dev/null 2>&1
    set +f
    seconds_and_peak "$data/time.txt" | awk -v f="$(basename "$source")" '{ printf "%-12s %7.2f s  %7.1f MB peak\n", f, $1, $2 / 1024 }'
    echo "  $(frames "$out") pictures, $(ffprobe -v error -show_chapters -of csv=p=0 "$out" | wc -l) chapters"
    rm -f "$out"
done
