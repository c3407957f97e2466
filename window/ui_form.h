// The main window `TUIForm`: composes the panels (video, information, list, empty list, status
// bar) and arranges them in one of five layouts. It holds no program logic: what happens is told
// through its callbacks and done by the session that the window's host wires to it.
#pragma once

#include "core/avi_fichier.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace camlog::widgets {

class EmptyListFrame;
class ListFrame;
class StatusPanel;
class TBaseFrame;
class Tplaque;
class TVueFrame;

// The program's full name in the caption: name, blank, version and language code, " by ", maker.
inline constexpr const char *kWindowCaption = "Camlog 7.0.9En by Ovrand";

// The five layouts ("Vue").
enum class Layout { Normal = 0, WithoutList = 1, Panel = 2, Maximised = 3, VideoOnly = 4 };

class TUIForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 296;
    static constexpr int kNormalMinWidth = 600;
    static constexpr int kHeight = 546;
    static constexpr int kWithoutListWidth = 304;

    explicit TUIForm(QWidget *parent = nullptr);
    ~TUIForm() override;

    // ---- Panels ------------------------------------------------------------------------------
    TBaseFrame *baseFrame() const { return m_base; }
    TVueFrame *vueFrame() const { return m_vue; }
    ListFrame *listFrame() const { return m_list; }
    EmptyListFrame *emptyListFrame() const { return m_empty; }
    StatusPanel *statusPanel() const { return m_status; }
    Tplaque *plaque() const { return m_plaque.get(); }
    // The place where the about and settings panels are drawn in layout 2.
    QWidget *panelPlace() const { return m_panelPlace; }

    // ---- Layout ------------------------------------------------------------------------------
    void ApplyLayout(Layout mode);
    Layout layout() const { return m_layout; }
    // The file list is on screen (layouts 0 and 3).
    bool listShown() const { return m_layout == Layout::Normal || m_layout == Layout::Maximised; }
    Layout returnLayout() const { return m_return; }
    void setReturnLayout(Layout mode) { m_return = mode; }
    // The list column on the left of the video ("liste gauche").
    void setListOnLeft(bool left);
    bool listOnLeft() const { return m_listOnLeft; }
    // The size and position of the window in its normal state (remembered across layouts).
    QRect normalGeometry() const { return m_normal; }
    void setNormalGeometry(const QRect &geometry) { m_normal = geometry; }

    // ---- State shown -------------------------------------------------------------------------
    // The list's counts changed: the selection label, the empty-list panel and the layout.
    void countsChanged(int selected, int count, const QString &sortName);
    // The active file changed (null: none).
    void ShowActiveFile(std::shared_ptr<const core::TaviFichier> fichier);
    bool emptyListShown() const { return m_emptyShown; }
    // A panel (about, settings) is open in layout 2: the window's host draws it in panelPlace().
    void setPanelOpen(bool open) { m_panelOpen = open; }

    // The scene editor's panels, which take the places of the information panel and of the file
    // list while the editor is open.
    void setScenePanels(QWidget *sceneBase, QWidget *sceneList);
    void setSceneEditorOpen(bool open);
    bool sceneEditorOpen() const { return m_sceneEditorOpen; }

    // Full screen: the backdrop maximised behind the video fitted to the screen; false leaves it.
    void setFullScreenVideo(bool on);
    bool fullScreenVideo() const { return m_fullScreen; }

    // ---- Callbacks -----------------------------------------------------------------------------
    // The actions' states must be refreshed.
    std::function<void()> onRefreshActions;
    // The first time the window becomes active (the command line, or the previous list).
    std::function<void()> onFirstActivation;
    // Every activation ("Paste files" follows the clipboard).
    std::function<void()> onActivation;
    // The window was asked to close: true lets it close now. The host may refuse and close the
    // window again later (a command that must stop first, the storage question answered).
    std::function<bool()> onCloseRequest;
    // Another layout replaced layout 2: the open panel is to be closed.
    std::function<void()> onPanelLayoutLeft;
    // The tool bars that hide with an empty list ("tbVideo", "tbListe") are shown or hidden.
    std::function<void(bool shown)> onListToolBarsShown;

    // The picture of w × h fitted into the rectangle, centred (empty for a picture without size).
    static QRect FitPicture(int w, int h, const QRect &into);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void arrangePanels();
    void firstActivation();
    void showEmptyList(bool shown);
    void refreshActions();

    QWidget *m_client = nullptr;
    TVueFrame *m_vue = nullptr;
    TBaseFrame *m_base = nullptr;
    ListFrame *m_list = nullptr;
    EmptyListFrame *m_empty = nullptr;
    QWidget *m_panelPlace = nullptr;
    QWidget *m_sceneBase = nullptr;
    QWidget *m_sceneList = nullptr;
    bool m_sceneEditorOpen = false;
    StatusPanel *m_status = nullptr;
    std::unique_ptr<Tplaque> m_plaque;

    Layout m_layout = Layout::Normal;
    Layout m_return = Layout::WithoutList;
    bool m_listOnLeft = false;
    bool m_emptyShown = false;
    bool m_panelOpen = false;
    bool m_fullScreen = false;
    bool m_activated = false;
    bool m_shown = false;
    // How long after the first showing the window waits for its activation before it processes
    // its command line all the same (milliseconds).
    static constexpr int kActivationGrace = 1000;
    bool m_applying = false;
    QRect m_normal;
};

} // namespace camlog::widgets
