// The file list model seen as a Qt item model: one row per entry, fed by the list's row events.
#pragma once

#include "ui/list/file_list_model.h"

#include <QAbstractListModel>

#include <vector>

namespace camlog::widgets {

// Takes the list's row events and its selection event for as long as it lives (the list keeps
// one listener per event). The selection stays in the list; listSelectionChanged tells the views
// to show it again.
class FileListAdapter : public QAbstractListModel {
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
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void rowsChanged(int first, int last);
    void rowsReordered(const std::vector<int> &previousRows);

    ui::FileListModel &m_list;
    // The entries as the views know them: the list has already changed when its event comes, and
    // between the "about to" and the "done" signals the views must still see the old rows.
    std::vector<ui::FichierPtr> m_rows;
};

} // namespace camlog::widgets
