// Where the preview's pictures and sound come from: the frames of a DV file, or any file FFmpeg
// reads. A source belongs to the preview's decoding thread.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/preview/preview_timeline.h"
#include "scenes/frame_record.h"

#include <cstdint>
#include <vector>

namespace camlog::media {

// The sound a source hands out: interleaved 16-bit stereo at this rate, whatever the file's.
inline constexpr int kPreviewSoundRate = 48000;

enum class SourceReadStatus {
    Picture,   // a picture (and, for DV, the frame's record)
    NoPicture, // nothing to show at this position (damaged beyond decoding, or a file of sound)
    Gone,      // the file cannot be read there any more (removed, shortened)
};

struct SourceRead {
    SourceReadStatus status = SourceReadStatus::NoPicture;
    AVFrame *picture = nullptr;       // valid until the next read; may be drawn on
    scenes::FrameRecord record;       // datecode, timecode, aspect of a DV frame (flags off otherwise)
    bool hasRecord = false;           // the position is a DV frame whose packs were read
    double displayAspect = 4.0 / 3.0; // width ÷ height the picture is shown at
};

class PreviewSource {
public:
    virtual ~PreviewSource() = default;

    virtual const PreviewTimeline &timeline() const = 0;
    virtual bool hasPicture() const = 0;
    virtual bool hasSound() const = 0;
    // 100-ns units per picture (a tick of sound for a file without pictures).
    virtual std::int64_t frameDuration() const = 0;

    // The picture at a position of the timeline. `following`: the position comes right after
    // the last one read (playback), so a source may go on where it stopped instead of seeking.
    virtual SourceRead read(std::int64_t position, bool following) = 0;
    // Appends the sound of the span the last read covers (kPreviewSoundRate, stereo), when
    // `following` reads make a continuous stream; a seek drops what was held back.
    virtual void takeSound(std::vector<std::int16_t> &out) = 0;
};

} // namespace camlog::media
