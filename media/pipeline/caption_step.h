// The caption step of scene detection: the two inlay text lines of every DV frame, for subtitles.
#pragma once

#include "media/inlay/inlay_record.h"
#include "media/inlay/inlay_timing.h"
#include "scenes/dv_scene_detect.h"

#include <cstdint>
#include <string>

namespace camlog::media {

// The captions follow the inlay's record.
using CaptionSettings = TincrustRec;

// Reports through the detector's OnCaption every change of the lines; in the timed modes the
// lines show for a number of frames from the start of the run, of each recording or of each day.
class DatecodeCaptionStep : public scenes::CaptionStep {
public:
    static constexpr int kDefaultDurationFrames = InlayTiming::kDefaultDurationFrames;

    void SetCaptionSettings(const CaptionSettings &settings) { m_settings = settings; }
    const CaptionSettings &Settings() const { return m_settings; }
    // The frame duration of the stream about to start (100-ns units); 0 keeps the frame count
    // of the duration as it was.
    void SetFrameDuration(std::int64_t frameDuration) { m_frameDuration = frameDuration; }

    void startStreaming() override;
    void frame(const scenes::FrameRecord &record, const CaptionCallback &onCaption) override;
    void stop(const scenes::FrameRecord &record, const CaptionCallback &onCaption) override;

    int DurationFrames() const { return m_timing.DurationFrames(); }

private:
    CaptionSettings m_settings;
    std::int64_t m_frameDuration = 0;
    InlayTiming m_timing;
    std::u16string m_last1;
    std::u16string m_last2;
};

} // namespace camlog::media
