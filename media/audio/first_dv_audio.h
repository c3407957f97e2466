// Where the sound of a DV tape begins: tapes often start on frames without audio.
#pragma once

#include "media/audio/dv_audio.h"

#include <cstddef>
#include <limits>
#include <optional>

namespace camlog::media {

class DvFrameReader;

struct FirstDvAudio {
    std::size_t frame = 0; // the first frame that carries audio
    DvAudioInfo info;      // its format
};

// The first DV frame in [from, to) whose audio has a readable format. Each frame costs one
// read of its first bytes, as in the datecode scan (the AAUX source pack of the first DIF
// sequence lies among them); only a frame whose first bytes show a source pack is read whole.
// Nothing when no frame of the range carries audio.
std::optional<FirstDvAudio> FindFirstDvAudio(DvFrameReader &reader, std::size_t from = 0,
                                             std::size_t to = std::numeric_limits<std::size_t>::max());

} // namespace camlog::media
