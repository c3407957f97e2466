// The subtitle (srt) writer: every stretch of unchanged caption lines becomes one numbered subtitle.
#pragma once

#include "scenes/caption_cues.h"
#include "scenes/write_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace camlog::scenes {

class TWriteSrt : public TwriteFile {
public:
    // Creates the srt file beside the video (SrtFileName); frameRate (frames per second) turns frame
    // numbers into time stamps.
    TWriteSrt(const std::string &videoPath, double frameRate);

    // The caption lines from frame f on: closes the pending subtitle at f, then keeps these
    // lines pending (an empty one as a single blank) unless both are empty.
    void WriteCaption(std::uint32_t frame, std::string_view line1, std::string_view line2);
    // The same for the scene detector's caption lines.
    void WriteCaption(std::uint32_t frame, std::u16string_view line1, std::u16string_view line2);

    int subtitleCount() const { return m_count; }

private:
    double m_frameRate;
    CaptionCues m_cues;
    std::int32_t m_count = 0;
};

} // namespace camlog::scenes
