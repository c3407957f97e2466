// Forgiving number conversions of typed text, and the system's name.
#include "commands/shell/number_text.h"
#include "commands/shell/operating_system_name.h"

#include "support/test_files.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace camlog::commands {
namespace {

TEST(StrToIntOr0, ConvertsOnlyAWholeNumber)
{
    const struct {
        const char *text;
        int value;
    } cases[] = {
        {"12", 12},
        {" 12 ", 12},
        {"\t42\r\n", 42},
        {"-7", -7},
        {"+7", 7},
        {"0", 0},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"12s", 0},
        {"", 0},
        {"   ", 0},
        {"+-7", 0},
        {"--7", 0},
        {"12.5", 0},
        {"1 2", 0},
        {"0x10", 0},
        {"2147483648", 0},
        {"99999999999999999999", 0},
        {"+", 0},
        {"-", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StrToIntOr0(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrToFloatOr0, ReadsTheUsersDecimalSeparatorOnly)
{
    const QLocale french(QLocale::French, QLocale::France);
    const QLocale c = QLocale::c();
    const struct {
        const QLocale *locale;
        const char *text;
        double value;
    } cases[] = {
        {&french, "29,97", 29.97},
        {&french, " 2,5 ", 2.5},
        {&french, "-0,5", -0.5},
        {&french, "25", 25},
        {&french, "29.97", 0},
        {&french, "1\u202f000,5", 0},
        {&c, "29.97", 29.97},
        {&c, "  1e3 ", 1000},
        {&c, "-0.5", -0.5},
        {&c, "29,97", 0},
        {&c, "1,000.5", 0},
        {&c, "abc", 0},
        {&c, "", 0},
        {&c, "  ", 0},
        {&c, "12.5x", 0},
        {&c, "inf", 0},
        {&c, "nan", 0},
        {&c, "1e999", 0},
    };
    for (const auto &k : cases)
        EXPECT_DOUBLE_EQ(StrToFloatOr0(k.text, *k.locale), k.value)
            << '"' << k.text << "\" in " << k.locale->name().toStdString();
}

TEST(OperatingSystemName, ThePrettyNameAndTheKernelRelease)
{
    const struct {
        const char *osRelease;
        const char *name;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
         "Debian GNU/Linux 12 (bookworm) - kernel 6.1.0-18-amd64"},
        {"PRETTY_NAME='Fedora Linux 39'\r\n", "Fedora Linux 39 - kernel 6.1.0-18-amd64"},
        {"PRETTY_NAME=Arch\n", "Arch - kernel 6.1.0-18-amd64"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" OS\"", "Say \"hi\" OS - kernel 6.1.0-18-amd64"},
        {"NAME=Nothing\n#PRETTY_NAME=\"commented\"\n", "Linux - kernel 6.1.0-18-amd64"},
        {"", "Linux - kernel 6.1.0-18-amd64"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OperatingSystemName(c.osRelease, "6.1.0-18-amd64"), c.name) << c.osRelease;
}

TEST(OperatingSystemName, OfThisMachineEndsWithTheKernelRelease)
{
    const auto uname = camlog::test::runCommand("uname -r");
    ASSERT_TRUE(uname.ok);
    std::string release = uname.output;
    while (!release.empty() && release.back() == '\n')
        release.pop_back();
    const std::string name = OperatingSystemName();
    EXPECT_TRUE(name.size() > release.size() && name.ends_with(" - kernel " + release)) << name;
}

} // namespace
} // namespace camlog::commands
