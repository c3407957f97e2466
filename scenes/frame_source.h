// Where scene details come from: the datecode, timecode and picture of one frame of the video.
#pragma once

#include "core/date_time.h"
#include "core/dv_frame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace camlog::scenes {

// A 24-bit picture, rows top to bottom, each pixel B, G, R; rows are stride bytes apart
// (stride >= 3 * width). An empty picture has width and height 0.
struct BgrPicture {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint8_t> pixels; // stride * height bytes

    bool empty() const { return width <= 0 || height <= 0; }
    // Resizes to width x height with a stride of 3 * width, every pixel black.
    void reset(int newWidth, int newHeight)
    {
        width = newWidth > 0 ? newWidth : 0;
        height = newHeight > 0 ? newHeight : 0;
        stride = 3 * width;
        pixels.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
    }
    const std::uint8_t *row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * stride; }
    std::uint8_t *row(int y) { return pixels.data() + static_cast<std::size_t>(y) * stride; }
};

struct FrameInfo {
    bool datecodeValid = false;
    core::DateTime datecode; // 0 when not valid
    bool timecodeValid = false;
    core::TTimecode timecode;
    BgrPicture picture; // empty unless asked for and decoded
};

// The preview player implements this on the frame it shows; the headless source reads and
// decodes the file itself. Frames count from 0.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Fills out with the frame's values (and its picture when withPicture); false, with out
    // reset to its defaults, when the frame does not exist or cannot be read.
    virtual bool frameAt(std::int64_t frameIndex, FrameInfo &out, bool withPicture) = 0;
};

} // namespace camlog::scenes
