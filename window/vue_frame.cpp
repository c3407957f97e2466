// The video panel.
#include "window/vue_frame.h"

#include "window/preview_picture_view.h"

#include <QLabel>
#include <QSlider>

#include <cmath>

namespace camlog::widgets {

namespace {
constexpr int kMargin = 25;      // around the picture
constexpr int kSliderAbove = 30; // the slider's top above the picture's
constexpr int kSliderWider = 8;  // on each side
constexpr int kStampBelow = 4;
constexpr int kSliderHeight = 22;
constexpr int kInlaySlider = 20; // the inlay sliders' thickness
} // namespace

TVueFrame::TVueFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("VueFrame");
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, QColor(200, 200, 200));
    setPalette(black);
    m_video = new PreviewPictureView(this);
    m_video->setObjectName("VideoWindow");
    m_note = new QLabel(this);
    m_note->setObjectName("VideoNote");
    m_note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::RichText);
    QPalette notePalette = m_note->palette();
    notePalette.setColor(QPalette::Window, QColor(240, 240, 240));
    notePalette.setColor(QPalette::WindowText, Qt::black);
    m_note->setPalette(notePalette);
    m_stamp = new QLabel(this);
    m_stamp->setObjectName("TimeStamp");
    m_stamp->setAlignment(Qt::AlignCenter);
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName("PositionSlider");
    m_position->setRange(0, 1000);
    m_position->setEnabled(false);
    connect(m_position, &QSlider::sliderMoved, this, &TVueFrame::sliderMoved);
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        // Clicks and keys on the slider's track move it too.
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            emit sliderMoved(m_position->sliderPosition());
    });
    m_inlayX = new QSlider(Qt::Horizontal, this);
    m_inlayX->setObjectName("sbIncrustX");
    m_inlayY = new QSlider(Qt::Vertical, this);
    m_inlayY->setObjectName("sbIncrustY");
    for (QSlider *slider : {m_inlayX, m_inlayY}) {
        slider->setRange(0, 1000);
        slider->setPageStep(50);
        slider->hide();
        connect(slider, &QSlider::sliderPressed, this, &TVueFrame::inlaySliderPressed);
        connect(slider, &QSlider::sliderReleased, this, &TVueFrame::inlaySliderReleased);
    }
    // Drags, clicks on the track and keys all move the inlay.
    connect(m_inlayX, &QSlider::valueChanged, this, [this](int value) {
        if (!m_settingInlay)
            emit inlayXMoved(value);
    });
    connect(m_inlayY, &QSlider::valueChanged, this, [this](int value) {
        if (!m_settingInlay)
            emit inlayYMoved(1000 - value);
    });
    showIdle({});
}

void TVueFrame::setInlaySlidersVisible(bool visible)
{
    m_inlayX->setVisible(visible);
    m_inlayY->setVisible(visible);
    m_stamp->setVisible(!visible && m_video->isVisible());
    arrange();
}

void TVueFrame::setInlaySliders(int x, int y)
{
    m_settingInlay = true;
    m_inlayX->setValue(x);
    m_inlayY->setValue(1000 - y);
    m_settingInlay = false;
}

void TVueFrame::showIdle(const QString &fileName)
{
    m_stamp->clear();
    m_position->setValue(0);
    m_position->setEnabled(false);
    m_video->setPicture({}, 4.0 / 3.0);
    m_note->setAutoFillBackground(false);
    m_note->setText(fileName.toHtmlEscaped());
    m_note->setVisible(!fileName.isEmpty());
    m_video->setVisible(true);
    m_position->setVisible(true);
    m_stamp->setVisible(!m_inlayX->isVisibleTo(this));
    arrange();
}

void TVueFrame::showPicture(const QImage &picture, double aspect)
{
    const bool reshape = std::abs(aspect - m_video->aspect()) > 1e-6 || m_video->picture().isNull();
    m_video->setPicture(picture, aspect);
    if (reshape)
        arrange();
}

void TVueFrame::showMessage(const QString &richText)
{
    m_note->setText(richText);
    m_note->setAutoFillBackground(!richText.isEmpty());
    m_note->setVisible(!richText.isEmpty());
    m_video->setVisible(richText.isEmpty());
    m_position->setVisible(richText.isEmpty());
    m_stamp->setVisible(richText.isEmpty() && !m_inlayX->isVisibleTo(this));
    arrange();
}

void TVueFrame::showSliderWithMessage()
{
    m_position->setVisible(true);
    arrange();
}

void TVueFrame::setTimeStamp(const QString &text)
{
    m_stamp->setText(text);
}

void TVueFrame::setSliderValue(int value)
{
    if (!m_position->isSliderDown())
        m_position->setValue(value);
}

void TVueFrame::setSliderEnabled(bool enabled)
{
    m_position->setEnabled(enabled);
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
    // The picture inside the panel less the margins, the time stamp's room below it.
    const int top = kMargin + kSliderHeight;
    const QRect area(kMargin, top, std::max(0, width() - 2 * kMargin),
                     std::max(0, height() - top - kMargin - stampHeight - kStampBelow));
    const double aspect = m_video->aspect();
    QRect picture = FitPicture(static_cast<int>(std::lround(aspect * 1000)), 1000, area);
    m_video->setGeometry(picture);
    m_note->setGeometry(area.adjusted(0, 0, 0, stampHeight + kStampBelow));
    if (m_note->isVisibleTo(this)) {
        // A message fills the area; a file that plays without a picture keeps its slider above it.
        m_position->setGeometry(area.left() - kSliderWider, area.top() - kSliderHeight - 2,
                                area.width() + 2 * kSliderWider, kSliderHeight);
    } else {
        m_position->setGeometry(picture.left() - kSliderWider, std::max(0, picture.top() - kSliderAbove),
                                picture.width() + 2 * kSliderWider, kSliderHeight);
    }
    m_stamp->setGeometry(0, picture.bottom() + 1 + kStampBelow, width(), stampHeight);
    m_inlayX->setGeometry(picture.left(), picture.bottom() + 2, picture.width(), kInlaySlider);
    m_inlayY->setGeometry(picture.right() + 2, picture.top(), kInlaySlider, picture.height());
}

} // namespace camlog::widgets
