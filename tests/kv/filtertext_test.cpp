#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "kvs_filtertext.h"
#include "kvs_streammemory.h"

namespace {

std::string filtered(const std::function<void(KVS_streamOutputBase &)> &write, const char *separator = " ",
                     unsigned size = 1024)
{
    KVS_streamOutputMemory memory(size);
    KVS_filterText filter(separator);
    {
        auto text = memory.applyFilter(filter);
        write(text);
    }
    return std::string(reinterpret_cast<const char *>(memory.getBuffer()), memory.getLength());
}

struct TextCase {
    const char *name;
    std::function<void(KVS_streamOutputBase &)> write;
    const char *text;
};

const std::vector<TextCase> &textCases()
{
    static const std::vector<TextCase> cases = {
        {"char", [](auto &o) { o << 'x'; }, "x "},
        {"unsigned char", [](auto &o) { o << static_cast<unsigned char>(200); }, "200 "},
        {"short", [](auto &o) { o << static_cast<short>(-300); }, "-300 "},
        {"unsigned short", [](auto &o) { o << static_cast<unsigned short>(65535); }, "65535 "},
        {"int", [](auto &o) { o << -7; }, "-7 "},
        {"unsigned max", [](auto &o) { o << 4294967295u; }, "4294967295 "},
        {"long", [](auto &o) { o << -123456L; }, "-123456 "},
        {"unsigned long", [](auto &o) { o << 42ul; }, "42 "},
        {"float", [](auto &o) { o << 1.5f; }, "1.500000 "},
        {"double", [](auto &o) { o << -0.25; }, "-0.250000 "},
        {"double rounding", [](auto &o) { o << 2.0000005; }, "2.000001 "},
        {"text alone", [](auto &o) { o << "abc"; }, "abc"},
        {"char array", [](auto &o) { const char s[3] = {'a', 'b', 'c'}; o.writeStr(s, 3); }, "a b c "},
        {"uchar array", [](auto &o) { const unsigned char s[3] = {1, 2, 3}; o.writeStr(s, 3); }, "1 2 3 "},
        {"empty array", [](auto &o) { const int s[1] = {5}; o.writeStr(s, 0); }, ""},
    };
    return cases;
}

TEST(TextFilter, EachTypeBecomesItsPrintfTextAndTheSeparator)
{
    for (const TextCase &c : textCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(filtered(c.write), c.text);
    }
}

TEST(TextFilter, EmptySeparatorWritesValuesBackToBack)
{
    EXPECT_EQ(filtered([](auto &o) { o << 1 << 2 << 3; }, ""), "123");
    EXPECT_EQ(filtered([](auto &o) { o << 1 << 2; }, ", "), "1, 2, ");
}

TEST(TextFilter, HugeDoublesAreFormattedWhole)
{
    const std::string text = filtered([](auto &o) { o << std::numeric_limits<double>::max(); });
    EXPECT_EQ(text.size(), 309u + 7u + 1u);
    EXPECT_EQ(text.substr(text.size() - 8), ".000000 ");
}

TEST(TextFilter, TargetOverflowPassesThroughAndKeepsEarlierElements)
{
    KVS_streamOutputMemory memory(5);
    KVS_filterText filter(" ");
    auto text = memory.applyFilter(filter);
    const int values[3] = {12, 34, 56};
    EXPECT_THROW(text.writeStr(values, 3), KVS_exceptionStreamOverflow);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(memory.getBuffer()), memory.getLength()), "12 ");
}

TEST(TextFilter, ReleasedFilterWritesWithAnEmptySeparator)
{
    KVS_streamOutputMemory memory(64);
    KVS_filterText filter(" ");
    auto text = memory.applyFilter(filter);
    EXPECT_FALSE(text.close());
    text << 5;
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(memory.getBuffer()), memory.getLength()), "5");
}

TEST(TextFilter, NumbersIgnoreTheProcessLocale)
{
    const char *const commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "fr_FR"};
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char *found = nullptr;
    for (const char *name : commaLocales)
        if (std::setlocale(LC_ALL, name)) {
            found = name;
            break;
        }
    if (!found)
        GTEST_SKIP() << "no comma-decimal locale installed";
    const std::string text = filtered([](auto &o) { o << 1.5 << 1234567; });
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(text, "1.500000 1234567 ") << "under " << found;
}

} // namespace
