// The MP4 file of a share copy through FFmpeg's MP4 muxer.
#include "media/sharecopy/mp4_writer.h"

extern "C" {
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace camlog::media {

namespace {
constexpr int kIoBufferSize = 1 << 16;
constexpr AVRational kMilliseconds{1, 1000};

// A minimal subtitle style sheet: the timed-text encoder takes its sample description from it.
constexpr const char *kSubtitleStyles = "[Script Info]\r\nScriptType: v4.00+\r\nPlayResX: 384\r\nPlayResY: 288\r\n\r\n"
                                        "[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize, PrimaryColour, "
                                        "SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, "
                                        "StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
                                        "Alignment, MarginL, MarginR, MarginV, Encoding\r\n"
                                        "Style: Default,Arial,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,"
                                        "2,10,10,10,0\r\n\r\n[Events]\r\nFormat: Layer, Start, End, Style, Name, "
                                        "MarginL, MarginR, MarginV, Effect, Text\r\n";
} // namespace

void Mp4Writer::OutputFree::operator()(AVFormatContext *context) const
{
    if (context->pb != nullptr) {
        av_freep(&context->pb->buffer);
        avio_context_free(&context->pb);
    }
    avformat_free_context(context);
}

Mp4Writer::Mp4Writer(const std::filesystem::path &destination)
    : m_file(destination, core::ReplacingFile::Sync::WhenReplacing)
{
}

Mp4Writer::~Mp4Writer() = default;

ReencodeError Mp4Writer::failure(const std::string &what, int status) const
{
    // A failed write says why (the disk is full...) better than the muxer's error code does.
    if (!m_file.ok())
        return ReencodeError{core::ReplacingFile::isNoSpace(m_file.errorNumber()) ? ReencodeErrorCode::DiskFull
                                                                                  : ReencodeErrorCode::WriteFailed,
                             m_file.errorMessage()};
    return ReencodeError{ReencodeErrorCode::WriteFailed,
                         m_file.destination().string() + ": " + what + " (" + AvErrorText(status) + ")"};
}

int Mp4Writer::writePacket(void *opaque, std::uint8_t *data, int size)
{
    auto &self = *static_cast<Mp4Writer *>(opaque);
    const auto bytes = static_cast<std::uint64_t>(size);
    const std::uint64_t end = self.m_file.size();
    // Overwrites what is there (the muxer goes back to sizes it left open), appends the rest.
    const std::uint64_t over = self.m_position < end ? std::min(bytes, end - self.m_position) : 0;
    if (self.m_position > end)
        return AVERROR(EINVAL);
    if (over > 0 && !self.m_file.writeAt(self.m_position, data, over))
        return AVERROR(EIO);
    if (bytes > over && !self.m_file.append(data + over, bytes - over))
        return AVERROR(EIO);
    self.m_position += bytes;
    return size;
}

std::int64_t Mp4Writer::seek(void *opaque, std::int64_t offset, int whence)
{
    auto &self = *static_cast<Mp4Writer *>(opaque);
    const auto size = static_cast<std::int64_t>(self.m_file.size());
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += static_cast<std::int64_t>(self.m_position);
        break;
    case SEEK_END:
        offset += size;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < 0 || offset > size)
        return AVERROR(EINVAL);
    self.m_position = static_cast<std::uint64_t>(offset);
    return offset;
}

core::Expected<std::unique_ptr<Mp4Writer>, ReencodeErrorCode>
Mp4Writer::create(const std::filesystem::path &destination, const AVCodecContext &video, const AVCodecContext *audio,
                  Mp4Dates dates)
{
    std::unique_ptr<Mp4Writer> writer(new Mp4Writer(destination));
    writer->m_dates = std::move(dates);
    if (auto opened = writer->open(video, audio); !opened)
        return opened.error();
    return writer;
}

core::Expected<bool, ReencodeErrorCode> Mp4Writer::open(const AVCodecContext &video, const AVCodecContext *audio)
{
    if (!m_file.ok())
        return failure("cannot be created", 0);
    AVFormatContext *format = nullptr;
    if (int status = avformat_alloc_output_context2(&format, nullptr, "mp4", nullptr); status < 0)
        return failure("cannot be made", status);
    m_format.reset(format);
    auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferSize));
    format->pb = avio_alloc_context(buffer, kIoBufferSize, 1, this, nullptr, &Mp4Writer::writePacket, &Mp4Writer::seek);
    if (format->pb == nullptr) {
        av_free(buffer);
        return failure("cannot be made", AVERROR(ENOMEM));
    }
    format->flags |= AVFMT_FLAG_CUSTOM_IO;

    const auto addStream = [&](const AVCodecContext &codec, int &index) -> core::Expected<bool, ReencodeErrorCode> {
        AVStream *stream = avformat_new_stream(format, nullptr);
        if (stream == nullptr)
            return failure("cannot hold another stream", AVERROR(ENOMEM));
        if (int status = avcodec_parameters_from_context(stream->codecpar, &codec); status < 0)
            return failure("refused a stream", status);
        stream->time_base = codec.time_base;
        stream->avg_frame_rate = codec.framerate;
        stream->sample_aspect_ratio = codec.sample_aspect_ratio;
        index = stream->index;
        (&codec == &video ? m_videoTimeBase : m_audioTimeBase) = codec.time_base;
        return true;
    };
    if (auto added = addStream(video, m_videoStream); !added)
        return added;
    if (audio != nullptr)
        if (auto added = addStream(*audio, m_audioStream); !added)
            return added;
    if (!m_dates.cues.empty())
        if (auto added = addSubtitleTrack(); !added)
            return added;
    addChapters();
    addCreationDate();

    AVDictionary *options = nullptr;
    // The creation date goes into the QuickTime keys as written, where photo libraries read it.
    av_dict_set(&options, "movflags", "use_metadata_tags", 0);
    const int status = avformat_write_header(format, &options);
    av_dict_free(&options);
    if (status < 0)
        return failure("cannot start the MP4 file", status);
    return true;
}

