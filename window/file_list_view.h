// The file list box: shows the list adapter's rows and forwards the user's keys, clicks, drags and
// drops to the file list model, where the selection and the active entry live.
#pragma once

#include <QListView>

#include <string>
#include <vector>

class QMenu;

namespace camlog::ui {
class FileListModel;
}

namespace camlog::widgets {

class FileListAdapter;

class FileListView : public QListView {
    Q_OBJECT
public:
    explicit FileListView(FileListAdapter &adapter, QWidget *parent = nullptr);

    // The Delete key (without Shift) removes the selected entries. Off by default: the window's
    // "Remove the files" action owns that key.
    void setKeyDelete(bool on) { m_keyDelete = on; }
    bool keyDelete() const { return m_keyDelete; }
    // The menu shown on a right click (the list's pop-up menu); none by default.
    void setPopupMenu(QMenu *menu) { m_popup = menu; }

signals:
    // Files and folders dropped from another program; they are already being opened.
    void filesDropped(const QStringList &paths);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // The list's selection and current entry shown in the view.
    void showListSelection();
    void showInsertedSelection(int first, int last);
    // The view's selection given to the list.
    void takeViewSelection();
    // The view's current row becomes the list's active entry.
    void activateCurrent();
    void refreshHint();
    bool acceptsDrag(const QDropEvent *event) const;

    ui::FileListModel &m_list;
    QMenu *m_popup = nullptr;
    bool m_keyDelete = false;
    bool m_syncing = false;
    bool m_insertedPending = false;
    int m_rowsChanging = 0;
    int m_hintCount = -1;
    int m_hintSelCount = -1;
};

} // namespace camlog::widgets
