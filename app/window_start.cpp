// `camlog [ARG...]`: the window, which processes its arguments as its command line at its first
// activation, or restores the previous session's list without them.
#include "app/window_start.h"

#include "media/avi_probe.h"
#include "prefs/current_settings.h"
#include "prefs/prefs_environment.h"
#include "ui/session/command_module.h"
#include "ui/widgets/window_session.h"

#include <QApplication>
#include <QScreen>

namespace camlog::app {

int RunWindow(int &argc, char **argv, std::span<const std::string> args)
{
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
    core::FichierContext context;
    context.prober = &prober;
    context.datecodePattern = settings.formatAfficherDatecode;

    session::CommandModule commands;
    widgets::WindowStart start;
    start.settings = settings;
    start.environment = environment;
    start.context = &context;
    start.commands = commands.binding();
    start.identity = commands.identity();
    start.arguments.assign(args.begin(), args.end());
    widgets::WindowSession window(std::move(start));
    window.form().show();
    return QApplication::exec();
}

} // namespace camlog::app
