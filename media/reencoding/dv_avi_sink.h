// The end of the re-encoding line: DV frames and their sound into a DV AVI file.
#pragma once

#include "media/pipeline/media_stage.h"
#include "media/pipeline/output_policy.h"
#include "media/reading/dv_format.h"
#include "media/reencoding/dv_encoder_workers.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <vector>

namespace camlog::media {

class Tdv_DVheader;

struct DvAviSinkPlan {
    std::filesystem::path destination;
    DvAviType outputType = DvAviType::Type2;
    DvSystem system = DvSystem::Pal;
    bool wide = false;
    int audioRate = 48000; // 16-bit stereo at a rate DV frames carry
    // Applied in order, in place, to every frame before it is written.
    std::vector<MediaStage *> frameStages;
    // Carries the camera's packs (header, subcode, VAUX) of each frame's source frame.
    const Tdv_DVheader *headerFilter = nullptr;
};

// Owns everything after the encoders, on a thread of its own: the interleaving of sound and
// pictures (SoundInterleaver's rule, waiting at most a few seconds of sound), the sound joined
// into each frame (DvAudioInjector) and, for type 2, written beside it, the camera's packs
// carried over, the frame stages, the writer and what becomes of the file (OutputPolicy).
// The encoders push frames in order and the decoding thread pushes sound, both through one
// small bounded queue; nothing comes back but the end of the run.
class DvAviSink {
public:
    // Creates the output (beside the destination until it is finished) and starts the stages
    // and the thread; a RunFailure when the output cannot be made or a stage refuses.
    static std::unique_ptr<DvAviSink> start(const DvAviSinkPlan &plan);
    ~DvAviSink();
    DvAviSink(const DvAviSink &) = delete;
    DvAviSink &operator=(const DvAviSink &) = delete;

    // From the encoders' threads, in picture order. False once the sink stopped.
    bool pushFrames(std::vector<EncodedFrame> frames);
    // From the decoding thread: where the first sample of sound lies, in samples from the first
    // picture's start; then the sound as it comes (interleaved stereo), then its end (at once
    // for a source without sound). False once the sink stopped.
    bool placeSound(std::int64_t start);
    bool pushSound(std::vector<std::int16_t> samples);
    void endSound();
    // No more frames come: once the sound has ended too, what waits is written and the thread ends.
    void endPictures();
    // Drops what is on its way and ends the thread at once (a failure elsewhere).
    void abort();
    // Waits for the thread; its failure, if one ended it, is thrown on.
    void join();
    // The sink's failure, if one ended its thread.
    std::exception_ptr error() const;

    const OutputPolicy &policy() const;
    // After join(): the frames written so far become the file (see OutputPolicy) or are removed.
    void finish();
    void discard();

    class Impl;

private:
    explicit DvAviSink(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace camlog::media
