// The desktop entry standing for the "Send To" shortcut: where it goes, what it says, its removal.
#include "commands/shell/send_to_shortcut.h"

#include "shell_test_env.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace camlog::commands {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DesktopEntry, DeclaresTheAviTypesAndStartsTheProgramWithTheFiles)
{
    EXPECT_EQ(DesktopEntryText("Camlog", "/usr/bin/camlog"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Version=1.0\n"
              "Name=Camlog\n"
              "Comment=Shortcut to Camlog\n"
              "Exec=\"/usr/bin/camlog\" %F\n"
              "Terminal=false\n"
              "Categories=AudioVideo;Video;\n"
              "MimeType=video/x-msvideo;video/avi;video/msvideo;video/vnd.avi;video/x-dv;\n");
}

TEST(DesktopEntry, TheProgramPathIsQuotedForTheExecLine)
{
    const struct {
        const char *program;
        const char *exec;
    } cases[] = {
        {"/opt/My Apps/camlog", R"(Exec="/opt/My Apps/camlog" %F)"},
        {"/opt/100%/camlog", R"(Exec="/opt/100%%/camlog" %F)"},
        {R"(/opt/a"b$c`d/camlog)", R"(Exec="/opt/a\\"b\\$c\\`d/camlog" %F)"},
        {R"(/opt/back\slash/camlog)", R"(Exec="/opt/back\\\\slash/camlog" %F)"},
    };
    for (const auto &c : cases) {
        const std::string text = DesktopEntryText("Camlog", c.program);
        EXPECT_NE(text.find(std::string("\n") + c.exec + "\n"), std::string::npos) << text;
    }
}

class SendToTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch = camlog::test::scratchDir("send_to");
        env.set("HOME", (scratch / "home").string());
        env.set("XDG_DATA_HOME", (scratch / "data").string());
    }
    fs::path scratch;
    camlog::test::ScopedEnv env;
};

TEST_F(SendToTest, TheEntryIsWrittenForTheRunningProgramAndRemoved)
{
    const fs::path folder = scratch / "data/applications";
    EXPECT_EQ(SendToFolder(), folder.string());
    ASSERT_TRUE(CreateSendToShortcut("Camlog"));
    EXPECT_EQ(ReadText(folder / "Camlog.desktop"),
              DesktopEntryText("Camlog", fs::read_symlink("/proc/self/exe").string()));
    ASSERT_TRUE(CreateSendToShortcut("Camlog")); // again: replaced, nothing else left beside it
    int files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(folder))
        ++files;
    EXPECT_EQ(files, 1);

    EXPECT_TRUE(DeleteSendToShortcut("Camlog"));
    EXPECT_FALSE(fs::exists(folder / "Camlog.desktop"));
    EXPECT_FALSE(DeleteSendToShortcut("Camlog"));
}

TEST_F(SendToTest, WithoutXdgDataHomeTheEntryGoesUnderHome)
{
    env.unset("XDG_DATA_HOME");
    EXPECT_EQ(SendToFolder(), (scratch / "home/.local/share/applications").string());
    ASSERT_TRUE(CreateSendToShortcut("Camlog"));
    EXPECT_TRUE(fs::exists(scratch / "home/.local/share/applications/Camlog.desktop"));
}

TEST_F(SendToTest, ANameThatIsNotAFileNameWritesNothing)
{
    EXPECT_FALSE(CreateSendToShortcut(""));
    EXPECT_FALSE(CreateSendToShortcut("../Camlog"));
    EXPECT_FALSE(CreateSendToShortcut(".."));
    EXPECT_FALSE(DeleteSendToShortcut("../Camlog"));
    EXPECT_FALSE(fs::exists(scratch / "data"));
}

} // namespace
} // namespace camlog::commands
