// The catalogue: every command with its class, properties and messages, the action index, and
// the file conditions over real DV and non-DV files.
#include "commands_fixture.h"

#include "engine/message_template.h"

#include <algorithm>
#include <map>
#include <set>

namespace camlog::commands::test {
namespace {

using namespace camlog::engine;

enum class Kind { Graph, Dest, Fast, Rename, Custom };

struct CatalogueRow {
    const char *name;
    Kind kind;
    TcmdNombre nombre;
    TUpdateDisplay display;
    TUpdateFile update;
    const char *start;
    const char *error;
};

const CatalogueRow kCatalogue[] = {
    {"ConvertirDV1", Kind::Graph, fnSelect, udFinal, ufAdd, "Converting %s in type 1",
     "An error occurred while converting %s in type 1"},
    {"ConvertirDV2", Kind::Graph, fnSelect, udFinal, ufAdd, "Converting %s in type 2",
     "An error occurred while converting %s in type 2"},
    {"RecompresserDV2", Kind::Graph, fnSelect, udFinal, ufAdd, "Compressing %s in DV type 2",
     "An error occurred while compressing %s in DV type 2"},
    {"CorrigerType2", Kind::Graph, fnSelect, udFinal, ufAdd, "Fixing %s as video of type 2",
     "An error occurred while fixing %s as video of type 2"},
    {"ConvertirNTSC", Kind::Graph, fnSelect, udFinal, ufAdd, "Converting %s in NTSC",
     "An error occurred while converting %s in NTSC"},
    {"ConvertirPal", Kind::Graph, fnSelect, udFinal, ufAdd, "Converting %s in Pal",
     "An error occurred while converting %s in Pal"},
    {"Convertir16x9", Kind::Graph, fnSelect, udFinal, ufAdd, "Converting %s to 16x9",
     "An error occurred while converting %s to 16x9"},
    {"Convertir4x3", Kind::Graph, fnSelect, udFinal, ufAdd, "Converting %s to 4x3", "Error while converting %s to 4x3"},
    {"Incruster", Kind::Graph, fnSelect, udFinal, ufAdd, "Inlaying in %s", "An error occurred while inlaying in %s"},
    {"DecalerHoraire", Kind::Graph, fnSelect, udFinal, ufAdd, "Setting a time difference in %s",
     "An error occurred while setting a time difference in %s"},
    {"ExtraireAudio", Kind::Graph, fnSelect, udNone, ufNone, "Extracting audio from %s",
     "An error occurred while extracting audio from %s"},
    {"CutScenes", Kind::Graph, fnSelect, udNone, ufAdd, "Extracting from %s the scene %d ",
     "An error occurred while extracting scenes from %s"},
    {"CreerScnByDate", Kind::Graph, fnSelect, udFinal, ufReload, "Creating a scn file for %s by datecode",
     "Error while creating a scn file for %s "},
    {"CreerScnByContenu", Kind::Graph, fnSelect, udEach, ufReload, "Creating a scn file by content for %s",
     "An error occurred while creating a scn file by content for %s"},
    {"CreerSrt", Kind::Graph, fnSelect, udEach, ufReload, "Creating a srt file for %s",
     "An error occurred while creating a srt file for %s"},
    {"ShareCopy", Kind::Graph, fnSelect, udNone, ufNone, "Making a share copy of %s",
     "An error occurred while making a share copy of %s"},
    {"ShareScenes", Kind::Graph, fnSelect, udEach, ufReload, "Making a share copy of %s, scene %d",
     "An error occurred while making share copies of the scenes of %s"},
    {"ExporterScenesTexte", Kind::Dest, fnSelect, udNone, ufNone, "Exporting the scenes of %s to a text file",
     "Error while exporting the scenes of %s to a text file"},
    {"ExporterScenesExcel", Kind::Dest, fnSelect, udNone, ufNone, "Exporting the scenes of %s to Excel",
     "Error while exporting the scenes of %s to Excel"},
    {"ExporterScenesWord", Kind::Dest, fnSelect, udNone, ufNone, "Exporting the scenes of %s to Word",
     "Error while exporting the scenes of %s to Word"},
    {"ExporterScenesCalc", Kind::Dest, fnSelect, udNone, ufNone, "Exporting the scenes of %s to OOo.Calc",
     "Error while exporting the scenes of %s to OOo.Calc"},
    {"ExporterScenesWriter", Kind::Dest, fnSelect, udNone, ufNone, "Exporting the scenes of %s to OOo.Writer",
     "Error while exporting the scenes of %s to OOo.Writer"},
    {"CreerScnByIntervalle", Kind::Dest, fnSelect, udEach, ufReload, "Creating a scn file for %s with fixed durations",
     "Error while creating a scn file for %s "},
    {"DecalageHoraire", Kind::Dest, fnSelect, udFinal, ufNone, "", ""},
    {"SupprimerScn", Kind::Fast, fnSelect, udEach, ufReload, "Deleting the scn file of %s",
     "An error occurred while deleting the scn file of %s"},
    {"SupprimerSrt", Kind::Fast, fnSelect, udEach, ufReload, "Deleting the srt file of %s",
     "An error occurred while deleting the srt file of %s"},
    {"DateFichier", Kind::Fast, fnSelect, udFinal, ufReload, "", ""},
    {"ModifierCodec", Kind::Fast, fnSelect, udFinal, ufReload, "", ""},
    {"FrequenceVideo", Kind::Fast, fnSelect, udFinal, ufReload, "", ""},
    {"PurgerNom", Kind::Rename, fnSelect, udNone, ufNone, "", ""},
    {"AjouterDatecode", Kind::Rename, fnSelect, udNone, ufNone, "", ""},
    {"AjouterTimecode", Kind::Rename, fnSelect, udNone, ufNone, "", ""},
    {"Renommer", Kind::Rename, fnSelect, udNone, ufNone, "", ""},
    {"DossierParent", Kind::Custom, fnSingle, udNone, ufNone, nullptr, nullptr},
    {"SupprimerFichier", Kind::Custom, fnSelect, udFinal, ufNone, nullptr, nullptr},
    {"OpenFichierF3", Kind::Custom, fnSelect, udNone, ufNone, nullptr, nullptr},
    {"OpenFichierF4", Kind::Custom, fnSelect, udNone, ufNone, nullptr, nullptr},
    {"Snapdeck", Kind::Custom, fnSelect, udNone, ufNone, nullptr, nullptr},
    {"DefaultPlayer", Kind::Custom, fnSingle, udNone, ufNone, nullptr, nullptr},
    {"VisitHomePage", Kind::Custom, fnNone, udNone, ufNone, nullptr, nullptr},
    {"SendMail", Kind::Custom, fnNone, udNone, ufNone, nullptr, nullptr},
    {"VisitBlog", Kind::Custom, fnNone, udNone, ufNone, nullptr, nullptr},
};

Kind kindOf(tCustomCmd *cmd)
{
    if (dynamic_cast<TGraphCmd *>(cmd))
        return Kind::Graph;
    if (dynamic_cast<TRenameCmd *>(cmd))
        return Kind::Rename;
    if (dynamic_cast<Tcmd *>(cmd))
        return Kind::Dest;
    if (dynamic_cast<TFastcmd *>(cmd))
        return Kind::Fast;
    return Kind::Custom;
}

using CatalogueTest = CommandsFixture;

TEST_F(CatalogueTest, EveryCommandHasTheClassPropertiesAndMessagesOfTheCatalogue)
{
    ASSERT_EQ(dm.Commands().size(), std::size(kCatalogue));
    std::set<std::string> names;
    for (const CatalogueRow &row : kCatalogue) {
        SCOPED_TRACE(row.name);
        tCustomCmd *cmd = dm.CommandForAction(std::string("cc") + row.name);
        ASSERT_NE(cmd, nullptr);
        EXPECT_EQ(cmd->Name, row.name);
        EXPECT_EQ(kindOf(cmd), row.kind);
        EXPECT_EQ(cmd->Nombre, row.nombre);
        EXPECT_EQ(cmd->UpdateDisplay, row.display);
        EXPECT_EQ(cmd->NbPasses, 0);
        if (auto *fast = dynamic_cast<TFastcmd *>(cmd)) {
            EXPECT_EQ(fast->UpdateFile, row.update);
            EXPECT_EQ(fast->StartMessage, row.start);
            EXPECT_EQ(fast->ErrorMessage, row.error);
        }
        if (auto *graph = dynamic_cast<TGraphCmd *>(cmd)) {
            // The processing module binds the builds.
            EXPECT_FALSE(graph->OnBuildGraph);
            EXPECT_EQ(graph->Filtergraph, nullptr);
        }
        names.insert(row.name);
    }
    EXPECT_EQ(names.size(), dm.Commands().size());
    // The members are the commands of their names.
    EXPECT_EQ(dm.CommandForAction("ccConvertirDV1"), &dm.ConvertirDV1);
    EXPECT_EQ(dm.CommandForAction("ccVisitHomepage"), &dm.VisitHomePage);
    EXPECT_EQ(dm.CommandForAction("ccDecalageHoraire"), &dm.DecalageHoraire);
}

TEST_F(CatalogueTest, TheActionIndexIgnoresCaseAndNeedsTheCcPrefix)
{
    EXPECT_EQ(dm.CommandForAction("ccRenommer"), &dm.Renommer);
    EXPECT_EQ(dm.CommandForAction("CCRENOMMER"), &dm.Renommer);
    EXPECT_EQ(dm.CommandForAction("ccrenommer"), &dm.Renommer);
    EXPECT_EQ(dm.CommandForAction("Renommer"), nullptr);
    EXPECT_EQ(dm.CommandForAction("saRenommer"), nullptr);
    EXPECT_EQ(dm.CommandForAction("ccNoSuchCommand"), nullptr);
    EXPECT_EQ(dm.CommandForAction("cc"), nullptr);
    EXPECT_EQ(dm.CommandForAction(""), nullptr);
}

TEST_F(CatalogueTest, OnlyTheActionsWithADialogPassTheirParameters)
{
    const std::set<std::string> passing{"DecalerHoraire", "DecalageHoraire", "ModifierCodec", "FrequenceVideo",
                                        "CreerScnByIntervalle"};
    for (tCustomCmd *cmd : dm.Commands())
        EXPECT_EQ(dm.PassesActionParameters(*cmd), passing.count(cmd->Name) == 1) << cmd->Name;
}

TEST_F(CatalogueTest, TheBlogIsOfferedInEnglishOnly)
{
    EXPECT_TRUE(dm.VisitBlog.CommandCondition(engine));
    TdmAction french(TdmActionContext{
        .shell = shell, .settings = [this] { return settings; }, .languageCode = "Fr", .closePreview = {}});
    EXPECT_FALSE(french.VisitBlog.CommandCondition(engine));
}

// Which commands apply to which file: one column per fixture, as the catalogue says.
TEST_F(CatalogueTest, FileConditionsFollowTheFilesFormat)
{
    struct Sample {
        const char *key;
        const char *fixture;
    };
    const Sample samples[] = {
        {"pal1", "tape_three-type1.avi"},    {"pal2", "tape_three-type2.avi"},    {"wide2", "pal_16x9_32k-type2.avi"},
        {"ntsc1", "ntsc_4x3_48k-type1.avi"}, {"ntsc2", "ntsc_4x3_48k-type2.avi"}, {"mpeg4", "nondv_mpeg4.avi"},
    };
    std::map<std::string, engine::AviFilePtr> files;
    for (const Sample &sample : samples)
        files[sample.key] = Probe(CopyFixture(sample.fixture, std::string(sample.key) + ".avi"));
    // One with scn and srt companions.
    files["pal2scn"] = [&] {
        const std::string video = CopyFixture("tape_three-type2.avi", "withscn.avi");
        Touch("withscn.scn");
        Touch("withscn.srt");
        return Probe(video);
    }();
    ASSERT_TRUE(files["pal1"]->IsDV);
    ASSERT_EQ(files["pal1"]->FileType, 1u);
    ASSERT_EQ(files["pal2"]->FileType, 2u);
    ASSERT_TRUE(files["wide2"]->Is16x9);
    ASSERT_EQ(files["ntsc2"]->System, 1);
    ASSERT_FALSE(files["mpeg4"]->IsDV);
    ASSERT_TRUE(files["pal2scn"]->HasScn);

    // The files each command applies to.
    const std::map<std::string, std::set<std::string>> expected{
        {"ConvertirDV1", {"pal2", "wide2", "ntsc2", "pal2scn"}},
        {"ConvertirDV2", {"pal1", "ntsc1"}},
        {"RecompresserDV2", {"mpeg4"}},
        {"ConvertirNTSC", {"pal1", "pal2", "wide2", "pal2scn"}},
        {"ConvertirPal", {"ntsc1", "ntsc2"}},
        {"Convertir16x9", {"pal1", "pal2", "ntsc1", "ntsc2", "pal2scn"}},
        {"Convertir4x3", {"wide2"}},
        {"Incruster", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"DecalerHoraire", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"ExtraireAudio", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "mpeg4", "pal2scn"}},
        {"CutScenes", {"pal2scn"}},
        {"CreerScnByDate", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"CreerScnByContenu", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "mpeg4", "pal2scn"}},
        {"CreerSrt", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"ShareCopy", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"ShareScenes", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"ExporterScenesTexte", {"pal2scn"}},
        {"ExporterScenesExcel", {"pal2scn"}},
        {"SupprimerScn", {"pal2scn"}},
        {"SupprimerSrt", {"pal2scn"}},
        {"DateFichier", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"FrequenceVideo", {"pal2", "wide2", "ntsc2", "mpeg4", "pal2scn"}},
        {"AjouterDatecode", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"AjouterTimecode", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "pal2scn"}},
        {"ModifierCodec", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "mpeg4", "pal2scn"}},
        {"SupprimerFichier", {"pal1", "pal2", "wide2", "ntsc1", "ntsc2", "mpeg4", "pal2scn"}},
    };
    for (const auto &[name, applies] : expected) {
        tCustomCmd *cmd = dm.CommandForAction("cc" + name);
        ASSERT_NE(cmd, nullptr) << name;
        for (const auto &[key, fichier] : files) {
            bool visible = false;
            bool enabled = false;
            cmd->FileCondition(fichier.get(), visible, enabled);
            EXPECT_EQ(enabled, applies.count(key) == 1) << name << " on " << key;
        }
    }
}

