// The MP4 file of a share copy: H.264 pictures, AAC sound, a timed-text subtitle track, chapters
// and the creation date, written through FFmpeg's MP4 muxer under a temporary name.
#pragma once

#include "core/local_moment.h"
#include "core/replacing_file.h"
#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace camlog::media {

// Times in milliseconds from the start of the copy.
struct Mp4Cue {
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;
    std::string text; // UTF-8; lines separated by "\n"
};
struct Mp4Chapter {
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;
    std::string title;
};
struct Mp4Dates {
    std::vector<Mp4Cue> cues; // in time order; no subtitle track when empty
    std::vector<Mp4Chapter> chapters;
    // The file's creation time (the movie header and the "creation_time" tag, in UTC) and the
    // QuickTime creation date with its offset, which photo libraries read.
    std::optional<core::LocalMoment> creation;
};

// The file is written under a temporary name beside the destination and renamed onto it by
// finish(); a failure (full disk included) or a writer dropped before finish() leaves the
// destination as it was. The packets go in as their encoders give them; the muxer interleaves
// them. The subtitle cues are handed to the muxer as the pictures reach their times.
class Mp4Writer {
public:
    // video: the opened H.264 encoder's context; audio: the AAC encoder's, or null without sound.
    static core::Expected<std::unique_ptr<Mp4Writer>, ReencodeErrorCode>
    create(const std::filesystem::path &destination, const AVCodecContext &video, const AVCodecContext *audio,
           Mp4Dates dates);
    ~Mp4Writer();
    Mp4Writer(const Mp4Writer &) = delete;
    Mp4Writer &operator=(const Mp4Writer &) = delete;

    // A packet with its times on its encoder's time base.
    core::Expected<bool, ReencodeErrorCode> writeVideo(AVPacket *packet);
    core::Expected<bool, ReencodeErrorCode> writeAudio(AVPacket *packet);
    // The remaining cues, the file's index, then the rename onto the destination. Returns the size.
    core::Expected<std::uint64_t, ReencodeErrorCode> finish();

private:
    explicit Mp4Writer(const std::filesystem::path &destination);
    core::Expected<bool, ReencodeErrorCode> open(const AVCodecContext &video, const AVCodecContext *audio);
    core::Expected<bool, ReencodeErrorCode> addSubtitleTrack();
    void addChapters();
    void addCreationDate();
    core::Expected<bool, ReencodeErrorCode> write(AVPacket *packet, AVRational from, int stream);
    core::Expected<bool, ReencodeErrorCode> writeCuesUntil(std::int64_t ms);
    ReencodeError failure(const std::string &what, int status) const;

    static int writePacket(void *opaque, std::uint8_t *data, int size);
    static std::int64_t seek(void *opaque, std::int64_t offset, int whence);

    struct OutputFree {
        void operator()(AVFormatContext *context) const;
    };
    core::ReplacingFile m_file;
    std::uint64_t m_position = 0; // where the muxer writes next
    Mp4Dates m_dates;
    std::unique_ptr<AVFormatContext, OutputFree> m_format;
    int m_videoStream = -1;
    int m_audioStream = -1;
    int m_subtitleStream = -1;
    AVRational m_videoTimeBase{1, 50}; // of the encoders' packets
    AVRational m_audioTimeBase{1, 48000};
    std::size_t m_nextCue = 0;
    std::int64_t m_subtitleEnd = 0; // where the last cue written ends (ms)
};

} // namespace camlog::media
