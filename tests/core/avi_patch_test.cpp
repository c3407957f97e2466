// In-place header patches: field positions, the handler code and frame-rate writers, and files they must leave alone.
#include "core/avi_patch.h"

#include "core/avi_param.h"
#include "support/riff_builder.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <vector>

namespace {

using camlog::core::AviFieldPositions;
using camlog::core::FourCC;
namespace core = camlog::core;
namespace test = camlog::test;
namespace fs = std::filesystem;

std::uint32_t le32(const std::vector<std::uint8_t> &bytes, std::int64_t at)
{
    return FourCC::fromBytes(bytes.data() + at).value();
}

fs::path copyFixture(const std::string &name, const std::string &testName)
{
    const auto dir = test::scratchDir(testName);
    const fs::path copy = dir / name;
    fs::copy_file(test::fixturePath(name), copy, fs::copy_options::overwrite_existing);
    return copy;
}

// The byte offsets at which two images of the same size differ.
std::vector<std::size_t> differences(const std::vector<std::uint8_t> &a, const std::vector<std::uint8_t> &b)
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i])
            at.push_back(i);
    }
    return at;
}

// What ffprobe reads of the first video stream: tag, frame rate and the frames it decodes.
std::string ffprobeVideo(const fs::path &path)
{
    return camlog::test::runCommand("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                                    "stream=codec_tag_string,r_frame_rate,nb_read_frames -of csv=p=0 '"
                                    + path.string() + "'")
        .output;
}

TEST(LocateFields, DvgrabFilesOfBothTypes)
{
    struct Case {
        const char *fixture;
        bool hasCompression;
    };
    for (const Case c : {Case{"tape_three-type1.avi", false}, Case{"tape_three-type2.avi", true},
                         Case{"tape_three-opendml.avi", false}, Case{"ntsc_4x3_48k-type2.avi", true}}) {
        SCOPED_TRACE(c.fixture);
        const auto path = test::fixturePath(c.fixture);
        const auto bytes = test::readBytes(path);
        const AviFieldPositions p = core::LocateFields(path.string());
        ASSERT_GT(p.HandlerPos, 0);
        ASSERT_EQ(p.ScalePos, p.HandlerPos + 16);
        // The fields hold what the header reader found in the video stream.
        const core::TAviParam param(path);
        const auto *video = param.VideoStream();
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(le32(bytes, p.HandlerPos), video->header.fccHandler.value());
        EXPECT_EQ(le32(bytes, p.ScalePos), video->header.dwScale);
        EXPECT_EQ(le32(bytes, p.ScalePos + 4), video->header.dwRate);
        // The handler sits 4 bytes after the start of a strh chunk's data.
        EXPECT_EQ(FourCC::fromBytes(bytes.data() + p.HandlerPos - 12), core::fcc::strh);
        if (c.hasCompression) {
            ASSERT_GT(p.CompressionPos, p.ScalePos);
            EXPECT_EQ(FourCC::fromBytes(bytes.data() + p.CompressionPos - 24), core::fcc::strf);
            EXPECT_EQ(le32(bytes, p.CompressionPos), core::fcc::dvsd.value());
        } else {
            EXPECT_EQ(p.CompressionPos, -1);
        }
        EXPECT_EQ(core::ReadHandlerCode(path.string()), video->header.fccHandler);
    }
}

TEST(LocateFields, FilesWithoutTheFields)
{
    const auto dir = test::scratchDir("LocateFieldsNone");
    test::writeBytes(dir / "empty.avi", {});
    test::writeBytes(dir / "garbage.avi", std::vector<std::uint8_t>(3000, 0x5A));
    test::writeBytes(dir / "audio_only.avi", test::aviFile({test::streamList("auds", "")}));
    fs::create_directory(dir / "folder.avi");
    fs::copy_file(test::fixturePath("tape_three.dv"), dir / "raw.dv");
    for (const char *name : {"empty.avi", "garbage.avi", "audio_only.avi", "folder.avi", "raw.dv", "missing.avi"}) {
        SCOPED_TRACE(name);
        const auto path = (dir / name).string();
        EXPECT_EQ(core::LocateFields(path), AviFieldPositions{});
        EXPECT_FALSE(core::ReadHandlerCode(path).has_value());
        const bool existed = fs::is_regular_file(path);
        const auto before = existed ? test::readBytes(path) : std::vector<std::uint8_t>{};
        EXPECT_FALSE(core::WriteHandlerCode(path, core::fcc::dvsd));
        EXPECT_FALSE(core::WriteFrameRate(path, 25.0));
        if (existed) {
            EXPECT_EQ(test::readBytes(path), before);
        }
    }
    EXPECT_FALSE(fs::exists(dir / "missing.avi")); // never created by a write
}

