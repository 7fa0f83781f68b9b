// Tests for 16-bit game text: string helpers, bounded swprintf-style formatting, code page 1252 and UTF-8.
#include "platform/WideText.h"

#include "tests/platform/LocaleGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

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

std::string Show(const WString& s)
{
    return platform::WideToUtf8(s.c_str());
}

} // namespace

TEST(WideTextTest, LengthAndCompares)
{
    EXPECT_EQ(platform::WStrLen(u"Zoo \u00E9\u4E2D"), 6u);
    EXPECT_EQ(platform::WStrLen(nullptr), 0u);
    EXPECT_GT(platform::WStrCmp(u"\uFFFF", u"a"), 0); // units compare unsigned
    EXPECT_LT(platform::WStrICmp(u"_", u"A"), 0);     // letters fold to lower case
    EXPECT_NE(platform::WStrICmp(u"\u00C4", u"\u00E4"), 0);
}

TEST(WideTextTest, CopyCatAndNumberTextsStayInsideTheirCapacity)
{
    char16_t buf[12];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(platform::WStrCopy(buf, 5, u"abcdefgh"), 4u);
    EXPECT_EQ(platform::WStrCat(buf, 8, u" 12"), 7u);
    EXPECT_EQ(platform::WStrCat(buf, 8, u"more"), 7u);
    EXPECT_EQ(WString(buf), u"abcd 12");
    EXPECT_EQ(buf[8], u'#');
    // Appending to an unterminated buffer ends it at its last unit instead of running past it.
    std::fill(std::begin(buf), std::end(buf), u'x');
    EXPECT_EQ(platform::WStrCat(buf, 4, u"yz"), 3u);
    EXPECT_EQ(WString(buf) + buf[4], u"xxxx");

    EXPECT_EQ(platform::IntToWStr(INT_MIN, buf, 12), 11u);
    EXPECT_EQ(WString(buf), u"-2147483648");
    EXPECT_EQ(platform::IntToWStr(123456, buf, 4), 3u);
    EXPECT_EQ(WString(buf), u"123");
    EXPECT_EQ(platform::FloatToWStr(-1234.5678, 2, buf, 6), 5u);
    EXPECT_EQ(WString(buf), u"-1234");
    // No room at all: not even the terminator is written.
    buf[0] = u'Q';
    EXPECT_EQ(platform::IntToWStr(7, buf, 0), 0u);
    EXPECT_EQ(platform::FloatToWStr(7.5, 1, buf, 0), 0u);
    EXPECT_EQ(buf[0], u'Q');
}

TEST(WideTextTest, FormatNumbers)
{
    EXPECT_EQ(Fmt(u"[%5d|%-5d|%05d|%+d|% d]", 42, 42, 42, 42, 42), u"[   42|42   |00042|+42| 42]");
    EXPECT_EQ(Fmt(u"%u %#X %#o", -1, 255, 8), u"4294967295 0XFF 010");
    EXPECT_EQ(Fmt(u"%6.3d|%-*d", 5, 4, 2), u"   005|2   ");
    EXPECT_EQ(Fmt(u"%hd %lld %I64d", 65535, -9000000000LL, 9000000000LL), u"-1 -9000000000 9000000000");
    EXPECT_EQ(Fmt(u"%8.3f|%+.0f|%e %g", 2.5, 2.5, 12345.678, 0.00001), u"   2.500|+2|1.234568e+04 1e-05");
}

