// The inlay's record: the two text lines, when they show, and how they are drawn.
#pragma once

#include <cstdint>
#include <string>

namespace camlog::media {

// A font as the settings store it; a size in points, taken at 96 pixels per inch: a positive
// size gives the character height (without internal leading), a negative one the whole cell.
struct InlayFont {
    std::string name = "arial";
    int size = 16;
    std::uint32_t color = 0x00FFFFFF; // 0x00BBGGRR
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const InlayFont &) const = default;
};

// The defaults are those of a fresh settings file; the subtitle writer follows the same record.
struct TincrustRec {
    // Templates with the codes "%D1", "%D2" (the datecode in date format 1 or 2) and "%T" (the
    // timecode), matched without regard to letter case.
    std::u16string line1 = u"%D1";
    std::u16string line2 = u"%D2";
    int timing = 2; // 0 permanent, 1 once, 2 at each scene, 3 at each day
    std::string dateFormat1 = "ddddd";
    std::string dateFormat2 = "tt";
    double timeDifference = 0.0; // days, added to the datecode before formatting
    int durationSeconds = 5;
    InlayFont font;
    bool autoSize = false; // the font size follows the picture width
    int borderSize = 2;    // pixels of black outline around the text, 0 none

    bool operator==(const TincrustRec &) const = default;
};

} // namespace camlog::media
