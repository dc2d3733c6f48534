#include <gtest/gtest.h>

#include <QStringList>

// A failure shows Qt's texts as their letters in every test file, also in
// one that includes nothing to print them.
TEST(QtPrinters, TextsPrintAsTheirLetters)
{
    EXPECT_EQ(testing::PrintToString(QString("Testing")), "\"Testing\"");
    EXPECT_EQ(testing::PrintToString(QStringList{"Rig", "Other"}), "{\"Rig\", \"Other\"}");
    EXPECT_EQ(testing::PrintToString(QStringList{}), "{}");
}
