// The empty-list panel.
#include "window/empty_list_frame.h"

#include "window/link_edit.h"

#include <QResizeEvent>
#include <QTextDocument>
#include <QVBoxLayout>

#include <memory>

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
    m_text->setRichText(explanation("*.avi, *.dv and *.dif"));
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
    return m_text->toPlainText();
}

void EmptyListFrame::focusText()
{
    m_text->setFocus(Qt::OtherFocusReason);
}

bool EmptyListFrame::textFits() const
{
    return heightAt(m_text->font(), m_text->viewport()->width()) <= m_text->viewport()->height();
}

void EmptyListFrame::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    fitText();
}

int EmptyListFrame::heightAt(const QFont &font, int width) const
{
    std::unique_ptr<QTextDocument> document(m_text->document()->clone());
    document->setDefaultFont(font);
    document->setTextWidth(width);
    return static_cast<int>(document->size().height() + 0.5);
}

void EmptyListFrame::fitText()
{
    constexpr int kSmallestPointSize = 7;
    const QMargins margins = layout()->contentsMargins();
    const int frame = 2 * m_text->frameWidth();
    const int width = contentsRect().width() - margins.left() - margins.right() - frame;
    const int height = contentsRect().height() - margins.top() - margins.bottom() - frame;
    if (width <= 0 || height <= 0)
        return;
    QFont font = m_text->font();
    if (m_fullPointSize == 0)
        m_fullPointSize = font.pointSize() > 0 ? font.pointSize() : 9;
    for (int size = m_fullPointSize; size >= kSmallestPointSize; --size) {
        font.setPointSize(size);
        if (heightAt(font, width) <= height)
            break;
    }
    if (font != m_text->font())
        m_text->setFont(font);
}

} // namespace camlog::widgets