TEST_F(CatalogueTest, UnreadableFilesOfferNoNameDateOrConversion)
{
    const std::string garbage = Touch("garbage.avi", std::string(5000, 'g'));
    const std::string truncated = (Scratch() / "truncated.avi").string();
    {
        auto bytes = camlog::test::readBytes(camlog::test::fixturePath("tape_three-type2.avi"));
        bytes.resize(3000);
        camlog::test::writeBytes(truncated, bytes);
    }
    for (const std::string &path : {garbage, truncated}) {
        engine::AviFilePtr fichier = Probe(path);
        for (tCustomCmd *cmd : dm.Commands()) {
            bool visible = false;
            bool enabled = false;
            cmd->FileCondition(fichier.get(), visible, enabled); // never a crash
        }
        for (tCustomCmd *cmd :
             {static_cast<tCustomCmd *>(&dm.AjouterDatecode), static_cast<tCustomCmd *>(&dm.AjouterTimecode),
              static_cast<tCustomCmd *>(&dm.Renommer), static_cast<tCustomCmd *>(&dm.DateFichier),
              static_cast<tCustomCmd *>(&dm.ConvertirDV1), static_cast<tCustomCmd *>(&dm.ConvertirDV2),
              static_cast<tCustomCmd *>(&dm.CutScenes)}) {
            bool visible = true;
            bool enabled = true;
            cmd->FileCondition(fichier.get(), visible, enabled);
            EXPECT_FALSE(enabled) << cmd->Name << " on " << path;
        }
    }
}

