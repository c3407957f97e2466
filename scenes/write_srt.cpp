// The subtitle (srt) writer: every stretch of unchanged caption lines becomes one numbered subtitle.
#include "scenes/write_srt.h"

#include "core/format.h"
#include "core/text_encoding.h"
#include "scenes/companion_file.h"

namespace camlog::scenes {

TWriteSrt::TWriteSrt(const std::string &videoPath, double frameRate)
    : TwriteFile(SrtFileName(videoPath)),
      m_frameRate(frameRate)
{
}

void TWriteSrt::WriteCaption(std::uint32_t frame, std::string_view line1, std::string_view line2)
{
    const std::optional<CaptionCue> cue = m_cues.Caption(frame, line1, line2);
    if (!cue)
        return;
    ++m_count;
    WriteLine(std::to_string(m_count));
    WriteLine(core::FormatSrtTime(cue->start, m_frameRate) + " --> " + core::FormatSrtTime(cue->end, m_frameRate));
    WriteLine(cue->line1);
    WriteLine(cue->line2);
    WriteLine("");
}

void TWriteSrt::WriteCaption(std::uint32_t frame, std::u16string_view line1, std::u16string_view line2)
{
    WriteCaption(frame, std::string_view(core::Utf16ToUtf8(line1)), std::string_view(core::Utf16ToUtf8(line2)));
}

} // namespace camlog::scenes
