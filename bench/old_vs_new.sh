#!/bin/sh
# Two builds of camlog side by side in one run, on the minutes of the re-encoding benchmarks:
# "Convert in NTSC" (/n) and "Inlay in the video" (/i) on one minute of PAL DV type 2, and
# "Recompress into DV type 2" (/g) on one minute of MPEG-4. The runs alternate (old, new, old,
# ...) so that a machine whose speed drifts slows both alike; each line gives the median and
# best wall-clock time and the peak resident size of each build.
# Usage: bench/old_vs_new.sh OLD_CAMLOG [NEW_CAMLOG]; BUILD and RUNS as in side_by_side.sh
# (NEW_CAMLOG defaults to BUILD's camlog); ONLY=reencode (or inlay, recompress) runs one of
# the three. Run reencode.sh, inlay.sh and recompress.sh once
# first: their source minutes are reused.
. "$(dirname "$0")/side_by_side.sh"

old=$(realpath "$1")
new=$(realpath "${2:-$camlog}")

# compare NAME SOURCE OUTPUT SWITCH: the batch run of SWITCH on SOURCE by each build, in turn.
compare() {
    [ -z "${ONLY:-}" ] || [ "$ONLY" = "$1" ] || return 0
    bench_data "$1"
    rm -f "$data/times.old" "$data/times.new"
    i=0
    while [ $i -lt "$runs" ]; do
        for which in old new; do
            if [ $which = old ]; then program=$old; else program=$new; fi
            rm -f "$3"
            env HOME="$(pwd)/$data/home" XDG_CONFIG_HOME="$(pwd)/$data/home/.config" /usr/bin/time -v \
                -o "$data/time.txt" "$program" --batch --yes "/o=$2" "$4" >/dev/null 2>&1
            seconds_and_peak "$data/time.txt" >>"$data/times.$which"
        done
        i=$((i + 1))
    done
    for which in old new; do
        sort -n "$data/times.$which" | awk -v name="$1 $which" '
            { wall[NR] = $1; rss[NR] = $2 }
            END {
                median = NR % 2 ? wall[(NR + 1) / 2] : (wall[NR / 2] + wall[NR / 2 + 1]) / 2
                peak = 0; for (i = 1; i <= NR; i++) if (rss[i] > peak) peak = rss[i]
                printf "%-14s median %6.2f s  best %6.2f s  %7.1f MB peak\n", name, median, wall[1], peak / 1024
            }'
    done
    echo "frames written by the new build: $(frames "$3")"
}

echo "old $old, new $new, $runs runs each; load: $(cut -d' ' -f1-3 /proc/loadavg)"
compare reencode "$build/bench-data/reencode/minute.avi" "$build/bench-data/reencode/minute_ntsc.avi" /n
compare inlay "$build/bench-data/inlay/minute.avi" "$build/bench-data/inlay/minute_in.avi" /i
compare recompress "$build/bench-data/recompress/minute.avi" "$build/bench-data/recompress/minute_dvtype2.avi" /g
