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
    FrameRecord decoded = rec;
    DecodeFrameRecord(prefix, nseq, decoded);
    // The timecode, audio source and source-control searches already told whether their pack
    // is inside the prefix; the datecode may have come from the fixed places instead, so its
    // two packs are looked up once more.
    DvPack p;
    if (!decoded.timecodeValid || !decoded.formatValid || !FindPack(prefix, pack::kRecordingTime, nseq, p)
        || !FindPack(prefix, pack::kRecordingDate, nseq, p))
        return false;
    rec = decoded;
    return true;
}

} // namespace camlog::scenes
