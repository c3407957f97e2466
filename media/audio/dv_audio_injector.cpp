// Joins a PCM stream into successive DV frames, each frame taking the samples it is due.
#include "media/audio/dv_audio_injector.h"

#include "core/dv_frame.h"

#include <algorithm>

namespace camlog::media {

DvAudioInjector::DvAudioInjector(int sampleRate, int channels, bool prefer12Bit)
    : m_sampleRate(sampleRate),
      m_channels(channels > 2 ? 4 : 2),
      m_prefer12Bit(prefer12Bit)
{
}

void DvAudioInjector::push(int pair, std::span<const std::int16_t> samples)
{
    if (pair < 0 || pair > 1)
        return;
    auto &queue = m_queue[pair];
    // Drop what was taken before growing, so the queue stays as long as the backlog.
    if (m_head[pair] > 0 && m_head[pair] >= queue.size() / 2) {
        queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(m_head[pair]));
        m_head[pair] = 0;
    }
    queue.insert(queue.end(), samples.begin(), samples.begin() + (samples.size() & ~std::size_t{1}));
}

std::size_t DvAudioInjector::queued(int pair) const
{
    if (pair < 0 || pair > 1)
        return 0;
    return (m_queue[pair].size() - m_head[pair]) / 2;
}

DvAudioFormat DvAudioInjector::formatFor(std::span<const std::uint8_t> frame, std::size_t &samples) const
{
    DvAudioFormat format;
    format.system = dvSystemOfFrameSize(frame.size()).value_or(DvSystem::Pal);
    format.sampleRate = m_sampleRate;
    auto own = ReadDvAudioInfo(frame);
    if (!m_useFrameAudio)
        own = DvAudioError{DvAudioErrorCode::NoAudio, "the frame's own audio is not used"};
    if (own && own->format.sampleRate == m_sampleRate) {
        format.bitsPerSample = own->format.bitsPerSample;
        samples = own->samples;
    } else {
        format.bitsPerSample = m_prefer12Bit && m_sampleRate == 32000 ? 12 : 16;
        samples = DvAudioSamplesForFrame(m_sampleRate, format.system, m_nextFrame);
    }
    format.channels = format.bitsPerSample == 12 ? m_channels : 2;
    // A second pair of the frame's own that the stream does not replace stays (see joinNext).
    if (own && own->format.sampleRate == m_sampleRate && own->format.channels == 4)
        format.channels = 4;
    return format;
}

std::size_t DvAudioInjector::samplesDue(std::span<const std::uint8_t> frame) const
{
    std::size_t samples = 0;
    formatFor(frame, samples);
    return samples;
}

core::Expected<std::size_t, DvAudioErrorCode> DvAudioInjector::joinNext(std::span<std::uint8_t> frame)
{
    std::size_t samples = 0;
    m_scratch.format = formatFor(frame, samples);
    m_scratch.samples = samples;
    // The frame's own second pair, kept when the stream brings only one.
    const bool keepOwnSecondPair = m_scratch.format.pairs() == 2 && m_channels == 2;
    if (keepOwnSecondPair) {
        DvFrameAudio own;
        if (SplitDvAudio(frame, own) && own.format.pairs() == 2)
            m_scratch.pairs[1] = std::move(own.pairs[1]);
        else
            m_scratch.pairs[1].assign(2 * samples, 0);
    }
    std::size_t missing = 0;
    for (int pair = 0; pair < 2; ++pair) {
        if (pair == 1 && keepOwnSecondPair)
            continue;
        auto &out = m_scratch.pairs[pair];
        out.assign(2 * samples, 0);
        if (pair >= m_scratch.format.pairs())
            continue;
        const std::size_t take = std::min(samples, queued(pair));
        const auto from = m_queue[pair].begin() + static_cast<std::ptrdiff_t>(m_head[pair]);
        std::copy(from, from + static_cast<std::ptrdiff_t>(2 * take), out.begin());
        missing = std::max(missing, samples - take);
    }
    auto joined = JoinDvAudio(frame, m_scratch);
    if (!joined)
        return joined;
    // A second pair that the frame cannot carry (16-bit storage) is dropped in step.
    for (int pair = 0; pair < 2; ++pair)
        m_head[pair] += 2 * std::min(samples, queued(pair));
    m_silence += missing;
    ++m_frames;
    ++m_nextFrame;
    return joined;
}

std::span<const std::int16_t> DvAudioInjector::lastJoined(int pair) const
{
    if (pair < 0 || pair > 1 || pair >= m_scratch.format.pairs())
        return {};
    return {m_scratch.pairs[pair].data(), 2 * m_scratch.samples};
}

} // namespace camlog::media
