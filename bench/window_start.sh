#!/bin/sh
# Whole-process start of the window: from `camlog` to its window shown on an Xvfb display, in
# milliseconds (median and best of ROUNDS, default 10), polled with xdotool (a few ms of
# resolution). OLD=path/to/camlog adds another camlog binary (an older build), alternated with
# this one in the same run.
# CAMLOG_BENCH_BUILD names the build folder (default build-bench).
set -eu
cd "$(dirname "$0")/.."
build=${CAMLOG_BENCH_BUILD:-build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target camlog >/dev/null
camlog=$(realpath "$build/app/camlog")

work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
exec 9>"$work/display"
Xvfb -displayfd 9 -noreset -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
while [ ! -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

now() { date +%s%N; }
# One start: the milliseconds until a window of the program is visible.
start_once() {
    t0=$(now)
    "$1" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do :; done
    t1=$(now)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((t1 - t0) / 1000))
}

for round in $(seq "${ROUNDS:-10}"); do
    for binary in "$camlog" ${OLD:+"$OLD"}; do
        echo "$binary $(start_once "$binary")"
    done
done | awk -v new="$camlog" '
    { t[$1] = t[$1] " " $2 }
    END {
        printf "%-40s %10s %10s\n", "window shown (whole process)", "median ms", "best ms"
        for (b in t) {
            n = split(substr(t[b], 2), v, " ")
            for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { x = v[i]; v[i] = v[j]; v[j] = x }
            printf "%-40s %10.1f %10.1f\n", (b == new ? "camlog" : "old camlog"), v[int(n / 2) + 1] / 1000, v[1] / 1000
        }
    }'
