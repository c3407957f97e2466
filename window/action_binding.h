// The one binding from the action list to Qt: a QAction per action, showing its caption, hint,
// keys, check state, enabled and visible states, and running the action when triggered.
#pragma once

#include "headless/actions/action_list.h"
#include "headless/actions/action_refresh.h"

#include <QObject>

#include <string>
#include <string_view>
#include <vector>

class QAction;

namespace camlog::widgets {

// Menus, tool bars and the window's keys all use these QActions, so that every one of them runs
// the same action (TCustomSuperAction::Execute: disabled does nothing, preparation step,
// handler). For the keys to work the window adds actions() to itself (QWidget::addActions).
class ActionBinding : public QObject {
    Q_OBJECT
public:
    explicit ActionBinding(ui::ActionList &actions, QObject *parent = nullptr);

    ui::ActionList &actionList() const { return m_actions; }
    // The QAction of the action of that name (exact case); nullptr when there is none.
    QAction *action(std::string_view name) const;
    // In the order of the action list.
    QList<QAction *> actions() const;

    // Copies the state of every action (or of one) to its QAction. Whoever changes actions
    // outside a run from a QAction calls it; a run from a QAction does it by itself.
    void sync();
    void sync(const ui::TCustomSuperAction &action);

    // The window's action refresh: RefreshActions, "Paste files" enabled only while the clipboard
    // holds files, then sync().
    void refresh(const ui::RefreshInputs &inputs);
    // "Paste files" enabled only while the clipboard holds files (and the action is shown).
    void applyClipboardRule();

signals:
    // Every QAction shows its action's state again.
    void synced();
    // An action ran from its QAction (menu item, tool button, key).
    void executed(const QString &name);

private:
    struct Bound {
        ui::TCustomSuperAction *action;
        QAction *qaction;
        std::string keys;   // the key names last given to the QAction
        int iconState = -1; // the state whose picture the QAction shows: 0, 1, or -1 for none yet
    };

    void apply(Bound &bound);

    ui::ActionList &m_actions;
    std::vector<Bound> m_bound;
};

} // namespace camlog::widgets
