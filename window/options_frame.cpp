// The settings panel.
#include "window/options_frame.h"

#include "commands/shell/send_to_shortcut.h"
#include "prefs/current_settings.h"
#include "prefs/preference_deletion.h"
#include "prefs/settings_io.h"
#include "window/format_examples.h"
#include "window/link_edit.h"
#include "window/question_box.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace camlog::widgets {

namespace {

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

QLabel *exampleLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setStyleSheet("QLabel { color: rgb(0, 0, 128); }");
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TOptionsFrame::TOptionsFrame(const prefs::PrefsEnvironment &env, QWidget *parent)
    : QFrame(parent),
      m_env(env),
      m_clock([] { return prefs::localNow().days(); })
{
    setObjectName("OptionsFrame");
    setAutoFillBackground(true);
    setFrameShape(QFrame::StyledPanel);
    confirmDeletion = [this](const QString &question) {
        return QMessageBox::warning(this, "Camlog", question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               == QMessageBox::Yes;
    };
    showReport = [this](const QString &report) {
        ShowInformationBox(this, report);
    };

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName("PageControl");
    m_tabs->addTab(preferencesTab(), "Preferences");
    m_tabs->addTab(formatsTab(), "Formats");
    m_tabs->addTab(foldersTab(), "Folders");
    m_tabs->addTab(filesTab(), "Files");
    m_tabs->addTab(dvTab(), "DV");
    // The five tabs side by side in the panel's width.
    QFont tabFont = m_tabs->tabBar()->font();
    tabFont.setPointSizeF(tabFont.pointSizeF() * 0.85);
    m_tabs->tabBar()->setFont(tabFont);
    m_tabs->setUsesScrollButtons(false);
    m_tabs->tabBar()->setExpanding(false);
    auto *close = new QPushButton("Close", this);
    close->setObjectName("FermerBtn");
    close->setToolTip("Close the settings and go back to the main window.");
    connect(close, &QPushButton::clicked, this, [this] {
        if (onClose)
            onClose();
    });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_tabs);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);
}

// ---- Building ---------------------------------------------------------------------------------

template <typename Change> void TOptionsFrame::change(Change change)
{
    if (m_filling)
        return;
    prefs::Settings settings = prefs::currentSettings();
    change(settings);
    prefs::setCurrentSettings(std::move(settings));
    showExamples();
}

QCheckBox *TOptionsFrame::addCheck(QWidget *parent, const char *name, const char *caption,
                                   bool prefs::Settings::*member)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    connect(box, &QCheckBox::toggled, this,
            [this, member](bool on) { change([&](prefs::Settings &s) { s.*member = on; }); });
    m_fillers.push_back([box, member](const prefs::Settings &s) { box->setChecked(s.*member); });
    return box;
}

QComboBox *TOptionsFrame::addCombo(QWidget *parent, const char *name, std::initializer_list<const char *> items,
                                   std::string prefs::Settings::*member)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const char *item : items)
        box->addItem(item);
    connect(box, &QComboBox::currentTextChanged, this, [this, member](const QString &text) {
        change([&](prefs::Settings &s) { s.*member = text.toStdString(); });
    });
    m_fillers.push_back([box, member](const prefs::Settings &s) { box->setEditText(qt(s.*member)); });
    return box;
}

QButtonGroup *TOptionsFrame::addRadios(QWidget *parent, const char *name, const char *caption,
                                       std::initializer_list<const char *> items, std::int32_t prefs::Settings::*member)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    auto *group = new QButtonGroup(box);
    group->setObjectName(name);
    int id = 0;
    for (const char *item : items) {
        auto *radio = new QRadioButton(item, box);
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    layout->addStretch();
    connect(group, &QButtonGroup::idToggled, this, [this, member](int id, bool on) {
        if (on)
            change([&](prefs::Settings &s) { s.*member = id; });
    });
    m_fillers.push_back([group, member](const prefs::Settings &s) {
        if (QAbstractButton *button = group->button(s.*member))
            button->setChecked(true);
    });
    parent->layout()->addWidget(box);
    return group;
}

