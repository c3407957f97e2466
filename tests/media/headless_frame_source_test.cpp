// The headless frame source on generated DV files: datecodes, timecodes and pictures by frame index.
#include "media/decoding/headless_frame_source.h"

#include "scenes/scene_class.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>

using namespace camlog;
using media::HeadlessFrameSource;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<HeadlessFrameSource> openFixture(const std::string &name)
{
    auto source = HeadlessFrameSource::open(test::fixturePath(name));
    if (!source) {
        ADD_FAILURE() << name << ": " << source.error().message;
        return nullptr;
    }
    return std::move(source).value();
}

core::DateTime at(int year, int month, int day, int hour, int minute, int second)
{
    return *core::DateTime::fromFields({year, month, day, hour, minute, second, 0});
}

// The frame as ffmpeg decodes it on its own, in 24-bit BGR.
std::vector<std::uint8_t> ffmpegPicture(const fs::path &file, int frame)
{
    const std::string command = "ffmpeg -nostdin -v error -i '" + file.string() + "' -map 0:v:0 -vf 'select=eq(n\\,"
                                + std::to_string(frame) + ")' -frames:v 1 -f rawvideo -pix_fmt bgr24 - 2>/dev/null";
    const auto output = camlog::test::runCommand(command).output;
    return {output.begin(), output.end()};
}

double meanDifference(const scenes::BgrPicture &picture, const std::vector<std::uint8_t> &tight)
{
    double sum = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < 3 * picture.width; ++x)
            sum += std::abs(int{picture.row(y)[x]} - int{tight[static_cast<std::size_t>(y * 3 * picture.width + x)]});
    return sum / (3.0 * picture.width * picture.height);
}

} // namespace

TEST(HeadlessFrameSource, DatecodeAndTimecodeOfGivenFrames)
{
    struct Case {
        const char *file;
        std::int64_t frame;
        core::DateTime datecode;
        core::TTimecode timecode;
    };
    // ffmpeg stamps each recording with its start time plus the elapsed seconds, and counts
    // the timecode from 0 in every recording.
    const Case cases[] = {
        {"tape_three-type2.avi", 0, at(2024, 5, 1, 10, 0, 0), {0, 0, 0, 0}},
        {"tape_three-type2.avi", 30, at(2024, 5, 1, 10, 0, 1), {0, 0, 1, 5}},
        {"tape_three-type2.avi", 50, at(2024, 5, 1, 10, 5, 0), {0, 0, 0, 0}},
        {"tape_three-type2.avi", 99, at(2024, 5, 1, 10, 5, 1), {0, 0, 1, 24}},
        {"tape_three-type2.avi", 100, at(2024, 5, 1, 9, 0, 0), {0, 0, 0, 0}},
        {"tape_three-type2.avi", 124, at(2024, 5, 1, 9, 0, 0), {0, 0, 0, 24}},
        {"pal_16x9_32k-type1.avi", 0, at(2010, 2, 16, 21, 36, 28), {0, 0, 0, 0}},
        {"ntsc_4x3_48k.dv", 0, at(2000, 12, 31, 23, 59, 58), {0, 0, 0, 0}},
        {"ntsc_4x3_48k.dv", 15, at(2000, 12, 31, 23, 59, 58), {0, 0, 0, 15}},
    };
    for (const Case &c : cases) {
        const auto source = openFixture(c.file);
        ASSERT_TRUE(source);
        scenes::FrameInfo info;
        ASSERT_TRUE(source->frameAt(c.frame, info, false)) << c.file << " " << c.frame;
        EXPECT_TRUE(info.datecodeValid) << c.file << " " << c.frame;
        EXPECT_EQ(info.datecode, c.datecode) << c.file << " " << c.frame;
        EXPECT_TRUE(info.timecodeValid) << c.file << " " << c.frame;
        EXPECT_EQ(info.timecode, c.timecode) << c.file << " " << c.frame;
        EXPECT_TRUE(info.picture.empty()) << "no picture asked for";
    }
}

TEST(HeadlessFrameSource, FrameWithoutDatePacksHasNoDatecode)
{
    const auto source = openFixture("ntsc_nodate.dv");
    ASSERT_TRUE(source);
    scenes::FrameInfo info;
    ASSERT_TRUE(source->frameAt(3, info, true));
    EXPECT_FALSE(info.datecodeValid);
    EXPECT_EQ(info.datecode, core::DateTime{});
    EXPECT_EQ(info.picture.width, 720);
}

