// The preview player without a screen: opening each kind of file, stepping, scenes, sound
// settings, the picture shown and copied, and files that go away while they play.
#include "media/decoding/headless_frame_source.h"
#include "media/preview/preview_player.h"
#include "media/preview/preview_stamp.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace camlog::media {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::fixturePath;

constexpr auto kWait = 10s;

PreviewFacts Facts(const fs::path &path, bool dv, double rate = 0.0)
{
    PreviewFacts facts;
    facts.path = path.string();
    facts.isDv = dv;
    facts.frameRate = rate;
    return facts;
}

// A copy of a DV AVI whose frames all claim the 50 Mbit/s layout in their VAUX source packs:
// 25 Mbit/s frames that FFmpeg's DV decoder refuses for their size (ffmpeg itself reports
// "Error while decoding" on every frame of such a file).
// onlyFrame: the one frame (counted from 0) to mark, or -1 for all of them.
void WriteRefusedDv(const fs::path &from, const fs::path &to, int onlyFrame = -1)
{
    std::vector<std::uint8_t> d = test::readBytes(from);
    int frameNumber = -1;
    for (std::size_t i = 2; i + 6 <= d.size();) {
        const bool chunk = d[i] == 'd' && d[i + 1] == 'c' && std::isdigit(d[i - 1]) && std::isdigit(d[i - 2]);
        const std::uint32_t size =
            chunk ? d[i + 2] | d[i + 3] << 8 | d[i + 4] << 16 | std::uint32_t{d[i + 5]} << 24 : 0;
        if (size != 144000 && size != 120000) {
            ++i;
            continue;
        }
        const std::size_t frame = i + 6;
        ++frameNumber;
        for (std::size_t seq = 0;
             seq < size / 12000 && frame + size <= d.size() && (onlyFrame < 0 || onlyFrame == frameNumber); ++seq)
            for (std::size_t block = 3; block < 6; ++block)
                for (std::size_t p = frame + seq * 12000 + block * 80 + 3;
                     p + 5 <= frame + seq * 12000 + block * 80 + 80; p += 5)
                    if (d[p] == 0x60)
                        d[p + 3] = static_cast<std::uint8_t>((d[p + 3] & 0xE0) | 0x04);
        i = frame + size;
    }
    test::writeBytes(to, d);
}

class PreviewPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The inlay draws text through QtGui; the offscreen platform needs no display.
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 3;
            static char name[] = "camlog_preview_tests", option[] = "-platform", platform[] = "offscreen";
            static char *argv[] = {name, option, platform, nullptr};
            static QGuiApplication app(argc, argv);
        }
    }

    // The record of the picture shown once `position` shows.
    std::shared_ptr<const ShownPicture> shownAt(PreviewPlayer &player, std::int64_t position)
    {
        EXPECT_TRUE(player.waitShown(position, kWait)) << "position " << position;
        return player.shown();
    }

    static std::string timecodeOf(const ShownPicture &picture)
    {
        return StampOf(picture.hasRecord ? &picture.record : nullptr, {}, "yyyy", true, "720x576").timecode;
    }
};

// ---- The arithmetic of the navigation -------------------------------------------------------------

