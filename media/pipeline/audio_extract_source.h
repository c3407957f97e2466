// The source of the audio extraction: the first audio stream of a DV file written as a WAV file.
#pragma once

#include "media/pipeline/pipeline.h"
#include "media/pipeline/source_error.h"

#include <filesystem>
#include <memory>
#include <string>

namespace camlog::media {

struct DvSourceFile;

// The first audio stream: the separate stream of a type 2 file, else the first audio pair
// inside the DV frames. A stop finishes a shorter file whose header matches its data, unless
// it was to replace a file that existed when the run began: that file then stays as it was.
class AudioExtractSource : public PipelineSource {
public:
    // An error when the file cannot be read, or NoAudio when it has no sound to extract.
    static core::Expected<std::unique_ptr<AudioExtractSource>, SourceErrorCode>
    open(const std::filesystem::path &source, const std::filesystem::path &destination);
    ~AudioExtractSource() override;

    std::int64_t Duration() const override;
    void Run(PipelineRun &run) override;

    // The rate of the file written; the source's own rate when 0 (no conversion then).
    void SetOutputRate(int rate) { m_outputRate = rate; }
    int SourceRate() const { return m_sourceRate; }

private:
    AudioExtractSource() = default;
    void runFromStream(PipelineRun &run);
    void runFromFrames(PipelineRun &run);

    std::unique_ptr<DvSourceFile> m_file;
    std::filesystem::path m_destination;
    int m_sourceRate = 0;
    int m_outputRate = 0;
    bool m_replacing = false; // the destination existed when the run began
};

} // namespace camlog::media
