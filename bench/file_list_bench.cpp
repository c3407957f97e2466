// Opens a folder through the file list (its background thread, every entry handed to the owner
// thread) and, in the same run, builds the same files' objects one after another; reports both
// rates, what the list adds, and how long the opening call kept its caller.
#include "headless/list/file_list_model.h"
#include "headless/list/queue_dispatcher.h"
#include "media/decoding/avi_probe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <time.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// CPU time of every thread of the process: on a machine shared with other work this is what
// a way costs, whatever the scheduler did meanwhile.
double processCpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Round {
    double seconds = 0;     // wall time to the last entry (the list: to its end event)
    double cpuSeconds = 0;  // CPU time of all threads meanwhile
    double callSeconds = 0; // the list: how long the opening call itself took
    int count = 0;
    std::size_t wrong = 0; // files without the expected datecode
};

Round openWithList(const std::string &folder, const camlog::core::AviFileContext &context, const std::string &expected)
{
    using namespace camlog::ui;
    QueueDispatcher dispatcher;
    FileListModel list(dispatcher, TaviFichierFactory(context));
    list.SelectionnerOuverts = true; // as the main window opens
    list.OnOpenTestExtension = [](const std::string &name) {
        return IsAviFileName(name);
    };
    bool ended = false;
    list.OnOpenEnd = [&](int) {
        ended = true;
    };

    Round round;
    const double cpuStart = processCpuSeconds();
    const auto start = Clock::now();
    list.OpenFolder(folder);
    round.callSeconds = seconds(Clock::now() - start);
    if (!dispatcher.runUntil([&] { return ended; }, std::chrono::minutes(10)))
        std::fprintf(stderr, "the opening did not end\n");
    round.seconds = seconds(Clock::now() - start);
    round.cpuSeconds = processCpuSeconds() - cpuStart;
    round.count = list.Count();
    for (const auto &file : list.Files())
        if (!file->IsDV || file->DatecodeText != expected)
            ++round.wrong;
    return round;
}

Round buildObjects(const std::vector<std::string> &paths, const camlog::core::AviFileContext &context,
                   const std::string &expected)
{
    Round round;
    const double cpuStart = processCpuSeconds();
    const auto start = Clock::now();
    for (const auto &path : paths) {
        const camlog::core::TaviFichier file(path, context);
        if (!file.IsDV || file.DatecodeText != expected)
            ++round.wrong;
        ++round.count;
    }
    round.seconds = seconds(Clock::now() - start);
    round.cpuSeconds = processCpuSeconds() - cpuStart;
    return round;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER EXPECTED_DATECODE [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::string expected = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<std::string> paths;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());

    const camlog::media::AviProber prober;
    camlog::core::AviFileContext context;
    context.prober = &prober;
    context.datecodePattern = "yyyy:mm:dd hh:nn:ss";

    // Each round runs both ways back to back, so a pair sees one state of the shared machine;
    // the ratios of the pairs are summed up by their median, the rates by the best round.
    double objects = 1e30, list = 1e30, call = 0;
    std::vector<double> wallRatios, cpuRatios;
    std::size_t wrong = 0;
    int listed = static_cast<int>(paths.size());
    for (int round = 0; round < rounds; ++round) {
        const Round built = buildObjects(paths, context, expected);
        const Round opened = openWithList(folder, context, expected);
        objects = std::min(objects, built.seconds);
        list = std::min(list, opened.seconds);
        call = std::max(call, opened.callSeconds);
        wallRatios.push_back(opened.seconds / built.seconds);
        cpuRatios.push_back(opened.cpuSeconds / built.cpuSeconds);
        listed = std::min(listed, opened.count);
        wrong = std::max({wrong, built.wrong, opened.wrong});
    }
    // files, best seconds of the objects, best seconds of the list, fewest entries listed, wrong
    // datecodes, longest opening call in seconds, median wall ratio list/objects, median CPU ratio
    std::printf("%zu %.6f %.6f %d %zu %.6f %.4f %.4f\n", paths.size(), objects, list, listed, wrong, call,
                median(wallRatios), median(cpuRatios));
    return wrong == 0 && listed == static_cast<int>(paths.size()) ? 0 : 1;
}
