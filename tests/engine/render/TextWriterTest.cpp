// Tests of the text writer against hand-computed widths: kerning, glyph quads with clipping and alignment,
// wrapping with '~' breaks and the rectangle's bottom, line counts, and truncation with "...".
#include "engine/render/TextWriter.h"

#include "tests/engine/render/FontTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

namespace
{

using fonttest::Quad;

// Font height 10 (line step 2 + 12; one line below 22); glyphs 6 x 8 in an 8-texel grid of a 64-texel texture;
// the space is 3 wide, '.' 2 wide; 'A' then 'V' kerns by -2.
class TextWriterTest : public fonttest::FontDrawTest
{
protected:
    void SetUp() override
    {
        FontDrawTest::SetUp();
        fonttest::FontFiles files;
        for (int c = 0; c < Font::kGlyphCount; ++c)
        {
            const int l = c % 8 * 8, t = c / 8 % 8 * 8, w = c == ' ' ? 3 : c == '.' ? 2 : 6;
            files.rects[c] = {uint16_t(l), uint16_t(t), uint16_t(l + w), uint16_t(t + 8)};
        }
        files.kerning['A' * 255 + 'V'] = -2;
        files.Write(dir.Path(), "Writer");
        font = std::make_unique<Font>("Writer");
        writer = std::make_unique<TextWriter>(font.get());
    }

    // Glyph counts of the drawn lines, keyed by their top.
    std::map<float, int> Lines()
    {
        std::map<float, int> lines;
        for (const Quad& q : Quads())
            ++lines[q.y0];
        return lines;
    }

