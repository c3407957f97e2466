// Datecode scan speed on a long tape, side by side with a header read, a full read, cat and dvgrab.
#include "media/datecode_scan.h"
#include "media/dv_frame_reader.h"

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

const std::string &fileFor(std::int64_t kind) { return kind == 1 ? g_type1 : g_type2; }

std::unique_ptr<media::DvFrameReader> openOrThrow(const std::string &path)
{
    auto opened = media::DvFrameReader::open(path);
    if (!opened)
        throw std::runtime_error(path + ": " + opened.error().message);
    return std::move(opened).value();
}

// Opening the file (headers and index) and the scan with scene detection.
void BM_DatecodeScan(benchmark::State &state)
{
    const auto &path = fileFor(state.range(0));
    std::uint64_t bytes = 0;
    std::size_t scenes = 0;
    std::size_t whole = 0;
    for (auto _ : state) {
        auto reader = openOrThrow(path);
        scenes::Tdv_sceneDetect detector;
        scenes = 0;
        detector.OnScene = [&](const scenes::FrameRecord &, const scenes::FrameRecord &) { ++scenes; };
        const auto result = media::ScanDatecodes(*reader, detector);
        whole = result.wholeFrameReads;
        bytes = reader->bytesRead();
    }
    state.counters["bytes_read"] = static_cast<double>(bytes);
    state.counters["scenes"] = static_cast<double>(scenes);
    state.counters["whole_frame_reads"] = static_cast<double>(whole);
}

// The floor: one read of the 480 header bytes of every frame, positions from the index.
void BM_HeaderRead480(benchmark::State &state)
{
    auto reader = openOrThrow(fileFor(state.range(0)));
    std::vector<std::uint8_t> buffer(480);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
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
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        bytes = 0;
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            bytes += static_cast<std::uint64_t>(n);
        ::close(fd);
    }
    state.counters["bytes_read"] = static_cast<double>(bytes);
}

void runCommand(benchmark::State &state, const std::string &command)
{
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError(("failed: " + command).c_str());
}

void BM_Cat(benchmark::State &state) { runCommand(state, "cat '" + fileFor(state.range(0)) + "' > /dev/null"); }

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

    for (const auto kind : {1, 2}) {
        const std::string suffix = kind == 1 ? "/type1" : "/type2";
        benchmark::RegisterBenchmark(("DatecodeScan" + suffix).c_str(), BM_DatecodeScan)->Arg(kind)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("HeaderRead480" + suffix).c_str(), BM_HeaderRead480)->Arg(kind)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("FullRead" + suffix).c_str(), BM_FullRead)->Arg(kind)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("Cat" + suffix).c_str(), BM_Cat)->Arg(kind)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RegisterBenchmark("DvgrabSplit/raw", BM_DvgrabSplit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
