// The pictures of a share copy: every field of an interlaced DV picture made a progressive
// picture of its own, scaled to square pixels at the tape's shape.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"

#include <memory>

struct AVFilterGraph;
struct AVFilterContext;

namespace camlog::media {

// The picture size and rate of a share copy: 768 x 576 (4:3) or 1024 x 576 (16:9) at 50
// pictures a second for 625/50 tapes, 640 x 480 or 854 x 480 at 60000/1001 for 525/60 tapes.
struct SharePictureFormat {
    int width = 768;
    int height = 576;
    AVRational pictureRate{50, 1};
};
SharePictureFormat SharePictureFormatFor(bool ntsc, bool wide);

// bwdif sending one picture per field, the scaler, square pixels and 4:2:0 through FFmpeg's
// filter library. Pictures go in numbered on the tape's frame rate and come out numbered on
// the field rate (timeBase()).
class SharePictureChain {
public:
    struct Input {
        int width = 720;
        int height = 576;
        AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
        AVRational frameRate{25, 1};
        bool wide = false;
    };

    static core::Expected<std::unique_ptr<SharePictureChain>, ReencodeErrorCode> create(const Input &input);
    ~SharePictureChain();
    SharePictureChain(const SharePictureChain &) = delete;
    SharePictureChain &operator=(const SharePictureChain &) = delete;

    // One decoded picture, its pts the frame number; null once the pictures are over.
    core::Expected<bool, ReencodeErrorCode> push(AVFrame *picture);
    // True with a progressive picture in out (its pts on timeBase()); false when the chain
    // needs more input or, after the end, has given everything.
    core::Expected<bool, ReencodeErrorCode> pull(AVFrame *out);

    const SharePictureFormat &format() const { return m_format; }
    AVRational timeBase() const;

private:
    SharePictureChain() = default;

    struct GraphFree {
        void operator()(AVFilterGraph *graph) const;
    };
    std::unique_ptr<AVFilterGraph, GraphFree> m_graph;
    AVFilterContext *m_source = nullptr;
    AVFilterContext *m_sink = nullptr;
    SharePictureFormat m_format;
};

} // namespace camlog::media
