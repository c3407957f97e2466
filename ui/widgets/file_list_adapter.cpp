// The list adapter: the list's row events become the item model's signals.
#include "ui/widgets/file_list_adapter.h"

#include "ui/widgets/file_urls.h"

#include <QMimeData>

#include <set>

namespace camlog::widgets {

FileListAdapter::FileListAdapter(ui::FileListModel &list, QObject *parent)
    : QAbstractListModel(parent),
      m_list(list),
      m_rows(list.Files())
{
    m_list.OnRowsInserted = [this](int first, int last) {
        rowsInserted(first, last);
    };
    m_list.OnRowsRemoved = [this](int first, int last) {
        rowsRemoved(first, last);
    };
    m_list.OnRowsChanged = [this](int first, int last) {
        rowsChanged(first, last);
    };
    m_list.OnRowsReordered = [this](const std::vector<int> &previousRows) {
        rowsReordered(previousRows);
    };
    m_list.OnSelectionChange = [this] {
        emit listSelectionChanged();
    };
}

FileListAdapter::~FileListAdapter()
{
    m_list.OnRowsInserted = nullptr;
    m_list.OnRowsRemoved = nullptr;
    m_list.OnRowsChanged = nullptr;
    m_list.OnRowsReordered = nullptr;
    m_list.OnSelectionChange = nullptr;
}

int FileListAdapter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant FileListAdapter::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ui::FichierPtr &fichier = m_rows[static_cast<std::size_t>(index.row())];
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
            paths.push_back(m_rows[static_cast<std::size_t>(row)]->FullPath);
    return MimeDataForFiles(paths);
}

void FileListAdapter::rowsInserted(int first, int last)
{
    beginInsertRows(QModelIndex(), first, last);
    for (int row = first; row <= last; ++row)
        m_rows.insert(m_rows.begin() + row, m_list.GetFile(row));
    endInsertRows();
}

void FileListAdapter::rowsRemoved(int first, int last)
{
    beginRemoveRows(QModelIndex(), first, last);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
    endRemoveRows();
}

void FileListAdapter::rowsChanged(int first, int last)
{
    for (int row = first; row <= last; ++row)
        m_rows[static_cast<std::size_t>(row)] = m_list.GetFile(row);
    emit dataChanged(index(first), index(last));
}

void FileListAdapter::rowsReordered(const std::vector<int> &previousRows)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(previousRows.size());
    for (std::size_t row = 0; row < previousRows.size(); ++row)
        newRowOf[static_cast<std::size_t>(previousRows[row])] = static_cast<int>(row);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &index : from) {
        const auto row = static_cast<std::size_t>(index.row());
        to.append(row < newRowOf.size() ? this->index(newRowOf[row]) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    std::vector<ui::FichierPtr> reordered;
    reordered.reserve(m_rows.size());
    for (int previous : previousRows)
        reordered.push_back(m_rows[static_cast<std::size_t>(previous)]);
    m_rows = std::move(reordered);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace camlog::widgets
