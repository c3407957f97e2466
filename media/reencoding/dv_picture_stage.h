// The picture stage of the re-encoding: any decoded picture scaled into the DV picture of the
// target system, its shape kept with black bands, in the DV encoder's pixel format.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"
#include "media/reading/dv_format.h"

#include <memory>
#include <vector>

namespace camlog::media {

// Where the picture lands inside the DV frame, in pixels.
struct PictureBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PictureBox &) const = default;
};

// The DV picture of a system: 720×576 in 4:2:0 for 625/50, 720×480 in 4:1:1 for 525/60,
// shown at 4:3 or 16:9.
struct DvPictureFormat {
    DvSystem system = DvSystem::Pal;
    bool wide = false;

    int width() const { return 720; }
    int height() const { return system == DvSystem::Pal ? 576 : 480; }
    AVPixelFormat pixelFormat() const { return system == DvSystem::Pal ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P; }
    // The shape of one pixel that makes the whole frame 4:3 or 16:9.
    AVRational pixelAspect() const;
    // The largest box of the source's shape (width × height shown at `sourcePixelAspect`, an
    // unknown aspect counting as square) centred in the frame, on the chroma grid.
    PictureBox fit(int sourceWidth, int sourceHeight, AVRational sourcePixelAspect) const;
    // Whether the picture is already this DV picture (size, pixel format, and a shape that
    // fills the frame): it can go to the encoder as it is, without conversion.
    bool takesAsItIs(const AVFrame &picture) const;
    // A new picture of this format and shape; nothing when out of memory.
    AvFramePtr newPicture() const;
};

class DvPictureStage {
public:
    static core::Expected<std::unique_ptr<DvPictureStage>, ReencodeErrorCode> create(const DvPictureFormat &format);
    ~DvPictureStage();
    DvPictureStage(const DvPictureStage &) = delete;
    DvPictureStage &operator=(const DvPictureStage &) = delete;

    // The picture scaled into the stage's own frame, which stays valid until the next call.
    // The scaler follows a source whose size or format changes on the way.
    core::Expected<const AVFrame *, ReencodeErrorCode> convert(const AVFrame &picture);

    const DvPictureFormat &format() const { return m_format; }
    // Interlaced pictures: when the height changes, each field is scaled on its own (rows of
    // the same parity together), so the output keeps its fields apart and in their order.
    void setInterlacedScaling(bool on) { m_interlaced = on; }

private:
    explicit DvPictureStage(const DvPictureFormat &format) : m_format(format) {}
    void fillBlack();

    DvPictureFormat m_format;
    AvFramePtr m_frame;
    SwsContextPtr m_scaler;
    PictureBox m_box;
    int m_sourceWidth = 0;
    int m_sourceHeight = 0;
    int m_sourceFormat = -1;
    AVRational m_sourceAspect{0, 1};
    bool m_interlaced = false;
    bool m_byFields = false; // the scaler was made for one field
};

} // namespace camlog::media
