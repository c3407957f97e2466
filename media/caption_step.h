// The caption step of scene detection: the two inlay text lines of every DV frame, for subtitles.
#pragma once

#include "core/date_time.h"
#include "scenes/dv_scene_detect.h"

#include <cstdint>
#include <string>

namespace camlog::media {

// The inlay settings the captions follow; the defaults are those of a fresh settings file.
struct CaptionSettings {
    // Templates with the codes "%D1", "%D2" (the datecode in date format 1 or 2) and "%T" (the
    // timecode), matched without regard to letter case.
    std::u16string line1 = u"%D1";
    std::u16string line2 = u"%D2";
    int timing = 2; // 0 permanent, 1 once, 2 at each scene, 3 at each day
    std::string dateFormat1 = "ddddd";
    std::string dateFormat2 = "tt";
    double timeDifference = 0.0; // days, added to the datecode before formatting
    int durationSeconds = 5;
};

// Reports through the detector's OnCaption every change of the lines; in the timed modes the
// lines show for a number of frames from the start of the run, of each recording or of each day.
class DatecodeCaptionStep : public scenes::CaptionStep {
public:
    static constexpr int kDefaultDurationFrames = 125;

    void SetCaptionSettings(const CaptionSettings &settings) { m_settings = settings; }
    const CaptionSettings &Settings() const { return m_settings; }
    // The frame duration of the stream about to start (100-ns units); 0 keeps the frame count
    // of the duration as it was.
    void SetFrameDuration(std::int64_t frameDuration) { m_frameDuration = frameDuration; }

    void startStreaming() override;
    void frame(const scenes::FrameRecord &record, const CaptionCallback &onCaption) override;
    void stop(const scenes::FrameRecord &record, const CaptionCallback &onCaption) override;

    int DurationFrames() const { return m_durationFrames; }

private:
    std::u16string expand(const std::u16string &templ, const std::u16string &date1, const std::u16string &date2,
                          const std::u16string &timecode) const;

    CaptionSettings m_settings;
    std::int64_t m_frameDuration = 0;
    int m_durationFrames = kDefaultDurationFrames;
    int m_countdown = 0;
    core::DateTime m_previousDatecode; // kept from one run to the next
    std::u16string m_last1;
    std::u16string m_last2;
};

} // namespace camlog::media
