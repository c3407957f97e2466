// The preview's source for AVI files that are not DV.
#include "media/preview/av_preview_source.h"

#include <cmath>
#include <cstring>

namespace camlog::media {

namespace {

constexpr std::int64_t kUnitsPerSecond = 10'000'000;

std::string CodecText(const AVCodecParameters &parameters)
{
    std::string text;
    std::uint32_t tag = parameters.codec_tag;
    for (int i = 0; i < 4 && tag != 0; ++i, tag >>= 8)
        text += static_cast<char>(tag & 0xFF);
    if (text.empty())
        text = avcodec_get_name(parameters.codec_id);
    return text;
}

} // namespace

AvPreviewSource::AvPreviewSource() : m_packet(av_packet_alloc()), m_picture(av_frame_alloc()), m_block(av_frame_alloc())
{
}

AvPreviewSource::~AvPreviewSource() = default;

bool AvPreviewSource::openStream(Stream &stream, int index)
{
    const AVStream *s = m_format->streams[index];
    const AVCodec *codec = avcodec_find_decoder(s->codecpar->codec_id);
    if (codec == nullptr)
        return false;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), s->codecpar) < 0)
        return false;
    context->thread_count = 1;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return false;
    stream.index = index;
    stream.context = std::move(context);
    stream.timeBase = s->time_base;
    return true;
}

AvPreviewSource::Opened AvPreviewSource::open(const std::filesystem::path &path, double frameRate)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {nullptr, PreviewMessage::NotFound, {}};
    std::unique_ptr<AvPreviewSource> source(new AvPreviewSource());
    source->m_path = path;
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return {nullptr, PreviewMessage::NotAvi, {}};
    source->m_format.reset(format);
    if (std::strcmp(format->iformat->name, "avi") != 0 || avformat_find_stream_info(format, nullptr) < 0)
        return {nullptr, PreviewMessage::NotAvi, {}};

    const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const std::string codec = video >= 0 ? CodecText(*format->streams[video]->codecpar) : std::string();
    const bool pictures = video >= 0 && source->openStream(source->m_video, video);
    const bool sound = audio >= 0 && source->openStream(source->m_audio, audio);
    PreviewMessage message = PreviewMessage::None;
    if (video < 0)
        message = sound ? PreviewMessage::AudioOnly : PreviewMessage::NotAvi;
    else if (!pictures)
        message = sound ? PreviewMessage::NoVideoDecoder
                        : (audio >= 0 ? PreviewMessage::UnknownAudio : PreviewMessage::NoAudio);
    if (!pictures && !sound)
        return {nullptr, message, codec};

    const std::int64_t duration =
        format->duration > 0 ? av_rescale(format->duration, kUnitsPerSecond, AV_TIME_BASE) : 0;
    if (pictures) {
        const AVStream *s = format->streams[video];
        if (!(frameRate > 0)) {
            const AVRational rate = s->avg_frame_rate.num > 0 ? s->avg_frame_rate : s->r_frame_rate;
            frameRate = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 25.0;
        }
        std::int64_t frames = s->nb_frames;
        if (frames <= 0)
            frames = std::llround(static_cast<double>(duration) * frameRate / kUnitsPerSecond);
        source->m_frameDuration = std::llround(kUnitsPerSecond / frameRate);
        source->m_timeline = PreviewTimeline::ForFile(frameRate, frames, duration);
        const AVRational sar =
            s->sample_aspect_ratio.num > 0 ? s->sample_aspect_ratio : s->codecpar->sample_aspect_ratio;
        source->m_pixelAspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    } else {
        // Sound alone: positions in media time, ticks of a PAL frame.
        source->m_timeline = PreviewTimeline::ForFile(0.0, 0, duration);
    }
    if (sound)
        source->m_converter = std::make_unique<DecodedAudioConverter>(kPreviewSoundRate, 2);
    return {std::move(source), message, codec};
}

