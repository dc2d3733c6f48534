#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable failures; internal, so no other test file is bothered.
[[maybe_unused]] static void PrintTo(const QString &text_, std::ostream *os_)
{
    *os_ << '"' << text_.toStdString() << '"';
}
[[maybe_unused]] static void PrintTo(const QStringList &texts_, std::ostream *os_)
{
    *os_ << '{';
    for (qsizetype i = 0; i < texts_.size(); ++i)
        *os_ << (i ? ", \"" : "\"") << texts_.at(i).toStdString() << '"';
    *os_ << '}';
}
