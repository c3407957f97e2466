#!/bin/sh
# Installs what Camlog needs, builds it, makes a demo folder of generated DV recordings and runs Camlog on it.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target camlog camlog_fixtures

# The demo videos are the generated recordings of the test fixtures (ffmpeg with recording
# dates, wrapped into DV AVI files by dvgrab), under friendlier names.
demo=build/demo
mkdir -p "$demo"
cp -f build/fixtures/tape_three-type1.avi "$demo/holiday-tape-type1.avi"
cp -f build/fixtures/tape_three-type2.avi "$demo/holiday-tape-type2.avi"
cp -f build/fixtures/pal_16x9_32k-opendml.avi "$demo/wide-2010.avi"
cp -f build/fixtures/ntsc_4x3_48k-type2.avi "$demo/new-year-2000.avi"
cp -f build/fixtures/ntsc_nodate.dv "$demo/no-recording-date.dv"

# The window on the demo folder when there is a display; the listing otherwise.
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    build/app/camlog "$@" /openfolder="$(cd "$demo" && pwd)"
else
    build/app/camlog --list "$@" "$demo"
fi

# The batch mode on the same folder: a scn and an srt file beside every DV video, from the
# datecodes in its frames (the same actions as in the window, run without one).
echo
echo "camlog --batch --yes /openfolder=$demo /selectall /createscnbydate /createsrt"
build/app/camlog --batch --yes /openfolder="$demo" /selectall /createscnbydate /createsrt
ls -l "$demo"
