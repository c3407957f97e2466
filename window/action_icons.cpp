// The pictures of the actions.
#include "window/action_icons.h"

#include <QStandardPaths>
#include <QStringList>

namespace camlog::widgets {

namespace {

constexpr ActionIconNames kIcons[] = {
    // Files and the list.
    {"saOuvrirFichiers", "document-open", ""},
    {"saCollerFichiers", "edit-paste", ""},
    {"saOuvrirunDossier", "folder-open", ""},
    {"saOuvrirDossierPrefere", "folder-videos", ""},
    {"saOuvrirTout", "drive-harddisk", ""},
    {"saOuvrirPlayList", "document-open-recent", ""},
    {"saOuvrirDefaultPlayList", "document-open-recent", ""},
    {"saOuvrirScript", "text-x-script", ""},
    {"saSauverListe", "document-save-as", ""},
    {"saViderListe", "edit-clear", ""},
    {"saSelectionnerTout", "edit-select-all", ""},
    {"saOterFichier", "list-remove", ""},
    {"saOrdreAlpha", "view-sort-ascending", ""},
    {"saQuitter", "application-exit", ""},
    // The video.
    {"saPlayStop", "media-playback-start", "media-playback-pause"},
    {"taMute", "audio-volume-high", "audio-volume-muted"},
    {"taFullscreen", "view-fullscreen", "view-restore"},
    {"taAfficherIncrustation", "insert-text", ""},
    {"taEditerIncrust", "accessories-text-editor", ""},
    {"taDeinterlace", "object-flip-vertical", ""},
    {"ccDecalageHoraire", "appointment-new", ""},
    {"ccDossierParent", "folder", ""},
    {"ccShareCopy", "camera-video", ""},
    {"ccDefaultPlayer", "video-x-generic", ""},
    {"ccSupprimerFichier", "edit-delete", ""},
    {"saRiffHeader", "document-properties", ""},
    {"saCopierImagedansPP", "edit-copy", ""},
    // Scenes.
    {"taEditerScenes", "x-office-presentation", ""},
    {"saSupprimerScene", "list-remove", ""},
    {"saInsererScene", "list-add", ""},
    {"taEditerTitres", "format-text-bold", ""},
    {"saEnregistrerScn", "document-save", ""},
    // The program.
    {"taOptions", "preferences-system", ""},
    {"taApropos", "help-about", ""},
    {"taRaccourcis", "input-keyboard", ""},
    {"ccVisitHomepage", "go-home", ""},
    {"ccSendMail", "mail-send", ""},
    {"ccVisitBlog", "web-browser", ""},
};

constexpr const char *kFallbackTheme = "Adwaita";

QString qtext(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::span<const ActionIconNames> ActionIconTable()
{
    return kIcons;
}

QIcon ActionIcon(std::string_view action, bool checked)
{
    for (const ActionIconNames &names : kIcons)
        if (names.action == action)
            return QIcon::fromTheme(qtext(checked && !names.checkedIcon.empty() ? names.checkedIcon : names.icon));
    return {};
}

void UseFallbackIconTheme()
{
    // The desktop's platform theme gives the icon folders; a bare one (offscreen, no desktop)
    // may give none, so the data folders' "icons" are always among them.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = data + QStringLiteral("/icons");
        if (!paths.contains(icons))
            paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QString::fromLatin1(kFallbackTheme));
    // Without a desktop, Qt's own theme name is "hicolor", which holds only application icons.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QString::fromLatin1(kFallbackTheme));
}

} // namespace camlog::widgets