TEST(PreviewTimelineTest, StepsAreFramesOrMediaTimeAndStayInsideTheFile)
{
    const auto pal = PreviewTimeline::ForFile(25.0, 5000, 0);
    const auto ntsc = PreviewTimeline::ForFile(30000.0 / 1001.0, 5000, 0);
    const auto timeless = PreviewTimeline::ForFile(0.0, 0, 3'000'000'000);
    struct Case {
        const PreviewTimeline *timeline;
        std::int64_t from;
        PreviewStep step;
        int direction;
        std::int64_t expected;
    };
    const Case cases[] = {
        {&pal, 10, PreviewStep::Frame, +1, 11},
        {&pal, 10, PreviewStep::Second, +1, 35},
        {&pal, 10, PreviewStep::Minute, +1, 1510},
        {&pal, 0, PreviewStep::Frame, -1, 0},       // stays on the first frame
        {&pal, 20, PreviewStep::Second, -1, 0},     // clamped at the start
        {&pal, 4999, PreviewStep::Frame, +1, 4999}, // stays on the last frame
        {&pal, 4000, PreviewStep::Minute, +1, 4999},
        {&ntsc, 100, PreviewStep::Second, +1, 130},  // 29.97 rounds to 30
        {&ntsc, 100, PreviewStep::Minute, +1, 1898}, // 59.94 × 30 rounds to 1798
        {&ntsc, 3000, PreviewStep::Minute, -1, 1202},
        {&timeless, 0, PreviewStep::Frame, +1, 400'000},
        {&timeless, 0, PreviewStep::Second, +1, 10'000'000},
        {&timeless, 0, PreviewStep::Minute, +1, 600'000'000},
        {&timeless, 5'000'000, PreviewStep::Second, -1, 0},
        {&timeless, 2'900'000'000, PreviewStep::Minute, +1, 3'000'000'000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.timeline->step(c.from, c.step, c.direction), c.expected)
            << "from " << c.from << " step " << static_cast<int>(c.step) << " dir " << c.direction;
    EXPECT_EQ(pal.end, 4999);
    EXPECT_EQ(timeless.format, PreviewTimeFormat::MediaTime);
}

TEST(PreviewTimelineTest, SliderMapsTheWholeFile)
{
    const auto pal = PreviewTimeline::ForFile(25.0, 1001, 0);
    EXPECT_EQ(pal.sliderValue(0), 0);
    EXPECT_EQ(pal.sliderValue(500), 500);
    EXPECT_EQ(pal.sliderValue(1000), 1000);
    EXPECT_EQ(pal.positionOfSlider(1000), 1000);
    EXPECT_EQ(pal.positionOfSlider(250), 250);
    EXPECT_EQ(pal.positionOfSlider(5000), 1000);
    EXPECT_EQ(PreviewTimeline{}.sliderValue(7), 0); // an empty file does not divide by zero
}

TEST(PreviewTimelineTest, NextAndPreviousSceneStarts)
{
    const std::vector<std::int32_t> starts{0, 50, 100};
    struct Case {
        std::int64_t frame;
        std::int64_t next;
        std::int64_t previous;
    };
    const Case cases[] = {
        {0, 50, 0}, {10, 50, 0}, {50, 100, 0}, {51, 100, 50}, {100, 125, 50}, {120, 125, 100},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(NextSceneStart(starts, c.frame, 125), c.next) << c.frame;
        EXPECT_EQ(PreviousSceneStart(starts, c.frame), c.previous) << c.frame;
    }
    EXPECT_EQ(NextSceneStart({}, 3, 125), 125);
    EXPECT_EQ(PreviousSceneStart({}, 3), 0);
}

// ---- Opening ----------------------------------------------------------------------------------

TEST_F(PreviewPlayerTest, EachKindOfFileOpensOrSaysWhyNot)
{
    const fs::path dir = test::scratchDir("PreviewOpen");
    const fs::path text = dir / "notes.avi";
    std::ofstream(text) << "this is no video at all, only words";
    const fs::path refused = dir / "refused.avi";
    WriteRefusedDv(fixturePath("tape_three-type2.avi"), refused);
    ASSERT_FALSE(
        test::runCommand("ffmpeg -v error -i '" + refused.string() + "' -frames:v 1 -f null - 2>&1").output.empty());
    struct Case {
        fs::path path;
        bool dv;
        PreviewMessage message;
        bool built;
        bool picture;
    };
    const Case cases[] = {
        {fixturePath("pal_4x3_48k.dv"), true, PreviewMessage::None, true, true},
        {fixturePath("tape_three-type1.avi"), true, PreviewMessage::None, true, true},
        {fixturePath("tape_three-type2.avi"), true, PreviewMessage::None, true, true},
        {fixturePath("tape_three-opendml.avi"), true, PreviewMessage::None, true, true},
        {fixturePath("nondv_mpeg4.avi"), false, PreviewMessage::None, true, true},
        {fixturePath("dv_cdvc.avi"), true, PreviewMessage::None, true, true},
        {dir / "missing.avi", true, PreviewMessage::NotFound, false, false},
        {dir / "missing.avi", false, PreviewMessage::NotFound, false, false},
        {text, false, PreviewMessage::NotAvi, false, false},
        {text, true, PreviewMessage::NotAvi, false, false},
        {fixturePath("nondv_mpeg4.avi"), true, PreviewMessage::NotDv, false, false},
        {refused, true, PreviewMessage::DvCodecRefused, false, false},
        {fixturePath("audio_only.avi"), false, PreviewMessage::AudioOnly, true, false},
    };
    PreviewPlayer player;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.filename().string() + (c.dv ? " as DV" : " as other"));
        EXPECT_EQ(player.open(Facts(c.path, c.dv)), c.message);
        EXPECT_EQ(player.built(), c.built);
        EXPECT_EQ(player.hasPicture(), c.picture);
        if (c.picture) {
            const auto first = shownAt(player, 0);
            ASSERT_TRUE(first);
            EXPECT_FALSE(first->picture.bytes.empty());
        }
    }
    player.close(true);
    EXPECT_EQ(player.message(), PreviewMessage::StoppedForCommand);
    EXPECT_FALSE(player.built());
    fs::remove_all(dir);
}

TEST_F(PreviewPlayerTest, MessagesNameTheFileAndTheCodec)
{
    EXPECT_NE(PreviewMessageText(PreviewMessage::NotFound, "a.avi", "")
                  .find("<color blue>a.avi</color></b><br>is not found."),
              std::string::npos);
    EXPECT_NE(PreviewMessageText(PreviewMessage::DvCodecRefused, "a.avi", "CDVC")
                  .find("change the codec \"CDVC\" to \"dvsd\""),
              std::string::npos);
    EXPECT_TRUE(PreviewMessageText(PreviewMessage::None, "a.avi", "").empty());
    for (int code = 1; code <= 9; ++code)
        EXPECT_NE(PreviewMessageText(static_cast<PreviewMessage>(code), "a.avi", "xvid").find("Video not available"),
                  std::string::npos)
            << code;
}

// ---- Pictures ---------------------------------------------------------------------------------

TEST_F(PreviewPlayerTest, PicturesKeepTheirSizeAndShowAtTheirAspect)
{
    struct Case {
        std::string name;
        int width;
        int height;
        double aspect;
    };
    const Case cases[] = {
        {"pal_4x3_48k.dv", 720, 576, 4.0 / 3.0},
        {"pal_16x9_32k-type1.avi", 720, 576, 16.0 / 9.0},
        {"ntsc_4x3_48k-type2.avi", 720, 480, 4.0 / 3.0},
        {"nondv_mpeg4.avi", 320, 240, 4.0 / 3.0},
    };
    PreviewPlayer player;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        player.open(Facts(fixturePath(c.name), c.name.find("nondv") == std::string::npos));
        const auto shown = shownAt(player, 0);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->picture.width, c.width);
        EXPECT_EQ(shown->picture.height, c.height);
        EXPECT_NEAR(shown->displayAspect, c.aspect, 1e-6);
    }
}

