// Look-up and editing of entries in the program's section of a settings file.
#include "prefs/ini_lines.h"

#include <gtest/gtest.h>

namespace camlog::prefs {
namespace {

const QString kHeader = QStringLiteral("[\\Software\\Ovrand\\Camlog]");

QStringList L(std::initializer_list<const char *> lines)
{
    QStringList out;
    for (const char *line : lines) {
        out.append(QString::fromUtf8(line));
    }
    return out;
}

struct WriteCase {
    const char *what;
    QStringList before;
    const char *name;
    const char *value;
    QStringList after;
};

TEST(IniLines, WriteEntryPlacesNewAndExistingEntries)
{
    const char *h = "[\\Software\\Ovrand\\Camlog]";
    const WriteCase cases[] = {
        {"empty file gets header and entry", {}, "k", "v", L({h, "k=v"})},
        {"program section last: appended at the end", L({"[other]", "a=1", h, "b=2"}), "k", "v",
         L({"[other]", "a=1", h, "b=2", "k=v"})},
        {"another section follows: inserted before its header", L({h, "b=2", "[other]", "k=old"}), "k", "v",
         L({h, "b=2", "k=v", "[other]", "k=old"})},
        {"header is the last line: appended after it", L({"[other]", "k=x", h}), "k", "v",
         L({"[other]", "k=x", h, "k=v"})},
        {"existing entry keeps its place", L({h, "k=1", "b=2"}), "k", "9", L({h, "k=9", "b=2"})},
        {"only the first of two matching entries changes", L({h, "k=1", "k=2"}), "k", "9", L({h, "k=9", "k=2"})},
        {"entry before any header is not ours", L({"k=1", h}), "k", "9", L({"k=1", h, "k=9"})},
        {"entry under another header is not ours", L({"[other]", "k=1"}), "k", "9", L({"[other]", "k=1", h, "k=9"})},
        {"a header with blanks around still is the section", L({"  [\\Software\\Ovrand\\Camlog]\t", "[z]"}), "k", "v",
         L({"  [\\Software\\Ovrand\\Camlog]\t", "k=v", "[z]"})},
        {"section headers compare case-sensitively", L({"[\\software\\ovrand\\camlog]", "k=1"}), "k", "v",
         L({"[\\software\\ovrand\\camlog]", "k=1", h, "k=v"})},
        {"names compare case-sensitively", L({h, "K=1"}), "k", "v", L({h, "K=1", "k=v"})},
        {"a name with a blank is another name", L({h, "k =1"}), "k", "v", L({h, "k =1", "k=v"})},
        {"a line without '=' is no entry", L({h, "k"}), "k", "v", L({h, "k", "k=v"})},
        {"comments and blank lines survive", L({"; c", "", h, "; d", "[z]", ""}), "k", "v",
         L({"; c", "", h, "; d", "k=v", "[z]", ""})},
        {"line breaks in a value cannot forge lines", L({h}), "k", "a\r\n[x]\nExename=/evil",
         L({h, "k=a  [x] Exename=/evil"})},
        {"a second program section: new entries go to the first", L({h, "[z]", h}), "k", "v", L({h, "k=v", "[z]", h})},
    };
    for (const auto &c : cases) {
        QStringList lines = c.before;
        writeEntry(lines, kHeader, QString::fromUtf8(c.name), QString::fromUtf8(c.value));
        EXPECT_EQ(lines, c.after) << c.what;
    }
}

struct FindCase {
    const char *what;
    QStringList lines;
    const char *name;
    std::optional<QString> value;
};

TEST(IniLines, FindEntryReadsOnlyTheProgramSection)
{
    const char *h = "[\\Software\\Ovrand\\Camlog]";
    const FindCase cases[] = {
        {"value is not trimmed", L({h, "k=  7 "}), "k", QStringLiteral("  7 ")},
        {"value runs to the end, '=' included", L({h, "k=a=b"}), "k", QStringLiteral("a=b")},
        {"empty value", L({h, "k="}), "k", QString()},
        {"first match wins", L({h, "k=1", "k=2"}), "k", QStringLiteral("1")},
        {"missing", L({h, "j=1"}), "k", std::nullopt},
        {"before any header", L({"k=1", h}), "k", std::nullopt},
        {"under another header", L({h, "[z]", "k=1"}), "k", std::nullopt},
        {"back in the section after another one", L({h, "[z]", "k=1", h, "k=2"}), "k", QStringLiteral("2")},
        {"header line that looks like an entry is a header", L({h, "[k=1]", "k=2"}), "k", std::nullopt},
        {"'[x]=1' is an entry, not a header", L({h, "[x]=1", "k=2"}), "k", QStringLiteral("2")},
        {"key with a backslash", L({h, "IncrustFont\\FontName=arial"}), "IncrustFont\\FontName",
         QStringLiteral("arial")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(findEntry(c.lines, kHeader, QString::fromUtf8(c.name)), c.value) << c.what;
    }
}

TEST(IniLines, SectionHeadersAndTrimming)
{
    EXPECT_TRUE(isSectionHeader(QStringLiteral(" [a] ")));
    EXPECT_TRUE(isSectionHeader(QStringLiteral("[]")));
    EXPECT_FALSE(isSectionHeader(QStringLiteral("[")));
    EXPECT_FALSE(isSectionHeader(QStringLiteral("[a]x")));
    EXPECT_EQ(trimBlank(QStringLiteral("\t 7 \r")), QStringLiteral("7"));
}

} // namespace
} // namespace camlog::prefs