    std::unique_ptr<Font> font;
    std::unique_ptr<TextWriter> writer;
};

TEST_F(TextWriterTest, DrawLinePlacesClipsAndAlignsGlyphs)
{
    writer->SetRect(100, 50, 30, 20);
    writer->SetColour(0xFF00FF00);
    const float n = 1.0f / 512.0f;
    // clang-format off
    const struct
    {
        int alignment, x, y;
        const char16_t* text;
        size_t quads;
        float first[8]; // x0, y0, x1, y1, u0, v0, u1, v1 of the first quad
        float lastRight;
    } cases[] = {
        // 'a' (97) lies at texel (8, 32): quad bottom and v1 one row in.
        {0, 2, 3, u"ab", 2, {102, 53, 108, 60, 8 / 64.f + n, 32 / 64.f + n, 14 / 64.f + n, 39 / 64.f + n}, 114},
        // Cut by 3 texels at the left edge and to 5 rows at the bottom.
        {0, -3, 15, u"a", 1, {100, 65, 103, 69, 11 / 64.f + n, 32 / 64.f + n, 14 / 64.f + n, 36 / 64.f + n}, 103},
        {TextWriter::kAlignRight, 0, 0, u"ab", 2, {118, 50, 124, 57}, 130},
        // 48 wide in 30 starts 9 to the left: the outer glyphs are skipped, their neighbours cut at both edges.
        {TextWriter::kAlignCentre, 0, 0, u"abcdefgh", 6, {100, 50, 103, 57}, 130},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        writer->SetAlignment(c.alignment);
        writer->DrawLine(c.x, c.y, c.text);
        const std::vector<Quad> q = Quads();
        ASSERT_EQ(q.size(), c.quads);
        const float got[8] = {q[0].x0, q[0].y0, q[0].x1, q[0].y1, q[0].u0, q[0].v0, q[0].u1, q[0].v1};
        for (int i = 0; i < (c.first[4] ? 8 : 4); ++i)
            EXPECT_FLOAT_EQ(got[i], c.first[i]) << "field " << i;
        EXPECT_FLOAT_EQ(q.back().x1, c.lastRight);
        EXPECT_EQ(q[0].colour, 0xFF00FF00u);
    }
}

TEST_F(TextWriterTest, DrawTextWrapsBreaksAtTildeAndStopsAtTheBottom)
{
    // clang-format off
    const struct
    {
        int width, height;
        std::u16string text;
        std::map<float, int> lines; // top -> glyphs
    } cases[] = {
        {30, 100, u"ab cd ef", {{0, 5}, {14, 2}}}, {100, 100, u"ab~cd", {{0, 2}, {14, 2}}},
        {100, 21, u"ab~cd ef", {{0, 8}}},            // lower than 2.2 font heights: one line as it stands
        {15, 30, u"ab cd ef gh", {{0, 2}, {14, 2}}}, // the third line would pass the bottom
        {1805, 100, std::u16string(300, u'a') + u" b", {{0, 300}, {14, 1}}}, // no 255-character limit
    };
    // clang-format on
    for (const auto& c : cases)
    {
        writer->SetRect(0, 0, c.width, c.height);
        writer->DrawText(0, 0, c.text.c_str());
        EXPECT_EQ(Lines(), c.lines) << c.text.size() << " characters in " << c.width << " x " << c.height;
    }

    writer->DrawText3D(1, 2, 3, u"ab");
    const TextQueue& queue = g_GraphicsManager.GetTextQueue();
    EXPECT_TRUE(queue.runCount == 1 && queue.quadCount == 2 && queue.runs[0].texture == font->GetTexture());
}

// The character a quad draws, read back from its texture corner (the grid holds character c at column c % 8, row
// c / 8 % 8, its corner inset by 1/512).
int GlyphOf(const Quad& q)
{
    const float n = 1.0f / 512.0f;
    const int column = static_cast<int>(std::lround((q.u0 - n) * 8.0f));
    const int row = static_cast<int>(std::lround((q.v0 - n) * 8.0f));
    return row * 8 + column;
}

// Each wrapped line draws its own characters: the glyph of a quad is read back from its texture corner (the grid
// holds character c at column c % 8, row c / 8 % 8). The text stands after other characters in the same buffer,
// so a line taken from the wrong place draws those.
TEST_F(TextWriterTest, WrappedLinesDrawTheirOwnCharacters)
{
    // clang-format off
    const struct
    {
        int width, height;
        std::u16string text;
        std::vector<std::u16string> lines;
    } cases[] = {
        {30, 100, u"ab cd ef", {u"ab cd", u"ef"}},            // "ab cd" is 27 wide; " e" would pass 30
        {100, 100, u"ab~cd~ef", {u"ab", u"cd", u"ef"}},       // '~' breaks and is not drawn
        {15, 100, u"ab cd ef gh", {u"ab", u"cd", u"ef", u"gh"}},
        {30, 100, u"ab~cd ef gh", {u"ab", u"cd ef", u"gh"}},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        const std::u16string buffer = u"PQRSTUVW" + c.text;
        writer->SetRect(0, 0, c.width, c.height);
        writer->DrawText(0, 0, buffer.c_str() + 8);
        std::map<float, std::vector<int>> drawn; // line top -> glyphs, left to right
        for (const Quad& q : Quads())
            drawn[q.y0].push_back(GlyphOf(q));
        std::vector<std::vector<int>> expected;
        for (const std::u16string& line : c.lines)
        {
            expected.emplace_back();
            for (char16_t ch : line)
                expected.back().push_back(ch % 64);
        }
        std::vector<std::vector<int>> got;
        for (const auto& [top, glyphs] : drawn)
            got.push_back(glyphs);
        EXPECT_EQ(got, expected) << c.width << " wide: " << std::string(c.text.begin(), c.text.end());
    }
}

// A space needs no room at the end of a line: a word that fits stays on its line even when the space after it
// would pass the edge, and the spaces where a line breaks are not part of it, so a right-aligned line ends at the
// edge. Letters are 6 wide and the space 3, so "ab cd" is exactly 27. Two lines fit the height 30.
TEST_F(TextWriterTest, TheSpaceAfterAWordThatFitsDoesNotCarryItToTheNextLine)
{
    // clang-format off
    const struct
    {
        int alignment, width;
        std::u16string text;
        std::vector<std::u16string> lines;
        std::vector<float> lefts; // left of each line's first glyph
        int count, widest;        // CountLines and GetWrappedWidth at that width
    } cases[] = {
        {TextWriter::kAlignLeft, 27, u"ab cd ef gh", {u"ab cd", u"ef gh"}, {0, 0}, 2, 27},
        {TextWriter::kAlignRight, 27, u"ab cd ef gh", {u"ab cd", u"ef gh"}, {0, 0}, 2, 27},
        // Two spaces at the break: neither is drawn, and "ab cd" still ends at the right edge.
        {TextWriter::kAlignRight, 27, u"ab cd  ef", {u"ab cd", u"ef"}, {0, 15}, 2, 27},
        {TextWriter::kAlignRight, 30, u"ab cd  ef", {u"ab cd", u"ef"}, {3, 18}, 2, 27},
        // Centred in 31: "ab cd" (27) starts 2 in, "ef" (12) 9 in.
        {TextWriter::kAlignCentre, 31, u"ab cd   ef", {u"ab cd", u"ef"}, {2, 9}, 2, 27},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        const std::string name(c.text.begin(), c.text.end());
        writer->SetRect(0, 0, c.width, 30);
        writer->SetAlignment(c.alignment);
        writer->DrawText(0, 0, c.text.c_str());
        const std::vector<Quad> quads = Quads();
        std::map<float, std::vector<const Quad*>> drawn; // line top -> its quads, left to right
        for (const Quad& q : quads)
            drawn[q.y0].push_back(&q);
        std::vector<std::u16string> lines;
        std::vector<float> lefts;
        for (const auto& [top, line] : drawn)
        {
            lines.emplace_back();
            for (const Quad* q : line)
                lines.back().push_back(static_cast<char16_t>(GlyphOf(*q)));
            lefts.push_back(line.front()->x0);
        }
        std::vector<std::u16string> expected;
        for (const std::u16string& line : c.lines)
        {
            expected.emplace_back();
            for (char16_t ch : line)
                expected.back().push_back(static_cast<char16_t>(ch % 64));
        }
        EXPECT_EQ(lines, expected) << name << " in " << c.width;
        EXPECT_EQ(lefts, c.lefts) << name << " in " << c.width;
        EXPECT_EQ(writer->CountLines(c.text.c_str(), c.width, 0), c.count) << name << " in " << c.width;
        EXPECT_EQ(writer->GetWrappedWidth(c.text.c_str(), c.width, 0), c.widest) << name << " in " << c.width;
    }
}

// Widths sum advances with the kerning of the next character ('V' then 'A' has none), the last pair of a text
// included; wrapped lines start at the indent.
TEST_F(TextWriterTest, WidthsKernAndWrappedLinesStartAtTheIndent)
{
    const std::pair<const char16_t*, int> widths[] = {
        {u"a b", 15}, {u"AVA", 16}, {u"AV", 10}, {u"aAV", 16}, {u"\u0416", 6}};
    for (const auto& [text, width] : widths)
        EXPECT_EQ(writer->GetTextWidth(text), width);
    // clang-format off
    const struct { const char16_t* text; int width, indent, lines, widest; } cases[] = {
        {u"ab cd ef", 30, 0, 2, 27}, {u"ab cd ef", 30, 5, 3, 17}, {u"a~b", 100, 0, 1, 18}, // no '~' breaks here
    };
    // clang-format on
    for (const auto& c : cases)
    {
        EXPECT_EQ(writer->CountLines(c.text, c.width, c.indent), c.lines) << c.width << c.indent;
        EXPECT_EQ(writer->GetWrappedWidth(c.text, c.width, c.indent), c.widest) << c.width << c.indent;
    }
    // The second line "bcd" (18) is the widest of "a bcd" in 20, measured from the text itself, not from the
    // narrow dots before it in the buffer.
    const std::u16string buffer = u"....a bcd";
    EXPECT_EQ(writer->GetWrappedWidth(buffer.c_str() + 4, 20, 0), 18);
}

// A wrapped line is measured as a text of its own: its last character does not kern with the space or '~' that
// ends the line in the whole text. In this font 'A' kerns by -3 before a space and before '~'.
TEST_F(TextWriterTest, AWrappedLineEndsWithoutTheKerningOfWhatFollowsIt)
{
    fonttest::FontFiles files;
    for (int c = 0; c < Font::kGlyphCount; ++c)
    {
        const int l = c % 8 * 8, t = c / 8 % 8 * 8, w = c == ' ' ? 3 : 6;
        files.rects[c] = {uint16_t(l), uint16_t(t), uint16_t(l + w), uint16_t(t + 8)};
    }
    files.kerning['A' * 255 + ' '] = -3;
    files.kerning['A' * 255 + '~'] = -3;
    files.Write(dir.Path(), "Kerned");
    Font kerned("Kerned");
    TextWriter kernedWriter(&kerned);
    // "bbA cd" in 25: b, b, A (3 before the space), the space, c make 24; d would pass 25. The first line "bbA" is
    // 18 wide on its own, the second "cd" 12.
    EXPECT_EQ(kernedWriter.GetWrappedWidth(u"bbA cd", 25, 0), 18);
    EXPECT_EQ(kernedWriter.CountLines(u"bbA cd", 25, 0), 2);
    // Right-aligned in 25, each drawn line ends at the right edge: "bbA" starts at 7, "cd" at 13.
    kernedWriter.SetRect(0, 0, 25, 100);
    kernedWriter.SetAlignment(TextWriter::kAlignRight);
    for (const char16_t* text : {u"bbA cd", u"bbA~cd"})
    {
        kernedWriter.DrawText(0, 0, text);
        std::map<float, float> firstLeft; // line top -> left of its first glyph
        for (const Quad& q : Quads())
            firstLeft.emplace(q.y0, q.x0);
        EXPECT_EQ(firstLeft, (std::map<float, float>{{0.0f, 7.0f}, {14.0f, 13.0f}})) << std::string(text, text + 6);
    }
}

TEST_F(TextWriterTest, TruncateToWidthCutsUntilItFitsAndStopsAtTheEllipsis)
{
    // clang-format off
    const struct { std::u16string text; int width; std::u16string result; int resultWidth; } cases[] = {
        {u"abc", 18, u"abc", 18},
        {u"abcdefgh", 47, u"abcdef...", 42}, // one too wide: less two characters, "..." (6) added
        {u"abcdefgh", 4, u"...", 6},         // narrower than "..." itself
        {u"abcdefgh", 30, u"abcd...", 30},   // 6 a letter: four letters and "..." fill 30 exactly
        {std::u16string(200, u'a'), 100, std::u16string(15, u'a') + u"...", 96}, // a long text: 15 x 6 + 6
    };
    // clang-format on
    for (const auto& c : cases)
    {
        std::u16string text = c.text;
        EXPECT_TRUE(writer->TruncateToWidth(text, c.width) == c.resultWidth && text == c.result) << c.width;
    }
    // A buffer of 6 has no room for "abc...": the cut goes further.
    char16_t buffer[6] = u"abcde";
    EXPECT_TRUE(writer->TruncateToWidth(buffer, 6, 20) == 18 && std::u16string(buffer) == u"ab...");
}

// A character beyond U+FFFF is two units of the text but one character beyond the font's tables: it is drawn,
// measured and wrapped as one '?' (6 wide, like every letter here), and truncation counts and cuts whole characters.
TEST_F(TextWriterTest, ACharacterBeyondU_FFFFIsOneCharacter)
{
    const std::u16string face = u"\U0001F600";
    // clang-format off
    const struct { std::u16string text; std::u16string glyphs; } draws[] = {
        {u"a" + face + u"b", u"a?b"},
        {face + face, u"??"},
        {u"a" + std::u16string(1, char16_t(0xD83D)) + u"b", u"a?b"}, // a lone half is a character of its own
    };
    // clang-format on
    writer->SetRect(0, 0, 100, 100);
    for (const auto& c : draws)
    {
        writer->DrawLine(0, 0, c.text.c_str());
        std::u16string drawn;
        for (const Quad& q : Quads())
            drawn.push_back(static_cast<char16_t>(GlyphOf(q)));
        std::u16string expected;
        for (char16_t ch : c.glyphs)
            expected.push_back(static_cast<char16_t>(ch % 64));
        EXPECT_EQ(drawn, expected) << c.glyphs.size() << " glyphs";
        EXPECT_EQ(writer->GetTextWidth(c.text.c_str()), 6 * static_cast<int>(c.glyphs.size()));
    }

    // "a?b c" is 6 + 6 + 6 + 3 + 6 = 27: one line in 27, two in 26.
    const std::u16string words = u"a" + face + u"b c";
    EXPECT_EQ(writer->CountLines(words.c_str(), 27, 0), 1);
    EXPECT_EQ(writer->CountLines(words.c_str(), 26, 0), 2);
    writer->SetRect(0, 0, 27, 100);
    writer->DrawText(0, 0, words.c_str());
    EXPECT_EQ(Lines(), (std::map<float, int>{{0, 5}}));

    // clang-format off
    const struct { std::u16string text; int width; std::u16string result; int resultWidth; } cuts[] = {
        // Five characters (30) in 28: less two characters, "ab?" and "..." make 24.
        {u"ab" + face + u"cd", 28, u"ab" + face + u"...", 24},
        // Four characters (24) in 23: less the last two, the face and 'c', "ab..." makes 18.
        {u"abc" + face, 23, u"ab...", 18},
    };
    // clang-format on
    for (const auto& c : cuts)
    {
        std::u16string text = c.text;
        const int width = writer->TruncateToWidth(text, c.width);
        EXPECT_EQ(text, c.result) << c.width;
        EXPECT_EQ(width, c.resultWidth) << c.width;
    }
    // A buffer of 6 holds "a?bc" but not "a?..." with both halves of the face: the face goes whole, never half of it.
    char16_t buffer[6] = {u'a', 0xD83D, 0xDE00, u'b', u'c', 0};
    EXPECT_EQ(writer->TruncateToWidth(buffer, 6, 20), 12);
    EXPECT_EQ(std::u16string(buffer), u"a...");
}

} // namespace
