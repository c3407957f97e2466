// The information panel.
#include "window/base_frame.h"

#include "core/format.h"
#include "core/friendly_params.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>

namespace camlog::widgets {

namespace {

constexpr int kCaptionLeft = 8;
constexpr int kValueLeft = 78;
constexpr int kRowHeight = 18;
constexpr int kFirstRow = 34;

QString fromUtf8(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

TBaseFrame::TBaseFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("BaseFrame");
    setFixedSize(kWidth, kHeight);
    setFrameShape(QFrame::StyledPanel);
    QFont arial("Arial");
    setFont(arial);

    m_name = new QLabel("---", this);
    m_name->setObjectName("LabNom");
    m_name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_name->setGeometry(6, 4, kWidth - 12, 22);
    m_name->setCursor(Qt::PointingHandCursor);
    m_name->installEventFilter(this);
    m_bevel = new QFrame(this);
    m_bevel->setObjectName("Bevel1");
    m_bevel->setFrameShape(QFrame::HLine);
    m_bevel->setFrameShadow(QFrame::Sunken);
    m_bevel->setGeometry(6, 27, kWidth - 12, 2);

    const char *captions[] = {"Datecode", "timecode", "codec", "Image", "Duration", "Fps", "Audio"};
    const char *values[] = {"labDatecode", "LabTimecode", "LabCodec", "LabImage", "LabDuree", "labFPS", "LabAudio1"};
    for (int row = 0; row < 7; ++row) {
        QLabel *caption = addCaption(captions[row], kFirstRow + row * kRowHeight);
        caption->setObjectName(QString("Label%1").arg(row + 1));
        addValue(values[row], kFirstRow + row * kRowHeight);
    }
    addValue("LabAudio2", kFirstRow + 7 * kRowHeight);

    m_shift = new QLabel(this);
    m_shift->setObjectName("labDecalage");
    m_shift->setGeometry(kValueLeft, kFirstRow + 8 * kRowHeight, 140, kRowHeight);
    m_shift->hide();
    m_scn = new QLabel("scn", this);
    m_scn->setObjectName("labscn");
    m_scn->setGeometry(kCaptionLeft, kFirstRow + 8 * kRowHeight, 30, kRowHeight);
    m_scn->hide();
    m_srt = new QLabel("srt", this);
    m_srt->setObjectName("labsrt");
    m_srt->setGeometry(kCaptionLeft + 32, kFirstRow + 8 * kRowHeight, 30, kRowHeight);
    m_srt->hide();

    m_gauge1 = new QProgressBar(this);
    m_gauge1->setObjectName("Gauge1");
    // Under the markers' row, so that the gauge hides neither the markers nor the time difference.
    const int gaugeTop = kFirstRow + 9 * kRowHeight;
    m_gauge1->setGeometry(kCaptionLeft, gaugeTop, kWidth - 2 * kCaptionLeft - 24, kHeight - gaugeTop - 2);
    m_gauge1->setToolTip("Gauge indicating the progress of a command.\r\nType Escape to abort.");
    m_gauge1->setTextVisible(false);
    m_gauge1->hide();
    m_gauge2 = new QProgressBar(this);
    m_gauge2->setObjectName("Gauge2");
    m_gauge2->setOrientation(Qt::Vertical);
    m_gauge2->setRange(0, 100);
    m_gauge2->setValue(50);
    m_gauge2->setTextVisible(false);
    m_gauge2->setGeometry(kWidth - 22, kFirstRow, 12, 7 * kRowHeight);
    m_gauge2->setToolTip("Volume of the sound channels.\nType+ or - at the numeric keyboard to change it.");

    buildCopyMenu();
    ClearPanel();
}

TBaseFrame::~TBaseFrame() = default;

QLabel *TBaseFrame::addCaption(const char *text, int top)
{
    auto *label = new QLabel(text, this);
    label->setGeometry(kCaptionLeft, top, kValueLeft - kCaptionLeft - 4, kRowHeight);
    return label;
}

QLabel *TBaseFrame::addValue(const char *name, int top)
{
    auto *label = new QLabel(this);
    label->setObjectName(name);
    label->setGeometry(kValueLeft, top, kWidth - kValueLeft - 26, kRowHeight);
    return label;
}

QLabel *TBaseFrame::label(const char *name) const
{
    return findChild<QLabel *>(name);
}

void TBaseFrame::buildCopyMenu()
{
    m_copyMenu = new QMenu(this);
    m_copyMenu->setObjectName("copiermenu");
    const std::pair<const char *, CopyItem> items[] = {
        {"Copy the datecode", CopyItem::Datecode},
        {"Copy the timecode", CopyItem::Timecode},
        {"Copy the codec", CopyItem::Codec},
        {"Copy the size of image", CopyItem::ImageSize},
        {"Copy the duration", CopyItem::Duration},
        {"Copy the framerate", CopyItem::FrameRate},
        {"Copy audio", CopyItem::Audio},
        {"Copy the full name", CopyItem::FullName},
        {"Copy the short name", CopyItem::ShortName},
        {"Copy the file date", CopyItem::FileDate},
        {"Copy the size of file", CopyItem::FileSize},
    };
    for (const auto &[caption, item] : items) {
        const CopyItem which = item;
        m_copyMenu->addAction(caption, this, [this, which] { copyToClipboard(which); });
    }
}

void TBaseFrame::ShowFile(std::shared_ptr<const core::TaviFichier> fichier)
{
    if (!fichier)
        return;
    m_fichier = std::move(fichier);
    const core::PanelTexts texts = core::MakePanelTexts(*m_fichier, m_pattern);

    // The name shrinks to fit the bevel, never below 8 points.
    QFont font("Arial");
    font.setPixelSize(13);
    const int textWidth = QFontMetrics(font).horizontalAdvance(fromUtf8(texts.Name));
    font.setPixelSize(core::PanelNameFontHeight(textWidth, m_bevel->width(), logicalDpiY()));
    m_name->setFont(font);
    // A name still too long at the smallest size loses its middle; the tool tip holds the path.
    m_name->setText(QFontMetrics(font).elidedText(fromUtf8(texts.Name), Qt::ElideMiddle, m_name->width()));
    m_name->setToolTip(fromUtf8(m_fichier->FullPath));

    label("labDatecode")->setText(fromUtf8(texts.Datecode));
    m_shift->setVisible(texts.Shift.has_value());
    m_shift->setText(texts.Shift ? fromUtf8(*texts.Shift) : QString());
    m_scn->setVisible(texts.ShowScn);
    m_srt->setVisible(texts.ShowSrt);
    label("LabTimecode")->setText(fromUtf8(texts.Timecode));
    label("LabCodec")->setText(fromUtf8(texts.Codec));
    label("LabImage")->setText(fromUtf8(texts.Image));
    label("LabDuree")->setText(fromUtf8(texts.Duration));
    label("labFPS")->setText(fromUtf8(texts.Fps));
    label("LabAudio1")->setText(fromUtf8(texts.Audio1));
    label("LabAudio2")->setText(fromUtf8(texts.Audio2));
    setToolTip(fromUtf8(texts.Hint));
}

void TBaseFrame::ClearPanel()
{
    m_name->setFont(QFont("Arial"));
    m_name->setText("---");
    m_name->setToolTip(QString());
    for (const char *name :
         {"labDatecode", "LabTimecode", "LabCodec", "LabImage", "LabDuree", "labFPS", "LabAudio1", "LabAudio2"})
        label(name)->clear();
    m_scn->hide();
    m_srt->hide();
    m_shift->hide();
    setToolTip(QString());
    m_fichier.reset();
}

QString TBaseFrame::copyText(CopyItem item) const
{
    if (!m_fichier)
        return {};
    const core::TaviFichier &f = *m_fichier;
    switch (item) {
    case CopyItem::Datecode:
        return label("labDatecode")->text();
    case CopyItem::Timecode:
        return label("LabTimecode")->text();
    case CopyItem::Codec:
        return label("LabCodec")->text();
    case CopyItem::ImageSize:
        return label("LabImage")->text();
    case CopyItem::Duration:
        return label("LabDuree")->text();
    case CopyItem::FrameRate:
        return label("labFPS")->text();
    case CopyItem::Audio:
        return label("LabAudio1")->text() + "\r" + label("LabAudio2")->text();
    case CopyItem::FullName:
        return fromUtf8(f.FullPath).toLower();
    case CopyItem::ShortName:
        return fromUtf8(f.FileName).toLower();
    case CopyItem::FileDate:
        return fromUtf8(core::FormatDateTimePattern(m_pattern, f.Modified).value_or(""));
    case CopyItem::FileSize:
        return QLocale().toString(static_cast<qulonglong>(f.FileSize()));
    }
    return {};
}

void TBaseFrame::copyToClipboard(CopyItem item) const
{
    if (m_fichier)
        QApplication::clipboard()->setText(copyText(item));
}

void TBaseFrame::startGauge(int maximum)
{
    m_gauge1->setRange(0, std::max(maximum, 0));
    m_gauge1->setValue(0);
    m_gauge1->show();
}

void TBaseFrame::setGauge(int position)
{
    m_gauge1->setValue(position);
}

void TBaseFrame::endGauge()
{
    m_gauge1->hide();
}

void TBaseFrame::setVolume(int percent)
{
    m_gauge2->setValue(percent);
}

void TBaseFrame::mousePressEvent(QMouseEvent *event)
{
    // A click on the background copies the file size.
    if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) != m_name)
        copyToClipboard(CopyItem::FileSize);
    QFrame::mousePressEvent(event);
}

bool TBaseFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_name && event->type() == QEvent::MouseButtonRelease && m_fichier && onNameClicked) {
        onNameClicked();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void TBaseFrame::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_fichier)
        m_copyMenu->popup(event->globalPos());
}

} // namespace camlog::widgets
