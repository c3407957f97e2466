// The DV encoders of the re-encoding, each on a thread of its own.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"
#include "media/reencoding/dv_picture_stage.h"
#include "media/reencoding/dv_segment_packer.h"
#include "media/reencoding/dv_source_frames.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace camlog::media {

// An output frame that one encoding makes, and how many times it is shown.
struct EncodeOutput {
    std::shared_ptr<const SourceFrameData> source;
    std::int64_t count = 0;
    // The encoded frame as it is; otherwise the source frame, with the placed segments of the
    // encoded picture put into it.
    bool whole = true;
    std::vector<SegmentPlacement> placed;
};

// One picture to encode (none: every output is its source frame as it was) and what comes of it.
struct EncodeJob {
    AvFramePtr picture;
    // The picture is scaled into the DV picture first (by the encoder's thread, so that the
    // scaled picture is still in that processor's cache when it is encoded).
    bool scale = false;
    std::vector<EncodeOutput> outputs;
    // Takes the picture back once it is encoded, for the next one.
    std::function<void(AvFramePtr)> recycle;
};

struct EncodedFrame {
    std::vector<std::uint8_t> frame;
    std::shared_ptr<const SourceFrameData> source;
    std::int64_t count = 0;
};

// Takes the frames of each job, in the order of the jobs; may wait while the receiver is full;
// false when it stopped taking them.
using EncodedFramesOutput = std::function<bool(std::vector<EncodedFrame>)>;

// Encoders on threads of their own, each scaling and coding whole pictures on its one thread:
// FFmpeg's slice threads spend a third more processor time on the same work than two encoders
// side by side. Each job's frames are pushed to the output in the order the jobs went in, by
// the thread that completes the order; an output that stops taking them stops the encoders.
class DvEncoderWorkers {
public:
    // `interlacedScaling`: see DvPictureStage::setInterlacedScaling.
    static core::Expected<std::unique_ptr<DvEncoderWorkers>, ReencodeErrorCode>
    create(const DvPictureFormat &format, int threads, std::size_t jobsInFlight, bool interlacedScaling,
           EncodedFramesOutput output);
    // Stops and joins the threads.
    ~DvEncoderWorkers();
    DvEncoderWorkers(const DvEncoderWorkers &) = delete;
    DvEncoderWorkers &operator=(const DvEncoderWorkers &) = delete;

    // Waits while the encoders are busy; false when they stopped (a failure or abort()).
    bool push(EncodeJob job);
    // No more jobs: the encoders finish what they have.
    void close();
    // Drops what is on its way and tells the threads to stop (each finishes at most its
    // picture); may be called from any thread.
    void abort();
    // Waits for the threads to end (after close() or abort()): after a close(), every job's
    // frames were pushed out; from the owner's thread.
    void join();
    // The failure that stopped an encoder, if one did.
    std::exception_ptr error() const;

    class Impl;

private:
    explicit DvEncoderWorkers(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace camlog::media
