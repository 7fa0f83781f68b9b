// Tests of the checked text formatter: printf's results where conversion and argument agree, the text as written
// where they do not, and the bounds on fields and output.
#include "engine/core/TextFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct Case
{
    const char16_t* format;
    std::vector<FormatArg> args;
    const char16_t* expected;
};

// The format for a failure message (its units narrowed: the formats here are ASCII).
std::string Named(const char16_t* format)
{
    return std::string(format, format + std::char_traits<char16_t>::length(format));
}

platform::WString Formatted(const char16_t* format, const std::vector<FormatArg>& args)
{
    return FormatChecked(format, args.data(), args.size());
}

TEST(TextFormat, PrintsMatchingConversionsAsPrintfDoes)
{
    const Case cases[] = {
        {u"%d apples", {5}, u"5 apples"},
        {u"%02d:%02d Day %d", {9, 5, 3}, u"09:05 Day 3"},
        {u"%-4d|%+d|% d", {7, 3, 4}, u"7   |+3| 4"},
        {u"%i/%ld/%lld/%hd", {1, 2, 3, 4}, u"1/2/3/4"},
        {u"%x %X %o", {255, 255, 8}, u"ff FF 10"},
        {u"%u %X", {-1, -2}, u"4294967295 FFFFFFFE"},
        {u"%.2f|%5.1f|%-6.1f|", {2.5, 3.14159, -1.25}, u"2.50|  3.1|-1.2  |"},
        {u"%e %g", {12345.678, 0.5}, u"1.234568e+04 0.5"},
        {u"%s's %S shop", {u"Ann", "Bob"}, u"Ann's Bob shop"},
        {u"%ls|%hs|%ws", {u"w", "n", u"v"}, u"w|n|v"},
        {u"[%5s][%-4s][%.2s]", {u"ab", "cd", u"efgh"}, u"[   ab][cd  ][ef]"},
        {u"[%s][%s]", {static_cast<const char*>(nullptr), static_cast<const char16_t*>(nullptr)}, u"[][]"},
        {u"%c%c", {65, 0x263A}, u"A\u263A"},
        {u"%c|%c", {1, 0xFFFF}, u"\u0001|\uFFFF"}, // the lowest and highest units a character can be
        {u"100%% sure", {}, u"100% sure"},
        {u"no conversions", {1}, u"no conversions"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Formatted(c.format, c.args), c.expected) << Named(c.format);
}

TEST(TextFormat, PrintsMismatchedMissingAndUnknownConversionsAsWritten)
{
    const Case cases[] = {
        // Kind mismatches keep the following conversions in their places.
        {u"%s scored %d", {7, 8}, u"%s scored 8"},
        {u"%d|%f|%s", {u"x", 3, 2.0}, u"%d|%f|%s"},
        {u"%c", {0}, u"%c"},
        {u"%.1c", {65}, u"%.1c"},
        {u"%.0c", {65}, u"%.0c"}, // any precision at all
        {u"%c", {0x10000}, u"%c"},
        {u"%c", {-65}, u"%c"},
        // Missing arguments.
        {u"%d and %d", {1}, u"1 and %d"},
        {u"%s", {}, u"%s"},
        // Unknown conversions take no argument; a lone '%' at the end stays.
        {u"%n %d", {5}, u"%n 5"},
        {u"%q%d", {1}, u"%q1"},
        {u"%p", {1}, u"%p"},
        {u"50%", {}, u"50%"},
        {u"%l", {1}, u"%l"},
        // '*' sizes and fields wider than the limit are not printed, but use up their argument.
        {u"%*d|%d", {5, 3}, u"%*d|3"},
        {u"%.*f|%d", {2.0, 4}, u"%.*f|4"},
        {u"%65d|%d", {1, 2}, u"%65d|2"},
        {u"%.65f", {1.0}, u"%.65f"},
        {u"%99999999999d", {1}, u"%99999999999d"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Formatted(c.format, c.args), c.expected) << Named(c.format);
}

TEST(TextFormat, KeepsWithinItsBounds)
{
    EXPECT_EQ(FormatChecked(nullptr, {1}), u"");
    // The widest field allowed is printed whole.
    EXPECT_EQ(FormatChecked(u"%64d", {1}), std::u16string(63, u' ') + u"1");
    EXPECT_EQ(FormatChecked(u"%.64f", {1.0}).size(), 66u);
    // Long formats and long texts are cut at the limit.
    const std::u16string many(kMaxFormattedLength + 500, u'a');
    EXPECT_EQ(FormatChecked(many.c_str(), {}).size(), kMaxFormattedLength);
    EXPECT_EQ(FormatChecked(u"%s%s", {many.c_str(), many.c_str()}).size(), kMaxFormattedLength);
    // Without a text table every id reads as the empty text.
    EXPECT_EQ(FormatTableText("ANY_ID", {1}), u"");
}

// A translated text may hold characters beyond U+FFFF (two 16-bit units each); a precision or the length limit
// that falls between the two halves leaves the character out whole.
TEST(TextFormat, CutsKeepCharactersWhole)
{
    const std::u16string wave = u"\U0001F30A"; // two units
    const std::u16string filler(kMaxFormattedLength - 1, u'a');
    const std::u16string longFormat = filler + wave + u"tail";
    const std::u16string xWave = u"x" + wave, xWaveY = u"x" + wave + u"y", waveZ = wave + u"z";
    const std::u16string shortFillerWave = filler.substr(1) + wave;
    struct Cut
    {
        const char* what;
        const char16_t* format;
        std::vector<FormatArg> args;
        std::u16string expected;
    };
    const std::vector<Cut> cases = {
        {"precision inside the pair", u"<%.2s>", {xWave.c_str()}, u"<x>"},
        {"precision after the pair", u"<%.3s>", {xWaveY.c_str()}, u"<x" + wave + u">"},
        {"padded precision inside the pair", u"<%4.1s>", {wave.c_str()}, u"<    >"},
        {"limit inside a text argument", u"%s%s", {filler.c_str(), waveZ.c_str()}, filler},
        {"limit inside the format's own text", longFormat.c_str(), {}, filler},
        {"limit just after the pair", u"%s%s", {shortFillerWave.c_str(), u"z"}, shortFillerWave},
    };
    for (const Cut& c : cases)
    {
        // Compared whole; a failure names the length and the last units (the long cases are 2,000 units).
        const std::u16string result = Formatted(c.format, c.args);
        const std::u16string end = result.substr(result.size() < 3 ? 0 : result.size() - 3);
        EXPECT_TRUE(result == c.expected) << c.what << ": " << result.size() << " units ending in "
                                          << ::testing::PrintToString(end) << ", expected " << c.expected.size();
    }
}

} // namespace