core::Expected<bool, ReencodeErrorCode> Mp4Writer::addSubtitleTrack()
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_MOV_TEXT);
    if (codec == nullptr)
        return failure("has no timed-text encoder", AVERROR_ENCODER_NOT_FOUND);
    CodecContextPtr text(avcodec_alloc_context3(codec));
    if (!text)
        return failure("cannot be made", AVERROR(ENOMEM));
    text->time_base = kMilliseconds;
    text->subtitle_header = reinterpret_cast<std::uint8_t *>(av_strdup(kSubtitleStyles));
    text->subtitle_header_size = static_cast<int>(std::strlen(kSubtitleStyles));
    text->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (int status = avcodec_open2(text.get(), codec, nullptr); status < 0)
        return failure("refused the subtitle track", status);
    AVStream *stream = avformat_new_stream(m_format.get(), nullptr);
    if (stream == nullptr)
        return failure("cannot hold another stream", AVERROR(ENOMEM));
    if (int status = avcodec_parameters_from_context(stream->codecpar, text.get()); status < 0)
        return failure("refused the subtitle track", status);
    stream->time_base = kMilliseconds;
    m_subtitleStream = stream->index;
    return true;
}

// The muxer writes the chapters of its context (as a chapter track and a chapter list).
void Mp4Writer::addChapters()
{
    AVFormatContext &format = *m_format;
    for (const Mp4Chapter &chapter : m_dates.chapters) {
        auto *slot =
            static_cast<AVChapter **>(av_realloc_array(format.chapters, format.nb_chapters + 1, sizeof(AVChapter *)));
        if (slot == nullptr)
            return;
        format.chapters = slot;
        auto *entry = static_cast<AVChapter *>(av_mallocz(sizeof(AVChapter)));
        if (entry == nullptr)
            return;
        entry->id = static_cast<std::int64_t>(format.nb_chapters) + 1;
        entry->time_base = kMilliseconds;
        entry->start = chapter.startMs;
        entry->end = chapter.endMs;
        av_dict_set(&entry->metadata, "title", chapter.title.c_str(), 0);
        format.chapters[format.nb_chapters++] = entry;
    }
}

