// The tool bars from their layouts.
#include "window/tool_bars.h"

#include "headless/actions/action_toolbars.h"
#include "window/action_binding.h"

#include <QAction>
#include <QToolBar>

namespace camlog::widgets {

namespace {
constexpr int kIconSize = 16;

QString qtext(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

ToolBars::ToolBars(ActionBinding &binding, QWidget *parent) : QObject(parent), m_binding(binding)
{
    for (const ui::ToolBarDef &layout : ui::ToolBarLayouts()) {
        auto *bar = new QToolBar(qtext(layout.caption), parent);
        bar->setObjectName(qtext(layout.name));
        bar->setMovable(false);
        // Small pictures, as the one-row dock above the panels has room for: every button of
        // the four bars shown at start fits the narrowest normal window.
        bar->setIconSize(QSize(kIconSize, kIconSize));
        for (std::string_view name : layout.actions)
            if (QAction *action = binding.action(name))
                bar->addAction(action);
        bar->setVisible(layout.shownAtStart);
        // Hidden-by-parent changes are not the user's: the check mark follows the bar's own flag.
        const std::string_view toggle = layout.toggleAction;
        const auto follow = [this, bar, toggle] {
            if (ui::TCustomSuperAction *action = m_binding.actionList().find(toggle)) {
                action->SetChecked(!bar->isHidden());
                m_binding.sync(*action);
            }
        };
        // Its entry in the "Tool bars" menu shows or hides it.
        if (auto *entry = dynamic_cast<ui::TSuperAction *>(m_binding.actionList().find(toggle)))
            entry->Onexecute = [bar](ui::TCustomSuperAction &, ui::ActionSender) {
                bar->setVisible(bar->isHidden());
            };
        connect(bar, &QToolBar::visibilityChanged, this, follow);
        follow();
        m_bars.append(bar);
    }
}

QToolBar *ToolBars::bar(std::string_view name) const
{
    const QString wanted = qtext(name);
    for (QToolBar *bar : m_bars)
        if (bar->objectName() == wanted)
            return bar;
    return nullptr;
}

} // namespace camlog::widgets
