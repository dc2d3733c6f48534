#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "sparsetext.h"

namespace {

const struct TextCase {
    const char *name;
    std::string value;
} textCases[] = {
    {"empty", ""},
    {"one character", "a"},
    {"fourteen", "Unnamed(12345)"},
    {"fifteen, the most held in place", "Unnamed(123456)"},
    {"sixteen, the fewest on the heap", "Unnamed(1234567)"},
    {"long", "Quality\\Reference\\Game 4 - Meadow full size.png"},
    {"zero bytes inside", std::string("a\0b\0", 4)},
    {"zero bytes on the heap", std::string("0123456789\0abcdef", 17)},
    {"Windows-1252", "R\xE4" "der \x80\xFF"},
};

TEST(ShortText, HoldsEveryTextWholeInPlaceOrOnTheHeap)
{
    for (const TextCase &c : textCases) {
        SCOPED_TRACE(c.name);
        ShortText t = std::string_view(c.value);
        EXPECT_EQ(t.view(), c.value);
        EXPECT_EQ(t.str(), c.value);
        EXPECT_EQ(t.size(), c.value.size());
        EXPECT_EQ(t.empty(), c.value.empty());
        EXPECT_TRUE(t == c.value);
        EXPECT_EQ(static_cast<std::string>(t), c.value);

        // Copies and moves between every pair of lengths.
        for (const TextCase &other : textCases) {
            SCOPED_TRACE(other.name);
            ShortText u = other.value;
            u = t;
            EXPECT_EQ(u.view(), c.value);
            ShortText moved = std::move(u);
            EXPECT_EQ(moved.view(), c.value);
            EXPECT_TRUE(u.empty());
            u = other.value;
            moved = std::move(u);
            EXPECT_EQ(moved.view(), other.value);
            EXPECT_TRUE(u.empty());
            EXPECT_EQ(t.view(), c.value);
        }

        ShortText self = c.value;
        self = self;
        EXPECT_EQ(self.view(), c.value);
        // A part of its own text.
        self = self.view().substr(self.size() / 2);
        EXPECT_EQ(self.view(), c.value.substr(c.value.size() / 2));
        self.clear();
        EXPECT_TRUE(self.empty());
        EXPECT_EQ(self.view(), "");
    }
}

TEST(SharedText, EqualTextsShareOneCopy)
{
    for (const TextCase &c : textCases) {
        SCOPED_TRACE(c.name);
        SharedText a = c.value;
        const SharedText b = std::string(c.value);
        EXPECT_EQ(a.str(), c.value);
        EXPECT_EQ(a.empty(), c.value.empty());
        EXPECT_EQ(&a.str(), &b.str());
        const std::string &asString = a;
        EXPECT_EQ(asString, c.value);
        a = std::string("other");
        EXPECT_EQ(a.str(), "other");
        EXPECT_EQ(b.str(), c.value);
        a.clear();
        EXPECT_TRUE(a.empty());
        EXPECT_EQ(a.str(), "");
    }
}

} // namespace
