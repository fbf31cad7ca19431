#include "core/number_text.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberText, LeadingIntReadsLikeAtoiAndSaturates) {
    EXPECT_EQ(ParseLeadingInt("12"), 12);
    EXPECT_EQ(ParseLeadingInt("  7 Photos"), 7);
    EXPECT_EQ(ParseLeadingInt("+5"), 5);
    EXPECT_EQ(ParseLeadingInt("-3"), -3);
    EXPECT_EQ(ParseLeadingInt("007"), 7);
    EXPECT_EQ(ParseLeadingInt("abc"), 0);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("--1"), 0);
    EXPECT_EQ(ParseLeadingInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseLeadingInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseLeadingInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(NumberText, CanonicalIntAcceptsOnlyThePrintfForm) {
    EXPECT_EQ(ParseCanonicalInt("0"), 0);
    EXPECT_EQ(ParseCanonicalInt("42"), 42);
    EXPECT_EQ(ParseCanonicalInt("2147483647"), 2147483647);
    for (const char* text : {"", "007", "+7", " 7", "7 ", "-1", "2147483648", "99999999999", "1a"})
        EXPECT_FALSE(ParseCanonicalInt(text).has_value()) << text;
}

TEST(NumberText, SizesUseTheMebibyteFactorAndDecimalPoint) {
    EXPECT_EQ(FormatSizeText(0), "0.000 MB");
    EXPECT_EQ(FormatSizeText(1048576), "1.000 MB");
    EXPECT_EQ(FormatSizeText(5), "0.000 MB");
    EXPECT_EQ(FormatSizeText(1572864), "1.500 MB");
    EXPECT_EQ(FormatSizeText(-1073741824), "-1024.000 MB");
    EXPECT_EQ(FormatSizeText(1e300).substr(0, 4), "9536");
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("4294967296"), 4294967296.0);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble(" -12.5kb"), -12.5);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("x12"), 0);
}

}  // namespace
