// Tests for 16-bit game text: string helpers, bounded swprintf-style formatting, code page 1252 and UTF-8.
#include "platform/WideText.h"

#include "tests/platform/LocaleGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <string>

using platform::FormatWide;
using platform::WString;

namespace
{

// Formats into a roomy buffer and returns the text, checking the returned length matches.
WString Fmt(const char16_t* format, ...)
{
    char16_t buf[512];
    va_list args;
    va_start(args, format);
    size_t n = platform::FormatWideV(buf, 512, format, args);
    va_end(args);
    EXPECT_EQ(n, platform::WStrLen(buf));
    return WString(buf, n);
}

// Readable failure output for 16-bit texts.
std::string Show(const WString& s)
{
    return platform::WideToUtf8(s.c_str());
}

} // namespace

TEST(WideTextTest, LengthAndCompare)
{
    EXPECT_EQ(platform::WStrLen(u""), 0u);
    EXPECT_EQ(platform::WStrLen(u"Zoo \u00E9\u4E2D"), 6u);
    EXPECT_EQ(platform::WStrLen(nullptr), 0u);

    EXPECT_EQ(platform::WStrCmp(u"abc", u"abc"), 0);
    EXPECT_LT(platform::WStrCmp(u"abc", u"abd"), 0);
    EXPECT_LT(platform::WStrCmp(u"ab", u"abc"), 0);
    EXPECT_GT(platform::WStrCmp(u"b", u"abc"), 0);
    EXPECT_LT(platform::WStrCmp(u"Abc", u"abc"), 0);
    // Units compare as unsigned 16-bit values.
    EXPECT_GT(platform::WStrCmp(u"\uFFFF", u"a"), 0);
}

TEST(WideTextTest, CaseInsensitiveCompareFoldsAsciiLettersOnly)
{
    EXPECT_EQ(platform::WStrICmp(u"Hello World", u"hELLO wORLD"), 0);
    EXPECT_LT(platform::WStrICmp(u"apple", u"BANANA"), 0);
    EXPECT_GT(platform::WStrICmp(u"Zebra", u"yak"), 0);
    EXPECT_LT(platform::WStrICmp(u"_", u"A"), 0); // letters fold to lower case
    EXPECT_NE(platform::WStrICmp(u"\u00C4", u"\u00E4"), 0);
    EXPECT_LT(platform::WStrICmp(u"abc", u"ABCD"), 0);
}

