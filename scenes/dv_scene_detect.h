// Scene detection by datecode: fed DV frames one by one, reports a scene at every new recording.
#pragma once

#include "core/four_cc.h"
#include "scenes/frame_record.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace camlog::scenes {

// The caption lines computed for every frame (for subtitles); filled in by the subtitle code.
class CaptionStep {
public:
    using CaptionCallback =
        std::function<void(const FrameRecord &record, const std::u16string &line1, const std::u16string &line2)>;

    virtual ~CaptionStep() = default;
    virtual void startStreaming() = 0;
    virtual void frame(const FrameRecord &record, const CaptionCallback &onCaption) = 0;
    // Closes a caption still on screen; record holds the frame count as its frame number.
    virtual void stop(const FrameRecord &record, const CaptionCallback &onCaption) = 0;
};

// A new scene starts where the datecode jumps by more than five seconds (either way), where
// the datecode disappears or comes back after more than twelve frames, and where the picture
// aspect, the line system, the audio rate or the audio bits change. Not thread-safe: one
// instance belongs to one stream; the callbacks run on the thread that feeds it.
class Tdv_sceneDetect {
public:
    using SceneCallback = std::function<void(const FrameRecord &sceneStart, const FrameRecord &current)>;
    using CaptionCallback = CaptionStep::CaptionCallback;
    using FinishedCallback = std::function<void(int status)>;

    static constexpr double kJumpThresholdSeconds = 5.0;
    static constexpr int kGapThresholdFrames = 12;
    static constexpr int kMaxSequences = 12;
    using SavedHeaderArray = std::array<std::array<std::uint8_t, core::kDifHeaderAreaSize>, kMaxSequences>;

    Tdv_sceneDetect();

    // The scene [sceneStart.frameNumber, current.frameNumber) has closed.
    SceneCallback OnScene;
    CaptionCallback OnCaption;
    FinishedCallback OnFinished;

    // Streams of interleaved DV ("iavs", any subtype) or DV video ("vids" / "dvsd").
    static bool AcceptsMediaType(core::FourCC majorType, core::FourCC subtype);

    void setCaptionStep(CaptionStep *step) { m_captionStep = step; }

    // Start of a run: frames are counted from 0 again.
    void StartStreaming();
    // One media sample. Samples of 120000 or 144000 bytes are DV frames and are decoded
    // and counted; any other sample passes untouched and is not counted.
    void Receive(std::span<const std::uint8_t> sample);
    // One frame decoded elsewhere (the fast datecode scan): record's values are taken as the
    // frame's, its frame number is assigned here. Decode it from a copy of Current() so the
    // format fields of a frame with a missing pack carry on as Receive would carry them.
    void ReceiveDecoded(const FrameRecord &record);
    // Whether the frame with this record, received next, would open a new scene (a new
    // recording, a format change, a datecode appearing or disappearing). The first frame of a
    // run opens the first scene and does not count.
    bool WouldStartScene(const FrameRecord &record) const;
    // End of a run: reports the last scene, closes the caption, calls OnFinished, resets.
    void Stop(int status = 0);

    const FrameRecord &Current() const { return m_current; }
    std::int32_t FrameCount() const { return m_frameCount; }
    // The header, subcode and VAUX blocks of every DIF sequence of the last DV frame.
    const SavedHeaderArray &SavedHeaders() const { return m_savedHeaders; }
    int SavedSequenceCount() const { return m_savedSequences; }

private:
    void processFrame();
    void closeScene();
    void reset();

    FrameRecord m_current;
    FrameRecord m_previous;
    FrameRecord m_sceneStart;
    core::DateTime m_lastValidDatecode;
    bool m_jumpTestArmed = false;
    bool m_firstFrame = true;
    std::int32_t m_frameCount = 0;
    SavedHeaderArray m_savedHeaders{};
    int m_savedSequences = 0;
    CaptionStep *m_captionStep = nullptr;
};

} // namespace camlog::scenes
