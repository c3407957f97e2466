// The inlay editor.
#include "window/edit_incrust_form.h"

#include "commands/inlay_settings.h"
#include "core/format.h"
#include "core/text_encoding.h"
#include "prefs/current_settings.h"
#include "prefs/settings_io.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFontComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace camlog::widgets {

namespace {

QString Lines(const char *text)
{
    return QString::fromUtf8(text).remove(QLatin1Char('\r'));
}

constexpr const char *kHelp =
    "Indicate the formats to inlay datecode. The format of timecode cannot be changed. To get a personalized "
    "inlay, indicate the template to use with following codes:\r\n\r\n%F = name of file (without extension) "
    "\r\n%E = extension of file (in principle .avi)\r\n%P = path of file\r\n%D = datecode - %T = timecode\r\n%C = "
    "codec - %U = duration\r\n%I = dimension of image\r\n%A = audio format ";
constexpr const char *kNote =
    "When this panel is visible, add CTRL to the keys like Space, +, -, del to launch the corresponding commands. ";

struct ContentButton {
    const char *name;
    const char *caption;
    const char *hint;
};
constexpr ContentButton kContents[] = {
    {"tbDatecode", "Datecode", "Click to inlay datecode"},
    {"tbTimecode", "Timecode", "Click to inlay timecode"},
    {"tbTexte", "Template", "Click to inlay a personalized template\r\ndefined above."},
};
constexpr const char *kSampleNames[] = {"labDatecode", "LabTimecode", "LabTexte"};

struct AlignButton {
    int alignment;
    const char *name;
    const char *caption;
    const char *hint;
};
constexpr AlignButton kAligns[] = {
    {1, "tbCenter", "Center", "Center the two lines together"},
    {2, "tbRightAlign", "Right", "Align the two lines at right"},
    {0, "tbLeftAlign", "Left", "Align the 2 lines at left"},
    {3, "tbSousTitre", "Subtitle", "Center the inlayed text in the video\r\nas if it was a subtitle"},
};

struct Timing {
    int timing;
    const char *name;
    const char *caption;
};
constexpr Timing kTimings[] = {
    {0, "rbPermanent", "permanently"},
    {1, "rbUnique", "once"},
    {2, "rbScene", "on each new scene"},
    {3, "rbJour", "on each new day"},
};

QColor ColorOf(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t BgrOf(const QColor &color)
{
    return static_cast<std::uint32_t>(color.red()) | (static_cast<std::uint32_t>(color.green()) << 8)
           | (static_cast<std::uint32_t>(color.blue()) << 16);
}

QString DatecodeIn(const QString &pattern, core::DateTime value)
{
    const auto text = core::FormatDateTimePattern(pattern.toStdString(), value);
    return text ? QString::fromStdString(*text) : QString();
}

} // namespace

TEditIncrustForm::TEditIncrustForm(QAction *display, QAction *edit, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("EditIncrustForm");
    setWindowTitle(QStringLiteral("Edit the inlay"));
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(4);

    // What to inlay: three large buttons with a sample of their two lines.
    auto *contents = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        auto *button = new QPushButton(QString::fromUtf8(kContents[i].caption), this);
        button->setObjectName(kContents[i].name);
        button->setToolTip(Lines(kContents[i].hint));
        button->setAutoDefault(false);
        m_content[i] = button;
        m_sample[i] = new QLabel(this);
        m_sample[i]->setObjectName(kSampleNames[i]);
        m_sample[i]->setTextFormat(Qt::PlainText);
        m_sample[i]->setMinimumWidth(180);
        contents->addWidget(button, i, 0);
        contents->addWidget(m_sample[i], i, 1);
        connect(button, &QPushButton::clicked, this, [this, i] {
            if (!prefs::currentSettings().isIncrustOn && onContentChosen)
                onContentChosen();
            change([i](prefs::Settings &s) { s.whatIncrust = i; });
        });
    }
    layout->addLayout(contents);

