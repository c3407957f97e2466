// The inlay edit mode in the window ("Edit the inlay", Alt+J): the inlay editor shown, the
// preview's position sliders and dragging on the picture, the inlay drawn on every picture while
// the preview loops, and the typing keys moved to Ctrl.
#pragma once

#include "core/avi_fichier.h"

#include <QObject>

#include <functional>
#include <memory>

namespace camlog::ui {
class ActionList;
}

namespace camlog::widgets {

class ActionBinding;
class PreviewPanel;
class TEditIncrustForm;
class TypingKeys;

class InlayEditorBinding : public QObject {
    Q_OBJECT
public:
    InlayEditorBinding(ui::ActionList &actions, ActionBinding &binding, PreviewPanel &preview, TypingKeys &keys,
                       QWidget *window, std::function<void()> refresh);
    ~InlayEditorBinding() override;

    TEditIncrustForm *form() const { return m_form; }
    bool editing() const { return m_editing; }
    // The active file changed: the samples and the personal templates describe the new one.
    void activeChanged(std::shared_ptr<const core::TaviFichier> fichier);

private:
    void open();
    void close();
    void placeBeside();

    ui::ActionList &m_actions;
    PreviewPanel &m_preview;
    TypingKeys &m_keys;
    TEditIncrustForm *m_form;
    std::function<void()> m_refresh;
    bool m_editing = false;
    bool m_placed = false;
};

} // namespace camlog::widgets
