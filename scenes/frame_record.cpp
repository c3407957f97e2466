// The per-frame record of scene detection: datecode, timecode and recording format of one DV frame.
#include "scenes/frame_record.h"

namespace camlog::scenes {

using namespace camlog::core;

void DecodeFrameRecord(std::span<const std::uint8_t> frame, int nseq, FrameRecord &rec)
{
    const RecordingTimes times = ReadRecordingTimes(frame, nseq);
    rec.datecodeValid = false;
    rec.datecode = DateTime();
    if (times.datecodeFound) {
        if (const auto value = DatecodeToDateTime(times.datecode)) {
            rec.datecodeValid = true;
            rec.datecode = *value;
        }
    }

    rec.timecodeValid = times.timecodeFound;
    rec.timecode = times.timecodeFound ? times.timecode : TTimecode{};

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
    if (prefix.size() < kFramePrefixSize || nseq < 2 || !CopiesAgreeAcrossSequences(prefix, 2))
        return false;
    FrameRecord decoded = rec;
    DecodeFrameRecord(prefix, nseq, decoded);
    // The audio source and source-control searches told whether their pack is inside the
    // prefix.
    if (!decoded.formatValid)
        return false;
    rec = decoded;
    return true;
}

} // namespace camlog::scenes
