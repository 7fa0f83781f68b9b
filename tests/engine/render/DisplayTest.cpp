// Tests of the display: start-up, overlay surface records, pixel packing and clearing, uploads and drawing on the
// recording back end, the size limit and index checks, and an overlay read back headless on OpenGL.
#include "engine/render/Display.h"

#include "DrawTestSupport.h"
#include "engine/core/GameOptions.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{

constexpr uint16_t kKey = Display::kColourKey;

class DisplayTest : public rendertest::RecordingTest
{
protected:
    void TearDown() override
    {
        display.reset();
        RecordingTest::TearDown();
    }
    Display& Make(void* window = nullptr, const GameOptions* options = nullptr)
    {
        display = std::make_unique<Display>(window, 800, 600, true, options);
        return *display;
    }
    // Level 0 of the page texture holding the slot, and its width.
    std::vector<uint32_t> ReadSlot(uint32_t slot, uint32_t* width)
    {
        const TexturePage* page = g_TextureManager.GetPage(g_TextureManager.GetSlot(slot)->m_uPage);
        *width = page->GetWidth();
        std::vector<uint32_t> texels(static_cast<size_t>(page->GetWidth()) * page->GetHeight());
        EXPECT_TRUE(g_GraphicsManager.GetRenderer()->ReadTexture(texels.data(), texels.size() * 4,
                                                                 DeviceTextureForSlot(static_cast<int32_t>(slot))));
        return texels;
    }
    platform::RecordingDevice* GmDevice() const
    {
        return static_cast<platform::RecordingDevice*>(
            static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
    }
    std::unique_ptr<Display> display;
};

TEST_F(DisplayTest, StartsFromTheOptionsSizesTheWindowAndShutsDown)
{
    GameOptions options(dir.File("MRV2.ini"));
    options.m_iResWidth = 1024;
    options.m_iResHeight = 768;
    options.m_iDisplayBPP = 16;
    const bool window = platform::CreateGameWindow("display test", 640, 480);
    Display& d = Make(window ? platform::GameWindowHandle() : nullptr, &options);
    EXPECT_TRUE(g_pDisplay == &d && d.IsRendererReady());
    const RendererSettings& s = g_GraphicsManager.GetSettings();
    EXPECT_TRUE(s.m_uWidth == 1024 && s.m_uHeight == 768 && s.m_uColourDepth == 16 && s.m_bWindowed);
    EXPECT_EQ(g_TextureManager.GetSlotCapacity(), 1500u);
    platform::Rect r;
    if (window && platform::GetWindowRect(&r)) // sized for the client area asked, not the back buffer
    {
        EXPECT_TRUE(r.right - r.left == 800 && r.bottom - r.top == 600) << r.right - r.left << "x" << r.bottom - r.top;
    }
    display.reset();
    EXPECT_TRUE(!g_pDisplay && !g_TextureManager.IsInitialised() && !g_GraphicsManager.GetRenderer());
    platform::DestroyGameWindow();
}

// The texture manager starts inside the display, before the game hands the graphics manager its video settings:
// the texture quality of the options must already count then, as textures load from the first frame on.
TEST_F(DisplayTest, TheTextureManagerStartsAtTheOptionsTextureQuality)
{
    for (int32_t quality = 0; quality <= 4; ++quality)
    {
        SCOPED_TRACE(quality);
        GameOptions options(dir.File("MRV2.ini"));
        options.m_iTextureQuality = quality;
        Make(nullptr, &options);
        EXPECT_EQ(g_TextureManager.GetReductionLevel(), static_cast<uint32_t>(4 - quality));
        display.reset();
    }
}

TEST_F(DisplayTest, NoGraphicsSystemEndsTheProgram)
{
    platform::SetGraphicsSystemFactory([] { return platform::GraphicsSystemPtr(); });
    EXPECT_EXIT(Make(), ::testing::ExitedWithCode(255), "");
}

TEST_F(DisplayTest, SurfaceRecordsAreCreatedFreedAndReused)
{
    Display& d = Make();
    EXPECT_TRUE(d.CreateSurface(800, 124, "Toolbar", true) == 0 && d.CreateSurface(10, 3, "Second", true) == 1);
    EXPECT_TRUE(d.CreateSurface(5, 5, nullptr, false) == 2 && d.GetSurface(0)->m_uPitch == 1600u);
    const TextureSlot* slot = g_TextureManager.GetSlot(d.GetSurface(0)->m_uTexture);
    ASSERT_NE(slot, nullptr);
    EXPECT_TRUE(slot->m_uWidth == 1024 && slot->m_uHeight == 128); // rounded up to powers of two
    EXPECT_EQ(d.GetSurface(2)->m_uTexture, 0u);
    // A texture known under the name is taken, not made again.
    EXPECT_EQ(d.GetSurface(d.CreateSurface(10, 3, "Second", true))->m_uTexture, d.GetSurface(1)->m_uTexture);

    d.SelectSurface(0);
    d.FreeSurface(0);
    EXPECT_TRUE(!d.GetSurface(0)->m_bInUse && !d.GetSurface(0)->m_pPixels);
    EXPECT_EQ(d.LockSurface(), nullptr); // the freed surface is no longer current
    EXPECT_EQ(d.CreateSurface(16, 16, "Reused", true), 0);
}

// A texture known under the name is taken only when it has the size the surface draws with: two scripts' dialogs of
// one name and different sizes each get a texture of their own size, which stays theirs the next time.
TEST_F(DisplayTest, ASurfaceNamedLikeOneOfAnotherSizeGetsATextureOfItsOwnSize)
{
    Display& d = Make();
    struct Case
    {
        uint32_t width, height;
        uint32_t textureWidth, textureHeight;
        int sameAs; // the case whose texture it takes, -1 for a new one
    };
    const Case cases[] = {
        {301, 101, 512, 128, -1}, // the park's box
        {281, 141, 512, 256, -1}, // the front end's, taller
        {300, 100, 512, 128, 0},  // the park's again
        {290, 150, 512, 256, 1},  // the front end's again, the same texture size
        {100, 20, 128, 32, -1},   // smaller in both
    };
    std::vector<uint32_t> textures;
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const Case& c = cases[i];
        // The references held on the texture known by the name, which a surface of another size looks at and
        // leaves.
        const auto heldOnNamed = [&]
        {
            const TextureSlot* named = textures.empty() ? nullptr : g_TextureManager.GetSlot(textures[0]);
            return named ? named->m_uRefCount : 0u;
        };
        const uint32_t held = heldOnNamed();
        const int32_t s = d.CreateSurface(c.width, c.height, "ExitConfirmBox", true);
        ASSERT_GE(s, 0);
        if (c.sameAs != 0)
        {
            EXPECT_EQ(heldOnNamed(), held) << i;
        }
        const uint32_t texture = d.GetSurface(s)->m_uTexture;
        const TextureSlot* slot = g_TextureManager.GetSlot(texture);
        ASSERT_NE(slot, nullptr) << i;
        EXPECT_TRUE(slot->m_uWidth == c.textureWidth && slot->m_uHeight == c.textureHeight)
            << i << ": " << slot->m_uWidth << " x " << slot->m_uHeight;
        if (c.sameAs >= 0)
            EXPECT_EQ(texture, textures[static_cast<size_t>(c.sameAs)]) << i;
        else
            for (uint32_t other : textures)
                EXPECT_NE(texture, other) << i;
        textures.push_back(texture);
        if (i == 0)
        {
            // The first of the name is known by the name itself.
            const uint32_t named = g_TextureManager.Find("ExitConfirmBox");
            EXPECT_EQ(named, texture);
            g_TextureManager.Release(named);
        }
        d.FreeSurface(s);
    }
}

