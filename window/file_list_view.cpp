// The file list box: selection kept in the list model, keys and clicks that make an entry active,
// files dragged out as URLs and dropped in from other programs.
#include "window/file_list_view.h"

#include "headless/list/file_list_model.h"
#include "window/file_list_adapter.h"
#include "window/file_urls.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QTimer>

namespace camlog::widgets {

namespace {

// Rows as wide as the list, never wider: a long name is shortened in its middle (the view's
// elide mode) instead of running out of sight; the row's tool tip holds the whole path.
class ViewWideRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {0, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};

} // namespace

FileListView::FileListView(FileListAdapter &adapter, QWidget *parent) : QListView(parent), m_list(adapter.list())
{
    // While the rows change, Qt's selection model adjusts itself: that is no choice of the user's,
    // and the list, in the middle of its change, is not told of it. The "about to" slots are
    // connected before the view's and the selection model's, the "done" ones after them.
    const auto changing = [this] {
        ++m_rowsChanging;
    };
    const auto changed = [this] {
        --m_rowsChanging;
    };
    connect(&adapter, &QAbstractItemModel::rowsAboutToBeInserted, this, changing);
    connect(&adapter, &QAbstractItemModel::rowsAboutToBeRemoved, this, changing);
    connect(&adapter, &QAbstractItemModel::layoutAboutToBeChanged, this, changing);
    setModel(&adapter);
    connect(&adapter, &QAbstractItemModel::rowsInserted, this, changed);
    connect(&adapter, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { showInsertedSelection(first, last); });
    connect(&adapter, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(&adapter, &QAbstractItemModel::layoutChanged, this, changed);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true); // a long list lays out without measuring every row
    setItemDelegate(new ViewWideRows(this));
    setTextElideMode(Qt::ElideMiddle);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(&adapter, &FileListAdapter::listSelectionChanged, this, &FileListView::showListSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_syncing && m_rowsChanging == 0)
            takeViewSelection();
    });
    showListSelection();
}

void FileListView::showListSelection()
{
    if (m_syncing)
        return;
    m_syncing = true;
    QItemSelection selection;
    const int count = m_list.Count();
    for (int row = 0; row < count;) {
        if (!m_list.IsSelected(row)) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < count && m_list.IsSelected(row))
            ++row;
        selection.select(model()->index(first, 0), model()->index(row - 1, 0));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    const int current = m_list.ItemIndex();
    if (current != currentIndex().row())
        selectionModel()->setCurrentIndex(current >= 0 ? model()->index(current, 0) : QModelIndex(),
                                          QItemSelectionModel::NoUpdate);
    m_syncing = false;
    refreshHint();
}

// Rows just inserted: the selection model has moved the others' selection already; the new
// rows' selection is shown once the burst of inserts is over (an opening inserts its files one by
// one, a batch in one go, and showing the selection each time would cost the square of the count).
void FileListView::showInsertedSelection(int, int)
{
    if (m_insertedPending)
        return;
    m_insertedPending = true;
    QTimer::singleShot(0, this, [this] {
        m_insertedPending = false;
        showListSelection();
    });
}

void FileListView::takeViewSelection()
{
    std::vector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    m_syncing = true;
    m_list.SetSelection(rows);
    m_syncing = false;
    refreshHint();
}

void FileListView::activateCurrent()
{
    takeViewSelection();
    const QModelIndex current = currentIndex();
    if (current.isValid())
        m_list.SetActive(current.row());
    else
        m_list.RefreshActiveAndCounts();
}

// The hint of the box: "3 fichiers sélectionnés sur 10", built again only when a count changed.
void FileListView::refreshHint()
{
    const int count = m_list.Count();
    const int selCount = m_list.SelCount();
    if (count == m_hintCount && selCount == m_hintSelCount)
        return;
    m_hintCount = count;
    m_hintSelCount = selCount;
    const QString plural = selCount >= 2 ? QStringLiteral("s") : QString();
    const QString hint = QString::number(selCount) + QStringLiteral(" fichier") + plural
                         + QStringLiteral(" sélectionné") + plural + QStringLiteral(" sur ") + QString::number(count);
    setToolTip(hint);
    viewport()->setToolTip(hint);
}

void FileListView::keyReleaseEvent(QKeyEvent *event)
{
    QListView::keyReleaseEvent(event);
    if (event->isAutoRepeat() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    switch (event->key()) {
    case Qt::Key_Delete:
        if (m_keyDelete && !(event->modifiers() & Qt::ShiftModifier)) {
            takeViewSelection();
            m_list.RemoveSelected();
        }
        m_list.RefreshActiveAndCounts();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
        activateCurrent();
        break;
    default:
        break;
    }
}

void FileListView::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    activateCurrent();
}

// Files from another program are welcome; the list's own rows dropped back on it are not.
bool FileListView::acceptsDrag(const QDropEvent *event) const
{
    return event->source() != this && HoldsLocalFiles(event->mimeData());
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrag(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrag(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FileListView::dropEvent(QDropEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    std::vector<std::string> paths = LocalFilePaths(event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    QStringList dropped;
    for (const std::string &path : paths)
        dropped.append(QString::fromStdString(path));
    m_list.OpenDropped(std::move(paths));
    emit filesDropped(dropped);
}

void FileListView::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_popup == nullptr) {
        QListView::contextMenuEvent(event);
        return;
    }
    m_popup->popup(event->globalPos());
    event->accept();
}

} // namespace camlog::widgets
