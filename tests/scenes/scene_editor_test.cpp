// The scene editor's model: cutting and merging scenes, titles from templates with their codes,
// the modified flag, the save question's answers and the scn file it writes.
#include "scenes/scene_editor.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using namespace camlog;
using scenes::SceneContext;
using scenes::SceneEditor;
using scenes::TitleVideo;
namespace fs = std::filesystem;

namespace {

// Frame f of the tape: recorded at 2024-05-01 10:00:00 + f seconds, timecode f frames; frames at
// or after `noDatecodeFrom` carry no datecode. Pictures are grey levels of the frame number.
class TapeFrames : public scenes::FrameSource {
public:
    std::int64_t noDatecodeFrom = 1'000'000;
    int reads = 0;
    bool frameAt(std::int64_t frame, scenes::FrameInfo &out, bool withPicture) override
    {
        ++reads;
        out = scenes::FrameInfo();
        if (frame < 0 || frame >= 1000)
            return false;
        if (frame < noDatecodeFrom) {
            out.datecodeValid = true;
            out.datecode = core::DateTime::fromDays(core::DateTime::fromDate(2024, 5, 1)->days() + 10.0 / 24.0
                                                    + static_cast<double>(frame) / 86400.0);
        }
        out.timecodeValid = true;
        out.timecode.seconds = static_cast<std::uint8_t>(frame / 25);
        out.timecode.frames = static_cast<std::uint8_t>(frame % 25);
        if (withPicture) {
            out.picture.reset(64, 48);
            std::fill(out.picture.pixels.begin(), out.picture.pixels.end(), static_cast<std::uint8_t>(frame));
        }
        return true;
    }
};

SceneContext Context()
{
    SceneContext context;
    context.videoLoaded = true;
    context.frameRate = 25.0;
    context.pictureWidth = 720;
    context.pictureHeight = 576;
    context.datecodeFormat = "yyyy-mm-dd hh:nn:ss";
    return context;
}

struct Span {
    std::int32_t start;
    std::int32_t end;
    std::string title;
};

class SceneEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = test::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        video.active = true;
        video.path = (m_dir / "tape.avi").string();
        video.codec = "dvsd";
        video.sizeText = "720x576";
        video.aspectText = " (4x3)";
        video.audioText = "48000Hz 16bits stereo";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Writes the scn file of the tape and loads it into the editor.
    void load(const std::vector<Span> &spans, std::int32_t frameCount)
    {
        scenes::TwriteScene writer(video.path);
        for (const Span &span : spans) {
            scenes::TSceneClass scene(span.start, span.end, Context());
            scene.title = span.title;
            ASSERT_TRUE(writer.WriteScene(scene));
        }
        ASSERT_TRUE(writer.close());
        editor.Load(video, frameCount, Context());
        ASSERT_EQ(editor.count(), static_cast<int>(spans.size()));
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> spans() const
    {
        std::vector<std::pair<std::int32_t, std::int32_t>> out;
        for (const auto &scene : editor.scenes())
            out.emplace_back(scene.start, scene.end);
        return out;
    }
    // The scenes of the scn file on disk, read back by the reader the commands use.
    std::vector<std::pair<std::int32_t, std::int32_t>> onDisk(std::vector<std::string> *titles = nullptr) const
    {
        scenes::SceneList list;
        EXPECT_TRUE(scenes::ReadScnFile(scenes::ScnFileName(video.path), list, Context()).ok());
        std::vector<std::pair<std::int32_t, std::int32_t>> out;
        for (const auto &item : list) {
            out.emplace_back(item.scene->start, item.scene->end);
            if (titles != nullptr)
                titles->push_back(item.scene->title);
        }
        return out;
    }

    fs::path m_dir;
    TitleVideo video;
    SceneEditor editor;
    TapeFrames frames;
};

using Spans = std::vector<std::pair<std::int32_t, std::int32_t>>;

} // namespace