TEST_F(CatalogueTest, CorrigerType2AppliesToType2FilesWithInterleavedDV)
{
    core::TaviFichier fichier;
    fichier.IsDV = true;
    fichier.FileType = 2;
    bool visible = false;
    bool enabled = true;
    dm.CorrigerType2.FileCondition(&fichier, visible, enabled);
    EXPECT_FALSE(enabled);
    fichier.Type2Iavs = true;
    dm.CorrigerType2.FileCondition(&fichier, visible, enabled);
    EXPECT_TRUE(enabled);
}

TEST_F(CatalogueTest, ConditionsRefuseAMissingFile)
{
    for (tCustomCmd *cmd :
         {static_cast<tCustomCmd *>(&dm.ConvertirDV2), static_cast<tCustomCmd *>(&dm.Renommer),
          static_cast<tCustomCmd *>(&dm.PurgerNom), static_cast<tCustomCmd *>(&dm.SupprimerFichier)}) {
        bool visible = true;
        bool enabled = true;
        cmd->FileCondition(nullptr, visible, enabled);
        EXPECT_FALSE(enabled) << cmd->Name;
    }
}

TEST_F(CatalogueTest, ReadOnlyVideosCannotBeDeleted)
{
    core::TaviFichier fichier;
    fichier.ReadOnly = true;
    bool visible = false;
    bool enabled = true;
    dm.SupprimerFichier.FileCondition(&fichier, visible, enabled);
    EXPECT_TRUE(visible);
    EXPECT_FALSE(enabled);
}

