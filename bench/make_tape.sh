#!/bin/sh
# Makes DATA/tape.dv, a 5-minute PAL tape (7 500 frames, about 1.1 GB) of five one-minute
# recordings with datecode breaks between them, and its dvgrab wraps DATA/type1.avi and
# DATA/type2.avi. Once per DATA folder (DATA/tape.done marks it).
# Usage: bench/make_tape.sh DATA
set -eu
data=$1
[ -f "$data/tape.done" ] && exit 0
mkdir -p "$data"
export TZ=UTC
rm -f "$data"/rec*.dv
for i in 0 1 2 3 4; do
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=60" \
        -f lavfi -i "sine=frequency=440:duration=60:sample_rate=48000" -target pal-dv -f dv \
        -metadata creation_time="2024-05-0$((i + 1))T10:00:00Z" "$data/rec$i.dv"
done
cat "$data"/rec0.dv "$data"/rec1.dv "$data"/rec2.dv "$data"/rec3.dv "$data"/rec4.dv > "$data/tape.dv"
rm -f "$data"/rec*.dv
for kind in 1 2; do
    "$(dirname "$0")/../tests/fixtures/dvgrab_wrap.sh" "$data/tape.dv" type$kind "$data/type$kind.avi" 300
done
touch "$data/tape.done"
