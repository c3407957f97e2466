// The empty-list panel.
#include "ui/widgets/empty_list_frame.h"

#include "ui/widgets/link_edit.h"

#include <algorithm>

#include <QVBoxLayout>

namespace camlog::widgets {

EmptyListFrame::EmptyListFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("VideFrame");
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 4, 4);
    m_text = new TLinkEdit(this);
    m_text->setObjectName("VideText");
    m_text->setFocusPolicy(Qt::StrongFocus);
    // The whole explanation fits the video area of the narrow layout.
    QFont font = m_text->font();
    font.setPointSizeF(std::max(7.0, font.pointSizeF() - 1.0));
    m_text->setFont(font);
    m_text->setRichText(explanation("*.avi "));
    layout->addWidget(m_text);
}

QString EmptyListFrame::explanation(const QString &extensionPattern)
{
    return QString("Drag and drop one or several files to this window.<br><br>"
                   "You may also open or paste files with speed buttons or menus. <br><br>"
                   "Open all avi files from your computer with Ctrl+F7.<br><br>"
                   "Only the files with extension %1 will be processed. <br><br>"
                   "Type F10 to change the Settings, F1 to show the \"About\" panel.<br><br>"
                   "Type F11 to display the list of available commands with all keyboard shortcuts and switches.")
        .arg(extensionPattern);
}

QString EmptyListFrame::text() const
{
    return m_text->toPlainText();
}

void EmptyListFrame::focusText()
{
    m_text->setFocus(Qt::OtherFocusReason);
}

} // namespace camlog::widgets
