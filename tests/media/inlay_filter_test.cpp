// The inlay filter on small pictures: layout, font sizes, border, timing modes and lines.
#include "media/inlay/inlay_filter.h"

#include "core/text_encoding.h"

#include <QGuiApplication>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace camlog::media {
namespace {

// The box of the luma pixels a picture filter changed; empty when none.
struct ChangedBox {
    int left = 0;
    int top = 0;
    int right = -1; // inclusive
    int bottom = -1;
    bool empty() const { return right < left; }
};

constexpr std::uint8_t kGrey = 100;

AvFramePtr greyPicture(int width, int height, AVPixelFormat format = AV_PIX_FMT_YUV420P)
{
    AvFramePtr picture(av_frame_alloc());
    picture->width = width;
    picture->height = height;
    picture->format = format;
    if (av_frame_get_buffer(picture.get(), 0) < 0)
        return nullptr;
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? height : -((-height) >> (format == AV_PIX_FMT_YUV420P ? 1 : 0));
        for (int y = 0; y < rows; ++y)
            std::fill_n(picture->data[plane] + static_cast<std::ptrdiff_t>(y) * picture->linesize[plane],
                        picture->linesize[plane], plane == 0 ? kGrey : 128);
    }
    return picture;
}

ChangedBox changedLuma(const AVFrame &picture)
{
    ChangedBox box{picture.width, picture.height, -1, -1};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.data[0][static_cast<std::ptrdiff_t>(y) * picture.linesize[0] + x] != kGrey) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

int countLuma(const AVFrame &picture, auto predicate)
{
    int count = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            count += predicate(picture.data[0][static_cast<std::ptrdiff_t>(y) * picture.linesize[0] + x]) ? 1 : 0;
    return count;
}

core::DateTime at(int y, int mo, int d, int h, int mi, int s)
{
    return *core::DateTime::fromFields({y, mo, d, h, mi, s, 0});
}

scenes::FrameRecord recordAt(core::DateTime datecode, int frameNumber = 0)
{
    scenes::FrameRecord r;
    r.frameNumber = frameNumber;
    r.datecodeValid = true;
    r.datecode = datecode;
    r.timecodeValid = true;
    r.timecode = {0, 0, static_cast<std::uint8_t>(frameNumber / 25 % 60), static_cast<std::uint8_t>(frameNumber % 25)};
    return r;
}

class InlayFilterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Text needs the process's GUI application; the offscreen platform needs no display.
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 3;
            static char name[] = "camlog_pipeline_tests", option[] = "-platform", platform[] = "offscreen";
            static char *argv[] = {name, option, platform, nullptr};
            static QGuiApplication app(argc, argv);
        }
    }

    // A record drawn permanently in white with the date on line 1 and the time on line 2.
    static TincrustRec permanent(int border = 0)
    {
        TincrustRec rec;
        rec.timing = 0;
        rec.dateFormat1 = "yyyy-mm-dd";
        rec.dateFormat2 = "hh:nn:ss";
        rec.borderSize = border;
        rec.font.size = 16;
        return rec;
    }

    // Draws one picture of the given size and returns it.
    AvFramePtr draw(Tdv_Superposer &filter, int width, int height, const scenes::FrameRecord &frame,
                    AVPixelFormat format = AV_PIX_FMT_YUV420P)
    {
        AvFramePtr picture = greyPicture(width, height, format);
        EXPECT_TRUE(filter.StartPictures(width, height, format, 400000));
        filter.FilterPicture(*picture, {frame, frame.frameNumber});
        return picture;
    }

    // Which of `frames` pictures of a stream get the inlay, one per datecode in order.
    static std::vector<bool> shownFor(Tdv_Superposer &filter, const std::vector<core::DateTime> &datecodes)
    {
        AvFramePtr picture = greyPicture(64, 48);
        EXPECT_TRUE(filter.StartPictures(64, 48, AV_PIX_FMT_YUV420P, 400000));
        std::vector<bool> shown;
        for (std::size_t i = 0; i < datecodes.size(); ++i) {
            filter.FilterPicture(*picture, {recordAt(datecodes[i], static_cast<int>(i)), static_cast<std::int64_t>(i)});
            shown.push_back(filter.LastDrawn());
        }
        return shown;
    }

    const core::DateTime t0 = at(2024, 5, 1, 10, 0, 0);
};

