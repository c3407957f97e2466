// Helpers of the audio tests: raw DV frames in memory and ffmpeg's decoding of their audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace camlog::test {

using Frame = std::vector<std::uint8_t>;

// The whole frames of a raw DV file (120000 or 144000 bytes each, by its first header), at
// most maxFrames of them.
std::vector<Frame> readRawDvFrames(const std::filesystem::path &path, std::size_t maxFrames = SIZE_MAX);
void writeRawDv(const std::filesystem::path &path, const std::vector<Frame> &frames);

// ffmpeg's decoding of audio stream `stream` of a file as interleaved 16-bit samples, or
// nothing when ffmpeg cannot be run or fails.
std::optional<std::vector<std::int16_t>> ffmpegAudio(const std::filesystem::path &path, int stream = 0);

// Runs ffmpeg with these arguments (quiet, no stdin); true when it succeeded.
bool runFfmpeg(const std::string &arguments);

} // namespace camlog::test
