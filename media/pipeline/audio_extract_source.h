// The source of the audio extraction: the first audio stream of a DV file written as a WAV file.
#pragma once

#include "media/pipeline/output_policy.h"
#include "media/pipeline/pipeline.h"
#include "media/pipeline/source_error.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace camlog::media {

struct DvSourceFile;
class WavWriter;
class AudioRateConverter;

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
    RunOutcome runFromStream(PipelineRun &run);
    RunOutcome runFromFrames(PipelineRun &run);
    void writeConverted(std::span<const std::int16_t> samples, int rate);
    void finishWav();

    std::unique_ptr<DvSourceFile> m_file;
    std::filesystem::path m_destination;
    int m_sourceRate = 0;
    int m_outputRate = 0;
    std::unique_ptr<WavWriter> m_wav;
    // Converts sound of another rate to the output's; made for the first block that needs it.
    std::unique_ptr<AudioRateConverter> m_converter;
    int m_converterRate = 0;
    std::vector<std::int16_t> m_converted;
};

} // namespace camlog::media
