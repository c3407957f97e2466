// The two inlay lines of one frame.
#include "media/inlay/inlay_lines.h"

#include "core/format.h"
#include "core/text_encoding.h"

namespace camlog::media {

namespace {

char16_t lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool matchesAt(std::u16string_view text, std::size_t pos, std::u16string_view code)
{
    if (code.empty() || pos + code.size() > text.size())
        return false;
    for (std::size_t i = 0; i < code.size(); ++i)
        if (lower(text[pos + i]) != lower(code[i]))
            return false;
    return true;
}

std::u16string fill(std::u16string_view templ, const std::u16string &date1, const std::u16string &date2,
                    const std::u16string &timecode)
{
    return ReplaceIgnoringCase(ReplaceIgnoringCase(ReplaceIgnoringCase(templ, u"%D1", date1), u"%D2", date2), u"%T",
                               timecode);
}

} // namespace

std::u16string ReplaceIgnoringCase(std::u16string_view text, std::u16string_view code, std::u16string_view value)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (matchesAt(text, i, code)) {
            out += value;
            i += code.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

InlayLines ComposeInlayLines(const TincrustRec &rec, const scenes::FrameRecord &frame)
{
    std::u16string date1, date2, timecode;
    if (frame.datecodeValid) {
        const core::DateTime shown = frame.datecode + core::DateTime::fromDays(rec.timeDifference);
        date1 = core::Utf8ToUtf16(core::FormatDateTimePattern(rec.dateFormat1, shown).value_or(""));
        date2 = core::Utf8ToUtf16(core::FormatDateTimePattern(rec.dateFormat2, shown).value_or(""));
    }
    if (frame.timecodeValid)
        timecode = core::Utf8ToUtf16(core::FormatTimecodeColons(frame.timecode));
    return {fill(rec.line1, date1, date2, timecode), fill(rec.line2, date1, date2, timecode)};
}

} // namespace camlog::media
