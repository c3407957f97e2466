// A DV source file opened for a recipe: its frames, its frame duration and its separate audio streams.
#pragma once

#include "media/audio/audio_track.h"
#include "media/pipeline/source_error.h"
#include "media/reading/dv_format.h"
#include "media/reading/dv_frame_reader.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace camlog::media {

struct DvSourceFile {
    std::unique_ptr<DvFrameReader> reader;
    std::int64_t frameDuration = 0; // 100-ns units: 400000 for 625/50, 333667 for 525/60
    DvSystem system = DvSystem::Pal;
    bool interleaved = false; // the DV comes through an iavs stream (type 1, or raw DV)
    // The 16-bit PCM streams beside the DV stream, in file order (type 2).
    struct Audio {
        std::unique_ptr<AudioTrack> track;
        int channels = 2;
        int bitsPerSample = 16;
    };
    std::vector<Audio> audio;

    // An error when the file cannot be read, has no DV frame, or has an audio stream that is
    // not PCM.
    static core::Expected<std::unique_ptr<DvSourceFile>, SourceErrorCode> open(const std::filesystem::path &path);

    std::size_t frameCount() const { return reader->frameCount(); }
    std::int64_t duration() const { return static_cast<std::int64_t>(frameCount()) * frameDuration; }
};

} // namespace camlog::media
