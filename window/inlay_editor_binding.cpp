// The inlay edit mode in the window.
#include "window/inlay_editor_binding.h"

#include "headless/actions/action_list.h"
#include "prefs/current_settings.h"
#include "window/action_binding.h"
#include "window/edit_incrust_form.h"
#include "window/preview_panel.h"
#include "window/typing_keys.h"
#include "window/ui_form.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace camlog::widgets {

InlayEditorBinding::InlayEditorBinding(ui::ActionList &actions, ActionBinding &binding, PreviewPanel &preview,
                                       TypingKeys &keys, QWidget *window, std::function<void()> refresh)
    : QObject(window),
      m_actions(actions),
      m_preview(preview),
      m_keys(keys),
      m_form(new TEditIncrustForm(binding.action("taAfficherIncrustation"), binding.action("taEditerIncrust"), window)),
      m_refresh(std::move(refresh))
{
    m_form->hide();
    m_form->fill(prefs::currentSettings());
    m_form->onChanged = [this] {
        m_preview.inlayChanged();
    };
    m_form->onAutoSize = [this](bool autoSize) {
        m_preview.setInlayAutoSize(autoSize);
    };
    m_form->onClose = [this] {
        if (m_editing)
            if (auto *edit = m_actions.find("taEditerIncrust"))
                edit->Execute();
    };
    m_form->onContentChosen = [this] {
        if (auto *shown = m_actions.find("taAfficherIncrustation"))
            shown->Execute();
    };
    m_preview.onAlignmentChanged = [this] {
        m_form->showAlignment(prefs::currentSettings().alignement);
    };
    if (auto *edit = actions.toggle("taEditerIncrust")) {
        edit->OnfalseExecute = [this](ui::TCustomSuperAction &, ui::ActionSender) {
            open();
        };
        edit->OnTrueExecute = [this](ui::TCustomSuperAction &, ui::ActionSender) {
            close();
        };
        edit->SetChecked(false);
    }
}

InlayEditorBinding::~InlayEditorBinding() = default;

void InlayEditorBinding::activeChanged(std::shared_ptr<const core::TaviFichier> fichier)
{
    m_form->setActiveFile(std::move(fichier));
}

void InlayEditorBinding::open()
{
    if (m_editing)
        return;
    m_editing = true;
    const prefs::Settings opened = prefs::currentSettings();
    m_form->keepForCancel(opened);
    m_form->fill(opened);
    if (!opened.isIncrustOn)
        if (auto *shown = m_actions.find("taAfficherIncrustation"))
            shown->Execute();
    prefs::Settings s = prefs::currentSettings();
    s.incrustSlidersVisible = true;
    prefs::setCurrentSettings(std::move(s));
    m_preview.setInlayEditing(true);
    m_keys.hold();
    if (!m_placed) {
        m_placed = true;
        placeBeside();
    }
    m_form->show();
    m_form->raise();
    if (auto *edit = m_actions.toggle("taEditerIncrust"))
        edit->SetChecked(true);
    if (m_refresh)
        m_refresh();
}

// The editor stands beside the window on the side of the list, kept on the screen: it may hide
// the list, never the picture it changes.
void InlayEditorBinding::placeBeside()
{
    auto *window = qobject_cast<TUIForm *>(parent());
    if (window == nullptr || window->screen() == nullptr)
        return;
    m_form->adjustSize();
    const QRect screen = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QSize size = m_form->frameGeometry().size();
    int x = window->listOnLeft() ? frame.left() - size.width() : frame.right() + 1;
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    const int y = std::clamp(frame.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    m_form->move(x, y);
}

void InlayEditorBinding::close()
{
    if (!m_editing)
        return;
    m_editing = false;
    prefs::Settings s = prefs::currentSettings();
    s.incrustSlidersVisible = false;
    prefs::setCurrentSettings(std::move(s));
    m_preview.setInlayEditing(false);
    m_keys.release();
    m_form->hide();
    if (auto *edit = m_actions.toggle("taEditerIncrust"))
        edit->SetChecked(false);
    if (m_refresh)
        m_refresh();
}

} // namespace camlog::widgets
