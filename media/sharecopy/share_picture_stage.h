// The share copy's picture stage: decoded pictures made the copy's pictures and encoded.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/bounded_queue.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace camlog::media {

class SharePictureChain;
class H264Encoder;
class Mp4Sink;

// On a thread of its own: each decoded picture through the picture chain (bwdif, scale,
// square pixels) and the H.264 encoder, the packets pushed to the sink. The decoding pushes
// the pictures through a small bounded queue.
class SharePictureStage {
public:
    SharePictureStage(SharePictureChain &chain, H264Encoder &encoder, Mp4Sink &sink);
    // Drops what is on its way and joins the thread.
    ~SharePictureStage();
    SharePictureStage(const SharePictureStage &) = delete;
    SharePictureStage &operator=(const SharePictureStage &) = delete;

    // A decoded picture, its pts its number counted from the copy's first frame. False once the
    // stage stopped (a failure here or in the sink).
    bool push(AvFramePtr picture);
    // No more pictures: the chain and the encoder give what they hold, then the sink is told
    // the pictures ended.
    void close();
    // Drops what is on its way and ends the thread at once.
    void abort();
    // Waits for the thread; its failure, if one ended it, is thrown on.
    void join();
    std::exception_ptr error() const;

private:
    void loop();
    void filter(AVFrame *picture);
    void encode(const AVFrame *picture);

    SharePictureChain &m_chain;
    H264Encoder &m_encoder;
    Mp4Sink &m_sink;
    AvFramePtr m_filtered{av_frame_alloc()};
    BoundedQueue<AvFramePtr> m_pictures;
    bool m_sinkStopped = false;
    std::atomic<bool> m_aborted{false};
    std::thread m_thread;
    mutable std::mutex m_errorMutex;
    std::exception_ptr m_error;
};

} // namespace camlog::media
