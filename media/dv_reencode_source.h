// The source of the re-encoding recipes: any video FFmpeg decodes, turned into a DV type 2
// AVI file of a chosen system, shape and audio rate.
#pragma once

#include "media/dv_avi_writer.h"
#include "media/media_stage.h"
#include "media/pipeline.h"
#include "media/reencode_error.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace camlog::media {

struct DvReencodePlan {
    std::filesystem::path source;
    std::filesystem::path destination;
    DvSystem system = DvSystem::Pal;
    bool wide = false;     // 16:9, else 4:3
    int audioRate = 48000; // 48000, 44100 or 32000: the rates DV frames carry
    // Applied in order, in place, to every encoded DV frame before it is written (the DV
    // header filter).
    std::vector<MediaStage *> frameStages;
};

// Decode → picture stage (scale and pad to the DV picture) → DV encoder → the sound joined into
// each frame and written beside it as 16-bit stereo PCM. The frame rate becomes the system's
// by repeating or dropping pictures on their presentation times, so the duration stays the
// source's; the sound follows the pictures' clock. A source without sound gets silence.
// A failure (unreadable, damaged or truncated source, full disk) removes the partial file and
// leaves an existing destination untouched. A stop finishes the file so that it plays to its
// last frame, unless it was to replace a file that existed when the run began: that file then
// stays as it was.
class DvReencodeSource : public PipelineSource {
public:
    // Opens the source; the error says what is wrong with it (unreadable, no picture, no
    // decoder, a sound rate DV cannot carry).
    static core::Expected<std::unique_ptr<DvReencodeSource>, ReencodeErrorCode> open(const DvReencodePlan &plan);
    ~DvReencodeSource() override;

    std::int64_t Duration() const override;
    void Run(PipelineRun &run) override;

    // 100-ns units per output frame.
    std::int64_t FrameDuration() const;

    class Impl;

private:
    explicit DvReencodeSource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace camlog::media
