// The preview's source for AVI files that are not DV: FFmpeg reads, seeks and decodes them.
#pragma once

#include "media/decoding/decoded_audio_converter.h"
#include "media/preview/preview_message.h"
#include "media/preview/preview_source.h"

#include <filesystem>
#include <memory>
#include <string>

namespace camlog::media {

class AvPreviewSource : public PreviewSource {
public:
    struct Opened {
        std::unique_ptr<AvPreviewSource> source; // null when nothing can be played
        PreviewMessage message = PreviewMessage::None;
        std::string codec; // the video codec's four characters, for the messages that name it
    };
    // frameRate: the file's own (0: taken from the stream). A file whose pictures cannot be
    // decoded but whose sound can is opened for its sound, with the message that says so.
    static Opened open(const std::filesystem::path &path, double frameRate);

    ~AvPreviewSource() override;

    const PreviewTimeline &timeline() const override { return m_timeline; }
    bool hasPicture() const override { return m_video.context != nullptr; }
    bool hasSound() const override { return m_audio.context != nullptr; }
    std::int64_t frameDuration() const override { return m_frameDuration; }
    SourceRead read(std::int64_t position, bool following) override;
    void takeSound(std::vector<std::int16_t> &out) override;

private:
    struct Stream {
        int index = -1;
        CodecContextPtr context;
        AVRational timeBase{1, 1};
    };
    AvPreviewSource();
    bool openStream(Stream &stream, int index);
    void seek(std::int64_t time);
    // Reads packets until a picture at or after `time` (100-ns) is decoded, or, for a file of
    // sound, until the sound reaches `until`. False at the end of the file.
    bool decodeUntil(std::int64_t time, std::int64_t until);
    void takeAudioFrames();
    std::int64_t frameTime(const AVFrame &frame, const Stream &stream) const;

    std::filesystem::path m_path;
    FormatContextPtr m_format;
    AvPacketPtr m_packet;
    AvFramePtr m_picture;
    AvFramePtr m_block;
    Stream m_video;
    Stream m_audio;
    PreviewTimeline m_timeline;
    std::int64_t m_frameDuration = 400'000;
    double m_pixelAspect = 1.0;
    std::unique_ptr<DecodedAudioConverter> m_converter;
    std::vector<std::int16_t> m_pending;
    std::int64_t m_soundFrom = 0; // sound before this time (after a seek) is not heard
    std::int64_t m_soundTime = 0; // the time the decoded sound has reached
    bool m_endOfFile = false;
};

} // namespace camlog::media