TEST_F(PreviewPlayerTest, AStepShowsExactlyTheFrameAskedFor)
{
    const fs::path path = fixturePath("tape_three-opendml.avi");
    PreviewPlayer player;
    ASSERT_EQ(player.open(Facts(path, true, 25.0)), PreviewMessage::None);
    ASSERT_EQ(player.timeline().end, 124);
    auto source = HeadlessFrameSource::open(path);
    ASSERT_TRUE(source);

    player.step(PreviewStep::Frame, -1);
    EXPECT_EQ(player.position(), 0);
    player.step(PreviewStep::Second, +1);
    player.step(PreviewStep::Frame, +1);
    EXPECT_EQ(player.position(), 26); // steps pile up before their pictures are ready
    auto shown = shownAt(player, 26);
    EXPECT_EQ(timecodeOf(*shown), "00.00.01.01");
    scenes::FrameInfo info;
    ASSERT_TRUE(source.value()->frameAt(26, info, true));
    ASSERT_EQ(shown->picture.bytes.size(), info.picture.pixels.size());
    EXPECT_TRUE(shown->picture.bytes == info.picture.pixels);

    player.step(PreviewStep::Minute, +1);
    EXPECT_EQ(player.position(), 124);
    EXPECT_EQ(timecodeOf(*shownAt(player, 124)), "00.00.00.24"); // the third recording's timecode
    player.seekTo(-40);
    EXPECT_EQ(player.position(), 0);
    player.seekTo(1'000'000);
    EXPECT_EQ(player.position(), 124);
    player.stepFrames(-2);
    EXPECT_EQ(player.position(), 122);
    EXPECT_EQ(timecodeOf(*shownAt(player, 122)), "00.00.00.22");
}

