#include "programrun.h"

#include <QCoreApplication>

#include "entry.h"
#include "qtappservices.h"
#include "uMainForm.h"

int RunProgram(const QStringList &arguments_, const QString &instance_)
{
    TInstanceServer server(instance_);
    const TEntryStart start = StartEntry(arguments_, server);
    if (start.handedOver)
        return 0;

    TQtAppServices services;
    // What arrives while the main window is still being built (its
    // message boxes serve the socket) waits in the server until the
    // window's list takes it.
    TFMainForm main;
    // Before the window shows: the start-up file may end a submission
    // run, which must see the files that are still to come.
    if (TPendingFiles *files = main.pendingFiles())
        files->takeHandOvers(server);
    main.show();
    return QCoreApplication::exec();
}
