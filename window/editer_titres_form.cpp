// The title editor.
#include "window/editer_titres_form.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace camlog::widgets {

namespace {

// The texts are written with CR LF line ends; a label breaks lines at LF alone.
QString Lines(const char *text)
{
    return QString::fromUtf8(text).remove(QLatin1Char('\r'));
}

constexpr const char *kExplanation =
    "Define the captions of one or several scenes. \r\nUse following codes: \r\n \r\n%F = name of file (without "
    "extension) \r\n%E = extension of file (in principle .avi)\r\n%P = path of file\r\n%D = datecode - %T = "
    "timecode\r\n%C = codec - %U = duration\r\n%I = dimension of image \r\n%A = audio format\r\n%N = scene "
    "number\r\n \r\nYou may also emty the captions, or use the default Studio template.";
constexpr const char *kNote =
    "When this panel is visible, add CTRL to the keys like Space, +, -, del to launch the corresponding commands. ";

} // namespace

TEditerTitresForm::TEditerTitresForm(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("EditerTitresForm");
    setWindowTitle(QStringLiteral("Edit the title of a scene"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    m_title = new QLineEdit(this);
    m_title->setObjectName("edTitre");
    m_subtitle = new QLineEdit(this);
    m_subtitle->setObjectName("edSousTitre");
    grid->addWidget(new QLabel(QStringLiteral("Title"), this), 0, 0);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Subtitle"), this), 1, 0);
    grid->addWidget(m_subtitle, 1, 1);
    layout->addLayout(grid);
    m_sample = new QLabel(Lines("Line1\r\nLine2"), this);
    m_sample->setObjectName("labApercu");
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setMinimumHeight(40);
    m_sample->setTextFormat(Qt::PlainText);
    layout->addWidget(m_sample);
    auto *explanation = new QLabel(Lines(kExplanation), this);
    explanation->setObjectName("labExplication");
    explanation->setTextFormat(Qt::PlainText);
    layout->addWidget(explanation);
    auto *note = new QLabel(Lines(kNote), this);
    note->setObjectName("labNote");
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: maroon;"));
    layout->addWidget(note);

    auto *buttons = new QHBoxLayout;
    const auto add = [this, buttons](const char *caption, std::function<void()> work) {
        auto *button = new QPushButton(QString::fromUtf8(caption), this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [work] { work(); });
        buttons->addWidget(button);
        return button;
    };
    add("Studio", [this] {
        m_title->setText(QStringLiteral("Scene %N: %D"));
        m_subtitle->setText(QStringLiteral("Duration = %U"));
    });
    add("Empty", [this] {
        m_title->clear();
        m_subtitle->clear();
    });
    add("Apply", [this] { finish(Apply); })->setDefault(true);
    add("All", [this] { finish(All); });
    add("Cancel", [this] { finish(Cancel); });
    layout->addLayout(buttons);
    for (QLineEdit *edit : {m_title, m_subtitle})
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (onChange)
                onChange();
        });
}

QPushButton *TEditerTitresForm::button(const QString &caption) const
{
    for (QPushButton *button : findChildren<QPushButton *>())
        if (button->text() == caption)
            return button;
    return nullptr;
}

void TEditerTitresForm::open(const std::string &titleTemplate, const std::string &subtitleTemplate)
{
    m_result = Cancel;
    m_title->setText(QString::fromStdString(titleTemplate));
    m_subtitle->setText(QString::fromStdString(subtitleTemplate));
    if (onChange)
        onChange();
    show();
    raise();
    activateWindow();
    m_title->setFocus(Qt::OtherFocusReason);
    m_title->selectAll();
}

std::string TEditerTitresForm::titleTemplate() const
{
    return m_title->text().toStdString();
}

std::string TEditerTitresForm::subtitleTemplate() const
{
    return m_subtitle->text().toStdString();
}

void TEditerTitresForm::setSample(const QString &text)
{
    m_sample->setText(QString(text).remove(QLatin1Char('\r')));
}

void TEditerTitresForm::finish(Result result)
{
    m_result = result;
    m_finishing = true;
    if (onFinish)
        onFinish();
    m_finishing = false;
}

void TEditerTitresForm::closeEvent(QCloseEvent *event)
{
    // The close box ends the editing as "Cancel": what was typed is not applied unasked.
    if (!m_finishing && isVisible()) {
        event->ignore();
        finish(Cancel);
        return;
    }
    QDialog::closeEvent(event);
}

void TEditerTitresForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        finish(Cancel);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        finish(Apply);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace camlog::widgets