TEST(HeadlessFrameSource, PictureIsTheFrameAtItsFullSizeInBgr)
{
    struct Case {
        const char *file;
        std::int64_t frame;
        int width, height;
    };
    const Case cases[] = {
        {"tape_three-type2.avi", 0, 720, 576},
        {"tape_three-type2.avi", 77, 720, 576},
        {"pal_16x9_32k-type1.avi", 10, 720, 576},
        {"ntsc_4x3_48k.dv", 20, 720, 480},
    };
    for (const Case &c : cases) {
        const auto source = openFixture(c.file);
        ASSERT_TRUE(source);
        scenes::FrameInfo info;
        ASSERT_TRUE(source->frameAt(c.frame, info, true)) << c.file;
        const scenes::BgrPicture &picture = info.picture;
        ASSERT_EQ(picture.width, c.width) << c.file;
        ASSERT_EQ(picture.height, c.height) << c.file;
        ASSERT_EQ(picture.stride, 3 * c.width);
        ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>(picture.stride) * c.height);

        // testsrc: colour bars and a gradient, far from a black or a single-colour picture.
        std::set<std::uint32_t> colours;
        for (int y = 0; y < picture.height; y += 8)
            for (int x = 0; x < picture.width; x += 8) {
                const std::uint8_t *p = picture.row(y) + 3 * x;
                colours.insert(p[0] | (p[1] << 8) | (p[2] << 16));
            }
        EXPECT_GT(colours.size(), 50u) << c.file;

        const auto reference = ffmpegPicture(test::fixturePath(c.file), static_cast<int>(c.frame));
        ASSERT_EQ(reference.size(), static_cast<std::size_t>(3 * c.width * c.height)) << c.file;
        // Same decoder, scalers with other defaults: a few levels apart on colour edges at most.
        EXPECT_LT(meanDifference(picture, reference), 3.0) << c.file << " " << c.frame;
    }
}

TEST(HeadlessFrameSource, PicturesOfDifferentFramesDiffer)
{
    // testsrc draws a frame counter: the index must pick the frame, not the first one.
    const auto source = openFixture("tape_three-type2.avi");
    ASSERT_TRUE(source);
    scenes::FrameInfo first;
    scenes::FrameInfo later;
    ASSERT_TRUE(source->frameAt(0, first, true));
    ASSERT_TRUE(source->frameAt(40, later, true));
    EXPECT_NE(first.picture.pixels, later.picture.pixels);
    scenes::FrameInfo again;
    ASSERT_TRUE(source->frameAt(0, again, true));
    EXPECT_EQ(first.picture.pixels, again.picture.pixels);
}

TEST(HeadlessFrameSource, FrameOutsideTheFileFailsCleanly)
{
    const auto source = openFixture("tape_three-type2.avi");
    ASSERT_TRUE(source);
    ASSERT_EQ(source->frameCount(), 125u);
    for (std::int64_t index : {std::int64_t{125}, std::int64_t{1000000}, std::int64_t{-1}}) {
        scenes::FrameInfo info;
        info.datecodeValid = true;
        info.picture.reset(4, 4);
        EXPECT_FALSE(source->frameAt(index, info, true)) << index;
        EXPECT_FALSE(info.datecodeValid) << index;
        EXPECT_TRUE(info.picture.empty()) << index;
    }
    scenes::FrameInfo info;
    EXPECT_TRUE(source->frameAt(124, info, true));
}

TEST(HeadlessFrameSource, FilesWithoutDvFramesAreRefused)
{
    const fs::path dir = test::scratchDir("HeadlessRefused");
    test::writeBytes(dir / "notes.txt", {'h', 'e', 'l', 'l', 'o'});
    struct Case {
        fs::path path;
        media::FrameSourceErrorCode code;
    };
    const Case cases[] = {
        {dir / "missing.avi", media::FrameSourceErrorCode::NotFound},
        {dir / "notes.txt", media::FrameSourceErrorCode::NotDv},
        {test::fixturePath("nondv_mpeg4.avi"), media::FrameSourceErrorCode::NotDv},
    };
    for (const Case &c : cases) {
        const auto source = HeadlessFrameSource::open(c.path);
        ASSERT_FALSE(source) << c.path;
        EXPECT_EQ(source.error().code, c.code) << c.path;
    }
}

TEST(HeadlessFrameSource, FillsSceneDetailsWithoutAWindow)
{
    const auto source = openFixture("tape_three-type2.avi");
    ASSERT_TRUE(source);
    const core::DateTimeLocale locale = core::DateTimeLocale::fallback();
    scenes::SceneContext context;
    context.videoLoaded = true;
    context.frameRate = 25.0;
    context.pictureWidth = 720;
    context.pictureHeight = 576;
    context.datecodeFormat = "yyyy-mm-dd hh:nn:ss";
    context.locale = &locale;

    scenes::TSceneClass scene(50, 100, context);
    scene.pictureOffset = 10;
    EXPECT_TRUE(scenes::FillSceneDetails(scene, *source, context));
    EXPECT_EQ(scene.datecodeText, "2024-05-01 10:05:00");
    EXPECT_EQ(scene.timecodeText, "00.00.00.00");
    EXPECT_EQ(scene.startText, "0:00:02:00");
    EXPECT_EQ(scene.endText, "0:00:03:24");
    EXPECT_EQ(scene.thumbnail.width, 300);
    EXPECT_EQ(scene.thumbnail.height, 240);
    std::set<std::uint8_t> levels(scene.thumbnail.pixels.begin(), scene.thumbnail.pixels.end());
    EXPECT_GT(levels.size(), 20u);
}
