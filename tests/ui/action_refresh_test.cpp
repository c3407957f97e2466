// When actions are shown and enabled, and when the menus that hold them are.
#include "headless/actions/action_menus.h"
#include "headless/actions/action_refresh.h"
#include "headless/actions/action_toolbars.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace camlog::ui {
namespace {

TEST(CategoryAvailability, ByCategoryAndPanels)
{
    struct Case {
        const char *category;
        PanelState panels;
        bool visible;
    };
    const PanelState none{};
    const PanelState empty{.emptyListPanel = true};
    const PanelState about{.aboutPanel = true};
    const PanelState settings{.settingsPanel = true};
    const Case cases[] = {
        {"permanent", none, true},     {"permanent", empty, true}, {"permanent", about, true},
        {"permanent", settings, true}, {"open", none, true},       {"open", empty, true},
        {"open", about, false},        {"open", settings, false},  {"list", none, true},
        {"list", empty, false},        {"mono", about, false},     {"multi", settings, false},
        {"Naviguer", empty, false},    {"Scenes", none, true},     {"tri", empty, false},
        {"Renommer", none, true},
    };
    for (const Case &c : cases) {
        const Availability a = CategoryAvailability(c.category, c.panels);
        EXPECT_EQ(a, (Availability{c.visible, c.visible})) << c.category;
    }
}

TEST(ApplyCommandFacts, ConditionsNarrowTheCategoryResult)
{
    struct Case {
        const char *what;
        CommandFacts facts;
        Availability expected;
    };
    const FileVerdict yes{true, true};
    const FileVerdict no{true, false};
    const FileVerdict hidden{false, false};
    const Case cases[] = {
        {"command condition false hides but keeps enabled", {false, FileScope::None, {}}, {false, true}},
        {"command condition true", {true, FileScope::None, {}}, {true, true}},
        {"single without file condition", {{}, FileScope::Single, {}}, {true, true}},
        {"single, active file refused", {{}, FileScope::Single, {no}}, {true, false}},
        {"single, active file hides", {{}, FileScope::Single, {hidden}}, {false, false}},
        {"select, nothing selected", {{}, FileScope::Select, {}}, {true, false}},
        {"select, one of two applies", {{}, FileScope::Select, {no, yes}}, {true, true}},
        {"select, none applies; visibility kept", {{}, FileScope::Select, {hidden, no}}, {true, false}},
        {"all, one applies", {{}, FileScope::All, {no, no, yes}}, {true, true}},
    };
    for (const Case &c : cases) {
        Availability a{true, true};
        ApplyCommandFacts(c.facts, a);
        EXPECT_EQ(a, c.expected) << c.what;
    }
    // A hidden category stays hidden and disabled whatever the command says.
    Availability hiddenByCategory{false, false};
    ApplyCommandFacts({true, FileScope::Select, {yes}}, hiddenByCategory);
    EXPECT_EQ(hiddenByCategory, (Availability{false, false}));
}

// Commands whose facts the test gives by name; others are unknown.
class FakeCommands : public CommandConditions {
public:
    std::map<std::string, CommandFacts> facts;
    std::optional<CommandFacts> commandFacts(std::string_view name) const override
    {
        const auto it = facts.find(std::string(name));
        if (it == facts.end())
            return std::nullopt;
        return it->second;
    }
};

TEST(RefreshActions, EmptyListShowsOnlyPermanentAndOpenActions)
{
    ActionList al;
    for (const auto &action : al.actions())
        action->setVisible(false);
    RefreshActions(al, {.panels = {.emptyListPanel = true}});
    for (const auto &action : al.actions()) {
        SCOPED_TRACE(action->Name());
        if (action->Name().starts_with("saBarre")) {
            EXPECT_FALSE(action->Visible()); // the layout owns the tool-bar actions
            continue;
        }
        const bool expected = action->Category() == "permanent" || action->Category() == "open";
        EXPECT_EQ(action->Visible(), expected);
        EXPECT_EQ(action->Enabled(), expected);
    }
    // The prefix test is case-exact: this one is refreshed like any permanent action.
    EXPECT_TRUE(al.find("sabarreOuvrir")->Visible());
}

TEST(RefreshActions, CommandActionsFollowTheirCommands)
{
    ActionList al;
    FakeCommands commands;
    commands.facts["Convertir4x3"] = {{}, FileScope::Select, {{true, false}}};
    commands.facts["Convertir16x9"] = {{}, FileScope::Select, {{true, false}, {true, true}}};
    commands.facts["VisitBlog"] = {false, FileScope::None, {}};
    RefreshActions(al, {.panels = {}, .activeFileSizeKnown = true, .commands = &commands});
    EXPECT_FALSE(al.find("ccConvertir4x3")->Enabled());
    EXPECT_TRUE(al.find("ccConvertir16x9")->Enabled());
    EXPECT_FALSE(al.find("ccVisitBlog")->Visible());
    EXPECT_TRUE(al.find("ccRenommer")->Enabled()); // no such command here: category only
    EXPECT_TRUE(al.find("saPlayStop")->Enabled()); // not a command action
}

TEST(RefreshActions, EditTheScenesNeedsAFileOfKnownSize)
{
    ActionList al;
    RefreshActions(al, {.panels = {}, .activeFileSizeKnown = false});
    EXPECT_TRUE(al.find("taEditerScenes")->Visible());
    EXPECT_FALSE(al.find("taEditerScenes")->Enabled());
    RefreshActions(al, {.panels = {}, .activeFileSizeKnown = true});
    EXPECT_TRUE(al.find("taEditerScenes")->Enabled());
}

TEST(Menus, EveryMenuItemIsAnActionOfTheCatalogue)
{
    std::vector<const MenuDef *> menus{&MainPopupLayout(), &ListPopupLayout(), &VideoPanelPopupLayout()};
    for (const MenuDef &menu : MainMenuLayout())
        menus.push_back(&menu);
    for (const MenuDef *menu : menus) {
        int depth = 0;
        for (const MenuEntry &entry : menu->entries) {
            if (entry.kind == MenuEntryKind::Action) {
                EXPECT_NE(FindActionByName(entry.text), nullptr) << menu->name << ": " << entry.text;
            }
            depth += entry.kind == MenuEntryKind::SubmenuBegin ? 1 : entry.kind == MenuEntryKind::SubmenuEnd ? -1 : 0;
            EXPECT_GE(depth, 0) << menu->name;
        }
        EXPECT_EQ(depth, 0) << menu->name;
    }
}

TEST(ToolBars, EveryButtonAndEveryBarToggleIsAnActionOfTheCatalogue)
{
    std::vector<std::string_view> names;
    for (const ToolBarDef &bar : ToolBarLayouts()) {
        names.push_back(bar.name);
        EXPECT_NE(FindActionByName(bar.toggleAction), nullptr) << bar.name;
        EXPECT_FALSE(bar.actions.empty()) << bar.name;
        for (std::string_view action : bar.actions)
            EXPECT_NE(FindActionByName(action), nullptr) << bar.name << ": " << action;
        EXPECT_EQ(FindToolBar(bar.name), &bar);
    }
    EXPECT_EQ(names, (std::vector<std::string_view>{"tbOuvrir", "tbVideo", "tbInterface", "tbScenes", "tbListe"}));
    EXPECT_FALSE(FindToolBar("tbScenes")->shownAtStart); // the scene editor's bar
    EXPECT_EQ(FindToolBar("nothing"), nullptr);
}

TEST(Menus, WithAnEmptyListTheFileMenusDisappear)
{
    ActionList al;
    RefreshActions(al, {.panels = {.emptyListPanel = true}});
    const auto visible = [&](std::string_view name) {
        return al.find(name)->Visible();
    };
    std::map<std::string, bool> shown;
    for (const MenuDef &menu : MainMenuLayout())
        shown[std::string(menu.name)] = MenuVisible(menu, visible);
    const std::map<std::string, bool> expected = {{"Files", true},   {"Display", true},  {"Video", false},
                                                  {"Rename", false}, {"Convert", false}, {"Inlay", false},
                                                  {"Scenes", false}, {"?", true}};
    EXPECT_EQ(shown, expected);

    RefreshActions(al, {.panels = {}});
    for (const MenuDef &menu : MainMenuLayout())
        EXPECT_TRUE(MenuVisible(menu, visible)) << menu.name;
}

} // namespace
} // namespace camlog::ui
