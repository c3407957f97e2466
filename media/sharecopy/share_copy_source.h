// The share-copy recipe: a DV tape made an MP4 file that keeps the camera's dates (H.264 at the
// field rate and square pixels, AAC sound, the recording date and time as subtitles, one
// chapter per recording, the first recording's date as the file's creation date).
#pragma once

#include "media/pipeline/caption_step.h"
#include "media/pipeline/pipeline.h"
#include "media/pipeline/reencode_error.h"
#include "scenes/share_copy_dates.h"

#include <filesystem>
#include <memory>
#include <string>

namespace camlog::media {

struct ShareCopyPlan {
    std::filesystem::path source;
    std::filesystem::path destination;
    std::string preset = "medium"; // x264's
    int crf = 20;
    // The subtitle lines, as the srt file has them; their time difference moves the chapter
    // titles and the creation date too.
    CaptionSettings captions;
    // The date-time pattern of the chapter titles.
    std::string chapterTitleFormat;
    // The frames the copy holds (a scene); the whole tape by default.
    scenes::FrameRange range;
};

// Runs in two steps: the fast datecode scan of the tape (the dates), then the copy itself, a
// line of stages each on a thread of its own joined by small bounded queues, so memory stays
// flat at any length: the decoding (with the AAC encoder) → the picture stage (bwdif / scale /
// square pixels, then H.264; SharePictureStage) → the MP4 sink (Mp4Sink: the writer and what
// becomes of the file).
// A failure (damaged or truncated source, full disk) and a stop both leave no file and an
// existing destination as it was.
class ShareCopySource : public PipelineSource {
public:
    // The error says what is wrong: not DV, unreadable, no encoder, a preset x264 does not know.
    static core::Expected<std::unique_ptr<ShareCopySource>, ReencodeErrorCode> open(const ShareCopyPlan &plan);
    ~ShareCopySource() override;

    std::int64_t Duration() const override;
    void Run(PipelineRun &run) override;

    std::int64_t FrameDuration() const;
    // After a run: whether no frame had a datecode, so that the file's date was taken.
    bool UsedFileDate() const { return m_usedFileDate; }

    class Impl;

private:
    explicit ShareCopySource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
    bool m_usedFileDate = false;
};

} // namespace camlog::media
