// Scenes at fixed intervals and the text export of a scn file, run through the engine.
#include "commands_fixture.h"
#include "engine/message_template.h"
#include "scenes/edited_scenes.h"
#include "scenes/fixed_interval.h"
#include "scenes/scn_file.h"
#include "support/office_reader.h"

#include <sstream>

namespace camlog::commands::test {
namespace {

using namespace camlog::engine;

std::vector<scenes::FrameSpan> readSpans(const std::string &scnPath)
{
    scenes::SceneList list;
    scenes::SceneContext context;
    EXPECT_TRUE(scenes::ReadScnFile(scnPath, list, context).ok());
    std::vector<scenes::FrameSpan> spans;
    for (const scenes::SceneItem &item : list)
        spans.push_back({item.scene->start, item.scene->end});
    return spans;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "line without CR LF: " << line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

using FixedIntervalScn = CommandsFixture;

TEST_F(FixedIntervalScn, TheVideoIsCutIntoScenesOfTheParametersSeconds)
{
    // 125 frames at 25 frames per second.
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    engine::AviFilePtr fichier = AddToList(video);
    ASSERT_EQ(fichier->FrameCount, 125u);
    const std::string scn = (Scratch() / "clip.scn").string();

    ASSERT_TRUE(Run(dm.CreerScnByIntervalle, {"2"}));
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    EXPECT_EQ(readSpans(scn), (std::vector<scenes::FrameSpan>{{0, 50}, {50, 100}, {100, 125}}));
    EXPECT_TRUE(list.entries[0].fichier->HasScn);
    EXPECT_EQ(host.log[1], "file clip.avi 1");
    EXPECT_EQ(host.log[2], "msg Creating a scn file for clip.avi with fixed durations");
    EXPECT_EQ(host.log[3], "progress 125");

    // An interval longer than the video: one scene. The scn file exists now, so it is asked.
    host.answers = {TAnswer::Yes};
    host.questions.clear();
    ASSERT_TRUE(Run(dm.CreerScnByIntervalle, {"30"}));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].text, "Do you really want to delete the existing file " + scn);
    EXPECT_EQ(readSpans(scn), (std::vector<scenes::FrameSpan>{{0, 125}}));
}

TEST_F(FixedIntervalScn, AnIntervalThatIsNoDurationIsRefusedAndWritesNothing)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    AddToList(video);
    for (const char *interval : {"0", "abc", "-5", "2.5", "99999999999"}) {
        ASSERT_TRUE(Run(dm.CreerScnByIntervalle, {interval}));
        EXPECT_EQ(engine.LastRun().failedPasses, 1) << interval;
        EXPECT_FALSE(Exists((Scratch() / "clip.scn").string())) << interval;
    }
}

TEST_F(FixedIntervalScn, WithoutAnIntervalTheSettingIsUsed)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    AddToList(video);
    settings.intervalle = 2;
    for (const TParams &params : {TParams{}, TParams{""}}) {
        host.answers = {TAnswer::Yes};
        ASSERT_TRUE(Run(dm.CreerScnByIntervalle, params));
        EXPECT_EQ(engine.LastRun().failedPasses, 0);
        scenes::SceneList scenes;
        ASSERT_TRUE(scenes::ReadScnFile(Scratch() / "clip.scn", scenes, scenes::SceneContext{}).ok());
        EXPECT_EQ(scenes.size(), 3u); // 125 frames at 25 fps in scenes of 2 seconds
    }
}

// A scn file that cannot be put in place (a folder of that name) fails the file with the cause.
TEST_F(FixedIntervalScn, AScnFileThatCannotBeWrittenIsFailedWithItsCause)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    std::filesystem::create_directory(Scratch() / "clip.scn");
    AddToList(video);
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.CreerScnByIntervalle, {"2"}));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_NE(std::find_if(host.log.begin(), host.log.end(),
                           [](const std::string &line) {
                               return line.starts_with("msg ") && line.find("clip.scn") != std::string::npos
                                      && line.find("directory") != std::string::npos;
                           }),
              host.log.end());
    EXPECT_TRUE(std::filesystem::is_directory(Scratch() / "clip.scn"));
}

