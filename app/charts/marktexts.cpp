#include "marktexts.h"

#include "FormatFloat.h"
#include "uTestList.h"

std::string chartMarkTextByTest(const TTestList &catalogue_, int testId_, double value_, const std::string &text_)
{
    const TestTableRow *row = catalogue_.findTestRow(testId_);
    if (row == nullptr)
        return text_;
    return formatFloat(std::string(row->numberFormat), value_);
}

std::string chartMarkTextPlain(double value_)
{
    return value_ == 0 ? std::string() : formatFloat("#,##0", value_);
}

std::string chartMarkTextPercent(double value_)
{
    return value_ == 0 ? std::string("N/A") : formatFloat("#,##0.0 %", value_);
}