QWidget *TOptionsFrame::pathRow(QWidget *parent, const char *name, std::string prefs::Settings::*member, bool folder)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *edit = new QLineEdit(row);
    edit->setObjectName(name);
    auto *browse = new QPushButton("...", row);
    browse->setObjectName(QString(name) + "Browse");
    browse->setFixedWidth(28);
    browse->setToolTip(folder ? "Choose a folder" : "Choose a program");
    layout->addWidget(edit);
    layout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this, name, folder] { this->browse(name, folder); });
    // A path typed by hand counts once the edit is left, as a chosen one does.
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, name, member] {
        const std::string typed = edit->text().toStdString();
        if (typed != prefs::currentSettings().*member)
            pathChosen(name, typed);
    });
    m_fillers.push_back([edit, member](const prefs::Settings &s) { edit->setText(qt(s.*member)); });
    return row;
}

QWidget *TOptionsFrame::preferencesTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *explanation = new TLinkEdit(page);
    explanation->setObjectName("PrefsExplanation");
    explanation->setRichText("<b>Normal mode</b>: the preferences are kept in your settings folder.<br>"
                             "<b>Portable mode</b>: they are kept in a file beside the program, for a USB key.<br>"
                             "<b>Do not save</b>: the defaults come back at every start.");
    explanation->setFixedHeight(explanation->fontMetrics().lineSpacing() * 6);
    explanation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(explanation);

    auto *sendTo = new QCheckBox("Shortcut in SendTo...", page);
    sendTo->setObjectName("cbSendTo");
    sendTo->setToolTip("File managers offer \"Open with Camlog\" for videos");
    connect(sendTo, &QCheckBox::toggled, this, [this](bool on) {
        if (m_filling)
            return;
        setSendTo(on);
        change([on](prefs::Settings &s) { s.sendTo = on; });
    });
    m_fillers.push_back([sendTo](const prefs::Settings &s) { sendTo->setChecked(s.sendTo); });
    layout->addWidget(sendTo);
    QCheckBox *selection = addCheck(page, "cbSelection", "Select when opening", &prefs::Settings::selectWhenOpening);
    connect(selection, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_filling && onSelectWhenOpening)
            onSelectWhenOpening(on);
    });
    layout->addWidget(selection);
    layout->addWidget(addCheck(page, "cbListe", "Save the playlist when quit", &prefs::Settings::saveListWhenQuit));
    layout->addWidget(addCheck(page, "cbDeinterlace", "Deinterlace the video", &prefs::Settings::deinterlace));

    auto *save = new QPushButton("Save the preferences now", page);
    save->setObjectName("SpeedButton1");
    connect(save, &QPushButton::clicked, this, [this] {
        if (onSaveNow)
            onSaveNow();
    });
    auto *remove = new QPushButton("Delete the preferences", page);
    remove->setObjectName("SpeedButton2");
    connect(remove, &QPushButton::clicked, this, [this] {
        const auto outcome = prefs::DeletePreferences(
            m_env, [this](const prefs::PrefsMessage &question) { return confirmDeletion(qt(question.text)); });
        const prefs::PrefsMessage report = prefs::deletePreferencesReport(outcome);
        if (!report.text.empty() && showReport)
            showReport(qt(report.text));
    });
    layout->addWidget(save);
    layout->addWidget(remove);

    auto *box = new QGroupBox("How to save the preferences when quit", page);
    box->setObjectName("rgPrefs");
    auto *items = new QVBoxLayout(box);
    m_mode = new QButtonGroup(box);
    const char *captions[] = {"Normal Mode (settings file)", "Portable Mode ( USB key)", "Do not save the preferences"};
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(captions[i], box);
        m_mode->addButton(radio, i);
        items->addWidget(radio);
    }
    connect(m_mode, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on && !m_filling)
            chooseMode(static_cast<prefs::PreferenceMode>(id));
    });
    layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget *TOptionsFrame::formatsTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(3);
    layout->addWidget(new QLabel("Format to display the datecode:", page));
    QComboBox *display =
        addCombo(page, "cbAfficherDatecode", {"tt", "ddddd", "dddddd", "ddddd t", "dddddd tt", "d mmm yyyy"},
                 &prefs::Settings::formatAfficherDatecode);
    connect(display, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (!m_filling && onDisplayFormat)
            onDisplayFormat(text.toStdString());
    });
    layout->addWidget(display);
    layout->addWidget(exampleLabel(page, "ExempleAfficher"));
    layout->addWidget(new QLabel("Format to add the datecode:", page));
    layout->addWidget(addCombo(page, "cbAjouterDatecode",
                               {"ddddd", "tt", "dddddd", "ddddd tt", "dddddd tt", "d mmm yyyy"},
                               &prefs::Settings::formatAjouterDatecode));
    layout->addWidget(exampleLabel(page, "ExempleDatecode"));
    layout->addWidget(addCheck(page, "cbDatecodeavant", "Datecode before the name", &prefs::Settings::datecodeAvant));
    layout->addWidget(addCheck(page, "cbTimecodeavant", "Timecode before the name", &prefs::Settings::timcodeAvant));
    layout->addWidget(exampleLabel(page, "ExempleTimecode"));
    layout->addWidget(new QLabel("Format to rename:", page));
    layout->addWidget(addCombo(page, "cbRenommer", {"tt", "ddddd", "dddddd", "ddddd t", "dddddd tt", "d mmm yyyy"},
                               &prefs::Settings::formatRenommer));
    layout->addWidget(new QLabel("Template for rename", page));
    auto *templ = new QLineEdit(page);
    templ->setObjectName("edRenommer");
    connect(templ, &QLineEdit::textEdited, this, [this](const QString &text) {
        change([&](prefs::Settings &s) { s.templateRenommer = text.toStdString(); });
    });
    m_fillers.push_back([templ](const prefs::Settings &s) { templ->setText(qt(s.templateRenommer)); });
    layout->addWidget(templ);
    layout->addWidget(exampleLabel(page, "ExempleRenommer"));
    auto *codes = new TLinkEdit(page);
    codes->setObjectName("Codes");
    codes->setRichText("<size 8>%F name, %E extension, %D datecode, %T timecode, %C codec, %I image size, "
                       "%A audio, %U duration</size>");
    codes->setFixedHeight(codes->fontMetrics().lineSpacing() * 3);
    codes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(codes);
    auto *defaults = new QPushButton("Default", page);
    defaults->setObjectName("formatdefautBtn");
    connect(defaults, &QPushButton::clicked, this, [this] { defaultFormats(); });
    layout->addWidget(defaults);
    layout->addStretch();
    return page;
}