TEST(LocateFields, ShortOrCutChunksGiveNoPositionOutsideThem)
{
    using test::appendFourCC;
    using test::Bytes;
    // A vids strh of 12 bytes (handler inside, scale outside) and a strf of 10 bytes.
    Bytes shortStrh = test::text("vids");
    appendFourCC(shortStrh, "dvsd");
    test::appendLe32(shortStrh, 0);
    const Bytes file = test::riff(
        "AVI ", {test::list("hdrl", {test::avihChunk(1), test::list("strl", {test::chunk("strh", shortStrh),
                                                                             test::chunk("strf", test::zeros(10))})}),
                 test::list("movi", {})});
    const auto dir = test::scratchDir("LocateFieldsShort");
    test::writeBytes(dir / "short.avi", file);
    const auto p = core::LocateFields((dir / "short.avi").string());
    EXPECT_GT(p.HandlerPos, 0);
    EXPECT_EQ(p.ScalePos, -1);
    EXPECT_EQ(p.CompressionPos, -1);
    EXPECT_FALSE(core::WriteFrameRate((dir / "short.avi").string(), 25.0));

    // A type 2 header cut in the middle of its strf: the compression field lies past the end.
    auto cut = test::readBytes(test::fixturePath("tape_three-type2.avi"));
    const auto full = core::LocateFields(test::fixturePath("tape_three-type2.avi").string());
    cut.resize(static_cast<std::size_t>(full.CompressionPos + 2));
    test::writeBytes(dir / "cut.avi", cut);
    const auto q = core::LocateFields((dir / "cut.avi").string());
    EXPECT_EQ(q.HandlerPos, full.HandlerPos);
    EXPECT_EQ(q.CompressionPos, -1);
}

TEST(LocateFields, CompressionBelongsToTheStreamOfTheHandler)
{
    // A vids stream followed by an iavs stream: the handler is the iavs stream's, which has
    // no BITMAPINFOHEADER, so no compression field may be written with it.
    const auto file = test::aviFile({test::streamList("vids", "dvsd"), test::streamList("iavs", "dvsd")});
    const auto dir = test::scratchDir("LocateFieldsOrder");
    test::writeBytes(dir / "two.avi", file);
    const auto p = core::LocateFields((dir / "two.avi").string());
    EXPECT_GT(p.HandlerPos, 0);
    EXPECT_EQ(p.CompressionPos, -1);
    test::writeBytes(dir / "one.avi", test::aviFile({test::streamList("vids", "dvsd")}));
    const auto vidsOnly = core::LocateFields((dir / "one.avi").string());
    EXPECT_GT(vidsOnly.CompressionPos, vidsOnly.HandlerPos);
}

TEST(WriteHandlerCode, TypeOneWritesOnlyTheHandler)
{
    const auto path = copyFixture("tape_three-type1.avi", "WriteHandlerType1");
    const auto before = test::readBytes(path);
    const auto p = core::LocateFields(path.string());
    ASSERT_TRUE(core::WriteHandlerCode(path.string(), FourCC::fromString("CDVC")));
    const auto after = test::readBytes(path);
    ASSERT_EQ(after.size(), before.size());
    const auto diff = differences(before, after);
    for (const auto at : diff) {
        EXPECT_GE(static_cast<std::int64_t>(at), p.HandlerPos);
        EXPECT_LT(static_cast<std::int64_t>(at), p.HandlerPos + 4);
    }
    EXPECT_EQ(core::ReadHandlerCode(path.string()), FourCC::fromString("CDVC"));
    // ffmpeg refuses an iavs stream whose handler is not a DV code; writing dvsd back is
    // the repair the codec command exists for, and gives the original file again.
    EXPECT_EQ(ffprobeVideo(path), "");
    ASSERT_TRUE(core::WriteHandlerCode(path.string(), core::fcc::dvsd));
    EXPECT_EQ(test::readBytes(path), before);
    EXPECT_EQ(ffprobeVideo(path), "[0][0][0][0],25/1,125\n");
}

TEST(WriteHandlerCode, TypeTwoWritesHandlerAndCompression)
{
    const auto path = copyFixture("tape_three-type2.avi", "WriteHandlerType2");
    const auto before = test::readBytes(path);
    const auto p = core::LocateFields(path.string());
    ASSERT_TRUE(core::WriteHandlerCode(path.string(), FourCC::fromString("CDVC")));
    const auto after = test::readBytes(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(differences(before, after).size(), 8u);
    EXPECT_EQ(le32(after, p.HandlerPos), FourCC::fromString("CDVC").value());
    EXPECT_EQ(le32(after, p.CompressionPos), FourCC::fromString("CDVC").value());
    EXPECT_EQ(ffprobeVideo(path), "CDVC,25/1,125\n");
    // And back: the file is as it was.
    ASSERT_TRUE(core::WriteHandlerCode(path.string(), core::fcc::dvsd));
    EXPECT_EQ(test::readBytes(path), before);
}

TEST(WriteFrameRate, ScaleAndRate)
{
    struct Case {
        double fps;
        std::uint32_t scale;
    };
    const Case cases[] = {
        {23.976, 41708}, {25.0, 40000}, {29.97, 33367}, {400000.0, 2} /* 2.5: half to even */, {1.0, 1000000}};
    const auto path = copyFixture("tape_three-type2.avi", "WriteFrameRateCases");
    const auto size = fs::file_size(path);
    const auto p = core::LocateFields(path.string());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fps);
        ASSERT_TRUE(core::WriteFrameRate(path.string(), c.fps));
        const auto bytes = test::readBytes(path);
        EXPECT_EQ(le32(bytes, p.ScalePos), c.scale);
        EXPECT_EQ(le32(bytes, p.ScalePos + 4), 1000000u);
        EXPECT_EQ(fs::file_size(path), size);
    }
}

