// A DV source file opened for a recipe: its frames, its frame duration and its separate audio streams.
#include "media/dv_source_file.h"

#include "core/avi_fichier.h"
#include "core/dv_frame.h"
#include "media/avi_probe.h"

namespace camlog::media {

namespace {
constexpr std::int64_t kPalFrameDuration = 400000;
constexpr std::int64_t kNtscFrameDuration = 333667;
constexpr std::uint16_t kWaveFormatPcm = 1;
} // namespace

std::unique_ptr<DvSourceFile> DvSourceFile::open(const std::filesystem::path &path, std::string &error)
{
    auto opened = DvFrameReader::open(path);
    if (!opened) {
        error = opened.error().message;
        return nullptr;
    }
    auto file = std::make_unique<DvSourceFile>();
    file->reader = std::move(opened.value());
    DvFrameReader &reader = *file->reader;
    if (reader.dvStream() < 0 || reader.frameCount() == 0) {
        error = "no DV frame in " + path.string();
        return nullptr;
    }
    const auto &dvStream = reader.streams()[static_cast<std::size_t>(reader.dvStream())];
    file->interleaved = reader.container() == ContainerKind::RawDv || dvStream.type == core::fcc::iavs;
    file->pal = core::SequencesForFrameSize(reader.frame(0).size) != 10;
    file->frameDuration = file->pal ? kPalFrameDuration : kNtscFrameDuration;

    if (reader.container() != ContainerKind::Avi)
        return file;
    core::ProbeResult probe;
    const bool probed = AviProber().Probe(path.string(), probe) && probe.AudioFound;
    for (std::size_t s = 0; s < reader.streams().size(); ++s) {
        if (reader.streams()[s].type != core::fcc::auds)
            continue;
        // The first audio stream's format stands for every one: DV AVI files carry one
        // format, and the prober reads the first.
        if (!probed || probe.Wave.wFormatTag != kWaveFormatPcm || probe.Wave.nChannels == 0
            || probe.Wave.nSamplesPerSec == 0) {
            error = "the audio of " + path.string() + " is not PCM";
            return nullptr;
        }
        Audio audio;
        audio.channels = probe.Wave.nChannels;
        audio.bitsPerSample = probe.Wave.wBitsPerSample;
        const int blockAlign = probe.Wave.nBlockAlign != 0 ? probe.Wave.nBlockAlign
                                                           : audio.channels * ((audio.bitsPerSample + 7) / 8);
        audio.track = std::make_unique<AudioTrack>(reader, static_cast<int>(s), blockAlign,
                                                   static_cast<int>(probe.Wave.nSamplesPerSec));
        file->audio.push_back(std::move(audio));
    }
    return file;
}

} // namespace camlog::media
