// Decodes the first video and the first audio stream of any file FFmpeg reads, in file order.
#include "media/decoding/av_file_decoder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace camlog::media {

using Failure = ReencodeError;

AvFileDecoder::~AvFileDecoder() = default;

ReencodeError AvFileDecoder::failure(ReencodeErrorCode code, const std::string &what) const
{
    return Failure{code, m_path.string() + ": " + what};
}

core::Expected<std::unique_ptr<AvFileDecoder>, ReencodeErrorCode> AvFileDecoder::open(const std::filesystem::path &path,
                                                                                      Wanted wanted)
{
    std::unique_ptr<AvFileDecoder> decoder(new AvFileDecoder());
    decoder->m_path = path;
    // FFmpeg would wait for ever on a FIFO (opening it blocks until a writer comes) and read a
    // device without end: only regular files are videos.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return decoder->failure(ReencodeErrorCode::CannotOpen, std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return decoder->failure(ReencodeErrorCode::CannotOpen,
                                S_ISDIR(info.st_mode) ? "is a folder, not a file" : "not a regular file");
    AVFormatContext *format = nullptr;
    if (const int status = avformat_open_input(&format, path.c_str(), nullptr, nullptr); status < 0)
        return decoder->failure(ReencodeErrorCode::CannotOpen,
                                "cannot be read as a video file (" + AvErrorText(status) + ")");
    decoder->m_format.reset(format);
    if (const int status = avformat_find_stream_info(format, nullptr); status < 0)
        return decoder->failure(ReencodeErrorCode::CannotOpen,
                                "its streams cannot be read (" + AvErrorText(status) + ")");

    const int video = wanted.video ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) : -1;
    const int audio = wanted.audio ? av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) : -1;
    if (video < 0 && audio < 0)
        return decoder->failure(ReencodeErrorCode::NoStream, wanted.video ? "has no picture" : "has no sound");
    for (auto [stream, index] : {std::pair{&decoder->m_video, video}, std::pair{&decoder->m_audio, audio}}) {
        if (index < 0)
            continue;
        if (auto opened = decoder->openStream(*stream, index); !opened)
            return opened.error();
    }
    decoder->m_packet.reset(av_packet_alloc());
    if (!decoder->m_packet)
        return decoder->failure(ReencodeErrorCode::NoDecoder, "out of memory");
    return decoder;
}

core::Expected<bool, ReencodeErrorCode> AvFileDecoder::openStream(Stream &stream, int index)
{
    const AVStream *av = m_format->streams[index];
    const AVCodec *codec = avcodec_find_decoder(av->codecpar->codec_id);
    if (codec == nullptr)
        return failure(ReencodeErrorCode::NoDecoder, std::string("no decoder for its ")
                                                         + av_get_media_type_string(av->codecpar->codec_type)
                                                         + " codec " + avcodec_get_name(av->codecpar->codec_id));
    stream.context.reset(avcodec_alloc_context3(codec));
    stream.frame.reset(av_frame_alloc());
    if (!stream.context || !stream.frame)
        return failure(ReencodeErrorCode::NoDecoder, "out of memory");
    if (avcodec_parameters_to_context(stream.context.get(), av->codecpar) < 0)
        return failure(ReencodeErrorCode::NoDecoder, "its stream parameters are unusable");
    stream.context->pkt_timebase = av->time_base;
    // Pictures are decoded on threads of their own, each its own picture: FFmpeg's slice
    // threads cost a third more processor time for the same work. Three pictures on their way
    // keep two processors busy while this thread reads and hands on the others. The pictures
    // come out a few pictures later than their packets go in, which the callers' clocks (the
    // pictures' times) absorb.
    if (av->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        stream.context->thread_count = 3;
        stream.context->thread_type = FF_THREAD_FRAME;
    }
    if (const int status = avcodec_open2(stream.context.get(), codec, nullptr); status < 0)
        return failure(ReencodeErrorCode::NoDecoder,
                       std::string("the ") + codec->name + " decoder refused the stream (" + AvErrorText(status) + ")");
    stream.index = index;
    stream.timeBase = av->time_base;
    // An AVI numbers its pictures in the header's rate; a DV picture lasts what its system says
    // whatever the header claims (a corrupt rate would put every picture at one instant).
    if (av->codecpar->codec_id == AV_CODEC_ID_DVVIDEO && av->time_base.num > 0) {
        const int height = av->codecpar->height;
        const AVRational system = height == 576 ? AVRational{25, 1} : AVRational{30000, 1001};
        const bool known = height == 576 || height == 480;
        if (known && av_cmp_q(av_inv_q(av->time_base), system) != 0 && av->avg_frame_rate.num > 0
            && av_cmp_q(av_inv_q(av->time_base), av->avg_frame_rate) == 0)
            stream.timeBase = av_inv_q(system);
    }
    return true;
}

core::Expected<bool, ReencodeErrorCode> AvFileDecoder::receive(Stream &stream)
{
    if (!stream.context || stream.drained)
        return false;
    const int status = avcodec_receive_frame(stream.context.get(), stream.frame.get());
    if (status == 0)
        return true;
    if (status == AVERROR_EOF) {
        stream.drained = true;
        return false;
    }
    if (status == AVERROR(EAGAIN))
        return false;
    return failure(ReencodeErrorCode::DecodeFailed, "damaged data cannot be decoded (" + AvErrorText(status) + ")");
}