TEST_F(CatalogueTest, OutputDestinationsFollowTheOutputFolderSetting)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    engine::AviFilePtr fichier = Probe(video);
    const std::string folder = (Scratch() / "").string();
    struct Case {
        Tcmd *cmd;
        const char *besideName;
        bool alwaysBeside;
    };
    const Case cases[] = {
        {&dm.ConvertirDV1, "clip_type1.avi", false},
        {&dm.ConvertirDV2, "clip_type2.avi", false},
        {&dm.RecompresserDV2, "clip_dvtype2.avi", false},
        {&dm.CorrigerType2, "clip_fixed.avi", false},
        {&dm.ConvertirNTSC, "clip_ntsc.avi", false},
        {&dm.ConvertirPal, "clip_pal.avi", false},
        {&dm.Convertir16x9, "clip_16x9.avi", false},
        {&dm.Convertir4x3, "clip_4x3.avi", false},
        {&dm.Incruster, "clip_in.avi", false},
        {&dm.ExtraireAudio, "clip.wav", false},
        {&dm.ShareCopy, "clip.mp4", false},
        {&dm.ExporterScenesTexte, "clip_scn.txt", false},
        {&dm.CreerScnByDate, "clip.scn", true},
        {&dm.CreerScnByContenu, "clip.scn", true},
        {&dm.CreerSrt, "clip.srt", true},
        {&dm.CreerScnByIntervalle, "clip.scn", true},
        {&dm.ExporterScenesExcel, "clip.xlsx", false},
        {&dm.ExporterScenesWord, "clip.docx", false},
        {&dm.ExporterScenesCalc, "clip.ods", false},
        {&dm.ExporterScenesWriter, "clip.odt", false},
    };
    for (const bool sameFolder : {true, false}) {
        settings.saveInSameFolder = sameFolder;
        settings.dossierPourSauver = "/out/";
        for (const Case &c : cases) {
            const std::string expected =
                sameFolder || c.alwaysBeside ? folder + c.besideName : std::string("/out/") + c.besideName;
            EXPECT_EQ(c.cmd->OnDestination(fichier.get(), {}, 1), expected) << c.cmd->Name;
        }
    }
    settings.saveInSameFolder = true;
    EXPECT_EQ(dm.CutScenes.OnDestination(fichier.get(), {}, 3), folder + "clip_scene_3.avi");
    EXPECT_EQ(dm.ShareScenes.OnDestination(fichier.get(), {}, 2), folder + "clip_scene_2.mp4");
    settings.saveInSameFolder = false;
    EXPECT_EQ(dm.ShareScenes.OnDestination(fichier.get(), {}, 2), "/out/clip_scene_2.mp4");
}

