// The scene panel of the scene editor.
#include "window/scene_base.h"

#include "scenes/scene_class.h"
#include "window/preview_picture_view.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>

namespace camlog::widgets {

namespace {

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

QImage ImageOf(const scenes::BgrPicture &picture)
{
    if (picture.empty())
        return {};
    QImage image(picture.pixels.data(), picture.width, picture.height, picture.stride, QImage::Format_BGR888);
    return image.copy();
}

} // namespace

TSceneBase::TSceneBase(QWidget *parent) : QFrame(parent)
{
    setObjectName("SceneBase");
    setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(1);
    m_caption = new QLabel(QStringLiteral("* Scenes Editor *"), this);
    m_caption->setObjectName("labEditeur");
    m_caption->setAlignment(Qt::AlignCenter);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    m_number = new QLabel(this);
    m_number->setObjectName("labNumero");
    m_number->setFont(bold);
    m_duration = new QLabel(this);
    m_duration->setObjectName("labDuree");
    m_datecode = new QLabel(this);
    m_datecode->setObjectName("labDatecode");
    m_timecode = new QLabel(this);
    m_timecode->setObjectName("labTimecode");
    m_start = new QLabel(this);
    m_start->setObjectName("labDebut");
    m_pictureLabel = new QLabel(this);
    m_pictureLabel->setObjectName("imScene");
    m_pictureLabel->setFixedSize(kPictureWidth, kPictureHeight);
    m_pictureLabel->setAlignment(Qt::AlignCenter);
    m_pictureLabel->setStyleSheet(QStringLiteral("background: black;"));
    m_pictureLabel->setCursor(Qt::PointingHandCursor);
    m_pictureLabel->setToolTip(QStringLiteral("Click to show the picture of the scene"));
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName("memoTitre");
    m_memo->setReadOnly(true);
    m_memo->setFixedHeight(44);
    m_memo->setToolTip(QStringLiteral("Click to edit the title"));
    m_memo->viewport()->setCursor(Qt::PointingHandCursor);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    for (QLabel *label : {m_number, m_duration, m_datecode, m_timecode, m_start})
        texts->addWidget(label);
    texts->addStretch(1);
    grid->addWidget(m_caption, 0, 0, 1, 2);
    grid->addLayout(texts, 1, 0);
    grid->addWidget(m_pictureLabel, 1, 1);
    grid->addWidget(m_memo, 2, 0, 1, 2);
    m_pictureLabel->installEventFilter(this);
    m_memo->viewport()->installEventFilter(this);
    showScene(nullptr);
}

void TSceneBase::showScene(const scenes::TSceneClass *scene)
{
    if (scene == nullptr) {
        for (QLabel *label : {m_number, m_duration, m_datecode, m_timecode, m_start})
            label->clear();
        m_pictureLabel->clear();
        m_picture = {};
        m_memo->clear();
        return;
    }
    m_number->setText(QStringLiteral("Scene %1").arg(scene->number));
    m_duration->setText(QStringLiteral("Duration ") + qt(scene->durationText));
    m_datecode->setText(qt(scene->datecodeText));
    m_timecode->setText(qt(scene->timecodeText));
    m_start->setText(qt(scene->startText));
    m_picture = ImageOf(scene->thumbnail);
    if (m_picture.isNull()) {
        m_pictureLabel->clear();
    } else {
        // The largest rectangle of the picture's proportions inside the picture area.
        const QRect fitted =
            FitPicture(m_picture.width(), m_picture.height(), QRect(0, 0, kPictureWidth, kPictureHeight));
        m_pictureLabel->setPixmap(
            QPixmap::fromImage(m_picture.scaled(fitted.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
    showCaption(scene->title, scene->subtitle);
}

void TSceneBase::showCaption(const std::string &title, const std::string &subtitle)
{
    m_memo->setPlainText(qt(title) + QStringLiteral("\n") + qt(subtitle));
}

bool TSceneBase::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_pictureLabel)
            emit pictureClicked();
        else if (watched == m_memo->viewport())
            emit memoClicked();
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace camlog::widgets
