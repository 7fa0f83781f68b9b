// Tests of the panels' own drawing, read back from the recording device as lines and filled rectangles in the order
// they were drawn, and of where the tooltip box places its panel.
#include "engine/render/GraphicsManager.h"
#include "gui/MainItem.h"
#include "gui/SpriteManager.h"
#include "gui/TooltipBox.h"
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t kGold = 0xFF9E8A21;
constexpr uint32_t kPaper = 0xFFF7F7FF;

std::string Line(int x1, int y1, int x2, int y2, uint32_t colour)
{
    char text[64];
    std::snprintf(text, sizeof text, "line %d,%d-%d,%d %08X", x1, y1, x2, y2, colour);
    return text;
}

std::string Fill(int left, int top, int right, int bottom, uint32_t colour)
{
    char text[64];
    std::snprintf(text, sizeof text, "fill %d,%d-%d,%d %08X", left, top, right, bottom, colour);
    return text;
}

class PanelDrawingTest : public rendertest::DrawTest
{
protected:
    void SetUp() override
    {
        rendertest::DrawTest::SetUp();
        // No sprite banks: the scroll thumb's caps are 0 pixels high and draw nothing.
        GetSpriteManager().UnloadBanks();
    }

    // What the panel of the style drew, each primitive as Line or Fill writes it.
    std::vector<std::string> Drawn(int32_t style, int l, int t, int r, int b)
    {
        Dev()->ClearLog();
        MainItem panel(l, t, r, b, style);
        panel.Draw();
        gm.BeginBatch(BATCH_NONE, 0, 1); // draws what the batch holds
        std::vector<std::string> out;
        for (const auto& draw : Draws())
        {
            if (draw.fvf != kFvfColourVertex)
                continue; // the sprites' own pictures
            const auto decoded = rendertest::Decode<ColourVertex>(draw);
            const auto& v = decoded.vertices;
            auto at = [](float f) { return static_cast<int>(f); };
            if (draw.type == platform::PrimitiveType::LineList)
            {
                for (size_t i = 0; i + 1 < decoded.indices.size(); i += 2)
                {
                    const ColourVertex& a = v[decoded.indices[i]];
                    const ColourVertex& z = v[decoded.indices[i + 1]];
                    out.push_back(Line(at(a.x), at(a.y), at(z.x), at(z.y), a.colour));
                }
            }
            else if (v.size() == 4)
                out.push_back(Fill(at(v[0].x), at(v[0].y), at(v[2].x), at(v[2].y), v[0].colour));
            else
                out.push_back("other");
        }
        return out;
    }
};