    auto *templates = new QGridLayout;
    m_perso1 = new QLineEdit(this);
    m_perso1->setObjectName("edPerso1");
    m_perso1->setToolTip(QStringLiteral("Define the template for inlaying the first line"));
    m_perso2 = new QLineEdit(this);
    m_perso2->setObjectName("edPerso2");
    m_perso2->setToolTip(QStringLiteral("Define the template to inlay the second line"));
    m_date1 = new QComboBox(this);
    m_date1->setObjectName("cbDatecode1");
    m_date1->setEditable(true);
    m_date1->setToolTip(QStringLiteral("Choose the format of datecode for the first line"));
    m_date1->addItems({"ddddd", "tt", "dddddd", "ddddd tt", "dddddd tt", "d mmm yyyy"});
    m_date2 = new QComboBox(this);
    m_date2->setObjectName("cbDatecode2");
    m_date2->setEditable(true);
    m_date2->setToolTip(QStringLiteral("Choose the format of datecode for the 2nd line"));
    m_date2->addItems({"tt", "ddddd", "dddddd", "ddddd t", "dddddd tt", "d mmm yyyy"});
    templates->addWidget(new QLabel(QStringLiteral("Line 1"), this), 0, 0);
    templates->addWidget(m_perso1, 0, 1);
    templates->addWidget(m_date1, 0, 2);
    templates->addWidget(new QLabel(QStringLiteral("Line 2"), this), 1, 0);
    templates->addWidget(m_perso2, 1, 1);
    templates->addWidget(m_date2, 1, 2);
    layout->addLayout(templates);
    connect(m_perso1, &QLineEdit::textChanged, this,
            [this](const QString &text) { change([&text](prefs::Settings &s) { s.texte1 = text.toStdString(); }); });
    connect(m_perso2, &QLineEdit::textChanged, this,
            [this](const QString &text) { change([&text](prefs::Settings &s) { s.texte2 = text.toStdString(); }); });
    connect(m_date1, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        change([&text](prefs::Settings &s) { s.formatDate1 = text.toStdString(); });
    });
    connect(m_date2, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        change([&text](prefs::Settings &s) { s.formatDate2 = text.toStdString(); });
    });

    // The font tool bar.
    m_police = new QToolBar(QStringLiteral("Format of inlay"), this);
    m_police->setObjectName("tbPolice");
    const auto styleButton = [this](const char *name, const char *caption, const char *hint) {
        auto *button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(QString::fromUtf8(caption));
        button->setToolTip(QString::fromUtf8(hint));
        button->setCheckable(true);
        m_police->addWidget(button);
        return button;
    };
    m_bold = styleButton("tbBold", "B", "Inlay in Bold ");
    m_italic = styleButton("tbItalic", "I", "Inlay in Italic");
    m_underline = styleButton("tbUnderline", "U", "Inlay in Underlined");
    QFont boldFont = m_bold->font();
    boldFont.setBold(true);
    m_bold->setFont(boldFont);
    connect(m_bold, &QToolButton::toggled, this,
            [this](bool on) { change([on](prefs::Settings &s) { s.incrustFont.Bold = on ? 1 : 0; }); });
    connect(m_italic, &QToolButton::toggled, this,
            [this](bool on) { change([on](prefs::Settings &s) { s.incrustFont.Italic = on ? 1 : 0; }); });
    connect(m_underline, &QToolButton::toggled, this,
            [this](bool on) { change([on](prefs::Settings &s) { s.incrustFont.Underline = on ? 1 : 0; }); });
    m_font = new QFontComboBox(this);
    m_font->setObjectName("FontComboBox1");
    m_font->setToolTip(QStringLiteral("Font of inlay"));
    m_font->setMaximumWidth(150);
    m_police->addWidget(m_font);
    connect(m_font, &QFontComboBox::currentFontChanged, this, [this](const QFont &font) {
        change([&font](prefs::Settings &s) { s.incrustFont.Name = font.family().toStdString(); });
    });
    m_size = new QComboBox(this);
    m_size->setObjectName("cbSize");
    m_size->setEditable(true);
    m_size->addItems(
        {"auto", "8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"});
    m_police->addWidget(m_size);
    connect(m_size, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        bool autoSize = false;
        change([&](prefs::Settings &s) {
            media::InlayFont font;
            font.size = s.incrustFont.Size;
            commands::ApplyInlaySizeText(text.toStdString(), font, autoSize);
            s.incrustFont.Size = font.size;
        });
        if (!m_filling && onAutoSize)
            onAutoSize(autoSize);
    });
    m_color = new QToolButton(this);
    m_color->setObjectName("ColorButton");
    m_color->setToolTip(QStringLiteral("Choose the color of inlay"));
    m_police->addWidget(m_color);
    connect(m_color, &QToolButton::clicked, this, [this] { chooseColor(); });
    auto *fontDialog = new QToolButton(this);
    fontDialog->setObjectName("tbFontDialog");
    fontDialog->setText(QStringLiteral("Font..."));
    fontDialog->setToolTip(QStringLiteral("Choose the font of inlay"));
    m_police->addWidget(fontDialog);
    connect(fontDialog, &QToolButton::clicked, this, [this] { chooseFont(); });
    layout->addWidget(m_police);

    // The alignment tool bar and the border.
    m_align = new QToolBar(QStringLiteral("Alignment"), this);
    m_align->setObjectName("tbAlign");
    m_alignGroup = new QButtonGroup(this);
    m_alignGroup->setExclusive(true);
    for (const AlignButton &align : kAligns) {
        auto *button = new QToolButton(this);
        button->setObjectName(align.name);
        button->setText(QString::fromUtf8(align.caption));
        button->setToolTip(Lines(align.hint));
        button->setCheckable(true);
        m_alignGroup->addButton(button, align.alignment);
        m_align->addWidget(button);
    }
    connect(m_alignGroup, &QButtonGroup::idClicked, this, [this](int alignment) {
        change([alignment](prefs::Settings &s) {
            s.alignement = alignment;
            // As a subtitle the text stands in the middle.
            if (alignment == 3)
                s.incrustPositionX = 500;
        });
    });
    m_align->addSeparator();
    m_border = new QToolButton(this);
    m_border->setObjectName("tbBorder");
    m_border->setToolTip(
        Lines("Define the size of border around the inlayed text\r\nto get a better contrast on most backgrounds."));
    m_border->setPopupMode(QToolButton::InstantPopup);
    auto *borders = new QMenu(m_border);
    for (int size = 0; size <= 5; ++size) {
        const QString caption = size == 0   ? QStringLiteral("No border")
                                : size == 1 ? QStringLiteral("1 pixel")
                                            : QStringLiteral("%1 pixels").arg(size);
        borders->addAction(caption, this, [this, size] { setBorder(size); });
    }
    m_border->setMenu(borders);
    m_align->addWidget(new QLabel(QStringLiteral(" Border "), this));
    m_align->addWidget(m_border);
    layout->addWidget(m_align);

    // When to inlay.
    auto *when = new QGroupBox(QStringLiteral("When to inlay?"), this);
    auto *whenLayout = new QGridLayout(when);
    m_timingGroup = new QButtonGroup(this);
    for (const Timing &timing : kTimings) {
        auto *radio = new QRadioButton(QString::fromUtf8(timing.caption), when);
        radio->setObjectName(timing.name);
        m_timingGroup->addButton(radio, timing.timing);
        whenLayout->addWidget(radio, timing.timing / 2, timing.timing % 2);
    }
    connect(m_timingGroup, &QButtonGroup::idClicked, this,
            [this](int timing) { change([timing](prefs::Settings &s) { s.whenIncrust = timing; }); });
    m_duree = new QLineEdit(QStringLiteral("5"), when);
    m_duree->setObjectName("edDuree");
    m_duree->setMaximumWidth(60);
    whenLayout->addWidget(new QLabel(QStringLiteral("Duration (in seconds)"), when), 2, 0);
    whenLayout->addWidget(m_duree, 2, 1);
    connect(m_duree, &QLineEdit::textChanged, this, [this](const QString &text) {
        change(
            [&text](prefs::Settings &s) { s.dureeIncrustation = commands::InlayDurationFromText(text.toStdString()); });
    });
    layout->addWidget(when);

    auto *help = new QLabel(Lines(kHelp), this);
    help->setObjectName("Label5");
    help->setWordWrap(true);
    layout->addWidget(help);
    auto *note = new QLabel(Lines(kNote), this);
    note->setObjectName("Label1");
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: maroon;"));
    layout->addWidget(note);

    auto *buttons = new QHBoxLayout;
    for (QAction *action : {display, edit}) {
        if (action == nullptr)
            continue;
        auto *button = new QToolButton(this);
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName("btAnnuler");
    cancel->setToolTip(QStringLiteral("Give back the inlay as it was when the editor opened"));
    cancel->setAutoDefault(false);
    m_cancel = cancel;
    connect(cancel, &QPushButton::clicked, this, [this] {
        prefs::setCurrentSettings(m_opened);
        fill(m_opened);
        if (onAutoSize)
            onAutoSize(false);
        if (onChanged)
            onChanged();
        if (onClose)
            onClose();
    });
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

QAbstractButton *TEditIncrustForm::contentButton(int content) const
{
    return content >= 0 && content < 3 ? m_content[content] : nullptr;
}

QLabel *TEditIncrustForm::sampleLabel(int content) const
{
    return content >= 0 && content < 3 ? m_sample[content] : nullptr;
}

QAbstractButton *TEditIncrustForm::alignButton(int alignment) const
{
    return m_alignGroup->button(alignment);
}

QRadioButton *TEditIncrustForm::timingButton(int timing) const
{
    return qobject_cast<QRadioButton *>(m_timingGroup->button(timing));
}

void TEditIncrustForm::fill(const prefs::Settings &s)
{
    m_filling = true;
    showAlignment(s.alignement);
    m_perso1->setText(QString::fromStdString(s.texte1));
    m_perso2->setText(QString::fromStdString(s.texte2));
    m_date1->setCurrentText(QString::fromStdString(s.formatDate1));
    m_date2->setCurrentText(QString::fromStdString(s.formatDate2));
    const QString family = QString::fromStdString(s.incrustFont.Name);
    const int index = m_font->findText(family, Qt::MatchFixedString);
    if (index >= 0)
        m_font->setCurrentIndex(index);
    m_size->setCurrentText(QString::number(s.incrustFont.Size));
    m_bold->setChecked(s.incrustFont.Bold != 0);
    m_italic->setChecked(s.incrustFont.Italic != 0);
    m_underline->setChecked(s.incrustFont.Underline != 0);
    const QColor color = ColorOf(s.incrustFont.Color);
    m_color->setStyleSheet(QStringLiteral("background: %1;").arg(color.name()));
    m_duree->setText(QString::number(s.dureeIncrustation));
    if (QAbstractButton *timing = m_timingGroup->button(s.whenIncrust))
        timing->setChecked(true);
    m_border->setText(s.borderSize > 0 ? QString::number(s.borderSize) : QString());
    m_filling = false;
    showSamples();
}

void TEditIncrustForm::showAlignment(int alignment)
{
    if (QAbstractButton *button = m_alignGroup->button(alignment))
        button->setChecked(true);
}

void TEditIncrustForm::setActiveFile(std::shared_ptr<const core::TaviFichier> fichier)
{
    m_fichier = std::move(fichier);
    showSamples();
}

void TEditIncrustForm::change(const std::function<void(prefs::Settings &)> &edit)
{
    if (m_filling)
        return;
    prefs::Settings s = prefs::currentSettings();
    edit(s);
    prefs::setCurrentSettings(std::move(s));
    showSamples();
    if (onChanged)
        onChanged();
}

void TEditIncrustForm::setBorder(int size)
{
    m_border->setText(size > 0 ? QString::number(size) : QString());
    change([size](prefs::Settings &s) { s.borderSize = size; });
}

void TEditIncrustForm::chooseColor()
{
    const QColor chosen = QColorDialog::getColor(ColorOf(prefs::currentSettings().incrustFont.Color), this,
                                                 QStringLiteral("Choose the color of inlay"));
    if (!chosen.isValid())
        return;
    m_color->setStyleSheet(QStringLiteral("background: %1;").arg(chosen.name()));
    change([&chosen](prefs::Settings &s) { s.incrustFont.Color = BgrOf(chosen); });
}

void TEditIncrustForm::chooseFont()
{
    const prefs::TfontRecord current = prefs::currentSettings().incrustFont;
    QFont initial(QString::fromStdString(current.Name), std::max(1, std::abs(current.Size)));
    initial.setBold(current.Bold != 0);
    initial.setItalic(current.Italic != 0);
    initial.setUnderline(current.Underline != 0);
    initial.setStrikeOut(current.StrikeOut != 0);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, this, QStringLiteral("Font of inlay"));
    if (!ok)
        return;
    change([&chosen](prefs::Settings &s) {
        s.incrustFont.Name = chosen.family().toStdString();
        if (chosen.pointSize() > 0)
            s.incrustFont.Size = chosen.pointSize();
        s.incrustFont.Bold = chosen.bold() ? 1 : 0;
        s.incrustFont.Italic = chosen.italic() ? 1 : 0;
        s.incrustFont.Underline = chosen.underline() ? 1 : 0;
        s.incrustFont.StrikeOut = chosen.strikeOut() ? 1 : 0;
    });
    fill(prefs::currentSettings());
}

