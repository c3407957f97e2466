// The window as the host of one session.
#include "ui/widgets/window_session.h"

#include "core/avi_fichier.h"
#include "prefs/current_settings.h"
#include "prefs/settings_io.h"
#include "ui/actions/action_list_runner.h"
#include "ui/actions/action_menus.h"
#include "ui/actions/command_line.h"
#include "ui/widgets/action_binding.h"
#include "ui/widgets/base_frame.h"
#include "ui/widgets/file_drop_filter.h"
#include "ui/widgets/file_list_adapter.h"
#include "ui/widgets/file_list_view.h"
#include "ui/widgets/file_urls.h"
#include "ui/widgets/list_frame.h"
#include "ui/widgets/main_menu.h"
#include "ui/widgets/menu_from_layout.h"
#include "ui/widgets/plaque.h"
#include "ui/widgets/preparation_dialogs.h"
#include "ui/widgets/preview_panel.h"
#include "ui/widgets/question_box.h"
#include "ui/widgets/save_prefs_form.h"
#include "ui/widgets/shortcut_table_form.h"
#include "ui/widgets/status_panel.h"
#include "ui/widgets/tool_bars.h"
#include "ui/widgets/vue_frame.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

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
    list.OnActiveChange = [this, active](const ui::FichierPtr &fichier) {
        if (active)
            active(fichier);
        m_form->ShowActiveFile(fichier);
        m_preview->showFile(fichier);
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
        if (!m_closing)
            m_preview->showFile(m_session->list().ActiveFile());
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
        list->Onprepare = [&form](ui::TCustomSuperAction &a) {
            a.SetChecked(form.centralWidget()->width() > 296);
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
    m_session->setPanels(panels);
    m_session->refreshActions();
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
    }
}

void WindowSession::report(session::ReportKind kind, const std::string &text)
{
    switch (kind) {
    case session::ReportKind::TotalDuration:
        ShowInformationBox(m_form.get(), qt(text));
        break;
    case session::ReportKind::RiffHeader:
        m_form->statusPanel()->showNote("The RIFF header report window comes with a later version");
        break;
    }
}

// ---- End --------------------------------------------------------------------------------------

bool WindowSession::closeRequest()
{
    if (m_closed)
        return true;
    if (m_closing) {
        if (m_session->engine().IsRunning())
            return false;
        saveListAtQuit();
        m_closed = true;
        m_preview->shutDown();
        return true;
    }
    if (prefs::currentPreferenceMode() == prefs::pmNone) {
        TSavePrefsForm dialog(m_form.get());
        const auto choice = dialog.ask();
        if (!choice)
            return false;
        prefs::ChangePreferenceMode(*choice, m_start.environment);
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
    ui::TCustomSuperAction *save = m_session->actions().find("saSauverListe");
    if (save == nullptr)
        return;
    // The same file that the next start restores.
    ui::ApplyCall(*save, ui::CallMode::None, m_session->list().PreferredPlayList);
}

} // namespace camlog::widgets
