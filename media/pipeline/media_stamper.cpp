// The media stamper: passes every sample on unchanged and remembers its media times.
#include "media/pipeline/media_stamper.h"

namespace camlog::media {

void Tdv_MediaStamper::Receive(MediaSample &sample)
{
    if (sample.mediaStart < 0 || sample.mediaEnd < 0)
        return;
    m_mediaStart.store(sample.mediaStart, std::memory_order_relaxed);
    m_mediaEnd.store(sample.mediaEnd, std::memory_order_relaxed);
}

} // namespace camlog::media