// Each style's drawing on the rectangle (10, 20) to (110, 60), written out from the panels' table of looks.
TEST_F(PanelDrawingTest, EachStyleDrawsItsLinesAndFillsInOrder)
{
    const int L = 10, T = 20, R = 110, B = 60;
    const uint32_t olive = 0xFF948C52, yellow = 0xFFFFD610;
    const struct
    {
        int32_t style;
        std::vector<std::string> drawn;
    } cases[] = {
        {MainItem::STYLE_NONE, {}},
        {MainItem::STYLE_COMBO_TEXT,
         {Line(L, T + 1, R, T + 1, kGold), Fill(L, T + 2, R - 1, T + 16, kPaper), Line(L, T + 16, R, T + 16, kGold)}},
        {MainItem::STYLE_COMBO_LIST_DOWN,
         {Fill(L, T, L + 2, B, kGold), Fill(R - 2, T, R, B, kGold), Fill(L, B - 2, R, B, kGold),
          Fill(L + 2, T, R - 2, B - 2, kPaper)}},
        {MainItem::STYLE_COMBO_LIST_UP, {}},
        {MainItem::STYLE_SCROLL_BACK,
         {Line(L, T, L, B - 1, olive), Fill(L + 1, T, L + 13, B - 1, yellow), Line(L + 13, T, L + 13, B - 1, olive)}},
        // Caps 0 high: the whole height is the thumb's middle, three lines, the fill, three lines.
        {MainItem::STYLE_SCROLL_THUMB,
         {Line(L, T, L, B, yellow), Line(L + 1, T, L + 1, B, 0xFF086BA5), Line(L + 2, T, L + 2, B, 0xFF218CD6),
          Fill(L + 3, T, L + 9, B, 0xFF31A5F7), Line(L + 9, T, L + 9, B, 0xFF00D6F7),
          Line(L + 10, T, L + 10, B, 0xFFB6DBF3), Line(L + 11, T, L + 11, B, yellow)}},
        {MainItem::STYLE_SLIDER_TRACK,
         {Line(L + 1, T, R - 2, T, 0xFF2542BD), Line(L + 1, T + 1, R - 2, T + 1, 0xFF93B2FD),
          Line(L + 1, T + 2, R - 2, T + 2, 0xFFBBD0FF)}},
        {MainItem::STYLE_TOOLTIP,
         {Fill(L, T, L + 2, B, kGold), Fill(R - 2, T, R, B, kGold), Fill(L, B - 2, R, B, kGold),
          Fill(L, T, R, T + 2, kGold), Fill(L + 2, T + 2, R - 2, B - 2, kPaper)}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Drawn(c.style, L, T, R, B), c.drawn) << "style " << c.style;
}

// With the thumb's sprite loaded, its two caps (5 pixels high here) take their height at each end and the lines and
// fill run between them; a thumb no taller than its two caps has no middle.
TEST_F(PanelDrawingTest, TheScrollThumbsMiddleRunsBetweenItsCaps)
{
    guitest::Load(GetSpriteManager(), {{"UI3_SCROLLBAR_SLIDER", 1, {}, {{"thumb", 12, 5, 1, {{}, {}}}}}});
    const int L = 10, T = 20;
    const uint32_t yellow = 0xFFFFD610;
    const struct
    {
        int bottom;
        int middleTop, middleBottom; // 0, 0: no middle
    } cases[] = {{60, T + 5, T + 5 + 30}, {T + 11, T + 5, T + 6}, {T + 10, 0, 0}, {T + 4, 0, 0}};
    for (const auto& c : cases)
    {
        std::vector<std::string> expected;
        if (c.middleBottom > 0)
        {
            const int a = c.middleTop, z = c.middleBottom;
            expected = {Line(L, a, L, z, yellow),
                        Line(L + 1, a, L + 1, z, 0xFF086BA5),
                        Line(L + 2, a, L + 2, z, 0xFF218CD6),
                        Fill(L + 3, a, L + 9, z, 0xFF31A5F7),
                        Line(L + 9, a, L + 9, z, 0xFF00D6F7),
                        Line(L + 10, a, L + 10, z, 0xFFB6DBF3),
                        Line(L + 11, a, L + 11, z, yellow)};
        }
        EXPECT_EQ(Drawn(MainItem::STYLE_SCROLL_THUMB, L, T, L + 12, c.bottom), expected) << c.bottom;
    }
    GetSpriteManager().UnloadBanks();
}

// The box is placed 25 pixels below the point, above it when it would reach past the screen's bottom, and pulled
// left to end at the screen's right edge; a shown box stays where it is. Without a writer every text measures 0
// pixels, so a box with its text is 15 x 18; a box never given a text takes no room.
TEST(TooltipBoxTest, TheBoxGoesBelowThePointOrAboveItAndStaysOnTheScreen)
{
    const int W = 800, H = 600;
    const struct
    {
        const char* what;
        bool text;
        int x, y;
        GuiRect rect;
    } cases[] = {
        {"below", true, 100, 200, {100, 225, 115, 243}},
        {"just fits above the bottom", true, 100, H - 25 - 18, {100, H - 18, 115, H}},
        {"one pixel too low: above", true, 100, H - 25 - 17, {100, H - 25 - 17 - 18 - 2, 115, H - 25 - 17 - 2}},
        {"past the right edge", true, W - 10, 200, {W - 15, 225, W, 243}},
        {"no text", false, 100, 200, {100, 225, 100, 225}},
        {"no text at the bottom", false, 100, H - 25, {100, H, 100, H}},
    };
    for (const auto& c : cases)
    {
        TooltipBox box(nullptr);
        if (c.text)
            box.SetText("ANY_TEXT");
        box.Show(c.x, c.y, W, H);
        EXPECT_TRUE(box.IsShown()) << c.what;
        const GuiRect& r = box.GetRect();
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}),
                  std::vector<int>({c.rect.left, c.rect.top, c.rect.right, c.rect.bottom}))
            << c.what;
        EXPECT_EQ(std::pair(box.GetPanelWidth(), box.GetPanelHeight()),
                  std::pair(c.rect.right - c.rect.left, c.rect.bottom - c.rect.top))
            << c.what;
        // Shown already: another point moves nothing.
        box.Show(0, 0, W, H);
        EXPECT_EQ(box.GetRect().top, c.rect.top) << c.what;
    }
}

} // namespace
