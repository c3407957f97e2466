// The binding of the action list to QActions, checked against the catalogue: captions, hints, keys,
// check states, and the enabled and visible states of the refresh rule reaching menus and keys.
#include "window/action_binding.h"
#include "window/key_names.h"

#include "headless/actions/action_catalogue.h"
#include "headless/actions/action_list.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>

namespace camlog::widgets {
namespace {

using ui::ActionCatalogue;
using ui::ActionList;

QKeySequence Keys(Qt::KeyboardModifiers modifiers, Qt::Key key)
{
    return QKeySequence(QKeyCombination(modifiers, key));
}

TEST(KeyNames, CatalogueKeyNamesBecomeQtKeySequences)
{
    const struct {
        const char *name;
        QList<QKeySequence> expected;
    } cases[] = {
        {"Ctrl+O", {Keys(Qt::ControlModifier, Qt::Key_O)}},
        {"Ctrl+Num 1", {Keys(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_1)}},
        {"Ctrl+Shift+2", {Keys(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_2)}},
        {"Alt+Enter", {Keys(Qt::AltModifier, Qt::Key_Return), Keys(Qt::AltModifier, Qt::Key_Enter)}},
        {"Ctrl+Enter", {Keys(Qt::ControlModifier, Qt::Key_Return), Keys(Qt::ControlModifier, Qt::Key_Enter)}},
        {"Num +", {Keys(Qt::KeypadModifier, Qt::Key_Plus)}},
        {"Num -", {Keys(Qt::KeypadModifier, Qt::Key_Minus)}},
        {"Ctrl+PgDn", {Keys(Qt::ControlModifier, Qt::Key_PageDown)}},
        {"Ctrl+PgUp", {Keys(Qt::ControlModifier, Qt::Key_PageUp)}},
        {"Shift+Del", {Keys(Qt::ShiftModifier, Qt::Key_Delete)}},
        {"Del", {Keys(Qt::NoModifier, Qt::Key_Delete)}},
        {"Esc", {Keys(Qt::NoModifier, Qt::Key_Escape)}},
        {"Shift+Esc", {Keys(Qt::ShiftModifier, Qt::Key_Escape)}},
        {"Ctrl+$", {Keys(Qt::ControlModifier, Qt::Key_Dollar)}},
        {"Ctrl+Shift+$", {Keys(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Dollar)}},
        {"Alt+F4", {Keys(Qt::AltModifier, Qt::Key_F4)}},
        {"Space", {Keys(Qt::NoModifier, Qt::Key_Space)}},
        {"Ctrl+Right", {Keys(Qt::ControlModifier, Qt::Key_Right)}},
        {"Ctrl+Home", {Keys(Qt::ControlModifier, Qt::Key_Home)}},
        {"F11", {Keys(Qt::NoModifier, Qt::Key_F11)}},
        {"", {}},
        {"Ctrl+", {}},
        {"Bogus", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(KeySequencesFromKeyName(c.name), c.expected) << c.name;
}

TEST(ActionBinding, EveryActionOfTheCatalogueHasItsQActionWithCaptionHintAndKeys)
{
    ActionList al;
    ActionBinding binding(al);
    const QList<QAction *> actions = binding.actions();
    ASSERT_EQ(static_cast<std::size_t>(actions.size()), ActionCatalogue().size());
    for (std::size_t i = 0; i < ActionCatalogue().size(); ++i) {
        const ui::ActionDef &def = ActionCatalogue()[i];
        const QAction *action = actions[static_cast<qsizetype>(i)];
        const std::string name(def.name);
        EXPECT_EQ(action->objectName().toStdString(), name);
        EXPECT_EQ(binding.action(def.name), action) << name;
        EXPECT_EQ(action->text().toStdString(), ui::FormatWithProgramName(def.caption)) << name;
        const std::string hint =
            def.hint.empty() ? ui::FormatWithProgramName(def.caption) : ui::FormatWithProgramName(def.hint);
        EXPECT_EQ(action->toolTip().toStdString(), hint) << name;

        QList<QKeySequence> keys;
        if (!def.shortcut.empty()) {
            keys = KeySequencesFromKeyName(def.shortcut);
            EXPECT_FALSE(keys.isEmpty()) << name << ": unknown key name " << def.shortcut;
        }
        for (std::string_view secondary : def.secondaryShortcuts()) {
            const QList<QKeySequence> more = KeySequencesFromKeyName(secondary);
            EXPECT_FALSE(more.isEmpty()) << name << ": unknown key name " << secondary;
            keys.append(more);
        }
        EXPECT_EQ(action->shortcuts(), keys) << name;
        EXPECT_EQ(action->isCheckable(), def.isToggle()) << name;
        EXPECT_FALSE(action->isChecked()) << name;
        EXPECT_TRUE(action->isEnabled()) << name;
        EXPECT_TRUE(action->isVisible()) << name;
    }
    EXPECT_EQ(binding.action("nothing"), nullptr);

    EXPECT_EQ(binding.action("saQuitter")->toolTip(), "Quit Camlog");
    EXPECT_EQ(binding.action("ccVisitHomepage")->text(), "Visit the homepage of Camlog");
    EXPECT_EQ(binding.action("ccConvertirDV1")->shortcuts(),
              (QList<QKeySequence>{Keys(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_1),
                                   Keys(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_1)}));
}

// Qt runs neither action of a key bound twice: every key must belong to one action only.
TEST(ActionBinding, NoKeyStartsTwoActions)
{
    ActionList al;
    ActionBinding binding(al);
    std::map<QString, QString> owner;
    for (const QAction *action : binding.actions()) {
        for (const QKeySequence &keys : action->shortcuts()) {
            const auto [it, added] = owner.emplace(keys.toString(), action->objectName());
            EXPECT_TRUE(added) << keys.toString().toStdString() << " belongs to " << it->second.toStdString() << " and "
                               << action->objectName().toStdString();
        }
    }
}

TEST(ActionBinding, TheActionsStateReachesItsQAction)
{
    ActionList al;
    ActionBinding binding(al);
    QSignalSpy synced(&binding, &ActionBinding::synced);

    al.toggle("taBasculerListe")->SetChecked(true);
    al.find("ccRenommer")->setEnabled(false);
    al.find("saPlayStop")->setVisible(false);
    binding.sync();
    EXPECT_EQ(synced.count(), 1);
    EXPECT_EQ(binding.action("taBasculerListe")->text(), "Hide the list");
    EXPECT_TRUE(binding.action("taBasculerListe")->isChecked());
    EXPECT_FALSE(binding.action("ccRenommer")->isEnabled());
    EXPECT_FALSE(binding.action("saPlayStop")->isVisible());

    // A plain action that is checked once (a tool bar shown) keeps its check box.
    al.find("saBarreListe")->SetChecked(true);
    binding.sync(*al.find("saBarreListe"));
    EXPECT_TRUE(binding.action("saBarreListe")->isCheckable());
    EXPECT_TRUE(binding.action("saBarreListe")->isChecked());
    al.find("saBarreListe")->SetChecked(false);
    binding.sync(*al.find("saBarreListe"));
    EXPECT_TRUE(binding.action("saBarreListe")->isCheckable());
    EXPECT_FALSE(binding.action("saBarreListe")->isChecked());
}

TEST(ActionBinding, TriggeringRunsTheActionAndShowsTheStateItsHandlerLeft)
{
    ActionList al;
    ActionBinding binding(al);
    QSignalSpy executed(&binding, &ActionBinding::executed);
    ui::TtoggleAction &mute = *al.toggle("taMute");
    int off = 0, on = 0;
    mute.OnfalseExecute = [&](ui::TCustomSuperAction &a, ui::ActionSender) {
        ++off;
        a.SetChecked(true);
    };
    mute.OnTrueExecute = [&](ui::TCustomSuperAction &a, ui::ActionSender) {
        ++on;
        a.SetChecked(false);
    };

    QAction &action = *binding.action("taMute");
    action.trigger();
    EXPECT_EQ(off, 1);
    EXPECT_EQ(action.text(), "Turn sound on");
    EXPECT_TRUE(action.isChecked());
    action.trigger();
    EXPECT_EQ(on, 1);
    EXPECT_EQ(action.text(), "Turn sound off");
    EXPECT_FALSE(action.isChecked());
    ASSERT_EQ(executed.count(), 2);
    EXPECT_EQ(executed.at(0).at(0).toString(), "taMute");

    // A handler that leaves the state alone: the check mark Qt flipped is put back.
    ui::TtoggleAction &deinterlace = *al.toggle("taDeinterlace");
    int runs = 0;
    deinterlace.OnfalseExecute = [&](ui::TCustomSuperAction &, ui::ActionSender) {
        ++runs;
    };
    binding.action("taDeinterlace")->trigger();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(binding.action("taDeinterlace")->isChecked());

    // A cancelled preparation step runs no handler.
    int opened = 0;
    al.plain("saOuvrirFichiers")->Onexecute = [&](ui::TCustomSuperAction &, ui::ActionSender) {
        ++opened;
    };
    al.plain("saOuvrirFichiers")->Onprepare = [](ui::TCustomSuperAction &a) {
        a.parameters().proceed = false;
    };
    binding.action("saOuvrirFichiers")->trigger();
    EXPECT_EQ(opened, 0);
}

// Keys pressed in the window: an action hidden or disabled by the refresh rule does nothing.
TEST(ActionBinding, AnActionDisabledByTheRefreshDoesNothingWhenItsKeyIsPressed)
{
    ActionList al;
    ActionBinding binding(al);
    int selected = 0, quit = 0;
    al.plain("saSelectionnerTout")->Onexecute = [&](ui::TCustomSuperAction &, ui::ActionSender) {
        ++selected;
    };
    al.plain("saQuitter")->Onexecute = [&](ui::TCustomSuperAction &, ui::ActionSender) {
        ++quit;
    };

    QWidget window;
    window.addActions(binding.actions());
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    binding.refresh({.panels = {}, .activeFileSizeKnown = true});
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selected, 1);

    binding.refresh({.panels = {.emptyListPanel = true}}); // "Select all" is a list action
    EXPECT_FALSE(binding.action("saSelectionnerTout")->isVisible());
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selected, 1);
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier); // permanent: still there
    EXPECT_EQ(quit, 1);

