// Number and text helpers that every data format leans on.
#include "foundation/Random.h"
#include "foundation/Text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(Numbers, LeadingInt)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"42", 42}, {" 42abc", 42}, {"-7", -7}, {"+5", 5}, {"abc", 0}, {"", 0}, {"3.9", 3}, {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(LeadingInt(text), value) << text;
}

TEST(Numbers, StrictForms)
{
    EXPECT_EQ(StrictInt(" 12 "), 12);
    EXPECT_FALSE(StrictInt("12x"));
    EXPECT_FALSE(StrictInt(""));
    EXPECT_EQ(StrictReal("0.5"), 0.5);
    EXPECT_FALSE(StrictReal("0,5"));
    EXPECT_EQ(StrictBool("TRUE"), true);
    EXPECT_EQ(StrictBool("false"), false);
    EXPECT_FALSE(StrictBool("1"));
}

TEST(Numbers, RoundingIsHalfToEvenAndNeverUndefined)
{
    const std::pair<double, int32_t> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {1e300, INT32_MAX}, {-1e300, INT32_MIN},
        {std::numeric_limits<double>::quiet_NaN(), 0}, {std::numeric_limits<double>::infinity(), INT32_MAX},
    };
    for (const auto& [v, r] : cases)
        EXPECT_EQ(RoundHalfEven(v), r) << v;
    EXPECT_EQ(TruncSafe(-2.7), -2);
    EXPECT_EQ(TruncSafe(std::nan("")), 0);
}

TEST(Numbers, FormattingUsesAPoint)
{
    EXPECT_EQ(FormatFixed(0.35, 2), "0.35");
    EXPECT_EQ(FormatFixed(0.1, 3), "0.100");
    EXPECT_EQ(FormatFixed(-2, 1), "-2.0");
    EXPECT_EQ(IntToStr(-12), "-12");
}

TEST(Text, CaseAndTrimming)
{
    EXPECT_EQ(AsciiLower("AbC\xC3\x89"), "abc\xC3\x89");
    EXPECT_TRUE(EqualsNoCase("Visible", "vISIBLE"));
    EXPECT_FALSE(EqualsNoCase("\xC3\x89", "\xC3\xA9"));
    EXPECT_EQ(Trim("\t\r\n x \x01"), "x");
}

TEST(Text, Utf8AndUtf16)
{
    EXPECT_EQ(Utf8ToUtf16("Zoë Привет"), u"Zoë Привет");
    EXPECT_EQ(Utf16ToUtf8(u"Zoë Привет €"), "Zoë Привет €");
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");       // a stray byte
    EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");            // cut short
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\uFFFD");  // beyond 16 bits
}

TEST(Random, DeterministicAndInRange)
{
    TRandom a(1234), b(1234);
    for (int i = 0; i < 1000; ++i) {
        int32_t v = a.Below(7);
        EXPECT_EQ(v, b.Below(7));
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 7);
        double r = a.Real();
        b.Real();
        EXPECT_GE(r, 0.0);
        EXPECT_LT(r, 1.0);
    }
    EXPECT_EQ(a.Below(0), 0);
    EXPECT_EQ(a.Between(5, 5), 5);
}

}  // namespace
