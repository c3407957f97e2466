// The window as the host of one session.
#include "window/window_session.h"

#include "core/avi_fichier.h"
#include "headless/actions/action_list_runner.h"
#include "headless/actions/action_menus.h"
#include "headless/actions/command_line.h"
#include "headless/list/mounted_disks.h"
#include "media/decoding/ffmpeg_version.h"
#include "prefs/current_settings.h"
#include "prefs/settings_io.h"
#include "window/action_binding.h"
#include "window/apropos_frame.h"
#include "window/base_frame.h"
#include "window/command_dialogs.h"
#include "window/decalage_form.h"
#include "window/file_drop_filter.h"
#include "window/file_list_adapter.h"
#include "window/file_list_view.h"
#include "window/file_urls.h"
#include "window/inlay_editor_binding.h"
#include "window/link_edit.h"
#include "window/list_frame.h"
#include "window/main_menu.h"
#include "window/menu_from_layout.h"
#include "window/options_frame.h"
#include "window/plaque.h"
#include "window/preparation_dialogs.h"
#include "window/preview_panel.h"
#include "window/question_box.h"
#include "window/riff_form.h"
#include "window/save_prefs_form.h"
#include "window/scene_editor_panel.h"
#include "window/shortcut_table_form.h"
#include "window/status_panel.h"
#include "window/tool_bars.h"
#include "window/typing_keys.h"
#include "window/vue_frame.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <filesystem>

