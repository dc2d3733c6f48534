// submit_helper INSTANCE [ARGUMENT...]
// Runs the program with the arguments under the instance name. Prints
// "running" once its event loop runs, "message TEXT" for each box (answered
// OK), "submit ..." for each submission dialog (cancelled), and "exit CODE"
// when the program returns.
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "Cp1252.h"
#include "../printingsink.h"
#include "application.h"
#include "modalforms.h"
#include "programrun.h"
#include "submitform.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uexception.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    const PrintedBoxes boxes;
    SetExceptionDialogAnswerer([](TFexception &dialog) {
        printLine(QStringLiteral("exception ") + dialog.Mexception->toPlainText());
        dialog.BContinueClick();
    });
    SetModalFormAnswerer([](TFBasicForm &form) {
        auto *submit = qobject_cast<TFSubmit *>(&form);
        if (!submit)
            return;
        printLine(QStringLiteral("submit caption=%1 label=%2 settings=%3 cancel=%4 hw=%5 project=%6 open=%7 "
                             "projects=%8 databases=%9")
                  .arg(submit->windowTitle(), submit->Label1->text(), submit->BSettings->text(),
                       submit->Button1->text())
                  .arg(submit->hardwareUpgrade())
                  .arg(submit->project() ? fromCp1252(submit->project()->getName()) : QString())
                  .arg(SubmitDialogOpen())
                  .arg(CBasicProject::liveProjects().size())
                  .arg(CBasicDatabase::openDatabases().size()));
        submit->Button1->click();
    });
    QTimer::singleShot(0, [] { printLine(QStringLiteral("running")); });
    const int code = RunProgram(arguments.mid(2), arguments.at(1));
    printLine(QStringLiteral("exit %1").arg(code));
    return code;
}