TEST_F(PreviewPlayerTest, AFrameTheDecoderRefusesKeepsItsRecordAndTheSteppingGoesOn)
{
    const fs::path dir = test::scratchDir("PreviewDamaged");
    const fs::path damaged = dir / "damaged.avi";
    WriteRefusedDv(fixturePath("tape_three-type2.avi"), damaged, 30);
    PreviewPlayer player;
    ASSERT_EQ(player.open(Facts(damaged, true, 25.0)), PreviewMessage::None);
    player.seekTo(29);
    EXPECT_FALSE(shownAt(player, 29)->picture.bytes.empty());
    player.stepFrames(1);
    const auto refused = shownAt(player, 30);
    EXPECT_TRUE(refused->picture.bytes.empty()); // nothing new to show: the panel keeps the last picture
    EXPECT_EQ(timecodeOf(*refused), "00.00.01.05");
    player.stepFrames(1);
    EXPECT_FALSE(shownAt(player, 31)->picture.bytes.empty());
    player.close();
    fs::remove_all(dir);
}

TEST_F(PreviewPlayerTest, NtscSecondsAreThirtyFrames)
{
    PreviewPlayer player;
    ASSERT_EQ(player.open(Facts(fixturePath("ntsc_4x3_48k-type1.avi"), true, 30000.0 / 1001.0)), PreviewMessage::None);
    const std::int64_t end = player.timeline().end;
    ASSERT_GE(end, 28); // a second of NTSC, as dvgrab wrapped it
    player.step(PreviewStep::Second, +1);
    EXPECT_EQ(player.position(), std::min<std::int64_t>(30, end));
    player.seekTo(0);
    player.step(PreviewStep::Frame, +1);
    player.step(PreviewStep::Frame, +1);
    EXPECT_EQ(timecodeOf(*shownAt(player, 2)), "00.00.00.02");
    EXPECT_EQ(shownAt(player, 2)->picture.height, 480);
}

