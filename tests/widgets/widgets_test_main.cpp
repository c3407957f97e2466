// The widget tests' main: one QApplication on the offscreen platform for every test.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
// The offscreen platform warns at every fixed-size window that it cannot pass size hints on.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains("propagateSizeHints"))
        return;
    qt_message_output(type, context, message);
}
} // namespace

#if defined(__SANITIZE_THREAD__)
// Qt is not built with ThreadSanitizer: its locks (futexes) are invisible to it, so the memory
// calls Qt makes under them (posting events across threads, its drawing thread pool) look like
// races. Reports whose racing call is made by Qt's own code are left out; our code's are not.
extern "C" const char *__tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n";
}
#endif

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietHandler);
    // Headless by default, so that the tests run without a display; a caller may choose another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
