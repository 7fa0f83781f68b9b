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

TEST(StringsTest, StrICmpIgnoresTheCaseOfAsciiLettersOnly)
{
    EXPECT_EQ(platform::StrICmp("Tidewell", "TIDEWELL"), 0);
    EXPECT_EQ(platform::StrICmp("", ""), 0);
    EXPECT_LT(platform::StrICmp("apple", "Banana"), 0);
    EXPECT_GT(platform::StrICmp("ZEBRA", "yak"), 0);
    EXPECT_LT(platform::StrICmp("abc", "ABCD"), 0);
    EXPECT_GT(platform::StrICmp("abcd", "ABC"), 0);
    // Letters fold to lower case before comparing, so '_' (0x5F) sorts before 'a' (0x61).
    EXPECT_LT(platform::StrICmp("_", "A"), 0);
    // Bytes above 0x7F are not letters to it, and compare as unsigned values.
    EXPECT_NE(platform::StrICmp("\xC4", "\xE4"), 0);
    EXPECT_GT(platform::StrICmp("\xE9", "z"), 0);
}

TEST(StringsTest, StrNICmpComparesAtMostNCharacters)
{
    EXPECT_EQ(platform::StrNICmp("HELLOworld", "helloWORLD!", 10), 0);
    EXPECT_NE(platform::StrNICmp("HELLOworld", "helloWORLD!", 11), 0);
    EXPECT_EQ(platform::StrNICmp("abcX", "ABCY", 3), 0);
    EXPECT_LT(platform::StrNICmp("abcX", "ABCY", 4), 0);
    EXPECT_EQ(platform::StrNICmp("x", "y", 0), 0);
    EXPECT_LT(platform::StrNICmp("ab", "abc", 5), 0);
}

