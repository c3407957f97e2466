// The source of the audio extraction for files that are not DV: the first audio stream of any
// file FFmpeg reads, decoded and written as 16-bit PCM in a WAV file.
#pragma once

#include "media/pipeline/pipeline.h"
#include "media/pipeline/reencode_error.h"

#include <filesystem>
#include <memory>

namespace camlog::media {

class AvFileDecoder;

// The sound keeps its channels and, unless SetOutputRate says otherwise, its rate; whatever
// its codec (PCM, MP3, AAC...), the file holds 16-bit samples. A failure (damaged source,
// full disk) leaves no file and an existing destination untouched. A stop finishes a shorter
// file whose header matches its data, unless it was to replace a file that existed when the
// run began: that file then stays as it was.
class AvAudioExtractSource : public PipelineSource {
public:
    // NoStream when the file has no sound (nothing to extract); other codes when it cannot be read.
    static core::Expected<std::unique_ptr<AvAudioExtractSource>, ReencodeErrorCode>
    open(const std::filesystem::path &source, const std::filesystem::path &destination);
    ~AvAudioExtractSource() override;

    std::int64_t Duration() const override;
    void Run(PipelineRun &run) override;

    // The rate of the file written; the source's own rate when 0.
    void SetOutputRate(int rate) { m_outputRate = rate; }
    int SourceRate() const { return m_sourceRate; }

private:
    AvAudioExtractSource() = default;

    std::unique_ptr<AvFileDecoder> m_decoder;
    std::filesystem::path m_source;
    std::filesystem::path m_destination;
    int m_sourceRate = 0;
    int m_outputRate = 0;
};

} // namespace camlog::media
