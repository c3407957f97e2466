// Adaptive line averaging: finds the combed pixels of the odd rows of an interlaced picture
// and replaces only those by the mean of the rows above and below; everything else keeps its
// full resolution.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace camlog::media {

// A 24-bit picture: rows from the top (row 0 is the top row), three bytes per pixel in the
// order blue, green, red, rows packed without padding.
struct BgrPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    void resize(int w, int h)
    {
        width = w;
        height = h;
        bytes.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    }
    std::uint8_t *row(int r)
    {
        return bytes.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width) * 3;
    }
    const std::uint8_t *row(int r) const
    {
        return bytes.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width) * 3;
    }
};

// The two detection masks of the row being worked on, one byte per pixel (a row at a time
// stays in the processor's nearest cache): kept from call to call, resized only when the
// picture size changes.
struct DeinterlaceMasks {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> combed;    // a pixel brighter or darker than both vertical neighbours
    std::vector<std::uint8_t> confirmed; // combed, and so is a horizontal neighbour

    void resize(int w, int h);
};

// Pixels whose comb measure exceeds this are candidates. The measure weighs the products of
// the differences to the pixel above and below: 3 × red, 6 × green, 1 × blue.
inline constexpr int kCombThreshold = 3000;

// `result` becomes a deinterlaced copy of `source` (which is not changed): for every odd row
// r < height − 1, each pixel that is combed in the weighted sense and has a combed horizontal
// neighbour gets, byte by byte, the mean (rounded down) of the pixels above and below. Even
// rows and the last row when it is odd are copied unchanged.
void DeinterlacePicture(const BgrPicture &source, BgrPicture &result, DeinterlaceMasks &masks);
// The same with one pair of process-wide masks, for callers that keep none (one caller at a
// time uses them: they are locked for the call).
void DeinterlacePicture(const BgrPicture &source, BgrPicture &result);

// The same rule in place on one 8-bit plane (the luma of a planar YUV picture), each sample
// taken as a grey pixel of that value in all three colours (comb measure 10 × the product).
// On a grey picture it changes the same pixels to the same values as DeinterlacePicture.
void DeinterlacePlane(std::uint8_t *plane, int width, int height, std::ptrdiff_t stride, DeinterlaceMasks &masks);

} // namespace camlog::media
