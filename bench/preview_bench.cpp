// The preview player on one file: the time to open it, one-frame steps (each a seek: the
// time until the frame asked for is ready), pictures made one after the other as fast as they
// come, and real-time playback (pictures shown against the pictures the clock asked for).
// Usage: camlog_bench_preview FILE FRAMERATE [PLAY_SECONDS]
// Prints: open_s step_median_ms step_max_ms sequential_fps asked shown rss_kb_after_2s rss_kb_at_end
#include "media/preview/preview_player.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Resident memory of the process, in kB.
long ResidentKb()
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE FRAMERATE [PLAY_SECONDS]\n", argv[0]);
        return 2;
    }
    int qtArgc = 3;
    char name[] = "camlog_bench_preview", option[] = "-platform", platform[] = "offscreen";
    char *qtArgv[] = {name, option, platform, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    using namespace camlog::media;
    PreviewFacts facts;
    facts.path = argv[1];
    facts.isDv = true;
    facts.frameRate = std::atof(argv[2]);
    const double playSeconds = argc > 3 ? std::atof(argv[3]) : 10.0;

    PreviewPlayer player;
    const auto opening = Clock::now();
    if (player.open(facts) != PreviewMessage::None || !player.waitShown(0, std::chrono::seconds(30))) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const double openSeconds = Seconds(Clock::now() - opening);
    const std::int64_t end = player.timeline().end;

    // One-frame steps at random places: each is a seek to a frame not read just before.
    std::mt19937 random(7);
    std::vector<double> steps;
    for (int i = 0; i < 100; ++i) {
        const std::int64_t target = std::uniform_int_distribution<std::int64_t>(1, end)(random);
        player.seekTo(target - 1);
        player.waitShown(target - 1, std::chrono::seconds(10));
        const auto start = Clock::now();
        player.stepFrames(1);
        player.waitShown(target, std::chrono::seconds(10));
        steps.push_back(Seconds(Clock::now() - start) * 1000);
    }
    std::sort(steps.begin(), steps.end());

    // Pictures one after the other, each asked for when the one before is ready.
    const std::int64_t count = std::min<std::int64_t>(end, 2000);
    player.seekTo(0);
    player.waitShown(0, std::chrono::seconds(10));
    const auto sequential = Clock::now();
    for (std::int64_t i = 1; i <= count; ++i) {
        player.stepFrames(1);
        player.waitShown(i, std::chrono::seconds(10));
    }
    const double sequentialFps = static_cast<double>(count) / Seconds(Clock::now() - sequential);

    // Real time: the pictures the clock asks for in playSeconds, and those shown.
    player.seekTo(0);
    player.waitShown(0, std::chrono::seconds(10));
    const std::uint64_t before = player.picturesShown();
    const auto playing = Clock::now();
    player.play();
    // Memory after the first two seconds and at the end: flat while a long file plays.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long earlyKb = ResidentKb();
    std::this_thread::sleep_for(std::chrono::duration<double>(playSeconds - 2));
    const long lateKb = ResidentKb();
    player.pause();
    const double played = Seconds(Clock::now() - playing);
    const std::uint64_t shown = player.picturesShown() - before;
    std::printf("%.4f %.2f %.2f %.1f %.0f %llu %ld %ld\n", openSeconds, steps[steps.size() / 2], steps.back(),
                sequentialFps, played * facts.frameRate, static_cast<unsigned long long>(shown), earlyKb, lateKb);
    return 0;
}
