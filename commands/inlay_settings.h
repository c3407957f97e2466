// The inlay settings turned into the inlay's record, and the personal templates filled from the
// active file.
#pragma once

#include "media/inlay/inlay_record.h"
#include "prefs/settings.h"

#include <string>
#include <string_view>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// The record the inlay and the subtitles follow. The line templates come from "What Incrust":
// 0 (and any unknown value) "%D1" and "%D2", 1 an empty line 1 and "%T", 2 the personal
// templates "texte1" and "texte2" filled by ExpandInlayTemplate. The time difference is the
// active file's (0 without one); the font and the other fields are the settings'; auto size off.
media::TincrustRec ApplyInlaySettings(const prefs::Settings &settings, const core::TaviFichier *active);

// A personal template filled from the active file, codes matched in any letter case and in this
// order: "%D" becomes "%D1" on line 1 and "%D2" on line 2 (the inlay fills them per frame),
// "%F" the file name without extension, "%E" the extension with its dot, "%P" the folder with
// its trailing "/", "%C" the video codec, "%I" the picture size and aspect, "%A" the audio
// format, "%U" the duration. Without an active file, the template unchanged.
std::u16string ExpandInlayTemplate(std::u16string_view templ, int line, const core::TaviFichier *active);

// The editor's duration text: a whole number of seconds up to prefs::kInlaySecondsMax, or 5 for
// anything else.
int InlayDurationFromText(std::string_view text);

// The editor's size text: exactly "auto" turns auto size on; anything else turns it off and,
// when it is (trimmed) a whole number above 0, becomes the font size, bounded as the setting is.
void ApplyInlaySizeText(std::string_view text, media::InlayFont &font, bool &autoSize);

} // namespace camlog::commands
