#pragma once

// The texts of the marks beside the bars of the result charts.

#include <string>

class TTestList;

// The value in the number format of the test testId_ of the catalogue;
// text_ unchanged when the catalogue has no such test.
std::string chartMarkTextByTest(const TTestList &catalogue_, int testId_, double value_, const std::string &text_);
// Nothing for 0, else "#,##0".
std::string chartMarkTextPlain(double value_);
// "N/A" for 0, else "#,##0.0 %".
std::string chartMarkTextPercent(double value_);
