// help_helper PROGRAM_FOLDER [goto]
// Makes the main window of a program in PROGRAM_FOLDER (its help page under
// Help/), presses F1 in it (with "goto": chooses CorvalinSoft > Go to
// CorvalinSoft by its keys instead), and prints "message TEXT" for each box
// (answered OK) and then "done".
#include <QApplication>
#include <QTest>
#include <QTreeWidget>

#include "../printingsink.h"
#include "qtappservices.h"
#include "uMainForm.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scorvista2001 SE"));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    const PrintedBoxes boxes;
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
        if (arguments.value(2) == QLatin1String("goto")) {
            QTest::keyClick(focus ? focus : &main, Qt::Key_C, Qt::AltModifier);
            QApplication::processEvents();
            QWidget *menu = QApplication::activePopupWidget();
            if (!menu) {
                printLine(QStringLiteral("no menu"));
                return 3;
            }
            QTest::keyClick(menu, Qt::Key_C);
        } else {
            QTest::keyClick(focus ? focus : &main, Qt::Key_F1);
        }
        QApplication::processEvents();
    }
    printLine(QStringLiteral("done"));
    return 0;
}
