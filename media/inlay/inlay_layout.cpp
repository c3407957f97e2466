// Where the two inlay lines go in a picture.
#include "media/inlay/inlay_layout.h"

#include <cmath>

namespace camlog::media {

InlayPlacement PlaceInlayLines(int width, int height, int x, int y, int alignment, int lineHeight, int w1, int w2)
{
    const int base = height * y / 1000;
    const int cx = width * x / 1000;
    InlayPlacement at;
    at.y1 = base - 2 * lineHeight;
    at.y2 = base - lineHeight;
    switch (static_cast<InlayAlignment>(alignment)) {
    case InlayAlignment::Left:
        at.x1 = at.x2 = cx - w2 / 2;
        break;
    case InlayAlignment::Centred:
        at.x1 = cx - w1 / 2;
        at.x2 = cx - w2 / 2;
        break;
    case InlayAlignment::PictureCentre:
        at.x1 = (width - w1) / 2;
        at.x2 = (width - w2) / 2;
        break;
    default:
        at.x1 = cx + w2 / 2 - w1;
        at.x2 = cx - w2 / 2;
        break;
    }
    return at;
}

int FontPixelHeight(int size)
{
    return -static_cast<int>(std::lround(static_cast<double>(size) * 96.0 / 72.0));
}

} // namespace camlog::media