TEST(InlayLayoutTest, LinesArePlacedByAlignmentAroundThePoint)
{
    struct Case {
        const char *name;
        int x, y, alignment;
        InlayPlacement expected;
    };
    // 720 × 576, line height 28, line 1 of 101 pixels, line 2 of 61.
    const std::vector<Case> cases{
        {"left: both at the left edge of line 2 centred", 500, 900, 0, {330, 462, 330, 490}},
        {"centred: each line centred", 500, 900, 1, {310, 462, 330, 490}},
        {"right: both end where line 2 centred ends", 500, 900, 2, {289, 462, 330, 490}},
        {"picture centre ignores X", 0, 900, 3, {309, 462, 329, 490}},
        {"picture centre ignores X (2)", 1000, 900, 3, {309, 462, 329, 490}},
        {"X = 0 centred puts the centres on the left edge", 0, 900, 1, {-50, 462, -30, 490}},
        {"Y = 0 puts the lines above the picture", 920, 0, 2, {591, -56, 632, -28}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PlaceInlayLines(720, 576, c.x, c.y, c.alignment, 28, 101, 61), c.expected) << c.name;
}

TEST(InlayLayoutTest, FontSizesArePointsAtNinetySixPixelsPerInch)
{
    EXPECT_EQ(FontPixelHeight(16), -21);
    EXPECT_EQ(FontPixelHeight(-21), 28);
    EXPECT_EQ(FontPixelHeight(-10), 13);
    EXPECT_EQ(AutoFontSize(720), -21);
    EXPECT_EQ(AutoFontSize(360), -10);
}

TEST_F(InlayFilterTest, DefaultsBeforeAnyRecord)
{
    Tdv_Superposer filter;
    EXPECT_EQ(filter.WorkFont(), (InlayFont{"Arial", -21, 0x00FFFFFF, true, false, false, false}));
    EXPECT_EQ(filter.PositionX(), 900);
    EXPECT_EQ(filter.PositionY(), 900);
    EXPECT_EQ(filter.Alignment(), 2);
    EXPECT_EQ(filter.DurationFrames(), 125);
    filter.SetPosition(-5, 1200, 1);
    EXPECT_EQ(filter.PositionX(), 0);
    EXPECT_EQ(filter.PositionY(), 1000);
}

TEST_F(InlayFilterTest, TheDrawingLiesInTheCellsOfThePlacement)
{
    for (int alignment : {0, 1, 2, 3}) {
        Tdv_Superposer filter;
        filter.SetIncrustRec(permanent());
        filter.SetPosition(500, 800, alignment);
        const AvFramePtr picture = draw(filter, 360, 288, recordAt(t0));
        const InlayOverlay &overlay = filter.Overlay();
        const InlayPlacement &p = overlay.Placement();
        EXPECT_EQ(p, PlaceInlayLines(360, 288, 500, 800, alignment, 21, overlay.Width1(), overlay.Width2()));
        const ChangedBox box = changedLuma(*picture);
        ASSERT_FALSE(box.empty()) << alignment;
        EXPECT_GE(box.left, std::min(p.x1, p.x2) - 2) << alignment;
        EXPECT_LE(box.right, std::max(p.x1 + overlay.Width1(), p.x2 + overlay.Width2()) + 2) << alignment;
        EXPECT_GE(box.top, p.y1) << alignment;
        EXPECT_LE(box.bottom, 288 * 800 / 1000 + 8) << alignment; // the cell's descent
        EXPECT_LT(box.bottom - box.top, 3 * 21) << alignment;
    }
}

TEST_F(InlayFilterTest, PictureCentreIgnoresX)
{
    std::vector<std::uint8_t> first;
    for (int x : {0, 300, 1000}) {
        Tdv_Superposer filter;
        filter.SetIncrustRec(permanent(1));
        filter.SetPosition(x, 900, 3);
        const AvFramePtr picture = draw(filter, 360, 288, recordAt(t0));
        std::vector<std::uint8_t> luma(picture->data[0], picture->data[0] + picture->linesize[0] * 288);
        if (first.empty())
            first = luma;
        else
            EXPECT_EQ(luma, first) << x;
    }
}

TEST_F(InlayFilterTest, AutoSizeFollowsThePictureWidth)
{
    struct Case {
        int width, height, size, lineHeight;
    };
    for (const Case &c : {Case{720, 576, -21, 28}, Case{360, 288, -10, 13}}) {
        Tdv_Superposer filter;
        TincrustRec rec = permanent();
        rec.autoSize = true;
        filter.SetIncrustRec(rec);
        filter.SetPosition(500, 900, 1);
        draw(filter, c.width, c.height, recordAt(t0));
        EXPECT_EQ(filter.WorkFont().size, c.size) << c.width;
        EXPECT_EQ(filter.Overlay().LineHeight(), c.lineHeight) << c.width;
        const int base = c.height * 900 / 1000;
        EXPECT_EQ(filter.Overlay().Placement().y1, base - 2 * c.lineHeight) << c.width;
        EXPECT_EQ(filter.Overlay().Placement().y2, base - c.lineHeight) << c.width;
    }
}

TEST_F(InlayFilterTest, BorderStampsTheTextInBlackAroundIt)
{
    Tdv_Superposer plain, bordered;
    plain.SetIncrustRec(permanent(0));
    bordered.SetIncrustRec(permanent(3));
    plain.SetPosition(500, 800, 1);
    bordered.SetPosition(500, 800, 1);
    const AvFramePtr a = draw(plain, 360, 288, recordAt(t0));
    const AvFramePtr b = draw(bordered, 360, 288, recordAt(t0));
    // Two lines: once each without border, 49 black stamps and one coloured pass each with 3.
    EXPECT_EQ(plain.Overlay().TextDraws(), 2);
    EXPECT_EQ(bordered.Overlay().TextDraws(), 2 * 50);
    const auto dark = [](std::uint8_t y) {
        return y < 40;
    };
    const auto white = [](std::uint8_t y) {
        return y > 200;
    };
    EXPECT_EQ(countLuma(*a, dark), 0);
    EXPECT_GT(countLuma(*b, dark), countLuma(*b, white));
    EXPECT_GT(countLuma(*b, white), 0);
    const ChangedBox boxA = changedLuma(*a), boxB = changedLuma(*b);
    EXPECT_NEAR(boxA.left - boxB.left, 3, 1);
    EXPECT_NEAR(boxB.right - boxA.right, 3, 1);
    EXPECT_NEAR(boxA.top - boxB.top, 3, 1);
}

TEST_F(InlayFilterTest, FontColourReachesTheChroma)
{
    Tdv_Superposer filter;
    TincrustRec rec = permanent();
    rec.font.color = 0x000000FF; // red
    rec.font.size = 28;
    filter.SetIncrustRec(rec);
    for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV411P}) {
        const AvFramePtr picture = draw(filter, 360, 240, recordAt(t0), format);
        const AVPixFmtDescriptor *d = av_pix_fmt_desc_get(format);
        int redder = 0;
        for (int y = 0; y < (240 >> d->log2_chroma_h); ++y)
            for (int x = 0; x < (360 >> d->log2_chroma_w); ++x)
                redder += picture->data[2][y * picture->linesize[2] + x] > 160 ? 1 : 0;
        EXPECT_GT(redder, 10) << d->name;
    }
}

