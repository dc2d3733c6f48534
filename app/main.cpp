#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <memory>

#include "MessageSink.h"
#include "application.h"
#include "programrun.h"
#include "uexception.h"

int main(int argc, char **argv)
{
    std::unique_ptr<TApplication> app;
    try {
        // The application first: it takes its own options (-platform ...)
        // out of the arguments before they are read as a command line.
        app = std::make_unique<TApplication>(argc, argv);
        return RunProgram(QCoreApplication::arguments().mid(1));
    } catch (...) {
        const QString message = DescribeException(std::current_exception()).message;
        if (app)
            ShowMessage(message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(message));
        return 0;
    }
}
