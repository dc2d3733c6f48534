#include "RigscanGUIApp.h"

#include <QApplication>
#include <cstdlib>

namespace {

bool hasDisplay()
{
    // Without a platform named and no display to reach, Qt would abort the
    // host process instead of failing.
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

bool RigscanGUIApp::ensure(std::string &why_)
{
    if (QCoreApplication *existing = QCoreApplication::instance()) {
        if (qobject_cast<QApplication *>(existing))
            return true;
        why_ = "the host's application object cannot show windows";
        return false;
    }
    if (!hasDisplay()) {
        why_ = "no display to show the dialog on";
        return false;
    }
    // QApplication keeps references to argc and argv for its lifetime.
    static int argc = 1;
    static char name[] = "RigscanGUIMFC";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return app != nullptr;
}
