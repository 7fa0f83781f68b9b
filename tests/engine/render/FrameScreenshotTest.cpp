// Headless on OpenGL: a frame of a rectangle, a textured quad, a line and a line of text in a generated font, read back
// and saved as DDS, BMP and JPEG screenshots that decode back to the same picture.
#include "engine/render/TextWriter.h"
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/engine/render/FontTestSupport.h"
#include "tests/platform/image/ImageTestReaders.h"

#include <gtest/gtest.h>

namespace
{

constexpr uint32_t kSize = 64;

TEST(FrameScreenshotGLTest, DrawnFrameReadsBackAndEveryScreenshotFormatDecodesToIt)
{
    rendertest::GLGraphics gl(kSize);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    GraphicsManager& gm = g_GraphicsManager;
    const testsupport::TempDir& dir = gl.dir;

    // A texture, green on its top half and magenta below; a font whose 'I' is a 4 x 16 solid bar.
    const uint32_t side = 64, slot = g_TextureManager.CreateTexture(side, side, "frame test");
    std::vector<uint32_t> texels(side * side);
    for (uint32_t i = 0; i < texels.size(); ++i)
        texels[i] = i / side < side / 2 ? 0xFF00FF00 : 0xFFFF00FF;
    ASSERT_TRUE(g_TextureManager.UpdateTexture(slot, texels.data(), side, side, 4));
    fonttest::FontFiles files;
    files.rects['I'] = {0, 0, 4, 16};
    files.kerning['I' * 255 + 'I'] = 4;
    files.Write(dir.Path(), "Bars");
    // Half-transparent glyph texels (an alpha that 4-bit textures keep): the text colour is taken times the
    // texture and blended.
    fonttest::WriteTga(dir.Path() + "/Data/Fonts/Bars.tga", 64, 0x88FFFFFF);
    Font font("Bars");
    TextWriter writer(&font);
    writer.SetRect(0, 0, kSize, kSize);
    writer.SetColour(0xFFFFFF00);

    gm.SetClearMode(true, 0xFF000040);
    ASSERT_TRUE(gm.BeginFrame(0));
    gm.Begin2D();
    const int32_t red[4] = {4, 4, 20, 20}; // left, top, bottom, right
    gm.FillRect(red, 0xFFFF0000);
    gm.DrawTexturedQuad(36, 4, 60, 4, 60, 28, 36, 28, 0, 0, 1, 1, 0xFFFFFFFF, static_cast<int32_t>(slot), 2);
    writer.DrawLine(8, 36, u"II");
    gm.DrawLine(28, 56, 60, 56, 0xFF00FF00);
    gm.EndFrame();
    gm.RequestScreenshot("shot.dds");
    gm.Present();

    uint32_t width = 0, height = 0;
    std::unique_ptr<uint32_t[]> frame = gm.GetRenderer()->ReadBackBuffer(&width, &height);
    ASSERT_TRUE(frame && width == kSize && height == kSize);
    // clang-format off
    const struct { int x, y; uint32_t rgb; } expected[] = {
        {12, 12, 0xFF0000}, {2, 2, 0x000040}, {24, 12, 0x000040},   // the filled rectangle and around it
        {48, 8, 0x00FF00}, {48, 24, 0xFF00FF}, {48, 32, 0x000040},  // the textured quad's two halves
        // Two bars of text, yellow at alpha 136/255 over the clear colour (blue 64 x 119 / 255 = 30), and the gap.
        {10, 44, 0x88881E}, {18, 44, 0x88881E}, {14, 44, 0x000040},
    };
    // clang-format on
    for (const auto& e : expected)
        EXPECT_LE(imagetest::ColourDistance(frame[e.y * kSize + e.x], e.rgb), 3) << e.x << ", " << e.y;
    int green = 0; // the one-pixel line: one green row near y = 56
    for (int y = 52; y < 61; ++y)
        green += imagetest::ColourDistance(frame[y * kSize + 44], 0x00FF00) <= 3 ? 1 : 0;
    EXPECT_EQ(green, 1);

    // The same frame through each screenshot format: DDS and BMP exactly, JPEG within tolerance.
    gm.RequestScreenshot("shot.bmp");
    gm.Present();
    gm.RequestScreenshot("shot.jpg");
    gm.Present();
    imagetest::Image dds, bmp, jpg;
    ASSERT_TRUE(imagetest::ReadDds(testsupport::ReadBytes(dir.File("shot.dds")), &dds));
    ASSERT_TRUE(imagetest::ReadBmp(testsupport::ReadBytes(dir.File("shot.bmp")), &bmp));
    ASSERT_TRUE(imagetest::ReadJpeg(testsupport::ReadBytes(dir.File("shot.jpg")), &jpg));
    long jpegError = 0;
    for (const imagetest::Image* image : {&dds, &bmp, &jpg})
        ASSERT_TRUE(image->width == kSize && image->height == kSize);
    // The frame's alpha is no picture (2D drawing leaves it 0): the files are opaque wherever it is.
    uint32_t transparentInFrame = 0;
    for (uint32_t i = 0; i < kSize * kSize; ++i)
    {
        transparentInFrame += frame[i] >> 24 != 0xFF;
        ASSERT_EQ(dds.pixels[i], frame[i] | 0xFF000000u) << "DDS pixel " << i;
        ASSERT_EQ(bmp.pixels[i], frame[i] | 0xFF000000u) << "BMP pixel " << i;
        jpegError += imagetest::ColourDistance(jpg.pixels[i], frame[i]);
    }
    // Chroma kept once per 2 x 2 pixels smears the saturated edges of this small, edge-dense frame; swapped
    // channels or rows would put the mean near a hundred.
    EXPECT_LT(double(jpegError) / (kSize * kSize), 16.0);
    EXPECT_GT(transparentInFrame, 0u);
    for (const auto& e : expected)
        EXPECT_LE(imagetest::ColourDistance(jpg.pixels[e.y * kSize + e.x], e.rgb), 40) << e.x << ", " << e.y;
}

} // namespace
