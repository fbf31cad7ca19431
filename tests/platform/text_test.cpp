#include "platform/text.h"
#include "platform/text_matcher.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ov2::CompareNoCase;
using ov2::DecodeText;
using ov2::EqualsNoCase;
using ov2::LowerText;

// UTF-8 bytes of a few letters, so that each literal reads as text.
const std::string kBom = "\xEF\xBB\xBF";
const std::string kUpperAe = "\xC3\x84";  // Ä
const std::string kLowerAe = "\xC3\xA4";  // ä
const std::string kEuro = "\xE2\x82\xAC";

// Not QString::fromUtf16, which would take a leading U+FEFF as a byte order mark.
QString U(const char16_t* text) {
    return QStringView(text).toString();
}

TEST(DecodeText, TakesUtf8WhenValidElseWindows1252) {
    EXPECT_EQ(DecodeText("d:\\music\\"), QStringLiteral("d:\\music\\"));
    EXPECT_EQ(DecodeText(""), QString());
    EXPECT_EQ(DecodeText(kUpperAe + "rger " + kEuro), U(u"Ärger €"));
    EXPECT_EQ(DecodeText(std::string("a\0b", 3)).size(), 3);

    EXPECT_EQ(DecodeText("\x80"), U(u"€"));
    EXPECT_EQ(DecodeText("caf\xE9"), U(u"café"));
    // The high half of the code page: typographic marks, the five unassigned bytes as C1
    // controls, the rest Latin-1.
    EXPECT_EQ(DecodeText("\x81\x85\x8A\x8D\x91\x92\x96\x99\x9F\xA0\xFF"),
              U(u"\u0081…Š\u008D‘’–™Ÿ\u00A0ÿ"));
    // One invalid sequence makes the whole text Windows-1252, including its valid UTF-8 parts.
    EXPECT_EQ(DecodeText("\xC3\xA9\xE9"), U(u"Ã©é"));
    EXPECT_EQ(DecodeText("abc\xC3"), U(u"abcÃ"));           // cut short at the end
    EXPECT_EQ(DecodeText("\xC0\xAF"), U(u"À¯"));            // overlong
    EXPECT_EQ(DecodeText("\xED\xA0\x80"), U(u"í\u00A0€"));  // a surrogate
}

TEST(DecodeText, KeepsALeadingByteOrderMark) {
    // The mark is part of the record's bytes; dropping it would show two different names alike.
    EXPECT_EQ(DecodeText(kBom + "abc"), U(u"\uFEFFabc"));
    EXPECT_EQ(ov2::EncodeText(DecodeText(kBom + "abc")), kBom + "abc");
}

TEST(EncodeText, WritesUtf8ThatDecodesBack) {
    const QString text = U(u"Ärger € 日本 \U0001F3B5");
    const std::string bytes = ov2::EncodeText(text);
    EXPECT_EQ(bytes, "\xC3\x84rger \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5");
    EXPECT_EQ(DecodeText(bytes), text);
}

