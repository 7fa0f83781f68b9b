// Glyphs drawn through the game's text paths on an OpenGL device, read back row by row: every glyph row and column
// lands on its own screen pixel, the first ones at the pen position, and nothing of the neighbouring glyphs shows.
#include "engine/render/D3DRenderer.h"
#include "engine/render/Font.h"
#include "engine/render/FontTable.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextWriter.h"
#include "engine/render/TextureManager.h"
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/engine/render/FontTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

constexpr uint32_t kScreen = 64;
constexpr int kTexture = 256; // 1/512 nudges of the text paths put samples on this texture's texel centres
constexpr uint32_t kClear = 0xFF000000u;

// The glyph 'A' is texels 16..23 across and 8..15 down. Its top row is red, its bottom row blue and the rows between
// green; the rows just above and below it (parts of other glyphs) are yellow and magenta, the columns just left and
// right of it cyan.
constexpr int kGlyphLeft = 16, kGlyphTop = 8, kGlyphSize = 8;
constexpr uint32_t kTop = 0xFFFF0000u, kMiddle = 0xFF00FF00u, kBottom = 0xFF0000FFu;
constexpr uint32_t kAbove = 0xFFFFFF00u, kBelow = 0xFFFF00FFu, kBeside = 0xFF00FFFFu;

std::vector<uint32_t> GlyphTexels()
{
    std::vector<uint32_t> texels(size_t{kTexture} * kTexture, 0xFFFFFFFFu);
    for (int y = 0; y < kTexture; ++y)
    {
        for (int x = 0; x < kTexture; ++x)
        {
            uint32_t& t = texels[size_t(y) * kTexture + x];
            if (y == kGlyphTop - 1)
                t = kAbove;
            else if (y == kGlyphTop + kGlyphSize)
                t = kBelow;
            else if (x == kGlyphLeft - 1 || x == kGlyphLeft + kGlyphSize)
                t = kBeside;
            else if (y == kGlyphTop)
                t = kTop;
            else if (y == kGlyphTop + kGlyphSize - 1)
                t = kBottom;
            else
                t = kMiddle;
        }
    }
    return texels;
}

class GLGlyphRowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.Ready())
            GTEST_SKIP() << "no OpenGL context";
        fonttest::FontFiles files;
        files.rects['A'] = {kGlyphLeft, kGlyphTop, kGlyphLeft + kGlyphSize, kGlyphTop + kGlyphSize};
        files.Write(gl.dir.Path(), "Rows");
        testsupport::WriteBytes(gl.dir.Path() + "/Data/Fonts/Rows.tga",
                                texturetest::MakeTGA(kTexture, kTexture, GlyphTexels()));
        g_GraphicsManager.SetClearMode(true, kClear);
    }

    // The frame after `draw` ran in a 2D pass.
    template <class Draw> std::vector<uint32_t> DrawFrame(Draw draw)
    {
        EXPECT_TRUE(g_GraphicsManager.BeginFrame(0));
        g_GraphicsManager.Begin2D();
        draw();
        g_GraphicsManager.EndFrame();
        uint32_t width = 0, height = 0;
        auto pixels = static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->ReadBackBuffer(&width, &height);
        EXPECT_TRUE(pixels && width == kScreen && height == kScreen);
        return pixels ? std::vector<uint32_t>(pixels.get(), pixels.get() + kScreen * kScreen) : std::vector<uint32_t>();
    }

    // Checks that the screen shows glyph rows 0..rows-1 (all columns) at rows top.. and columns left..left+7, and the
    // clear colour in the frame of pixels around them.
    static void ExpectGlyph(const std::vector<uint32_t>& pixels, int left, int top, int rows)
    {
        ASSERT_EQ(pixels.size(), size_t{kScreen} * kScreen);
        std::string wrong;
        for (int y = top - 1; y <= top + rows; ++y)
        {
            for (int x = left - 1; x <= left + kGlyphSize; ++x)
            {
                const bool inside = y >= top && y < top + rows && x >= left && x < left + kGlyphSize;
                const int row = y - top;
                const uint32_t expected = !inside                 ? kClear
                                          : row == 0              ? kTop
                                          : row == kGlyphSize - 1 ? kBottom
                                                                  : kMiddle;
                const uint32_t actual = pixels[size_t(y) * kScreen + x];
                if (!rendertest::NearRgb(actual, expected))
                    wrong += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
            }
        }
        EXPECT_EQ(wrong, "") << "pixels off the glyph's rows and columns";
    }

    rendertest::GLGraphics gl{kScreen};
};

TEST_F(GLGlyphRowsTest, TextWriterDrawsTheGlyphFromItsTopRowAtThePen)
{
    Font font("Rows");
    ASSERT_EQ(font.GetTextureWidth(), kTexture);
    TextWriter writer(&font);
    writer.SetRect(0, 0, kScreen, kScreen);
    writer.SetColour(0xFFFFFFFFu);
    std::vector<uint32_t> pixels = DrawFrame([&] { writer.DrawLine(20, 30, u"A"); });
    // The writer's quad ends one row short of the glyph's bottom, so its last row is not drawn.
    ExpectGlyph(pixels, 20, 30, kGlyphSize - 1);
}

TEST_F(GLGlyphRowsTest, FontTableDrawsEveryGlyphRowFromTheTopOfTheBox)
{
    FontTable table;
    table.m_iTextureWidth = table.m_iTextureHeight = kTexture;
    table.m_iBaseline = 4;
    table.m_aiTexture[FontTable::kBasicLatin] =
        static_cast<int32_t>(g_TextureManager.Load("Data\\Fonts\\Rows.tga", false, false));
    FontGlyph& glyph = table.m_glyphs['A'];
    glyph = {0, kGlyphLeft, kGlyphTop, kGlyphSize, kGlyphSize, 2};
    const uint8_t text[] = "A";
    // The box's top is the pen y + offset - baseline - 1: 33 + 2 - 4 - 1 = 30.
    std::vector<uint32_t> pixels = DrawFrame([&] { table.DrawRun(20, 33, text, 1, false, 0xFFFFFFFFu, -1, nullptr); });
    ExpectGlyph(pixels, 20, 30, kGlyphSize);
}

} // namespace