// Each length modifier reads an argument of its own width and cuts the value to it: 300 is 256 + 44, 70000 is
// 65536 + 4464; all ones in 64 bits is 2^64 - 1 = 18446744073709551615.
TEST(WideTextTest, EachIntegerLengthReadsItsOwnWidth)
{
    static_assert(sizeof(size_t) == 8 && sizeof(long) == 8 && sizeof(intmax_t) == 8 && sizeof(ptrdiff_t) == 8);
    const struct
    {
        const char* what;
        WString got;
        const char16_t* want;
    } cases[] = {
        {"hhd", Fmt(u"%hhd|%hhd", 300, 200), u"44|-56"},
        {"hhu", Fmt(u"%hhu|%hhx", -1, 0x1AB), u"255|ab"},
        {"hd", Fmt(u"%hd|%hu", 70000, 70000), u"4464|4464"},
        {"ld", Fmt(u"%ld|%lu", LONG_MIN, ULONG_MAX), u"-9223372036854775808|18446744073709551615"},
        {"zu", Fmt(u"%zu|%zx", SIZE_MAX, size_t{0xABCDEF0123}), u"18446744073709551615|abcdef0123"},
        {"zd", Fmt(u"%zd|%5zu", static_cast<size_t>(-5), size_t{42}), u"-5|   42"},
        {"I", Fmt(u"%Iu|%Id", SIZE_MAX, static_cast<size_t>(-9)), u"18446744073709551615|-9"},
        {"I32", Fmt(u"%I32d|%I32u", -3, -1), u"-3|4294967295"},
        {"jd", Fmt(u"%jd|%ju", INTMAX_MIN, UINTMAX_MAX), u"-9223372036854775808|18446744073709551615"},
        {"td", Fmt(u"%td|%tx", ptrdiff_t{-7}, ptrdiff_t{-1}), u"-7|ffffffffffffffff"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(c.got), Show(c.want)) << c.what;
}

TEST(WideTextTest, FormatTextsCharactersAndPointers)
{
    // %s and %ls take 16-bit text; %S and %hs 8-bit text, through code page 1252.
    EXPECT_EQ(Fmt(u"%s|%ls|%S|%hs", u"wide \u4E2D", u"also", "\x80 5", "\xE9"), u"wide \u4E2D|also|\u20AC 5|\u00E9");
    EXPECT_EQ(Fmt(u"[%6s|%-6S|%.*S]", u"ab", "cd", 1, "ij"), u"[    ab|cd    |i]");
    EXPECT_EQ(Fmt(u"%s|%S", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr)),
              u"(null)|(null)");
    EXPECT_EQ(Fmt(u"%c%c%hc%C[%3c]", u'A', 0x4E2D, 0x80, 0x9F, u'x'), u"A\u4E2D\u20AC\u0178[  x]");
    // Other units pass through; an unknown conversion (and %n) is shown as written and takes no argument.
    EXPECT_EQ(Fmt(u"Gr\u00FC\u00DFe 100%% %y %n%d end %", 5), u"Gr\u00FC\u00DFe 100% %y %n5 end %");

    WString text = Fmt(u"%p", reinterpret_cast<void*>(static_cast<uintptr_t>(0xBEEF)));
    ASSERT_EQ(text.size(), 2 * sizeof(void*));
    EXPECT_EQ(text.find_first_not_of(u'0'), text.size() - 4);
    EXPECT_EQ(text.substr(text.size() - 4), u"BEEF");
}

TEST(WideTextTest, FormatTruncatesTerminatesAndStaysInsideTheBuffer)
{
    char16_t buf[16];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(FormatWide(buf, 6, u"%s-%d", u"abcdefgh", 42), 5u);
    EXPECT_EQ(WString(buf), u"abcde");
    // Huge widths and precisions, given or passed as arguments, cannot push output past the capacity.
    EXPECT_EQ(FormatWide(buf, 8, u"%99999999999999999999d", 5), 7u);
    EXPECT_EQ(WString(buf), u"       ");
    EXPECT_EQ(FormatWide(buf, 8, u"%.100000f", 0.5), 7u);
    EXPECT_EQ(WString(buf), u"0.50000");
    EXPECT_EQ(WString(buf + 8, 8), WString(8, u'#'));
    buf[0] = u'Q';
    EXPECT_EQ(FormatWide(buf, 0, u"%s", u"abc"), 0u);
    EXPECT_EQ(buf[0], u'Q');
}