std::int64_t AvPreviewSource::frameTime(const AVFrame &frame, const Stream &stream) const
{
    std::int64_t pts = frame.best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = frame.pts;
    if (pts == AV_NOPTS_VALUE)
        return 0;
    const AVStream *s = m_format->streams[stream.index];
    if (s->start_time != AV_NOPTS_VALUE)
        pts -= s->start_time;
    return av_rescale_q(pts, stream.timeBase, AVRational{1, static_cast<int>(kUnitsPerSecond)});
}

void AvPreviewSource::seek(std::int64_t time)
{
    const std::int64_t target = av_rescale(time, AV_TIME_BASE, kUnitsPerSecond)
                                + (m_format->start_time != AV_NOPTS_VALUE ? m_format->start_time : 0);
    av_seek_frame(m_format.get(), -1, target, AVSEEK_FLAG_BACKWARD);
    if (m_video.context)
        avcodec_flush_buffers(m_video.context.get());
    if (m_audio.context)
        avcodec_flush_buffers(m_audio.context.get());
    if (m_audio.context)
        m_converter = std::make_unique<DecodedAudioConverter>(kPreviewSoundRate, 2);
    m_pending.clear();
    m_soundFrom = time;
    m_soundTime = time;
    m_endOfFile = false;
}

void AvPreviewSource::takeAudioFrames()
{
    while (avcodec_receive_frame(m_audio.context.get(), m_block.get()) >= 0) {
        const std::int64_t start = frameTime(*m_block, m_audio);
        const std::int64_t length =
            m_block->sample_rate > 0 ? m_block->nb_samples * kUnitsPerSecond / m_block->sample_rate : 0;
        if (start + length > m_soundFrom)
            (void)m_converter->convert(*m_block, m_pending);
        m_soundTime = std::max(m_soundTime, start + length);
        av_frame_unref(m_block.get());
    }
}

bool AvPreviewSource::decodeUntil(std::int64_t time, std::int64_t until)
{
    const std::int64_t halfFrame = m_frameDuration / 2;
    while (true) {
        if (m_video.context) {
            av_frame_unref(m_picture.get());
            if (avcodec_receive_frame(m_video.context.get(), m_picture.get()) >= 0) {
                if (frameTime(*m_picture, m_video) + halfFrame >= time)
                    return true;
                continue;
            }
        } else if (m_soundTime >= until) {
            return true;
        }
        if (m_endOfFile)
            return false;
        const int got = av_read_frame(m_format.get(), m_packet.get());
        if (got < 0) {
            m_endOfFile = true;
            if (m_video.context)
                avcodec_send_packet(m_video.context.get(), nullptr);
            if (m_audio.context) {
                avcodec_send_packet(m_audio.context.get(), nullptr);
                takeAudioFrames();
            }
            continue;
        }
        if (m_video.context && m_packet->stream_index == m_video.index) {
            avcodec_send_packet(m_video.context.get(), m_packet.get());
        } else if (m_audio.context && m_packet->stream_index == m_audio.index) {
            if (avcodec_send_packet(m_audio.context.get(), m_packet.get()) >= 0)
                takeAudioFrames();
        }
        av_packet_unref(m_packet.get());
    }
}

SourceRead AvPreviewSource::read(std::int64_t position, bool following)
{
    SourceRead result;
    std::error_code error;
    if (!std::filesystem::exists(m_path, error)) {
        result.status = SourceReadStatus::Gone;
        return result;
    }
    const std::int64_t time = m_timeline.mediaTime(position);
    if (!following)
        seek(time);
    if (!decodeUntil(time, time + m_frameDuration) || !m_video.context)
        return result;
    result.status = SourceReadStatus::Picture;
    result.picture = m_picture.get();
    const double height = m_picture->height > 0 ? m_picture->height : 1;
    const AVRational sar = m_picture->sample_aspect_ratio;
    const double pixel = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : m_pixelAspect;
    result.displayAspect = m_picture->width * pixel / height;
    return result;
}

void AvPreviewSource::takeSound(std::vector<std::int16_t> &out)
{
    out.insert(out.end(), m_pending.begin(), m_pending.end());
    m_pending.clear();
}

} // namespace camlog::media
