// The video panel.
#include "ui/widgets/vue_frame.h"

#include <QLabel>
#include <QSlider>

namespace camlog::widgets {

namespace {
constexpr int kSliderHeight = 24;
}

TVueFrame::TVueFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("VueFrame");
    m_video = new QWidget(this);
    m_video->setObjectName("VideoWindow");
    m_video->setAutoFillBackground(true);
    QPalette black = m_video->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, QColor(200, 200, 200));
    m_video->setPalette(black);
    m_note = new QLabel(m_video);
    m_note->setObjectName("VideoNote");
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setWordWrap(true);
    m_stamp = new QLabel(this);
    m_stamp->setObjectName("TimeStamp");
    m_stamp->setAlignment(Qt::AlignCenter);
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName("PositionSlider");
    m_position->setEnabled(false);
    showIdle({});
}

void TVueFrame::showIdle(const QString &fileName)
{
    m_stamp->clear();
    m_position->setValue(0);
    m_note->setText(fileName.isEmpty() ? QString() : fileName + "\n\n(no preview)");
}

int TVueFrame::timeStampPointSize(int panelWidth)
{
    return panelWidth <= 500 ? 10 : panelWidth / 48;
}

void TVueFrame::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    arrange();
}

void TVueFrame::arrange()
{
    QFont font = m_stamp->font();
    font.setPointSize(timeStampPointSize(width()));
    m_stamp->setFont(font);
    const int stampHeight = QFontMetrics(font).height() + 4;
    const int videoHeight = std::max(0, height() - stampHeight - kSliderHeight);
    m_video->setGeometry(0, 0, width(), videoHeight);
    m_note->setGeometry(8, 8, std::max(0, width() - 16), std::max(0, videoHeight - 16));
    m_stamp->setGeometry(0, videoHeight, width(), stampHeight);
    m_position->setGeometry(4, videoHeight + stampHeight, std::max(0, width() - 8), kSliderHeight);
}

} // namespace camlog::widgets
