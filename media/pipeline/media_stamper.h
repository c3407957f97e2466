// The media stamper: passes every sample on unchanged and remembers its media times.
#pragma once

#include "media/pipeline/media_stage.h"

#include <atomic>
#include <cstdint>

namespace camlog::media {

// The content scene detector downstream reads MediaStart while it handles the same sample.
class Tdv_MediaStamper : public MediaStage {
public:
    bool StartStream(const MediaFormat &) override { return true; }
    void Receive(MediaSample &sample) override;
    void StopStream() override {}

    // The media times of the last sample that carried them; 0 before the first. They
    // persist from one run to the next.
    std::int64_t MediaStart() const { return m_mediaStart.load(std::memory_order_relaxed); }
    std::int64_t MediaEnd() const { return m_mediaEnd.load(std::memory_order_relaxed); }

private:
    std::atomic<std::int64_t> m_mediaStart{0};
    std::atomic<std::int64_t> m_mediaEnd{0};
};

} // namespace camlog::media
