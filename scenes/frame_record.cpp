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
    RecordingTimes times;
    return DecodeFrameRecordFromPrefix(prefix, nseq, rec, times);
}

bool DecodeFrameRecordFromPrefix(std::span<const std::uint8_t> prefix, int nseq, FrameRecord &rec,
                                 RecordingTimes &times)
{
    if (prefix.size() < kFramePrefixSize || nseq < 2)
        return false;
    // The prefix holds the pack positions of the first two sequences: where their copies
    // agree, this is what ReadRecordingTimes reads from it.
    RecordingTimes read;
    if (!ReadSettledRecordingTimes(prefix.first(kFramePrefixSize), 2, read))
        return false;
    FrameRecord decoded = rec;
    // The audio source and source-control searches tell whether their pack is inside the
    // prefix (they run in file order, so the whole frame would give the same packs).
    if (!putFormat(prefix, nseq, decoded))
        return false;
    putRecordingTimes(read, decoded);
    decoded.formatValid = true;
    rec = decoded;
    times = read;
    return true;
}

namespace {

bool sameFormat(const FrameRecord &a, const FrameRecord &b)
{
    return a.audioRate == b.audioRate && a.audioBits == b.audioBits && a.audioMode == b.audioMode
           && a.widePicture == b.widePicture && a.ntsc == b.ntsc;
}

// The same recording date and time, or one second later within the same minute.
bool continuesDatecode(const TDatecode &previous, const TDatecode &next)
{
    if (next == previous)
        return true;
    TDatecode later = previous;
    if (later.second >= 59)
        return false;
    ++later.second;
    return next == later;
}

// One frame later; a new second within the same minute.
bool continuesTimecode(const TTimecode &previous, const TTimecode &next, int framesPerSecond)
{
    TTimecode later = previous;
    if (later.frames + 1 < framesPerSecond) {
        ++later.frames;
    } else {
        if (later.seconds >= 59)
            return false;
        later.frames = 0;
        ++later.seconds;
    }
    return next == later;
}

} // namespace

bool DecodeContinuingFrameRecord(std::span<const std::uint8_t> prefix, int nseq, int framesPerSecond,
                                 const RecordingTimes &previous, FrameRecord &rec, RecordingTimes &times)
{
    if (prefix.size() < kContinuingPrefixSize || !previous.datecodeFound || !previous.timecodeFound || !rec.formatValid)
        return false;
    RecordingTimes read;
    if (!ReadSettledRecordingTimes(prefix.first(kDifHeaderAreaSize), 1, read) || !read.datecodeFound
        || !read.timecodeFound || !continuesDatecode(previous.datecode, read.datecode)
        || !continuesTimecode(previous.timecode, read.timecode, framesPerSecond))
        return false;
    FrameRecord decoded = rec;
    if (!putFormat(prefix, nseq, decoded) || !sameFormat(decoded, rec))
        return false;
    putRecordingTimes(read, decoded);
    if (!decoded.datecodeValid)
        return false;
    decoded.formatValid = true;
    rec = decoded;
    times = read;
    return true;
}

} // namespace camlog::scenes
