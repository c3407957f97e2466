// Where the sound of a DV tape begins: tapes often start on frames without audio.
#include "media/audio/first_dv_audio.h"

#include "core/dv_frame.h"
#include "media/reading/dv_frame_reader.h"
#include "scenes/frame_record.h"

#include <algorithm>
#include <array>
#include <vector>

namespace camlog::media {

std::optional<FirstDvAudio> FindFirstDvAudio(DvFrameReader &reader, std::size_t from, std::size_t to)
{
    std::array<std::uint8_t, scenes::kFramePrefixSize> prefix{};
    std::vector<std::uint8_t> whole;
    const std::size_t end = std::min(to, reader.frameCount());
    for (std::size_t i = from; i < end; ++i) {
        const int nseq = core::SequencesForFrameSize(reader.frame(i).size);
        if (nseq == 0)
            continue;
        core::DifBlock block;
        if (reader.readFramePrefix(i, prefix) != prefix.size()
            || !core::FindAudioSourceBlock(prefix, core::pack::kAudioSource, nseq, block))
            continue;
        if (!reader.readFrame(i, whole))
            continue;
        if (auto info = ReadDvAudioInfo(whole))
            return FirstDvAudio{i, info.value()};
    }
    return std::nullopt;
}

} // namespace camlog::media