TEST(WideTextTest, CopyTruncatesAndTerminates)
{
    char16_t buf[12];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(platform::WStrCopy(buf, 5, u"abcdefgh"), 4u);
    EXPECT_EQ(WString(buf), u"abcd");
    for (size_t i = 5; i < 12; ++i)
        EXPECT_EQ(buf[i], u'#') << "unit " << i << " past the capacity was written";

    EXPECT_EQ(platform::WStrCopy(buf, 12, u"ab"), 2u);
    EXPECT_EQ(WString(buf), u"ab");
    EXPECT_EQ(platform::WStrCopy(buf, 1, u"ab"), 0u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(platform::WStrCopy(buf, 12, nullptr), 0u);
    EXPECT_EQ(buf[0], 0);
    buf[0] = u'Q';
    EXPECT_EQ(platform::WStrCopy(buf, 0, u"ab"), 0u);
    EXPECT_EQ(buf[0], u'Q');
}

TEST(WideTextTest, CatAppendsWithinTheCapacity)
{
    char16_t buf[10];
    std::fill(std::begin(buf), std::end(buf), u'#');
    platform::WStrCopy(buf, 8, u"Park");
    EXPECT_EQ(platform::WStrCat(buf, 8, u" 1"), 6u);
    EXPECT_EQ(WString(buf), u"Park 1");
    EXPECT_EQ(platform::WStrCat(buf, 8, u"2345"), 7u);
    EXPECT_EQ(WString(buf), u"Park 12");
    EXPECT_EQ(platform::WStrCat(buf, 8, u"more"), 7u);
    EXPECT_EQ(WString(buf), u"Park 12");
    EXPECT_EQ(buf[8], u'#');
    EXPECT_EQ(buf[9], u'#');
}

TEST(WideTextTest, CatIntoAnUnterminatedBufferStaysInside)
{
    char16_t buf[6];
    std::fill(std::begin(buf), std::end(buf), u'x');
    EXPECT_EQ(platform::WStrCat(buf, 4, u"yz"), 3u);
    EXPECT_EQ(WString(buf, 3), u"xxx");
    EXPECT_EQ(buf[3], 0);
    EXPECT_EQ(buf[4], u'x');
}

TEST(WideTextTest, NumberTexts)
{
    char16_t buf[32];
    EXPECT_EQ(platform::IntToWStr(0, buf, 32), 1u);
    EXPECT_EQ(WString(buf), u"0");
    EXPECT_EQ(platform::IntToWStr(INT_MIN, buf, 32), 11u);
    EXPECT_EQ(WString(buf), u"-2147483648");
    EXPECT_EQ(platform::IntToWStr(123456, buf, 4), 3u);
    EXPECT_EQ(WString(buf), u"123");

    EXPECT_EQ(platform::FloatToWStr(2.5, 2, buf, 32), 4u);
    EXPECT_EQ(WString(buf), u"2.50");
    EXPECT_EQ(platform::FloatToWStr(-0.125, 3, buf, 32), 6u);
    EXPECT_EQ(WString(buf), u"-0.125");
    EXPECT_EQ(platform::FloatToWStr(0.5, -1, buf, 32), 8u);
    EXPECT_EQ(WString(buf), u"0.500000");
    EXPECT_EQ(platform::FloatToWStr(1.0 / 3.0, 0, buf, 32), 1u);
    EXPECT_EQ(WString(buf), u"0");
    EXPECT_EQ(platform::FloatToWStr(1234.5678, 2, buf, 5), 4u);
    EXPECT_EQ(WString(buf), u"1234");
}

TEST(WideTextTest, FormatIntegersWithFlagsWidthAndPrecision)
{
    EXPECT_EQ(Fmt(u"[%5d|%-5d|%05d|%+d|% d]", 42, 42, 42, 42, 42), u"[   42|42   |00042|+42| 42]");
    EXPECT_EQ(Fmt(u"%i %d", -7, INT_MIN), u"-7 -2147483648");
    EXPECT_EQ(Fmt(u"%u", -1), u"4294967295");
    EXPECT_EQ(Fmt(u"%x %X %#x %#X %o %#o", 255, 255, 255, 255, 8, 8), u"ff FF 0xff 0XFF 10 010");
    EXPECT_EQ(Fmt(u"%.3d|%6.3d|%-6.3d|", 5, 5, 5), u"005|   005|005   |");
    EXPECT_EQ(Fmt(u"%*d|%-*d|%*d", 4, 1, 4, 2, -3, 3), u"   1|2   |3  ");
}

TEST(WideTextTest, FormatLengthModifiers)
{
    EXPECT_EQ(Fmt(u"%hd %hu %hx", 65535, 65536 + 5, 0x12345), u"-1 5 2345");
    EXPECT_EQ(Fmt(u"%hhd %hhu", 255, 258), u"-1 2");
    EXPECT_EQ(Fmt(u"%ld %lu", -123456789L, 123456789UL), u"-123456789 123456789");
    EXPECT_EQ(Fmt(u"%lld %llx", -9000000000LL, 0x123456789ABCull), u"-9000000000 123456789abc");
    EXPECT_EQ(Fmt(u"%I64d %I32d", 9000000000LL, 5), u"9000000000 5");
    EXPECT_EQ(Fmt(u"%zu %jd %td", size_t(77), intmax_t(-8), ptrdiff_t(9)), u"77 -8 9");
}

TEST(WideTextTest, FormatFloats)
{
    EXPECT_EQ(Fmt(u"%f", 1.5), u"1.500000");
    EXPECT_EQ(Fmt(u"%.2f|%8.3f|%-8.1f|%+.0f", 3.14159, 2.5, -1.25, 2.5), u"3.14|   2.500|-1.2    |+2");
    EXPECT_EQ(Fmt(u"%e", 12345.678), u"1.234568e+04");
    EXPECT_EQ(Fmt(u"%E", 0.00012), u"1.200000E-04");
    EXPECT_EQ(Fmt(u"%g %g %g", 0.0001, 0.00001, 100000.0), u"0.0001 1e-05 100000");
    EXPECT_EQ(Fmt(u"%G", 1e-10), u"1E-10");
    EXPECT_EQ(Fmt(u"%Lf", 0.25L), u"0.250000");
    EXPECT_EQ(Fmt(u"%lf", 0.75), u"0.750000");
}

TEST(WideTextTest, FormatTextsBy16And8BitKinds)
{
    EXPECT_EQ(Fmt(u"%s", u"wide \u4E2D"), u"wide \u4E2D");
    EXPECT_EQ(Fmt(u"%ls", u"also wide"), u"also wide");
    EXPECT_EQ(Fmt(u"%S|%hs", "narrow", "half"), u"narrow|half");
    // 8-bit text goes through code page 1252.
    EXPECT_EQ(Fmt(u"%S", "\x80 5 \xE9"), u"\u20AC 5 \u00E9");
    EXPECT_EQ(Fmt(u"[%6s|%-6S|%.2s|%.*S]", u"ab", "cd", u"efgh", 1, "ij"), u"[    ab|cd    |ef|i]");
    EXPECT_EQ(Fmt(u"%s|%S", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr)),
              u"(null)|(null)");
}

