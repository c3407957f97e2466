// The share copy's picture stage: decoded pictures made the copy's pictures and encoded.
#include "media/sharecopy/share_picture_stage.h"

#include "media/pipeline/run_error.h"
#include "media/sharecopy/h264_encoder.h"
#include "media/sharecopy/mp4_sink.h"
#include "media/sharecopy/share_picture_chain.h"

namespace camlog::media {

namespace {
// Decoded pictures on their way (about 0.6 MB each): decoding is quick beside the filter and
// x264, so one waiting picture keeps the stage busy (measured as fast as three, and as eight);
// more would only raise the copy's peak memory.
constexpr std::size_t kPicturesInFlight = 1;
} // namespace

SharePictureStage::SharePictureStage(SharePictureChain &chain, H264Encoder &encoder, Mp4Sink &sink)
    : m_chain(chain),
      m_encoder(encoder),
      m_sink(sink),
      m_pictures(kPicturesInFlight)
{
    m_thread = std::thread([this] { loop(); });
}

SharePictureStage::~SharePictureStage()
{
    abort();
    if (m_thread.joinable())
        m_thread.join();
}

bool SharePictureStage::push(AvFramePtr picture)
{
    return m_pictures.push(std::move(picture));
}

void SharePictureStage::close()
{
    m_pictures.close();
}

void SharePictureStage::abort()
{
    m_aborted = true;
    m_pictures.abort();
}

void SharePictureStage::join()
{
    if (m_thread.joinable())
        m_thread.join();
    if (const std::exception_ptr failure = error())
        std::rethrow_exception(failure);
}

std::exception_ptr SharePictureStage::error() const
{
    std::lock_guard lock(m_errorMutex);
    return m_error;
}

void SharePictureStage::loop()
{
    try {
        while (auto picture = m_pictures.pop()) {
            filter(picture->get());
            if (m_sinkStopped) {
                m_pictures.abort();
                return;
            }
        }
        if (!m_aborted && !m_sinkStopped) {
            // Closed, not aborted: what the chain and the encoder hold goes out too.
            filter(nullptr);
            encode(nullptr);
            m_sink.endPictures();
        }
    } catch (...) {
        {
            std::lock_guard lock(m_errorMutex);
            m_error = std::current_exception();
        }
        m_pictures.abort();
    }
}

// A picture through the chain (none: the end), and what comes out of it to the encoder.
void SharePictureStage::filter(AVFrame *picture)
{
    checked(m_chain.push(picture));
    while (!m_sinkStopped && checked(m_chain.pull(m_filtered.get()))) {
        m_filtered->pict_type = AV_PICTURE_TYPE_NONE;
        encode(m_filtered.get());
        av_frame_unref(m_filtered.get());
    }
}

// A picture to the encoder (none: the end), and its packets to the sink.
void SharePictureStage::encode(const AVFrame *picture)
{
    checked(m_encoder.send(picture));
    for (;;) {
        AvPacketPtr packet(av_packet_alloc());
        if (!packet)
            failRun(RunErrorCode::Failed, "out of memory for a packet");
        if (!checked(m_encoder.receive(packet.get())))
            return;
        if (!m_sink.pushVideo(std::move(packet))) {
            m_sinkStopped = true; // the sink's failure ends the run
            return;
        }
    }
}

} // namespace camlog::media
