// The file list panel.
#include "window/list_frame.h"

#include <QLabel>

namespace camlog::widgets {

namespace {
// The list is 36 pixels shorter than the panel; the label sits 26 pixels above its bottom.
constexpr int kListShortfall = 36;
constexpr int kLabelRise = 26;
} // namespace

ListFrame::ListFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("Lframe");
    m_label = new QLabel(this);
    m_label->setObjectName("labSelect");
    m_label->setAlignment(Qt::AlignCenter);
    setSelection(0, 0, "alpha");
}

void ListFrame::setListWidget(QWidget *list)
{
    delete m_list;
    m_list = list;
    if (m_list) {
        m_list->setParent(this);
        m_list->show();
    }
    arrange();
}

QString ListFrame::selectionText(int selected, int count, const QString &sortName)
{
    return QString("%1 file%2 on %3 - %4").arg(selected).arg(selected >= 2 ? "s" : "").arg(count).arg(sortName);
}

void ListFrame::setSelection(int selected, int count, const QString &sortName)
{
    m_label->setText(selectionText(selected, count, sortName));
}

void ListFrame::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    arrange();
}

void ListFrame::arrange()
{
    if (m_list)
        m_list->setGeometry(0, 0, width(), std::max(0, height() - kListShortfall));
    m_label->setGeometry(0, height() - kLabelRise, width(), 20);
}

} // namespace camlog::widgets
