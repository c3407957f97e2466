// "Change the codec" and "Fix the video framerate" on copies of real files, checked with ffprobe.
#include "commands/codec_commands.h"
#include "commands_fixture.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace camlog::commands::test {
namespace {

using namespace camlog::engine;

std::string probeVideo(const std::string &path, const std::string &entry)
{
    const auto result = camlog::test::runCommand("ffprobe -v error -select_streams v:0 -show_entries stream=" + entry
                                                 + " -of default=nw=1:nk=1 '" + path + "'");
    std::string text = result.output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

using CodecCommands = CommandsFixture;

TEST_F(CodecCommands, TheCodecParameterIsWrittenIntoTheHeader)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    engine::AviFilePtr fichier = AddToList(video);
    ASSERT_EQ(fichier->Codec, "dvsd");
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.ModifierCodec, {"CDVC"}));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].text, "Do you want to change the codec \"dvsd\" from clip.avi to \"CDVC\" ?");
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    EXPECT_EQ(probeVideo(video, "codec_tag_string"), "CDVC");
    EXPECT_EQ(list.entries[0].fichier->Codec, "CDVC");
    EXPECT_EQ(closedPreviews, std::vector<std::string>{video});
}

TEST_F(CodecCommands, AShortCodeIsPaddedWithBlanks)
{
    EXPECT_EQ(CodecParameter("ab"), "ab  ");
    EXPECT_EQ(CodecParameter("dvsd2"), "dvsd");
    EXPECT_FALSE(CodecParameter(""));
}

TEST_F(CodecCommands, AReadOnlyFileIsPatchedAndStaysReadOnly)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    ASSERT_EQ(::chmod(video.c_str(), 0444), 0);
    AddToList(video);
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.ModifierCodec, {"dsvd"}));
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    EXPECT_EQ(probeVideo(video, "codec_tag_string"), "dsvd");
    struct stat st {};
    ASSERT_EQ(::stat(video.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(CodecCommands, WithoutACodecTheFileFailsUntouched)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    const auto before = camlog::test::readBytes(video);
    AddToList(video);
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.ModifierCodec));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_EQ(camlog::test::readBytes(video), before);
}

TEST_F(CodecCommands, TheFramerateParameterIsWrittenIntoTheHeader)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    AddToList(video);
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.FrequenceVideo, {"29.97"}));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].text, "Do you want to change the frequency 25 from  clip.avi to 29.97 ?");
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    // The stream header's rate (ffprobe's r_frame_rate comes from the DV frames themselves).
    EXPECT_EQ(probeVideo(video, "avg_frame_rate"), "1000000/33367");
    EXPECT_NEAR(list.entries[0].fichier->FrameRate, 29.97, 1e-6);
}

TEST_F(CodecCommands, AFramerateThatIsNoNumberChangesNothing)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    const auto before = camlog::test::readBytes(video);
    AddToList(video);
    for (const char *bad : {"abc", "0", "-25", "", "1e-9", "inf"}) {
        host.questions.clear();
        // Refused before the question: nobody is asked about a rate that cannot be written.
        ASSERT_TRUE(Run(dm.FrequenceVideo, {bad}));
        EXPECT_EQ(engine.LastRun().failedPasses, 1) << bad;
        EXPECT_TRUE(host.questions.empty()) << bad;
    }
    EXPECT_EQ(camlog::test::readBytes(video), before);
    EXPECT_EQ(FrameRateParameter("29,97"), 29.97);
}

// A file that is gone, or has become a folder, fails with the system's words for why.
TEST_F(CodecCommands, AFileThatCannotBeWrittenFailsWithTheSystemsReason)
{
    const std::string gone = CopyFixture("tape_three-type2.avi", "gone.avi");
    const std::string folder = CopyFixture("tape_three-type2.avi", "folder.avi");
    AddToList(gone);
    AddToList(folder);
    std::filesystem::remove(gone);
    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    const auto text = [](int error) {
        return std::error_code(error, std::generic_category()).message();
    };
    struct Case {
        engine::tCustomCmd &command;
        std::string parameter;
        std::string failure;
    };
    const Case cases[] = {{dm.ModifierCodec, "CDVC", "Cannot change the codec of "},
                          {dm.FrequenceVideo, "29.97", "Cannot change the framerate of "}};
    for (const Case &c : cases) {
        host.log.clear();
        host.questions.clear();
        host.answers = {TAnswer::Yes, TAnswer::Yes};
        ASSERT_TRUE(Run(c.command, {c.parameter}));
        EXPECT_EQ(engine.LastRun().failedPasses, 2) << c.failure;
        for (const auto &[path, error] : {std::pair{gone, ENOENT}, std::pair{folder, EISDIR}}) {
            const std::string line = "error etError " + c.failure + path + ": " + text(error);
            EXPECT_NE(std::find(host.log.begin(), host.log.end(), line), host.log.end()) << line;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(gone));
}

TEST_F(CodecCommands, TheFramerateOfDvType1IsNotOffered)
{
    core::TaviFichier fichier;
    fichier.IsDV = true;
    fichier.FileType = 1;
    EXPECT_FALSE(FrequenceVideoFileCondition(fichier));
    fichier.FileType = 2;
    EXPECT_TRUE(FrequenceVideoFileCondition(fichier));
    fichier.IsDV = false;
    fichier.FileType = 1;
    EXPECT_TRUE(FrequenceVideoFileCondition(fichier));
}

} // namespace
} // namespace camlog::commands::test
