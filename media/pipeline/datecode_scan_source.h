// The source of the scene and subtitle recipes: the fast datecode scan feeding the scene detector.
#pragma once

#include "media/pipeline/pipeline.h"
#include "media/pipeline/source_error.h"

#include <filesystem>
#include <memory>
#include <string>

namespace camlog::scenes {
class Tdv_sceneDetect;
}

namespace camlog::media {

class DvFrameReader;
class DatecodeCaptionStep;

// Reads only the header, subcode and VAUX blocks of each frame where they settle every value.
// The detector's callbacks run on the pipeline's thread; a stop still reports the scene in
// progress and calls OnFinished.
class DatecodeScanSource : public PipelineSource {
public:
    // An error when the file has no DV frame to read.
    static core::Expected<std::unique_ptr<DatecodeScanSource>, SourceErrorCode>
    open(const std::filesystem::path &source, scenes::Tdv_sceneDetect &detector, DatecodeCaptionStep *captionStep);
    ~DatecodeScanSource() override;

    std::int64_t Duration() const override;
    void Run(PipelineRun &run) override;
    std::int64_t FrameDuration() const { return m_frameDuration; }

private:
    DatecodeScanSource(std::unique_ptr<DvFrameReader> reader, scenes::Tdv_sceneDetect &detector,
                       DatecodeCaptionStep *captionStep, std::int64_t frameDuration);

    std::unique_ptr<DvFrameReader> m_reader;
    scenes::Tdv_sceneDetect &m_detector;
    DatecodeCaptionStep *m_captionStep;
    std::int64_t m_frameDuration;
};

} // namespace camlog::media
