// Sound and pictures put together: each picture leaves with the sound that plays under it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace camlog::media {

// The one rule for joining sound to pictures that come on separate paths. Pictures arrive in
// order, each due a number of sound samples; the sound arrives as it is decoded, placed once
// on the pictures' clock. A picture leaves when its sound is all there; it leaves with what
// there is (the rest is silence) when the sound has ended, or when the pictures waiting for
// sound cover more than `maxWaitSamples` of it (a file whose sound lies far from its pictures,
// or a sound that starts late: memory stays bounded). Sound placed before the first picture is
// dropped; a sound that starts later gets silence before it.
template <typename Picture> class SoundInterleaver {
public:
    // `channels` interleaved samples per sample frame.
    SoundInterleaver(int channels, std::int64_t maxWaitSamples)
        : m_channels(static_cast<std::size_t>(channels)),
          m_maxWait(maxWaitSamples)
    {
    }

    void addPicture(Picture picture, std::size_t samplesDue)
    {
        m_waiting.emplace_back(std::move(picture), samplesDue);
        m_waitingSamples += static_cast<std::int64_t>(samplesDue);
    }

    // Where the sound's first sample lies, in samples from the first picture's start (negative:
    // before it). Called once, before the first addSound.
    void placeSound(std::int64_t start)
    {
        m_pcmStart = start;
        if (m_pcmStart > m_cursor) {
            m_pcm.assign(static_cast<std::size_t>(m_pcmStart - m_cursor) * m_channels, 0);
            m_pcmStart = m_cursor;
        }
    }

    void addSound(std::span<const std::int16_t> samples) { m_pcm.insert(m_pcm.end(), samples.begin(), samples.end()); }

    // No more sound comes (or none ever will): the pictures stop waiting for it.
    void endSound() { m_soundEnded = true; }

    // The next picture that may leave now, with its sound in `sound` (fewer samples than due
    // where the sound lacks; the caller makes them silence).
    std::optional<Picture> next(std::vector<std::int16_t> &sound)
    {
        if (m_waiting.empty() || !mayLeave(m_waiting.front().second))
            return std::nullopt;
        auto [picture, due] = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_waitingSamples -= static_cast<std::int64_t>(due);
        take(due, sound);
        return std::optional<Picture>(std::move(picture));
    }

    std::size_t waiting() const { return m_waiting.size(); }

private:
    bool mayLeave(std::size_t due) const
    {
        const bool soundThere = m_pcmStart + static_cast<std::int64_t>(m_pcm.size() / m_channels)
                                >= m_cursor + static_cast<std::int64_t>(due);
        return soundThere || m_soundEnded || m_waitingSamples > m_maxWait;
    }

    void take(std::size_t due, std::vector<std::int16_t> &sound)
    {
        // Samples before the cursor belong to pictures that already left (with silence).
        if (m_pcmStart < m_cursor) {
            const auto drop = std::min(m_pcm.size(), static_cast<std::size_t>(m_cursor - m_pcmStart) * m_channels);
            m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(drop));
            m_pcmStart += static_cast<std::int64_t>(drop / m_channels);
            if (m_pcm.empty())
                m_pcmStart = m_cursor;
        }
        const std::size_t have = std::min(due * m_channels, m_pcm.size());
        sound.assign(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(have));
        m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(have));
        m_pcmStart += static_cast<std::int64_t>(have / m_channels);
        m_cursor += static_cast<std::int64_t>(due);
    }

    const std::size_t m_channels;
    const std::int64_t m_maxWait;
    std::deque<std::pair<Picture, std::size_t>> m_waiting;
    std::int64_t m_waitingSamples = 0;
    std::vector<std::int16_t> m_pcm; // the sound not taken yet, from sample m_pcmStart on
    std::int64_t m_pcmStart = 0;
    std::int64_t m_cursor = 0; // the first sample of the next picture to leave
    bool m_soundEnded = false;
};

} // namespace camlog::media
