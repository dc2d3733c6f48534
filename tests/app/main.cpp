#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>

#include "filetypes.h"
#include "modalforms.h"
#include "uexception.h"

// The window tests need one application object; they run on the offscreen
// platform, set by CMake for every test.
int main(int argc, char **argv)
{
    // Also when the test list is read, before CMake's environment applies.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The submission library's boxes and dialogs stay open for the tests
    // to read and close; none waits for a person.
    qputenv("UPLINKMFC_NO_WAIT", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Scorvista2001 SE");
    // Main windows made by the tests never start the desktop's update tools,
    // which would outlive the test's folders.
    SetDesktopToolRunner([](const QString &, const QStringList &) { return true; });
    // An exception dialog that no test answers fails the test and goes on,
    // rather than waiting for a person.
    SetExceptionDialogAnswerer([](TFexception &dialog) {
        ADD_FAILURE() << "unanswered exception dialog: " << dialog.Mexception->toPlainText().toStdString();
        dialog.BContinueClick();
    });
    // The report preview and the about box come up non-modal and are closed
    // again; a print dialog nobody answers counts as cancelled.
    SetModalFormAnswerer([](TFBasicForm &) {});
    SetPrintDialogRunner([](QPrinter &, QWidget *) { return false; });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
