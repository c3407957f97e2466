// The per-frame record of scene detection: datecode, timecode and recording format of one DV frame.
#include "scenes/frame_record.h"

namespace camlog::scenes {

using namespace camlog::core;

namespace {

void putRecordingTimes(const RecordingTimes &times, FrameRecord &rec)
{
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
}

// The format fields whose pack is found; whether both the audio source and the video
// source-control packs were.
bool putFormat(std::span<const std::uint8_t> frame, int nseq, FrameRecord &rec)
{
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
    return audioFound && aspectFound;
}

} // namespace

void DecodeFrameRecord(std::span<const std::uint8_t> frame, int nseq, FrameRecord &rec)
{
    putRecordingTimes(ReadRecordingTimes(frame, nseq), rec);
    rec.formatValid = putFormat(frame, nseq, rec);
}

bool DecodeFrameRecordFromPrefix(std::span<const std::uint8_t> prefix, int nseq, FrameRecord &rec)
{
    if (prefix.size() < kFramePrefixSize || nseq < 2)
        return false;
    // The prefix holds the pack positions of the first two sequences: where their copies
    // agree, this is what ReadRecordingTimes reads from it.
    RecordingTimes times;
    if (!ReadSettledRecordingTimes(prefix.first(kFramePrefixSize), 2, times))
        return false;
    FrameRecord decoded = rec;
    // The audio source and source-control searches tell whether their pack is inside the
    // prefix (they run in file order, so the whole frame would give the same packs).
    if (!putFormat(prefix, nseq, decoded))
        return false;
    putRecordingTimes(times, decoded);
    decoded.formatValid = true;
    rec = decoded;
    return true;
}

} // namespace camlog::scenes
