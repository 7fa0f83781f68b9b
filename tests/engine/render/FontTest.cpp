// Tests of the game font's files (rectangles, the a x 255 + b kerning rule, missing, short and hostile files) and,
// headless on OpenGL, a line of text in a generated font read back from the frame.
#include "engine/render/Font.h"

#include "engine/render/TextWriter.h"
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/engine/render/FontTestSupport.h"

#include <gtest/gtest.h>

namespace
{

using FontTest = fonttest::FontDrawTest;

TEST_F(FontTest, ReadsTablesAndKernsByTheOverlappingRowRule)
{
    fonttest::FontFiles files;
    files.height = 11;
    files.secondValue = 77;
    files.rects['A'] = {1, 2, 9, 14};
    files.rects['C'] = {0, 0, 8, 8};
    files.rects[0xFF] = {50, 40, 60, 52};
    files.rects['?'] = {20, 20, 25, 30};
    files.rects['Z'] = {30, 0, 20, 10}; // right left of left
    files.kerning['A' * 255 + 'B'] = -3;
    files.kerning['C' * 255 + 'D'] = -128;
    files.kerning[2 * 255] = 9; // also pair (1, 255): the rows overlap by one byte
    files.Write(dir.Path(), "Test");
    Font font("Test");
    EXPECT_EQ(std::make_pair(font.GetHeight(), font.GetSecondValue()), std::make_pair(11u, 77u));
    EXPECT_EQ(font.GetTextureWidth(), 64);
    EXPECT_EQ(font.GetRect(0xFF).m_uBottom, 52);
    EXPECT_EQ(font.GetRect(u'\u0416').m_uLeft, 20); // beyond the tables: '?'
    EXPECT_EQ(font.GetKerning('A', 'B'), -3);
    EXPECT_EQ(font.GetKerning(1, 255), 9);
    EXPECT_EQ(font.GetKerning(2, 0), 9);
    EXPECT_EQ(font.GetAdvance('A', 'B'), 8 - 3);
    EXPECT_EQ(font.GetAdvance('A', 0), 8);   // no kerning before the end
    EXPECT_EQ(font.GetAdvance('C', 'D'), 0); // 8 - 128 stays at 0
    EXPECT_EQ(font.GetGlyphWidth('Z'), 0);
}

TEST_F(FontTest, MissingFilesAreReportedAndShortOnesCut)
{
    // clang-format off
    const struct
    {
        size_t texCoordBytes, kerningBytes;
        const char* box;
        uint16_t rightOfA, rightOfB;
        int kerningAB;
    } cases[] = {
        {0, Font::kKerningSize, "Font::Font - could not find TexCoord file Cut", 0, 0, 4},
        {Font::kTexCoordSize, 0, "Font::Font - could not find Kerning file Cut", 9, 10, 0},
        // Rectangles up to 'A' and kerning bytes up to (not including) the pair A, B.
        {8 + 8 * 66, 'A' * 255 + 'B', nullptr, 9, 0, 0},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        fonttest::FontFiles files;
        files.height = 0xFFFFFFFF;
        files.rects['A'] = {1, 2, 9, 14};
        files.rects['B'] = {2, 2, 10, 14};
        files.kerning['A' * 255 + 'B'] = 4;
        files.texCoordBytes = c.texCoordBytes;
        files.kerningBytes = c.kerningBytes;
        files.Write(dir.Path(), "Cut");
        testsupport::RecordingReportSink sink;
        Font font("Cut");
        ASSERT_EQ(sink.boxes.size(), c.box ? 1u : 0u);
        EXPECT_EQ(c.box ? sink.boxes[0].text : "", c.box ? c.box : "");
        // A huge height is taken as the largest the writer handles.
        EXPECT_EQ(font.GetHeight(), c.texCoordBytes ? Font::kMaxHeight : 0u);
        EXPECT_EQ(font.GetRect('A').m_uRight, c.rightOfA);
        EXPECT_EQ(font.GetRect('B').m_uRight, c.rightOfB);
        EXPECT_EQ(font.GetKerning('A', 'B'), c.kerningAB);
    }
}

// A line of text in a generated font on an OpenGL device of 64 x 64 pixels, read back; skipped without a context.
TEST(GLFontTest, LineOfTextReadsBackFromTheFrame)
{
    rendertest::GLGraphics gl(64);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    // 'I' is a 4 x 16 white bar; two of them kern 4 apart.
    fonttest::FontFiles files;
    files.rects['I'] = {0, 0, 4, 16};
    files.kerning['I' * 255 + 'I'] = 4;
    files.Write(gl.dir.Path(), "Bars");
    // Half-transparent glyph texels (an alpha that 4-bit textures keep): the text colour must be taken times
    // the texture and blended.
    fonttest::WriteTga(gl.dir.Path() + "/Data/Fonts/Bars.tga", 64, 0x88FFFFFF);
    Font font("Bars");
    TextWriter writer(&font);
    writer.SetRect(0, 0, 64, 64);
    writer.SetColour(0xFFFF0000);
    g_GraphicsManager.SetClearMode(true, 0xFF000080);
    ASSERT_TRUE(g_GraphicsManager.BeginFrame(0));
    g_GraphicsManager.Begin2D();
    writer.DrawLine(8, 8, u"II");
    g_GraphicsManager.EndFrame();
    uint32_t width = 0, height = 0;
    auto pixels = static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->ReadBackBuffer(&width, &height);
    ASSERT_TRUE(pixels && width == 64 && height == 64);
    // Bars at x 8..11 and 16..19, y 8..22, red at alpha 136/255 over the clear colour: red 136, blue
    // 128 x 119 / 255 = 60; the gap and the rest keep the clear colour.
    const uint32_t probes[][3] = {{10, 12, 0x88003C}, {18, 20, 0x88003C}, {14, 12, 0x000080}, {10, 30, 0x000080}};
    for (const auto& p : probes)
        EXPECT_TRUE(rendertest::NearRgb(pixels[p[1] * 64 + p[0]], p[2])) << "pixel " << p[0] << ", " << p[1];
}

} // namespace
