// The inlay edit mode in the window.
#include "ui/widgets/inlay_editor_binding.h"

#include "prefs/current_settings.h"
#include "ui/actions/action_list.h"
#include "ui/widgets/action_binding.h"
#include "ui/widgets/edit_incrust_form.h"
#include "ui/widgets/preview_panel.h"
#include "ui/widgets/typing_keys.h"

#include <QWidget>

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
    m_form->show();
    m_form->raise();
    if (auto *edit = m_actions.toggle("taEditerIncrust"))
        edit->SetChecked(true);
    if (m_refresh)
        m_refresh();
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
