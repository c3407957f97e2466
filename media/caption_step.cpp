// The caption step of scene detection: the two inlay text lines of every DV frame, for subtitles.
#include "media/caption_step.h"

#include "core/format.h"
#include "core/text_encoding.h"

#include <cmath>
#include <cstdlib>

namespace camlog::media {

namespace {

constexpr double kSceneJumpDays = 2.0 / 86400.0;

char16_t lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool matchesAt(const std::u16string &text, std::size_t pos, std::u16string_view code)
{
    if (pos + code.size() > text.size())
        return false;
    for (std::size_t i = 0; i < code.size(); ++i)
        if (lower(text[pos + i]) != lower(code[i]))
            return false;
    return true;
}

// Every occurrence of code (any letter case) replaced by value, scanning left to right.
std::u16string replaceAll(const std::u16string &text, std::u16string_view code, const std::u16string &value)
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

int dayOfMonth(core::DateTime value)
{
    const auto f = value.fields();
    return f ? f->day : 0;
}

} // namespace

void DatecodeCaptionStep::startStreaming()
{
    if (m_frameDuration > 0)
        m_durationFrames = static_cast<int>(
            std::llround(static_cast<double>(m_settings.durationSeconds) * 10'000'000.0 / m_frameDuration));
    m_countdown = m_durationFrames - 1;
    m_last1.clear();
    m_last2.clear();
}

void DatecodeCaptionStep::frame(const scenes::FrameRecord &record, const CaptionCallback &onCaption)
{
    if (m_countdown > 0)
        --m_countdown;
    if (record.datecodeValid) {
        const double delta = (record.datecode - m_previousDatecode).days();
        if (m_settings.timing == 2 && (delta > kSceneJumpDays || delta < 0))
            m_countdown = m_durationFrames;
        if (m_settings.timing == 3
            && (dayOfMonth(record.datecode) != dayOfMonth(m_previousDatecode) || std::abs(delta) > 1.0))
            m_countdown = m_durationFrames;
    }
    m_previousDatecode = record.datecodeValid ? record.datecode : core::DateTime();

    if (m_settings.timing != 0 && m_countdown <= 0) {
        if (onCaption && (!m_last1.empty() || !m_last2.empty())) {
            onCaption(record, u"", u"");
            m_last1.clear();
            m_last2.clear();
        }
        return;
    }

    std::u16string date1, date2, timecode;
    if (record.datecodeValid) {
        const core::DateTime shown = record.datecode + core::DateTime::fromDays(m_settings.timeDifference);
        date1 = core::Utf8ToUtf16(core::FormatDateTimePattern(m_settings.dateFormat1, shown).value_or(""));
        date2 = core::Utf8ToUtf16(core::FormatDateTimePattern(m_settings.dateFormat2, shown).value_or(""));
    }
    if (record.timecodeValid)
        timecode = core::Utf8ToUtf16(core::FormatTimecodeColons(record.timecode));
    const std::u16string line1 = expand(m_settings.line1, date1, date2, timecode);
    const std::u16string line2 = expand(m_settings.line2, date1, date2, timecode);
    if (onCaption && (line1 != m_last1 || line2 != m_last2)) {
        onCaption(record, line1, line2);
        m_last1 = line1;
        m_last2 = line2;
    }
}

void DatecodeCaptionStep::stop(const scenes::FrameRecord &record, const CaptionCallback &onCaption)
{
    if (onCaption && (!m_last1.empty() || !m_last2.empty()))
        onCaption(record, u"", u"");
    m_last1.clear();
    m_last2.clear();
}

std::u16string DatecodeCaptionStep::expand(const std::u16string &templ, const std::u16string &date1,
                                           const std::u16string &date2, const std::u16string &timecode) const
{
    return replaceAll(replaceAll(replaceAll(templ, u"%D1", date1), u"%D2", date2), u"%T", timecode);
}

} // namespace camlog::media