QString TEditIncrustForm::SampleText(const QString &text) const
{
    const core::DateTime when = m_fichier && m_fichier->Datecode.days() > 0.0 ? m_fichier->Datecode : prefs::localNow();
    QString out = text;
    out.replace(QStringLiteral("%D1"), DatecodeIn(m_date1->currentText(), when), Qt::CaseInsensitive);
    out.replace(QStringLiteral("%D2"), DatecodeIn(m_date2->currentText(), when), Qt::CaseInsensitive);
    const QString timecode = m_fichier && m_fichier->TimecodeText.size() > 3
                                 ? QString::fromStdString(m_fichier->TimecodeText)
                                 : QStringLiteral("0:54:32:10");
    out.replace(QStringLiteral("%T"), timecode, Qt::CaseInsensitive);
    return out;
}

void TEditIncrustForm::showSamples()
{
    const auto personal = [this](const QLineEdit *edit, int line) {
        return QString::fromStdU16String(
            commands::ExpandInlayTemplate(edit->text().toStdU16String(), line, m_fichier.get()));
    };
    m_sample[0]->setText(SampleText(QStringLiteral("%D1")) + "\n" + SampleText(QStringLiteral("%D2")));
    m_sample[1]->setText(SampleText(QString()) + "\n" + SampleText(QStringLiteral("%T")));
    m_sample[2]->setText(SampleText(personal(m_perso1, 1)) + "\n" + SampleText(personal(m_perso2, 2)));
}

void TEditIncrustForm::closeEvent(QCloseEvent *event)
{
    // The close box ends the edit mode, which hides the window.
    event->ignore();
    if (onClose)
        onClose();
}

} // namespace camlog::widgets
