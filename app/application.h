#pragma once

#include <QApplication>

// The application object: an exception that escapes an event handler is
// shown in the exception dialog, which may end the program.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc_, char **argv_);
    bool notify(QObject *receiver_, QEvent *event_) override;
};