QWidget *TOptionsFrame::foldersTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("Default folder to open videos", page));
    layout->addWidget(pathRow(page, "edDossierOuvrir", &prefs::Settings::folderToOpenFiles, true));
    layout->addWidget(new QLabel("Preferred folder ( open with F7)", page));
    layout->addWidget(pathRow(page, "edDossierAuto", &prefs::Settings::dossierOuvertureAuto, true));
    layout->addWidget(new QLabel("Default folder for the PlayLists ", page));
    layout->addWidget(pathRow(page, "edDossierPlayList", &prefs::Settings::dossierPlayList, true));
    QCheckBox *same = addCheck(page, "cbsameFolder", "Convert in the same folder", &prefs::Settings::saveInSameFolder);
    layout->addWidget(same);
    QWidget *saveRow = pathRow(page, "edDossierSave", &prefs::Settings::dossierPourSauver, true);
    layout->addWidget(saveRow);
    // The folder for created files counts only while they do not go beside their source.
    connect(same, &QCheckBox::toggled, saveRow, [saveRow](bool on) { saveRow->setEnabled(!on); });
    layout->addStretch();
    return page;
}

QWidget *TOptionsFrame::filesTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("Application launched with F3", page));
    layout->addWidget(pathRow(page, "feFichierF3", &prefs::Settings::fichierF3, false));
    layout->addWidget(new QLabel("Application lauched with F4", page));
    layout->addWidget(pathRow(page, "feFichierF4", &prefs::Settings::fichierF4, false));
    layout->addWidget(new QLabel("File Snapdeck or similar launched with F2", page));
    layout->addWidget(pathRow(page, "feSnapdeck", &prefs::Settings::fichierSnapdeck, false));
    layout->addWidget(addCheck(page, "cbChargerSnapdeck", "Load Snapdeck", &prefs::Settings::chargerSnapdeck));
    layout->addStretch();
    return page;
}

