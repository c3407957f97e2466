# Shared by the benchmarks that time camlog against ffmpeg side by side in one run (sourced,
# not run): the build, the one-minute source files and the timing.
#
# BUILD names the build folder holding the camlog program (default build); RUNS the number of
# runs of each command (default 5), taken in turn (camlog, ffmpeg, camlog, ...) so that a
# machine whose speed drifts slows both alike.

set -eu
cd "$(dirname "$0")/.."
build=${BUILD:-build}
runs=${RUNS:-5}
cmake --build "$build" --target camlog >/dev/null
camlog=$(pwd)/$build/app/camlog

# bench_data NAME: the benchmark's own folder under the build, with an empty home for camlog.
bench_data() {
    data=$build/bench-data/$1
    mkdir -p "$data/home"
}

# pal_dv_minute PATTERN FILE: one minute of ffmpeg's lavfi PATTERN (720x576, 25 fps) with a
# 440 Hz tone, as PAL DV recorded on 2024-05-01 10:00:00, wrapped by dvgrab into a type 2 AVI.
# Made once; read into memory before the timing.
pal_dv_minute() {
    if [ ! -f "$2.done" ]; then
        TZ=UTC ffmpeg -nostdin -v error -y -f lavfi -i "$1=size=720x576:rate=25:duration=60" \
            -f lavfi -i "sine=frequency=440:duration=60:sample_rate=48000" -target pal-dv -f dv \
            -metadata creation_time="2024-05-01T10:00:00Z" "$2.dv"
        tests/fixtures/dvgrab_wrap.sh "$2.dv" type2 "$2" 60
        rm -f "$2.dv"
        touch "$2.done"
    fi
    cat "$2" >/dev/null
}

# camlog_batch ARG...: the command line of camlog's batch mode with the benchmark's home.
camlog_batch() {
    echo env HOME="$(pwd)/$data/home" XDG_CONFIG_HOME="$(pwd)/$data/home/.config" "$camlog" --batch --yes "$@"
}

# seconds_and_peak FILE: the wall-clock seconds and peak resident kilobytes of /usr/bin/time -v.
seconds_and_peak() {
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$1" |
        awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$1")
    echo "$wall $rss"
}

# side_by_side OUTPUTS CAMLOG_COMMAND FFMPEG_COMMAND: runs the two in turn RUNS times, removing
# the files OUTPUTS (one string) before each pair of runs, and prints for each the median and best
# wall-clock time, the peak resident size, and the ratio of the medians.
side_by_side() {
    outputs=$1
    set -f # the commands are split into words but never expanded as file patterns
    rm -f "$data/times.camlog" "$data/times.ffmpeg"
    i=0
    while [ $i -lt "$runs" ]; do
        # shellcheck disable=SC2086
        rm -f $outputs
        for name in camlog ffmpeg; do
            if [ $name = camlog ]; then command=$2; else command=$3; fi
            # shellcheck disable=SC2086
            /usr/bin/time -v -o "$data/time.txt" $command >/dev/null 2>&1
            seconds_and_peak "$data/time.txt" >>"$data/times.$name"
        done
        i=$((i + 1))
    done
    for name in camlog ffmpeg; do
        sort -n "$data/times.$name" | awk -v name=$name '
            { wall[NR] = $1; rss[NR] = $2 }
            END {
                median = NR % 2 ? wall[(NR + 1) / 2] : (wall[NR / 2] + wall[NR / 2 + 1]) / 2
                peak = 0; for (i = 1; i <= NR; i++) if (rss[i] > peak) peak = rss[i]
                printf "%-8s median %6.2f s  best %6.2f s  %7.1f MB peak\n", name, median, wall[1], peak / 1024
                print median > "/dev/stderr"
            }' 2>>"$data/medians"
    done
    awk 'NR == 1 { a = $1 } NR == 2 { b = $1 } END { printf "camlog is %.2f times as fast as ffmpeg (medians)\n", b / a }' \
        "$data/medians"
    rm -f "$data/medians"
    set +f
}

# frames FILE: the number of video frames ffprobe counts in the file.
frames() {
    ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 \
        "$1" 2>/dev/null || echo "?"
}