TEST(WideTextTest, FormatCharacters)
{
    EXPECT_EQ(Fmt(u"%c%c%c", u'A', 0x3A9, 0x4E2D), u"A\u03A9\u4E2D");
    EXPECT_EQ(Fmt(u"%hc%C", 0x80, 0x9F), u"\u20AC\u0178");
    EXPECT_EQ(Fmt(u"[%3c|%-3c]", u'x', u'y'), u"[  x|y  ]");
    EXPECT_EQ(Fmt(u"100%%"), u"100%");
}

TEST(WideTextTest, FormatPointersAsHexDigits)
{
    WString text = Fmt(u"%p", reinterpret_cast<void*>(static_cast<uintptr_t>(0xBEEF)));
    ASSERT_EQ(text.size(), 2 * sizeof(void*));
    EXPECT_EQ(text.substr(text.size() - 4), u"BEEF");
    EXPECT_EQ(text.find_first_not_of(u'0'), text.size() - 4);
}

TEST(WideTextTest, FormatCopiesOtherUnitsAndUnknownConversionsAsWritten)
{
    EXPECT_EQ(Fmt(u"Gr\u00FC\u00DFe %d \u263A", 3), u"Gr\u00FC\u00DFe 3 \u263A");
    // An unknown conversion takes no argument: the next one still gets its own.
    EXPECT_EQ(Fmt(u"%y %d", 5), u"%y 5");
    EXPECT_EQ(Fmt(u"%n%d", 6), u"%n6");
    EXPECT_EQ(Fmt(u"end %"), u"end %");
}

