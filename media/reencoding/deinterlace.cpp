// Adaptive line averaging of interlaced pictures.
#include "media/reencoding/deinterlace.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace camlog::media {

namespace {

// Marks the confirmed pixels of one row from its combed ones: a pixel stays when one of its
// horizontal neighbours (a missing one counts as not combed) is combed too.
void confirmRow(const std::uint8_t *combed, std::uint8_t *confirmed, int width)
{
    if (width <= 0)
        return;
    if (width == 1) {
        confirmed[0] = 0;
        return;
    }
    confirmed[0] = combed[0] & combed[1];
    for (int x = 1; x < width - 1; ++x)
        confirmed[x] = combed[x] & (combed[x - 1] | combed[x + 1]);
    confirmed[width - 1] = combed[width - 1] & combed[width - 2];
}

int product(int above, int here, int below)
{
    return (above - here) * (below - here);
}

} // namespace

void DeinterlaceMasks::resize(int w, int h)
{
    if (w == width && h == height)
        return;
    width = w;
    height = h;
    combed.assign(static_cast<std::size_t>(std::max(w, 0)), 0);
    confirmed.assign(static_cast<std::size_t>(std::max(w, 0)), 0);
}

void DeinterlacePicture(const BgrPicture &source, BgrPicture &result, DeinterlaceMasks &masks)
{
    const int w = source.width;
    const int h = source.height;
    result.width = w;
    result.height = h;
    result.bytes = source.bytes;
    masks.resize(w, h);
    for (int r = 1; r < h - 1; r += 2) {
        const std::uint8_t *above = source.row(r - 1);
        const std::uint8_t *here = source.row(r);
        const std::uint8_t *below = source.row(r + 1);
        std::uint8_t *combed = masks.combed.data();
        std::uint8_t *confirmed = masks.confirmed.data();
        for (int x = 0; x < w; ++x) {
            const int i = 3 * x; // blue, green, red
            const int comb = 3 * product(above[i + 2], here[i + 2], below[i + 2])
                             + 6 * product(above[i + 1], here[i + 1], below[i + 1])
                             + product(above[i], here[i], below[i]);
            combed[x] = comb > kCombThreshold ? 1 : 0;
        }
        confirmRow(combed, confirmed, w);
        std::uint8_t *out = result.row(r);
        for (int x = 0; x < w; ++x)
            if (confirmed[x] != 0)
                for (int c = 0; c < 3; ++c)
                    out[3 * x + c] = static_cast<std::uint8_t>((above[3 * x + c] + below[3 * x + c]) >> 1);
    }
}

void DeinterlacePicture(const BgrPicture &source, BgrPicture &result)
{
    static std::mutex lock;
    static DeinterlaceMasks masks;
    std::lock_guard guard(lock);
    DeinterlacePicture(source, result, masks);
}

void DeinterlacePlane(std::uint8_t *plane, int width, int height, std::ptrdiff_t stride, DeinterlaceMasks &masks)
{
    masks.resize(width, height);
    // The rows above and below an odd row are even rows, which never change: the plane can
    // be worked on in place. 10 × product > threshold is product > threshold / 10 exactly
    // (the threshold is a multiple of 10); the loops are kept free of branches so that the
    // compiler vectorises them.
    static_assert(kCombThreshold % 10 == 0);
    constexpr int limit = kCombThreshold / 10;
    for (int r = 1; r < height - 1; r += 2) {
        const std::uint8_t *above = plane + (r - 1) * stride;
        std::uint8_t *here = plane + r * stride;
        const std::uint8_t *below = plane + (r + 1) * stride;
        std::uint8_t *combed = masks.combed.data();
        std::uint8_t *confirmed = masks.confirmed.data();
        for (int x = 0; x < width; ++x)
            combed[x] = static_cast<std::uint8_t>(product(above[x], here[x], below[x]) > limit);
        confirmRow(combed, confirmed, width);
        for (int x = 0; x < width; ++x) {
            const auto mean = static_cast<std::uint8_t>((above[x] + below[x]) >> 1);
            here[x] = confirmed[x] != 0 ? mean : here[x];
        }
    }
}

} // namespace camlog::media
