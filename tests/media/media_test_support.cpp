// Helpers shared by the media tests.
#include "media_test_support.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <sstream>

namespace camlog::test {

std::optional<std::vector<media::SampleEntry>> ffprobeVideoPackets(const std::filesystem::path &path)
{
    const auto result = runCommand("ffprobe -v error -select_streams v:0 -show_entries packet=pos,size -of csv=p=0 '"
                                   + path.string() + "' 2>/dev/null");
    if (!result.ok)
        return std::nullopt;
    std::vector<media::SampleEntry> packets;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        unsigned long long size = 0, pos = 0;
        if (std::sscanf(line.c_str(), "%llu,%llu", &size, &pos) == 2)
            packets.push_back({pos, static_cast<std::uint32_t>(size)});
    }
    if (packets.empty())
        return std::nullopt;
    return packets;
}

DvFrames readDvFrames(const std::filesystem::path &path)
{
    DvFrames frames;
    auto reader = media::DvFrameReader::open(path);
    EXPECT_TRUE(reader.ok()) << path;
    if (!reader)
        return frames;
    frames.resize(reader.value()->frameCount());
    for (std::size_t i = 0; i < frames.size(); ++i)
        EXPECT_TRUE(reader.value()->readFrame(i, frames[i]));
    return frames;
}

std::vector<std::uint8_t> firstAudioStreamBytes(const std::filesystem::path &path)
{
    std::vector<std::uint8_t> bytes;
    auto reader = media::DvFrameReader::open(path);
    if (!reader)
        return bytes;
    for (const auto &stream : reader.value()->streams())
        if (stream.type == core::fcc::auds) {
            for (const media::SampleEntry &chunk : stream.samples) {
                std::vector<std::uint8_t> data(chunk.size);
                reader.value()->readAt(chunk.offset, data);
                bytes.insert(bytes.end(), data.begin(), data.end());
            }
            break;
        }
    return bytes;
}

std::string ffprobeCsv(const std::filesystem::path &path, const std::string &what)
{
    return runCommand("ffprobe -v error " + what + " -of csv=p=0 '" + path.string() + "' 2>&1").output;
}

double ffprobeAudioEnd(const std::filesystem::path &path)
{
    std::istringstream lines(ffprobeCsv(path, "-select_streams a:0 -show_entries packet=pts_time,duration_time"));
    std::string line, last;
    while (std::getline(lines, line))
        if (!line.empty())
            last = line;
    const auto comma = last.find(',');
    return comma == std::string::npos ? -1.0 : std::stod(last.substr(0, comma)) + std::stod(last.substr(comma + 1));
}

media::PipelineEnd runGraphToEnd(media::TCdm &cdm)
{
    std::promise<media::PipelineEnd> done;
    auto future = done.get_future();
    cdm.fg().OnComplete = [&](const media::PipelineEnd &end) {
        done.set_value(end);
    };
    cdm.fg().Run();
    const media::PipelineEnd end = future.get();
    cdm.fg().Stop();
    cdm.fg().OnComplete = nullptr;
    return end;
}

} // namespace camlog::test
