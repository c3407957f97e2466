// The DV type label and the information panel's texts, computed from a file object.
#include "core/friendly_params.h"

#include <cstdio>

namespace camlog::core {

namespace {

std::optional<std::string> formatPattern(std::string_view pattern, DateTime value, const DateTimeLocale *locale)
{
    return locale != nullptr ? FormatDateTimePattern(pattern, value, *locale) : FormatDateTimePattern(pattern, value);
}

} // namespace

std::string DvTypeLabel(std::uint32_t fileType, bool type2Iavs)
{
    if (fileType == 1)
        return " (type 1)";
    if (fileType == 2)
        return type2Iavs ? " (type 2 iavs)" : " (type 2)";
    return " (atypical)";
}

std::string DvTypeLabel(const TaviFichier &file)
{
    return file.IsDV ? DvTypeLabel(file.FileType, file.Type2Iavs) : std::string();
}

std::string PanelDatecodeText(const TaviFichier &file, std::string_view pattern, const DateTimeLocale *locale)
{
    if (file.Datecode.days() > 0) {
        if (auto text = formatPattern(pattern, file.Datecode, locale))
            return *text;
    }
    return file.DatecodeText;
}

std::string PanelCodecText(const TaviFichier &file)
{
    return file.Codec + DvTypeLabel(file);
}

std::string PanelImageText(const TaviFichier &file)
{
    return file.SizeText + file.AspectText;
}

std::string PanelDurationText(const TaviFichier &file)
{
    if (!file.AudioDurationText.empty() && file.AudioDurationText != file.DurationText)
        return file.DurationText + " (" + file.AudioDurationText + ")";
    return file.DurationText;
}

std::string PanelFpsText(double frameRate)
{
    if (!(frameRate > 0.0))
        return {};
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", frameRate);
    return buffer;
}

// One line per item: the labels are padded to line their colons up, which only works on
// separate lines.
std::string PanelHintText(const TaviFichier &file, std::string_view pattern, const DateTimeLocale *locale)
{
    const auto size = static_cast<std::int64_t>(file.FileSize());
    return "File     : " + file.FullPath + "\n" + "Size     : " + FormatFileSize(size) + "\n"
           + "Modified : " + formatPattern(pattern, file.Modified, locale).value_or(std::string());
}

PanelTexts MakePanelTexts(const TaviFichier &file, std::string_view pattern, const DateTimeLocale *locale)
{
    PanelTexts texts;
    texts.Name = file.FileName;
    texts.Datecode = PanelDatecodeText(file, pattern, locale);
    if (file.Shift.days() > 0)
        texts.Shift = "+" + file.ShiftText;
    else if (file.Shift.days() < 0)
        texts.Shift = file.ShiftText;
    texts.ShowScn = file.HasScn;
    texts.ShowSrt = file.HasSrt;
    texts.Timecode = file.TimecodeText;
    texts.Codec = PanelCodecText(file);
    texts.Image = PanelImageText(file);
    texts.Duration = PanelDurationText(file);
    texts.Fps = PanelFpsText(file.FrameRate);
    texts.Audio1 = file.AudioText;
    texts.Audio2 = file.AudioFormatText;
    texts.Hint = PanelHintText(file, pattern, locale);
    return texts;
}

int PanelNameFontHeight(int textWidth, int bevelWidth, int pixelsPerInch)
{
    constexpr int kDefaultHeight = 13;
    const int room = bevelWidth - 10;
    int height = kDefaultHeight;
    if (textWidth > room && textWidth > 0)
        height = room * kDefaultHeight / textWidth;
    // 8 points in pixels, rounded up so the raised font is not below 8 points.
    const int minimum = (8 * pixelsPerInch + 71) / 72;
    return height < minimum ? minimum : height;
}

} // namespace camlog::core
