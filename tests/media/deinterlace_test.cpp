// The deinterlacer: the detection threshold, the confirmation by a neighbour, the rows that
// never change, and the plane form against the picture form on grey pictures.
#include "media/reencoding/deinterlace.h"
#include "media/reencoding/dv_deinter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace camlog::media {
namespace {

BgrPicture Grey(int width, int height, std::uint8_t value)
{
    BgrPicture picture;
    picture.resize(width, height);
    std::fill(picture.bytes.begin(), picture.bytes.end(), value);
    return picture;
}

void SetPixel(BgrPicture &picture, int x, int y, std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    std::uint8_t *p = picture.row(y) + 3 * x;
    p[0] = blue;
    p[1] = green;
    p[2] = red;
}

std::array<std::uint8_t, 3> Pixel(const BgrPicture &picture, int x, int y)
{
    const std::uint8_t *p = picture.row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

// Row 1 of a 4-row picture: the given pixels of row 1 are grey `value`, everything else grey
// `value` + d (so a pixel of row 1 sits between two brighter neighbours).
struct CombCase {
    std::string name;
    int width;
    int height;
    int brighter; // d
    std::vector<int> darkColumns;
    std::vector<int> changedColumns;
};

TEST(DeinterlacePicture, CombedPixelsOfOddRowsWithACombedNeighbourAreAveraged)
{
    const std::vector<CombCase> cases{
        // comb = 10 × d²: 2890 is under the threshold, 3240 over it.
        {"d17 stays", 8, 4, 17, {2, 3}, {}},
        {"d18 averaged", 8, 4, 18, {2, 3}, {2, 3}},
        {"single pixel unconfirmed", 8, 4, 40, {4}, {}},
        {"pair confirmed", 8, 4, 40, {4, 5}, {4, 5}},
        {"first and last pixel with one neighbour", 6, 4, 40, {0, 1, 4, 5}, {0, 1, 4, 5}},
        {"first pixel alone", 6, 4, 40, {0}, {}},
        {"last pixel alone", 6, 4, 40, {5}, {}},
    };
    for (const CombCase &c : cases) {
        SCOPED_TRACE(c.name);
        BgrPicture source = Grey(c.width, c.height, static_cast<std::uint8_t>(100 + c.brighter));
        for (int x : c.darkColumns)
            SetPixel(source, x, 1, 100, 100, 100);
        BgrPicture result;
        DeinterlaceMasks masks;
        DeinterlacePicture(source, result, masks);
        for (int x = 0; x < c.width; ++x) {
            const bool changed =
                std::find(c.changedColumns.begin(), c.changedColumns.end(), x) != c.changedColumns.end();
            const auto expected = changed ? std::uint8_t(100 + c.brighter) : Pixel(source, x, 1)[0];
            EXPECT_EQ(Pixel(result, x, 1), (std::array<std::uint8_t, 3>{expected, expected, expected})) << "x " << x;
        }
        // The source is not changed.
        EXPECT_EQ(Pixel(source, c.darkColumns.front(), 1)[0], 100);
    }
}

TEST(DeinterlacePicture, TheMeanOfAboveAndBelowIsRoundedDownInEachChannel)
{
    BgrPicture source = Grey(4, 3, 0);
    for (int x = 0; x < 4; ++x) {
        SetPixel(source, x, 0, 200, 200, 200);
        SetPixel(source, x, 1, 0, 0, 0);
        SetPixel(source, x, 2, 101, 101, 101);
    }
    BgrPicture result;
    DeinterlaceMasks masks;
    DeinterlacePicture(source, result, masks);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(Pixel(result, x, 1), (std::array<std::uint8_t, 3>{150, 150, 150}));
}

TEST(DeinterlacePicture, EvenRowsTheLastOddRowAndTinyOrStillPicturesStayAsTheyAre)
{
    std::mt19937 random(7);
    for (const auto &[width, height] : {std::pair{5, 1}, {5, 2}, {16, 9}, {16, 10}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        BgrPicture source;
        source.resize(width, height);
        for (auto &byte : source.bytes)
            byte = static_cast<std::uint8_t>(random());
        BgrPicture result;
        DeinterlaceMasks masks;
        DeinterlacePicture(source, result, masks);
        for (int r = 0; r < height; ++r) {
            if (r % 2 == 0 || r == height - 1 || height <= 2) {
                EXPECT_TRUE(std::equal(source.row(r), source.row(r) + 3 * width, result.row(r))) << "row " << r;
            }
        }
    }
    // A still picture (smooth vertical gradient) has no combing at all.
    BgrPicture still;
    still.resize(12, 12);
    for (int r = 0; r < 12; ++r)
        std::fill(still.row(r), still.row(r) + 36, static_cast<std::uint8_t>(10 * r));
    BgrPicture result;
    DeinterlacePicture(still, result);
    EXPECT_EQ(result.bytes, still.bytes);
}

TEST(DeinterlacePlane, ChangesTheSamePixelsAsThePictureFormOnGreyPictures)
{
    std::mt19937 random(11);
    const int width = 64, height = 31;
    BgrPicture grey;
    grey.resize(width, height);
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(width) * height);
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; ++x) {
            // Combing on half the columns: odd rows far from their neighbours.
            const int base = static_cast<int>(random() % 60) + 100;
            const int value = (r % 2 == 1 && x < width / 2) ? base - 30 - static_cast<int>(random() % 40) : base;
            plane[static_cast<std::size_t>(r) * width + x] = static_cast<std::uint8_t>(value);
            SetPixel(grey, x, r, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value),
                     static_cast<std::uint8_t>(value));
        }
    BgrPicture result;
    DeinterlaceMasks pictureMasks, planeMasks;
    DeinterlacePicture(grey, result, pictureMasks);
    DeinterlacePlane(plane.data(), width, height, width, planeMasks);
    int changed = 0;
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(plane[static_cast<std::size_t>(r) * width + x], Pixel(result, x, r)[0]) << x << "," << r;
            changed += Pixel(result, x, r) != Pixel(grey, x, r);
        }
    EXPECT_GT(changed, 100);
}

TEST(DvDeinter, AcceptsPlanarYuvAndRefusesPackedPictures)
{
    Tdv_deinter filter;
    EXPECT_TRUE(filter.StartPictures(720, 576, AV_PIX_FMT_YUV420P, 400000));
    EXPECT_TRUE(filter.StartPictures(720, 480, AV_PIX_FMT_YUV411P, 333667));
    EXPECT_FALSE(filter.StartPictures(720, 576, AV_PIX_FMT_BGR24, 400000));
    EXPECT_FALSE(filter.StartPictures(720, 576, AV_PIX_FMT_YUYV422, 400000));
    EXPECT_FALSE(filter.StartPictures(720, 576, AV_PIX_FMT_YUV420P10LE, 400000));
}

} // namespace
} // namespace camlog::media
