// Reading files that are not in memory: every file's pages are evicted before each run. In one
// run, for raw DV, type 1 and type 2: the datecode scan reading ahead and with plain reads,
// against cat of the whole file and the 480-byte headers read one by one; then the opening of
// a folder through the file list, announcing the files ahead and not, against exiftool
// -DateTimeOriginal, for a folder of tapes and a folder of small files. The warm figures of the
// same ways follow (pages in memory).
#include "headless/list/file_list_model.h"
#include "headless/list/queue_dispatcher.h"
#include "media/decoding/avi_probe.h"
#include "media/reading/datecode_scan.h"
#include "media/reading/dv_frame_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace camlog;

namespace {

using Clock = std::chrono::steady_clock;

// Drops the file's pages from the page cache (no root needed: the pages are clean).
void evict(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(path + ": cannot open");
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

void warm(const std::string &path)
{
    if (std::system(("cat '" + path + "' > /dev/null").c_str()) != 0)
        throw std::runtime_error(path + ": cannot read");
}

std::vector<std::string> filesOf(const std::string &folder)
{
    std::vector<std::string> paths;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::unique_ptr<media::DvFrameReader> openOrThrow(const std::string &path)
{
    auto opened = media::DvFrameReader::open(path);
    if (!opened)
        throw std::runtime_error(path + ": " + opened.error().message);
    return std::move(opened).value();
}

// Opening the file (headers and index) and the scan with scene detection; the scene count.
std::size_t scanTape(const std::string &path, bool readAhead)
{
    auto reader = openOrThrow(path);
    reader->setReadAhead(readAhead);
    scenes::Tdv_sceneDetect detector;
    std::size_t scenes = 0;
    detector.OnScene = [&](const scenes::FrameRecord &, const scenes::FrameRecord &) {
        ++scenes;
    };
    media::ScanDatecodes(*reader, detector);
    return scenes;
}

// The old way's floor: opening, then one plain read of the 480 header bytes of every frame.
void readHeaders(const std::string &path)
{
    auto reader = openOrThrow(path);
    std::vector<std::uint8_t> buffer(480);
    for (std::size_t i = 0; i < reader->frameCount(); ++i)
        reader->readAt(reader->frame(i).offset, buffer);
}

// Opens the folder through the file list, as the window does; the entries listed.
int openFolder(const std::string &folder, const core::AviFileContext &context, bool announce)
{
    ui::QueueDispatcher dispatcher;
    ui::FileListModel list(dispatcher, ui::TaviFichierFactory(context),
                           announce ? ui::ProbeAnnouncer(context) : ui::FileAnnouncer{});
    list.SelectionnerOuverts = true;
    list.OnOpenTestExtension = [](const std::string &name) {
        return ui::IsAviFileName(name) || name.ends_with(".dv");
    };
    bool ended = false;
    list.OnOpenEnd = [&](int) {
        ended = true;
    };
    list.OpenFolder(folder);
    if (!dispatcher.runUntil([&] { return ended; }, std::chrono::minutes(10)))
        throw std::runtime_error("the opening did not end");
    return list.Count();
}

struct Way {
    std::string name;
    std::function<void()> run;
    std::vector<double> seconds;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs the ways one after the other in each round, every one from the same state of the
// files (evicted, or all in memory), and prints their medians against the first reference.
void compare(const std::string &title, const std::vector<std::string> &files, bool cold, std::vector<Way> ways,
             int rounds)
{
    for (int r = 0; r < rounds; ++r)
        for (Way &way : ways) {
            for (const auto &file : files)
                cold ? evict(file) : warm(file);
            const auto start = Clock::now();
            way.run();
            way.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
    std::printf("%s (%s, median of %d)\n", title.c_str(), cold ? "evicted" : "in memory", rounds);
    // Against the last way (the outside tool) and against the second (what reading did before).
    const double tool = median(ways.back().seconds);
    const double before = median(ways[1].seconds);
    for (const Way &way : ways)
        std::printf("  %-40s %9.1f ms  %6.2f x %-28s %6.2f x before\n", way.name.c_str(), median(way.seconds) * 1e3,
                    median(way.seconds) / tool, ways.back().name.c_str(), median(way.seconds) / before);
    std::fflush(stdout);
}

void shell(const std::string &command)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s TAPE.dv TYPE1.avi TYPE2.avi TAPES_FOLDER SMALL_FILES_FOLDER [ROUNDS]\n",
                     argv[0]);
        return 2;
    }
    const int rounds = argc > 6 ? std::max(1, std::atoi(argv[6])) : 3;
    const media::AviProber prober;
    core::AviFileContext context;
    context.prober = &prober;

    try {
        const char *kinds[] = {"raw DV", "type 1", "type 2"};
        for (const bool cold : {true, false})
            for (int k = 0; k < 3; ++k) {
                const std::string path = argv[1 + k];
                std::vector<Way> ways = {
                    {"datecode scan, reading ahead", [&] { scanTape(path, true); }, {}},
                    {"datecode scan, plain reads", [&] { scanTape(path, false); }, {}},
                    {"480-byte headers one by one", [&] { readHeaders(path); }, {}},
                    {"cat", [&] { shell("cat '" + path + "' > /dev/null"); }, {}},
                };
                compare(std::string("tape, ") + kinds[k], {path}, cold, ways, rounds);
            }
        for (const bool cold : {true, false})
            for (const int f : {4, 5}) {
                const std::string folder = argv[f];
                const auto files = filesOf(folder);
                std::vector<Way> ways = {
                    {"file list, announcing the files ahead", [&] { openFolder(folder, context, true); }, {}},
                    {"file list, one file after the other", [&] { openFolder(folder, context, false); }, {}},
                    {"exiftool -DateTimeOriginal",
                     [&] { shell("exiftool -q -q -DateTimeOriginal '" + folder + "' > /dev/null"); },
                     {}},
                };
                compare("folder of " + std::to_string(files.size()) + " files, " + folder, files, cold, ways, rounds);
            }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
