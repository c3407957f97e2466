// The action objects: execution with preparation, the two states of toggles, script calls.
#include "headless/actions/action_list.h"
#include "headless/actions/action_list_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace camlog::ui {
namespace {

// Records which handler ran, with the parameters it saw.
struct Log {
    std::vector<std::string> entries;
    ActionHandler record(std::string what)
    {
        return [this, what](TCustomSuperAction &action, ActionSender sender) {
            std::string entry = what + (sender == ActionSender::Runner ? " by runner" : "");
            for (const std::string &p : action.parameters().list)
                entry += " [" + p + "]";
            entries.push_back(entry);
        };
    }
};

TEST(SuperAction, SwitchAndTokenAreStoredLowerCase)
{
    ActionList al;
    TCustomSuperAction &quit = *al.find("saQuitter");
    quit.setSwitch("QT");
    quit.setToken("QuIt");
    EXPECT_EQ(quit.Switch(), "qt");
    EXPECT_EQ(quit.Token(), "quit");
    EXPECT_EQ(quit.Caption(), "Quit");
    EXPECT_EQ(quit.Hint(), "Quit Camlog");
    EXPECT_EQ(al.find("ccVisitHomepage")->Caption(), "Visit the homepage of Camlog");
    EXPECT_EQ(quit.SecondaryShortcuts(), std::vector<std::string>{"Ctrl+Q"});
}

TEST(SuperAction, ExecuteRunsPrepareThenHandlerWithItsParameters)
{
    ActionList al;
    Log log;
    TSuperAction &open = *al.plain("saOuvrirFichiers");
    al.parameters().list = {"stale"};
    open.Onprepare = [](TCustomSuperAction &action) {
        EXPECT_TRUE(action.parameters().proceed);
        EXPECT_TRUE(action.parameters().list.empty());
        action.parameters().list = {"a.avi", "b.avi"};
    };
    open.Onexecute = log.record("open");
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(log.entries, std::vector<std::string>{"open [a.avi] [b.avi]"});
}

TEST(SuperAction, CancelledPreparationRunsNothing)
{
    ActionList al;
    Log log;
    TSuperAction &open = *al.plain("saOuvrirFichiers");
    open.Onprepare = [](TCustomSuperAction &action) {
        action.parameters().proceed = false;
    };
    open.Onexecute = log.record("open");
    EXPECT_FALSE(open.Execute());
    EXPECT_TRUE(log.entries.empty());
}

TEST(SuperAction, DisabledActionDoesNothing)
{
    ActionList al;
    Log log;
    TSuperAction &rename = *al.plain("ccRenommer");
    bool prepared = false;
    rename.Onprepare = [&](TCustomSuperAction &) {
        prepared = true;
    };
    rename.Onexecute = log.record("rename");
    rename.setEnabled(false);
    EXPECT_FALSE(rename.Execute());
    EXPECT_FALSE(prepared);
    EXPECT_TRUE(log.entries.empty());
}

TEST(ToggleAction, SetCheckedSelectsCaptionHintImageAndHandler)
{
    ActionList al;
    Log log;
    TtoggleAction &list = *al.toggle("taBasculerListe");
    list.TrueImageIndex = 7;
    list.FalseImageIndex = 3;
    list.OnTrueExecute = log.record("hide");
    list.OnfalseExecute = log.record("show");
    std::vector<int> images;
    list.OnImageChanged = [&](int index) {
        images.push_back(index);
    };

    EXPECT_EQ(list.Caption(), "Show the list");
    list.SetChecked(true);
    EXPECT_TRUE(list.Checked());
    EXPECT_EQ(list.Caption(), "Hide the list");
    EXPECT_EQ(list.imageindex(), 7);
    list.SetChecked(true); // same image: no second notice
    list.SetChecked(false);
    EXPECT_EQ(list.Caption(), "Show the list");
    EXPECT_EQ(images, (std::vector<int>{7, 3}));
    list.CallHandler(ActionSender::Action);
    EXPECT_EQ(log.entries, std::vector<std::string>{"show"});
}

TEST(ToggleAction, ExecuteRunsTheHandlerOfTheStateThePreparationFound)
{
    ActionList al;
    Log log;
    TtoggleAction &list = *al.toggle("taBasculerListe");
    bool listShown = true;
    list.OnTrueExecute = [&](TCustomSuperAction &action, ActionSender) {
        listShown = false;
        action.SetChecked(false);
    };
    list.OnfalseExecute = [&](TCustomSuperAction &action, ActionSender) {
        listShown = true;
        action.SetChecked(true);
    };
    list.Onprepare = [&](TCustomSuperAction &action) {
        action.SetChecked(listShown);
    };

    list.Execute();
    EXPECT_FALSE(listShown);
    EXPECT_EQ(list.Caption(), "Show the list");
    list.Execute();
    EXPECT_TRUE(listShown);
    EXPECT_EQ(list.Caption(), "Hide the list");
}

TEST(ToggleAction, AutoCheckFlipsTheFlagButNotTheSelectedHandler)
{
    ActionList al;
    Log log;
    TtoggleAction &mute = *al.toggle("taMute");
    mute.OnTrueExecute = log.record("sound on");
    mute.OnfalseExecute = log.record("sound off");
    mute.setAutoCheck(true);
    mute.Execute();
    EXPECT_TRUE(mute.Checked());
    EXPECT_EQ(log.entries, std::vector<std::string>{"sound off"});
    mute.Execute(); // re-applies the stored state first, so the other handler runs now
    EXPECT_FALSE(mute.Checked());
    EXPECT_EQ(log.entries, (std::vector<std::string>{"sound off", "sound on"}));
}

TEST(ApplyCall, ModesSelectTheStateWhoseHandlerRuns)
{
    struct Case {
        bool stateBefore;
        CallMode mode;
        const char *expected;
    };
    const Case cases[] = {
        {false, CallMode::On, "show by runner [x]"},     {true, CallMode::On, "show by runner [x]"},
        {false, CallMode::Off, "hide by runner [x]"},    {true, CallMode::Off, "hide by runner [x]"},
        {false, CallMode::Toggle, "show by runner [x]"}, {true, CallMode::Toggle, "hide by runner [x]"},
        {false, CallMode::None, "show by runner [x]"},   {true, CallMode::None, "hide by runner [x]"},
    };
    for (const Case &c : cases) {
        ActionList al;
        Log log;
        TtoggleAction &list = *al.toggle("taBasculerListe");
        list.OnTrueExecute = log.record("hide");
        list.OnfalseExecute = log.record("show");
        list.SetChecked(c.stateBefore);
        al.parameters().list = {"old", "older"};
        ApplyCall(list, c.mode, "x");
        EXPECT_EQ(log.entries, std::vector<std::string>{c.expected}) << static_cast<int>(c.mode) << c.stateBefore;
    }
}

TEST(ApplyCall, PlainActionGetsOneParameterEvenWhenEmptyAndRunsWhateverTheMode)
{
    for (CallMode mode : {CallMode::On, CallMode::Off, CallMode::Toggle, CallMode::None}) {
        ActionList al;
        Log log;
        TSuperAction &quit = *al.plain("saQuitter");
        quit.Onexecute = log.record("quit");
        bool prepared = false;
        quit.Onprepare = [&](TCustomSuperAction &) {
            prepared = true;
        };
        ApplyCall(quit, mode, "");
        EXPECT_EQ(log.entries, std::vector<std::string>{"quit by runner []"});
        EXPECT_FALSE(prepared);
        EXPECT_EQ(quit.Checked(), mode == CallMode::Off);
    }
}

TEST(ActionListRunner, SkipsDisabledActionsAndWaitsForTheBusyFlag)
{
    ActionList al;
    Log log;
    al.plain("ccRenommer")->Onexecute = log.record("rename");
    bool busy = false;
    al.plain("saOuvrirunDossier")->Onexecute = [&](TCustomSuperAction &, ActionSender) {
        log.entries.push_back("open");
        busy = true;
    };
    al.plain("saSelectionnerTout")->Onexecute = log.record("select");
    std::vector<std::string> hooks;
    std::vector<RunReport> reports;
    RunnerHooks runnerHooks{[&] { hooks.push_back("refresh"); }, [&] { return busy; },
                            [&](const RunReport &report) {
                                reports.push_back(report);
                            }};
    ActionListRunner runner(al, runnerHooks);
    ScriptRunner scripts(runner);
    al.find("ccRenommer")->setEnabled(false);
    const std::vector<ActionCall> calls = {{FindActionByName("ccRenommer"), CallMode::None, ""},
                                           {FindActionByName("saOuvrirunDossier"), CallMode::None, "/v"},
                                           {FindActionByName("saSelectionnerTout"), CallMode::None, "p"}};
    scripts.RunCalls(calls);
    EXPECT_EQ(log.entries, std::vector<std::string>{"open"});
    EXPECT_TRUE(reports.empty());
    busy = false;
    scripts.Continue();
    EXPECT_EQ(log.entries, (std::vector<std::string>{"open", "select by runner [p]"}));
    // The states are brought up to date before every call.
    EXPECT_EQ(hooks, (std::vector<std::string>{"refresh", "refresh", "refresh"}));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].ran, 2u);
    EXPECT_EQ(reports[0].skipped, 1u);
}

} // namespace
} // namespace camlog::ui
