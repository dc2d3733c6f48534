// help_helper PROGRAM_FOLDER
// Makes the main window of a program in PROGRAM_FOLDER (its help page under
// Help/), presses F1 in it, and prints "message TEXT" for each box (answered
// OK) and then "done".
#include <QApplication>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

#include "MessageSink.h"
#include "filetypes.h"
#include "qtappservices.h"
#include "uMainForm.h"

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
        return MessageAnswer::Ok;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scorvista2001 SE"));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    PrintingSink sink;
    setMessageSink(&sink);
    SetDesktopToolRunner([](const QString &, const QStringList &) { return true; });
    TFMainForm::SetProgramDirectory(arguments.at(1));
    {
        TQtAppServices services;
        TFMainForm main;
        main.show();
        main.activateWindow();
        QApplication::setActiveWindow(&main);
        main.tree()->setFocus();
        QApplication::processEvents();
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &main, Qt::Key_F1);
        QApplication::processEvents();
    }
    print(QStringLiteral("done"));
    setMessageSink(nullptr);
    return 0;
}
