// The list adapter: the list's row events become the item model's signals.
#include "window/file_list_adapter.h"

#include "window/file_urls.h"

#include <QMimeData>

#include <set>
#include <unordered_map>

namespace camlog::widgets {

FileListAdapter::FileListAdapter(ui::FileListModel &list, QObject *parent) : QAbstractListModel(parent), m_list(list)
{
    m_list.SetRowObserver(this);
}

FileListAdapter::~FileListAdapter()
{
    m_list.SetRowObserver(nullptr);
}

int FileListAdapter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.Count();
}

QVariant FileListAdapter::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ui::AviFilePtr fichier = m_list.GetFile(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(fichier->FileName);
    case Qt::ToolTipRole:
        return QString::fromStdString(fichier->FullPath);
    default:
        return {};
    }
}

Qt::ItemFlags FileListAdapter::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList FileListAdapter::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *FileListAdapter::mimeData(const QModelIndexList &indexes) const
{
    std::set<int> rows; // in list order, each once
    for (const QModelIndex &index : indexes)
        if (index.isValid())
            rows.insert(index.row());
    std::vector<std::string> paths;
    for (int row : rows)
        if (row < rowCount())
            paths.push_back(m_list.GetFile(row)->FullPath);
    return MimeDataForFiles(paths);
}

void FileListAdapter::rowsAboutToBeInserted(int first, int last)
{
    beginInsertRows(QModelIndex(), first, last);
}

void FileListAdapter::rowsInserted(int, int)
{
    // The views show the new rows' selection themselves (see FileListView): an opening inserts
    // a thousand rows one by one, and showing the whole selection again each time would cost
    // the square of that.
    endInsertRows();
}

void FileListAdapter::rowsAboutToBeRemoved(int first, int last)
{
    beginRemoveRows(QModelIndex(), first, last);
}

void FileListAdapter::rowsRemoved(int, int)
{
    endRemoveRows();
    emit listSelectionChanged();
}

void FileListAdapter::rowsChanged(int first, int last)
{
    if (first > last)
        return;
    emit dataChanged(index(first), index(last));
    emit listSelectionChanged();
}

void FileListAdapter::rowsAboutToBeReordered()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_persistentFiles.clear();
    for (const QModelIndex &index : persistentIndexList())
        m_persistentFiles.push_back(index.isValid() ? m_list.GetFile(index.row()) : nullptr);
}

void FileListAdapter::rowsReordered()
{
    std::unordered_map<const core::TaviFichier *, int> rowOf;
    for (int row = 0; row < m_list.Count(); ++row)
        rowOf.emplace(m_list.GetFile(row).get(), row);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (qsizetype i = 0; i < from.size(); ++i) {
        const auto place = i < static_cast<qsizetype>(m_persistentFiles.size())
                               ? rowOf.find(m_persistentFiles[static_cast<std::size_t>(i)].get())
                               : rowOf.end();
        to.append(place != rowOf.end() ? index(place->second) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    m_persistentFiles.clear();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit listSelectionChanged();
}

} // namespace camlog::widgets