TEST_F(PreviewPlayerTest, AFileWithoutFrameRateStepsInMediaTime)
{
    PreviewPlayer player;
    ASSERT_EQ(player.open(Facts(fixturePath("audio_only.avi"), false)), PreviewMessage::AudioOnly);
    EXPECT_EQ(player.timeline().format, PreviewTimeFormat::MediaTime);
    EXPECT_NEAR(static_cast<double>(player.timeline().end), 30'000'000.0, 400'000.0);
    player.step(PreviewStep::Frame, +1);
    EXPECT_EQ(player.position(), 400'000);
    player.step(PreviewStep::Second, +1);
    EXPECT_EQ(player.position(), 10'400'000);
    player.step(PreviewStep::Minute, +1);
    EXPECT_EQ(player.position(), player.timeline().end);
    player.step(PreviewStep::Minute, -1);
    EXPECT_EQ(player.position(), 0);
    EXPECT_TRUE(player.waitShown(0, kWait));
    EXPECT_TRUE(player.shown()->picture.bytes.empty());
}

TEST_F(PreviewPlayerTest, ScenesComeFromTheirStarts)
{
    PreviewPlayer player;
    ASSERT_EQ(player.open(Facts(fixturePath("tape_three-type2.avi"), true, 25.0)), PreviewMessage::None);
    const std::vector<std::int32_t> starts{0, 50, 100};
    player.seekTo(10);
    player.nextScene(starts);
    EXPECT_EQ(player.position(), 50);
    player.nextScene(starts);
    EXPECT_EQ(player.position(), 100);
    player.nextScene(starts);
    EXPECT_EQ(player.position(), 124); // the end of the video
    player.previousScene(starts);
    EXPECT_EQ(player.position(), 100);
    player.previousScene(starts);
    EXPECT_EQ(player.position(), 50);
    const auto second = shownAt(player, 50);
    EXPECT_EQ(StampOf(&second->record, {}, "hh:nn:ss", true, "").datecode, "10:05:00"); // the second recording
}

TEST_F(PreviewPlayerTest, DeinterlaceAndInlayChangeTheCopiedPicture)
{
    PreviewPlayer player;
    ASSERT_EQ(player.open(Facts(fixturePath("pal_16x9_32k-type2.avi"), true, 25.0)), PreviewMessage::None);
    const auto plain = shownAt(player, 0);
    ASSERT_EQ(plain->picture.width, 720);

    player.setDeinterlace(true);
    EXPECT_TRUE(player.deinterlace());
    player.refresh();
    const auto deinterlaced = shownAt(player, 0);
    BgrPicture expected;
    DeinterlacePicture(plain->picture, expected);
    EXPECT_TRUE(deinterlaced->picture.bytes == expected.bytes);

    player.setDeinterlace(false);
    PreviewInlay inlay;
    inlay.rec.timing = 0;
    inlay.rec.dateFormat1 = "yyyy-mm-dd";
    inlay.shown = true;
    player.setInlay(inlay);
    ASSERT_TRUE(player.waitShown(0, kWait));
    const auto drawn = player.shown();
    ASSERT_EQ(drawn->picture.bytes.size(), plain->picture.bytes.size());
    // The lines go near the bottom right; the top half of the picture stays as it was.
    const std::size_t half = drawn->picture.bytes.size() / 2;
    EXPECT_TRUE(
        std::equal(drawn->picture.bytes.begin(), drawn->picture.bytes.begin() + half, plain->picture.bytes.begin()));
    EXPECT_FALSE(drawn->picture.bytes == plain->picture.bytes);
    EXPECT_EQ(drawn->picture.width, 720);
    EXPECT_NEAR(drawn->displayAspect, 16.0 / 9.0, 1e-9);
}

// ---- Sound and playing ------------------------------------------------------------------------

TEST_F(PreviewPlayerTest, MuteKeepsTheVolume)
{
    PreviewPlayer player;
    player.setVolume(5000);
    EXPECT_DOUBLE_EQ(player.gain(), 0.5);
    player.setMuted(true);
    EXPECT_DOUBLE_EQ(player.gain(), 0.0);
    player.setVolume(player.volume() + 1000); // a step while muted changes the volume only
    EXPECT_EQ(player.volume(), 6000);
    EXPECT_DOUBLE_EQ(player.gain(), 0.0);
    player.setMuted(false);
    EXPECT_DOUBLE_EQ(player.gain(), 0.6);
    player.setVolume(12000);
    EXPECT_EQ(player.volume(), 10000);
    player.setVolume(-5);
    EXPECT_EQ(player.volume(), 0);
}

TEST_F(PreviewPlayerTest, PlayingGoesThroughTheFileWithItsSoundAndStopsAtTheStart)
{
    PreviewPlayer player;
    std::atomic<int> stateChanges = 0;
    player.OnStateChange = [&] {
        ++stateChanges;
    };
    ASSERT_EQ(player.open(Facts(fixturePath("ntsc_4x3_48k-type1.avi"), true, 30000.0 / 1001.0)), PreviewMessage::None);
    ASSERT_TRUE(player.hasSound());
    player.setSoundOutput(true);
    std::vector<std::int16_t> heard(2 * 48000 / 30);
    std::size_t samples = 0;
    player.play();
    EXPECT_TRUE(player.playing());
    const auto start = std::chrono::steady_clock::now();
    while (stateChanges == 0 && std::chrono::steady_clock::now() - start < kWait) {
        samples += player.sound().read(heard); // a device reading its share
        std::this_thread::sleep_for(30ms);
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(stateChanges, 1);
    EXPECT_FALSE(player.playing());
    EXPECT_TRUE(player.waitShown(0, kWait)); // back at the start, paused
    // A slow machine skips pictures to keep up with the clock; how fast is the benchmark's business.
    EXPECT_GE(player.picturesShown(), 10u);
    // One second of pictures plays in about a second, with its sound.
    EXPECT_GT(took, 900ms);
    EXPECT_GT(samples, 48000u / 2);
}

// While playing, a picture's sound goes to the device's ring the device's delay before the
// picture goes on screen, so the two come out together; a pause forgets what was decoded ahead.
TEST_F(PreviewPlayerTest, SoundGoesOutTheDevicesDelayAheadOfItsPicture)
{
    constexpr std::size_t kFrameSound = 48000 / 25; // sample frames of one PAL picture
    const struct {
        std::chrono::microseconds delay;
        std::size_t minFrames, maxFrames; // pictures' sound sent when the first picture shows
    } cases[] = {{0ms, 1, 1}, {120ms, 4, 5}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.delay.count());
        // Real time on a shared machine: a play whose first pictures came late (the player then
        // skips ahead or has not sent its sound yet) is tried again, up to three times.
        std::atomic<std::size_t> sentAtFirst = 0;
        std::atomic<std::int64_t> firstPosition = -1;
        PreviewPlayer player;
        player.OnPicture = [&] {
            const auto shown = player.shown();
            // The opening shows frame 0; playing starts with frame 1.
            if (firstPosition < 0 && shown && shown->position > 0) {
                // Nothing reads the ring: what was sent is what it holds and what it dropped.
                sentAtFirst = player.sound().level() + player.sound().dropped();
                firstPosition = shown->position;
            }
        };
        ASSERT_EQ(player.open(Facts(fixturePath("pal_4x3_48k.dv"), true, 25.0)), PreviewMessage::None);
        ASSERT_TRUE(player.waitShown(0, kWait));
        player.setSoundOutput(true);
        player.setSoundDelay(c.delay);
        const auto inBounds = [&] {
            return firstPosition == 1 && sentAtFirst >= c.minFrames * kFrameSound - kFrameSound / 10
                   && sentAtFirst <= c.maxFrames * kFrameSound + kFrameSound / 10;
        };
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0) {
                player.seekTo(0);
                ASSERT_TRUE(player.waitShown(0, kWait));
                player.sound().clear();
                firstPosition = -1;
            }
            const std::uint64_t droppedBefore = player.sound().dropped();
            player.play();
            const auto start = std::chrono::steady_clock::now();
            while (firstPosition < 0 && std::chrono::steady_clock::now() - start < kWait)
                std::this_thread::sleep_for(5ms);
            player.pause();
            sentAtFirst = sentAtFirst - std::min<std::size_t>(sentAtFirst, droppedBefore);
            if (inBounds())
                break;
        }
        EXPECT_EQ(firstPosition, 1);
        EXPECT_GE(sentAtFirst, c.minFrames * kFrameSound - kFrameSound / 10);
        EXPECT_LE(sentAtFirst, c.maxFrames * kFrameSound + kFrameSound / 10);
        // Paused: the position is the picture on screen, not one decoded ahead of it.
        std::this_thread::sleep_for(50ms);
        ASSERT_NE(player.shown(), nullptr);
        EXPECT_EQ(player.position(), player.shown()->position);
        EXPECT_EQ(player.sound().level(), 0u);
    }
}

