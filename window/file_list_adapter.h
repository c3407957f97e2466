// The file list model seen as a Qt item model: one row per entry, following the list's row events.
#pragma once

#include "headless/list/file_list_model.h"
#include "headless/list/list_row_observer.h"

#include <QAbstractListModel>

#include <vector>

namespace camlog::widgets {

// The list's row observer for as long as it lives (the list keeps one). The rows are read from
// the list itself: every change is announced before it is made, as Qt's views expect. The
// selection stays in the list; listSelectionChanged tells the views to show it again.
class FileListAdapter : public QAbstractListModel, private ui::ListRowObserver {
    Q_OBJECT
public:
    explicit FileListAdapter(ui::FileListModel &list, QObject *parent = nullptr);
    ~FileListAdapter() override;

    ui::FileListModel &list() const { return m_list; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // Display: the file name; tool tip: the full path.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Dragging rows out gives the files' URLs.
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }

signals:
    // The list's selection or current entry may have changed.
    void listSelectionChanged();

private:
    void rowsAboutToBeInserted(int first, int last) override;
    void rowsInserted(int first, int last) override;
    void rowsAboutToBeRemoved(int first, int last) override;
    void rowsRemoved(int first, int last) override;
    void rowsChanged(int first, int last) override;
    void rowsAboutToBeReordered() override;
    void rowsReordered() override;

    ui::FileListModel &m_list;
    // During a sort: the file each persistent index pointed at, to find its new row.
    std::vector<ui::AviFilePtr> m_persistentFiles;
};

} // namespace camlog::widgets
