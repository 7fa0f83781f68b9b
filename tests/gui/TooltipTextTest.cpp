// The tooltip box's text drawn with real fonts: every letter of a short and of a wrapped text is drawn inside the
// box, for a font of the box's usual size (whose box sizes are 18 high for a line and 13 more a line in a wrap) and
// for a taller one.
#include "engine/core/TextTable.h"
#include "engine/render/TextWriter.h"
#include "gui/TooltipBox.h"
#include "tests/engine/render/FontTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

namespace
{

class TooltipTextTest : public fonttest::FontDrawTest
{
protected:
    // A font of that height, its glyphs 6 wide (the space 3) and as tall as the font.
    std::unique_ptr<Font> MakeFont(uint32_t height)
    {
        fonttest::FontFiles files;
        files.height = height;
        for (int c = 0; c < Font::kGlyphCount; ++c)
        {
            const int l = c % 8 * 8, t = c / 8 % 8 * 8, w = c == ' ' ? 3 : 6;
            files.rects[c] = {uint16_t(l), uint16_t(t), uint16_t(l + w), uint16_t(t + height)};
        }
        const std::string name = "Tip" + std::to_string(height);
        files.Write(dir.Path(), name);
        return std::make_unique<Font>(name.c_str());
    }
    // The table file of the texts, as the game's table files hold them: UTF-16 pairs of quoted id and text,
    // scrambled.
    void WriteTexts(const std::u16string& pairs)
    {
        std::vector<uint8_t> bytes;
        for (char16_t u : u"\uFEFF" + pairs)
            bytes.insert(bytes.end(), {static_cast<uint8_t>(~u & 0xFF), static_cast<uint8_t>(~(u >> 8) & 0xFF)});
        testsupport::WriteBytes(dir.Path() + "/texts.ble", bytes);
    }
};

TEST_F(TooltipTextTest, EveryLetterIsDrawnInsideTheBoxWhateverTheFontsHeight)
{
    WriteTexts(u"\"SHORT\" \"Follow it\" \"LONG\" \"See through the eyes of the one chosen here\" \"BROKEN\" "
               u"\"See through~the eyes of the one chosen here\"");
    TextTable texts((dir.Path() + "/texts.uni").c_str());
    const struct
    {
        uint32_t height;
        const char* id;
        int lines;
        int boxHeight; // 0: not checked
    } cases[] = {
        {10, "SHORT", 1, 18},
        {10, "LONG", 2, 13 * 2 + 2},
        {20, "SHORT", 1, 0},
        {20, "LONG", 2, 0},
        {30, "LONG", 2, 0},
        // '~' forces a break: "See through", then the rest wrapped at 160 less the indent 5 ("the eyes of the one
        // chosen" is 141 wide, " here" would add 27), three lines in all.
        {10, "BROKEN", 3, 13 * 3 + 2},
        {20, "BROKEN", 3, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.height) + " " + c.id);
        std::unique_ptr<Font> font = MakeFont(c.height);
        TextWriter writer(font.get());
        TooltipBox box(&writer);
        box.SetText(c.id);
        box.Show(100, 100, 800, 600);
        Quads();
        box.Draw();
        const std::u16string text = texts.GetText(c.id);
        const auto letters = static_cast<size_t>(
            std::count_if(text.begin(), text.end(), [](char16_t u) { return u != u' ' && u != u'~'; }));
        // Without sprite banks the box's panel is drawn untextured: the quads are the letters.
        const std::vector<fonttest::Quad> glyphs = Quads();
        const GuiRect r = box.GetRect();
        // A letter is 6 wide and (nearly) as tall as the font: one cut by the box's edge or not drawn is lost (a space
        // is 3 wide).
        const float tall = static_cast<float>(c.height) - 1.0f; // a quad ends one row inside its glyph
        const auto whole = [&](const fonttest::Quad& q) { return q.x1 - q.x0 == 6.0f && q.y1 - q.y0 == tall; };
        EXPECT_EQ(static_cast<size_t>(std::count_if(glyphs.begin(), glyphs.end(), whole)), letters)
            << "letters lost or cut";
        std::set<float> rows;
        for (const fonttest::Quad& q : glyphs)
        {
            rows.insert(q.y0);
            EXPECT_TRUE(q.x0 >= r.left && q.x1 <= r.right && q.y0 >= r.top && q.y1 <= r.bottom)
                << "a letter outside the box at " << q.x0 << ", " << q.y0;
        }
        EXPECT_EQ(static_cast<int>(rows.size()), c.lines);
        if (c.boxHeight)
        {
            EXPECT_EQ(r.bottom - r.top, c.boxHeight);
        }
        // The lines of a wrap stand far enough apart for the font's letters.
        if (rows.size() == 2)
        {
            EXPECT_GE(*rows.rbegin() - *rows.begin(), static_cast<float>(std::max<uint32_t>(c.height, 8)));
        }
    }
}

// A long tooltip (a translation two or three times the length of the text it replaces) wraps to many lines; shown
// anywhere on the screen, the box stays on it, so that the text's first lines can be read.
TEST_F(TooltipTextTest, ATallBoxStaysOnTheScreenWhereverThePointerIs)
{
    std::u16string many;
    for (int i = 0; i < 125; ++i)
        many += u"word ";
    WriteTexts(u"\"MANY\" \"" + many + u"\"");
    TextTable texts((dir.Path() + "/texts.uni").c_str());
    std::unique_ptr<Font> font = MakeFont(10);
    TextWriter writer(font.get());
    // Five words of 27 pixels a line within 160 less the indent: 25 lines, drawn 2 + 1.2 x 10 apart, the first 11
    // high, and the box's frame.
    const int32_t expectedHeight = 11 + 24 * 14 + 2;
    const struct
    {
        int32_t x, y;
    } pointers[] = {{100, 100}, {100, 250}, {100, 300}, {400, 320}, {100, 590}, {790, 300}, {0, 0}};
    for (const auto& p : pointers)
    {
        SCOPED_TRACE(std::to_string(p.x) + ", " + std::to_string(p.y));
        TooltipBox box(&writer);
        box.SetText("MANY");
        ASSERT_EQ(box.GetPanelHeight(), expectedHeight);
        box.Show(p.x, p.y, 800, 600);
        const GuiRect r = box.GetRect();
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.bottom, 600);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 800);
    }
}

} // namespace