TEST(WideTextTest, CodePage1252Conversions)
{
    // 1252 puts printable characters on most of 0x80-0x9F; its five unassigned bytes and the rest keep their value.
    EXPECT_EQ(platform::AnsiToWide("\x80\x8A\x8C\x8E\x91\x99\x9F"), u"\u20AC\u0160\u0152\u017D\u2018\u2122\u0178");
    EXPECT_EQ(platform::AnsiToWide("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    WString wide = platform::AnsiToWide(all.c_str());
    ASSERT_EQ(wide.size(), 255u);
    EXPECT_EQ(platform::WideToAnsi(wide.c_str()), all);

    // Units the code page lacks become one '?' each: C1 controls 1252 uses for other characters, characters
    // outside the 16-bit range (a surrogate pair), lone surrogates.
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0};
    EXPECT_EQ(platform::WideToAnsi(u"\u20AC\u00E9-\u0100\u0080\u0081"), "\x80\xE9-??\x81");
    EXPECT_EQ(platform::WideToAnsi(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(platform::WideToAnsi(lone), "x?y?");

    // The bounded forms truncate, terminate and write nothing past the capacity (nor anything at all at 0).
    char16_t wbuf[8];
    std::fill(std::begin(wbuf), std::end(wbuf), u'#');
    EXPECT_EQ(platform::AnsiToWide("abc\x80xyz", wbuf, 5), 4u);
    EXPECT_EQ(WString(wbuf, 6), WString(u"abc\u20AC\0#", 6));
    char nbuf[8];
    std::fill(std::begin(nbuf), std::end(nbuf), '#');
    EXPECT_EQ(platform::WideToAnsi(u"ab\u20AC-efgh", nbuf, 5), 4u);
    EXPECT_EQ(std::string(nbuf, 6), std::string("ab\x80-\0#", 6));
    EXPECT_EQ(platform::WideToAnsi(u"zz", nbuf, 0), 0u);
    EXPECT_EQ(nbuf[0], 'a');
}

TEST(WideTextTest, Utf8ConversionsEncodeEveryLengthAndReplaceBrokenInput)
{
    // One, two, three and four bytes: U+0041, U+00E9, U+20AC and U+1F600 (a surrogate pair in 16 bits).
    const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const WString wide = u"A\u00E9\u20AC\U0001F600";
    EXPECT_EQ(platform::WideToUtf8(wide.c_str()), utf8);
    EXPECT_EQ(platform::Utf8ToWide(utf8.c_str()), wide);
    const char16_t lone[] = {u'a', 0xDC00, 0};
    EXPECT_EQ(platform::WideToUtf8(lone), "a\xEF\xBF\xBD");
    EXPECT_EQ(platform::Utf8ToWide("a\xFF-\x80\xC3"), u"a\uFFFD-\uFFFD\uFFFD");

    // Overlong forms must not sneak a '/' through; encoded surrogates and code points past U+10FFFF must not reach
    // the 16-bit text; what follows survives.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    {
        WString out = platform::Utf8ToWide((std::string(bad) + "z").c_str());
        EXPECT_EQ(out.find(u'/'), WString::npos) << Show(out);
        EXPECT_TRUE(std::none_of(out.begin(), out.end(), [](char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }))
            << Show(out);
        EXPECT_NE(out.find(u'\uFFFD'), WString::npos) << Show(out);
        EXPECT_EQ(out.back(), u'z') << Show(out);
    }
}

// The code points on either side of each length boundary of UTF-8 (7, 11, 16 and 21 bits), both ways.
TEST(WideTextTest, Utf8LengthBoundariesEncodeAndDecodeExactly)
{
    const std::pair<WString, std::string> cases[] = {
        {u"\u007F", "\x7F"},
        {u"\u0080", "\xC2\x80"},
        {u"\u07FF", "\xDF\xBF"},
        {u"\u0800", "\xE0\xA0\x80"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U00010000", "\xF0\x90\x80\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& [wide, utf8] : cases)
    {
        EXPECT_EQ(platform::WideToUtf8(wide.c_str()), utf8) << Show(wide);
        EXPECT_EQ(platform::Utf8ToWide(utf8.c_str()), wide) << Show(wide);
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

// A text cut to fit a buffer or a precision keeps a character beyond U+FFFF (two 16-bit units) whole or leaves it out
// whole: the cut never leaves its first half alone at the end.
TEST(WideTextTest, CutsNeverPartTheTwoHalvesOfACharacter)
{
    const WString dolphin = u"\U0001F42C"; // two units
    struct Case
    {
        const char* what;
        size_t cap;
        const char16_t* format; // null: a plain copy of `text`
        WString text;
        WString expected;
    };
    // clang-format off
    const Case cases[] = {
        {"copy, limit inside the pair",          3, nullptr, u"a" + dolphin + u"b", u"a"},
        {"copy, limit after the pair",           4, nullptr, u"a" + dolphin + u"b", u"a" + dolphin},
        {"copy, limit before the pair",          2, nullptr, u"a" + dolphin + u"b", u"a"},
        {"copy, a text of pairs only",           4, nullptr, dolphin + dolphin, dolphin},
        {"copy, a lone first half is kept",      3, nullptr, WString(u"a") + char16_t(0xD83D) + u"b", WString(u"a") + char16_t(0xD83D)},
        {"format, limit inside the pair",        4, u"%s!", u"ab" + dolphin, u"ab"},
        {"format, room for one unit of a pair",  2, u"%s", dolphin, u""},
        {"copy, room for one unit of a pair",    2, nullptr, dolphin, u""},
        {"format, limit inside a padded pair",   6, u"%6s", dolphin, u"    "},
        {"format, limit after the pair",         5, u"%s!", u"ab" + dolphin, u"ab" + dolphin},
        {"precision inside the pair",           32, u"[%.2s]", u"a" + dolphin, u"[a]"},
        {"precision after the pair",            32, u"[%.3s]", u"a" + dolphin + u"b", u"[a" + dolphin + u"]"},
        {"precision inside, left aligned",      32, u"[%-4.2s]", u"a" + dolphin, u"[a   ]"},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        char16_t buf[32];
        std::fill(std::begin(buf), std::end(buf), u'#');
        const size_t n = c.format ? FormatWide(buf, c.cap, c.format, c.text.c_str())
                                  : platform::WStrCopy(buf, c.cap, c.text.c_str());
        EXPECT_EQ(WString(buf), c.expected) << c.what;
        EXPECT_EQ(n, c.expected.size()) << c.what;
    }
}
