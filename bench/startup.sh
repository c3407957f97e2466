#!/bin/sh
# Whole-process start of camlog beside two other command-line media tools, in one run:
# `camlog --version`, `camlog --list` of one file and a one-tape batch scan (a scn file by
# datecode of a 10-second, two-recording type 2 AVI) against `ffprobe -version` and
# `exiftool -ver`. The commands are run in turns (one of each per round) so that a busy machine
# slows them all alike; the table gives the median and the best run of each, in milliseconds,
# and the libraries each camlog maps at its start.
# CAMLOG_BENCH_BUILD names the build folder (default build-bench); OLD=path/to/camlog adds the
# same three runs of another camlog binary (an older build) to the same turns.
# ROUNDS sets the number of rounds (default 30).
set -eu
cd "$(dirname "$0")/.."
build=${CAMLOG_BENCH_BUILD:-build-bench}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCAMLOG_BUILD_BENCH=ON -DCAMLOG_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target camlog >/dev/null
camlog=$(realpath "$build/app/camlog")

data=$(realpath -m "$build/startup")
if [ ! -f "$data/tape.done" ]; then
    mkdir -p "$data"
    export TZ=UTC
    for i in 0 1; do
        ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=5" \
            -f lavfi -i "sine=frequency=440:duration=5:sample_rate=48000" -target pal-dv -f dv \
            -metadata creation_time="2024-05-0$((i + 1))T10:00:00Z" "$data/rec$i.dv"
    done
    cat "$data/rec0.dv" "$data/rec1.dv" > "$data/tape.dv"
    rm -f "$data/rec0.dv" "$data/rec1.dv"
    tests/fixtures/dvgrab_wrap.sh "$data/tape.dv" type2 "$data/tape.avi" 60
    touch "$data/tape.done"
fi
cat "$data/tape.avi" > /dev/null

# The scan writes tape.scn beside the tape; the settings are a scratch folder's, never the user's.
export XDG_CONFIG_HOME="$data/config"
mkdir -p "$XDG_CONFIG_HOME"

for binary in "$camlog" ${OLD:+"$OLD"}; do
    echo "$binary maps $(ldd "$binary" | wc -l) libraries at its start"
done

ROUNDS=${ROUNDS:-30} DATA=$data CAMLOG=$camlog OLD=${OLD:-} perl -MTime::HiRes=time -e '
    my $data = $ENV{DATA};
    my @runs = (
        ["ffprobe -version", "ffprobe", "-version"],
        ["exiftool -ver", "exiftool", "-ver"],
    );
    for my $binary (grep { $_ ne "" } ($ENV{CAMLOG}, $ENV{OLD})) {
        my $tag = $binary eq $ENV{CAMLOG} ? "camlog" : "old camlog";
        push @runs, ["$tag --version", $binary, "--version"],
            ["$tag --list tape.avi", $binary, "--list", "$data/tape.avi"],
            ["$tag --batch scan of tape.avi", $binary, "--batch", "--yes", "/o=$data/tape.avi", "/createscnbydate"];
    }
    my %times;
    for my $round (1 .. $ENV{ROUNDS}) {
        for my $run (@runs) {
            my ($name, @command) = @$run;
            my $start = time;
            my $pid = fork // die "fork: $!";
            if ($pid == 0) {
                open STDOUT, ">", "/dev/null";
                open STDERR, ">", "/dev/null";
                exec @command or exit 127;
            }
            waitpid($pid, 0);
            die "$name failed (status $?)\n" if $? != 0;
            push @{$times{$name}}, (time - $start) * 1000;
        }
    }
    printf "%-36s %10s %10s\n", "command (whole process)", "median ms", "best ms";
    for my $run (@runs) {
        my @sorted = sort { $a <=> $b } @{$times{$run->[0]}};
        printf "%-36s %10.1f %10.1f\n", $run->[0], $sorted[int(@sorted / 2)], $sorted[0];
    }
'
