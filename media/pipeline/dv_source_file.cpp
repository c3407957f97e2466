// A DV source file opened for a recipe: its frames, its frame duration and its separate audio streams.
#include "media/pipeline/dv_source_file.h"

#include "core/avi_param.h"
#include "core/dv_frame.h"

#include <algorithm>
#include <array>
#include <optional>

namespace camlog::media {

namespace {
constexpr std::uint16_t kWaveFormatPcm = 1;
// A PCMWAVEFORMAT has everything of a WAVEFORMATEX but cbSize.
constexpr std::size_t kPcmWaveFormatSize = 16;

// The format of the first audio stream, when its strf holds one.
std::optional<core::WaveFormatEx> firstAudioFormat(const DvFrameReader &reader)
{
    for (const StreamTable &stream : reader.streams()) {
        if (stream.type != core::fcc::auds)
            continue;
        if (stream.format.size() < kPcmWaveFormatSize)
            return std::nullopt;
        std::array<std::uint8_t, core::WaveFormatEx::kSize> bytes{};
        std::copy_n(stream.format.begin(), std::min(stream.format.size(), bytes.size()), bytes.begin());
        return core::WaveFormatEx::fromBytes(bytes);
    }
    return std::nullopt;
}
} // namespace

core::Expected<std::unique_ptr<DvSourceFile>, SourceErrorCode> DvSourceFile::open(const std::filesystem::path &path)
{
    auto opened = DvFrameReader::open(path);
    if (!opened)
        return SourceError{sourceErrorCode(opened.error().code), opened.error().message};
    auto file = std::make_unique<DvSourceFile>();
    file->reader = std::move(opened.value());
    DvFrameReader &reader = *file->reader;
    if (reader.dvStream() < 0)
        return SourceError{SourceErrorCode::NotDv, "no DV frame in " + path.string()};
    if (reader.frameCount() == 0)
        return SourceError{SourceErrorCode::NoFrame, path.string() + " holds no frame"};
    const auto &dvStream = reader.streams()[static_cast<std::size_t>(reader.dvStream())];
    file->interleaved = reader.container() == ContainerKind::RawDv || dvStream.type == core::fcc::iavs;
    file->system = dvSystemOfFrameSize(reader.frame(0).size).value_or(DvSystem::Pal);
    file->frameDuration = dvFrameDuration(file->system);

    // The first audio stream's format stands for every one: DV AVI files carry one format.
    const auto wave = firstAudioFormat(reader);
    for (std::size_t s = 0; s < reader.streams().size(); ++s) {
        if (reader.streams()[s].type != core::fcc::auds)
            continue;
        if (!wave || wave->wFormatTag != kWaveFormatPcm || wave->nChannels == 0 || wave->nSamplesPerSec == 0)
            return SourceError{SourceErrorCode::UnsupportedAudio, "the audio of " + path.string() + " is not PCM"};
        Audio audio;
        audio.channels = wave->nChannels;
        audio.bitsPerSample = wave->wBitsPerSample;
        const int blockAlign =
            wave->nBlockAlign != 0 ? wave->nBlockAlign : audio.channels * ((audio.bitsPerSample + 7) / 8);
        audio.track = std::make_unique<AudioTrack>(reader, static_cast<int>(s), blockAlign,
                                                   static_cast<int>(wave->nSamplesPerSec));
        file->audio.push_back(std::move(audio));
    }
    return file;
}

} // namespace camlog::media
