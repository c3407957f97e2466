// Helpers shared by the media tests.
#include "media_test_support.h"

#include "support/test_files.h"

#include <cstdio>
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

} // namespace camlog::test
