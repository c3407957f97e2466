// A stand-in file manager on the session bus: answers org.freedesktop.FileManager1.ShowItems and
// writes each call's arguments to a file. Usage: fake_file_manager CALLS_FOLDER READY_FILE [silent]
// With "silent" it takes the calls but never answers, as a file manager still starting.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QStringList>

namespace {

class FileManager : public QDBusVirtualObject {
public:
    FileManager(QString callsFolder, bool silent) : m_callsFolder(std::move(callsFolder)), m_silent(silent) {}

    QString introspect(const QString &) const override
    {
        return QStringLiteral("<interface name=\"org.freedesktop.FileManager1\"><method name=\"ShowItems\">"
                              "<arg type=\"as\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
                              "</method></interface>");
    }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != QLatin1String("org.freedesktop.FileManager1")
            || message.member() != QLatin1String("ShowItems"))
            return false;
        // One line per argument: the URIs, then the startup id.
        QByteArray text;
        const QList<QVariant> arguments = message.arguments();
        if (arguments.size() == 2) {
            for (const QString &uri : arguments.at(0).toStringList())
                text += "uri " + uri.toUtf8() + "\n";
            text += "startup [" + arguments.at(1).toString().toUtf8() + "]\n";
        } else {
            text += "signature " + message.signature().toUtf8() + "\n";
        }
        // Written beside the folder and moved in, so a reader never sees half a file.
        const QString name = QStringLiteral("call-%1").arg(++m_calls);
        QFile file(m_callsFolder + QStringLiteral("/../") + name);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(text);
            file.close();
            QFile::rename(file.fileName(), m_callsFolder + QLatin1Char('/') + name);
        }
        if (!m_silent)
            connection.send(message.createReply());
        return true;
    }

private:
    QString m_callsFolder;
    bool m_silent = false;
    int m_calls = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    FileManager manager(QString::fromLocal8Bit(argv[1]), argc > 3 && QByteArray(argv[3]) == "silent");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager)
        || !bus.registerService(QStringLiteral("org.freedesktop.FileManager1")))
        return 1;
    QFile ready(QString::fromLocal8Bit(argv[2]));
    if (!ready.open(QIODevice::WriteOnly))
        return 1;
    ready.close();
    return app.exec();
}
