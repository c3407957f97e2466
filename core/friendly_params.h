// What a person reads about a file object: the DV type label and the texts of the information panel.
#pragma once

#include "core/avi_fichier.h"
#include "core/format.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace camlog::core {

// " (type 1)", " (type 2)", " (type 2 iavs)" or " (atypical)".
std::string DvTypeLabel(std::uint32_t fileType, bool type2Iavs);
// The label of a DV file; empty for a file that is not DV.
std::string DvTypeLabel(const TaviFichier &file);

// The texts the panel shows for one file. A locale of null means the C library's current one.
struct PanelTexts {
    std::string Name;                 // FileName
    std::string Datecode;             // the datecode in the display pattern, else DatecodeText
    std::optional<std::string> Shift; // "+" ShiftText / ShiftText; no value: the label is hidden
    bool ShowScn = false;
    bool ShowSrt = false;
    std::string Timecode; // TimecodeText
    std::string Codec;    // Codec, plus the type label for DV
    std::string Image;    // SizeText + AspectText
    std::string Duration; // DurationText, with the audio duration when it differs
    std::string Fps;      // shortest general decimal form; empty without video
    std::string Audio1;   // AudioText
    std::string Audio2;   // AudioFormatText
    std::string Hint;     // file, size and modification date, one per line
};

std::string PanelDatecodeText(const TaviFichier &file, std::string_view pattern, const DateTimeLocale *locale);
std::string PanelCodecText(const TaviFichier &file);
std::string PanelImageText(const TaviFichier &file);
std::string PanelDurationText(const TaviFichier &file);
// 25 → "25", 30000/1001 → "29.97002997003" (15 significant digits, trailing zeros dropped).
std::string PanelFpsText(double frameRate);
std::string PanelHintText(const TaviFichier &file, std::string_view pattern, const DateTimeLocale *locale);

PanelTexts MakePanelTexts(const TaviFichier &file, std::string_view pattern, const DateTimeLocale *locale = nullptr);

// Character height in pixels of the name label: 13, or smaller so that a name of textWidth
// pixels (measured at 13) fits bevelWidth - 10, but never below 8 points at pixelsPerInch.
int PanelNameFontHeight(int textWidth, int bevelWidth, int pixelsPerInch);

} // namespace camlog::core
