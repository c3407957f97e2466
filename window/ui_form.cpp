// The main window.
#include "window/ui_form.h"

#include "window/base_frame.h"
#include "window/empty_list_frame.h"
#include "window/list_frame.h"
#include "window/plaque.h"
#include "window/status_panel.h"
#include "window/vue_frame.h"

#include <QCloseEvent>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace camlog::widgets {

TUIForm::TUIForm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName("UIForm");
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    setWindowIcon(QIcon(QStringLiteral(":/camlog/camlog.svg")));
    setFont(QFont("Arial"));

    m_client = new QWidget(this);
    m_client->setObjectName("Client");
    setCentralWidget(m_client);
    m_vue = new TVueFrame(m_client);
    m_base = new TBaseFrame(m_client);
    m_list = new ListFrame(m_client);
    m_panelPlace = new QWidget(m_client);
    m_panelPlace->setObjectName("PanelPlace");
    m_panelPlace->hide();
    m_empty = new EmptyListFrame(m_client);
    m_empty->hide();
    m_status = new StatusPanel(this);
    setStatusBar(m_status);
    m_plaque = std::make_unique<Tplaque>();

    m_normal = QRect(0, 0, 596, kHeight);
    resize(m_normal.size());
}

TUIForm::~TUIForm() = default;

QRect TUIForm::FitPicture(int w, int h, const QRect &into)
{
    if (w <= 0 || h <= 0)
        return QRect(into.topLeft(), QSize(0, 0));
    if (static_cast<long long>(into.width()) * h < static_cast<long long>(into.height()) * w) {
        const int height = static_cast<int>(static_cast<long long>(into.width()) * h / w);
        return QRect(into.left(), into.top() + (into.height() - height) / 2, into.width(), height);
    }
    const int width = static_cast<int>(static_cast<long long>(into.height()) * w / h);
    return QRect(into.left() + (into.width() - width) / 2, into.top(), width, into.height());
}

void TUIForm::ApplyLayout(Layout mode)
{
    m_applying = true;
    const bool normalState = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    // The normal size is the one the user gave the window in layout 0, 1 or 4; the normal place
    // the one of any layout but 3.
    const bool userSized =
        m_layout == Layout::Normal || m_layout == Layout::WithoutList || (m_layout == Layout::VideoOnly && normalState);
    if (userSized && isVisible())
        m_normal.setSize(size());
    if (m_layout != Layout::Maximised && normalState && isVisible())
        m_normal.moveTopLeft(pos());
    if (m_layout != Layout::Maximised) {
        if (mode == Layout::Maximised)
            setWindowState(windowState() | Qt::WindowMaximized);
        else
            setWindowState(windowState() & ~Qt::WindowMaximized);
    }
    if (mode != Layout::Panel && m_fullScreen)
        setFullScreenVideo(false);

    switch (mode) {
    case Layout::Normal:
    case Layout::VideoOnly:
        setMinimumSize(kNormalMinWidth, kHeight);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(m_normal.size().expandedTo(QSize(kNormalMinWidth, kHeight)));
        if (isVisible())
            move(m_normal.topLeft());
        break;
    case Layout::WithoutList:
        // Hiding the list (or emptying it) keeps the size the user gave the window: the video
        // takes the room of the list. The narrow column is only the least size.
        setMinimumSize(kWithoutListWidth, kHeight);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(m_normal.size().expandedTo(QSize(kWithoutListWidth, kHeight)));
        break;
    case Layout::Panel:
        if (m_layout != Layout::Panel)
            m_return = m_layout;
        if (m_fullScreen)
            setFullScreenVideo(false);
        setFixedSize(kNormalMinWidth, kHeight);
        break;
    case Layout::Maximised:
        if (m_layout != Layout::Panel)
            m_return = m_layout;
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        break;
    }
    const bool panelLeft = m_layout == Layout::Panel && mode != Layout::Panel;
    m_layout = mode;
    m_applying = false;
    arrangePanels();
    if (panelLeft && onPanelLayoutLeft)
        onPanelLayoutLeft();
}

void TUIForm::setListOnLeft(bool left)
{
    m_listOnLeft = left;
    arrangePanels();
}

