// The subtitle (srt) writer: every stretch of unchanged caption lines becomes one numbered subtitle.
#include "scenes/write_srt.h"

#include "core/format.h"
#include "scenes/companion_file.h"
#include "core/text_encoding.h"

namespace camlog::scenes {

TWriteSrt::TWriteSrt(const std::string &videoPath, double frameRate)
    : TwriteFile(SrtFileName(videoPath)), m_frameRate(frameRate)
{
}

void TWriteSrt::WriteCaption(std::uint32_t frame, std::string_view line1, std::string_view line2)
{
    if (m_pending) {
        ++m_count;
        WriteLine(std::to_string(m_count));
        WriteLine(core::FormatSrtTime(m_pendingStart, m_frameRate) + " --> " + core::FormatSrtTime(frame, m_frameRate));
        WriteLine(m_pendingLine1);
        WriteLine(m_pendingLine2);
        WriteLine("");
    }
    if (!line1.empty() || !line2.empty()) {
        // An empty text line would end the subtitle early in every player.
        m_pendingStart = frame;
        m_pendingLine1 = line1.empty() ? std::string(" ") : std::string(line1);
        m_pendingLine2 = line2.empty() ? std::string(" ") : std::string(line2);
        m_pending = true;
    } else {
        m_pending = false;
    }
}

void TWriteSrt::WriteCaption(std::uint32_t frame, std::u16string_view line1, std::u16string_view line2)
{
    WriteCaption(frame, std::string_view(core::Utf16ToUtf8(line1)), std::string_view(core::Utf16ToUtf8(line2)));
}

} // namespace camlog::scenes
