#include "qtprint.h"

#include <QString>
#include <QStringList>

void PrintTo(const QString &text_, std::ostream *os_)
{
    *os_ << '"' << text_.toStdString() << '"';
}

void PrintTo(const QStringList &texts_, std::ostream *os_)
{
    *os_ << '{';
    for (qsizetype i = 0; i < texts_.size(); ++i)
        *os_ << (i ? ", \"" : "\"") << texts_.at(i).toStdString() << '"';
    *os_ << '}';
}