TEST_F(InlayFilterTest, TextBeyondThePictureEdgesIsClipped)
{
    struct Case {
        const char *name;
        int x, y, alignment, size;
        ChangedBox within; // where the changed pixels may lie
    };
    const std::vector<Case> cases{
        {"above the top: only the bottom of line 2's cell", 500, 0, 1, 16, {0, 0, 359, 8}},
        {"past the right edge", 1000, 900, 0, 16, {300, 0, 359, 287}},
        {"a font taller than the picture", 500, 1000, 1, 400, {0, 0, 359, 287}},
    };
    for (const Case &c : cases) {
        Tdv_Superposer filter;
        TincrustRec rec = permanent(2);
        rec.font.size = c.size;
        filter.SetIncrustRec(rec);
        filter.SetPosition(c.x, c.y, c.alignment);
        const ChangedBox box = changedLuma(*draw(filter, 360, 288, recordAt(t0)));
        if (box.empty())
            continue;
        EXPECT_GE(box.left, c.within.left) << c.name;
        EXPECT_GE(box.top, c.within.top) << c.name;
        EXPECT_LE(box.right, c.within.right) << c.name;
        EXPECT_LE(box.bottom, c.within.bottom) << c.name;
    }
}

TEST_F(InlayFilterTest, PicturesItCannotDrawOnAreRefused)
{
    Tdv_Superposer filter;
    EXPECT_FALSE(filter.StartPictures(360, 288, AV_PIX_FMT_RGB24, 400000));
    EXPECT_NE(filter.StartError().find("rgb24"), std::string::npos) << filter.StartError();
    EXPECT_FALSE(filter.StartPictures(360, 288, AV_PIX_FMT_YUV420P10LE, 400000));
    EXPECT_FALSE(filter.StartPictures(0, 288, AV_PIX_FMT_YUV420P, 400000));
    EXPECT_TRUE(filter.StartPictures(360, 288, AV_PIX_FMT_YUV420P, 400000));
    EXPECT_EQ(filter.StartError(), "");
}

