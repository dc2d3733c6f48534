#include <gtest/gtest.h>

#include <QApplication>

#include "uFileTypes.h"

// The window tests need one application object; they run on the offscreen
// platform, set by CMake for every test.
int main(int argc, char **argv)
{
    // Also when the test list is read, before CMake's environment applies.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Scorvista2001 SE");
    // Main windows made by the tests never start the desktop's update tools,
    // which would outlive the test's folders.
    SetDesktopToolRunner([](const QString &, const QStringList &) { return true; });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
