#include "application.h"

#include <new>
#include <stdexcept>

#include "Cp1252.h"
#include "Exception.h"
#include "kvs_exception.h"
#include "toolbaricons.h"
#include "uMainForm.h"
#include "uexception.h"

TApplication::TApplication(int &argc_, char **argv_) : QApplication(argc_, argv_)
{
    setApplicationName("Scorvista2001 SE");
    // Also for the boxes and the libraries' dialogs, which are not forms.
    setWindowIcon(programIcon());
}

bool TApplication::notify(QObject *receiver_, QEvent *event_)
{
    try {
        return QApplication::notify(receiver_, event_);
    } catch (...) {
        if (ShowExceptionDialog(std::current_exception()))
            exit(1);
        return false;
    }
}