namespace camlog::widgets {

namespace {

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

// The name the selection label gives the list's sort order.
QString sortName(const ui::FileListModel &list)
{
    return qt(std::string(core::kSortIndexes[list.GetSortIndex()].KeyWord));
}

} // namespace

WindowSession::WindowSession(WindowStart start) : m_start(std::move(start))
{
    m_refresh.setSingleShot(true);
    connect(&m_refresh, &QTimer::timeout, this, [this] { refreshActionsNow(); });
    m_form = std::make_unique<TUIForm>();
    m_session = std::make_unique<session::Session>(static_cast<session::SessionHost &>(*this), m_start.settings,
                                                   *m_start.context, m_start.commands, m_start.identity);
    m_form->baseFrame()->setDatecodePattern(m_start.settings.formatAfficherDatecode);
    m_preview = new PreviewPanel(*m_form->vueFrame(), *m_form->plaque()->view(), *m_form->statusPanel(),
                                 *m_form->baseFrame(), this);
    wireList();
    wireSession();
    bindWindowActions();
    buildInput();
    buildPanels();
    buildEditors();
    wireForm();
    applySettings();
}

WindowSession::~WindowSession()
{
    // A command still running hands its last steps over to this thread: serve them, then stop.
    if (m_session) {
        m_session->interrupt();
        while (m_session->engine().IsRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(this);
        // The list box's model stops following the list before the list goes.
        delete m_adapter;
        m_adapter = nullptr;
        m_session.reset();
    }
    // The preview's thread stops before the panels it shows on go.
    delete m_preview;
    m_preview = nullptr;
    m_form.reset();
}

// ---- Start ------------------------------------------------------------------------------------

void WindowSession::applySettings()
{
    const prefs::Settings &s = m_start.settings;
    m_form->resize(std::max(s.width, TUIForm::kWithoutListWidth), std::max(s.height, TUIForm::kHeight));
    m_form->move(s.left, s.top);
    m_form->setNormalGeometry(QRect(s.left, s.top, m_form->width(), m_form->height()));
    m_form->setListOnLeft(s.listeGauche);
    if (auto *toggle = m_session->actions().toggle("taListeGauche"))
        toggle->SetChecked(s.listeGauche);
    const int vue = std::clamp(s.vue, 0, 4);
    m_form->ApplyLayout(static_cast<Layout>(vue == 2 ? 0 : vue));
    m_form->setReturnLayout(Layout::WithoutList);
    if (s.windoState == 2)
        m_form->setWindowState(m_form->windowState() | Qt::WindowMaximized);
    m_options->fill(prefs::currentSettings(), prefs::currentPreferenceMode());
    m_shortcuts->setSortColumn(s.triDesRaccourcis);
    nameOpenWith(3, s.fichierF3);
    nameOpenWith(4, s.fichierF4);
    // The list is empty at start: the narrow layout and the empty-list panel.
    m_form->countsChanged(0, 0, sortName(m_session->list()));
    m_form->ShowActiveFile(nullptr);
}

void WindowSession::wireForm()
{
    m_form->onRefreshActions = [this] {
        refreshActions();
    };
    m_form->onFirstActivation = [this] {
        processCommandLine();
    };
    m_form->onCloseRequest = [this] {
        return closeRequest();
    };
    m_form->onListToolBarsShown = [this](bool shown) {
        showListToolBars(shown);
    };
    m_form->onActivation = [this] {
        refreshActions();
    };
    m_form->onPanelLayoutLeft = [this] {
        closePanels(false);
    };
    if (QGuiApplication::clipboard() != nullptr)
        connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { refreshActions(); });
    m_form->baseFrame()->onNameClicked = [this] {
        execute("ccDossierParent");
    };
}

void WindowSession::wireList()
{
    ui::FileListModel &list = m_session->list();
    auto counts = list.OnCountsChange;
    list.OnCountsChange = [this, counts](int selected, int count) {
        if (counts)
            counts(selected, count);
        m_form->countsChanged(selected, count, sortName(m_session->list()));
    };
    auto active = list.OnActiveChange;
    list.OnActiveChange = [this, active](const ui::AviFilePtr &fichier) {
        if (active)
            active(fichier);
        m_form->ShowActiveFile(fichier);
        m_preview->showFile(fichier);
        if (m_sceneEditor != nullptr)
            m_sceneEditor->activeChanged(fichier);
        if (m_inlayEditor != nullptr)
            m_inlayEditor->activeChanged(fichier);
    };
    auto opening = list.OnOpenStart;
    list.OnOpenStart = [this, opening] {
        if (opening)
            opening();
        m_form->statusPanel()->setOpenMessage("Opening avi files");
    };
    auto ended = list.OnOpenEnd;
    list.OnOpenEnd = [this, ended](int nb) {
        if (ended)
            ended(nb);
        if (!m_session->list().Opening())
            m_form->statusPanel()->setOpenMessage({});
        refreshActions();
    };
}

void WindowSession::wireSession()
{
    m_session->OnCommandStart = [this] {
        refreshActions();
    };
    m_session->OnCommandEnd = [this] {
        m_form->statusPanel()->setCommandMessage({});
        m_form->ShowActiveFile(m_session->list().ActiveFile());
        if (!m_closing) {
            m_preview->showFile(m_session->list().ActiveFile());
            m_sceneEditor->previewReopened();
        }
        if (m_closing)
            QTimer::singleShot(0, m_form.get(), [this] { m_form->close(); });
    };
    m_session->OnQuit = [this] {
        QTimer::singleShot(0, m_form.get(), [this] { m_form->close(); });
    };
}

void WindowSession::processCommandLine()
{
    const ui::ParsedCalls parsed = ui::ParseArguments(m_start.arguments);
    if (!parsed.calls.empty()) {
        m_session->runCalls(parsed.calls);
    } else if (m_start.settings.saveListWhenQuit) {
        m_form->statusPanel()->setOpenMessage("Restoring the files from the previous session");
        m_session->list().OpenPreferredPlayList();
    }
    m_started = true;
}

// ---- Actions that act on the window ---------------------------------------------------------------

void WindowSession::closePreview(const std::string &path)
{
    if (m_preview != nullptr)
        m_preview->closeForCommand(path);
}

bool WindowSession::execute(std::string_view actionName)
{
    refreshActionsNow();
    ui::TCustomSuperAction *action = m_session->actions().find(actionName);
    return action != nullptr && action->Execute();
}

void WindowSession::bindWindowActions()
{
    ui::ActionList &actions = m_session->actions();
    TUIForm &form = *m_form;

    if (auto *list = actions.toggle("taBasculerListe")) {
        // Checked while the list is on screen: the tick and the caption follow the layout.
        list->Onprepare = [&form](ui::TCustomSuperAction &a) {
            a.SetChecked(form.listShown());
        };
        list->OnTrueExecute = [&form](ui::TCustomSuperAction &a, ui::ActionSender) {
            form.ApplyLayout(Layout::WithoutList);
            a.SetChecked(false);
        };
        list->OnfalseExecute = [&form](ui::TCustomSuperAction &a, ui::ActionSender) {
            form.ApplyLayout(Layout::Normal);
            a.SetChecked(true);
        };
        list->SetChecked(true);
    }
    if (auto *side = actions.toggle("taListeGauche")) {
        auto flip = [&form](ui::TCustomSuperAction &a, ui::ActionSender) {
            form.setListOnLeft(!form.listOnLeft());
            a.SetChecked(form.listOnLeft());
        };
        side->OnTrueExecute = flip;
        side->OnfalseExecute = flip;
    }
    if (auto *videoOnly = actions.toggle("taVideoSeule")) {
        videoOnly->OnfalseExecute = [&form](ui::TCustomSuperAction &a, ui::ActionSender) {
            form.ApplyLayout(Layout::VideoOnly);
            a.SetChecked(true);
        };
        videoOnly->OnTrueExecute = [&form](ui::TCustomSuperAction &a, ui::ActionSender) {
            form.ApplyLayout(Layout::Normal);
            a.SetChecked(false);
        };
    }
    if (auto *reduce = actions.plain("saVueReduite")) {
        reduce->Onexecute = [&form](ui::TCustomSuperAction &, ui::ActionSender) {
            QRect normal = form.normalGeometry();
            normal.setSize(QSize(TUIForm::kNormalMinWidth, TUIForm::kHeight));
            form.setNormalGeometry(normal);
            form.ApplyLayout(Layout::Normal);
            form.resize(normal.size());
        };
    }
    if (auto *full = actions.toggle("taFullscreen")) {
        full->OnfalseExecute = [this](ui::TCustomSuperAction &a, ui::ActionSender) {
            a.SetChecked(true);
            if (m_session->list().ActiveFile()) {
                m_form->setFullScreenVideo(true);
                m_preview->player().refresh(); // the backdrop shows the current picture
            }
        };
        full->OnTrueExecute = [this](ui::TCustomSuperAction &a, ui::ActionSender) {
            a.SetChecked(false);
            m_form->setFullScreenVideo(false);
        };
    }
    // Files copied in a file manager: their URLs on the clipboard.
    if (auto *paste = actions.plain("saCollerFichiers")) {
        paste->Onexecute = [this](ui::TCustomSuperAction &, ui::ActionSender) {
            std::vector<std::string> paths = ClipboardFilePaths();
            if (!paths.empty())
                m_session->list().PasteFiles(std::move(paths));
        };
    }
    m_preview->bindActions(actions, [this] { refreshActions(); });
    // Escape first leaves full screen; only outside it does it abort.
    if (auto *abort = actions.plain("saInterrompre")) {
        ui::ActionHandler inner = abort->Onexecute;
        abort->Onexecute = [this, inner](ui::TCustomSuperAction &a, ui::ActionSender sender) {
            if (m_form->fullScreenVideo()) {
                if (auto *full = m_session->actions().toggle("taFullscreen"))
                    full->SetChecked(false);
                m_form->setFullScreenVideo(false);
                return;
            }
            if (inner)
                inner(a, sender);
        };
    }
    // "Open all" searches every mounted disk through all its folders: the user says yes first,
    // knowing how many disks that is; the status bar then names each folder searched.
    if (auto *openAll = actions.plain("saOuvrirTout")) {
        ui::ActionHandler inner = openAll->Onexecute;
        openAll->Onexecute = [this, inner](ui::TCustomSuperAction &a, ui::ActionSender sender) {
            const std::size_t disks = ui::MountedDiskFolders().size();
            const QString question =
                QStringLiteral("Open every video of the %1 %2 mounted on this computer?\n"
                               "Each one is searched through all its folders, which can take a long time.")
                    .arg(disks)
                    .arg(disks == 1 ? QStringLiteral("disk") : QStringLiteral("disks"));
            const engine::TAnswer answer =
                AskQuestionBox(m_form.get(), question, engine::TQuestionButtons::YesNoCancel);
            if (answer == engine::TAnswer::Yes && inner)
                inner(a, sender);
        };
    }
}

void WindowSession::buildInput()
{
    // One QAction per action: the menus, the tool bars, the keys and the shortcut table share them.
    m_binding = new ActionBinding(m_session->actions(), this);
    m_form->addActions(m_binding->actions());
    // The shortcuts answer on the full-screen backdrop too.
    m_form->plaque()->addActions(m_binding->actions());
    m_menu = new MainMenu(*m_form->menuBar(), *m_binding);
    m_toolBars = new ToolBars(*m_binding, m_form.get());
    for (QToolBar *bar : m_toolBars->bars())
        m_form->addToolBar(Qt::TopToolBarArea, bar);
    m_form->setContextMenuPolicy(Qt::CustomContextMenu);
    QMenu *windowPopup = MenuFromLayout(ui::MainPopupLayout(), *m_binding, m_form.get());
    connect(m_form.get(), &QWidget::customContextMenuRequested, windowPopup,
            [this, windowPopup](const QPoint &at) { windowPopup->popup(m_form->mapToGlobal(at)); });

    // The video panel has its own pop-up menu.
    TVueFrame *vue = m_form->vueFrame();
    vue->setContextMenuPolicy(Qt::CustomContextMenu);
    QMenu *videoPopup = MenuFromLayout(ui::VideoPanelPopupLayout(), *m_binding, vue);
    connect(vue, &QWidget::customContextMenuRequested, videoPopup,
            [vue, videoPopup](const QPoint &at) { videoPopup->popup(vue->mapToGlobal(at)); });

    m_adapter = new FileListAdapter(m_session->list(), this);
    auto *view = new FileListView(*m_adapter);
    view->setObjectName("lf");
    view->setPopupMenu(MenuFromLayout(ui::ListPopupLayout(), *m_binding, view));
    m_form->listFrame()->setListWidget(view);
    m_form->plaque()->setKeyTarget(view);
    // Files dropped anywhere else on the window open as if dropped on the list.
    FileDropFilter::install(
        m_form.get(), [this](std::vector<std::string> paths) { m_session->list().OpenDropped(std::move(paths)); });
    m_shortcuts = new TRaccourcisForm(*m_binding, m_form.get());
    m_dialogSettings = m_start.settings;
    m_dialogs = std::make_unique<PreparationDialogs>(m_dialogSettings, m_form.get());
    m_dialogs->install(m_session->actions());
    m_commandDialogs =
        std::make_unique<CommandDialogs>([this] { return m_session->list().ActiveFile(); }, m_form.get());
    m_commandDialogs->install(m_session->actions());
    // While the time difference is edited, the preview shows the datecode it gives.
    m_commandDialogs->decalage()->onTrialDifference = [this](std::optional<double> days) {
        if (m_preview != nullptr)
            m_preview->setTrialShift(days);
    };
    // The sort column of the shortcut table is a setting.
    connect(m_shortcuts, &TRaccourcisForm::sortColumnChanged, this, [](int column) {
        prefs::Settings settings = prefs::currentSettings();
        settings.triDesRaccourcis = column;
        prefs::setCurrentSettings(std::move(settings));
    });
}

void WindowSession::refreshActions()
{
    if (!m_refresh.isActive())
        m_refresh.start(m_session && m_session->list().Opening() ? 100 : 0);
}

void WindowSession::refreshActionsNow()
{
    m_refresh.stop();
    if (!m_session)
        return;
    ui::PanelState panels;
    panels.emptyListPanel = m_form->emptyListShown();
    panels.aboutPanel = m_about != nullptr && m_about->isVisible();
    panels.settingsPanel = m_options != nullptr && m_options->isVisible();
    m_session->setPanels(panels);
    m_session->refreshActions();
    m_binding->applyClipboardRule();
    m_binding->sync();
    m_menu->updateVisibility();
}

void WindowSession::showListToolBars(bool shown)
{
    for (const char *name : {"tbVideo", "tbListe"})
        if (auto *bar = m_form->findChild<QToolBar *>(name))
            bar->setVisible(shown);
}

// ---- The session's host -----------------------------------------------------------------------

void WindowSession::post(std::function<void()> task)
{
    QMetaObject::invokeMethod(
        this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

engine::TAnswer WindowSession::askQuestion(const std::string &text, engine::TQuestionButtons buttons)
{
    return AskQuestionBox(m_form.get(), qt(text), buttons);
}

void WindowSession::commandMessage(const std::string &text)
{
    m_form->statusPanel()->setCommandMessage(qt(text));
}

void WindowSession::commandError(const std::string &text)
{
    ShowErrorBox(m_form.get(), qt(text));
    m_form->baseFrame()->endGauge();
}

void WindowSession::startProgress(int maximum)
{
    m_form->baseFrame()->startGauge(maximum);
}

void WindowSession::setProgress(int position)
{
    m_form->baseFrame()->setGauge(position);
}

void WindowSession::endProgress()
{
    m_form->baseFrame()->endGauge();
}

void WindowSession::note(session::NoteKind kind, const std::string &text)
{
    StatusPanel &status = *m_form->statusPanel();
    switch (kind) {
    case session::NoteKind::Status:
        if (m_session && m_session->list().Opening())
            status.setOpenMessage(qt(text));
        else
            status.showNote(qt(text));
        break;
    case session::NoteKind::Warning:
    case session::NoteKind::Failure:
        status.showNote(qt(text));
        break;
    case session::NoteKind::Unavailable:
        status.showNote(qt(text) + " comes with a later version");
        break;
    case session::NoteKind::RunEnd:
        // What the run did stays a while, then the bar says "Ready" again.
        status.showNote(qt(text), StatusPanel::kRunEndNoteMs);
        break;
    }
}

void WindowSession::report(session::ReportKind kind, const std::string &text)
{
    switch (kind) {
    case session::ReportKind::TotalDuration:
        ShowInformationBox(m_form.get(), qt(text));
        break;
    case session::ReportKind::RiffHeader: {
        const ui::AviFilePtr active = m_session->list().ActiveFile();
        std::vector<std::string> lines;
        const QStringList split = qt(text).split('\n');
        for (const QString &line : split)
            lines.push_back(line.toStdString());
        // The session reports only a report that got to its trailer.
        m_riff->ShowReport(active ? active->FullPath : std::string(), lines, true);
        break;
    }
    }
}

bool WindowSession::hostBusy() const
{
    return m_preview != nullptr && m_preview->player().pending();
}

// ---- The editors ------------------------------------------------------------------------------

void WindowSession::buildEditors()
{
    m_typingKeys = std::make_unique<TypingKeys>(m_session->actions(), *m_binding);
    m_sceneEditor = new SceneEditorPanel(*m_form, *m_preview, *m_typingKeys, this);
    m_sceneEditor->bindActions(m_session->actions(), [this] { refreshActions(); });
    m_inlayEditor = new InlayEditorBinding(m_session->actions(), *m_binding, *m_preview, *m_typingKeys, m_form.get(),
                                           [this] { refreshActions(); });
    // A scn file written by the editor for a video that had none: the entry is read again, so
    // that the scn marker shows and the scene commands apply to it.
    m_sceneEditor->onSaved = [this](const std::string &path) {
        ui::FileListModel &list = m_session->list();
        const ui::AviFilePtr active = list.ActiveFile();
        if (!active || active->FullPath != path || active->HasScn)
            return;
        std::shared_ptr<core::TaviFichier> fresh = core::TaviFichier::Create(path, *m_start.context);
        if (fresh && list.SwapFile(active.get(), std::move(fresh)))
            list.RefreshActive();
    };
    m_preview->onVideoPressed = [this] {
        m_sceneEditor->pictureChosen();
    };
    m_preview->onSceneStep = [this](bool next) {
        return m_sceneEditor->stepScene(next);
    };
    // A call of a script or of the command line waits for the picture it asked for.
    m_preview->onPictureShown = [this] {
        if (m_session)
            m_session->hostWorkEnded();
    };
}

// ---- The about and settings panels ------------------------------------------------------------

void WindowSession::buildPanels()
{
    QWidget *place = m_form->panelPlace();
    m_options = new TOptionsFrame(m_start.environment, place);
    m_options->hide();
    m_about = new TAproposFrame(place);
    m_about->hide();
    for (QWidget *panel : {static_cast<QWidget *>(m_options), static_cast<QWidget *>(m_about)}) {
        auto *layout = place->layout() != nullptr ? place->layout() : new QVBoxLayout(place);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(panel);
    }
    AboutTexts texts;
    texts.fullName = kWindowCaption;
    texts.homePage = m_start.homePage;
    texts.mailAddress = m_start.mailAddress;
    texts.lastUpdate = QLocale().toString(QDate(2008, 6, 4), QLocale::ShortFormat).toStdString();
    m_about->SetTexts(texts);
    m_about->SetSystemSource([] { return TAproposFrame::SystemLine(media::FfmpegVersionText()); });
    m_about->onClose = [this] {
        execute("taApropos");
    };
    m_about->onShortcuts = [this] {
        execute("taRaccourcis");
    };
    m_riff = new TRiffForm(m_form.get());
    wireOptions();
    bindPanelToggles();
}

void WindowSession::bindPanelToggles()
{
    for (const bool settings : {true, false}) {
        auto *toggle = m_session->actions().toggle(settings ? "taOptions" : "taApropos");
        if (toggle == nullptr)
            continue;
        toggle->OnfalseExecute = [this, settings](ui::TCustomSuperAction &, ui::ActionSender) {
            openPanel(settings);
        };
        toggle->OnTrueExecute = [this](ui::TCustomSuperAction &, ui::ActionSender) {
            closePanels(true);
        };
        toggle->SetChecked(false);
    }
}

void WindowSession::openPanel(bool settings)
{
    // Only one panel at a time: the other one closes first, keeping the layout to return to.
    closePanels(false);
    if (m_form->fullScreenVideo()) {
        if (auto *full = m_session->actions().toggle("taFullscreen"))
            full->SetChecked(false);
        m_form->setFullScreenVideo(false);
    }
    QWidget *panel = settings ? static_cast<QWidget *>(m_options) : static_cast<QWidget *>(m_about);
    if (settings)
        m_options->fill(prefs::currentSettings(), m_options->chosenMode());
    if (m_form->layout() != Layout::Panel)
        m_form->ApplyLayout(Layout::Panel);
    m_form->setPanelOpen(true);
    panel->show();
    panel->raise();
    // The keys go to the panel: the tabs' bar, or the credits.
    if (settings)
        m_options->tabs()->tabBar()->setFocus(Qt::OtherFocusReason);
    else
        m_about->credits()->setFocus(Qt::OtherFocusReason);
    m_barsHiddenByPanel.clear();
    for (QToolBar *bar : m_form->findChildren<QToolBar *>()) {
        if (bar->isVisible()) {
            m_barsHiddenByPanel.push_back(bar);
            bar->hide();
        }
    }
    if (auto *toggle = m_session->actions().toggle(settings ? "taOptions" : "taApropos"))
        toggle->SetChecked(true);
    refreshActionsNow();
}

void WindowSession::closePanels(bool restore)
{
    const bool open = m_options->isVisible() || m_about->isVisible();
    for (const char *name : {"taOptions", "taApropos"})
        if (auto *toggle = m_session->actions().toggle(name))
            toggle->SetChecked(false);
    m_options->hide();
    m_about->hide();
    m_form->setPanelOpen(false);
    if (!open)
        return;
    for (QToolBar *bar : m_barsHiddenByPanel)
        bar->show();
    m_barsHiddenByPanel.clear();
    // The list tool bars stay hidden while the list is empty.
    showListToolBars(!m_form->emptyListShown());
    if (restore && m_form->layout() == Layout::Panel)
        m_form->ApplyLayout(m_form->returnLayout());
    refreshActions();
}

void WindowSession::wireOptions()
{
    m_options->onClose = [this] {
        execute("taOptions");
    };
    m_options->onSaveNow = [this] {
        saveSettings();
    };
    m_options->onSelectWhenOpening = [this](bool on) {
        m_session->list().SelectionnerOuverts = on;
        if (auto *toggle = m_session->actions().toggle("taSelectionnerOuverts"))
            toggle->SetChecked(on);
        refreshActions();
    };
    m_options->onDisplayFormat = [this](const std::string &pattern) {
        m_form->baseFrame()->setDatecodePattern(pattern);
        m_form->ShowActiveFile(m_session->list().ActiveFile());
        m_sceneEditor->formatsChanged();
        m_preview->player().refresh(); // the time stamp in the new format
    };
    m_options->onPreferredFolder = [this](const std::string &folder) {
        m_session->list().PreferredFolder = folder;
    };
    m_options->onPlaylistFolder = [this](const std::string &folder) {
        m_dialogSettings.dossierPlayList = folder;
        m_session->list().PreferredPlayList = prefs::preferredPlaylist(prefs::currentSettings());
    };
    m_options->onProgramChosen = [this](int key, const std::string &program) {
        nameOpenWith(key, program);
        refreshActions();
    };
}

// "Open with " and the program's name without folder and extension; "Open with..." without one.
void WindowSession::nameOpenWith(int key, const std::string &program)
{
    ui::TCustomSuperAction *action = m_session->actions().find(key == 3 ? "ccOpenFichierF3" : "ccOpenFichierF4");
    if (action == nullptr)
        return;
    const std::string name = std::filesystem::path(program).stem().string();
    action->setCaption(name.empty() ? "Open with..." : "Open with " + name);
    if (m_binding != nullptr)
        m_binding->sync(*action);
}

// ---- End --------------------------------------------------------------------------------------

bool WindowSession::closeRequest()
{
    if (m_closed)
        return true;
    // Changes to the scenes are saved or dropped first; "Cancel" goes back to the editor.
    if (!m_closing && !m_noQuestions && m_sceneEditor != nullptr && !m_sceneEditor->mayClose())
        return false;
    if (m_closing) {
        if (m_session->engine().IsRunning())
            return false;
        saveListAtQuit();
        m_closed = true;
        m_preview->shutDown();
        return true;
    }
    if (prefs::currentPreferenceMode() == prefs::pmNone && !m_noQuestions) {
        TSavePrefsForm dialog(m_form.get());
        const auto choice = dialog.ask();
        if (!choice)
            return false;
        // As if chosen in the settings panel, with the same rules.
        m_options->chooseMode(*choice);
    }
    saveSettings();
    // "Abort all"; a command still writing finishes its file first, and the window closes at its end.
    m_session->stopCalls();
    m_session->list().AbortOpen();
    m_session->engine().AbortAll();
    if (m_session->engine().IsRunning()) {
        m_closing = true;
        m_form->statusPanel()->showNote("Stopping the command before quitting");
        return false;
    }
    saveListAtQuit();
    m_closed = true;
    m_preview->shutDown();
    return true;
}

void WindowSession::quitWithoutQuestions()
{
    m_noQuestions = true;
    m_form->close();
}

prefs::Settings WindowSession::currentWindowSettings() const
{
    prefs::Settings s = prefs::currentSettings();
    const QRect normal = m_form->normalGeometry();
    const bool maximised = m_form->windowState() & Qt::WindowMaximized;
    const bool normalState = !(m_form->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
    // The size of layout 0 is the one to come back to; the narrow layouts have fixed sizes.
    const bool normalLayout = m_form->layout() == Layout::Normal || m_form->layout() == Layout::VideoOnly;
    const QRect geometry = normalState && normalLayout ? QRect(m_form->pos(), m_form->size()) : normal;
    s.top = geometry.top();
    s.left = geometry.left();
    s.width = geometry.width();
    s.height = geometry.height();
    s.windoState = maximised ? 2 : (m_form->windowState() & Qt::WindowMinimized ? 1 : 0);
    s.vue = static_cast<int>(m_form->layout());
    s.listeGauche = m_form->listOnLeft();
    s.sortIndex = std::string(core::kSortIndexes[m_session->list().GetSortIndex()].KeyWord);
    return s;
}

void WindowSession::saveSettings()
{
    prefs::Settings s = currentWindowSettings();
    prefs::setCurrentSettings(s);
    prefs::SaveSettingsNow(s, prefs::currentPreferenceMode(), m_start.environment, prefs::localNow());
}

void WindowSession::saveListAtQuit()
{
    if (!prefs::currentSettings().saveListWhenQuit)
        return;
    // The same file that the next start restores, replaced without a question.
    m_session->saveDefaultPlaylist();
}

} // namespace camlog::widgets
