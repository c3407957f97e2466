// The source of the scenes by content.
#include "media/pipeline/content_scan_source.h"
#include "media/pipeline/run_error.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <cmath>
#include <stdexcept>

namespace camlog::media {

core::Expected<std::unique_ptr<ContentScanSource>, ReencodeErrorCode>
ContentScanSource::open(const std::filesystem::path &source, Tdv_MediaStamper &stamper, TSceneDetectContenu &detector)
{
    auto decoder = AvFileDecoder::open(source, {.video = true, .audio = false});
    if (!decoder)
        return decoder.error();
    return std::unique_ptr<ContentScanSource>(new ContentScanSource(std::move(decoder.value()), stamper, detector));
}

ContentScanSource::ContentScanSource(std::unique_ptr<AvFileDecoder> decoder, Tdv_MediaStamper &stamper,
                                     TSceneDetectContenu &detector)
    : m_decoder(std::move(decoder)),
      m_stamper(stamper),
      m_detector(detector)
{
}

ContentScanSource::~ContentScanSource() = default;

std::int64_t ContentScanSource::Duration() const
{
    return std::llround(m_decoder->duration() * 1e7);
}

std::int64_t ContentScanSource::FrameDuration() const
{
    return std::llround(m_decoder->videoFrameDuration() * 1e7);
}

// Into m_rgb as a bottom-up BGR24 picture: the scaler writes the top row last.
void ContentScanSource::convert(const AVFrame &picture)
{
    const int width = picture.width;
    const int height = picture.height;
    m_scaler.reset(sws_getCachedContext(m_scaler.release(), width, height, static_cast<AVPixelFormat>(picture.format),
                                        width, height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr));
    if (!m_scaler)
        failRun(RunErrorCode::PictureFailed, "the picture format cannot be converted");
    const int stride = width * 3;
    m_rgb.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    std::uint8_t *planes[4] = {m_rgb.data() + static_cast<std::size_t>(stride) * static_cast<std::size_t>(height - 1)};
    const int strides[4] = {-stride};
    sws_scale(m_scaler.get(), picture.data, picture.linesize, 0, height, planes, strides);
}

void ContentScanSource::Run(PipelineRun &run)
{
    MediaFormat format;
    format.majorType = core::fcc::vids;
    format.subtype = kRgb24Subtype;
    format.frameDuration = FrameDuration();
    m_stamper.StartStream(format);
    m_detector.StartStream(format);
    std::int64_t frame = 0;
    double origin = 0.0;
    const auto deliver = [&](std::int64_t &number) {
        MediaSample sample;
        sample.data = m_rgb;
        sample.mediaStart = number;
        sample.mediaEnd = number + 1;
        m_stamper.Receive(sample);
        m_detector.Receive(sample);
        ++number;
        run.setPosition(number * format.frameDuration);
    };
    for (;;) {
        if (run.stopRequested()) {
            m_detector.Finish(frame, 1);
            return;
        }
        const auto kind = m_decoder->next();
        if (!kind) {
            m_detector.Finish(frame, 1);
            throw RunFailure(runError(kind.error()));
        }
        if (kind.value() == DecodedKind::End)
            break;
        if (kind.value() != DecodedKind::Video)
            continue;
        // A picture the file dropped (a chunk without data) is the one before it again, so
        // that the frame numbers stay those of the file.
        const double time = m_decoder->time(DecodedKind::Video);
        if (frame == 0)
            origin = time;
        const std::int64_t at = std::llround((time - origin) / m_decoder->videoFrameDuration());
        while (frame > 0 && frame < at)
            deliver(frame);
        try {
            convert(m_decoder->frame(DecodedKind::Video));
        } catch (const std::exception &) {
            m_detector.Finish(frame, 1);
            throw;
        }
        deliver(frame);
    }
    m_detector.Finish(frame, 0);
}

} // namespace camlog::media