    binding.refresh({.panels = {}, .activeFileSizeKnown = true});
    al.find("saSelectionnerTout")->setEnabled(false);
    binding.sync();
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selected, 1);
}

TEST(ActionBinding, PasteFilesIsEnabledWhileTheClipboardHoldsFiles)
{
    ActionList al;
    ActionBinding binding(al);
    QClipboard &clipboard = *QGuiApplication::clipboard();
    const QAction &paste = *binding.action("saCollerFichiers");

    clipboard.setText(QStringLiteral("just text"));
    binding.refresh({});
    EXPECT_TRUE(paste.isVisible());
    EXPECT_FALSE(paste.isEnabled());

    auto *files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QStringLiteral("/videos/a.avi"))});
    clipboard.setMimeData(files); // followed at once, without a refresh
    EXPECT_TRUE(paste.isEnabled());

    auto *web = new QMimeData;
    web->setUrls({QUrl(QStringLiteral("https://example.org/a.avi"))});
    clipboard.setMimeData(web);
    EXPECT_FALSE(paste.isEnabled());

    auto *gnome = new QMimeData;
    gnome->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\nfile:///videos/b.avi\n");
    clipboard.setMimeData(gnome);
    EXPECT_TRUE(paste.isEnabled());

    binding.refresh({.panels = {.aboutPanel = true}}); // hidden with the about panel
    EXPECT_FALSE(paste.isVisible());
    EXPECT_FALSE(paste.isEnabled());
    clipboard.clear();
}

} // namespace
} // namespace camlog::widgets
