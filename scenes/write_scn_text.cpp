// The scene text export: a commented header, one line per scene, a commented footer.
#include "scenes/write_scn_text.h"

#include "core/text_encoding.h"

#include <chrono>
#include <ctime>

namespace camlog::scenes {

namespace {

const char *const kRule = "//--------------------------------------------------";

char16_t lowerUnit(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<char16_t>(c + 0x50);
    if (c == 0x178)
        return 0xFF;
    // Latin Extended-A pairs: capital on the even code from 0100 to 0137 and 014A to 0177,
    // on the odd code from 0139 to 0148 and 0179 to 017E; 0130 (dotted I) lowers to i.
    if (c == 0x130)
        return u'i';
    if (((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) && c % 2 == 0)
        return static_cast<char16_t>(c + 1);
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1)
        return static_cast<char16_t>(c + 1);
    return c;
}

std::string formatNow(const ScnTextExportInfo &info)
{
    const core::DateTime now = info.now ? info.now() : LocalNow();
    const char *const pattern = "dddddd 'at' hh:mm:ss";
    const auto text = info.locale != nullptr ? core::FormatDateTimePattern(pattern, now, *info.locale)
                                             : core::FormatDateTimePattern(pattern, now);
    return text.value_or(std::string());
}

} // namespace

core::DateTime LocalNow()
{
    const auto clock = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return {};
    core::DateTimeFields fields;
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    fields.second = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second
    return core::DateTime::fromFields(fields).value_or(core::DateTime{});
}

std::string LowerCaseText(std::string_view text)
{
    std::u16string units = core::Utf8ToUtf16(text);
    for (char16_t &unit : units)
        unit = lowerUnit(unit);
    return core::Utf16ToUtf8(units);
}

TWriteScn_text::TWriteScn_text(const std::string &videoPath, const std::filesystem::path &textPath,
                               ScnTextExportInfo info)
    : TwriteFile(textPath),
      m_info(std::move(info))
{
    WriteLine(kRule);
    WriteLine("// List of scenes of the video file:");
    WriteLine("//");
    WriteLine("// ***   " + LowerCaseText(videoPath) + "   ***");
    WriteLine("//");
    WriteLine("// exported by " + m_info.programName + " version " + m_info.version + " " + m_info.language);
    WriteLine("// with format:");
    WriteLine("// scene number, start, end, duration, datecode, timecode, caption");
    WriteLine("//");
    WriteLine(kRule);
    WriteLine("");
}

TWriteScn_text::~TWriteScn_text()
{
    close();
}

void TWriteScn_text::WriteSceneLine(const TSceneClass &scene)
{
    ++m_counter;
    WriteLine("  " + std::to_string(m_counter) + ", " + scene.startText + ", " + scene.endText + ", "
              + scene.durationText + ", " + scene.datecodeText + ", " + scene.timecodeText + ", " + scene.title + ", "
              + scene.subtitle);
}

void TWriteScn_text::writeTrailer()
{
    WriteLine("");
    WriteLine(kRule);
    WriteLine("// Terminated at " + formatNow(m_info));
    WriteLine("// Visit my web site " + m_info.webSite);
    WriteLine("//");
}

} // namespace camlog::scenes
