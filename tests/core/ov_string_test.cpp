#include "core/ov_string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(OvString, KeepsEveryByteAcrossTheInlineBoundary) {
    // Lengths around the inline capacity, with NUL and high bytes inside.
    for (std::size_t n = 0; n <= 20; ++n) {
        std::string bytes;
        for (std::size_t i = 0; i < n; ++i) bytes += static_cast<char>(i % 3 == 0 ? 0 : 0x7F + i * 11);
        const OvString text(bytes);
        EXPECT_EQ(text.view(), bytes) << n;
        EXPECT_EQ(text.size(), n);
        EXPECT_EQ(text.empty(), n == 0);
        EXPECT_EQ(text.str(), bytes);
    }
}

TEST(OvString, CopiesShareLongTextsAndOutliveTheOriginal) {
    auto* original = new OvString(std::string_view("e:\\music\\rock\\live\\"));
    OvString copy = *original;
    EXPECT_TRUE(copy.SharesBlockWith(*original));
    delete original;
    EXPECT_EQ(copy, "e:\\music\\rock\\live\\");

    OvString other("e:\\music\\rock\\live\\");
    EXPECT_FALSE(other.SharesBlockWith(copy));
    EXPECT_EQ(other, copy);
}

TEST(OvString, AssignmentReleasesAndRetains) {
    OvString a("a long text, longer than seven");
    OvString b("another long text of some length");
    b = a;
    EXPECT_EQ(b, a);
    b = b;  // self-assignment keeps the text
    EXPECT_EQ(b, "a long text, longer than seven");
    OvString c = std::move(b);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c, a);
    c = std::string_view("short");
    EXPECT_EQ(c, "short");
    EXPECT_EQ(a, "a long text, longer than seven");
}

TEST(OvString, ComparesByBytes) {
    EXPECT_NE(OvString("abc"), OvString("abd"));
    EXPECT_NE(OvString("abc"), OvString(std::string_view("abc\0", 4)));
    EXPECT_TRUE(OvString("abc") < std::string_view("abd"));
    EXPECT_EQ(OvString(""), OvString());
}

}  // namespace
