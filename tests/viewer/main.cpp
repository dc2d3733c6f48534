// The viewer tests load the library into a process that has its own
// application object, as the program does.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // The test list is read without ctest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
