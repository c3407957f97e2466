// The batch mode's GUI application on the offscreen platform.
#include "app/batch/headless_text.h"

#include <QGuiApplication>

#include <cstdio>

namespace camlog::app {

namespace {

int g_argc = 3;
char g_name[] = "camlog";
char g_option[] = "-platform";
char g_platform[] = "offscreen";
char *g_argv[] = {g_name, g_option, g_platform, nullptr};

void keepErrorsOnly(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "camlog: %s\n", message.toLocal8Bit().constData());
}

} // namespace

HeadlessText::HeadlessText()
{
    qInstallMessageHandler(keepErrorsOnly);
    m_application = std::make_unique<QGuiApplication>(g_argc, g_argv);
}

HeadlessText::~HeadlessText() = default;

} // namespace camlog::app
