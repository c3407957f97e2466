// Helpers of the audio tests: raw DV frames in memory and ffmpeg's decoding of their audio.
#include "audio_test_support.h"

#include "support/test_files.h"

#include <cstring>
#include <fstream>

namespace camlog::test {

std::vector<Frame> readRawDvFrames(const std::filesystem::path &path, std::size_t maxFrames)
{
    std::vector<Frame> frames;
    std::ifstream in(path, std::ios::binary);
    char header[4] = {};
    if (!in.read(header, 4))
        return frames;
    const std::size_t size = (static_cast<unsigned char>(header[3]) & 0x80) ? 144000 : 120000;
    in.seekg(0);
    while (frames.size() < maxFrames) {
        Frame frame(size);
        if (!in.read(reinterpret_cast<char *>(frame.data()), static_cast<std::streamsize>(size)))
            break;
        frames.push_back(std::move(frame));
    }
    return frames;
}

void writeRawDv(const std::filesystem::path &path, const std::vector<Frame> &frames)
{
    std::vector<std::uint8_t> bytes;
    for (const auto &frame : frames)
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    writeBytes(path, bytes);
}

std::optional<std::vector<std::int16_t>> ffmpegAudio(const std::filesystem::path &path, int stream)
{
    const auto result = runCommand("ffmpeg -nostdin -v error -i '" + path.string() + "' -map 0:a:"
                                   + std::to_string(stream) + " -f s16le -acodec pcm_s16le - 2>/dev/null");
    if (!result.ok)
        return std::nullopt;
    std::vector<std::int16_t> samples(result.output.size() / 2);
    std::memcpy(samples.data(), result.output.data(), samples.size() * 2);
    return samples;
}

bool runFfmpeg(const std::string &arguments)
{
    return runCommand("ffmpeg -nostdin -v error -y " + arguments + " >/dev/null 2>&1").ok;
}

} // namespace camlog::test