TEST_F(PreviewPlayerTest, AFileThatGoesWhilePlayingStopsThePreview)
{
    const fs::path dir = test::scratchDir("PreviewGone");
    struct Case {
        std::string what;
        std::function<void(const fs::path &)> act;
    };
    const Case cases[] = {
        {"shortened",
         [](const fs::path &p) {
             fs::resize_file(p, 200'000);
         }},
        {"removed",
         [](const fs::path &p) {
             fs::remove(p);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path copy = dir / "tape.avi";
        fs::copy_file(fixturePath("tape_three-type1.avi"), copy, fs::copy_options::overwrite_existing);
        PreviewPlayer player;
        std::atomic<bool> told = false;
        player.OnStateChange = [&] {
            told = true;
        };
        ASSERT_EQ(player.open(Facts(copy, true, 25.0)), PreviewMessage::None);
        player.seekTo(20);
        ASSERT_TRUE(player.waitShown(20, kWait));
        player.play();
        c.act(copy);
        const auto start = std::chrono::steady_clock::now();
        while (!player.gone() && std::chrono::steady_clock::now() - start < kWait)
            std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(player.gone());
        EXPECT_TRUE(told);
        EXPECT_FALSE(player.playing());
        player.close();
    }
    fs::remove_all(dir);
}

TEST_F(PreviewPlayerTest, ClosingWhilePlayingFreesEverything)
{
    for (int round = 0; round < 3; ++round) {
        auto player = std::make_unique<PreviewPlayer>();
        player->setSoundOutput(true);
        ASSERT_EQ(player->open(Facts(fixturePath("tape_three-type1.avi"), true, 25.0)), PreviewMessage::None);
        player->play();
        std::this_thread::sleep_for(100ms);
        if (round == 1)
            player->close();
        player.reset();
    }
}

TEST_F(PreviewPlayerTest, ARangePlaysOnlyItsFramesOnceOrInALoop)
{
    // The scene editor plays only the selected scene: [50, 59] of the tape, back to 50 paused; the
    // inlay editor loops.
    PreviewPlayer player;
    std::atomic<int> stateChanges = 0;
    player.OnStateChange = [&] {
        ++stateChanges;
    };
    ASSERT_EQ(player.open(Facts(fixturePath("tape_three-type2.avi"), true, 25.0)), PreviewMessage::None);
    EXPECT_TRUE(player.waitShown(0, kWait));
    EXPECT_FALSE(player.pending());
    player.setPlayRange(std::make_pair(std::int64_t{50}, std::int64_t{59}));
    player.seekTo(50);
    EXPECT_TRUE(player.pending() || player.waitShown(50, kWait));
    EXPECT_TRUE(player.waitShown(50, kWait));
    EXPECT_FALSE(player.pending());
    player.play();
    const auto start = std::chrono::steady_clock::now();
    while (stateChanges == 0 && std::chrono::steady_clock::now() - start < kWait)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(stateChanges, 1);
    EXPECT_FALSE(player.playing());
    EXPECT_TRUE(player.waitShown(50, kWait));
    EXPECT_EQ(player.position(), 50);
    // In a loop the range plays again and again, without a stop.
    player.setLoop(true);
    player.play();
    std::this_thread::sleep_for(1000ms); // 25 pictures: the 10 of the range more than twice
    EXPECT_TRUE(player.playing());
    EXPECT_EQ(stateChanges, 1);
    const auto shown = player.shown();
    ASSERT_TRUE(shown);
    EXPECT_GE(shown->position, 50);
    EXPECT_LE(shown->position, 59);
    player.pause();
    // Without a range the whole file plays again.
    player.setLoop(false);
    player.setPlayRange(std::nullopt);
    player.seekTo(120);
    EXPECT_TRUE(player.waitShown(120, kWait));
    player.play();
    const auto again = std::chrono::steady_clock::now();
    while (stateChanges == 1 && std::chrono::steady_clock::now() - again < kWait)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(stateChanges, 2);
    EXPECT_TRUE(player.waitShown(0, kWait));
}

} // namespace
} // namespace camlog::media