TEST(StringsTest, CopyStringTruncatesAndTerminates)
{
    char buf[16];
    std::memset(buf, 'Z', sizeof(buf));
    EXPECT_EQ(platform::CopyString(buf, 6, "abcdefgh"), 5u);
    EXPECT_STREQ(buf, "abcde");
    for (size_t i = 6; i < sizeof(buf); ++i)
        EXPECT_EQ(buf[i], 'Z') << "byte " << i << " past the capacity was written";

    EXPECT_EQ(platform::CopyString(buf, 6, "abcde"), 5u);
    EXPECT_STREQ(buf, "abcde");
    EXPECT_EQ(platform::CopyString(buf, sizeof(buf), "ab"), 2u);
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(platform::CopyString(buf, 1, "abc"), 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(platform::CopyString(buf, sizeof(buf), nullptr), 0u);
    EXPECT_STREQ(buf, "");

    buf[0] = 'Q';
    EXPECT_EQ(platform::CopyString(buf, 0, "abc"), 0u);
    EXPECT_EQ(buf[0], 'Q');
}

TEST(StringsTest, FormatStringTruncatesAndTerminates)
{
    char buf[16];
    std::memset(buf, 'Z', sizeof(buf));
    EXPECT_EQ(platform::FormatString(buf, 8, "%s-%d", "abcdef", 12345), 7u);
    EXPECT_STREQ(buf, "abcdef-");
    for (size_t i = 8; i < sizeof(buf); ++i)
        EXPECT_EQ(buf[i], 'Z') << "byte " << i << " past the capacity was written";

    EXPECT_EQ(platform::FormatString(buf, 8, "%d", 1234567), 7u);
    EXPECT_STREQ(buf, "1234567");
    EXPECT_EQ(platform::FormatString(buf, sizeof(buf), "%03d|%-3s|%x", 7, "a", 255), 10u);
    EXPECT_STREQ(buf, "007|a  |ff");
    EXPECT_EQ(platform::FormatString(buf, 1, "%s", "abc"), 0u);
    EXPECT_STREQ(buf, "");

    buf[0] = 'Q';
    EXPECT_EQ(platform::FormatString(buf, 0, "%s", "abc"), 0u);
    EXPECT_EQ(buf[0], 'Q');
}

TEST(StringsTest, FormatBuildsTextsOfAnyLength)
{
    std::string longText(3000, 'x');
    std::string out = platform::Format("[%s|%d]", longText.c_str(), -5);
    EXPECT_EQ(out, "[" + longText + "|-5]");
    EXPECT_EQ(platform::Format("%s", ""), "");
    EXPECT_EQ(platform::Format("%s%d", "DialogXPos", 3), "DialogXPos3");
}

TEST(StringsTest, ParseIntReadsLikeAtoi)
{
    EXPECT_EQ(ParseInt("42"), 42);
    EXPECT_EQ(ParseInt(" \t\n\r\v\f42abc"), 42);
    EXPECT_EQ(ParseInt("-17"), -17);
    EXPECT_EQ(ParseInt("+5"), 5);
    EXPECT_EQ(ParseInt("007"), 7);
    EXPECT_EQ(ParseInt("12.9"), 12);
    EXPECT_EQ(ParseInt("0x1F"), 0);
    EXPECT_EQ(ParseInt("abc"), 0);
    EXPECT_EQ(ParseInt(""), 0);
    EXPECT_EQ(ParseInt(nullptr), 0);
    EXPECT_EQ(ParseInt("- 5"), 0);
    EXPECT_EQ(ParseInt("--5"), 0);
    EXPECT_EQ(ParseInt("+-5"), 0);
    EXPECT_EQ(ParseInt("default"), 0);
}

TEST(StringsTest, ParseIntSaturatesAtThe32BitLimits)
{
    EXPECT_EQ(ParseInt("2147483647"), INT_MAX);
    EXPECT_EQ(ParseInt("2147483648"), INT_MAX);
    EXPECT_EQ(ParseInt("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseInt("-2147483649"), INT_MIN);
    EXPECT_EQ(ParseInt("-99999999999999999999999"), INT_MIN);
}

TEST(StringsTest, ParseFloatReadsLikeAtof)
{
    EXPECT_EQ(ParseFloat("3.25"), 3.25);
    EXPECT_EQ(ParseFloat("  -0.5xyz"), -0.5);
    EXPECT_EQ(ParseFloat("+2"), 2.0);
    EXPECT_EQ(ParseFloat("1e3"), 1000.0);
    EXPECT_EQ(ParseFloat("2.5E-1"), 0.25);
    EXPECT_EQ(ParseFloat(".5"), 0.5);
    EXPECT_EQ(ParseFloat("5."), 5.0);
    EXPECT_EQ(ParseFloat("1e"), 1.0);
    EXPECT_EQ(ParseFloat("0.500000"), 0.5);
    EXPECT_EQ(ParseFloat("1,5"), 1.0); // a comma is never a decimal point here
    EXPECT_EQ(ParseFloat("abc"), 0.0);
    EXPECT_EQ(ParseFloat(""), 0.0);
    EXPECT_EQ(ParseFloat("."), 0.0);
    EXPECT_EQ(ParseFloat(nullptr), 0.0);
    EXPECT_EQ(ParseFloat("default"), 0.0);
}

TEST(StringsTest, ParseFloatTakesOneSignOnly)
{
    EXPECT_EQ(ParseFloat("--5"), 0.0);
    EXPECT_EQ(ParseFloat("+-5"), 0.0);
    EXPECT_EQ(ParseFloat("-+5"), 0.0);
    EXPECT_EQ(ParseFloat("- 5"), 0.0);
}

TEST(StringsTest, ParseFloatOutOfRangeGivesHugeOrZeroLikeAtof)
{
    EXPECT_EQ(ParseFloat("1e999"), HUGE_VAL);
    EXPECT_EQ(ParseFloat("-1e999"), -HUGE_VAL);
    EXPECT_EQ(ParseFloat("1e-999"), 0.0);
    // 400 zeros then a one, with no exponent: too small, not too large.
    std::string tiny = "0." + std::string(400, '0') + "1";
    EXPECT_EQ(ParseFloat(tiny.c_str()), 0.0);
    std::string huge = "1" + std::string(400, '0');
    EXPECT_EQ(ParseFloat(huge.c_str()), HUGE_VAL);
}

TEST(StringsTest, FormatFixedWritesSixDecimalsByDefault)
{
    EXPECT_EQ(platform::FormatFixed(0.5), "0.500000");
    EXPECT_EQ(platform::FormatFixed(0.75), "0.750000");
    EXPECT_EQ(platform::FormatFixed(-3.0), "-3.000000");
    EXPECT_EQ(platform::FormatFixed(2.0 / 3.0, 3), "0.667");
    EXPECT_EQ(platform::FormatFixed(1.5, 0), "2");
    EXPECT_EQ(platform::FormatFixed(1e20, 0), "100000000000000000000");
    EXPECT_EQ(platform::FormatFixed(1.25, -1), "1.250000"); // a negative precision counts as none
}

TEST(StringsTest, FormatFixedHandlesTheWidestValues)
{
    std::string text = platform::FormatFixed(1e308, 300);
    // 309 integer digits, the point and 300 decimals; the decimals of a whole number are zeros.
    ASSERT_EQ(text.size(), 309u + 1u + 300u);
    EXPECT_EQ(text.substr(0, 4), "1000");
    EXPECT_EQ(text[309], '.');
    EXPECT_EQ(text.find_first_not_of('0', 310), std::string::npos);
}

TEST(StringsTest, NumbersStayInTheCLocaleUnderADecimalCommaLocale)
{
    platformtest::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(ParseFloat("1.5"), 1.5);
    EXPECT_EQ(ParseFloat("1,5"), 1.0);
    EXPECT_EQ(ParseFloat("-0.25"), -0.25);
    EXPECT_EQ(ParseInt("1.234"), 1);
    EXPECT_EQ(platform::FormatFixed(0.5), "0.500000");
    EXPECT_EQ(platform::FormatFixed(2.5, 2), "2.50");
}
