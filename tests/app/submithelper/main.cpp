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
#include <cstdio>

#include "Cp1252.h"
#include "MessageSink.h"
#include "application.h"
#include "filetypes.h"
#include "modalforms.h"
#include "programrun.h"
#include "submitform.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uexception.h"

namespace {

void print(const QString &line_)
{
    std::printf("%s\n", qPrintable(line_));
    std::fflush(stdout);
}

class PrintingSink : public MessageSink {
public:
    MessageAnswer show(const MessageRequest &request_) override
    {
        print(QStringLiteral("message ") + QString(request_.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return request_.kind == MessageRequest::Kind::AppMessage || request_.kind == MessageRequest::Kind::ShowMessage
                   ? MessageAnswer::Ok
                   : MessageAnswer::Cancel;
    }
};

} // namespace

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    PrintingSink sink;
    setMessageSink(&sink);
    SetDesktopToolRunner([](const QString &, const QStringList &) { return true; });
    SetExceptionDialogAnswerer([](TFexception &dialog) {
        print(QStringLiteral("exception ") + dialog.Mexception->toPlainText());
        dialog.BContinueClick();
    });
    SetModalFormAnswerer([](TFBasicForm &form) {
        auto *submit = qobject_cast<TFSubmit *>(&form);
        if (!submit)
            return;
        print(QStringLiteral("submit caption=%1 label=%2 settings=%3 cancel=%4 hw=%5 project=%6 open=%7 "
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
    QTimer::singleShot(0, [] { print(QStringLiteral("running")); });
    const int code = RunProgram(arguments.mid(2), arguments.at(1));
    print(QStringLiteral("exit %1").arg(code));
    setMessageSink(nullptr);
    return code;
}
