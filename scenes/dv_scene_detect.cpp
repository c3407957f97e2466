// Scene detection by datecode: fed DV frames one by one, reports a scene at every new recording.
#include "scenes/dv_scene_detect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace camlog::scenes {

namespace {

// Datecodes are whole seconds held as fractions of a day; comparing them in milliseconds
// keeps a jump of exactly five seconds from reading as a hair more.
std::int64_t millisecondsBetween(core::DateTime a, core::DateTime b)
{
    return std::llabs(std::llround((a - b).days() * static_cast<double>(core::DateTime::kMsPerDay)));
}

bool formatDiffers(const FrameRecord &a, const FrameRecord &b)
{
    return a.widePicture != b.widePicture || a.ntsc != b.ntsc || a.audioRate != b.audioRate
           || a.audioBits != b.audioBits;
}

} // namespace

Tdv_sceneDetect::Tdv_sceneDetect() = default;

bool Tdv_sceneDetect::AcceptsMediaType(core::FourCC majorType, core::FourCC subtype)
{
    return majorType == core::fcc::iavs || (majorType == core::fcc::vids && subtype == core::fcc::dvsd);
}

void Tdv_sceneDetect::StartStreaming()
{
    m_frameCount = 0;
    if (m_captionStep)
        m_captionStep->startStreaming();
}

void Tdv_sceneDetect::Receive(std::span<const std::uint8_t> sample)
{
    const int nseq = core::SequencesForFrameSize(sample.size());
    if (nseq == 0)
        return;
    m_previous = m_current;
    m_current.frameNumber = m_frameCount;
    DecodeFrameRecord(sample, nseq, m_current);
    for (int s = 0; s < nseq; ++s) {
        const auto *start = sample.data() + core::kDifSequenceSize * static_cast<std::size_t>(s);
        std::copy_n(start, core::kDifHeaderAreaSize, m_savedHeaders[static_cast<std::size_t>(s)].begin());
    }
    m_savedSequences = nseq;
    processFrame();
}

void Tdv_sceneDetect::ReceiveDecoded(const FrameRecord &record)
{
    m_previous = m_current;
    m_current = record;
    m_current.frameNumber = m_frameCount;
    processFrame();
}

void Tdv_sceneDetect::processFrame()
{
    if (m_captionStep)
        m_captionStep->frame(m_current, OnCaption);

    if (m_sceneStart.formatValid && m_current.formatValid && formatDiffers(m_sceneStart, m_current)) {
        closeScene();
        m_jumpTestArmed = false;
    }

    if (m_previous.datecodeValid && !m_current.datecodeValid) {
        if (m_current.frameNumber > 0)
            closeScene();
    } else if (!m_previous.datecodeValid && m_current.datecodeValid) {
        if (std::abs(m_current.frameNumber - m_sceneStart.frameNumber) > kGapThresholdFrames)
            closeScene();
        m_lastValidDatecode = m_current.datecode;
    } else if (m_previous.datecodeValid && m_current.datecodeValid) {
        if (m_jumpTestArmed
            && millisecondsBetween(m_current.datecode, m_lastValidDatecode)
                   > static_cast<std::int64_t>(kJumpThresholdSeconds * 1000))
            closeScene();
        m_lastValidDatecode = m_current.datecode;
        m_jumpTestArmed = true;
    }

    if (m_firstFrame) {
        m_sceneStart = m_current;
        m_firstFrame = false;
    }
    ++m_frameCount;
}

// The tests of processFrame, without its changes.
bool Tdv_sceneDetect::WouldStartScene(const FrameRecord &next) const
{
    if (m_firstFrame)
        return false;
    if (m_sceneStart.formatValid && next.formatValid && formatDiffers(m_sceneStart, next))
        return true;
    if (m_current.datecodeValid && !next.datecodeValid)
        return true;
    if (!m_current.datecodeValid && next.datecodeValid)
        return std::abs(m_frameCount - m_sceneStart.frameNumber) > kGapThresholdFrames;
    if (m_current.datecodeValid && next.datecodeValid)
        return m_jumpTestArmed
               && millisecondsBetween(next.datecode, m_lastValidDatecode)
                      > static_cast<std::int64_t>(kJumpThresholdSeconds * 1000);
    return false;
}

// The open scene ends before the current frame, which opens the next one. Two breaks at the
// same frame (a format change where the datecode also disappears) report one scene, not an
// extra empty one.
void Tdv_sceneDetect::closeScene()
{
    if (OnScene && m_current.frameNumber > m_sceneStart.frameNumber)
        OnScene(m_sceneStart, m_current);
    m_sceneStart = m_current;
}

void Tdv_sceneDetect::Stop(int status)
{
    FrameRecord end = m_current;
    end.frameNumber = m_frameCount;
    // A run without any DV frame has no scene to report.
    if (OnScene && m_frameCount > 0)
        OnScene(m_sceneStart, end);
    if (m_captionStep)
        m_captionStep->stop(end, OnCaption);
    if (OnFinished)
        OnFinished(status);
    reset();
}

void Tdv_sceneDetect::reset()
{
    m_current = {};
    m_previous = {};
    m_sceneStart = {};
    m_lastValidDatecode = {};
    m_jumpTestArmed = false;
    m_firstFrame = true;
    m_frameCount = 0;
    OnCaption = nullptr;
}

} // namespace camlog::scenes
