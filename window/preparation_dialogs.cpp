// The file dialogs of the preparation steps.
#include "window/preparation_dialogs.h"

#include "window/asking_preparation.h"

#include "headless/actions/action_catalogue.h"
#include "headless/actions/action_list.h"

#include <QFileDialog>

namespace camlog::widgets {

namespace {

std::vector<std::string> chosen(const QFileDialog &dialog)
{
    std::vector<std::string> paths;
    for (const QString &path : dialog.selectedFiles())
        paths.push_back(path.toStdString());
    return paths;
}

std::optional<std::string> single(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

template <typename T> std::optional<std::vector<std::string>> asList(std::optional<T> answer)
{
    if (!answer)
        return std::nullopt;
    if constexpr (std::is_same_v<T, std::string>)
        return std::vector<std::string>{std::move(*answer)};
    else
        return std::move(*answer);
}

} // namespace

PreparationDialogs::PreparationDialogs(prefs::Settings &settings, QWidget *parent)
    : m_settings(settings),
      m_parent(parent)
{
}

QString PreparationDialogs::videoFilter()
{
    return QStringLiteral("Videos *.avi *.dv *.dif (*.avi *.AVI *.Avi *.dv *.DV *.Dv *.dif *.DIF *.Dif)");
}

QString PreparationDialogs::scriptFilter()
{
    return QStringLiteral("*.txt (*.txt)");
}

QString PreparationDialogs::playlistFilter()
{
    return QStringLiteral("playlist (*.txt)");
}

void PreparationDialogs::prepare(QFileDialog &dialog, const QString &objectName, const std::string &folder) const
{
    dialog.setObjectName(objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_native);
    if (!folder.empty())
        dialog.setDirectory(QString::fromStdString(folder));
}

std::optional<std::vector<std::string>> PreparationDialogs::openFiles() const
{
    QFileDialog dialog(m_parent);
    prepare(dialog, QStringLiteral("openFilesDialog"), m_settings.folderToOpenFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(videoFilter());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return chosen(dialog);
}

std::optional<std::string> PreparationDialogs::openFolder()
{
    QFileDialog dialog(m_parent, QStringLiteral("Select the folder containing the images to open"));
    prepare(dialog, QStringLiteral("openFolderDialog"), m_settings.folderToOpenFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    auto folder = single(dialog);
    if (folder) {
        std::string remembered = *folder;
        if (remembered.empty() || remembered.back() != '/')
            remembered += '/';
        m_settings.folderToOpenFiles = remembered;
    }
    return folder;
}

std::optional<std::string> PreparationDialogs::launchScript() const
{
    QFileDialog dialog(m_parent);
    prepare(dialog, QStringLiteral("launchScriptDialog"), {});
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(scriptFilter());
    return single(dialog);
}

std::optional<std::string> PreparationDialogs::openPlaylist() const
{
    QFileDialog dialog(m_parent);
    prepare(dialog, QStringLiteral("openPlaylistDialog"), m_settings.dossierPlayList);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(playlistFilter());
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    return single(dialog);
}

std::optional<std::string> PreparationDialogs::savePlaylist() const
{
    QFileDialog dialog(m_parent);
    prepare(dialog, QStringLiteral("savePlaylistDialog"), m_settings.dossierPlayList);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // "Save the list as..." asks itself before replacing a file (in scripts too): one question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(playlistFilter());
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    return single(dialog);
}

std::optional<std::string> PreparationDialogs::saveDetailedList() const
{
    QFileDialog dialog(m_parent, QStringLiteral("Save the detailed list"));
    prepare(dialog, QStringLiteral("saveDetailedListDialog"), m_settings.dossierPlayList);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(playlistFilter());
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    return single(dialog);
}

void PreparationDialogs::install(ui::ActionList &actions)
{
    AsksUser(actions, ui::kActionOpenFiles, [this] { return openFiles(); });
    AsksUser(actions, "saOuvrirunDossier", [this] { return asList(openFolder()); });
    AsksUser(actions, ui::kActionLaunchScript, [this] { return asList(launchScript()); });
    AsksUser(actions, ui::kActionOpenPlaylist, [this] { return asList(openPlaylist()); });
    AsksUser(actions, "saSauverListe", [this] { return asList(savePlaylist()); });
    AsksUser(actions, "saListeDetaillee", [this] { return asList(saveDetailedList()); });
}

} // namespace camlog::widgets
