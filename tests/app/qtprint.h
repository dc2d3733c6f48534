#pragma once

#include <ostream>

// Readable failures. Every source of app_tests is compiled with this header
// first (see tests/CMakeLists.txt): a gtest printer instantiated without it
// prints a text as bytes, and the linker keeps any one of the instances.
// It names Qt's types without including Qt, whose keywords would come before
// headers that use them as names.
class QString;
template <typename T>
class QList;

void PrintTo(const QString &text_, std::ostream *os_);
void PrintTo(const QList<QString> &texts_, std::ostream *os_);
