// QActions for the action list, kept in step with it.
#include "window/action_binding.h"

#include "window/action_icons.h"
#include "window/file_urls.h"
#include "window/key_names.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace camlog::widgets {

namespace {

constexpr std::string_view kPasteFiles = "saCollerFichiers";

QString qtext(const std::string &text)
{
    return QString::fromStdString(text);
}

// A caption shown by a menu item: "&" would mark the next letter as the item's mnemonic.
QString menuText(const std::string &caption)
{
    return qtext(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

ActionBinding::ActionBinding(ui::ActionList &actions, QObject *parent) : QObject(parent), m_actions(actions)
{
    UseFallbackIconTheme();
    m_bound.reserve(actions.actions().size());
    for (const auto &action : actions.actions()) {
        auto *qaction = new QAction(this);
        qaction->setObjectName(QString::fromUtf8(action->Name().data(), static_cast<qsizetype>(action->Name().size())));
        ui::TCustomSuperAction *raw = action.get();
        connect(qaction, &QAction::triggered, this, [this, raw, qaction] {
            raw->Execute();
            sync(); // the handler may have changed any action, not only this one
            emit executed(qaction->objectName());
        });
        m_bound.push_back({raw, qaction, {}, -1});
    }
    sync();
    if (QGuiApplication::instance() != nullptr) {
        // "Paste files" follows the clipboard while the program runs.
        const auto followClipboard = [this] {
            applyClipboardRule();
            if (const ui::TCustomSuperAction *paste = m_actions.find(kPasteFiles))
                sync(*paste);
        };
        connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, followClipboard);
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                [followClipboard](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive)
                        followClipboard();
                });
    }
}

QAction *ActionBinding::action(std::string_view name) const
{
    for (const Bound &bound : m_bound)
        if (bound.action->Name() == name)
            return bound.qaction;
    return nullptr;
}

QList<QAction *> ActionBinding::actions() const
{
    QList<QAction *> list;
    list.reserve(static_cast<qsizetype>(m_bound.size()));
    for (const Bound &bound : m_bound)
        list.append(bound.qaction);
    return list;
}

void ActionBinding::apply(Bound &bound)
{
    const ui::TCustomSuperAction &action = *bound.action;
    QAction &qaction = *bound.qaction;
    qaction.setText(menuText(action.Caption()));
    const QString hint = action.Hint().empty() ? qtext(action.Caption()) : qtext(action.Hint());
    qaction.setToolTip(hint);
    qaction.setStatusTip(hint);

    std::string keys = action.ShortCut();
    for (const std::string &key : action.SecondaryShortcuts())
        keys += '\n' + key;
    if (keys != bound.keys) {
        QList<QKeySequence> sequences = KeySequencesFromKeyName(action.ShortCut());
        for (const std::string &key : action.SecondaryShortcuts())
            sequences.append(KeySequencesFromKeyName(key));
        qaction.setShortcuts(sequences);
        bound.keys = std::move(keys);
    }

    // Toggles show their state as a check mark; a plain action once it has been checked (the
    // tool-bar entries of the "Tool bars" menu).
    if (action.definition().isToggle() || action.Checked() || action.AutoCheck())
        qaction.setCheckable(true);
    if (qaction.isCheckable())
        qaction.setChecked(action.Checked());
    // The picture of the state, as a toggle changes its caption.
    const int iconState = action.Checked() ? 1 : 0;
    if (iconState != bound.iconState) {
        qaction.setIcon(ActionIcon(action.Name(), action.Checked()));
        bound.iconState = iconState;
    }
    qaction.setEnabled(action.Enabled());
    qaction.setVisible(action.Visible());
}

void ActionBinding::sync()
{
    for (Bound &bound : m_bound)
        apply(bound);
    emit synced();
}

void ActionBinding::sync(const ui::TCustomSuperAction &action)
{
    for (Bound &bound : m_bound)
        if (bound.action == &action)
            apply(bound);
    emit synced();
}

void ActionBinding::applyClipboardRule()
{
    ui::TCustomSuperAction *paste = m_actions.find(kPasteFiles);
    if (paste == nullptr)
        return;
    const bool holdsFiles = QGuiApplication::instance() != nullptr && ClipboardHoldsFiles();
    paste->setEnabled(paste->Visible() && holdsFiles);
}

void ActionBinding::refresh(const ui::RefreshInputs &inputs)
{
    ui::RefreshActions(m_actions, inputs);
    applyClipboardRule();
    sync();
}

} // namespace camlog::widgets
