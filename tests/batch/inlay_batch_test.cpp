// End-to-end runs of "Inlay in the video" through `camlog --batch` on generated tapes: the burnt
// date and time are read back from the pictures by ffmpeg and tesseract, the frames by ffprobe
// and by our DV reader.
#include "batch/batch_folder_test.h"
#include "batch/batch_runner.h"

#include "core/dv_frame.h"
#include "core/format.h"
#include "media/media_test_support.h"
#include "scenes/frame_record.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;

std::string probe(const fs::path &path, const std::string &what)
{
    return runCommand("ffprobe -v error " + what + " -of csv=p=0 '" + path.string() + "' 2>&1").output;
}

// One decoded picture as ffmpeg gives it, in RGB.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::string pixels;
    int at(int x, int y, int c) const
    {
        return static_cast<unsigned char>(pixels[static_cast<std::size_t>((y * width + x) * 3 + c)]);
    }
};

RgbPicture decodeFrame(const fs::path &path, int frame, int width, int height)
{
    const CommandResult r = runCommand("ffmpeg -nostdin -v error -i '" + path.string() + "' -vf 'select=eq(n\\,"
                                       + std::to_string(frame) + "),format=rgb24' -frames:v 1 -f rawvideo -");
    const auto size = static_cast<std::size_t>(width * height * 3);
    RgbPicture picture{width, height, r.output};
    EXPECT_EQ(picture.pixels.size(), size) << path << " frame " << frame;
    picture.pixels.resize(size, '\0');
    return picture;
}

// A pixel of the inlay's white text: whitish in the output where the source was not.
bool textPixel(const RgbPicture &source, const RgbPicture &output, int x, int y)
{
    int difference = 0;
    for (int c = 0; c < 3; ++c) {
        if (output.at(x, y, c) < 150)
            return false;
        difference += std::abs(output.at(x, y, c) - source.at(x, y, c));
    }
    return difference > 60;
}

// The pixels that the inlay made light (its white text) in the output: black on white, cropped
// to them with a margin and enlarged three times, as a PGM file for tesseract. Empty when
// there are none.
std::string textPixels(const RgbPicture &source, const RgbPicture &output, const fs::path &pgm)
{
    int left = output.width, top = output.height, right = -1, bottom = -1;
    std::vector<bool> text(output.pixels.size(), false);
    for (int y = 0; y < output.height; ++y)
        for (int x = 0; x < output.width; ++x)
            if (textPixel(source, output, x, y)) {
                text[static_cast<std::size_t>(y * output.width + x)] = true;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return {};
    constexpr int margin = 8, scale = 3;
    left = std::max(0, left - margin);
    top = std::max(0, top - margin);
    right = std::min(output.width - 1, right + margin);
    bottom = std::min(output.height - 1, bottom + margin);
    const int w = (right - left + 1) * scale, h = (bottom - top + 1) * scale;
    std::ofstream out(pgm, std::ios::binary);
    out << "P5\n" << w << ' ' << h << "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.put(text[static_cast<std::size_t>((top + y / scale) * output.width + left + x / scale)] ? '\0'
                                                                                                        : '\xff');
    out.close();
    return runCommand("tesseract '" + pgm.string() + "' - --psm 6 -c tessedit_char_whitelist=0123456789-: 2>/dev/null")
        .output;
}

class InlayBatchTest : public BatchFolderTest {
protected:
    InlayBatchTest() : BatchFolderTest("inlay_batch") {}

    BatchResult Inlay(const fs::path &file) { return runner.batch({"--yes", "/o=" + file.string(), "/i"}); }

    // Whether the text of the output's picture `frame` reads as `expected` (each piece found).
    void ExpectReads(const fs::path &source, const fs::path &output, int frame, int width, int height,
                     const std::vector<std::string> &expected)
    {
        const std::string read =
            textPixels(decodeFrame(source, frame, width, height), decodeFrame(output, frame, width, height),
                       root / ("frame" + std::to_string(frame) + ".pgm"));
        for (const std::string &piece : expected)
            EXPECT_NE(read.find(piece), std::string::npos) << "frame " << frame << " reads \"" << read << "\"";
    }

    // Whether the inlay's light text shows on the output's picture `frame`.
    bool Burnt(const fs::path &source, const fs::path &output, int frame, int width, int height)
    {
        const RgbPicture a = decodeFrame(source, frame, width, height);
        const RgbPicture b = decodeFrame(output, frame, width, height);
        int light = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                light += textPixel(a, b, x, y) ? 1 : 0;
        return light > 100;
    }