TEST_F(InlayFilterTest, HiddenLeavesThePictureAlone)
{
    Tdv_Superposer filter;
    filter.SetIncrustRec(permanent(2));
    filter.SetShown(false);
    EXPECT_TRUE(changedLuma(*draw(filter, 360, 288, recordAt(t0))).empty());
}

TEST_F(InlayFilterTest, LinesFromTheTemplatesWhateverTheCase)
{
    struct Case {
        const char *name;
        std::u16string line1, line2;
        bool datecode;
        std::string expected1, expected2;
    };
    const std::vector<Case> cases{
        {"datecode", u"%D1", u"%d2", true, "2024-05-01", "10:00:01"},
        {"timecode", u"", u"%T", true, "", "0:00:01:05"},
        {"mixed", u"At %d2 (%t)", u"%D1%D2", true, "At 10:00:01 (0:00:01:05)", "2024-05-0110:00:01"},
        {"no datecode", u"%D1 %T", u"%D2", false, " 0:00:01:05", ""},
    };
    for (const Case &c : cases) {
        Tdv_Superposer filter;
        TincrustRec rec = permanent();
        rec.line1 = c.line1;
        rec.line2 = c.line2;
        filter.SetIncrustRec(rec);
        scenes::FrameRecord frame = recordAt(t0 + core::DateTime::fromSeconds(1), 30);
        frame.datecodeValid = c.datecode;
        if (!c.datecode)
            frame.datecode = core::DateTime();
        draw(filter, 360, 288, frame);
        EXPECT_EQ(core::Utf16ToUtf8(filter.LastLines().line1), c.expected1) << c.name;
        EXPECT_EQ(core::Utf16ToUtf8(filter.LastLines().line2), c.expected2) << c.name;
    }
}

TEST_F(InlayFilterTest, TimeDifferenceIsAddedToTheDatecode)
{
    Tdv_Superposer filter;
    filter.SetIncrustRec(permanent());
    filter.SetTimeDifference(0.5);
    draw(filter, 360, 288, recordAt(at(2006, 12, 31, 18, 0, 0)));
    EXPECT_EQ(core::Utf16ToUtf8(filter.LastLines().line1), "2007-01-01");
    EXPECT_EQ(core::Utf16ToUtf8(filter.LastLines().line2), "06:00:00");
}

TEST_F(InlayFilterTest, DurationInFramesOfTheStream)
{
    struct Case {
        int seconds;
        std::int64_t frameDuration;
        int frames;
    };
    for (const Case &c : {Case{5, 400000, 125}, Case{300, 400000, 7500}, Case{5, 333667, 150}, Case{1, 400000, 25}}) {
        Tdv_Superposer filter;
        TincrustRec rec;
        rec.durationSeconds = c.seconds;
        filter.SetIncrustRec(rec);
        ASSERT_TRUE(filter.StartPictures(64, 48, AV_PIX_FMT_YUV420P, c.frameDuration));
        EXPECT_EQ(filter.DurationFrames(), c.frames) << c.seconds << " s at " << c.frameDuration;
        EXPECT_EQ(filter.RemainingFrames(), c.frames - 1);
    }
}

