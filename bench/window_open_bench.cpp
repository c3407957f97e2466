// Opens a folder of small DV files in the window (its list shown, its status and counts kept
// current) and, in the same run, through the list model alone; reports what the window adds
// until the last entry is shown and the window answers again.
#include "headless/list/file_list_model.h"
#include "headless/list/queue_dispatcher.h"
#include "headless/session/command_module.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "window/list_frame.h"
#include "window/window_session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace camlog;

struct Round {
    double seconds = 0;
    int count = 0;
};

Round openWithModel(const std::string &folder, const core::AviFileContext &context)
{
    ui::QueueDispatcher dispatcher;
    ui::FileListModel list(dispatcher, ui::TaviFichierFactory(context));
    list.SelectionnerOuverts = true;
    list.OnOpenTestExtension = [](const std::string &name) {
        return ui::IsAviFileName(name);
    };
    bool ended = false;
    list.OnOpenEnd = [&](int) {
        ended = true;
    };
    QElapsedTimer clock;
    clock.start();
    list.OpenFolder(folder);
    dispatcher.runUntil([&] { return ended; }, std::chrono::minutes(10));
    return {clock.nsecsElapsed() * 1e-9, list.Count()};
}

Round openInWindow(const std::string &folder, widgets::WindowStart start, int expected)
{
    widgets::WindowSession window(std::move(start));
    window.form().show();
    if (!QTest::qWaitForWindowExposed(&window.form()))
        std::fprintf(stderr, "the window was not shown\n");
    const QString last = widgets::ListFrame::selectionText(expected, expected, "alpha");

    QElapsedTimer clock;
    clock.start();
    window.session().list().OpenFolder(folder);
    // The last entry is shown once the label counts it; the window answers when a zero timer
    // posted then has run.
    bool answered = false;
    const auto shown = [&] {
        return !window.session().list().Opening() && window.form().listFrame()->selectionLabel()->text() == last;
    };
    if (!QTest::qWaitFor(shown, 600000))
        std::fprintf(stderr, "the window did not show every entry\n");
    QTimer::singleShot(0, [&] { answered = true; });
    if (!QTest::qWaitFor([&] { return answered; }, 60000))
        std::fprintf(stderr, "the window did not answer\n");
    Round round{clock.nsecsElapsed() * 1e-9, window.session().list().Count()};
    window.form().hide();
    return round;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [ROUNDS]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string folder = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    int argcQt = 1;
    QApplication application(argcQt, argv);

    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        files += ui::IsAviFileName(entry.path().filename().string()) ? 1 : 0;

    const media::AviProber prober;
    core::AviFileContext context;
    context.prober = &prober;
    const std::filesystem::path home = std::filesystem::temp_directory_path() / "camlog_window_bench";
    prefs::PrefsEnvironment environment;
    environment.programFile = (home / "camlog").string();
    environment.normalFile = (home / "Camlog.ini").string();
    environment.videoFolder = environment.documentsFolder = home.string();
    prefs::Settings settings = prefs::defaultSettings(environment, {1280, 1024});
    settings.selectWhenOpening = true;
    prefs::setCurrentSettings(settings);
    session::CommandModule commands;

    double model = 1e30, window = 1e30;
    std::vector<double> ratios;
    int shown = files;
    for (int round = 0; round < rounds; ++round) {
        const Round alone = openWithModel(folder, context);
        widgets::WindowStart start;
        start.settings = settings;
        start.environment = environment;
        start.context = &context;
        start.commands = commands.binding();
        start.identity = commands.identity();
        const Round windowed = openInWindow(folder, std::move(start), files);
        model = std::min(model, alone.seconds);
        window = std::min(window, windowed.seconds);
        ratios.push_back(windowed.seconds / alone.seconds);
        shown = std::min({shown, alone.count, windowed.count});
    }
    // files, best seconds of the model alone, best seconds of the window, fewest entries shown,
    // median ratio window/model
    std::printf("%d %.6f %.6f %d %.4f\n", files, model, window, shown, median(ratios));
    return shown == files ? 0 : 1;
}