TEST_F(DisplayTest, OversizedSurfacesAndBadIndicesAreRefused)
{
    Display& d = Make();
    for (const auto& size : {std::pair{1025u, 1u}, {0xFFFFFFFFu, 2u}})
    {
        testsupport::RecordingReportSink sink;
        EXPECT_EQ(d.CreateSurface(size.first, size.second, "Huge", true), -1) << size.first << "x" << size.second;
        EXPECT_NE(sink.debug.find("larger than 1024 x 1024"), std::string::npos) << sink.debug;
    }
    EXPECT_EQ(d.GetSurfaceCount(), 0);
    const int32_t live = d.CreateSurface(1024, 1024, "Live", true);
    const int32_t freed = d.CreateSurface(4, 4, "Freed", true);
    d.FreeSurface(freed);
    d.SelectSurface(live);
    for (int32_t bad : {-1, freed, 2})
    {
        d.FreeSurface(bad);
        d.ClearSurface(bad);
        d.MarkSurfaceDirty(bad);
        d.SetSurfacePosition(bad, 1, 1);
        d.DrawSurface(0, 0, bad);
        EXPECT_EQ(g_GraphicsManager.GetBatchKind(), BATCH_NONE) << bad;
        EXPECT_TRUE(d.GetSurface(live)->m_bInUse && d.GetCurrentSurface() == live) << bad;
    }
    d.SelectSurface(freed);
    EXPECT_EQ(d.LockSurface(), nullptr);
    d.FillSurface(255, 255, 255);

    // The largest surface fills its whole texture, the last row too, and nothing beyond it.
    d.SelectSurface(live);
    d.FillSurface(255, 0, 0);
    d.DrawSurface(0, 0, live);
    uint32_t width = 0;
    const std::vector<uint32_t> texels = ReadSlot(d.GetSurface(live)->m_uTexture, &width);
    ASSERT_EQ(texels.size(), 1024u * 1024u);
    EXPECT_TRUE(texels.front() == 0xFFFF0000u && texels.back() == 0xFFFF0000u);
}

