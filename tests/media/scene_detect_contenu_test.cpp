// Cuts by content: the sampling, the change threshold and the history that keeps a pan or a run
// of cuts from cutting on every picture.
#include "media/pipeline/scene_detect_contenu.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace camlog;
using media::TSceneDetectContenu;

namespace {

// Feeds pictures through a stamper and the detector as the content scan does; the cuts reported.
struct Detection {
    media::Tdv_MediaStamper stamper;
    TSceneDetectContenu detector{stamper};
    std::vector<std::int64_t> cuts;
    std::vector<int> finished;
    std::int64_t frame = 0;

    Detection()
    {
        detector.OnCut = [this](std::int64_t f) {
            cuts.push_back(f);
        };
        detector.OnFinished = [this](int status) {
            finished.push_back(status);
        };
    }
    void feed(std::vector<std::uint8_t> picture)
    {
        media::MediaSample sample;
        sample.data = picture;
        sample.mediaStart = frame;
        sample.mediaEnd = frame + 1;
        stamper.Receive(sample);
        detector.Receive(sample);
        ++frame;
    }
};

constexpr std::size_t kPal = 720 * 576 * 3;

std::vector<std::uint8_t> flat(std::uint8_t value, std::size_t size = kPal)
{
    return std::vector<std::uint8_t>(size, value);
}

// A picture whose first `share` of sampled bytes are `value`, the rest `rest`.
std::vector<std::uint8_t> partly(double share, std::uint8_t value, std::uint8_t rest, std::size_t size = kPal)
{
    std::vector<std::uint8_t> picture(size, rest);
    const auto changed = static_cast<std::size_t>(share * static_cast<double>(size));
    std::fill(picture.begin(), picture.begin() + static_cast<std::ptrdiff_t>(changed), value);
    return picture;
}

} // namespace

TEST(SceneDetectContenu, SamplesEvery397thByteUpToTenThousand)
{
    media::Tdv_MediaStamper stamper;
    TSceneDetectContenu detector(stamper);
    // 720 × 576 RGB24: 1 244 160 bytes, sampled at 3 134 positions.
    EXPECT_EQ(detector.CountChanges(flat(200)), 3134u);
    EXPECT_EQ(detector.CountChanges(flat(200)), 0u);
    // A change of exactly 16 does not count; 17 does.
    EXPECT_EQ(detector.CountChanges(flat(216)), 0u);
    EXPECT_EQ(detector.CountChanges(flat(199)), 3134u);
    // A big picture is sampled 10 000 times at most.
    EXPECT_EQ(detector.CountChanges(flat(100, 397 * 20000)), 10000u);
    // A byte between the sampled ones changes nothing.
    std::vector<std::uint8_t> picture = flat(0, 397 * 3);
    detector.CountChanges(picture);
    picture[396] = 255;
    EXPECT_EQ(detector.CountChanges(picture), 0u);
    picture[397] = 255;
    EXPECT_EQ(detector.CountChanges(picture), 1u);
}

TEST(SceneDetectContenu, CutsWhereManyMoreBytesChangeThanBefore)
{
    struct Case {
        const char *name;
        std::vector<std::vector<std::uint8_t>> pictures;
        std::vector<std::int64_t> cuts;
    };
    const std::vector<Case> cases = {
        // The first picture differs from the all-zero memory: a cut on frame 0, which the
        // command ignores.
        {"one static shot", {flat(100), flat(100), flat(100), flat(100)}, {0}},
        {"a hard cut", {flat(100), flat(100), flat(100), flat(100), flat(200), flat(200)}, {0, 4}},
        // The second and third cuts change as much as the first: not more than twice as much.
        {"three cuts in a row",
         {flat(100), flat(100), flat(100), flat(100), flat(200), flat(20), flat(150), flat(150)},
         {0, 4}},
        // Less than 30 % of the picture changes: no cut, however quiet the pictures before.
        {"a small change", {flat(100), flat(100), flat(100), flat(100), partly(0.29, 200, 100)}, {0}},
        {"a third of the picture", {flat(100), flat(100), flat(100), flat(100), partly(0.35, 200, 100)}, {0, 4}},
        // Much changing on every picture (a pan, a flickering light): a cut needs twice as much as
        // each of the three pictures before.
        {"big changes on every picture",
         {flat(100), partly(0.4, 200, 100), partly(0.4, 100, 200), partly(0.4, 200, 100), partly(0.4, 100, 200)},
         {0}},
        // A picture smaller than one step is sampled once, with n = 0: a change of that byte
        // after quiet pictures is a cut (the first picture's 5 is no change from 0).
        {"a tiny picture", {flat(5, 10), flat(5, 10), flat(5, 10), flat(5, 10), flat(90, 10)}, {4}},
    };
    for (const Case &c : cases) {
        Detection d;
        for (const auto &picture : c.pictures)
            d.feed(picture);
        EXPECT_EQ(d.cuts, c.cuts) << c.name;
    }
}

// The end reports one more cut one past the last picture and the status; the memory and the
// history carry over to the next run, so its first picture is compared with the last one.
TEST(SceneDetectContenu, EndClosesTheLastSceneAndStateCarriesOver)
{
    Detection d;
    for (int i = 0; i < 4; ++i)
        d.feed(flat(100));
    d.detector.Finish(4, 0);
    EXPECT_EQ(d.cuts, (std::vector<std::int64_t>{0, 4}));
    EXPECT_EQ(d.finished, std::vector<int>{0});

    d.cuts.clear();
    d.frame = 0;
    d.feed(flat(100)); // the same picture as before: no change, no cut
    d.feed(flat(100));
    d.detector.Finish(2, 1);
    EXPECT_EQ(d.cuts, std::vector<std::int64_t>{2});
    EXPECT_EQ(d.finished, (std::vector<int>{0, 1}));
}

TEST(SceneDetectContenu, AcceptsRgb24VideoOnly)
{
    media::Tdv_MediaStamper stamper;
    TSceneDetectContenu detector(stamper);
    media::MediaFormat format;
    format.majorType = core::fcc::vids;
    format.subtype = media::kRgb24Subtype;
    EXPECT_TRUE(detector.StartStream(format));
    format.subtype = core::FourCC::fromString("dvsd");
    EXPECT_FALSE(detector.StartStream(format));
    format.majorType = core::fcc::auds;
    format.subtype = media::kRgb24Subtype;
    EXPECT_FALSE(detector.StartStream(format));
}