TEST(WriteFrameRate, PatchedFilesStillReadByFfprobe)
{
    for (const char *name : {"tape_three-type1.avi", "tape_three-type2.avi"}) {
        SCOPED_TRACE(name);
        const auto path = copyFixture(name, std::string("WriteFrameRateFfprobe_") + name);
        const auto before = test::readBytes(path);
        ASSERT_TRUE(core::WriteFrameRate(path.string(), 23.976));
        const auto after = test::readBytes(path);
        EXPECT_EQ(after.size(), before.size());
        EXPECT_LE(differences(before, after).size(), 8u);
        const auto probe = ffprobeVideo(path);
        EXPECT_NE(probe.find(",125\n"), std::string::npos) << probe; // every frame still decodes
        if (std::string(name) == "tape_three-type2.avi") {
            EXPECT_EQ(probe, "dvsd,250000/10427,125\n"); // 1000000/41708 in lowest terms
        }
    }
}

TEST(WriteFrameRate, RatesThatCannotBeWrittenLeaveTheFileAlone)
{
    const auto path = copyFixture("tape_three-type1.avi", "WriteFrameRateBad");
    const auto before = test::readBytes(path);
    for (const double fps : {0.0, -25.0, std::nan(""), HUGE_VAL, 1e-4 /* scale beyond 32 bits */, 3e6 /* scale 0 */}) {
        EXPECT_FALSE(core::WriteFrameRate(path.string(), fps)) << fps;
    }
    EXPECT_EQ(test::readBytes(path), before);
}

TEST(Patches, ReadOnlyFileIsLeftUntouchedAndReadOnly)
{
    const auto path = copyFixture("tape_three-type2.avi", "PatchReadOnly");
    const auto before = test::readBytes(path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(core::WriteHandlerCode(path.string(), FourCC::fromString("CDVC")));
    EXPECT_FALSE(core::WriteFrameRate(path.string(), 23.976));
    EXPECT_EQ(test::readBytes(path), before);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // Reading works as before.
    EXPECT_EQ(core::ReadHandlerCode(path.string()), core::fcc::dvsd);
}

// A patch that fails says why; for a file that cannot be written, in the system's words.
TEST(Patches, FailuresNameTheirCause)
{
    const auto readOnly = copyFixture("tape_three-type2.avi", "PatchFailureCauses");
    fs::permissions(readOnly, fs::perms::owner_read);
    const auto dir = readOnly.parent_path();
    test::writeBytes(dir / "audio_only.avi", test::aviFile({test::streamList("auds", "")}));
    fs::create_directory(dir / "folder.avi");
    const auto fifo = dir / "fifo.avi";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const auto text = [](int error) {
        return std::error_code(error, std::generic_category()).message();
    };
    struct Case {
        fs::path path;
        core::PatchErrorCode code;
        std::string message;
    };
    const Case cases[] = {
        {dir / "missing.avi", core::PatchErrorCode::CannotWrite, text(ENOENT)},
        {dir / "folder.avi", core::PatchErrorCode::CannotWrite, text(EISDIR)},
        {readOnly, core::PatchErrorCode::CannotWrite, text(EACCES)},
        {fifo, core::PatchErrorCode::CannotWrite, text(ENXIO)}, // no reader: the open does not wait for one
        {dir / "audio_only.avi", core::PatchErrorCode::NoField, "no video stream header with the field to change"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.filename().string());
        const auto handler = core::WriteHandlerCode(c.path.string(), core::fcc::dvsd);
        ASSERT_FALSE(handler);
        EXPECT_EQ(handler.error().code, c.code);
        EXPECT_EQ(handler.error().message, c.message);
        const auto rate = core::WriteFrameRate(c.path.string(), 25.0);
        ASSERT_FALSE(rate);
        EXPECT_EQ(rate.error().code, c.code);
        EXPECT_EQ(rate.error().message, c.message);
    }
    const auto bad = core::WriteFrameRate((dir / "missing.avi").string(), 0.0);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().code, core::PatchErrorCode::BadValue);
    EXPECT_FALSE(fs::exists(dir / "missing.avi"));
}

} // namespace
