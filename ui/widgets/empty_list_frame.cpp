// The empty-list panel.
#include "ui/widgets/empty_list_frame.h"

#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace camlog::widgets {

EmptyListFrame::EmptyListFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("VideFrame");
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    m_text = new QLabel(explanation("*.avi, *.dv and *.dif"), this);
    m_text->setObjectName("VideText");
    m_text->setTextFormat(Qt::RichText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_text->setFocusPolicy(Qt::StrongFocus);
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    layout->addWidget(m_text);
}

QString EmptyListFrame::explanation(const QString &extensionPattern)
{
    return QString("Drag and drop one or several files to this window.<br><br>"
                   "You may also open or paste files with speed buttons or menus. <br><br>"
                   "Open all avi files from your computer with Ctrl+F7.<br><br>"
                   "Only the files with extension %1 will be processed.<br><br>"
                   "Type F10 to change the Settings, F1 to show the \"About\" panel.<br><br>"
                   "Type F11 to display the list of available commands with all keyboard shortcuts and switches.")
        .arg(extensionPattern);
}

QString EmptyListFrame::text() const
{
    return m_text->text();
}

void EmptyListFrame::focusText()
{
    m_text->setFocus(Qt::OtherFocusReason);
}

bool EmptyListFrame::textFits() const
{
    return m_text->heightForWidth(m_text->width()) <= m_text->height();
}

void EmptyListFrame::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    fitText();
}

void EmptyListFrame::fitText()
{
    constexpr int kSmallestPointSize = 7;
    const QMargins margins = layout()->contentsMargins();
    const int width = contentsRect().width() - margins.left() - margins.right();
    const int height = contentsRect().height() - margins.top() - margins.bottom();
    if (width <= 0 || height <= 0)
        return;
    QFont font = m_text->font();
    if (m_fullPointSize == 0)
        m_fullPointSize = font.pointSize() > 0 ? font.pointSize() : 9;
    for (int size = m_fullPointSize; size >= kSmallestPointSize; --size) {
        font.setPointSize(size);
        m_text->setFont(font);
        if (m_text->heightForWidth(width) <= height)
            break;
    }
}

} // namespace camlog::widgets