    // The share of the picture's pixels that ffmpeg decodes the same from both files.
    static double SamePixels(const fs::path &source, const fs::path &output, int frame, int width, int height)
    {
        const RgbPicture a = decodeFrame(source, frame, width, height);
        const RgbPicture b = decodeFrame(output, frame, width, height);
        std::size_t same = 0;
        for (std::size_t i = 0; i < a.pixels.size(); i += 3)
            same += a.pixels.compare(i, 3, b.pixels, i, 3) == 0 ? 1 : 0;
        return static_cast<double>(same) / static_cast<double>(width * height);
    }

    // The share of the frame's video DIF blocks (section type 4) that are the source's, byte for byte.
    static double SameVideoBlocks(const std::vector<std::uint8_t> &source, const std::vector<std::uint8_t> &output)
    {
        std::size_t video = 0, same = 0;
        for (std::size_t at = 0; at + core::kDifBlockSize <= source.size(); at += core::kDifBlockSize) {
            if (source[at] >> 5 != 4)
                continue;
            ++video;
            same += std::equal(source.begin() + static_cast<std::ptrdiff_t>(at),
                               source.begin() + static_cast<std::ptrdiff_t>(at + core::kDifBlockSize),
                               output.begin() + static_cast<std::ptrdiff_t>(at))
                        ? 1
                        : 0;
        }
        return video == 0 ? 0.0 : static_cast<double>(same) / static_cast<double>(video);
    }

    // Every frame of the output carries the recording date, time and timecode of its source frame.
    static void ExpectSameDatecodes(const fs::path &source, const fs::path &output, int nseq)
    {
        const DvFrames in = readDvFrames(source);
        const DvFrames out = readDvFrames(output);
        ASSERT_EQ(out.size(), in.size());
        for (std::size_t i = 0; i < in.size(); ++i) {
            scenes::FrameRecord a, b;
            scenes::DecodeFrameRecord(in[i], nseq, a);
            scenes::DecodeFrameRecord(out[i], nseq, b);
            ASSERT_TRUE(a.datecodeValid) << i;
            EXPECT_EQ(b.datecodeValid, a.datecodeValid) << i;
            EXPECT_EQ(b.datecode, a.datecode) << i;
            EXPECT_EQ(b.timecode, a.timecode) << i;
        }
    }
};

// Dates and times in fixed formats, drawn permanently in a large font with a border.
constexpr const char *kReadableSettings = "What Incrust=0\r\nWhen Incrust=0\r\nformatdate1=yyyy-mm-dd\r\n"
                                          "formatdate2=hh:nn:ss\r\nIncrustFont\\FontSize=28\r\nBorder Size=2\r\n"
                                          "Incrust positionX=500\r\nAlignement=1\r\n";

TEST_F(InlayBatchTest, PalType1TapeGetsTheDateAndTimeOfEachFrameBurntIn)
{
    Settings(kReadableSettings);
    const fs::path source = Copy("tape_three-type1.avi", "tape.avi");
    const BatchResult result = Inlay(source);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / "tape_in.avi";
    ASSERT_TRUE(fs::exists(out)) << result.err;

    EXPECT_EQ(
        probe(out, "-select_streams v:0 -count_packets -show_entries stream=codec_name,width,height,nb_read_packets"),
        "dvvideo,720,576,125\n");
    EXPECT_EQ(probe(out, "-show_entries stream=codec_type"), probe(source, "-show_entries stream=codec_type"));
    ExpectSameDatecodes(source, out, 12);
    // The three recordings: 10:00:00 (2 s), 10:05:00 (2 s), 09:00:00 (1 s).
    ExpectReads(source, out, 10, 720, 576, {"2024-05-01", "10:00:00"});
    ExpectReads(source, out, 80, 720, 576, {"2024-05-01", "10:05:01"});
    ExpectReads(source, out, 110, 720, 576, {"2024-05-01", "09:00:00"});
    // Only the segments under the text are coded again: the rest of each frame keeps the
    // source's own coding, so ffmpeg decodes most of the picture exactly as the source's.
    const DvFrames in = readDvFrames(source);
    const DvFrames outFrames = readDvFrames(out);
    ASSERT_EQ(in.size(), outFrames.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const double same = SameVideoBlocks(in[i], outFrames[i]);
        EXPECT_GT(same, 0.6) << i;
        EXPECT_LT(same, 1.0) << i;
    }
    for (int frame : {10, 80})
        EXPECT_GT(SamePixels(source, out, frame, 720, 576), 0.6) << frame;
}

