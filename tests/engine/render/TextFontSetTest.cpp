// Tests of the text service's fonts: font tables read and hostile ones refused, measuring and wrapping, and the
// glyph quads of strings, wrapped and aligned texts and the typewriter on the recording device.
#include "engine/render/TextFontSet.h"
#include "engine/core/TextSystem.h"

#include "tests/engine/render/FontTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using fonttest::Quad;

// Every glyph 10 x 12 at vertical offset 3 in a 16-texel grid cell; the space is 5 wide, 'W' 31 wide (drawn in
// the space's box) and 'I' 13 high.
FontGlyph TestGlyph(int c)
{
    const int width = c == ' ' ? 5 : c == 'W' ? 31 : 10;
    return {uint16_t(c),     uint16_t(c % 16 * 16),        uint16_t(c / 16 % 8 * 16),
            uint16_t(width), uint16_t(c == 'I' ? 13 : 12), 3};
}

// A ".ttb" file of the test glyphs. Block 1's header is kept: texture 256 x 128, descent 2, baseline 10, line
// advance 14, so the line step is 2 x 14 - 10 - 2 = 16. Block 0 has another header.
std::vector<uint8_t> TableBytes(int32_t lineAdvance = 14)
{
    std::vector<uint8_t> out;
    for (int block = 0; block < 2; ++block)
    {
        for (int32_t v : {256, 128, 2, 10, lineAdvance})
            fonttest::PutLE(out, static_cast<uint32_t>(block == 0 ? 64 : v), 4);
        for (int c = block * 128; c < block * 128 + 128; ++c)
        {
            const FontGlyph g = TestGlyph(c);
            for (uint16_t v : {g.m_uFirst, g.m_uX, g.m_uY, g.m_uWidth, g.m_uHeight, g.m_uOffset})
                fonttest::PutLE(out, v, 2);
        }
    }
    return out;
}

class TextSystemFontTest : public fonttest::FontDrawTest
{
protected:
    void SetUp() override
    {
        FontDrawTest::SetUp();
        texts.SetFonts(std::make_unique<TextFontSet>());
        testsupport::WriteBytes(dir.File("Font.ttb"), TableBytes());
        fonttest::WriteTga(dir.File("Font_Basic Latin_Texture.tga"), 16, 0xFFFFFFFF);
        fonttest::WriteTga(dir.File("Font_Latin-1 Supplement_Texture.tga"), 16, 0xFFFFFFFF);
        ASSERT_TRUE(texts.LoadFont("Font"));
        texts.SetColour(0xFF112233);
    }

    // The quad of glyph c with the pen at (x, y): top = y + offset - baseline - 1.
    static void ExpectGlyph(const Quad& q, int c, float x, float y)
    {
        const FontGlyph g = TestGlyph(c);
        const float nudge = 1.0f / 512.0f;
        EXPECT_FLOAT_EQ(q.x0, x) << c;
        EXPECT_FLOAT_EQ(q.y0, y - 8) << c;
        EXPECT_FLOAT_EQ(q.u0, g.m_uX / 256.0f + nudge) << c;
        EXPECT_FLOAT_EQ(q.v1, (g.m_uY + g.m_uHeight) / 128.0f + nudge) << c;
    }

    TextSystem texts;
};

TEST_F(TextSystemFontTest, LoadFontRefusesMissingShortHostileAndFifthFonts)
{
    std::vector<uint8_t> shortTable = TableBytes();
    shortTable.pop_back();
    testsupport::WriteBytes(dir.File("Short.ttb"), shortTable);
    testsupport::WriteBytes(dir.File("Huge.ttb"), TableBytes(1 << 30));
    for (const char* name : {"Missing", "Short", "Huge"})
        EXPECT_FALSE(texts.LoadFont(name)) << name;
    for (int i = 1; i < TextSystem::kMaxFonts; ++i)
        EXPECT_TRUE(texts.LoadFont("Font"));
    testsupport::RecordingReportSink reports;
    EXPECT_FALSE(texts.LoadFont("Font"));
    EXPECT_NE(reports.debug.find("no room for a further font (Font)"), std::string::npos);
    EXPECT_EQ(texts.GetFontCount(), TextSystem::kMaxFonts);
    // A font that is not loaded draws and measures nothing.
    texts.SetFont(TextSystem::kMaxFonts);
    texts.DrawString(0, 0, "ab");
    EXPECT_TRUE(Quads().empty() && texts.GetFontHeight(-1) == 0 && texts.GetGlyphWidth('a') == 0);
    EXPECT_FALSE(texts.LoadFont(nullptr));
    int width = -1, height = -1;
    EXPECT_TRUE(texts.MeasureTextHeight("ab", TextSystem::kMaxFonts, 100, 0, &height) == 0 && height == 0);
    texts.MeasureText("ab", -1, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(0, 0));

    // Starting the service again forgets every font.
    texts.Init();
    EXPECT_EQ(texts.GetFontCount(), 0);
    texts.DrawString(0, 0, "ab");
    EXPECT_TRUE(Quads().empty());
}