void Mp4Writer::addCreationDate()
{
    if (!m_dates.creation)
        return;
    av_dict_set(&m_format->metadata, "creation_time", core::UtcTimestampText(*m_dates.creation).c_str(), 0);
    av_dict_set(&m_format->metadata, "com.apple.quicktime.creationdate",
                core::LocalTimestampText(*m_dates.creation).c_str(), 0);
}

core::Expected<bool, ReencodeErrorCode> Mp4Writer::write(AVPacket *packet, AVRational from, int stream)
{
    packet->stream_index = stream;
    av_packet_rescale_ts(packet, from, m_format->streams[stream]->time_base);
    const int status = av_interleaved_write_frame(m_format.get(), packet);
    if (status < 0)
        return failure("cannot be written", status);
    if (!m_file.ok())
        return failure("cannot be written", AVERROR(EIO));
    return true;
}

// An empty sample covers every stretch without a cue, so each cue shows at its own time.
core::Expected<bool, ReencodeErrorCode> Mp4Writer::writeCuesUntil(std::int64_t ms)
{
    while (m_subtitleStream >= 0 && m_nextCue < m_dates.cues.size() && m_dates.cues[m_nextCue].startMs <= ms) {
        const Mp4Cue &cue = m_dates.cues[m_nextCue++];
        const auto sample = [&](std::int64_t start, std::int64_t end,
                                const std::string &text) -> core::Expected<bool, ReencodeErrorCode> {
            AvPacketPtr packet(av_packet_alloc());
            const auto length = static_cast<int>(std::min<std::size_t>(text.size(), 0xFFFF));
            if (!packet || av_new_packet(packet.get(), 2 + length) < 0)
                return failure("cannot hold a subtitle", AVERROR(ENOMEM));
            packet->data[0] = static_cast<std::uint8_t>(length >> 8);
            packet->data[1] = static_cast<std::uint8_t>(length & 0xFF);
            std::memcpy(packet->data + 2, text.data(), static_cast<std::size_t>(length));
            packet->pts = packet->dts = start;
            packet->duration = end - start;
            packet->flags |= AV_PKT_FLAG_KEY;
            return write(packet.get(), kMilliseconds, m_subtitleStream);
        };
        if (cue.startMs > m_subtitleEnd)
            if (auto gap = sample(m_subtitleEnd, cue.startMs, std::string()); !gap)
                return gap;
        if (cue.endMs <= std::max(cue.startMs, m_subtitleEnd))
            continue;
        if (auto written = sample(std::max(cue.startMs, m_subtitleEnd), cue.endMs, cue.text); !written)
            return written;
        m_subtitleEnd = cue.endMs;
    }
    return true;
}

core::Expected<bool, ReencodeErrorCode> Mp4Writer::writeVideo(AVPacket *packet)
{
    const std::int64_t time = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    if (time != AV_NOPTS_VALUE)
        if (auto cues = writeCuesUntil(av_rescale_q(time, m_videoTimeBase, kMilliseconds)); !cues)
            return cues;
    return write(packet, m_videoTimeBase, m_videoStream);
}

core::Expected<bool, ReencodeErrorCode> Mp4Writer::writeAudio(AVPacket *packet)
{
    return write(packet, m_audioTimeBase, m_audioStream);
}

core::Expected<std::uint64_t, ReencodeErrorCode> Mp4Writer::finish()
{
    if (auto cues = writeCuesUntil(INT64_MAX); !cues)
        return cues.error();
    if (int status = av_write_trailer(m_format.get()); status < 0)
        return failure("cannot end the MP4 file", status);
    avio_flush(m_format->pb);
    if (!m_file.ok() || !m_file.commit())
        return failure("cannot be put in place", AVERROR(EIO));
    return m_file.size();
}

} // namespace camlog::media
