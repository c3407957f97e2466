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
