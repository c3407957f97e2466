// The end of the share copy's line: H.264 and AAC packets into an MP4 file.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/output_policy.h"
#include "media/sharecopy/mp4_writer.h"

#include <exception>
#include <filesystem>
#include <memory>

namespace camlog::media {

// Owns everything after the encoders, on a thread of its own: the writer (whose muxer
// interleaves the two streams by their times, and hands the subtitle cues in as the pictures
// reach them) and what becomes of the file: a copy cut short is of no use, so a stop leaves
// no file, as a failure does (OutputPolicy). The encoders push their packets through one
// small bounded queue; nothing comes back but the end of the run.
class Mp4Sink {
public:
    // Creates the output (beside the destination until it is finished) and starts the thread;
    // a RunFailure when the output cannot be made.
    static std::unique_ptr<Mp4Sink> start(const std::filesystem::path &destination, const AVCodecContext &video,
                                          const AVCodecContext *audio, Mp4Dates dates);
    ~Mp4Sink();
    Mp4Sink(const Mp4Sink &) = delete;
    Mp4Sink &operator=(const Mp4Sink &) = delete;

    // Packets with their times on their encoder's time base, each stream in its order. False
    // once the sink stopped.
    bool pushVideo(AvPacketPtr packet);
    bool pushAudio(AvPacketPtr packet);
    // The end of a stream (at once for a copy without sound); once both ended, the thread ends.
    void endPictures();
    void endSound();
    // Drops what is on its way and ends the thread at once (a failure elsewhere).
    void abort();
    // Waits for the thread; its failure, if one ended it, is thrown on.
    void join();
    std::exception_ptr error() const;

    const OutputPolicy &policy() const;
    // After join(): the file takes the destination's name, or is removed.
    void finish();
    void discard();

    class Impl;

private:
    explicit Mp4Sink(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace camlog::media