TEST(WideTextTest, FormatTruncatesAndTerminates)
{
    char16_t buf[16];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(FormatWide(buf, 6, u"%s-%d", u"abcdefgh", 42), 5u);
    EXPECT_EQ(WString(buf), u"abcde");
    for (size_t i = 6; i < 16; ++i)
        EXPECT_EQ(buf[i], u'#') << "unit " << i << " past the capacity was written";

    EXPECT_EQ(FormatWide(buf, 6, u"%d", 1234567), 5u);
    EXPECT_EQ(WString(buf), u"12345");
    EXPECT_EQ(FormatWide(buf, 1, u"%s", u"abc"), 0u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(FormatWide(buf, 6, nullptr), 0u);
    EXPECT_EQ(buf[0], 0);

    buf[0] = u'Q';
    EXPECT_EQ(FormatWide(buf, 0, u"%s", u"abc"), 0u);
    EXPECT_EQ(buf[0], u'Q');
}

TEST(WideTextTest, FormatHugeWidthsAndPrecisionsStayInsideTheBuffer)
{
    char16_t buf[10];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(FormatWide(buf, 8, u"%100000d", 5), 7u);
    EXPECT_EQ(WString(buf), u"       ");
    EXPECT_EQ(FormatWide(buf, 8, u"%99999999999999999999d", 5), 7u);
    EXPECT_EQ(WString(buf), u"       ");
    EXPECT_EQ(FormatWide(buf, 8, u"%-*d|", INT_MIN, 5), 7u);
    EXPECT_EQ(WString(buf), u"5      ");
    EXPECT_EQ(FormatWide(buf, 8, u"%.100000f", 0.5), 7u);
    EXPECT_EQ(WString(buf), u"0.50000");
    EXPECT_EQ(FormatWide(buf, 8, u"%020d", -123), 7u);
    EXPECT_EQ(WString(buf), u"-000000");
    EXPECT_EQ(buf[8], u'#');
    EXPECT_EQ(buf[9], u'#');
}

TEST(WideTextTest, AnsiToWideUsesThe1252TableForHighControlBytes)
{
    // Windows-1252 assigns printable characters to most of 0x80-0x9F.
    EXPECT_EQ(platform::AnsiToWide("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"),
              u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D");
    EXPECT_EQ(platform::AnsiToWide("\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F"),
              u"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178");
    // Its five unassigned bytes keep their value.
    EXPECT_EQ(platform::AnsiToWide("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
    // The rest is Latin-1.
    EXPECT_EQ(platform::AnsiToWide("A\x7F\xA0\xA9\xC4\xE9\xFF"), u"A\u007F\u00A0\u00A9\u00C4\u00E9\u00FF");
    EXPECT_EQ(platform::AnsiToWide(nullptr), u"");
}

TEST(WideTextTest, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    WString wide = platform::AnsiToWide(all.c_str());
    ASSERT_EQ(wide.size(), 255u);
    EXPECT_EQ(platform::WideToAnsi(wide.c_str()), all);
}

TEST(WideTextTest, UnitsTheCodePageLacksBecomeQuestionMarks)
{
    EXPECT_EQ(platform::WideToAnsi(u"\u20AC\u2122\u00E9"), "\x80\x99\xE9");
    EXPECT_EQ(platform::WideToAnsi(u"a\u0100b\u4E2Dc\u20ADd"), "a?b?c?d");
    // C1 controls that 1252 uses for other characters have no byte of their own.
    EXPECT_EQ(platform::WideToAnsi(u"\u0080\u0099\u0081"), "??\x81");
    // A character outside the 16-bit range is one character, so one mark; a lone surrogate is one too.
    EXPECT_EQ(platform::WideToAnsi(u"x\U0001F600y"), "x?y");
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0};
    EXPECT_EQ(platform::WideToAnsi(lone), "x?y?");
    EXPECT_EQ(platform::WideToAnsi(nullptr), "");
}

TEST(WideTextTest, BoundedConversionsTruncateAndTerminate)
{
    char16_t wide[8];
    std::fill(std::begin(wide), std::end(wide), u'#');
    EXPECT_EQ(platform::AnsiToWide("abc\x80xyz", wide, 5), 4u);
    EXPECT_EQ(WString(wide), u"abc\u20AC");
    EXPECT_EQ(wide[5], u'#');
    EXPECT_EQ(platform::AnsiToWide("ab", wide, 8), 2u);
    EXPECT_EQ(WString(wide), u"ab");
    EXPECT_EQ(platform::AnsiToWide(nullptr, wide, 8), 0u);
    EXPECT_EQ(wide[0], 0);
    wide[0] = u'Q';
    EXPECT_EQ(platform::AnsiToWide("ab", wide, 0), 0u);
    EXPECT_EQ(wide[0], u'Q');

    char narrow[8];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(platform::WideToAnsi(u"ab\u20ACdefgh", narrow, 5), 4u);
    EXPECT_STREQ(narrow, "ab\x80"
                         "d");
    EXPECT_EQ(narrow[5], '#');
    EXPECT_EQ(platform::WideToAnsi(u"x\U0001F600y", narrow, 8), 3u);
    EXPECT_STREQ(narrow, "x?y");
    EXPECT_EQ(platform::WideToAnsi(nullptr, narrow, 8), 0u);
    EXPECT_STREQ(narrow, "");
    narrow[0] = 'Q';
    EXPECT_EQ(platform::WideToAnsi(u"ab", narrow, 0), 0u);
    EXPECT_EQ(narrow[0], 'Q');
}

TEST(WideTextTest, Utf8EncodesEverySequenceLength)
{
    // One, two, three and four bytes: U+0041, U+00E9, U+20AC and U+1F600 (a surrogate pair in 16 bits).
    const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const WString wide = u"A\u00E9\u20AC\U0001F600";
    EXPECT_EQ(platform::WideToUtf8(wide.c_str()), utf8);
    EXPECT_EQ(platform::Utf8ToWide(utf8.c_str()), wide) << Show(platform::Utf8ToWide(utf8.c_str()));
    EXPECT_EQ(platform::WideToUtf8(u"\u07FF\u0800\uFFFF"), "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    EXPECT_EQ(platform::Utf8ToWide("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(platform::WideToUtf8(nullptr), "");
    EXPECT_EQ(platform::Utf8ToWide(nullptr), u"");
}

TEST(WideTextTest, LoneSurrogatesBecomeTheReplacementCharacterInUtf8)
{
    const char16_t lone[] = {u'a', 0xDC00, u'b', 0xD800, 0};
    EXPECT_EQ(platform::WideToUtf8(lone), "a\xEF\xBF\xBD"
                                          "b\xEF\xBF\xBD");
}

TEST(WideTextTest, BrokenUtf8IsReplacedWithoutLosingWhatFollows)
{
    EXPECT_EQ(platform::Utf8ToWide("a\xFF"
                                   "b"),
              u"a\uFFFDb");
    EXPECT_EQ(platform::Utf8ToWide("a\x80"
                                   "b"),
              u"a\uFFFDb");
    EXPECT_EQ(platform::Utf8ToWide("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(platform::Utf8ToWide("\xE2\x82"
                                   "b"),
              u"\uFFFDb");

    // Overlong forms must not sneak a '/' through, encoded surrogates and code points past U+10FFFF must not
    // reach the 16-bit text.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    {
        WString wide = platform::Utf8ToWide((std::string(bad) + "z").c_str());
        EXPECT_EQ(wide.find(u'/'), WString::npos) << Show(wide);
        for (char16_t unit : wide)
            EXPECT_FALSE(unit >= 0xD800 && unit <= 0xDFFF) << Show(wide);
        ASSERT_FALSE(wide.empty());
        EXPECT_EQ(wide.back(), u'z');
        EXPECT_NE(wide.find(u'\uFFFD'), WString::npos);
    }
}

TEST(WideTextTest, NumbersStayInTheCLocaleUnderADecimalCommaLocale)
{
    platformtest::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(Fmt(u"%f|%.2e|%g", 0.5, 1500.0, 2.25), u"0.500000|1.50e+03|2.25");
    char16_t buf[16];
    platform::FloatToWStr(2.5, 1, buf, 16);
    EXPECT_EQ(WString(buf), u"2.5");
}
