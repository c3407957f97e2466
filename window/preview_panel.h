// The preview in the window: the player of the active file shown in the video panel and, in
// full screen, on the backdrop; its sound device; the preview's actions (play, navigation,
// sound, copy, deinterlacing, inlay). The player decodes on its own thread; this object lives
// on the window's thread and only shows what the player hands over.
#pragma once

#include "core/avi_fichier.h"
#include "media/preview/preview_player.h"
#include "media/preview/preview_stamp.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace camlog::ui {
class ActionList;
}

namespace camlog::widgets {

class PreviewPictureView;
class PreviewSound;
class TVueFrame;
class StatusPanel;
class TBaseFrame;

class PreviewPanel : public QObject {
    Q_OBJECT
public:
    PreviewPanel(TVueFrame &vue, PreviewPictureView &fullScreenView, StatusPanel &status, TBaseFrame &base,
                 QObject *parent = nullptr);
    ~PreviewPanel() override;

    // Opens the file in the preview (none: the idle state).
    void showFile(std::shared_ptr<const core::TaviFichier> fichier);
    // Empties the preview when it shows that file, before a command touches it; the file is
    // opened again by the next showFile. Any thread: a command's worker waits for it.
    void closeForCommand(const std::string &path);
    // Stops and frees everything (the window closes).
    void shutDown();
    // Gives the preview's actions their work; refresh: how the window shows action changes.
    void bindActions(ui::ActionList &actions, std::function<void()> refresh);

    // Shows the datecode of the picture on screen with this time difference (in days) instead
    // of the file's own, while the user edits one; nothing: the file's own again.
    void setTrialShift(std::optional<double> days);

    // The inlay edit mode: the two position sliders, placing the inlay by pressing and dragging
    // on the picture, the inlay drawn on every picture, playing in a loop, no time stamp.
    void setInlayEditing(bool on);
    bool inlayEditing() const { return m_inlayEditing; }
    // "auto" in the inlay editor's size box: the font follows the picture width (not stored).
    void setInlayAutoSize(bool on);
    bool inlayAutoSize() const { return m_inlayAutoSize; }
    // The inlay settings changed: the picture shows them at once.
    void inlayChanged();

    // A mouse press on the picture outside the inlay edit mode (the scene editor takes the
    // picture shown for its scene).
    std::function<void()> onVideoPressed;
    // Next or previous scene: true when someone else (the open scene editor) took the step.
    std::function<bool(bool next)> onSceneStep;
    // Every picture asked for is on screen, or the file went and none will come.
    std::function<void()> onPictureShown;
    // The horizontal slider turned the subtitle alignment (3) into centred (1).
    std::function<void()> onAlignmentChanged;

    media::PreviewPlayer &player() { return *m_player; }
    const media::PreviewStamp &stamp() const { return m_stamp; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeInlay(int x, int y);
    // A slider or the mouse on the picture places the inlay: the preview plays without sound
    // until it is released, when it was paused.
    void startPlacing();
    void endPlacing();
    void pictureReady();
    void stateChanged();
    void showMessage(media::PreviewMessage code);
    void applySound();
    void applyInlay();
    void copyPicture();
    void sceneStep(bool next);
    void syncPlayState();

    TVueFrame &m_vue;
    PreviewPictureView &m_fullScreen;
    StatusPanel &m_status;
    TBaseFrame &m_base;
    std::unique_ptr<media::PreviewPlayer> m_player;
    PreviewSound *m_sound = nullptr;
    bool m_soundDevice = true; // a device was found (or not tried yet)
    std::shared_ptr<const core::TaviFichier> m_fichier;
    std::optional<double> m_trialShift;
    media::PreviewStamp m_stamp;
    ui::ActionList *m_actions = nullptr;
    std::function<void()> m_refresh;
    bool m_inlayEditing = false;
    bool m_inlayAutoSize = false;
    bool m_placing = false;
};

} // namespace camlog::widgets