// The glyph textures go to the device and are not kept in memory as well.
TEST_F(TextSystemFontTest, GlyphTexturesKeepNoPixelCopy)
{
    const auto* fonts = static_cast<const TextFontSet*>(texts.GetFonts());
    for (int block : {FontTable::kBasicLatin, FontTable::kLatin1Supplement})
    {
        const TextureSlot* slot = g_TextureManager.GetSlot(fonts->GetFontTable(0)->m_aiTexture[block]);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->m_bKeepPixels, 0);
    }
}

TEST_F(TextSystemFontTest, MeasuresAndWrapsWithTheNamedFont)
{
    // clang-format off
    const struct { std::string text; int width, mode, result, out; } heights[] = {
        {"ab cd", 30, 0, 16 + 14, 16 + 14},                // "ab c" is 35: the second word moves down whole
        {"ab\ncd", 100, 2, 14, 14},                        // mode 2 does not break at the line feed
        {"ab\ncd", -1, 1, -1, 77},                         // no width: -1 at the first line feed, out untouched
        {std::string(1500, 'a'), -1, 2, 16 + 14, 16 + 14}, // the 1023-character line buffer ends a line
        {"a", 100, 0, 14, 14},                             // one character left on the last line
        {"ab\n", 100, 0, 16, 16},                          // nothing left after the last line feed
        {"ab", 100, 3, 0, 0},                              // no such mode
    };
    // clang-format on
    for (const auto& h : heights)
    {
        int out = 77;
        EXPECT_EQ(texts.MeasureTextHeight(h.text.c_str(), 0, h.width, h.mode, &out), h.result) << h.text;
        EXPECT_EQ(out, h.out) << h.text;
    }
    // MeasureText: the widest line, and the tallest glyph height + baseline (0 at least) less the baseline.
    int width = -5, height = -5;
    texts.MeasureText("", 0, &width, &height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(0, -10));
    texts.MeasureText("ab\nabI", 0, &width, &height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(30, 13));
    EXPECT_EQ(texts.GetGlyphWidth(static_cast<char>(0xE9)), 10); // a negative char reads glyph 233
}

TEST_F(TextSystemFontTest, DrawStringPlacesOneQuadPerGlyph)
{
    texts.DrawString(100, 50, "A\x7FW\xE9\nB");
    const std::vector<Quad> q = Quads();
    ASSERT_EQ(q.size(), 4u);
    ExpectGlyph(q[0], 'A', 100, 50);
    EXPECT_TRUE(q[0].x1 == 110 && q[0].y1 == 42 + 12 && q[0].colour == 0xFF112233);
    // 0x7F moves the pen by its width; 'W' (31 wide) is drawn in the space's 5 x 12 box.
    ExpectGlyph(q[1], 'W', 120, 50);
    ExpectGlyph(q[2], 0xE9, 125, 50);
    EXPECT_TRUE(q[1].x1 == 125 && q[2].texture != q[0].texture);
    ExpectGlyph(q[3], 'B', 100, 50 + 14);

    texts.DrawStringW(0, 0, u"\u00E9\u0416");
    const std::vector<Quad> w = Quads();
    ASSERT_EQ(w.size(), 2u);
    ExpectGlyph(w[0], 0xE9, 0, 0);
    ExpectGlyph(w[1], '?', 10, 0); // beyond the tables
}

TEST_F(TextSystemFontTest, WrappedTextAlignsAndStepsLines)
{
    // clang-format off
    const struct
    {
        int width, alignment;
        bool oneLine;
        const char* text;
        std::vector<std::pair<float, float>> pens;
    } cases[] = {
        {30, 0, false, "ab cd", {{0, 0}, {10, 0}, {0, 16}, {10, 16}}}, {30, 0, true, "ab cd", {{0, 0}, {10, 0}}},
        // Centred: x - line width / 2 + width / 2; right: x - line width + width.
        {40, 1, false, "ab cde", {{10, 0}, {20, 0}, {5, 16}, {15, 16}, {25, 16}}},
        // Right alignment draws the line feed as a glyph on the same line.
        {-1, 2, false, "a\nb", {{-31, 0}, {-21, 0}, {-11, 0}}},
        // Without a width, centred text draws only up to its first line feed.
        {-1, 1, false, "a\nb", {{-5, 0}}},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        texts.DrawText(0, 0, c.width, c.alignment, c.text, c.oneLine);
        const std::vector<Quad> q = Quads();
        ASSERT_EQ(q.size(), c.pens.size()) << c.text << " alignment " << c.alignment;
        // Glyphs of the second line stand one character later in the text (after the space).
        for (size_t i = 0; i < q.size(); ++i)
            ExpectGlyph(q[i], c.text[i + (c.pens[i].second > 0 ? 1 : 0)], c.pens[i].first, c.pens[i].second);
    }
}

