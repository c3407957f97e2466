#!/bin/sh
# Makes DATA/videos: PAIRS copies of a short PAL DV clip recorded 2024-05-01 10:00:00, each
# wrapped by dvgrab as type 1 and as type 2. Once per DATA folder (DATA/done marks it).
# Usage: bench/make_dv_folder.sh DATA SECONDS PAIRS
set -eu
data=$1 seconds=$2 pairs=$3
[ -f "$data/done" ] && exit 0
rm -rf "$data"
mkdir -p "$data/make" "$data/videos"
ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=$seconds" \
    -f lavfi -i "sine=frequency=440:duration=$seconds:sample_rate=48000" -target pal-dv -f dv \
    -metadata creation_time="2024-05-01T10:00:00Z" "$data/make/clip.dv"
for kind in 1 2; do
    "$(dirname "$0")/../tests/fixtures/dvgrab_wrap.sh" "$data/make/clip.dv" type$kind "$data/make/type$kind.avi"
done
i=0
while [ $i -lt "$pairs" ]; do
    n=$(printf %03d $i)
    cp "$data/make/type1.avi" "$data/videos/clip$n-type1.avi"
    cp "$data/make/type2.avi" "$data/videos/clip$n-type2.avi"
    i=$((i + 1))
done
touch "$data/done"
