// Helpers shared by the media tests.
#pragma once

#include "media/dv_frame_reader.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace camlog::test {

// The positions and sizes of the video packets that ffprobe reads, or nothing when ffprobe
// cannot be run.
std::optional<std::vector<media::SampleEntry>> ffprobeVideoPackets(const std::filesystem::path &path);

} // namespace camlog::test