TEST_F(CatalogueTest, ShellCommandsCallTheDesktop)
{
    const std::string video = Touch("clip.avi");
    AddToList(video);
    settings.fichierF3 = "/usr/bin/player";
    settings.fichierF4 = "";
    settings.fichierSnapdeck = Touch("snapdeck");
    settings.chargerSnapdeck = true;
    ASSERT_TRUE(Run(dm.DossierParent));
    ASSERT_TRUE(Run(dm.OpenFichierF3));
    ASSERT_TRUE(Run(dm.OpenFichierF4)); // no program chosen: nothing happens
    ASSERT_TRUE(Run(dm.Snapdeck));
    ASSERT_TRUE(Run(dm.DefaultPlayer));
    ASSERT_TRUE(Run(dm.VisitHomePage));
    ASSERT_TRUE(Run(dm.SendMail));
    ASSERT_TRUE(Run(dm.VisitBlog));
    const std::vector<std::string> expected{
        "show " + video,
        "start /usr/bin/player [" + video + "]",
        "start " + settings.fichierSnapdeck + " [+F=" + video + "]",
        "open " + video,
        "open https://www.camlog.org/",
        "mail contact@camlog.org|About  Camlog 7.0.9En|Hello Ovrand,%0D%0A",
        "open https://www.camlog.org/blog/",
    };
    EXPECT_EQ(shell.calls, expected);

    bool visible = false;
    bool enabled = false;
    dm.Snapdeck.FileCondition(list.entries[0].fichier.get(), visible, enabled);
    EXPECT_TRUE(enabled);
    settings.fichierSnapdeck = (Scratch() / "missing").string();
    dm.Snapdeck.FileCondition(list.entries[0].fichier.get(), visible, enabled);
    EXPECT_FALSE(enabled);
}

// The five requests to a desktop handler fail their run, saying what found no handler, when the
// desktop has none (the batch mode's exit status follows the failure).
TEST_F(CatalogueTest, ADesktopWithoutHandlerFailsTheRequestsWithAMessage)
{
    const std::string video = Touch("clip.avi");
    AddToList(video);
    shell.handlerFound = false;
    const struct {
        engine::tCustomCmd *cmd;
        std::string error;
    } cases[] = {
        {&dm.DossierParent, "No file manager could show " + video},
        {&dm.DefaultPlayer, "No media player could open " + video},
        {&dm.VisitHomePage, "No web browser could open https://www.camlog.org/"},
        {&dm.SendMail, "No mail program could write to contact@camlog.org"},
        {&dm.VisitBlog, "No web browser could open https://www.camlog.org/blog/"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cmd->Name);
        host.log.clear();
        ASSERT_TRUE(Run(*c.cmd));
        EXPECT_NE(std::find(host.log.begin(), host.log.end(), "error etError " + c.error), host.log.end())
            << ::testing::PrintToString(host.log);
        EXPECT_GT(engine.LastRun().failedPasses, 0);
    }
}

} // namespace
} // namespace camlog::commands::test
