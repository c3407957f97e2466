// The sound between the preview's decoding thread and the sound device.
#include "media/preview/pcm_ring.h"

#include <algorithm>

namespace camlog::media {

PcmRing::PcmRing(std::size_t capacity) : m_capacity(std::max<std::size_t>(1, capacity)), m_samples(2 * m_capacity) {}

std::size_t PcmRing::write(std::span<const std::int16_t> samples)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t frames = samples.size() / 2;
    const std::size_t kept = std::min(frames, m_capacity - m_level);
    for (std::size_t i = 0; i < kept; ++i) {
        const std::size_t at = (m_head + m_level + i) % m_capacity;
        m_samples[2 * at] = samples[2 * i];
        m_samples[2 * at + 1] = samples[2 * i + 1];
    }
    m_level += kept;
    m_dropped += frames - kept;
    return kept;
}

std::size_t PcmRing::read(std::span<std::int16_t> out)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t frames = out.size() / 2;
    const std::size_t given = std::min(frames, m_level);
    for (std::size_t i = 0; i < given; ++i) {
        const std::size_t at = (m_head + i) % m_capacity;
        out[2 * i] = m_samples[2 * at];
        out[2 * i + 1] = m_samples[2 * at + 1];
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(2 * given), out.end(), std::int16_t{0});
    m_head = (m_head + given) % m_capacity;
    m_level -= given;
    return given;
}

void PcmRing::clear()
{
    const std::lock_guard lock(m_mutex);
    m_head = 0;
    m_level = 0;
}

std::size_t PcmRing::level() const
{
    const std::lock_guard lock(m_mutex);
    return m_level;
}

std::uint64_t PcmRing::dropped() const
{
    const std::lock_guard lock(m_mutex);
    return m_dropped;
}

} // namespace camlog::media
