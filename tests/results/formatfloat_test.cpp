#include "FormatFloat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* format;
    double value;
    const char* expected;
};

void expectAll(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " / " + std::to_string(c.value));
        EXPECT_EQ(formatFloat(c.format, c.value), c.expected);
    }
}

const std::vector<Case> roundingCases = {
    // Halves as written, not as stored in binary (0.15 is 0.1499... there).
    {"#,###,##0.0", 0.15, "0.2"},
    {"#,###,##0.0", 0.05, "0.1"},
    {"#,###,##0.0", 0.25, "0.3"},
    {"#,###,##0.0", 0.35, "0.4"},
    {"#,###,##0.0", 0.149, "0.1"},
    {"#,###,##0", 0.5, "1"},
    {"#,###,##0", 0.49, "0"},
    {"#,###,##0", 2.5, "3"},
    {"#,###,##0", 3.5, "4"},
    {"#,###,##0", 1234.56, "1,235"},
    {"0.00", 1.005, "1.01"},
    {"0.00", 2.675, "2.68"},
    {"0.0", 0.95, "1.0"},
    {"0.0", 9.95, "10.0"},
    {"0.0", 0.04, "0.0"},
    {"0", 0.0004, "0"},
};

const std::vector<Case> groupingCases = {
    {"#,##0", 0, "0"},
    {"#,##0", 999, "999"},
    {"#,##0", 1000, "1,000"},
    {"#,##0", 12345, "12,345"},
    {"#,###,##0.0", 1234567.89, "1,234,567.9"},
    {"#,###,##0.0", 999.95, "1,000.0"},
    {"#,###,##0", 999999.5, "1,000,000"},
    {"0.00", 1234.5, "1234.50"},
    {"0", 1234567, "1234567"},
};

const std::vector<Case> signCases = {
    {"#,###,##0.0", 0.0, "0.0"},
    {"#,###,##0.0", -0.0, "0.0"},
    {"#,###,##0.0", -0.04, "0.0"},
    {"#,###,##0", -0.4, "0"},
    {"#,###,##0.0", -0.05, "-0.1"},
    {"#,###,##0.0", -1.5, "-1.5"},
    {"#,###,##0.0", -7, "-7.0"},
    {"#,###,##0", -2.5, "-3"},
    {"#,##0", -1234567, "-1,234,567"},
    {"$0.00", -1.5, "-$1.50"},
};

const std::vector<Case> magnitudeCases = {
    {"#,###,##0", 123456789012.0, "123,456,789,012"},
    {"#,###,##0", 1e15, "1,000,000,000,000,000"},
    {"#,##0", 1e20, "100,000,000,000,000,000,000"},
    {"#,###,##0.0", 4294967295.0, "4,294,967,295.0"},
    {"0.0", 1e-300, "0.0"},
    {"0.000", 0.0005, "0.001"},
};

const std::vector<Case> digitCases = {
    {"0.##", 1.5, "1.5"},
    {"0.##", 2.0, "2"},
    {"0.##", 0.125, "0.13"},
    {"0.0#", 3.0, "3.0"},
    {"0.0#", 3.25, "3.25"},
    {"000", 7, "007"},
    {"#,##0.0", 0.3, "0.3"},
};

const std::vector<Case> literalCases = {
    {"#,##0 KB", 1536, "1,536 KB"},
    {"#,##0 KB", 0, "0 KB"},
    {"#,##0 MB", 1023.5, "1,024 MB"},
    {"#,##0.0 %", 12.345, "12.3 %"},
    {"#,##0.0 %", 99.95, "100.0 %"},
    {"#,###,##0 Polyra Marks", 4321.5, "4,322 Polyra Marks"},
};

TEST(FormatFloatTest, RoundsHalvesAwayFromZero) { expectAll(roundingCases); }
TEST(FormatFloatTest, GroupsThousandsOnlyWhenAsked) { expectAll(groupingCases); }
TEST(FormatFloatTest, SignsAndZero) { expectAll(signCases); }
TEST(FormatFloatTest, LargeAndSmallMagnitudes) { expectAll(magnitudeCases); }
TEST(FormatFloatTest, RequiredAndOptionalDigits) { expectAll(digitCases); }
TEST(FormatFloatTest, LiteralTextFollowsTheNumber) { expectAll(literalCases); }

TEST(FormatFloatTest, NonFiniteValues)
{
    EXPECT_EQ(formatFloat("#,###,##0.0", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(formatFloat("#,##0 KB", std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(formatFloat("#,##0", -std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FormatFloatTest, LargestDoubleDoesNotOverflowTheText)
{
    const std::string text = formatFloat("#,##0", std::numeric_limits<double>::max());
    EXPECT_EQ(text.substr(0, 8), "179,769,");
    EXPECT_EQ(text.size(), 309u + 102u);  // 309 digits, 102 separators
}

// The texts go into files and the clipboard; a comma-decimal locale must not
// leak into them.
TEST(FormatFloatTest, IgnoresTheProcessLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    struct Restore {
        std::string locale;
        ~Restore() { std::setlocale(LC_ALL, locale.c_str()); }
    } restore{saved};

    for (const auto* cases : {&roundingCases, &groupingCases, &signCases, &literalCases})
        expectAll(*cases);
}

} // namespace
