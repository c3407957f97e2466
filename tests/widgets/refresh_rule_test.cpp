// The refresh rule seen through the window's QActions, on a session's list of real files: with
// no file, with a file that is not DV, and with a DV file.
#include "window/action_binding.h"

#include "headless/session/command_module.h"
#include "headless/session/session.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "support/test_files.h"

#include <QAction>
#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace camlog::widgets {
namespace {

// Runs the session's hand-offs on the test's event loop; answers No; shows nothing.
class QuietHost : public session::SessionHost {
public:
    void post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
    }
    engine::TAnswer askQuestion(const std::string &, engine::TQuestionButtons) override { return engine::TAnswer::No; }
    void commandMessage(const std::string &) override {}
    void commandError(const std::string &) override {}
    void startProgress(int) override {}
    void setProgress(int) override {}
    void endProgress() override {}
    void note(session::NoteKind, const std::string &) override {}
    void report(session::ReportKind, const std::string &) override {}
};

class RefreshRuleTest : public ::testing::Test {
protected:
    RefreshRuleTest()
        : settings(prefs::currentSettings()),
          context{&prober},
          session(host, settings, context, commands.binding(), commands.identity()),
          binding(session.actions())
    {
    }
    ~RefreshRuleTest() override
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return session.idle(); }, 60000));
    }

    void Open(const std::string &fixture)
    {
        session.list().OpenPaths({camlog::test::fixturePath(fixture).string()});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !session.busy(); }, 60000));
        session.list().SelectAll(true);
        session.refreshActions();
        binding.sync();
    }
    bool Visible(const char *name) const { return binding.action(name)->isVisible(); }
    bool Enabled(const char *name) const { return binding.action(name)->isEnabled(); }

    QuietHost host;
    prefs::Settings settings;
    media::AviProber prober;
    core::AviFileContext context;
    session::CommandModule commands;
    session::Session session;
    ActionBinding binding;
};

TEST_F(RefreshRuleTest, CommandActionsFollowTheFilesOfTheList)
{
    session.refreshActions();
    binding.sync();
    EXPECT_FALSE(Visible("ccAjouterDatecode")); // the empty list shows only what opens files
    EXPECT_FALSE(Visible("ccCreerSrt"));
    EXPECT_TRUE(Visible("saOuvrirFichiers"));
    EXPECT_TRUE(Enabled("saOuvrirFichiers"));
    EXPECT_TRUE(Visible("taRaccourcis"));

    Open("nondv_mpeg4.avi");
    ASSERT_EQ(session.list().Count(), 1);
    EXPECT_TRUE(Visible("ccAjouterDatecode"));
    EXPECT_FALSE(Enabled("ccAjouterDatecode")); // no datecode to add
    EXPECT_FALSE(Enabled("ccCreerSrt"));
    EXPECT_TRUE(Enabled("saSelectionnerTout"));

    Open("tape_three-type1.avi");
    ASSERT_EQ(session.list().Count(), 2);
    EXPECT_TRUE(Enabled("ccAjouterDatecode")); // one of the selected files has a datecode
    EXPECT_TRUE(Enabled("ccCreerSrt"));
}

} // namespace
} // namespace camlog::widgets
