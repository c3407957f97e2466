// The PCM of a separate audio stream of an AVI file, read as one run of bytes across its chunks.
#include "media/audio/audio_track.h"

#include <algorithm>

namespace camlog::media {

AudioTrack::AudioTrack(DvFrameReader &reader, int stream, int blockAlign, int sampleRate)
    : m_reader(reader),
      m_chunks(reader.streams().at(static_cast<std::size_t>(stream)).samples),
      m_blockAlign(std::max(blockAlign, 1)),
      m_sampleRate(sampleRate)
{
    m_chunkStarts.reserve(m_chunks.size() + 1);
    std::uint64_t total = 0;
    m_chunkStarts.push_back(0);
    for (const SampleEntry &chunk : m_chunks) {
        total += chunk.size;
        m_chunkStarts.push_back(total);
    }
}

std::uint64_t AudioTrack::frameStart(std::uint64_t frame, std::uint64_t frameCount, std::int64_t frameDuration) const
{
    if (m_chunks.size() == frameCount)
        return m_chunkStarts[std::min<std::uint64_t>(frame, m_chunks.size())];
    // Whole sample frames from the time of the frame (no overflow below 10^8 frames).
    const std::uint64_t samples =
        (frame * static_cast<std::uint64_t>(frameDuration) * static_cast<std::uint64_t>(m_sampleRate) + 5'000'000)
        / 10'000'000;
    return std::min<std::uint64_t>(samples * static_cast<std::uint64_t>(m_blockAlign), size());
}

std::size_t AudioTrack::read(std::uint64_t start, std::size_t count, std::vector<std::uint8_t> &out)
{
    out.resize(count);
    std::size_t done = 0;
    auto it = std::upper_bound(m_chunkStarts.begin(), m_chunkStarts.end(), start);
    if (it == m_chunkStarts.begin() || it == m_chunkStarts.end()) {
        out.clear();
        return 0;
    }
    std::size_t chunk = static_cast<std::size_t>(it - m_chunkStarts.begin()) - 1;
    std::uint64_t position = start;
    while (done < count && chunk < m_chunks.size()) {
        const std::uint64_t inChunk = position - m_chunkStarts[chunk];
        const std::uint64_t left = m_chunks[chunk].size - inChunk;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, count - done));
        const std::size_t got = m_reader.readAt(m_chunks[chunk].offset + inChunk, {out.data() + done, want});
        done += got;
        position += got;
        if (got < want)
            break;
        ++chunk;
    }
    out.resize(done);
    return done;
}

} // namespace camlog::media