TEST_F(TextSystemFontTest, TypewriterStopsAtTheBudgetAndReportsTheCaret)
{
    // Budget 3: "ab" takes 2, so the second line stops before 'd'.
    float caret[4] = {-1, -1, -1, -1};
    texts.DrawTextUpTo(0, 0, 30, 0, "ab cd", 3, &caret[0], &caret[1], &caret[2], &caret[3]);
    const std::vector<Quad> typed = Quads();
    ASSERT_EQ(typed.size(), 3u);
    ExpectGlyph(typed[2], 'c', 0, 16);
    // x = pen (10) - width of 'd'; y = its quad top (16 - 8) - line advance; width of 'd'; line advance.
    EXPECT_EQ(std::vector<float>(caret, caret + 4), (std::vector<float>{0, 8 - 14, 10, 14}));

    // A budget that ends with a line leaves the caret after that line's last character (at the terminator's
    // glyph, 10 wide): x = 20 - 10, y = (0 + 3 - 10 - 1) - 14.
    texts.DrawTextUpTo(0, 0, 30, 0, "ab cd", 2, &caret[0], &caret[1], &caret[2], &caret[3]);
    EXPECT_EQ(Quads().size(), 2u);
    EXPECT_EQ(std::vector<float>(caret, caret + 4), (std::vector<float>{10, -8 - 14, 10, 14}));

    // Nothing typed yet (a negative count too): nothing drawn, the caret before the first character.
    for (int count : {0, -3})
    {
        texts.DrawTextUpTo(0, 0, 30, 0, "ab cd", count, &caret[0], &caret[1], &caret[2], &caret[3]);
        EXPECT_TRUE(Quads().empty()) << count;
        EXPECT_EQ(std::vector<float>(caret, caret + 4), (std::vector<float>{-10, -8 - 14, 10, 14})) << count;
    }
    // Right-aligned, the line feed is a glyph on the typed line rather than a line break.
    texts.DrawTextUpTo(0, 0, -1, 2, "a\nb", 3, &caret[0], &caret[1], &caret[2], &caret[3]);
    const std::vector<Quad> right = Quads();
    ASSERT_EQ(right.size(), 3u);
    ExpectGlyph(right[2], 'b', -11, 0);
}

TEST_F(TextSystemFontTest, ShadowedTextDrawsABlackCopyTwoPixelsDownRightFirst)
{
    texts.DrawTextShadowed(10, 20, "ab", 100);
    const std::vector<Quad> q = Quads();
    ASSERT_EQ(q.size(), 4u);
    ExpectGlyph(q[0], 'a', 12, 22);
    ExpectGlyph(q[1], 'b', 22, 22);
    ExpectGlyph(q[2], 'a', 10, 20);
    ExpectGlyph(q[3], 'b', 20, 20);
    EXPECT_EQ(std::vector<uint32_t>({q[0].colour, q[1].colour, q[2].colour, q[3].colour}),
              std::vector<uint32_t>({0xFF000000, 0xFF000000, 0xFF112233, 0xFF112233}));
    EXPECT_EQ(texts.GetColour(), 0xFF112233u);
}

TEST_F(TextSystemFontTest, WorldTextQueuesOneRunInTheFirstFont)
{
    // A second font on textures of its own, selected before: world text still takes the first one.
    testsupport::WriteBytes(dir.File("Other.ttb"), TableBytes());
    fonttest::WriteTga(dir.File("Other_Basic Latin_Texture.tga"), 16, 0xFF00FF00);
    fonttest::WriteTga(dir.File("Other_Latin-1 Supplement_Texture.tga"), 16, 0xFF00FF00);
    ASSERT_TRUE(texts.LoadFont("Other"));
    const auto* fonts = static_cast<const TextFontSet*>(texts.GetFonts());
    const int32_t first = fonts->GetFontTable(0)->m_aiTexture[FontTable::kBasicLatin];
    ASSERT_NE(first, fonts->GetFontTable(1)->m_aiTexture[FontTable::kBasicLatin]);
    texts.SetFont(1);

    texts.DrawText3DW(1, 2, 3, 100, 0, u"ab\u0416", false);
    EXPECT_EQ(texts.GetCurrentFont(), 0);
    const TextQueue& queue = g_GraphicsManager.GetTextQueue();
    ASSERT_EQ(queue.runCount, 1);
    EXPECT_EQ(queue.quadCount, 3); // the character beyond the tables is drawn as '?'
    EXPECT_EQ(queue.runs[0].texture, first);
    EXPECT_TRUE(queue.runs[0].anchor.x == 1 && queue.runs[0].anchor.y == 2 && queue.runs[0].anchor.z == 3);
    EXPECT_FALSE(g_GraphicsManager.IsTextQueueOpen());
}

} // namespace