TEST(LowerText, FollowsTheRulesOfTheTextsEncoding) {
    EXPECT_EQ(LowerText("D:\\Music\\AZ@[`{"), "d:\\music\\az@[`{");
    EXPECT_EQ(LowerText(""), "");
    EXPECT_EQ(LowerText(kUpperAe + "BC " + kUpperAe), kLowerAe + "bc " + kLowerAe);
    EXPECT_EQ(LowerText("\xCE\xA3\xCE\x9F"), "\xCF\x83\xCE\xBF");  // ΣΟ → σο
    // Not UTF-8: ASCII letters only; the other bytes stay, whatever code page they are.
    EXPECT_EQ(LowerText("CAF\xC9 \x80X"), "caf\xC9 \x80x");
    EXPECT_EQ(LowerText(kBom + "ABC"), kBom + "abc");
    EXPECT_EQ(LowerText(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(CompareNoCase, OrdersAsciiWithoutRegardToCase) {
    EXPECT_EQ(CompareNoCase("Music", "mUSIC"), 0);
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_LT(CompareNoCase("ab", "AB c"), 0);
    EXPECT_GT(CompareNoCase("ab c", "AB"), 0);
    // Letters compare as lower case, so "_" (between "Z" and "a") sorts before both cases.
    EXPECT_LT(CompareNoCase("_", "A"), 0);
    EXPECT_GT(CompareNoCase("Z", "_"), 0);
    EXPECT_TRUE(EqualsNoCase("", ""));
    EXPECT_FALSE(EqualsNoCase("a", ""));
}

TEST(CompareNoCase, UsesUnicodeForUtf8AndBytesOtherwise) {
    EXPECT_EQ(CompareNoCase(kUpperAe + "BC", kLowerAe + "bc"), 0);
    EXPECT_TRUE(EqualsNoCase(kUpperAe + "rger", kLowerAe + "RGER"));
    EXPECT_FALSE(EqualsNoCase(kUpperAe + "rger", "arger"));
    EXPECT_LT(CompareNoCase(kUpperAe + "a", kLowerAe + "B"), 0);
    // Windows-1252 Ä and ä are different bytes with no known case relation.
    EXPECT_NE(CompareNoCase("\xC4Z", "\xE4z"), 0);
    EXPECT_EQ(CompareNoCase("\xC4Z", "\xC4z"), 0);
    // Bytes above 0x7F sort after ASCII, in either encoding.
    EXPECT_LT(CompareNoCase("z", "\xE9"), 0);
    EXPECT_LT(CompareNoCase("Z", "\xC3\xA9"), 0);
    EXPECT_GT(CompareNoCase("\xE9", "Z"), 0);
    // A leading byte order mark is a difference.
    EXPECT_NE(CompareNoCase(kBom + "abc", "ABC"), 0);
}

TEST(CompareNoCase, IsAConsistentOrderOverMixedTexts) {
    const std::string texts[] = {"",      "a",     "B",      kUpperAe, kLowerAe + "x",
                                 "\xC4Z", "\xE4Z", "ab\xFF", "AB",     kBom + "a"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const int ab = CompareNoCase(a, b), ba = CompareNoCase(b, a);
            EXPECT_EQ(ab < 0, 0 < ba) << a << " / " << b;
            EXPECT_EQ(ab == 0, ba == 0) << a << " / " << b;
            for (const std::string& c : texts) {
                if (ab < 0 && CompareNoCase(b, c) < 0) {
                    EXPECT_LT(CompareNoCase(a, c), 0) << a << " / " << b << " / " << c;
                }
            }
        }
    }
}

TEST(CTextMatcher, MeetsWindowsAndLinuxTextsWithFullCaseFolding) {
    const ov2::CTextMatcher cafe("caf\xC3\xA9"), strasse("stra\xC3\x9F" "e"), juergen("J\xC3\x9CRGEN");
    EXPECT_TRUE(cafe.Contains("Best of Caf\xE9"));        // Windows-1252
    EXPECT_TRUE(cafe.Contains("CAF\xC3\x89 del Mar"));    // UTF-8
    EXPECT_TRUE(cafe.Contains("Cafe\xCC\x81"));           // é as e and a combining accent
    EXPECT_FALSE(cafe.Contains("Cafe"));
    EXPECT_FALSE(ov2::CTextMatcher("cafe").Contains("Cafe\xCC\x81"));
    EXPECT_TRUE(strasse.Contains("HAUPTSTRASSE 5"));
    EXPECT_TRUE(ov2::CTextMatcher("STRASSE").Contains("Hauptstra\xDF" "e"));  // ß in Windows-1252
    EXPECT_TRUE(ov2::CTextMatcher("ss").Contains("Stra\xC3\x9F" "e"));
    EXPECT_TRUE(juergen.Equals("j\xFCrgen"));
    EXPECT_TRUE(juergen.Contains("J\xDCRGEN\x85"));          // and "…", in Windows-1252
    EXPECT_TRUE(juergen.Contains("J\xC3\x9CRGEN\xE2\x80\xA6"));  // the same in UTF-8
    EXPECT_FALSE(juergen.Equals("JURGEN"));
    EXPECT_FALSE(juergen.Equals("J\xC3\x9CRGEN "));
    // ASCII on both sides, and a pattern that folds to ASCII (the Kelvin sign).
    EXPECT_TRUE(ov2::CTextMatcher("ROCK").Contains("best of rock"));
    EXPECT_FALSE(ov2::CTextMatcher("rocks").Contains("best of rock"));
    EXPECT_TRUE(ov2::CTextMatcher("\xE2\x84\xAA" "B").Equals("kb"));
    EXPECT_TRUE(ov2::CTextMatcher("").Contains("x"));
    EXPECT_FALSE(ov2::CTextMatcher("").Equals("x"));
    EXPECT_TRUE(ov2::SameText("Caf\xC9", "caf\xC3\xA9"));
    EXPECT_EQ(ov2::FoldText("STRA\xC3\x9F" "E \xCE\x90"), "strasse \xCE\x90");  // ΐ folds apart, NFC joins it
}

}  // namespace