// The H.264 settings of the MP4 share copies: x264's preset and constant quality.
QHBoxLayout *TOptionsFrame::shareCopyRow(QWidget *page)
{
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel("Share copies (MP4): preset ", page));
    row->addWidget(
        addCombo(page, "cbSharePreset",
                 {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower", "veryslow"},
                 &prefs::Settings::sharePreset));
    row->addWidget(new QLabel(" quality (CRF) ", page));
    auto *crf = new QSpinBox(page);
    crf->setObjectName("seShareCrf");
    crf->setRange(0, 51);
    connect(crf, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_filling)
            change([value](prefs::Settings &s) { s.shareCrf = value; });
    });
    m_fillers.push_back([crf](const prefs::Settings &s) { crf->setValue(s.shareCrf); });
    row->addWidget(crf);
    row->addStretch();
    return row;
}

QWidget *TOptionsFrame::dvTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    addRadios(page, "rgfrequenceDV", "DV Frequency", {"32000", "44100", "48000"}, &prefs::Settings::frequenceDV);
    addRadios(page, "rgStandardDV", "Default standard", {"Pal", "Ntsc"}, &prefs::Settings::standardDV);
    addRadios(page, "rgRatioDV", "Image ratio", {"4x3", "16x9"}, &prefs::Settings::ratioDV);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel("interval to create scenes ", page));
    auto *interval = new QLineEdit(page);
    interval->setObjectName("edIntervalle");
    interval->setMaximumWidth(70);
    // Text that is not a whole number gives 0, as the setting is saved.
    connect(interval, &QLineEdit::textEdited, this, [this](const QString &text) {
        bool ok = false;
        const int seconds = text.trimmed().toInt(&ok);
        change([&](prefs::Settings &s) { s.intervalle = ok ? seconds : 0; });
    });
    m_fillers.push_back([interval](const prefs::Settings &s) { interval->setText(QString::number(s.intervalle)); });
    row->addWidget(interval);
    row->addWidget(new QLabel("s", page));
    row->addStretch();
    layout->addLayout(row);
    layout->addLayout(shareCopyRow(page));
    auto *duree = new QGroupBox("Format for duration of scenes", page);
    duree->setObjectName("rgFormatDuree");
    auto *items = new QVBoxLayout(duree);
    auto *group = new QButtonGroup(duree);
    group->setObjectName("rgFormatDuree");
    int id = 0;
    for (const char *item : {"h:mm:ss.ff", "h:mm:ss:ff", "hhours mminutes sseconds fframes"}) {
        auto *radio = new QRadioButton(item, duree);
        group->addButton(radio, id++);
        items->addWidget(radio);
    }
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            change([&](prefs::Settings &s) { s.formatDuree = id; });
    });
    m_fillers.push_back([group](const prefs::Settings &s) {
        if (QAbstractButton *button = group->button(s.formatDuree))
            button->setChecked(true);
    });
    layout->addWidget(duree);
    layout->addStretch();
    return page;
}

// ---- Lookups ----------------------------------------------------------------------------------

