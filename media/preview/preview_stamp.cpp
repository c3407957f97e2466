// The texts under the preview's picture.
#include "media/preview/preview_stamp.h"

#include "core/format.h"

#include <cstdio>

namespace camlog::media {

PreviewStamp StampOf(const scenes::FrameRecord *record, core::DateTime shift, const std::string &displayFormat,
                     bool type1, const std::string &sizeText)
{
    PreviewStamp stamp;
    if (record == nullptr) {
        stamp.datecode = "-";
        stamp.timecode = "-";
        return stamp;
    }
    const scenes::FrameRecord &r = *record;
    stamp.datecode = "N/A";
    if (r.datecodeValid) {
        if (auto text = core::FormatDateTimePattern(displayFormat, r.datecode + shift))
            stamp.datecode = *text;
    }
    stamp.timecode = "N/A";
    if (r.timecodeValid) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2d.%.2d.%.2d.%.2d", int{r.timecode.hours}, int{r.timecode.minutes},
                      int{r.timecode.seconds}, int{r.timecode.frames});
        stamp.timecode = text;
    }
    if (type1 && r.audioRate > 0) {
        stamp.audio = std::to_string(r.audioRate) + "Hz " + std::to_string(r.audioBits) + "bits";
        switch (r.audioMode) {
        case 0:
            stamp.audio = "N/A";
            break;
        case 1:
            stamp.audio += " mono";
            break;
        case 2:
            stamp.audio += " stereo";
            break;
        case 3:
            stamp.audio += " 3  channels";
            break;
        case 4:
            stamp.audio += " stereo(2x)";
            break;
        default:
            break;
        }
        const long long bytes = static_cast<long long>(r.audioRate) * r.audioMode * r.audioBits / 8;
        if (bytes >= 1)
            stamp.pcm = "PCM " + std::to_string(bytes) + " bytes/s";
    }
    stamp.video = sizeText + (r.widePicture ? " 16x9)" : " 4x3)");
    return stamp;
}

std::string TimeStampLine(const PreviewStamp &stamp)
{
    return stamp.datecode + "    " + stamp.timecode;
}

} // namespace camlog::media
