// The scene editor in the window: its model, the scene list panel and the scene panel in place of
// the file list and the information panel, the preview playing only the selected scene, the
// title editor, and the question before changes would be lost (the editor closes, the window
// closes, another file becomes active).
#pragma once

#include "core/avi_fichier.h"

#include <QObject>

#include <functional>
#include <memory>

namespace camlog::scenes {
class FrameSource;
class SceneEditor;
struct SceneContext;
enum class SaveAnswer;
} // namespace camlog::scenes

namespace camlog::ui {
class ActionList;
class TCustomSuperAction;
} // namespace camlog::ui

namespace camlog::widgets {

class PreviewPanel;
class TEditerTitresForm;
class TSceneBase;
class TSFrame;
class TUIForm;
class TypingKeys;

class SceneEditorPanel : public QObject {
    Q_OBJECT
public:
    SceneEditorPanel(TUIForm &form, PreviewPanel &preview, TypingKeys &keys, QObject *parent = nullptr);
    ~SceneEditorPanel() override;

    // Gives the editor's actions their work; refresh: how the window shows action changes.
    void bindActions(ui::ActionList &actions, std::function<void()> refresh);

    // The active file changed (after the preview opened it). Changes to the previous file's list
    // are saved or dropped as the user answers first.
    void activeChanged(std::shared_ptr<const core::TaviFichier> fichier);
    // The window is to close: false when the user chose to go back to the editor (or a save failed).
    bool mayClose();
    // The preview opened the active file again (after a command): it shows the current scene again.
    void previewReopened();
    // The display or duration format changed: the scene texts follow.
    void formatsChanged();

    bool isOpen() const { return m_open; }
    // A mouse press on the video picture: the picture shown becomes the current scene's picture.
    bool pictureChosen();
    // Next or previous scene while the editor is open (false when closed: the preview does it).
    bool stepScene(bool next);

    scenes::SceneEditor &model() { return *m_model; }
    TSFrame *sceneList() const { return m_list; }
    TSceneBase *sceneBase() const { return m_base; }
    TEditerTitresForm *titleEditor() const { return m_titles; }

    // The scn file of that video was written by the editor (its list entry learns of it).
    std::function<void(const std::string &videoPath)> onSaved;
    // The question before changes would be lost; tests answer it themselves.
    std::function<scenes::SaveAnswer(const std::string &question, bool withCancel)> ask;

private:
    void open();
    // False when the user went back to the editor.
    bool close();
    bool settle(bool withCancel);
    void selectScene(int index);
    void showList();
    void showCurrent();
    void publish();
    void startTitles();
    void endTitles();
    void insertScene();
    void deleteScene();
    void save();
    scenes::FrameSource *frames();
    scenes::SceneContext context() const;

    TUIForm &m_form;
    PreviewPanel &m_preview;
    TypingKeys &m_keys;
    TSFrame *m_list;
    TSceneBase *m_base;
    TEditerTitresForm *m_titles;
    std::unique_ptr<scenes::SceneEditor> m_model;
    std::shared_ptr<const core::TaviFichier> m_fichier;
    std::unique_ptr<scenes::FrameSource> m_frames;
    bool m_framesTried = false;
    bool m_open = false;
    bool m_editingTitles = false;
    ui::ActionList *m_actions = nullptr;
    std::function<void()> m_refresh;
};

} // namespace camlog::widgets
