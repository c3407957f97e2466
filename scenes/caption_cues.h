// Caption lines turned into timed cues: every stretch of unchanged non-empty lines is one cue.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace camlog::scenes {

// One subtitle: its lines from frame `start` up to, not including, frame `end`. An empty line
// is held as a single blank, so that no player ends the subtitle early at an empty text line.
struct CaptionCue {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::string line1;
    std::string line2;

    bool operator==(const CaptionCue &) const = default;
};

// Fed the caption lines at every change (the scene detector's captions), gives back each cue
// as it closes. Used by the srt file and by every other copy that carries the same subtitles.
class CaptionCues {
public:
    // The lines from frame f on: closes the pending cue at f (returned), then keeps these lines
    // pending unless both are empty.
    std::optional<CaptionCue> Caption(std::uint32_t frame, std::string_view line1, std::string_view line2);

private:
    CaptionCue m_pending;
    bool m_isPending = false;
};

} // namespace camlog::scenes
