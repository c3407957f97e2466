// The two inlay lines of one frame: the record's templates filled with its datecode and timecode.
#pragma once

#include "media/inlay/inlay_record.h"
#include "scenes/frame_record.h"

#include <string>
#include <string_view>

namespace camlog::media {

struct InlayLines {
    std::u16string line1;
    std::u16string line2;

    bool operator==(const InlayLines &) const = default;
};

// "%D1" becomes the datecode plus the record's time difference in date format 1, then "%D2" the
// same in date format 2, then "%T" the timecode as h:mm:ss:ff; a frame without datecode or
// timecode gives empty texts for them.
InlayLines ComposeInlayLines(const TincrustRec &rec, const scenes::FrameRecord &frame);

// Every occurrence of code, in any letter case (ASCII), replaced by value, left to right; the
// inserted values are not searched again.
std::u16string ReplaceIgnoringCase(std::u16string_view text, std::u16string_view code, std::u16string_view value);

} // namespace camlog::media
