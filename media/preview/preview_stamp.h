// The texts the video panel shows under the picture: the datecode and the timecode of the frame
// on screen, its sound and its picture format.
#pragma once

#include "core/date_time.h"
#include "scenes/frame_record.h"

#include <string>

namespace camlog::media {

struct PreviewStamp {
    std::string datecode; // in the display format, the file's time difference added; "N/A" without one
    std::string timecode; // "hh.mm.ss.ff"; "N/A" without one
    std::string audio;    // type 1 files: rate, bits and channels of the frame's sound
    std::string pcm;      // "PCM n bytes/s", empty below 1
    std::string video;    // the file's size text with the frame's aspect
};

// record: the frame's, or null when the position is no DV frame (every text then "-").
PreviewStamp StampOf(const scenes::FrameRecord *record, core::DateTime shift, const std::string &displayFormat,
                     bool type1, const std::string &sizeText);

// The one line of the time stamp label: the datecode and the timecode side by side.
std::string TimeStampLine(const PreviewStamp &stamp);

} // namespace camlog::media