TEST_F(FixedIntervalScn, AnAbortAfterTheFirstSceneKeepsTheOldScnFile)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    const std::string scn = Touch("clip.scn", "old scenes");
    AddToList(video);
    host.answers = {TAnswer::Yes};
    host.onSetProgress = [this](int position) {
        if (position > 0)
            engine.Abort();
    };
    ASSERT_TRUE(Run(dm.CreerScnByIntervalle, {"2"}));
    EXPECT_EQ(Content(scn), "old scenes");
}

TEST_F(FixedIntervalScn, AnAbortBeforeTheFirstSceneKeepsTheOldScnFile)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    const std::string scn = Touch("clip.scn", "old scenes");
    AddToList(video);
    host.answers = {TAnswer::Yes};
    host.onStartFichier = [this](core::TaviFichier *) {
        engine.Abort();
    };
    ASSERT_TRUE(Run(dm.CreerScnByIntervalle, {"2"}));
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "msg Creating a scn file for clip.avi with fixed durations"),
              host.log.end());
    EXPECT_EQ(Content(scn), "old scenes");
}

using TextExport = CommandsFixture;

TEST_F(TextExport, TheScnFileIsWrittenAsText)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "Clip.avi");
    {
        scenes::SceneContext context;
        context.frameRate = 25.0;
        scenes::TwriteScene writer(video);
        ASSERT_TRUE(writer.WriteScene(scenes::TSceneClass(0, 50, context)));
        scenes::TSceneClass beach(50, 125, context);
        beach.title = "Beach";
        ASSERT_TRUE(writer.WriteScene(beach));
        ASSERT_TRUE(writer.close());
    }
    AddToList(video);
    ASSERT_TRUE(Run(dm.ExporterScenesTexte));
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    EXPECT_EQ(host.log[2], "msg Exporting the scenes of Clip.avi to a text file");

    const std::string textFile = (Scratch() / "Clip_scn.txt").string();
    const std::vector<std::string> text = lines(Content(textFile));
    ASSERT_EQ(text.size(), 11u + 2u + 5u);
    std::string lowerPath = video;
    for (char &c : lowerPath)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::vector<std::string> header{
        "//--------------------------------------------------",
        "// List of scenes of the video file:",
        "//",
        "// ***   " + lowerPath + "   ***",
        "//",
        "// exported by Camlog version 7.0.9 En",
        "// with format:",
        "// scene number, start, end, duration, datecode, timecode, caption",
        "//",
        "//--------------------------------------------------",
        "",
    };
    EXPECT_EQ(std::vector<std::string>(text.begin(), text.begin() + 11), header);
    EXPECT_EQ(text[11].rfind("  1, 0:00:00:00, 0:00:01:24, 02.00, ", 0), 0u) << text[11];
    EXPECT_EQ(text[12].rfind("  2, 0:00:02:00, 0:00:04:24, 03.00, ", 0), 0u) << text[12];
    EXPECT_EQ(text[12].substr(text[12].size() - 9), ", Beach, ") << text[12];
    // The scenes of a DV file carry their datecode and timecode.
    EXPECT_EQ(text[11].find("N/A"), std::string::npos) << text[11];
    EXPECT_EQ(text[13], "");
    EXPECT_EQ(text[14], "//--------------------------------------------------");
    EXPECT_EQ(text[15].rfind("// Terminated at ", 0), 0u);
    EXPECT_EQ(text[16], "// Visit my web site https://www.camlog.org/");
    EXPECT_EQ(text[17], "//");
}

