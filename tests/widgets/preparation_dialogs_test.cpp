// The file dialogs of the preparation steps, driven as a user would: each starts in its folder with
// its filter, puts the chosen paths into the action parameter list, and a cancel runs nothing.
#include "window/preparation_dialogs.h"

#include "headless/actions/action_list.h"
#include "support/test_files.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace camlog::widgets {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

struct Seen {
    QString objectName;
    QString title;
    QStringList filters;
    QString directory;
    QFileDialog::FileMode mode{};
    QFileDialog::AcceptMode accept{};
    bool confirmsOverwrite = false;
};

// Answers the next dialog that opens: what it showed is recorded, then answer() handles it.
void AnswerNextDialog(Seen &seen, std::function<void(QFileDialog &)> answer)
{
    QTimer::singleShot(0, [&seen, answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = {dialog->objectName(),
                dialog->windowTitle(),
                dialog->nameFilters(),
                dialog->directory().absolutePath(),
                dialog->fileMode(),
                dialog->acceptMode(),
                !dialog->testOption(QFileDialog::DontConfirmOverwrite)};
        answer(*dialog);
    });
}

std::function<void(QFileDialog &)> Choose(const std::vector<fs::path> &paths)
{
    return [paths](QFileDialog &dialog) {
        QStringList names;
        for (const fs::path &path : paths)
            names.append(QStringLiteral("\"%1\"").arg(QString::fromStdString(path.filename().string())));
        dialog.selectFile(names.join(QLatin1Char(' ')));
        static_cast<QDialog &>(dialog).accept(); // public there, runs QFileDialog::accept
    };
}

class PreparationDialogsTest : public ::testing::Test {
protected:
    PreparationDialogsTest() : dialogs(settings, nullptr)
    {
        dir = camlog::test::scratchDir("preparation_dialogs");
        fs::create_directories(dir / "videos" / "tapes");
        fs::create_directories(dir / "playlists");
        for (const char *name : {"a.avi", "b.AVI"})
            camlog::test::writeBytes(dir / "videos" / name, {'x'});
        camlog::test::writeBytes(dir / "playlists" / "list.txt", {'x'});
        settings.folderToOpenFiles = (dir / "videos").string() + "/";
        settings.dossierPlayList = (dir / "playlists").string() + "/";
        dialogs.setNativeDialogs(false);
        dialogs.install(actions);
        for (const char *name : {"saOuvrirFichiers", "saOuvrirunDossier", "saOuvrirScript", "saOuvrirPlayList",
                                 "saSauverListe", "saListeDetaillee"}) {
            actions.plain(name)->Onexecute = [this](ui::TCustomSuperAction &a, ui::ActionSender) {
                ran.push_back(a.Name());
                parameters = a.parameters().list;
            };
        }
    }

    QString Dir(const fs::path &path) const { return QString::fromStdString(path.string()); }

    prefs::Settings settings;
    PreparationDialogs dialogs;
    ui::ActionList actions;
    fs::path dir;
    Seen seen;
    std::vector<std::string> ran;
    std::vector<std::string> parameters;
};

TEST_F(PreparationDialogsTest, OpenFilesChoosesSeveralVideosInTheOpenFolder)
{
    AnswerNextDialog(seen, Choose({dir / "videos" / "a.avi", dir / "videos" / "b.AVI"}));
    EXPECT_TRUE(actions.find("saOuvrirFichiers")->Execute());
    EXPECT_EQ(seen.objectName, "openFilesDialog");
    EXPECT_THAT(seen.filters,
                ElementsAre("Videos *.avi *.dv *.dif (*.avi *.AVI *.Avi *.dv *.DV *.Dv *.dif *.DIF *.Dif)"));
    EXPECT_EQ(seen.directory, Dir(dir / "videos"));
    EXPECT_EQ(seen.mode, QFileDialog::ExistingFiles);
    EXPECT_THAT(parameters, ElementsAre((dir / "videos" / "a.avi").string(), (dir / "videos" / "b.AVI").string()));
}

TEST_F(PreparationDialogsTest, ACancelledDialogCancelsTheActionSilently)
{
    AnswerNextDialog(seen, [](QFileDialog &dialog) { dialog.reject(); });
    EXPECT_FALSE(actions.find("saOuvrirFichiers")->Execute());
    EXPECT_TRUE(ran.empty());
    AnswerNextDialog(seen, [](QFileDialog &dialog) { dialog.reject(); });
    EXPECT_FALSE(actions.find("saSauverListe")->Execute());
    EXPECT_TRUE(ran.empty());
}

