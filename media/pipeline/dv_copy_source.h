// The source of the pass-through recipes: DV frames copied into a new DV AVI file, the picture
// never re-encoded, with the audio split out of the frames, passed on, or joined into them.
#pragma once

#include "media/pipeline/media_stage.h"
#include "media/pipeline/pipeline.h"
#include "media/pipeline/source_error.h"
#include "media/reading/dv_format.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace camlog::media {

class DvFrameReader;

enum class DvAudioRoute {
    None,            // no audio beside the frames (type 1 output, or a source without audio)
    SplitFromFrames, // type 2 output: one PCM stream per audio pair inside the frames
    PassStreams,     // type 2 output: the source's separate audio streams, unchanged
    JoinIntoFrames,  // type 1 output: the source's first audio stream written into the frames
};

struct DvCopyPlan {
    std::filesystem::path source;
    std::filesystem::path destination;
    DvAviType outputType = DvAviType::Type2;
    DvAudioRoute audio = DvAudioRoute::None;
    // Applied in order, in place, to every frame before it is written (the DV header filter).
    std::vector<MediaStage *> videoStages;
};

// Frames that pass unchanged (no stage, no audio joined) are copied inside the kernel.
// A stop finishes the file so that it plays to its last frame, unless it was to replace a file
// that existed when the run began: that file then stays as it was and the partial one is
// removed. A failure removes it.
class DvCopySource : public PipelineSource {
public:
    // Opens the source; the error says what is wrong with it (no file, not DV, unsupported audio).
    static core::Expected<std::unique_ptr<DvCopySource>, SourceErrorCode> open(const DvCopyPlan &plan);
    ~DvCopySource() override;

    std::int64_t Duration() const override;
    void SetPositions(std::int64_t start, std::int64_t stop) override;
    void Run(PipelineRun &run) override;

    std::int64_t FrameDuration() const { return m_frameDuration; }
    std::size_t FrameCount() const;

    class Impl;

private:
    explicit DvCopySource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
    std::int64_t m_frameDuration = 0;
};

} // namespace camlog::media
