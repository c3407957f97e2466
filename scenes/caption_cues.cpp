// Caption lines turned into timed cues.
#include "scenes/caption_cues.h"

namespace camlog::scenes {

std::optional<CaptionCue> CaptionCues::Caption(std::uint32_t frame, std::string_view line1, std::string_view line2)
{
    std::optional<CaptionCue> closed;
    if (m_isPending) {
        closed = m_pending;
        closed->end = frame;
    }
    if (!line1.empty() || !line2.empty()) {
        // An empty text line would end the subtitle early in every player.
        m_pending.start = frame;
        m_pending.line1 = line1.empty() ? std::string(" ") : std::string(line1);
        m_pending.line2 = line2.empty() ? std::string(" ") : std::string(line2);
        m_isPending = true;
    } else {
        m_isPending = false;
    }
    return closed;
}

} // namespace camlog::scenes
