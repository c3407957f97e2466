// File URLs in drag-and-drop and clipboard data.
#include "window/file_urls.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace camlog::widgets {

namespace {

// GNOME's file managers put "copy" or "cut" on the first line, then one URL per line.
constexpr const char *kGnomeCopiedFiles = "x-special/gnome-copied-files";

QList<QUrl> urlsOf(const QMimeData *data)
{
    if (data == nullptr)
        return {};
    if (data->hasUrls())
        return data->urls();
    if (data->hasFormat(kGnomeCopiedFiles)) {
        QList<QUrl> urls;
        const QList<QByteArray> lines = data->data(kGnomeCopiedFiles).split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            if (!lines[i].trimmed().isEmpty())
                urls.append(QUrl::fromEncoded(lines[i].trimmed()));
        return urls;
    }
    return {};
}

} // namespace

std::vector<std::string> LocalFilePaths(const QMimeData *data)
{
    std::vector<std::string> paths;
    for (const QUrl &url : urlsOf(data))
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

bool HoldsLocalFiles(const QMimeData *data)
{
    const QList<QUrl> urls = urlsOf(data);
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

std::vector<std::string> ClipboardFilePaths()
{
    return LocalFilePaths(QGuiApplication::clipboard()->mimeData());
}

bool ClipboardHoldsFiles()
{
    return HoldsLocalFiles(QGuiApplication::clipboard()->mimeData());
}

QMimeData *MimeDataForFiles(const std::vector<std::string> &paths)
{
    QList<QUrl> urls;
    for (const std::string &path : paths)
        urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

} // namespace camlog::widgets