TEST_F(DisplayTest, FillPacksTo15BitsAndClearWritesTheKeyUnlessBlank)
{
    Display& d = Make();
    d.SelectSurface(d.CreateSurface(3, 2, "Pixels", true));
    const struct
    {
        uint8_t r, g, b;
        uint16_t pixel;
    } fills[] = {{0, 255, 0, kKey}, {7, 7, 7, 0}, {0x84, 0x42, 0x21, (16 << 10) | (8 << 5) | 4}};
    for (const auto& f : fills)
    {
        d.FillSurface(f.r, f.g, f.b);
        const uint16_t* pixels = d.LockSurface();
        EXPECT_TRUE(pixels[0] == f.pixel && pixels[5] == f.pixel) << int(f.r) << "," << int(f.g) << "," << int(f.b);
        d.UnlockSurface();
    }

    uint16_t* pixels = d.LockSurface();
    d.ClearSurface(d.GetCurrentSurface());
    EXPECT_TRUE(d.GetSurface(d.GetCurrentSurface())->m_bBlank && pixels[5] == kKey);
    pixels[5] = 0x1234; // a blank surface is not written again
    d.ClearSurface(d.GetCurrentSurface());
    EXPECT_EQ(pixels[5], 0x1234);
    d.FillSurface(255, 0, 0); // a fill ends the blank state, so the next clear does its work
    d.ClearSurface(d.GetCurrentSurface());
    EXPECT_EQ(pixels[0], kKey);
}

