// Scene detection by content: a cut wherever much more of the picture changes than in the
// pictures before.
#pragma once

#include "media/pipeline/media_stage.h"
#include "media/pipeline/media_stamper.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace camlog::media {

// Compares a sparse sample of each RGB24 picture (one byte every 397, at most 10 000) with the
// same sample of the previous picture, and reports a cut when more than 30 % of the sampled
// bytes changed by more than 16 and more than twice as many changed as in each of the three
// pictures before: a steady pan or a slow fade changes many bytes on every picture and makes
// no cut. The frame number of the picture in hand is the media start time the stamper
// upstream kept. The sample memory and the history carry over from one run to the next, so
// the first picture of a run is compared with the last one of the run before.
class TSceneDetectContenu : public MediaStage {
public:
    static constexpr std::size_t kSampleStep = 397;
    static constexpr std::size_t kMaxSamples = 10000;
    static constexpr int kChangeThreshold = 16;
    static constexpr double kProportion = 0.3;
    static constexpr int kHistoryFactor = 2;

    using CutCallback = std::function<void(std::int64_t frame)>;
    using FinishedCallback = std::function<void(int status)>;

    explicit TSceneDetectContenu(const Tdv_MediaStamper &stamper) : m_stamper(stamper) {}

    // Video in RGB24 only.
    bool StartStream(const MediaFormat &format) override;
    // The picture passes unchanged.
    void Receive(MediaSample &sample) override;
    void StopStream() override {}

    // The sampled bytes that changed in this picture; updates the sample memory.
    std::size_t CountChanges(std::span<const std::uint8_t> picture);
    // End of a run: one more cut one past the last picture's frame (`endFrame`), which closes
    // the last scene, then OnFinished (status 0 when the run reached its end).
    void Finish(std::int64_t endFrame, int status);

    CutCallback OnCut;
    FinishedCallback OnFinished;

private:
    const Tdv_MediaStamper &m_stamper;
    std::array<std::uint8_t, kMaxSamples> m_previous{};
    // Changed counts of the last three pictures, the most recent first.
    std::size_t m_h1 = 0;
    std::size_t m_h2 = 0;
    std::size_t m_h3 = 0;
};

} // namespace camlog::media
