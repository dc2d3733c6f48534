#pragma once

// For the helper programs the tests start: lines on standard output, and a
// message sink that prints each box ("message TEXT") instead of showing it.

#include <QString>
#include <cstdio>

#include "MessageSink.h"
#include "filetypes.h"

inline void printLine(const QString &line_)
{
    std::printf("%s\n", qPrintable(line_));
    std::fflush(stdout);
}

// Messages are answered OK, questions Cancel.
class PrintingSink : public MessageSink {
public:
    MessageAnswer show(const MessageRequest &request_) override
    {
        printLine(QStringLiteral("message ") + QString(request_.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return request_.kind == MessageRequest::Kind::AppMessage || request_.kind == MessageRequest::Kind::ShowMessage
                   ? MessageAnswer::Ok
                   : MessageAnswer::Cancel;
    }
};

// For a helper's life: its boxes printed, and the desktop's update tools not
// run (they would outlive the test's folders).
class PrintedBoxes {
public:
    PrintedBoxes()
    {
        setMessageSink(&sink);
        SetDesktopToolRunner([](const QString &, const QStringList &) { return true; });
    }
    ~PrintedBoxes() { setMessageSink(nullptr); }
    PrintedBoxes(const PrintedBoxes &) = delete;
    PrintedBoxes &operator=(const PrintedBoxes &) = delete;

private:
    PrintingSink sink;
};
