// The inlay settings turned into the inlay's record.
#include "commands/inlay_settings.h"

#include "core/avi_fichier.h"
#include "core/text_encoding.h"
#include "media/inlay/inlay_lines.h"
#include "prefs/settings_catalogue.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>

namespace camlog::commands {

namespace {

std::optional<int> wholeNumber(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

media::TincrustRec ApplyInlaySettings(const prefs::Settings &settings, const core::TaviFichier *active)
{
    media::TincrustRec rec;
    switch (settings.whatIncrust) {
    case 1:
        rec.line1.clear();
        rec.line2 = u"%T";
        break;
    case 2:
        rec.line1 = ExpandInlayTemplate(core::Utf8ToUtf16(settings.texte1), 1, active);
        rec.line2 = ExpandInlayTemplate(core::Utf8ToUtf16(settings.texte2), 2, active);
        break;
    default:
        rec.line1 = u"%D1";
        rec.line2 = u"%D2";
        break;
    }
    rec.timing = settings.whenIncrust;
    rec.dateFormat1 = settings.formatDate1;
    rec.dateFormat2 = settings.formatDate2;
    rec.timeDifference = active != nullptr ? active->Shift.days() : 0.0;
    // Settings changed in memory (the editor, the settings panel) are bounded as those read.
    rec.durationSeconds = std::clamp(settings.dureeIncrustation, 0, prefs::kInlaySecondsMax);
    const prefs::TfontRecord &font = settings.incrustFont;
    rec.font = {font.Name,
                font.Size == 0 ? prefs::defaultIncrustFont().Size
                               : std::clamp(font.Size, prefs::kInlayFontSizeMin, prefs::kInlayFontSizeMax),
                font.Color,
                font.Bold != 0,
                font.Italic != 0,
                font.Underline != 0,
                font.StrikeOut != 0};
    rec.autoSize = false;
    rec.borderSize = std::clamp(settings.borderSize, 0, prefs::kInlayBorderMax);
    return rec;
}

std::u16string ExpandInlayTemplate(std::u16string_view templ, int line, const core::TaviFichier *active)
{
    if (active == nullptr)
        return std::u16string(templ);
    const std::string &path = active->FullPath;
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    using core::Utf8ToUtf16;
    using media::ReplaceIgnoringCase;
    std::u16string out = ReplaceIgnoringCase(templ, u"%D", line == 1 ? u"%D1" : u"%D2");
    out = ReplaceIgnoringCase(out, u"%F", Utf8ToUtf16(name.substr(0, name.size() - extension.size())));
    out = ReplaceIgnoringCase(out, u"%E", Utf8ToUtf16(extension));
    out = ReplaceIgnoringCase(out, u"%P", Utf8ToUtf16(folder));
    out = ReplaceIgnoringCase(out, u"%C", Utf8ToUtf16(active->Codec));
    out = ReplaceIgnoringCase(out, u"%I", Utf8ToUtf16(active->SizeText + active->AspectText));
    out = ReplaceIgnoringCase(out, u"%A", Utf8ToUtf16(active->AudioText));
    return ReplaceIgnoringCase(out, u"%U", Utf8ToUtf16(active->DurationText));
}

int InlayDurationFromText(std::string_view text)
{
    const std::optional<int> seconds = wholeNumber(trimmed(text));
    return seconds && *seconds >= 0 && *seconds <= prefs::kInlaySecondsMax ? *seconds : 5;
}

void ApplyInlaySizeText(std::string_view text, media::InlayFont &font, bool &autoSize)
{
    autoSize = text == "auto";
    if (autoSize)
        return;
    if (const std::optional<int> size = wholeNumber(trimmed(text)); size && *size > 0)
        font.size = std::clamp(*size, prefs::kInlayFontSizeMin, prefs::kInlayFontSizeMax);
}

} // namespace camlog::commands