TEST_F(TextExport, TheListOpenInTheSceneEditorIsExportedInsteadOfTheScnFile)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "Clip.avi");
    {
        scenes::SceneContext context;
        scenes::TwriteScene writer(video);
        ASSERT_TRUE(writer.WriteScene(scenes::TSceneClass(0, 125, context)));
        ASSERT_TRUE(writer.close());
    }
    // The editor holds a cut, titled list that is not saved yet.
    scenes::SceneContext context;
    context.videoLoaded = true;
    context.frameRate = 25.0;
    std::vector<scenes::TSceneClass> edited{scenes::TSceneClass(0, 30, context), scenes::TSceneClass(30, 125, context)};
    edited[1].title = "Été";
    edited[1].subtitle = "sous-titre";
    edited[1].number = 2;
    edited[1].pictureOffset = 5;
    scenes::PublishEditedScenes(video, edited);
    AddToList(video);
    ASSERT_TRUE(Run(dm.ExporterScenesTexte));
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    const std::string textFile = (Scratch() / "Clip_scn.txt").string();
    std::vector<std::string> text = lines(Content(textFile));
    ASSERT_EQ(text.size(), 11u + 2u + 5u);
    EXPECT_EQ(text[11].rfind("  1, 0:00:00:00, 0:00:01:04, 01.05, ", 0), 0u) << text[11];
    EXPECT_EQ(text[12].rfind("  2, 0:00:01:05, 0:00:04:24, 03.20, ", 0), 0u) << text[12];
    const std::string caption = ", Été, sous-titre";
    EXPECT_TRUE(text[12].size() > caption.size() && text[12].substr(text[12].size() - caption.size()) == caption)
        << text[12];
    // Another video's list, or none: the scn file.
    scenes::PublishEditedScenes(video + ".other.avi", edited);
    host.questions.clear();
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.ExporterScenesTexte));
    text = lines(Content(textFile));
    ASSERT_EQ(text.size(), 11u + 1u + 5u);
    EXPECT_EQ(text[11].rfind("  1, 0:00:00:00, 0:00:04:24, 05.00, ", 0), 0u) << text[11];
    scenes::WithdrawEditedScenes();
    host.questions.clear();
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.ExporterScenesTexte));
    EXPECT_EQ(lines(Content(textFile)).size(), 11u + 1u + 5u);
}

TEST_F(TextExport, AnUnwritableDestinationFailsTheFile)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    Touch("clip.scn");
    AddToList(video);
    settings.saveInSameFolder = false;
    settings.dossierPourSauver = (Scratch() / "missing" / "").string();
    ASSERT_TRUE(Run(dm.ExporterScenesTexte));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(),
                        "error etError Error while exporting the scenes of " + video + " to a text file"),
              host.log.end());
}

} // namespace
} // namespace camlog::commands::test

namespace camlog::commands::test {
namespace {

using OfficeExport = CommandsFixture;

// Each export writes its document beside the video, reads as a package of its type, and is then
// opened with the desktop's default application.
TEST_F(OfficeExport, EachDocumentIsWrittenAndOpened)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    {
        scenes::SceneContext context;
        context.frameRate = 25.0;
        scenes::TwriteScene writer(video);
        ASSERT_TRUE(writer.WriteScene(scenes::TSceneClass(0, 50, context)));
        ASSERT_TRUE(writer.WriteScene(scenes::TSceneClass(50, 125, context)));
        ASSERT_TRUE(writer.close());
    }
    AddToList(video);
    const struct {
        engine::Tcmd *cmd;
        const char *name;
        const char *part; // a part every package of the type holds
        const char *start;
    } cases[] = {
        {&dm.ExporterScenesExcel, "clip.xlsx", "xl/worksheets/sheet1.xml", "Exporting the scenes of clip.avi to Excel"},
        {&dm.ExporterScenesWord, "clip.docx", "word/document.xml", "Exporting the scenes of clip.avi to Word"},
        {&dm.ExporterScenesCalc, "clip.ods", "content.xml", "Exporting the scenes of clip.avi to OOo.Calc"},
        {&dm.ExporterScenesWriter, "clip.odt", "content.xml", "Exporting the scenes of clip.avi to OOo.Writer"},
    };
    for (const auto &c : cases) {
        shell.calls.clear();
        host.log.clear();
        ASSERT_TRUE(Run(*c.cmd));
        EXPECT_EQ(engine.LastRun().failedPasses, 0) << c.name;
        EXPECT_NE(std::find(host.log.begin(), host.log.end(), std::string("msg ") + c.start), host.log.end()) << c.name;
        const std::string document = (Scratch() / c.name).string();
        EXPECT_EQ(shell.calls, std::vector<std::string>{"open " + document}) << c.name;
        EXPECT_FALSE(camlog::test::zipEntryText(document, c.part).empty()) << c.name;
        // Both scenes, with the values of their first frame.
        const std::string text = camlog::test::zipEntryText(
            document, std::string(c.part) == "xl/worksheets/sheet1.xml" ? "xl/sharedStrings.xml" : c.part);
        EXPECT_NE(text.find("0:00:02:00"), std::string::npos) << c.name;
        EXPECT_EQ(text.find("N/A"), std::string::npos) << c.name;
    }
    // The text documents carry one picture per scene.
    EXPECT_EQ(camlog::test::occurrences(camlog::test::zipEntryText(Scratch() / "clip.odt", "META-INF/manifest.xml"),
                                        "image/jpeg"),
              2u);
}

TEST_F(OfficeExport, AnExistingDocumentIsAskedAboutAndKeptOnNo)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    Touch("clip.scn");
    const std::string document = Touch("clip.ods");
    AddToList(video);
    host.answers = {TAnswer::No};
    ASSERT_TRUE(Run(dm.ExporterScenesCalc));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_NE(host.questions[0].text.find(document), std::string::npos) << host.questions[0].text;
    EXPECT_EQ(Content(document), "x");
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(OfficeExport, AnUnwritableDestinationFailsTheFileAndOpensNothing)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    {
        // A scn file that reads: the failure is the document's.
        scenes::SceneContext context;
        context.frameRate = 25.0;
        scenes::TwriteScene writer(video);
        ASSERT_TRUE(writer.WriteScene(scenes::TSceneClass(0, 125, context)));
        ASSERT_TRUE(writer.close());
    }
    AddToList(video);
    settings.saveInSameFolder = false;
    settings.dossierPourSauver = (Scratch() / "missing" / "").string();
    for (engine::Tcmd *cmd :
         {&dm.ExporterScenesExcel, &dm.ExporterScenesWord, &dm.ExporterScenesCalc, &dm.ExporterScenesWriter}) {
        host.log.clear();
        ASSERT_TRUE(Run(*cmd));
        EXPECT_EQ(engine.LastRun().failedPasses, 1) << cmd->Name;
        const std::string error = "error etError " + engine::FormatCommandMessage(cmd->ErrorMessage, video, 1);
        EXPECT_NE(std::find(host.log.begin(), host.log.end(), error), host.log.end()) << cmd->Name;
        // The cause is told as well.
        EXPECT_NE(std::find_if(host.log.begin(), host.log.end(),
                               [](const std::string &line) {
                                   return line.starts_with("msg ")
                                          && line.find("No such file or directory") != std::string::npos;
                               }),
                  host.log.end())
            << cmd->Name << ": " << ::testing::PrintToString(host.log);
    }
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(Scratch() / "missing"));
}

} // namespace
} // namespace camlog::commands::test