TEST_F(PreparationDialogsTest, OpenAFolderRemembersTheChosenFolder)
{
    AnswerNextDialog(seen, [&](QFileDialog &dialog) {
        dialog.setDirectory(Dir(dir / "videos" / "tapes"));
        dialog.selectFile(Dir(dir / "videos" / "tapes"));
        static_cast<QDialog &>(dialog).accept(); // public there, runs QFileDialog::accept
    });
    EXPECT_TRUE(actions.find("saOuvrirunDossier")->Execute());
    EXPECT_EQ(seen.title, "Select the folder containing the images to open");
    EXPECT_EQ(seen.mode, QFileDialog::Directory);
    EXPECT_EQ(seen.directory, Dir(dir / "videos"));
    EXPECT_THAT(parameters, ElementsAre((dir / "videos" / "tapes").string()));
    EXPECT_EQ(settings.folderToOpenFiles, (dir / "videos" / "tapes").string() + "/");
}

TEST_F(PreparationDialogsTest, PlaylistsAndScriptsUseTheirFilters)
{
    AnswerNextDialog(seen, Choose({dir / "playlists" / "list.txt"}));
    EXPECT_TRUE(actions.find("saOuvrirPlayList")->Execute());
    EXPECT_THAT(seen.filters, ElementsAre("playlist (*.txt)"));
    EXPECT_EQ(seen.directory, Dir(dir / "playlists"));
    EXPECT_EQ(seen.mode, QFileDialog::ExistingFile);
    EXPECT_THAT(parameters, ElementsAre((dir / "playlists" / "list.txt").string()));

    // Saving: a new name gets the ".txt" extension.
    AnswerNextDialog(seen, [&](QFileDialog &dialog) {
        dialog.selectFile(QStringLiteral("tapes"));
        static_cast<QDialog &>(dialog).accept(); // public there, runs QFileDialog::accept
    });
    EXPECT_TRUE(actions.find("saSauverListe")->Execute());
    EXPECT_EQ(seen.accept, QFileDialog::AcceptSave);
    EXPECT_THAT(seen.filters, ElementsAre("playlist (*.txt)"));
    EXPECT_THAT(parameters, ElementsAre((dir / "playlists" / "tapes.txt").string()));
    // Replacing a file is asked once, by the action that writes it, not by the dialog too.
    EXPECT_FALSE(seen.confirmsOverwrite);

    AnswerNextDialog(seen, [&](QFileDialog &dialog) {
        dialog.setDirectory(Dir(dir / "playlists"));
        dialog.selectFile(QStringLiteral("list.txt"));
        static_cast<QDialog &>(dialog).accept(); // public there, runs QFileDialog::accept
    });
    EXPECT_TRUE(actions.find("saOuvrirScript")->Execute());
    EXPECT_EQ(seen.objectName, "launchScriptDialog");
    EXPECT_THAT(seen.filters, ElementsAre("*.txt (*.txt)"));
    EXPECT_THAT(parameters, ElementsAre((dir / "playlists" / "list.txt").string()));
    EXPECT_THAT(ran, ElementsAre("saOuvrirPlayList", "saSauverListe", "saOuvrirScript"));
}

TEST_F(PreparationDialogsTest, TheDetailedListIsSavedWhereTheUserChooses)
{
    AnswerNextDialog(seen, [&](QFileDialog &dialog) {
        dialog.selectFile(QStringLiteral("details"));
        static_cast<QDialog &>(dialog).accept(); // public there, runs QFileDialog::accept
    });
    EXPECT_TRUE(actions.find("saListeDetaillee")->Execute());
    EXPECT_EQ(seen.objectName, "saveDetailedListDialog");
    EXPECT_EQ(seen.title, "Save the detailed list");
    EXPECT_EQ(seen.accept, QFileDialog::AcceptSave);
    EXPECT_EQ(seen.directory, Dir(dir / "playlists"));
    EXPECT_THAT(seen.filters, ElementsAre("playlist (*.txt)"));
    EXPECT_THAT(parameters, ElementsAre((dir / "playlists" / "details.txt").string()));

    AnswerNextDialog(seen, [](QFileDialog &dialog) { dialog.reject(); });
    EXPECT_FALSE(actions.find("saListeDetaillee")->Execute());
    EXPECT_THAT(ran, ElementsAre("saListeDetaillee"));
}

} // namespace
} // namespace camlog::widgets
