// The PCM of a separate audio stream of an AVI file, read as one run of bytes across its chunks.
#pragma once

#include "media/reading/dv_frame_reader.h"

#include <cstdint>
#include <vector>

namespace camlog::media {

// Byte positions count from the start of the stream's data, chunk boundaries left out.
class AudioTrack {
public:
    // stream: index into reader.streams(); blockAlign: bytes per sample frame (all channels).
    AudioTrack(DvFrameReader &reader, int stream, int blockAlign, int sampleRate);

    std::uint64_t size() const { return m_chunkStarts.empty() ? 0 : m_chunkStarts.back(); }
    int blockAlign() const { return m_blockAlign; }
    int sampleRate() const { return m_sampleRate; }

    // Where the audio of video frame `frame` begins, as a byte position (whole sample frames).
    // A stream cut in one chunk per video frame (as capture programs write it) keeps its cuts;
    // otherwise the position follows from the time of the frame.
    std::uint64_t frameStart(std::uint64_t frame, std::uint64_t frameCount, std::int64_t frameDuration) const;

    // Reads [start, start + count) into out, clipped at the end of the stream; returns the
    // bytes read (fewer only at the end or on a read error).
    std::size_t read(std::uint64_t start, std::size_t count, std::vector<std::uint8_t> &out);

private:
    DvFrameReader &m_reader;
    const std::vector<SampleEntry> &m_chunks;
    std::vector<std::uint64_t> m_chunkStarts; // running total; one more entry than chunks
    int m_blockAlign;
    int m_sampleRate;
};

} // namespace camlog::media