TEST_F(SceneEditorTest, CutsAtTheFrameShownOnlyInsideAScene)
{
    struct Case {
        std::int64_t frame;
        bool cut;
        Spans after;
    };
    const Case cases[] = {
        {0, false, {{0, 50}, {50, 100}}},           // the first frame of the video
        {50, false, {{0, 50}, {50, 100}}},          // a scene boundary: nothing to cut
        {25, true, {{0, 25}, {25, 50}, {50, 100}}}, // inside the first scene
        {99, true, {{0, 50}, {50, 99}, {99, 100}}}, // the last frame
        {100, false, {{0, 50}, {50, 100}}},         // past the end
        {-1, false, {{0, 50}, {50, 100}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.frame);
        load({{0, 50, ""}, {50, 100, ""}}, 100);
        EXPECT_EQ(editor.InsertScene(c.frame, &frames), c.cut);
        EXPECT_EQ(spans(), c.after);
        EXPECT_EQ(editor.modified(), c.cut);
        if (c.cut) {
            // The new scene is current and filled from its own first frame.
            const auto &current = editor.scene(editor.current());
            EXPECT_EQ(current.start, c.frame);
            EXPECT_TRUE(current.filled);
            EXPECT_EQ(current.timecodeText,
                      core::FormatTimecodeDots(core::TTimecode{0, 0, static_cast<std::uint8_t>(c.frame / 25),
                                                               static_cast<std::uint8_t>(c.frame % 25)}));
            EXPECT_EQ(editor.playFirst(), c.frame);
            EXPECT_EQ(editor.playLast(), current.end - 1);
        }
    }
}

TEST_F(SceneEditorTest, ACutKeepsTheTitlesAndFollowsTheNumbering)
{
    // Two scenes [0,100) and [100,300) titled after their number and datecode.
    load({{0, 100, ""}, {100, 300, ""}}, 300);
    ASSERT_TRUE(editor.ApplyTitles("Scene %N: %D", "Duration = %U", true, &frames));
    EXPECT_EQ(editor.scene(1).title, "Scene 2: 2024-05-01 10:01:40");
    EXPECT_EQ(editor.scene(1).subtitle, "Duration = 08.00");
    ASSERT_TRUE(editor.SelectScene(1, &frames));
    ASSERT_TRUE(editor.InsertScene(200, &frames));
    EXPECT_EQ(spans(), (Spans{{0, 100}, {100, 200}, {200, 300}}));
    EXPECT_EQ(editor.scene(1).title, "Scene 2: 2024-05-01 10:01:40");
    EXPECT_EQ(editor.scene(1).subtitle, "Duration = 04.00");
    EXPECT_EQ(editor.scene(2).title, "Scene 3: 2024-05-01 10:03:20 <<");
    EXPECT_EQ(editor.scene(2).subtitle, "Duration = 04.00");
    EXPECT_EQ(editor.label(2), "Scene 3: Scene 3: 2024-05-01 10:03:20 <<");
    EXPECT_EQ(editor.current(), 2);
    // Cutting the first scene renumbers the others, their titles included.
    ASSERT_TRUE(editor.InsertScene(50, &frames));
    EXPECT_EQ(editor.scene(2).title, "Scene 3: 2024-05-01 10:01:40");
    EXPECT_EQ(editor.scene(3).title, "Scene 4: 2024-05-01 10:03:20 <<");
}

TEST_F(SceneEditorTest, MergesIntoTheSceneBeforeButNeverTheFirst)
{
    load({{0, 40, ""}, {40, 90, ""}, {90, 150, ""}}, 150);
    ASSERT_TRUE(editor.ApplyTitles("Scene %N: %D", "%U", true, &frames));
    // None current, then the first scene: nothing before them.
    EXPECT_FALSE(editor.DeleteScene(&frames));
    ASSERT_TRUE(editor.SelectScene(0, &frames));
    EXPECT_FALSE(editor.DeleteScene(&frames));
    EXPECT_EQ(spans(), (Spans{{0, 40}, {40, 90}, {90, 150}}));
    ASSERT_TRUE(editor.SelectScene(1, &frames));
    ASSERT_TRUE(editor.DeleteScene(&frames));
    EXPECT_EQ(spans(), (Spans{{0, 90}, {90, 150}}));
    EXPECT_EQ(editor.current(), 0);
    EXPECT_EQ(editor.scene(0).durationText, "03.15");
    EXPECT_EQ(editor.scene(0).subtitle, "03.15");
    EXPECT_EQ(editor.scene(1).number, 2);
    EXPECT_EQ(editor.scene(1).title, "Scene 2: 2024-05-01 10:01:30");
    EXPECT_TRUE(editor.modified());
}

TEST_F(SceneEditorTest, SelectionOutOfRangeChangesNothing)
{
    load({{0, 50, ""}, {50, 100, ""}}, 100);
    ASSERT_TRUE(editor.SelectScene(1, &frames));
    for (int index : {-2, 2, 100}) {
        EXPECT_FALSE(editor.SelectScene(index, &frames));
        EXPECT_EQ(editor.current(), 1);
    }
    EXPECT_TRUE(editor.SelectScene(-1, &frames));
    EXPECT_EQ(editor.playFirst(), 0);
    EXPECT_EQ(editor.playLast(), 99);
    EXPECT_FALSE(editor.modified());
}

TEST_F(SceneEditorTest, EveryCodeExpandsForEachSceneOfATable)
{
    load({{0, 30, ""}, {30, 80, ""}, {80, 100, ""}}, 100);
    frames.noDatecodeFrom = 80; // the third scene has no datecode
    struct Case {
        std::string templ;
        std::vector<std::string> titles; // for scenes 1, 2, 3
    };
    const Case cases[] = {
        {"%N", {"1", "2", "3"}},
        {"%f%E", {"tape.avi", "tape.avi", "tape.avi"}},
        {"%P", {(m_dir.string() + "/"), (m_dir.string() + "/"), (m_dir.string() + "/")}},
        {"%D", {"2024-05-01 10:00:00", "2024-05-01 10:00:30", "N/A"}},
        {"%T", {"00.00.00.00", "00.00.01.05", "00.00.03.05"}},
        {"%C|%I|%A",
         {"dvsd|720x576 (4x3)|48000Hz 16bits stereo", "dvsd|720x576 (4x3)|48000Hz 16bits stereo",
          "dvsd|720x576 (4x3)|48000Hz 16bits stereo"}},
        {"%u", {"01.05", "02.00", "00.20"}},
        {"100% %x %", {"100% %x %", "100% %x %", "100% %x %"}},
        {"Scene %N: %D", {"Scene 1: 2024-05-01 10:00:00", "Scene 2: 2024-05-01 10:00:30", "Scene 3: N/A"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.templ);
        ASSERT_TRUE(editor.ApplyTitles(c.templ, c.templ, true, &frames));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(editor.scene(i).title, c.titles[static_cast<std::size_t>(i)]) << i;
            EXPECT_EQ(editor.scene(i).subtitle, c.titles[static_cast<std::size_t>(i)]) << i;
        }
    }
    // A value holding a code is not expanded again.
    TitleVideo odd = video;
    odd.codec = "%N%D";
    SceneEditor other;
    other.Load(odd, 100, Context());
    ASSERT_TRUE(other.SelectScene(0, &frames));
    EXPECT_EQ(other.ExpandTemplate("%C", other.scene(0)), "%N%D");
}

TEST_F(SceneEditorTest, CompressingPutsCodesWhereTheValuesStand)
{
    load({{0, 30, ""}, {30, 80, ""}, {80, 100, ""}}, 100);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(editor.SelectScene(i, &frames));
    const auto &third = editor.scene(2);
    struct Case {
        std::string title;
        std::string compressed;
    };
    const Case cases[] = {
        // Only the whole word 3 is the number; 2008 holds no number.
        {"Holiday 2008 - 3", "Holiday 2008 - %N"},
        {"3", "%N"},
        {"Scene3 (3)", "Scene%N (%N)"},
        {"33 x3 3b", "33 x3 3b"},
        {"tape.avi at 00.00.03.05", "%F%E at %T"},
        {"Duration 00.20 / 00:20 / 20fr", "Duration %U / %U / %U"},
        {"2024-05-01 10:01:20", "%D"},
        {"DVSD 720x576 (4x3)", "%C %I"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(editor.CompressTitle(c.title, third), c.compressed) << c.title;
    // Scene 10 recorded at 10:00: the hour stays part of the datecode.
    load({{0, 10, ""}}, 10);
    ASSERT_TRUE(editor.SelectScene(0, &frames));
    scenes::TSceneClass tenth = editor.scene(0);
    tenth.number = 10;
    EXPECT_EQ(editor.CompressTitle("Scene 10: 2024-05-01 10:00:00", tenth), "Scene %N: %D");
    // Without an active video nothing changes.
    SceneEditor none;
    EXPECT_EQ(none.CompressTitle("Scene 1", tenth), "Scene 1");
    EXPECT_EQ(none.ExpandTemplate("%N", tenth), "%N");
}

TEST_F(SceneEditorTest, TheModifiedFlagAndTheSaveQuestionsThreeAnswers)
{
    const Spans original{{0, 50}, {50, 100}};
    struct Case {
        scenes::SaveAnswer answer;
        bool mayGoOn;
        bool modifiedAfter;
        Spans listAfter;
        Spans fileAfter;
    };
    const Case cases[] = {
        {scenes::SaveAnswer::Save, true, false, {{0, 25}, {25, 50}, {50, 100}}, {{0, 25}, {25, 50}, {50, 100}}},
        {scenes::SaveAnswer::Drop, true, false, original, original},
        {scenes::SaveAnswer::Cancel, false, true, {{0, 25}, {25, 50}, {50, 100}}, original},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        load({{0, 50, ""}, {50, 100, ""}}, 100);
        EXPECT_FALSE(editor.modified());
        ASSERT_TRUE(editor.InsertScene(25, &frames));
        EXPECT_TRUE(editor.modified());
        EXPECT_EQ(editor.SaveQuestion(), "Do you want to save the scenes in the scn file associated with " + video.path
                                             + "?\r\nIf no, then all changes will be lost.");
        const scenes::SaveOutcome outcome = editor.Answer(c.answer);
        EXPECT_EQ(outcome.mayGoOn, c.mayGoOn);
        EXPECT_FALSE(outcome.saveFailed);
        EXPECT_EQ(editor.modified(), c.modifiedAfter);
        EXPECT_EQ(spans(), c.listAfter);
        EXPECT_EQ(onDisk(), c.fileAfter);
    }
    // Choosing a picture and applying titles set it too.
    load({{0, 50, ""}, {50, 100, ""}}, 100);
    ASSERT_TRUE(editor.SelectScene(1, &frames));
    scenes::FrameInfo info;
    frames.frameAt(70, info, true);
    EXPECT_FALSE(editor.SetPicture(20, info.picture)); // not in the current scene
    EXPECT_FALSE(editor.modified());
    ASSERT_TRUE(editor.SetPicture(70, info.picture));
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(editor.scene(1).pictureOffset, 20);
    EXPECT_EQ(editor.scene(1).thumbnail.pixels.front(), 70);
    EXPECT_EQ(editor.pictureFrame(), 70);
    ASSERT_TRUE(editor.Save().ok);
    EXPECT_FALSE(editor.modified());
    ASSERT_TRUE(editor.ApplyTitles("x", "", false, &frames));
    EXPECT_TRUE(editor.modified());
}

TEST_F(SceneEditorTest, AFailedSaveKeepsTheChangesAndTheOldFile)
{
    // A scn file that cannot be replaced: a folder stands in its place.
    load({{0, 50, ""}, {50, 100, ""}}, 100);
    ASSERT_TRUE(editor.InsertScene(10, &frames));
    const fs::path scn = scenes::ScnFileName(video.path);
    const fs::path kept = m_dir / "kept.scn";
    fs::rename(scn, kept);
    fs::create_directory(scn);
    fs::create_directory(scn / "inside");
    const scenes::SaveOutcome outcome = editor.Answer(scenes::SaveAnswer::Save);
    EXPECT_FALSE(outcome.mayGoOn);
    EXPECT_TRUE(outcome.saveFailed);
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(spans(), (Spans{{0, 10}, {10, 50}, {50, 100}}));
    EXPECT_TRUE(fs::is_directory(scn / "inside"));
    // A video in a folder that does not exist.
    SceneEditor nowhere;
    TitleVideo lost = video;
    lost.path = (m_dir / "missing" / "tape.avi").string();
    nowhere.Load(lost, 100, Context());
    ASSERT_TRUE(nowhere.InsertScene(30, &frames));
    EXPECT_TRUE(nowhere.Answer(scenes::SaveAnswer::Save).saveFailed);
    EXPECT_TRUE(nowhere.modified());
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

TEST_F(SceneEditorTest, UnicodeTitlesSurviveASaveAndAReload)
{
    load({{0, 50, ""}, {50, 100, ""}}, 100);
    const std::string title = "Fête à Noël — 東京 🎄 %N";
    ASSERT_TRUE(editor.SelectScene(1, &frames));
    ASSERT_TRUE(editor.ApplyTitles(title, "Ελλάδα", false, &frames));
    ASSERT_TRUE(editor.Save().ok);
    std::vector<std::string> titles;
    EXPECT_EQ(onDisk(&titles), (Spans{{0, 50}, {50, 100}}));
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[1], "Fête à Noël — 東京 🎄 2");
    editor.Load(video, 100, Context());
    EXPECT_EQ(editor.scene(1).title, "Fête à Noël — 東京 🎄 2");
    EXPECT_EQ(editor.scene(1).subtitle, "Ελλάδα");
    EXPECT_FALSE(editor.modified());
}

TEST_F(SceneEditorTest, AVideoWithoutScnFileIsOneScene)
{
    editor.Load(video, 120, Context());
    ASSERT_EQ(editor.count(), 1);
    EXPECT_EQ(spans(), (Spans{{0, 120}}));
    ASSERT_TRUE(editor.InsertScene(60, &frames));
    ASSERT_TRUE(editor.Save().ok);
    EXPECT_EQ(onDisk(), (Spans{{0, 60}, {60, 120}}));
}
