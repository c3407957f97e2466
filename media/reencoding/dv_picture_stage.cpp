// The picture stage of the re-encoding: scaling and padding into the DV picture.
#include "media/reencoding/dv_picture_stage.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace camlog::media {

namespace {

int roundDownTo(int value, int step)
{
    return value / step * step;
}

int roundTo(double value, int step)
{
    return std::max(step, static_cast<int>(std::lround(value / step)) * step);
}

} // namespace

AVRational DvPictureFormat::pixelAspect() const
{
    // Frame aspect = pixel aspect × width / height.
    const AVRational frame = wide ? AVRational{16, 9} : AVRational{4, 3};
    return av_mul_q(frame, AVRational{height(), width()});
}

PictureBox DvPictureFormat::fit(int sourceWidth, int sourceHeight, AVRational sourcePixelAspect) const
{
    if (sourcePixelAspect.num <= 0 || sourcePixelAspect.den <= 0)
        sourcePixelAspect = {1, 1};
    const double source = av_q2d(sourcePixelAspect) * sourceWidth / std::max(1, sourceHeight);
    const double target = wide ? 16.0 / 9.0 : 4.0 / 3.0;
    // Horizontal positions on the 4-pixel chroma grid of 4:1:1, vertical ones on pairs of lines.
    PictureBox box{0, 0, width(), height()};
    if (source > target)
        box.height = std::min(height(), roundTo(height() * target / source, 2));
    else
        box.width = std::min(width(), roundTo(width() * source / target, 4));
    box.x = roundDownTo((width() - box.width) / 2, 4);
    box.y = roundDownTo((height() - box.height) / 2, 2);
    return box;
}

DvPictureStage::~DvPictureStage() = default;

bool DvPictureFormat::takesAsItIs(const AVFrame &picture) const
{
    return picture.width == width() && picture.height == height() && picture.format == pixelFormat()
           && fit(picture.width, picture.height, picture.sample_aspect_ratio) == PictureBox{0, 0, width(), height()};
}

core::Expected<std::unique_ptr<DvPictureStage>, ReencodeErrorCode> DvPictureStage::create(const DvPictureFormat &format)
{
    std::unique_ptr<DvPictureStage> stage(new DvPictureStage(format));
    stage->m_frame = format.newPicture();
    if (!stage->m_frame)
        return ReencodeError{ReencodeErrorCode::PictureFailed, "out of memory for the DV picture"};
    return stage;
}

AvFramePtr DvPictureFormat::newPicture() const
{
    AvFramePtr picture(av_frame_alloc());
    if (!picture)
        return nullptr;
    picture->width = width();
    picture->height = height();
    picture->format = pixelFormat();
    picture->sample_aspect_ratio = pixelAspect();
    if (av_frame_get_buffer(picture.get(), 0) < 0)
        return nullptr;
    return picture;
}

void DvPictureStage::fillBlack()
{
    AVFrame &frame = *m_frame;
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? frame.height : AV_CEIL_RSHIFT(frame.height, desc->log2_chroma_h);
        std::memset(frame.data[plane], plane == 0 ? 16 : 128, static_cast<std::size_t>(frame.linesize[plane]) * rows);
    }
}

core::Expected<const AVFrame *, ReencodeErrorCode> DvPictureStage::convert(const AVFrame &picture)
{
    if (picture.width <= 0 || picture.height <= 0)
        return ReencodeError{ReencodeErrorCode::PictureFailed, "a decoded picture has no size"};
    if (!m_frame) {
        m_frame = m_format.newPicture();
        if (!m_frame)
            return ReencodeError{ReencodeErrorCode::PictureFailed, "out of memory for the DV picture"};
        // Its bands may be another box's (or not yet drawn); a box that covers the whole
        // frame leaves no band.
        if (m_box != PictureBox{0, 0, m_format.width(), m_format.height()})
            fillBlack();
    }
    const bool changed = picture.width != m_sourceWidth || picture.height != m_sourceHeight
                         || picture.format != m_sourceFormat
                         || av_cmp_q(picture.sample_aspect_ratio, m_sourceAspect) != 0;
    if (changed || !m_scaler) {
        const PictureBox box = m_format.fit(picture.width, picture.height, picture.sample_aspect_ratio);
        m_byFields = m_interlaced && picture.height != box.height && picture.height % 2 == 0;
        const int fields = m_byFields ? 2 : 1;
        m_scaler.reset(sws_getContext(picture.width, picture.height / fields,
                                      static_cast<AVPixelFormat>(picture.format), box.width, box.height / fields,
                                      m_format.pixelFormat(), SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!m_scaler)
            return ReencodeError{ReencodeErrorCode::PictureFailed,
                                 std::string("pictures in ")
                                     + av_get_pix_fmt_name(static_cast<AVPixelFormat>(picture.format))
                                     + " cannot be scaled to DV"};
        if (box != m_box)
            fillBlack(); // the bands of the former box may lie inside the new one
        m_box = box;
        m_sourceWidth = picture.width;
        m_sourceHeight = picture.height;
        m_sourceFormat = picture.format;
        m_sourceAspect = picture.sample_aspect_ratio;
    }
    AVFrame &frame = *m_frame;
    if (av_frame_make_writable(&frame) < 0)
        return ReencodeError{ReencodeErrorCode::PictureFailed, "out of memory for the DV picture"};
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    std::uint8_t *target[4] = {};
    for (int plane = 0; plane < 3; ++plane) {
        const int x = plane == 0 ? m_box.x : m_box.x >> desc->log2_chroma_w;
        const int y = plane == 0 ? m_box.y : m_box.y >> desc->log2_chroma_h;
        target[plane] = frame.data[plane] + static_cast<std::ptrdiff_t>(y) * frame.linesize[plane] + x;
    }
    if (!m_byFields) {
        sws_scale(m_scaler.get(), picture.data, picture.linesize, 0, picture.height, target, frame.linesize);
        return m_frame.get();
    }
    // Each field as a picture of every other row: twice the line size, starting one row down
    // for the second field. The chroma rows of interlaced DV alternate between the fields too.
    for (int field = 0; field < 2; ++field) {
        const std::uint8_t *from[4] = {};
        std::uint8_t *to[4] = {};
        int fromStride[4] = {};
        int toStride[4] = {};
        for (int plane = 0; plane < 3; ++plane) {
            from[plane] = picture.data[plane] + static_cast<std::ptrdiff_t>(field) * picture.linesize[plane];
            to[plane] = target[plane] + static_cast<std::ptrdiff_t>(field) * frame.linesize[plane];
            fromStride[plane] = picture.linesize[plane] * 2;
            toStride[plane] = frame.linesize[plane] * 2;
        }
        sws_scale(m_scaler.get(), from, fromStride, 0, picture.height / 2, to, toStride);
    }
    return m_frame.get();
}

} // namespace camlog::media
