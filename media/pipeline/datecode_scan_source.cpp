// The source of the scene and subtitle recipes: the fast datecode scan feeding the scene detector.
#include "media/pipeline/datecode_scan_source.h"

#include "core/dv_frame.h"
#include "media/pipeline/caption_step.h"
#include "media/reading/datecode_scan.h"
#include "media/reading/dv_format.h"

namespace camlog::media {

DatecodeScanSource::DatecodeScanSource(std::unique_ptr<DvFrameReader> reader, scenes::Tdv_sceneDetect &detector,
                                       DatecodeCaptionStep *captionStep, std::int64_t frameDuration)
    : m_reader(std::move(reader)),
      m_detector(detector),
      m_captionStep(captionStep),
      m_frameDuration(frameDuration)
{
}

DatecodeScanSource::~DatecodeScanSource() = default;

core::Expected<std::unique_ptr<DatecodeScanSource>, SourceErrorCode>
DatecodeScanSource::open(const std::filesystem::path &source, scenes::Tdv_sceneDetect &detector,
                         DatecodeCaptionStep *captionStep)
{
    auto opened = DvFrameReader::open(source);
    if (!opened)
        return SourceError{sourceErrorCode(opened.error().code), opened.error().message};
    auto reader = std::move(opened.value());
    if (reader->dvStream() < 0 || reader->frameCount() == 0)
        return SourceError{SourceErrorCode::NotDv, "no DV frame in " + source.string()};
    const DvSystem system = dvSystemOfFrameSize(reader->frame(0).size).value_or(DvSystem::Pal);
    return std::unique_ptr<DatecodeScanSource>(
        new DatecodeScanSource(std::move(reader), detector, captionStep, dvFrameDuration(system)));
}

std::int64_t DatecodeScanSource::Duration() const
{
    return static_cast<std::int64_t>(m_reader->frameCount()) * m_frameDuration;
}

void DatecodeScanSource::Run(PipelineRun &run)
{
    if (m_captionStep)
        m_captionStep->SetFrameDuration(m_frameDuration);
    DatecodeScanOptions options;
    options.abort = &run.stopFlag();
    options.progress = [&](std::size_t done, std::size_t) {
        run.setPosition(static_cast<std::int64_t>(done) * m_frameDuration);
    };
    ScanDatecodes(*m_reader, m_detector, options);
}

} // namespace camlog::media
