// The sound between the preview's decoding thread and the sound device: a bounded ring of
// interleaved 16-bit stereo samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace camlog::media {

// The decoding thread writes each frame's sound as the frame is shown; the device reads what
// it plays. The ring holds a bounded time of sound, so the sound never lags the picture by
// more than that: what does not fit is dropped (the device plays slower than the clock),
// and a device that finds the ring empty gets silence (it plays faster). Safe from two threads.
class PcmRing {
public:
    // capacity in sample frames (one left and one right sample each).
    explicit PcmRing(std::size_t capacity);

    // Appends interleaved stereo samples; returns the sample frames kept (the rest is dropped).
    std::size_t write(std::span<const std::int16_t> samples);
    // Fills `out` (interleaved stereo) with what the ring holds, then silence; returns the
    // sample frames that came from the ring.
    std::size_t read(std::span<std::int16_t> out);
    // Empties the ring (a seek: the old sound is not to be heard).
    void clear();

    std::size_t level() const;
    std::size_t capacity() const { return m_capacity; }
    // Sample frames dropped since the start (the ring was full).
    std::uint64_t dropped() const;

private:
    mutable std::mutex m_mutex;
    std::size_t m_capacity;
    std::vector<std::int16_t> m_samples; // 2 per sample frame
    std::size_t m_head = 0;              // next sample frame to read
    std::size_t m_level = 0;
    std::uint64_t m_dropped = 0;
};

} // namespace camlog::media
