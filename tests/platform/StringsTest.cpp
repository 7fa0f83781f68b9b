// Tests for the 8-bit text helpers: case-insensitive compares, bounded copies and formatting, C-locale numbers.
#include "platform/Strings.h"

#include "tests/platform/LocaleGuard.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

using platform::ParseFloat;
using platform::ParseInt;

TEST(StringsTest, CaseInsensitiveComparesFoldAsciiLettersOnly)
{
    EXPECT_EQ(platform::StrICmp("Tidewell", "TIDEWELL"), 0);
    EXPECT_LT(platform::StrICmp("apple", "Banana"), 0);
    // Letters fold to lower case, so '_' (0x5F) sorts before 'a'; bytes above 0x7F compare unsigned, unfolded.
    EXPECT_LT(platform::StrICmp("_", "A"), 0);
    EXPECT_GT(platform::StrICmp("\xE9", "z"), 0);
    EXPECT_NE(platform::StrICmp("\xC4", "\xE4"), 0);
    EXPECT_EQ(platform::StrNICmp("abcX", "ABCY", 3), 0);
    EXPECT_LT(platform::StrNICmp("abcX", "ABCY", 4), 0);
}

TEST(StringsTest, BoundedCopyAndFormatTruncateTerminateAndNeverWritePastTheCapacity)
{
    char buf[16];
    std::memset(buf, 'Z', sizeof(buf));
    EXPECT_EQ(platform::CopyString(buf, 6, "abcdefgh"), 5u);
    EXPECT_STREQ(buf, "abcde");
    EXPECT_EQ(platform::FormatString(buf, 8, "%s-%d", "abcdef", 12345), 7u);
    EXPECT_STREQ(buf, "abcdef-");
    EXPECT_EQ(std::string(buf + 8, 8), std::string(8, 'Z'));
    EXPECT_EQ(platform::CopyString(buf, sizeof(buf), nullptr), 0u);
    EXPECT_STREQ(buf, "");
    buf[0] = 'Q';
    EXPECT_EQ(platform::CopyString(buf, 0, "abc") + platform::FormatString(buf, 0, "%s", "abc"), 0u);
    EXPECT_EQ(buf[0], 'Q');

    std::string longText(3000, 'x');
    EXPECT_EQ(platform::Format("[%s|%d]", longText.c_str(), -5), "[" + longText + "|-5]");
}

TEST(StringsTest, ParseIntReadsLikeAtoiAndSaturates)
{
    EXPECT_EQ(ParseInt(" \t\n\r\v\f-42abc"), -42);
    EXPECT_EQ(ParseInt("+12.9"), 12);
    EXPECT_EQ(ParseInt("0x1F"), 0);
    EXPECT_EQ(ParseInt("+-5"), 0);
    EXPECT_EQ(ParseInt(nullptr), 0);
    EXPECT_EQ(ParseInt("2147483648"), INT_MAX);
    EXPECT_EQ(ParseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseInt("-99999999999999999999999"), INT_MIN);
}

TEST(StringsTest, ParseFloatReadsLikeAtof)
{
    EXPECT_EQ(ParseFloat("  -2.5E-1xyz"), -0.25);
    EXPECT_EQ(ParseFloat(".5"), 0.5);
    EXPECT_EQ(ParseFloat("1,5"), 1.0); // a comma is never a decimal point here
    EXPECT_EQ(ParseFloat("+-5"), 0.0); // one sign only
    EXPECT_EQ(ParseFloat(nullptr), 0.0);
    // Out of range: huge or zero, as atof gives; 400 digits without an exponent are judged by their value.
    EXPECT_EQ(ParseFloat("-1e999"), -HUGE_VAL);
    EXPECT_EQ(ParseFloat(("0." + std::string(400, '0') + "1").c_str()), 0.0);
    EXPECT_EQ(ParseFloat(("1" + std::string(400, '0')).c_str()), HUGE_VAL);
}

TEST(StringsTest, ParseFloatReadsHexadecimalNumbersLikeAtof)
{
    // A "0x" prefix gives base-16 digits, an optional fraction after the point and an optional binary exponent
    // after 'p'; a prefix with no digit after it reads as the 0 before it.
    const struct
    {
        const char* text;
        double expected;
    } cases[] = {
        {"0x10", 16.0},          // 1 x 16
        {"0X1f", 31.0},          // 1 x 16 + 15
        {"-0x10", -16.0},        // the sign comes before the prefix
        {"+0xA", 10.0},          // a plus sign too
        {"0x1.8p1", 3.0},        // 1.5 x 2
        {"0x.8", 0.5},           // 8 / 16
        {"0x4;", 4.0},           // the first character that is no digit ends it
        {"0x", 0.0},             // no digit after the prefix
        {"0xg", 0.0},            // nor a letter beyond f
        {"0x-5", 0.0},           // no second sign after the prefix
        {"0xinf", 0.0},          // nor a word
        {"0x1p99999", HUGE_VAL}, // too large, as for decimal numbers
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseFloat(c.text), c.expected) << c.text;
}

TEST(StringsTest, FormatFixedWritesFixedDecimals)
{
    EXPECT_EQ(platform::FormatFixed(-0.75), "-0.750000");
    EXPECT_EQ(platform::FormatFixed(2.0 / 3.0, 3), "0.667");
    EXPECT_EQ(platform::FormatFixed(1.25, -1), "1.250000"); // a negative precision counts as none
    // The widest value: 309 integer digits, the point and 300 zero decimals.
    std::string text = platform::FormatFixed(1e308, 300);
    ASSERT_EQ(text.size(), 309u + 1u + 300u);
    EXPECT_EQ(text.substr(0, 4), "1000");
    EXPECT_EQ(text.find_first_not_of('0', 310), std::string::npos);
}

TEST(StringsTest, NumbersStayInTheCLocaleUnderADecimalCommaLocale)
{
    platformtest::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(ParseFloat("1.5"), 1.5);
    EXPECT_EQ(ParseFloat("1,5"), 1.0);
    EXPECT_EQ(ParseInt("1.234"), 1);
    EXPECT_EQ(platform::FormatFixed(2.5, 2), "2.50");
}
