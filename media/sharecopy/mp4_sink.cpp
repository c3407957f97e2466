// The end of the share copy's line: H.264 and AAC packets into an MP4 file.
#include "media/sharecopy/mp4_sink.h"

#include "media/pipeline/bounded_queue.h"
#include "media/pipeline/run_error.h"

#include <mutex>
#include <thread>

namespace camlog::media {

namespace {

// Packets on their way into the sink (the muxer holds what it must to interleave them).
constexpr std::size_t kInboxSize = 32;

struct PacketMessage {
    enum class Kind { Video, Audio, PicturesEnd, SoundEnd } kind;
    AvPacketPtr packet;
};

} // namespace

class Mp4Sink::Impl {
public:
    explicit Impl(const std::filesystem::path &destination) : m_policy(destination, StoppedOutput::Discard) {}

    void open(const std::filesystem::path &destination, const AVCodecContext &video, const AVCodecContext *audio,
              Mp4Dates dates)
    {
        m_writer = checked(Mp4Writer::create(destination, video, audio, std::move(dates)));
        m_soundEnded = audio == nullptr;
        m_thread = std::thread([this] { loop(); });
    }
    bool send(PacketMessage message) { return m_inbox.push(std::move(message)); }
    void abort() { m_inbox.abort(); }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (const std::exception_ptr failure = error())
            std::rethrow_exception(failure);
    }
    std::exception_ptr error() const
    {
        std::lock_guard lock(m_errorMutex);
        return m_error;
    }
    const OutputPolicy &policy() const { return m_policy; }
    void finish() { checked(m_writer->finish()); }
    void discard()
    {
        m_inbox.abort();
        if (m_thread.joinable())
            m_thread.join();
        m_writer.reset(); // an unfinished writer removes its file
    }

private:
    void loop();
    void write(PacketMessage &message);

    OutputPolicy m_policy;
    std::unique_ptr<Mp4Writer> m_writer;
    bool m_picturesEnded = false;
    bool m_soundEnded = false;
    BoundedQueue<PacketMessage> m_inbox{kInboxSize};
    std::thread m_thread;
    mutable std::mutex m_errorMutex;
    std::exception_ptr m_error;
};

void Mp4Sink::Impl::loop()
{
    try {
        while (!(m_picturesEnded && m_soundEnded)) {
            auto message = m_inbox.pop();
            if (!message)
                return; // aborted
            write(*message);
        }
        m_inbox.close(); // anything sent later is refused rather than left waiting
    } catch (...) {
        {
            std::lock_guard lock(m_errorMutex);
            m_error = std::current_exception();
        }
        m_inbox.abort();
    }
}

void Mp4Sink::Impl::write(PacketMessage &message)
{
    switch (message.kind) {
    case PacketMessage::Kind::Video:
        checked(m_writer->writeVideo(message.packet.get()));
        break;
    case PacketMessage::Kind::Audio:
        checked(m_writer->writeAudio(message.packet.get()));
        break;
    case PacketMessage::Kind::PicturesEnd:
        m_picturesEnded = true;
        break;
    case PacketMessage::Kind::SoundEnd:
        m_soundEnded = true;
        break;
    }
}

Mp4Sink::Mp4Sink(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

Mp4Sink::~Mp4Sink()
{
    m_impl->discard();
}

std::unique_ptr<Mp4Sink> Mp4Sink::start(const std::filesystem::path &destination, const AVCodecContext &video,
                                        const AVCodecContext *audio, Mp4Dates dates)
{
    auto impl = std::make_unique<Impl>(destination);
    impl->open(destination, video, audio, std::move(dates));
    return std::unique_ptr<Mp4Sink>(new Mp4Sink(std::move(impl)));
}

bool Mp4Sink::pushVideo(AvPacketPtr packet)
{
    return m_impl->send({PacketMessage::Kind::Video, std::move(packet)});
}

bool Mp4Sink::pushAudio(AvPacketPtr packet)
{
    return m_impl->send({PacketMessage::Kind::Audio, std::move(packet)});
}

void Mp4Sink::endPictures()
{
    m_impl->send({PacketMessage::Kind::PicturesEnd, nullptr});
}

void Mp4Sink::endSound()
{
    m_impl->send({PacketMessage::Kind::SoundEnd, nullptr});
}

void Mp4Sink::abort()
{
    m_impl->abort();
}

void Mp4Sink::join()
{
    m_impl->join();
}

std::exception_ptr Mp4Sink::error() const
{
    return m_impl->error();
}

const OutputPolicy &Mp4Sink::policy() const
{
    return m_impl->policy();
}

void Mp4Sink::finish()
{
    m_impl->finish();
}

void Mp4Sink::discard()
{
    m_impl->discard();
}

} // namespace camlog::media
