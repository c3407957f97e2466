// The source of the scenes by content: every picture of any video FFmpeg decodes, as RGB24.
#pragma once

#include "media/decoding/av_file_decoder.h"
#include "media/pipeline/media_stamper.h"
#include "media/pipeline/pipeline.h"
#include "media/pipeline/reencode_error.h"
#include "media/pipeline/scene_detect_contenu.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace camlog::media {

// Decodes the first video stream picture by picture, turns each into 24-bit RGB (blue first,
// rows from the bottom up) and hands it, numbered from 0, to the media stamper and then to the
// content detector. At the end of the stream, or at a stop, the detector is finished with one
// past the last picture's number (status 0 at the end, 1 at a stop); a picture that cannot be
// decoded finishes it with status 1 and fails the run.
class ContentScanSource : public PipelineSource {
public:
    static core::Expected<std::unique_ptr<ContentScanSource>, ReencodeErrorCode>
    open(const std::filesystem::path &source, Tdv_MediaStamper &stamper, TSceneDetectContenu &detector);
    ~ContentScanSource() override;

    std::int64_t Duration() const override;
    void Run(PipelineRun &run) override;
    // 100-ns units per picture at the stream's nominal rate.
    std::int64_t FrameDuration() const;

private:
    ContentScanSource(std::unique_ptr<AvFileDecoder> decoder, Tdv_MediaStamper &stamper, TSceneDetectContenu &detector);
    void convert(const AVFrame &picture);

    std::unique_ptr<AvFileDecoder> m_decoder;
    Tdv_MediaStamper &m_stamper;
    TSceneDetectContenu &m_detector;
    SwsContextPtr m_scaler;
    std::vector<std::uint8_t> m_rgb;
};

} // namespace camlog::media