namespace camlog::commands::test {
namespace {

using InterruptedExport = CommandsFixture;

// An export stopped after its first scene keeps the complete document it was replacing, opens
// nothing and leaves no temporary file beside it.
TEST_F(InterruptedExport, KeepsTheCompleteDocumentItWasReplacing)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    {
        scenes::SceneContext context;
        context.frameRate = 25.0;
        scenes::TwriteScene writer(video);
        for (int start = 0; start < 125; start += 25)
            ASSERT_TRUE(writer.WriteScene(scenes::TSceneClass(start, start + 25, context)));
        ASSERT_TRUE(writer.close());
    }
    AddToList(video);
    const struct {
        engine::Tcmd *cmd;
        const char *name;
    } cases[] = {
        {&dm.ExporterScenesTexte, "clip_scn.txt"}, {&dm.ExporterScenesExcel, "clip.xlsx"},
        {&dm.ExporterScenesWord, "clip.docx"},     {&dm.ExporterScenesCalc, "clip.ods"},
        {&dm.ExporterScenesWriter, "clip.odt"},
    };
    for (const auto &c : cases) {
        const std::string document = Touch(c.name, "the complete older document");
        shell.calls.clear();
        host.answers = {engine::TAnswer::Yes};
        host.questions.clear();
        host.onSetProgress = [this](int position) {
            if (position == 1)
                engine.Abort();
        };
        ASSERT_TRUE(Run(*c.cmd));
        host.onSetProgress = nullptr;
        EXPECT_EQ(host.questions.size(), 1u) << c.name;
        EXPECT_EQ(Content(document), "the complete older document") << c.name;
        EXPECT_TRUE(shell.calls.empty()) << c.name;
        for (const auto &entry : std::filesystem::directory_iterator(Scratch()))
            EXPECT_NE(entry.path().filename().string().front(), '.') << c.name << ": " << entry.path();
    }
}

} // namespace
} // namespace camlog::commands::test
