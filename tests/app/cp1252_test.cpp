#include <gtest/gtest.h>

#include "Cp1252.h"

TEST(Cp1252, BytesAndUnicodeCrossBothWays)
{
    struct Case {
        std::string bytes;
        QString text;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"Intel\xAE", QString::fromUtf8("Intel\u00AE")},
        {"\x80 \x99 \x9F", QString::fromUtf8("\u20AC \u2122 \u0178")},
        {"\xC4\xE9\xFF", QString::fromUtf8("\u00C4\u00E9\u00FF")},
        {"\x81\x8D", QString(QChar(0x81)) + QChar(0x8D)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(fromCp1252(c.bytes), c.text);
        EXPECT_EQ(toCp1252(c.text), c.bytes);
    }
    EXPECT_EQ(toCp1252(QString::fromUtf8("\u4E2D")), "?");
}
