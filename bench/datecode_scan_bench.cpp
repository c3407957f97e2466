// Datecode scan speed on a long tape, side by side with a header read, a full read, cat and dvgrab,
// with the file in the page cache (warm) and with its pages evicted before every run (cold).
#include "media/reading/datecode_scan.h"
#include "media/reading/dv_frame_reader.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using namespace camlog;

namespace {

std::string g_type1;
std::string g_type2;
std::string g_rawTape;
std::string g_workDir;

// Benchmark argument 0: the file (0 raw DV, 1 type 1, 2 type 2); argument 1: 1 to evict the
// file's pages before every run.
const std::string &fileFor(std::int64_t kind)
{
    return kind == 0 ? g_rawTape : (kind == 1 ? g_type1 : g_type2);
}

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

void evictIfCold(benchmark::State &state)
{
    if (state.range(1) == 0)
        return;
    state.PauseTiming();
    evict(fileFor(state.range(0)));
    state.ResumeTiming();
}

std::unique_ptr<media::DvFrameReader> openOrThrow(const std::string &path)
{
    auto opened = media::DvFrameReader::open(path);
    if (!opened)
        throw std::runtime_error(path + ": " + opened.error().message);
    return std::move(opened).value();
}

// Opening the file (headers and index) and the scan with scene detection; with `confirm`, the
// frames that announce a new recording are read whole and voted on, as the program does.
void scanDatecodes(benchmark::State &state, bool confirm)
{
    const auto &path = fileFor(state.range(0));
    std::uint64_t bytes = 0;
    std::size_t scenes = 0;
    std::size_t whole = 0;
    for (auto _ : state) {
        evictIfCold(state);
        auto reader = openOrThrow(path);
        scenes::Tdv_sceneDetect detector;
        scenes = 0;
        detector.OnScene = [&](const scenes::FrameRecord &, const scenes::FrameRecord &) {
            ++scenes;
        };
        media::DatecodeScanOptions options;
        options.confirmNewRecordings = confirm;
        const auto result = media::ScanDatecodes(*reader, detector, options);
        whole = result.wholeFrameReads;
        bytes = reader->bytesRead();
    }
    state.counters["bytes_read"] = static_cast<double>(bytes);
    state.counters["scenes"] = static_cast<double>(scenes);
    state.counters["whole_frame_reads"] = static_cast<double>(whole);
}

void BM_DatecodeScan(benchmark::State &state)
{
    scanDatecodes(state, true);
}

// The scan as it was before new recordings were confirmed: the same run measures both.
void BM_DatecodeScanUnconfirmed(benchmark::State &state)
{
    scanDatecodes(state, false);
}

// The floor: one read of the 480 header bytes of every frame, positions from the index, one
// after the other (with the index loaded before the file is evicted).
void BM_HeaderRead480(benchmark::State &state)
{
    auto reader = openOrThrow(fileFor(state.range(0)));
    std::vector<std::uint8_t> buffer(480);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        evictIfCold(state);
        bytes = 0;
        for (std::size_t i = 0; i < reader->frameCount(); ++i)
            bytes += reader->readFramePrefix(i, buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["bytes_read"] = static_cast<double>(bytes);
}

// Reading the whole file in 1 MiB blocks.
void BM_FullRead(benchmark::State &state)
{
    const auto &path = fileFor(state.range(0));
    std::vector<char> buffer(1 << 20);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        evictIfCold(state);
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        bytes = 0;
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            bytes += static_cast<std::uint64_t>(n);
        ::close(fd);
    }
    state.counters["bytes_read"] = static_cast<double>(bytes);
}

void runCommand(benchmark::State &state, const std::string &command, bool mayEvict = false)
{
    for (auto _ : state) {
        if (mayEvict)
            evictIfCold(state);
        if (std::system(command.c_str()) != 0)
            state.SkipWithError(("failed: " + command).c_str());
    }
}

void BM_Cat(benchmark::State &state)
{
    runCommand(state, "cat '" + fileFor(state.range(0)) + "' > /dev/null", true);
}

// dvgrab's own scene split of the raw tape (it reads every frame and writes the scenes).
void BM_DvgrabSplit(benchmark::State &state)
{
    runCommand(state, "cd '" + g_workDir + "' && rm -f split-*.dv && dvgrab -noavc -input '" + g_rawTape
                          + "' -autosplit -format raw split- >/dev/null 2>&1 && rm -f split-*.dv");
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: camlog_bench_scan [benchmark options] TAPE.dv TYPE1.avi TYPE2.avi\n");
        return 2;
    }
    g_rawTape = std::filesystem::absolute(argv[1]).string();
    g_type1 = std::filesystem::absolute(argv[2]).string();
    g_type2 = std::filesystem::absolute(argv[3]).string();
    g_workDir = std::filesystem::path(g_rawTape).parent_path().string();

    for (const int cold : {0, 1}) {
        for (const int kind : {0, 1, 2}) {
            const std::string suffix =
                std::string(kind == 0 ? "/raw" : (kind == 1 ? "/type1" : "/type2")) + (cold ? "/cold" : "/warm");
            // A cold run reads from the device: a few runs each, the time of every one counted.
            const auto add = [&](const std::string &name, void (*fn)(benchmark::State &)) {
                auto *b = benchmark::RegisterBenchmark((name + suffix).c_str(), fn)
                              ->Args({kind, cold})
                              ->Unit(benchmark::kMillisecond)
                              ->UseRealTime();
                if (cold)
                    b->Iterations(3);
            };
            add("DatecodeScan", BM_DatecodeScan);
            add("DatecodeScanUnconfirmed", BM_DatecodeScanUnconfirmed);
            add("HeaderRead480", BM_HeaderRead480);
            if (!cold)
                add("FullRead", BM_FullRead);
            add("Cat", BM_Cat);
        }
        if (!cold)
            benchmark::RegisterBenchmark("DvgrabSplit/raw", BM_DvgrabSplit)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(5);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
