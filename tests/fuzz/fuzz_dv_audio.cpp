// DV audio split and join, and the frame record decoding, on any frame-sized bytes.
#include "core/dv_frame.h"
#include "media/audio/dv_audio.h"
#include "scenes/frame_record.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog;
    if (size == 0)
        return 0;
    // The first byte picks the frame size (PAL, NTSC or any odd size); the rest fills it.
    const std::size_t frameSize = (data[0] & 3) == 0   ? core::kPalFrameSize
                                  : (data[0] & 3) == 1 ? core::kNtscFrameSize
                                                       : std::min<std::size_t>(size - 1, core::kPalFrameSize + 1);
    std::vector<std::uint8_t> frame(frameSize, 0xFF);
    std::copy_n(data + 1, std::min(size - 1, frameSize), frame.begin());

    (void)media::ReadDvAudioInfo(frame);
    media::DvFrameAudio audio;
    const auto split = media::SplitDvAudio(frame, audio);
    if (split)
        (void)media::JoinDvAudio(frame, audio);

    const int sequences = core::SequencesForFrameSize(frame.size());
    if (sequences != 0) {
        scenes::FrameRecord record;
        scenes::DecodeFrameRecord(frame, sequences, record);
    }
    return 0;
}
