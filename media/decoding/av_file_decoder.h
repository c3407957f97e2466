// Decodes the first video and the first audio stream of any file FFmpeg reads, in file order.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"

#include <cstdint>
#include <filesystem>
#include <memory>

namespace camlog::media {

enum class DecodedKind { Video, Audio, End };

// One picture or one block of sound at a time, as the demuxer meets their packets; the frame
// handed out stays valid until the next call of next(). Times are in seconds on the file's own
// clock (the first frame's time is not always 0).
class AvFileDecoder {
public:
    struct Wanted {
        bool video = true;
        bool audio = true;
    };

    // Fails when the file cannot be opened or read as a container, when a wanted stream has
    // no decoder, or when no wanted stream is present at all.
    static core::Expected<std::unique_ptr<AvFileDecoder>, ReencodeErrorCode> open(const std::filesystem::path &path,
                                                                                  Wanted wanted);
    ~AvFileDecoder();
    AvFileDecoder(const AvFileDecoder &) = delete;
    AvFileDecoder &operator=(const AvFileDecoder &) = delete;

    // The next decoded frame of either stream, or End once both are drained. A file that ends
    // before the video frames its header announces fails with Truncated.
    core::Expected<DecodedKind, ReencodeErrorCode> next();

    // Goes back to the last picture that starts at or before `seconds` (for DV: that picture),
    // dropping what the decoders hold. False when the file cannot seek (reading on from where
    // it is then is the caller's choice).
    bool seekTo(double seconds);

    bool hasVideo() const { return m_video.context != nullptr; }
    bool hasAudio() const { return m_audio.context != nullptr; }
    const AVFrame &frame(DecodedKind kind) const
    {
        return kind == DecodedKind::Audio ? *m_audio.frame : *m_video.frame;
    }
    // The presentation time of the frame last handed out for that stream, in seconds.
    double time(DecodedKind kind) const;
    // Seconds a picture lasts at the stream's nominal rate (0.04 when the file says nothing).
    double videoFrameDuration() const;
    // The container's duration in seconds, 0 when unknown.
    double duration() const;
    const AVCodecContext &audioContext() const { return *m_audio.context; }
    const AVCodecContext &videoContext() const { return *m_video.context; }

private:
    struct Stream {
        int index = -1;
        CodecContextPtr context;
        AvFramePtr frame;
        AVRational timeBase{1, 1};
        bool drained = false;
        std::int64_t packets = 0;
        // The end of the latest packet in the stream's time base (-1 while none carried a
        // time): where the file's pictures reached, the dropped ones included.
        std::int64_t reached = -1;
    };

    AvFileDecoder() = default;
    core::Expected<bool, ReencodeErrorCode> openStream(Stream &stream, int index);
    // True with a frame in stream.frame; false when the decoder wants input or is drained.
    core::Expected<bool, ReencodeErrorCode> receive(Stream &stream);
    core::Expected<bool, ReencodeErrorCode> send(Stream &stream, const AVPacket *packet);
    core::Expected<bool, ReencodeErrorCode> endOfFile();
    ReencodeError failure(ReencodeErrorCode code, const std::string &what) const;

    std::filesystem::path m_path;
    FormatContextPtr m_format;
    AvPacketPtr m_packet;
    Stream m_video;
    Stream m_audio;
    bool m_endOfFile = false;
};

} // namespace camlog::media
