#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <thread>

// Runs the event loop until done_ holds or the time is up.
template <typename Done>
bool spinUntil(Done done_, int timeoutMs_ = 15000)
{
    const QDeadlineTimer deadline(timeoutMs_);
    while (!done_()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
