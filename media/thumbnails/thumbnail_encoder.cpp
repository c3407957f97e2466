// Scene thumbnails encoded for office documents.
#include "media/thumbnails/thumbnail_encoder.h"

#include <QBuffer>
#include <QImage>

namespace camlog::media {

namespace {

bool encode(const QImage &image, const char *format, int quality, QByteArray &out)
{
    out.clear();
    QBuffer buffer(&out);
    if (!buffer.open(QIODevice::WriteOnly))
        return false;
    return image.save(&buffer, format, quality) && !out.isEmpty();
}

} // namespace

core::Expected<scenes::office::EncodedPicture, ThumbnailErrorCode> EncodeThumbnail(const scenes::BgrPicture &picture,
                                                                                   int quality)
{
    using Failure = core::Error<ThumbnailErrorCode>;
    if (picture.empty() || picture.stride < 3 * picture.width
        || picture.pixels.size() < static_cast<std::size_t>(picture.stride) * static_cast<std::size_t>(picture.height))
        return Failure{ThumbnailErrorCode::EmptyPicture, "No picture to encode"};
    // QImage's BGR888 reads the bytes B, G, R in that order, as the picture holds them; the
    // image only borrows the pixels while it is encoded here.
    const QImage image(picture.pixels.data(), picture.width, picture.height, picture.stride, QImage::Format_BGR888);

    scenes::office::EncodedPicture encoded;
    encoded.width = picture.width;
    encoded.height = picture.height;
    QByteArray bytes;
    if (encode(image, "JPEG", quality, bytes)) {
        encoded.extension = "jpg";
        encoded.mediaType = "image/jpeg";
    } else if (encode(image, "PNG", -1, bytes)) {
        encoded.extension = "png";
        encoded.mediaType = "image/png";
    } else {
        return Failure{ThumbnailErrorCode::NotEncoded, "The picture cannot be encoded as JPEG or PNG"};
    }
    encoded.bytes.assign(bytes.begin(), bytes.end());
    return encoded;
}

} // namespace camlog::media