QCheckBox *TOptionsFrame::check(const char *name) const
{
    return findChild<QCheckBox *>(name);
}

QComboBox *TOptionsFrame::combo(const char *name) const
{
    return findChild<QComboBox *>(name);
}

QLineEdit *TOptionsFrame::edit(const char *name) const
{
    return findChild<QLineEdit *>(name);
}

QLabel *TOptionsFrame::example(const char *name) const
{
    return findChild<QLabel *>(name);
}

QPushButton *TOptionsFrame::button(const char *name) const
{
    return findChild<QPushButton *>(name);
}

QButtonGroup *TOptionsFrame::group(const char *name) const
{
    if (std::string_view(name) == "rgPrefs")
        return m_mode;
    return findChild<QButtonGroup *>(name);
}

// ---- Filling and rules ------------------------------------------------------------------------

void TOptionsFrame::fill(const prefs::Settings &settings, prefs::PreferenceMode mode)
{
    m_filling = true;
    for (const auto &filler : m_fillers)
        filler(settings);
    if (QAbstractButton *button = m_mode->button(static_cast<int>(mode)))
        button->setChecked(true);
    applyModeRules(mode, false);
    edit("edDossierSave")->parentWidget()->setEnabled(!settings.saveInSameFolder);
    m_filling = false;
    showExamples();
}

prefs::PreferenceMode TOptionsFrame::chosenMode() const
{
    return static_cast<prefs::PreferenceMode>(std::max(0, m_mode->checkedId()));
}

void TOptionsFrame::chooseMode(prefs::PreferenceMode mode)
{
    const bool wasFilling = m_filling;
    m_filling = true;
    if (QAbstractButton *button = m_mode->button(static_cast<int>(mode)))
        button->setChecked(true);
    m_filling = wasFilling;
    prefs::ChangePreferenceMode(mode, m_env);
    applyModeRules(mode, true);
}

// The user's choice checks the two boxes its mode implies (and so creates or removes the
// desktop entry); the mode found at start only shows which of them can be changed.
void TOptionsFrame::applyModeRules(prefs::PreferenceMode mode, bool userChoice)
{
    const bool saving = mode != prefs::pmNone;
    const bool normal = mode == prefs::pmNormal;
    QCheckBox *list = check("cbListe");
    QCheckBox *sendTo = check("cbSendTo");
    if (userChoice || !saving)
        list->setChecked(saving);
    list->setEnabled(saving);
    if (userChoice || !normal) {
        // At start the box only shows it: the entry is neither made nor removed by a start.
        const bool wasFilling = m_filling;
        m_filling = !userChoice;
        sendTo->setChecked(normal);
        m_filling = wasFilling;
    }
    sendTo->setEnabled(normal);
    button("SpeedButton1")->setEnabled(saving);
    button("SpeedButton2")->setEnabled(saving);
    if (mode == prefs::pmPortable && userChoice) {
        prefs::Settings settings = prefs::currentSettings();
        prefs::MoveFoldersIntoProgramFolder(settings, m_env.programFolder());
        prefs::setCurrentSettings(settings);
        showFolders();
    }
}

void TOptionsFrame::setSendTo(bool on)
{
    if (on)
        commands::CreateSendToShortcut(prefs::kProductName);
    else
        commands::DeleteSendToShortcut(prefs::kProductName);
}

void TOptionsFrame::defaultFormats()
{
    change([](prefs::Settings &s) {
        s.formatAjouterDatecode = "yyyy.mm.dd_hh.nn.ss_am/pm";
        s.formatAfficherDatecode = "ddddd tt";
        s.formatRenommer = "yyyymmdd hh.nn.ss";
        s.templateRenommer = "video'%D%E";
        s.datecodeAvant = false;
        s.timcodeAvant = false;
    });
    const prefs::Settings s = prefs::currentSettings();
    m_filling = true;
    combo("cbAjouterDatecode")->setEditText(qt(s.formatAjouterDatecode));
    combo("cbAfficherDatecode")->setEditText(qt(s.formatAfficherDatecode));
    combo("cbRenommer")->setEditText(qt(s.formatRenommer));
    edit("edRenommer")->setText(qt(s.templateRenommer));
    check("cbDatecodeavant")->setChecked(false);
    check("cbTimecodeavant")->setChecked(false);
    m_filling = false;
    showExamples();
    if (onDisplayFormat)
        onDisplayFormat(s.formatAfficherDatecode);
}

