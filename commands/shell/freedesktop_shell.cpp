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
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
        const bool schemeChar = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')
                                || (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
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

// How long a request waits for xdg-open to say whether a handler took it. Handlers that start
// another program return at once; one that runs in the foreground (a browser named in $BROWSER)
// is taken to have opened the target when it is still running after this time.
constexpr int kHandlerAnswerMs = 3000;

// Runs xdg-open on the argument and waits for its answer: true when it handed the target over
// (status 0, or still busy with it after the wait); false when there is no xdg-open or it found
// no handler. The process is this one's child: it is reaped whatever the wait saw.
bool runXdgOpen(const QString &argument)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return false;
    const QByteArray programBytes = QFile::encodeName(program);
    const QByteArray argumentBytes = argument.toLocal8Bit();
    char *argv[] = {const_cast<char *>(programBytes.constData()), const_cast<char *>(argumentBytes.constData()),
                    nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, programBytes.constData(), nullptr, nullptr, argv, environ) != 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHandlerAnswerMs);
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (ended < 0)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Still at work: the handler is running. Its end is collected in the background.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

// On the application's thread (a Qt program's own call) QDesktopServices opens the target, with
// xdg-open when it cannot. Elsewhere (a command's worker, in the window or in the batch mode that
// runs no event loop, or a program without QGuiApplication) xdg-open is asked directly, from the
// calling thread, so that the caller learns whether anything opened the target.
bool openWithDefaultHandler(const HandlerTarget &target)
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (app && QThread::currentThread() == app->thread())
        return QDesktopServices::openUrl(target.url) || runXdgOpen(target.argument);
    return runXdgOpen(target.argument);
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
    return error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
           || error == QLatin1String("org.freedesktop.DBus.Error.Timeout");
}

} // namespace

bool FreedesktopShell::ShowInFolder(const std::string &path)
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
        return true;
    return openWithDefaultHandler(localFileTarget(info.absolutePath()));
}

bool FreedesktopShell::OpenDocument(const std::string &pathOrAddress)
{
    if (pathOrAddress.empty())
        return false;
    return openWithDefaultHandler(targetOf(pathOrAddress));
}

bool FreedesktopShell::SendMailTo(const std::string &address, const std::string &subject, const std::string &body)
{
    return OpenDocument("mailto:" + address + "?subject=" + subject + "&body=" + body);
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
