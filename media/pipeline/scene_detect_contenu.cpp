// Scene detection by content.
#include "media/pipeline/scene_detect_contenu.h"

#include <algorithm>
#include <cstdlib>

namespace camlog::media {

bool TSceneDetectContenu::StartStream(const MediaFormat &format)
{
    return format.majorType == core::fcc::vids && format.subtype == kRgb24Subtype;
}

std::size_t TSceneDetectContenu::CountChanges(std::span<const std::uint8_t> picture)
{
    std::size_t changed = 0;
    for (std::size_t i = 0; i * kSampleStep < picture.size() && i < kMaxSamples; ++i) {
        const std::uint8_t value = picture[i * kSampleStep];
        if (std::abs(int{value} - int{m_previous[i]}) > kChangeThreshold)
            ++changed;
        m_previous[i] = value;
    }
    return changed;
}

void TSceneDetectContenu::Receive(MediaSample &sample)
{
    const std::size_t n = std::min(sample.data.size() / kSampleStep, kMaxSamples);
    const std::size_t changed = CountChanges(sample.data);
    const bool cut = static_cast<double>(changed) > kProportion * static_cast<double>(n)
                     && changed > kHistoryFactor * m_h1 && changed > kHistoryFactor * m_h2
                     && changed > kHistoryFactor * m_h3;
    if (cut && OnCut)
        OnCut(m_stamper.MediaStart());
    m_h3 = m_h2;
    m_h2 = m_h1;
    m_h1 = changed;
}

void TSceneDetectContenu::Finish(std::int64_t endFrame, int status)
{
    if (OnCut)
        OnCut(endFrame);
    if (OnFinished)
        OnFinished(status);
}

} // namespace camlog::media
