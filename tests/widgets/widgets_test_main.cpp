// The widget tests' main: one QApplication on the offscreen platform for every test.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Headless by default, so that the tests run without a display; a caller may choose another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
