// The command-line reader and the script reader: words and lines to action calls.
#include "headless/actions/command_line.h"
#include "headless/actions/script_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace camlog::ui {
namespace {

using M = CallMode;

// An expected call by action name; a null name means the input names no action.
struct Expected {
    const char *action;
    CallMode mode;
    const char *parameter;
};

std::string Describe(const std::optional<ActionCall> &call)
{
    if (!call)
        return "nothing";
    return std::string(call->action->name) + " mode " + std::to_string(static_cast<int>(call->mode)) + " ["
           + call->parameter + "]";
}

std::string Describe(const Expected &e)
{
    if (e.action == nullptr)
        return "nothing";
    return std::string(e.action) + " mode " + std::to_string(static_cast<int>(e.mode)) + " [" + e.parameter + "]";
}

TEST(CommandLine, OneArgument)
{
    struct Case {
        const char *argument;
        Expected expected;
    };
    const Case cases[] = {
        // Prefixes give the mode; switch and token share one look-up, in any case.
        {"+showlist", {"taBasculerListe", M::On, ""}},
        {"-showlist", {"taBasculerListe", M::Off, ""}},
        {"/fullscreen", {"taFullscreen", M::Toggle, ""}},
        {"+mute", {"taMute", M::On, ""}},
        {"/qt", {"saQuitter", M::Toggle, ""}},
        {"/quit", {"saQuitter", M::Toggle, ""}},
        {"/QT", {"saQuitter", M::Toggle, ""}},
        {"-F6", {"taBasculerListe", M::Off, ""}},
        {"/di", {"taAfficherIncrustation", M::Toggle, ""}},
        {"/deinterlace", {"taDeinterlace", M::Toggle, ""}},
        {"/dl=/tmp/list.txt", {"saListeDetaillee", M::Toggle, "/tmp/list.txt"}},
        // "=" splits word and parameter at its first occurrence; the parameter keeps the rest.
        {"/o=D:\\dv\\clip.avi", {"saOuvrirFichiers", M::Toggle, "D:\\dv\\clip.avi"}},
        {"/o=a=b.avi", {"saOuvrirFichiers", M::Toggle, "a=b.avi"}},
        {"/o=", {"saOuvrirFichiers", M::Toggle, ""}},
        {"+td=-0.5", {"ccDecalageHoraire", M::On, "-0.5"}},
        // Every double quote goes, wherever it is.
        {"/o=\"D:\\my clips\\a b.avi\"", {"saOuvrirFichiers", M::Toggle, "D:\\my clips\\a b.avi"}},
        {"\"/o\"=x", {"saOuvrirFichiers", M::Toggle, "x"}},
        {"/o=/home/me/clip.avi", {"saOuvrirFichiers", M::Toggle, "/home/me/clip.avi"}},
        // Words without prefix are files: playlists, or videos by their extension.
        {"D:\\lists\\holiday.txt", {"saOuvrirPlayList", M::None, "D:\\lists\\holiday.txt"}},
        {"holiday", {"saOuvrirPlayList", M::None, "holiday"}},
        {"quit", {"saOuvrirPlayList", M::None, "quit"}},
        {"clip.AVI", {"saOuvrirFichiers", M::None, "clip.AVI"}},
        {"\"my clip.avi\"", {"saOuvrirFichiers", M::None, "my clip.avi"}},
        {".avi", {"saOuvrirPlayList", M::None, ".avi"}},
        {"clip.avi.txt", {"saOuvrirPlayList", M::None, "clip.avi.txt"}},
        // Raw DV streams are videos too.
        {"/home/me/tape.dv", {"saOuvrirFichiers", M::None, "/home/me/tape.dv"}},
        {"tape.DIF", {"saOuvrirFichiers", M::None, "tape.DIF"}},
        {"tape.dv.txt", {"saOuvrirPlayList", M::None, "tape.dv.txt"}},
        // An absolute path is a file, not a toggle of an unknown word.
        {"/home/me/lists/holiday.txt", {"saOuvrirPlayList", M::None, "/home/me/lists/holiday.txt"}},
        {"/home/me/clip.avi", {"saOuvrirFichiers", M::None, "/home/me/clip.avi"}},
        {"/home/me/a=b.txt", {"saOuvrirPlayList", M::None, "/home/me/a=b.txt"}},
        // Unknown words and empty words are ignored.
        {"/nosuchword", {nullptr, M::None, ""}},
        {"+", {nullptr, M::None, ""}},
        {"-=x", {nullptr, M::None, ""}},
        {"", {nullptr, M::None, ""}},
        {"\"\"", {nullptr, M::None, ""}},
        {"--help", {nullptr, M::None, ""}},
        {"/ qt", {nullptr, M::None, ""}},
        {"-home/me", {nullptr, M::None, ""}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Describe(ParseArgument(c.argument)), Describe(c.expected)) << c.argument;
}

TEST(CommandLine, ExampleOpensRenamesAndQuitsInOrder)
{
    const std::vector<std::string> args = {"/o=D:\\dv\\clip.avi", "/d", "/nosuch", "/qt"};
    const ParsedCalls parsed = ParseArguments(args);
    ASSERT_EQ(parsed.calls.size(), 3u);
    EXPECT_EQ(parsed.calls[0], (ActionCall{FindActionByName("saOuvrirFichiers"), M::Toggle, "D:\\dv\\clip.avi"}));
    EXPECT_EQ(parsed.calls[1], (ActionCall{FindActionByName("ccAjouterDatecode"), M::Toggle, ""}));
    EXPECT_EQ(parsed.calls[2], (ActionCall{FindActionByName("saQuitter"), M::Toggle, ""}));
    EXPECT_EQ(parsed.ignored, (std::vector<IgnoredWord>{{3, "/nosuch"}}));
}

TEST(CommandLine, NothingUsable)
{
    const std::vector<std::string> args = {"/nothing", "+"};
    const ParsedCalls parsed = ParseArguments(args);
    EXPECT_TRUE(parsed.calls.empty());
    EXPECT_EQ(parsed.ignored.size(), 2u);
    EXPECT_TRUE(ParseArguments({}).calls.empty());
}

TEST(ScriptLine, OneLine)
{
    struct Case {
        const char *line;
        ScriptLineKind kind;
        Expected expected;
    };
    const auto K = ScriptLineKind::Call;
    const Case cases[] = {
        // Words without prefix run the action; toggles take their mode from the parameter.
        {"openfolder=D:\\dv", K, {"saOuvrirunDossier", M::None, "D:\\dv"}},
        {"selectall", K, {"saSelectionnerTout", M::None, ""}},
        {"showlist=false", K, {"taBasculerListe", M::Off, "false"}},
        {"showlist=TRUE", K, {"taBasculerListe", M::On, "TRUE"}},
        {"showlist=\"Toggle\"", K, {"taBasculerListe", M::Toggle, "Toggle"}},
        {"showlist=maybe", K, {"taBasculerListe", M::None, "maybe"}},
        {"play=false", K, {"saPlayStop", M::Off, "false"}},
        {"quit=false", K, {"saQuitter", M::None, "false"}}, // a plain action keeps mode none
        {"  mute  ", K, {"taMute", M::None, ""}},
        {"\tmute\r", K, {"taMute", M::None, ""}},
        // Prefixes work as on the command line and win over the parameter.
        {"+mute", K, {"taMute", M::On, ""}},
        {"-showlist=true", K, {"taBasculerListe", M::Off, "true"}},
        {"/f6", K, {"taBasculerListe", M::Toggle, ""}},
        {"/DI", K, {"taAfficherIncrustation", M::Toggle, ""}},
        // Blanks around the word and the parameter do not count; quotes keep inner blanks.
        {"showlist = false", K, {"taBasculerListe", M::Off, "false"}},
        {"openfolder= \" /media/dv/old clips \"", K, {"saOuvrirunDossier", M::None, " /media/dv/old clips "}},
        {"openfiles=\"/home/me/a b.avi\"", K, {"saOuvrirFichiers", M::None, "/home/me/a b.avi"}},
        {"settimedifference=0.0416666", K, {"ccDecalerHoraire", M::None, "0.0416666"}},
        {"detailedlist=/tmp/videos.txt", K, {"saListeDetaillee", M::None, "/tmp/videos.txt"}},
        {"$", K, {"ccCreerScnByContenu", M::None, ""}},
        // A bare word is not a playlist in a script: it must name an action.
        {"/home/me/list.txt", ScriptLineKind::Unknown, {nullptr, M::None, ""}},
        {"holiday.txt", ScriptLineKind::Unknown, {nullptr, M::None, ""}},
        {"quit now", ScriptLineKind::Unknown, {nullptr, M::None, ""}},
        {"=quit", ScriptLineKind::Unknown, {nullptr, M::None, ""}},
        {"+", ScriptLineKind::Unknown, {nullptr, M::None, ""}},
        {"", ScriptLineKind::Blank, {nullptr, M::None, ""}},
        {"   \t ", ScriptLineKind::Blank, {nullptr, M::None, ""}},
        {"# quit", ScriptLineKind::Comment, {nullptr, M::None, ""}},
        {"  ; quit", ScriptLineKind::Comment, {nullptr, M::None, ""}},
    };
    for (const Case &c : cases) {
        const ScriptLine line = ParseScriptLine(c.line);
        EXPECT_EQ(line.kind, c.kind) << c.line;
        const std::optional<ActionCall> call =
            line.kind == ScriptLineKind::Call ? std::optional<ActionCall>(line.call) : std::nullopt;
        EXPECT_EQ(Describe(call), Describe(c.expected)) << c.line;
    }
}

TEST(ScriptLine, ExampleScript)
{
    const std::vector<std::string> lines = {
        "openfolder=D:\\dv", "selectall",      "",    "# then the scenes", "createscnbydate",
        "renamme",           "showlist=false", "quit"};
    const ParsedCalls parsed = ParseScriptLines(lines);
    const std::vector<ActionCall> expected = {
        {FindActionByName("saOuvrirunDossier"), M::None, "D:\\dv"},
        {FindActionByName("saSelectionnerTout"), M::None, ""},
        {FindActionByName("ccCreerScnByDate"), M::None, ""},
        {FindActionByName("taBasculerListe"), M::Off, "false"},
        {FindActionByName("saQuitter"), M::None, ""},
    };
    EXPECT_EQ(parsed.calls, expected);
    EXPECT_EQ(parsed.ignored, (std::vector<IgnoredWord>{{6, "renamme"}}));
}

} // namespace
} // namespace camlog::ui