core::Expected<bool, ReencodeErrorCode> AvFileDecoder::send(Stream &stream, const AVPacket *packet)
{
    const int status = avcodec_send_packet(stream.context.get(), packet);
    if (status == 0 || status == AVERROR_EOF)
        return true;
    if (status == AVERROR(EAGAIN))
        return false; // cannot happen: every frame is received before the next packet is sent
    const char *kind = &stream == &m_video ? "picture" : "sound";
    return failure(ReencodeErrorCode::DecodeFailed, std::string("damaged ") + kind + " data after "
                                                        + std::to_string(stream.packets) + " packets ("
                                                        + AvErrorText(status) + ")");
}

core::Expected<bool, ReencodeErrorCode> AvFileDecoder::endOfFile()
{
    m_endOfFile = true;
    if (m_format->pb != nullptr && m_format->pb->error < 0 && m_format->pb->error != AVERROR_EOF)
        return failure(ReencodeErrorCode::CannotOpen, "read error (" + AvErrorText(m_format->pb->error) + ")");
    if (hasVideo()) {
        // A file cut short still parses: only the count its header gives tells it lost its end
        // (FFmpeg's own AVI writer announces one picture more than it writes).
        // A dropped picture (a chunk without data, which FFmpeg skips) is no loss: AVI packets
        // carry their picture's number as their time, so the times tell how far the file reached.
        const AVStream *stream = m_format->streams[m_video.index];
        const std::int64_t announced = stream->nb_frames;
        const bool framesAsTime = stream->time_base.num > 0 && stream->avg_frame_rate.num > 0
                                  && av_cmp_q(av_inv_q(stream->time_base), stream->avg_frame_rate) == 0;
        const std::int64_t reached = framesAsTime && m_video.reached >= 0 ? m_video.reached : m_video.packets;
        if (announced > 0 && reached + 1 < announced)
            return failure(ReencodeErrorCode::Truncated, "the file ends after " + std::to_string(reached) + " of its "
                                                             + std::to_string(announced) + " pictures");
    }
    for (Stream *stream : {&m_video, &m_audio})
        if (stream->context)
            if (auto sent = send(*stream, nullptr); !sent)
                return sent;
    return true;
}

core::Expected<DecodedKind, ReencodeErrorCode> AvFileDecoder::next()
{
    for (;;) {
        for (auto [stream, kind] : {std::pair{&m_video, DecodedKind::Video}, std::pair{&m_audio, DecodedKind::Audio}}) {
            auto got = receive(*stream);
            if (!got)
                return got.error();
            if (got.value())
                return kind;
        }
        if (m_endOfFile)
            return DecodedKind::End;
        av_packet_unref(m_packet.get());
        const int status = av_read_frame(m_format.get(), m_packet.get());
        if (status == AVERROR_EOF) {
            if (auto ended = endOfFile(); !ended)
                return ended.error();
            continue;
        }
        if (status < 0)
            return failure(ReencodeErrorCode::CannotOpen, "read error (" + AvErrorText(status) + ")");
        for (Stream *stream : {&m_video, &m_audio}) {
            if (stream->context && m_packet->stream_index == stream->index) {
                ++stream->packets;
                const std::int64_t start = m_packet->pts != AV_NOPTS_VALUE ? m_packet->pts : m_packet->dts;
                if (start != AV_NOPTS_VALUE)
                    stream->reached = std::max(stream->reached, start + std::max<std::int64_t>(m_packet->duration, 1));
                if ((m_packet->flags & AV_PKT_FLAG_CORRUPT) != 0)
                    return failure(ReencodeErrorCode::Truncated,
                                   "packet " + std::to_string(stream->packets) + " is cut short or damaged");
                if (auto sent = send(*stream, m_packet.get()); !sent)
                    return sent.error();
            }
        }
    }
}

bool AvFileDecoder::seekTo(double seconds)
{
    const std::int64_t target = static_cast<std::int64_t>(seconds * AV_TIME_BASE);
    if (av_seek_frame(m_format.get(), -1, target, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    for (Stream *stream : {&m_video, &m_audio})
        if (stream->context) {
            avcodec_flush_buffers(stream->context.get());
            stream->drained = false;
        }
    m_endOfFile = false;
    return true;
}

double AvFileDecoder::time(DecodedKind kind) const
{
    const Stream &stream = kind == DecodedKind::Audio ? m_audio : m_video;
    std::int64_t pts = stream.frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = stream.frame->pts;
    if (pts == AV_NOPTS_VALUE)
        return 0.0;
    return static_cast<double>(pts) * av_q2d(stream.timeBase);
}

double AvFileDecoder::videoFrameDuration() const
{
    if (!hasVideo())
        return 0.04;
    const AVStream *stream = m_format->streams[m_video.index];
    if (av_cmp_q(m_video.timeBase, stream->time_base) != 0)
        return av_q2d(m_video.timeBase); // the DV system's, where the header lies
    for (AVRational rate : {stream->avg_frame_rate, stream->r_frame_rate})
        if (rate.num > 0 && rate.den > 0)
            return av_q2d(av_inv_q(rate));
    return 0.04;
}

double AvFileDecoder::duration() const
{
    const double container = m_format->duration > 0 ? static_cast<double>(m_format->duration) / AV_TIME_BASE : 0.0;
    if (hasVideo()) {
        // A header whose rate lies gives no duration worth the name: the pictures it counts,
        // at the rate they really have, do.
        const AVStream *stream = m_format->streams[m_video.index];
        const bool rateLies = av_cmp_q(m_video.timeBase, stream->time_base) != 0;
        if ((container <= 0.0 || rateLies) && stream->nb_frames > 0)
            return static_cast<double>(stream->nb_frames) * videoFrameDuration();
    }
    return container;
}

} // namespace camlog::media