TEST_F(InlayBatchTest, NtscType2TapeStaysNtscWithItsDatesBurntIn)
{
    Settings(kReadableSettings);
    const fs::path source = Copy("ntsc_4x3_48k-type2.avi", "clip.avi");
    const BatchResult result = Inlay(source);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / "clip_in.avi";
    ASSERT_TRUE(fs::exists(out)) << result.err;
    const std::string format = "-select_streams v:0 -count_packets "
                               "-show_entries stream=codec_name,width,height,r_frame_rate,nb_read_packets";
    EXPECT_EQ(probe(out, format), probe(source, format));
    EXPECT_EQ(probe(out, format), "dvvideo,720,480,30000/1001,29\n");
    EXPECT_EQ(probe(out, "-select_streams a:0 -show_entries stream=codec_name,sample_rate"),
              probe(source, "-select_streams a:0 -show_entries stream=codec_name,sample_rate"));
    ExpectSameDatecodes(source, out, 10);
    ExpectReads(source, out, 5, 720, 480, {"2000-12-31", "23:59:58"});
    EXPECT_GT(SamePixels(source, out, 5, 720, 480), 0.6);
    const DvFrames in = readDvFrames(source);
    const DvFrames outFrames = readDvFrames(out);
    ASSERT_EQ(in.size(), outFrames.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        EXPECT_GT(SameVideoBlocks(in[i], outFrames[i]), 0.6) << i;
}

TEST_F(InlayBatchTest, AWideTapeAt32kHzKeepsItsShapeAndSoundRate)
{
    Settings(kReadableSettings);
    const fs::path source = Copy("pal_16x9_32k-type1.avi", "wide.avi");
    const BatchResult result = Inlay(source);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / "wide_in.avi";
    ASSERT_TRUE(fs::exists(out)) << result.err;
    EXPECT_EQ(probe(out, "-select_streams v:0 -show_entries stream=width,height,display_aspect_ratio"),
              "720,576,16:9\n");
    EXPECT_EQ(probe(out, "-select_streams a:0 -show_entries stream=sample_rate"), "32000\n");
    ExpectSameDatecodes(source, out, 12);
    ExpectReads(source, out, 10, 720, 576, {"2010-02-16", "21:36:28"});
}

TEST_F(InlayBatchTest, TheDefaultSettingsShowTheDatecodeAtEachScene)
{
    // Defaults: at each scene for 5 s, right-aligned near the bottom right corner. Every
    // recording of the tape is shorter than 5 s, so every picture carries it.
    const fs::path source = Copy("tape_three-type1.avi", "tape.avi");
    const BatchResult result = Inlay(source);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / "tape_in.avi";
    for (int frame : {0, 49, 50, 124})
        EXPECT_TRUE(Burnt(source, out, frame, 720, 576)) << frame;
}

TEST_F(InlayBatchTest, ADurationThatIsNotANumberCountsFiveSeconds)
{
    // Once, for "abc" seconds: the default 5 s, so the first 123 pictures of the 125 (the
    // countdown starts at 124 and is counted down before the first picture).
    Settings("When Incrust=1\r\nDur\xC3\xA9"
             "e Incrustation=abc\r\n");
    const fs::path source = Copy("tape_three-type1.avi", "tape.avi");
    const BatchResult result = Inlay(source);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / "tape_in.avi";
    EXPECT_TRUE(Burnt(source, out, 122, 720, 576));
    EXPECT_FALSE(Burnt(source, out, 123, 720, 576));
    EXPECT_FALSE(Burnt(source, out, 124, 720, 576));
    // A picture without the inlay is the source's, as ffmpeg decodes it and block for block.
    EXPECT_EQ(SamePixels(source, out, 124, 720, 576), 1.0);
    const DvFrames in = readDvFrames(source);
    const DvFrames outFrames = readDvFrames(out);
    ASSERT_EQ(outFrames.size(), 125u);
    EXPECT_EQ(SameVideoBlocks(in[124], outFrames[124]), 1.0);
    EXPECT_LT(SameVideoBlocks(in[122], outFrames[122]), 1.0);
}

TEST_F(InlayBatchTest, ATruncatedSourceFailsAndLeavesNothingBehind)
{
    const fs::path source = videos / "cut.avi";
    auto bytes = readBytes(fixturePath("tape_three-type2.avi"));
    bytes.resize(bytes.size() / 3);
    writeBytes(source, bytes);
    const BatchResult result = Inlay(source);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("An error occurred while inlaying in"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(videos / "cut_in.avi"));
    EXPECT_EQ(FilesIn(videos), 1u);
}

TEST_F(InlayBatchTest, AFileThatIsNotDvIsNotInlaid)
{
    const fs::path source = Copy("nondv_mpeg4.avi", "clip.avi");
    Inlay(source);
    EXPECT_FALSE(fs::exists(videos / "clip_in.avi"));
}

} // namespace
} // namespace camlog::test