void TUIForm::arrangePanels()
{
    const int w = m_client->width();
    const int h = m_client->height();
    const int column = kColumnWidth;
    const bool panelMode = m_layout == Layout::Panel;
    const bool listShown = m_layout != Layout::VideoOnly && m_layout != Layout::WithoutList;
    const bool infoShown = m_layout != Layout::VideoOnly;
    m_list->setVisible(listShown && !panelMode);
    m_base->setVisible(infoShown);
    m_panelPlace->setVisible(panelMode);

    QRect video;
    switch (m_layout) {
    case Layout::Normal:
    case Layout::Maximised: {
        const int columnLeft = m_listOnLeft ? 0 : w - column;
        const int videoLeft = m_listOnLeft ? column : 0;
        video = QRect(videoLeft, 0, std::max(0, w - column), h);
        m_base->move(columnLeft, 0);
        m_list->setGeometry(columnLeft, TBaseFrame::kHeight, column, std::max(0, h - TBaseFrame::kHeight));
        break;
    }
    case Layout::WithoutList:
        m_base->move(0, 0);
        video = QRect(0, TBaseFrame::kHeight, w, std::max(0, h - TBaseFrame::kHeight));
        break;
    case Layout::Panel:
        m_base->move(0, 0);
        video = QRect(0, TBaseFrame::kHeight, 288, std::max(0, h - TBaseFrame::kHeight));
        m_panelPlace->setGeometry(column, 0, std::max(0, w - column), h);
        break;
    case Layout::VideoOnly:
        video = QRect(0, 0, w, h);
        break;
    }
    m_vue->setGeometry(video);
    if (m_sceneBase != nullptr && m_sceneList != nullptr) {
        // The scene editor's panels stand where the information panel and the list stand.
        const bool scenes = m_sceneEditorOpen && !panelMode && m_layout != Layout::VideoOnly;
        m_sceneBase->setVisible(scenes);
        m_sceneList->setVisible(scenes && listShown);
        if (scenes) {
            m_base->hide();
            m_list->hide();
            m_sceneBase->setGeometry(m_base->geometry());
            m_sceneList->setGeometry(m_list->geometry());
            m_sceneBase->raise();
            m_sceneList->raise();
        }
    }
    // The empty-list panel lies over the video area, in front of the other panels.
    m_empty->setGeometry(video);
    if (m_emptyShown)
        m_empty->raise();
}

void TUIForm::showEmptyList(bool shown)
{
    m_emptyShown = shown;
    m_empty->setVisible(shown);
    if (shown) {
        arrangePanels();
        QTimer::singleShot(0, m_empty, [this] { m_empty->focusText(); });
    }
    if (onListToolBarsShown)
        onListToolBarsShown(!shown);
}

void TUIForm::countsChanged(int selected, int count, const QString &sortName)
{
    m_list->setSelection(selected, count, sortName);
    if (count > 0) {
        // The first entries bring the list back: a list of one file is a list to see. A list the
        // user hid stays hidden while its selection changes.
        if (m_emptyShown) {
            showEmptyList(false);
            if (m_layout == Layout::WithoutList)
                ApplyLayout(Layout::Normal);
        }
    } else if (!m_emptyShown) {
        ApplyLayout(Layout::WithoutList);
        showEmptyList(true);
    }
    refreshActions();
}

void TUIForm::ShowActiveFile(std::shared_ptr<const core::TaviFichier> fichier)
{
    // The video panel belongs to the preview, which follows the active file itself: showing the
    // file's facts again (after a change of the display format, say) must not empty the picture.
    if (fichier)
        m_base->ShowFile(std::move(fichier));
    else
        m_base->ClearPanel();
    refreshActions();
}

void TUIForm::setScenePanels(QWidget *sceneBase, QWidget *sceneList)
{
    m_sceneBase = sceneBase;
    m_sceneList = sceneList;
    arrangePanels();
}

void TUIForm::setSceneEditorOpen(bool open)
{
    m_sceneEditorOpen = open;
    arrangePanels();
}

void TUIForm::setFullScreenVideo(bool on)
{
    m_fullScreen = on;
    if (on) {
        m_plaque->setKeyTarget(m_list->listWidget() ? m_list->listWidget() : this);
        if (QScreen *screen = this->screen())
            m_plaque->setGeometry(screen->geometry());
        m_plaque->showFullScreen();
    } else {
        m_plaque->hide();
    }
    refreshActions();
}

void TUIForm::refreshActions()
{
    if (onRefreshActions)
        onRefreshActions();
}

void TUIForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    arrangePanels();
}

void TUIForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_applying)
        return;
    const auto *change = static_cast<QWindowStateChangeEvent *>(event);
    const bool wasMaximised = change->oldState() & Qt::WindowMaximized;
    const bool isMaximised = windowState() & Qt::WindowMaximized;
    if (isMaximised && !wasMaximised) {
        if (m_layout != Layout::Panel && m_layout != Layout::Maximised)
            m_return = m_layout;
        QTimer::singleShot(0, this, [this] { ApplyLayout(Layout::Maximised); });
    } else if (wasMaximised && !isMaximised && m_layout == Layout::Maximised) {
        QTimer::singleShot(0, this, [this] { ApplyLayout(m_return); });
    }
}

void TUIForm::firstActivation()
{
    if (m_activated)
        return;
    m_activated = true;
    // Outside the activation's own handling: the command line may ask questions.
    QTimer::singleShot(0, this, [this] {
        if (onFirstActivation)
            onFirstActivation();
    });
}

bool TUIForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        if (onActivation)
            onActivation();
        firstActivation();
    } else if (event->type() == QEvent::Show && !m_shown) {
        m_shown = true;
        // A desktop that keeps new windows from taking the focus (or none at all) may never
        // activate the window: its command line must run all the same.
        QTimer::singleShot(kActivationGrace, this, [this] { firstActivation(); });
    }
    return QMainWindow::event(event);
}

void TUIForm::closeEvent(QCloseEvent *event)
{
    if (onCloseRequest && !onCloseRequest()) {
        event->ignore();
        return;
    }
    m_plaque->hide();
    event->accept();
}

} // namespace camlog::widgets