// The datecodes of a recording: one per picture, ticking every 25 pictures.
std::vector<core::DateTime> recording(core::DateTime start, int pictures)
{
    std::vector<core::DateTime> out;
    for (int i = 0; i < pictures; ++i)
        out.push_back(start + core::DateTime::fromSeconds(i / 25));
    return out;
}

std::vector<core::DateTime> operator+(std::vector<core::DateTime> a, const std::vector<core::DateTime> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

int countShown(const std::vector<bool> &shown, std::size_t from, std::size_t to)
{
    int n = 0;
    for (std::size_t i = from; i < to && i < shown.size(); ++i)
        n += shown[i] ? 1 : 0;
    return n;
}

TEST_F(InlayFilterTest, EachSceneShowsForTheDurationAfterAJumpOfMoreThanTwoSeconds)
{
    Tdv_Superposer filter;
    TincrustRec rec = permanent();
    rec.timing = 2;
    filter.SetIncrustRec(rec);
    // 200 pictures; then a jump of 3 s (200 more); then one of exactly 2 s (200 more).
    const auto first = recording(t0, 200);
    const auto second = recording(first.back() + core::DateTime::fromSeconds(3), 200);
    const auto third = recording(second.back() + core::DateTime::fromSeconds(2), 200);
    const std::vector<bool> shown = shownFor(filter, first + second + third);
    EXPECT_EQ(countShown(shown, 0, 200), 125);
    EXPECT_TRUE(shown[200]);
    EXPECT_EQ(countShown(shown, 200, 400), 125);
    EXPECT_TRUE(shown[324]);
    EXPECT_FALSE(shown[325]);
    EXPECT_EQ(countShown(shown, 400, 600), 0);
}

TEST_F(InlayFilterTest, OnceShowsAtTheStartForTheDurationLessTwoPictures)
{
    Tdv_Superposer filter;
    TincrustRec rec = permanent();
    rec.timing = 1;
    filter.SetIncrustRec(rec);
    const std::vector<bool> shown =
        shownFor(filter, recording(t0, 200) + recording(t0 + core::DateTime::fromSeconds(3600), 200));
    EXPECT_EQ(countShown(shown, 0, 400), 123);
    EXPECT_TRUE(shown[122]);
    EXPECT_FALSE(shown[123]);
}

TEST_F(InlayFilterTest, SetWhenStartsTheCountdownAgain)
{
    Tdv_Superposer filter;
    TincrustRec rec = permanent();
    rec.timing = 1;
    filter.SetIncrustRec(rec);
    shownFor(filter, recording(t0, 200));
    filter.SetWhen(1);
    EXPECT_EQ(filter.RemainingFrames(), 124);
    AvFramePtr picture = greyPicture(64, 48);
    filter.FilterPicture(*picture, {recordAt(t0), 0});
    EXPECT_TRUE(filter.LastDrawn());
}

TEST_F(InlayFilterTest, EachNewDayRestartsTheDisplay)
{
    struct Case {
        const char *name;
        core::DateTime before, after;
        bool restarts;
    };
    const std::vector<Case> cases{
        // The first recording's 200 pictures end at 23:59:59.
        {"midnight", at(2024, 5, 1, 23, 59, 52), at(2024, 5, 2, 0, 0, 1), true},
        {"same day of the next month", at(2024, 5, 5, 12, 0, 0), at(2024, 6, 5, 12, 0, 0), true},
        {"later the same day", at(2024, 5, 5, 8, 0, 0), at(2024, 5, 5, 20, 0, 0), false},
    };
    for (const Case &c : cases) {
        Tdv_Superposer filter;
        TincrustRec rec = permanent();
        rec.timing = 3;
        filter.SetIncrustRec(rec);
        const std::vector<bool> shown = shownFor(filter, recording(c.before, 200) + recording(c.after, 200));
        EXPECT_EQ(countShown(shown, 0, 200), 125) << c.name;
        EXPECT_EQ(countShown(shown, 200, 400), c.restarts ? 125 : 0) << c.name;
    }
}

TEST_F(InlayFilterTest, PermanentShowsOnEveryPicture)
{
    Tdv_Superposer filter;
    filter.SetIncrustRec(permanent());
    const std::vector<bool> shown = shownFor(filter, recording(t0, 300));
    EXPECT_EQ(countShown(shown, 0, 300), 300);
}

} // namespace
} // namespace camlog::media