TEST_F(DisplayTest, DrawUploadsWhenDirtyAndQueuesTheRectangle)
{
    Display& d = Make();
    const int32_t s = d.CreateSurface(800, 124, "Toolbar", true);
    const uint32_t slot = d.GetSurface(s)->m_uTexture;
    d.SelectSurface(s);
    uint16_t* pixels = d.LockSurface();
    const uint16_t row[6] = {0x7C00, 0x0421, kKey, 0x7FFF, 0x03E1, 0};
    std::memcpy(pixels, row, sizeof(row));
    pixels[800] = 0x001F;
    ASSERT_TRUE(g_GraphicsManager.BeginFrame(0));
    g_GraphicsManager.Begin2D();
    GmDevice()->ClearLog();
    d.DrawSurface(10, 476, s);
    EXPECT_EQ(g_GraphicsManager.GetBatchTexture(), static_cast<int32_t>(slot));
    EXPECT_EQ(g_GraphicsManager.GetBatchMaterial(), Display::kSurfaceMaterial);
    g_GraphicsManager.EndFrame();

    uint32_t width = 0;
    std::vector<uint32_t> texels = ReadSlot(slot, &width);
    ASSERT_EQ(width, 1024u);
    // c widens to (c << 3) | (c >> 2); the key is transparent, and so is everything beyond the image.
    const uint32_t expected[6] = {0xFFFF0000, 0xFF080808, 0, 0xFFFFFFFF, 0xFF00FF08, 0xFF000000};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(texels[i], expected[i]) << i;
    EXPECT_TRUE(texels[width] == 0xFF0000FF && texels[800] == 0 && texels[124 * width] == 0);

    ASSERT_EQ(GmDevice()->draws.size(), 1u);
    // One texel beyond the image: 801 / 1024 across, 125 / 128 down, mapped into the slot's page.
    const TexturePlacement p = g_TextureManager.GetPlacement(slot);
    const float u0 = p.m_fUOffset, v0 = p.m_fVOffset;
    const float u1 = 801.0f / 1024.0f * p.m_fUScale + u0, v1 = 125.0f / 128.0f * p.m_fVScale + v0;
    EXPECT_TRUE(rendertest::SameVertices(rendertest::Decode<TexturedVertex>(GmDevice()->draws[0]).vertices,
                                         {{10, 476, 0, ~0u, u0, v0},
                                          {810, 476, 0, ~0u, u1, v0},
                                          {810, 600, 0, ~0u, u1, v1},
                                          {10, 600, 0, ~0u, u0, v1}}));

    // Changed pixels wait for the layer upload.
    pixels[0] = 0x001F;
    d.DrawSurface(10, 476, s);
    EXPECT_EQ(ReadSlot(slot, &width)[0], 0xFFFF0000u);
    d.MarkSurfaceDirty(s);
    d.DrawSurface(10, 476, s);
    EXPECT_EQ(ReadSlot(slot, &width)[0], 0xFF0000FFu);
}

// Headless OpenGL: an overlay with a red rectangle on the colour key, drawn over a cleared frame and read back.
TEST(DisplayGLTest, OverlayDrawsOverTheClearedFrameWithTheKeyTransparent)
{
    rendertest::GLGraphics gl(64, false);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    GameOptions options(gl.dir.File("MRV2.ini"));
    options.m_iResWidth = 320;
    options.m_iResHeight = 240;
    Display d(nullptr, 320, 240, true, &options);
    const int32_t s = d.CreateSurface(40, 30, "Overlay", true);
    d.SelectSurface(s);
    d.ClearSurface(s);
    uint16_t* pixels = d.LockSurface();
    for (uint32_t y = 5; y < 20; ++y) // red at 10..29 x 5..19
        for (uint32_t x = 10; x < 30; ++x)
            pixels[y * d.GetSurfacePitch() / 2 + x] = 0x7C00;
    d.UnlockSurface();

    g_GraphicsManager.SetClearMode(true, 0xFF204080);
    ASSERT_TRUE(g_GraphicsManager.BeginFrame(0));
    g_GraphicsManager.Begin2D();
    D3DRenderer& r = *static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer());
    d.DrawSurface(100, 50, s);
    g_GraphicsManager.EndFrame();

    uint32_t width = 0, height = 0;
    std::unique_ptr<uint32_t[]> frame = r.ReadBackBuffer(&width, &height);
    ASSERT_TRUE(frame && width == 320 && height == 240);
    // clang-format off
    const struct { int x, y; uint32_t rgb; } probes[] = {
        {120, 62, 0xFF0000}, {111, 56, 0xFF0000},  // inside the red rectangle
        {103, 52, 0x204080}, {135, 75, 0x204080}}; // the key around it: transparent
    // clang-format on
    for (const auto& p : probes)
        EXPECT_TRUE(rendertest::NearRgb(frame[p.y * width + p.x], p.rgb))
            << p.x << ", " << p.y << ": " << std::hex << frame[p.y * width + p.x];
    g_GraphicsManager.Present();
}

} // namespace
