// The per-frame record of scene detection: datecode, timecode and recording format of one DV frame.
#include "scenes/frame_record.h"

namespace camlog::scenes {

using namespace camlog::core;

void DecodeFrameRecord(std::span<const std::uint8_t> frame, int nseq, FrameRecord &rec)
{
    TDatecode d;
    rec.datecodeValid = false;
    rec.datecode = DateTime();
    if (ReadDatecode(frame, nseq, d)) {
        if (const auto value = DatecodeToDateTime(d)) {
            rec.datecodeValid = true;
            rec.datecode = *value;
        }
    }

    rec.timecodeValid = ReadTimecode(frame, nseq, rec.timecode);
    if (!rec.timecodeValid)
        rec.timecode = {};

    int rate = 0;
    int channels = 0;
    int bits = 0;
    const bool audioFound = ReadAudioFormat(frame, nseq, rate, channels, bits);
    if (audioFound) {
        rec.audioRate = rate;
        rec.audioMode = channels;
        rec.audioBits = bits;
    }
    bool wide = false;
    const bool aspectFound = ReadIs16x9(frame, nseq, wide);
    if (aspectFound)
        rec.widePicture = wide;
    bool ntsc = false;
    if (ReadIsNtsc(frame, ntsc))
        rec.ntsc = ntsc;
    rec.formatValid = audioFound && aspectFound;
}

bool DecodeFrameRecordFromPrefix(std::span<const std::uint8_t> prefix, int nseq, FrameRecord &rec)
{
    DvPack p;
    DifBlock block;
    for (const auto id : {pack::kRecordingTime, pack::kRecordingDate, pack::kTimecode, pack::kVideoSourceControl})
        if (!FindPack(prefix, id, nseq, p))
            return false;
    if (!FindAudioSourceBlock(prefix, pack::kAudioSource, nseq, block))
        return false;
    DecodeFrameRecord(prefix, nseq, rec);
    return true;
}

} // namespace camlog::scenes
