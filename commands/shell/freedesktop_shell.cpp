// The desktop services on Linux, over Qt (D-Bus, QDesktopServices, QFile, QProcess).
#include "commands/shell/freedesktop_shell.h"

#include "commands/shell/home_trash.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaObject>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace camlog::commands {
namespace {

QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the default handler receives: the URL for Qt, and the argument for xdg-open (the plain
// absolute path of a local file, the encoded URL of an address).
struct HandlerTarget {
    QUrl url;
    QString argument;
};

HandlerTarget localFileTarget(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    return {QUrl::fromLocalFile(absolute), absolute};
}

// "mailto:...", "https://...": a scheme of two characters or more before the first ":". A path
// that starts with "/" or names an existing file stays a file, whatever colons it holds.
bool isAddress(const QString &text)
{
    if (text.startsWith(u'/') || QFileInfo::exists(text))
        return false;
    const qsizetype colon = text.indexOf(u':');
    if (colon < 2)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = text.at(i);
        const bool schemeChar = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                                (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
        if (!schemeChar)
            return false;
    }
    return true;
}

HandlerTarget targetOf(const std::string &pathOrAddress)
{
    const QString text = fromUtf8(pathOrAddress);
    if (!isAddress(text))
        return localFileTarget(text);
    // Tolerant parsing keeps the escapes the caller made ("%0D%0A") and encodes the rest (blanks).
    const QUrl url(text, QUrl::TolerantMode);
    return {url, url.toString(QUrl::FullyEncoded)};
}

bool startXdgOpen(const QString &argument)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {argument});
}

// QDesktopServices needs a QGuiApplication and its thread; the batch mode may have neither, and
// then xdg-open (which QDesktopServices itself ends up calling on most desktops) does the job.
void openWithDefaultHandler(const HandlerTarget &target)
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app) {
        startXdgOpen(target.argument);
        return;
    }
    auto open = [target] {
        if (!QDesktopServices::openUrl(target.url))
            startXdgOpen(target.argument);
    };
    if (QThread::currentThread() == app->thread())
        open();
    else
        QMetaObject::invokeMethod(app, open, Qt::QueuedConnection);
}

// True when the file manager took the request, or may still be taking it: a file manager that
// the bus is starting can take longer than the timeout, and opening the folder as well would
// give the user two windows. Any other error (no bus, no file manager) is a refusal.
bool showItemsOverDBus(QDBusConnection bus, const QString &absolutePath, int timeoutMs)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(absolutePath).toString(QUrl::FullyEncoded)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    const QString error = reply.errorName();
    return error == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
           error == QLatin1String("org.freedesktop.DBus.Error.Timeout");
}

} // namespace

void FreedesktopShell::ShowInFolder(const std::string &path)
{
    const QFileInfo info(fromUtf8(path));
    bool shown = false;
    if (busAddress.empty()) {
        shown = showItemsOverDBus(QDBusConnection::sessionBus(), info.absoluteFilePath(), showItemsTimeoutMs);
    } else {
        const QString name = QStringLiteral("camlog-shell");
        shown = showItemsOverDBus(QDBusConnection::connectToBus(fromUtf8(busAddress), name), info.absoluteFilePath(),
                                  showItemsTimeoutMs);
        QDBusConnection::disconnectFromBus(name);
    }
    if (shown)
        return;
    openWithDefaultHandler(localFileTarget(info.absolutePath()));
}

void FreedesktopShell::OpenDocument(const std::string &pathOrAddress)
{
    if (pathOrAddress.empty())
        return;
    openWithDefaultHandler(targetOf(pathOrAddress));
}

void FreedesktopShell::SendMailTo(const std::string &address, const std::string &subject, const std::string &body)
{
    OpenDocument("mailto:" + address + "?subject=" + subject + "&body=" + body);
}

bool FreedesktopShell::RecycleFile(const std::string &path)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return false;
    // Qt puts the file beside the current folder when the home Trash is missing: make it first.
    const std::filesystem::path homeTrash = HomeTrashFolder();
    MakeHomeTrash(homeTrash);
    // The path as it is: file names are case-sensitive here.
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    QString landed;
    if (!QFile::moveToTrash(name, &landed))
        return false;
    const std::filesystem::path pathInTrash(QFile::encodeName(landed).toStdString());
    if (IsInTrash(pathInTrash, homeTrash))
        return true;
    // Somewhere that is no Trash: the file goes back where it was, its record goes away.
    std::filesystem::rename(pathInTrash, path, error);
    const std::filesystem::path record =
        pathInTrash.parent_path().parent_path() / "info" / (pathInTrash.filename().string() + ".trashinfo");
    std::filesystem::remove(record, error);
    return false;
}

bool FreedesktopShell::StartProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    if (program.empty())
        return false;
    QStringList list;
    for (const std::string &argument : arguments)
        list << fromUtf8(argument);
    return QProcess::startDetached(fromUtf8(program), list);
}

} // namespace camlog::commands
