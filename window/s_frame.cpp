// The scene list panel of the scene editor.
#include "window/s_frame.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace camlog::widgets {

TSFrame::TSFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("SFrame");
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    m_name = new QLabel(this);
    m_name->setObjectName("labFichier");
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_list = new QListWidget(this);
    m_list->setObjectName("lbScenes");
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_name);
    layout->addWidget(m_list, 1);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

void TSFrame::setFileName(const QString &name)
{
    m_name->setText(name);
}

void TSFrame::setLabels(const std::vector<std::string> &labels)
{
    const QSignalBlocker block(m_list);
    const int row = m_list->currentRow();
    if (m_list->count() != static_cast<int>(labels.size())) {
        m_list->clear();
        for (const std::string &label : labels)
            m_list->addItem(QString::fromStdString(label));
    } else {
        for (int i = 0; i < m_list->count(); ++i)
            m_list->item(i)->setText(QString::fromStdString(labels[static_cast<std::size_t>(i)]));
    }
    if (row >= 0 && row < m_list->count())
        m_list->setCurrentRow(row);
}

void TSFrame::selectRow(int row)
{
    const QSignalBlocker block(m_list);
    if (row < 0)
        m_list->setCurrentRow(-1);
    else if (row < m_list->count())
        m_list->setCurrentRow(row);
}

int TSFrame::currentRow() const
{
    return m_list->currentRow();
}

bool TSFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        if (m_list->currentRow() >= 0)
            emit sceneChosen(m_list->currentRow());
    } else if (watched == m_list && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        switch (key->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Delete:
            if (plain && !key->isAutoRepeat() && m_list->currentRow() >= 0)
                emit sceneChosen(m_list->currentRow());
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace camlog::widgets
