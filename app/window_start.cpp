// `camlog [ARG...]`: the window, which processes its arguments as its command line at its first
// activation, or restores the previous session's list without them.
#include "app/window_start.h"

#include "app/display_check.h"
#include "app/usage.h"
#include "app/window_signals.h"

#include "headless/session/command_module.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "prefs/prefs_environment.h"
#include "window/window_session.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace camlog::app {

int RunWindow(int &argc, char **argv, std::span<const std::string> args)
{
    // Action calls start with "/", "+" or "-"; "--" starts none of them, only options of ours.
    for (const std::string &arg : args) {
        if (arg.starts_with("--")) {
            std::fprintf(stderr, "camlog: unknown option '%s'\n%s", arg.c_str(), ShortUsageText().c_str());
            return 2;
        }
    }
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "camlog: no display for the window; camlog --list PATH... lists videos and "
                             "camlog --batch ARG... runs actions without one\n");
        return 2;
    }
    if (const auto why = UnreachableDisplay()) {
        std::fprintf(stderr,
                     "camlog: %s; camlog --list PATH... lists videos and camlog --batch ARG... runs "
                     "actions without one\n",
                     why->c_str());
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(prefs::kProductName);
    QApplication::setOrganizationName(prefs::kMakerName);

    const prefs::PrefsEnvironment environment = prefs::PrefsEnvironment::current();
    prefs::ScreenSize screen;
    if (const QScreen *primary = QApplication::primaryScreen()) {
        screen.width = primary->availableGeometry().width();
        screen.height = primary->availableGeometry().height();
    }
    const prefs::Settings settings = prefs::LoadPreferencesAtStart(environment, screen);
    const media::AviProber prober;
    core::AviFileContext context;
    context.prober = &prober;
    context.datecodePattern = settings.formatAfficherDatecode;

    // The commands empty the window's preview before they touch its file.
    std::function<void(const std::string &)> closePreview;
    session::CommandModule commands([&closePreview](const std::string &path) {
        if (closePreview)
            closePreview(path);
    });
    widgets::WindowStart start;
    start.settings = settings;
    start.environment = environment;
    start.context = &context;
    start.commands = commands.binding();
    start.identity = commands.identity();
    start.arguments.assign(args.begin(), args.end());
    start.homePage = commands.commands().HomePageAddress();
    start.mailAddress = commands.commands().Context().mailAddress;
    widgets::WindowSession window(std::move(start));
    const WindowSignals interrupts([&window] { window.quitWithoutQuestions(); });
    closePreview = [&window](const std::string &path) {
        window.closePreview(path);
    };
    window.form().show();
    return QApplication::exec();
}

} // namespace camlog::app
