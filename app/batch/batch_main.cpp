// The batch mode's entry: options, settings, the command module, the session.
#include "app/batch/batch_main.h"

#include "app/batch/batch_session.h"
#include "app/batch/headless_text.h"
#include "app/batch/interrupt_watch.h"
#include "app/usage.h"
#include "headless/actions/command_line.h"
#include "headless/session/command_module.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "prefs/prefs_environment.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include <unistd.h>

namespace camlog::app {

namespace {

// Text is drawn into pictures only by the inlay command, through QtGui's application, whose
// start costs every other run: it is made for runs that call the inlay or open a script (whose
// lines may call it).
bool mayDrawText(const std::vector<ui::ActionCall> &calls)
{
    return std::any_of(calls.begin(), calls.end(), [](const ui::ActionCall &call) {
        return call.action != nullptr && (call.action->name == "ccIncruster" || call.action->name == "saOuvrirScript");
    });
}

} // namespace

int RunBatch(std::span<const std::string> args)
{
    AnswerRule rule = AnswerRule::Ask;
    std::vector<std::string> words;
    for (const std::string &arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        }
        if (arg == "--yes" || arg == "--no") {
            const AnswerRule wanted = arg == "--yes" ? AnswerRule::YesToAll : AnswerRule::NoToAll;
            if (rule != AnswerRule::Ask && rule != wanted) {
                std::fputs("camlog: --yes and --no exclude each other\n", stderr);
                return 2;
            }
            rule = wanted;
        } else {
            words.push_back(arg);
        }
    }

    if (words.empty()) {
        std::fputs("camlog: --batch needs at least one action call\n", stderr);
        std::fputs(ShortUsageText().c_str(), stderr);
        return 2;
    }
    const ui::ParsedCalls parsed = ui::ParseArguments(words);
    for (const ui::IgnoredWord &ignored : parsed.ignored)
        std::fprintf(stderr, "camlog: argument \"%s\" names no action (camlog --help lists them)\n",
                     ignored.text.c_str());

    InterruptWatch interrupts; // before any other thread starts
    std::optional<HeadlessText> text;
    if (mayDrawText(parsed.calls))
        text.emplace();
    const prefs::Settings settings = prefs::LoadPreferencesAtStart(prefs::PrefsEnvironment::current(), {});
    const media::AviProber prober;
    core::AviFileContext context;
    context.prober = &prober;
    context.datecodePattern = settings.formatAfficherDatecode;

    // No desktop to open an office document on: the document is named.
    session::CommandModule commands({}, [](const std::string &path, engine::TCommandEngine &ce) {
        ce.MessageCommand("Document written: " + path);
    });
    BatchStreams streams;
    streams.inIsTerminal = ::isatty(STDIN_FILENO) == 1;
    streams.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    bool ok = false;
    {
        BatchSession session(settings, rule, streams, context, commands.binding(), commands.identity());
        interrupts.start([&session] { session.interrupt(); });
        ok = session.run(parsed.calls);
        interrupts.stop();
    }
    return ok && parsed.ignored.empty() ? 0 : 1;
}

} // namespace camlog::app