void TOptionsFrame::showExamples()
{
    const FormatExamples examples =
        ComputeFormatExamples(prefs::currentSettings(), core::DateTime::fromDays(m_clock()));
    example("ExempleAfficher")->setText(qt(examples.display));
    example("ExempleDatecode")->setText(qt(examples.addDatecode));
    example("ExempleTimecode")->setText(qt(examples.addTimecode));
    example("ExempleRenommer")->setText(qt(examples.rename));
}

void TOptionsFrame::showFolders()
{
    const prefs::Settings s = prefs::currentSettings();
    const bool wasFilling = m_filling;
    m_filling = true;
    edit("edDossierOuvrir")->setText(qt(s.folderToOpenFiles));
    edit("edDossierAuto")->setText(qt(s.dossierOuvertureAuto));
    edit("edDossierPlayList")->setText(qt(s.dossierPlayList));
    edit("edDossierSave")->setText(qt(s.dossierPourSauver));
    m_filling = wasFilling;
}

// ---- Folders and programs ---------------------------------------------------------------------

void TOptionsFrame::browse(const char *editName, bool folder)
{
    const QString current = edit(editName)->text();
    QString chosen;
    const QFileDialog::Options options = m_native ? QFileDialog::Options() : QFileDialog::DontUseNativeDialog;
    if (folder)
        chosen =
            QFileDialog::getExistingDirectory(this, "Choose a folder", current, options | QFileDialog::ShowDirsOnly);
    else
        chosen =
            QFileDialog::getOpenFileName(this, "Choose a program", QFileInfo(current).path(), {}, nullptr, options);
    if (chosen.isEmpty())
        return;
    if (folder)
        chooseFolder(editName, chosen.toStdString());
    else
        chooseProgram(editName, chosen.toStdString());
}

void TOptionsFrame::chooseFolder(const char *editName, const std::string &folder)
{
    pathChosen(editName, withSlash(folder));
}

void TOptionsFrame::chooseProgram(const char *editName, const std::string &program)
{
    pathChosen(editName, program);
}

void TOptionsFrame::pathChosen(const char *editName, const std::string &path)
{
    const std::string_view name = editName;
    const bool folder = name.starts_with("edDossier");
    const std::string value = folder ? withSlash(path) : path;
    m_filling = true;
    edit(editName)->setText(qt(value));
    m_filling = false;
    change([&](prefs::Settings &s) {
        if (name == "edDossierOuvrir")
            s.folderToOpenFiles = value;
        else if (name == "edDossierAuto")
            s.dossierOuvertureAuto = value;
        else if (name == "edDossierPlayList")
            s.dossierPlayList = value;
        else if (name == "edDossierSave")
            s.dossierPourSauver = value;
        else if (name == "feFichierF3")
            s.fichierF3 = value;
        else if (name == "feFichierF4")
            s.fichierF4 = value;
        else if (name == "feSnapdeck")
            s.fichierSnapdeck = value;
    });
    if (name == "edDossierAuto" && onPreferredFolder)
        onPreferredFolder(value);
    else if (name == "edDossierPlayList" && onPlaylistFolder)
        onPlaylistFolder(value);
    else if (name == "feFichierF3" && onProgramChosen)
        onProgramChosen(3, value);
    else if (name == "feFichierF4" && onProgramChosen)
        onProgramChosen(4, value);
}

} // namespace camlog::widgets
