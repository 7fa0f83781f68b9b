// Tests of the renderer on the OpenGL back end, headless: a frame cleared and coloured, blended and textured
// primitives drawn through the graphics manager, checked by reading back pixels. Skipped without a GL context.
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/GraphicsManager.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace
{

using platform::RenderState;
using platform::TextureStageState;

class GLRenderTest : public ::testing::Test
{
protected:
    static constexpr uint32_t kSize = 64;

    void SetUp() override
    {
        platform::SetGraphicsSystemFactory({});
        ResetDeviceEnumeration();
        // Without a GL context the renderer would end the program: find out first.
        platform::GraphicsSystemPtr system = platform::CreateOpenGLSystem();
        platform::PresentParams params;
        params.backBufferWidth = kSize;
        params.backBufferHeight = kSize;
        platform::DevicePtr probe;
        if (!system ||
            platform::GfxFailed(system->CreateDevice(0, platform::DeviceType::Hal, nullptr,
                                                     platform::CreateFlags::SoftwareVertexProcessing, &params,
                                                     &probe)) ||
            !probe)
            GTEST_SKIP() << "no OpenGL context";
        probe.reset();
        RendererSettings settings;
        settings.m_uWidth = kSize;
        settings.m_uHeight = kSize;
        gm.Create(settings, nullptr);
        m_bCreated = true;
    }

    void TearDown() override
    {
        if (m_bCreated)
            gm.Shutdown();
        ResetDeviceEnumeration();
    }

    D3DRenderer& Renderer() { return *static_cast<D3DRenderer*>(gm.GetRenderer()); }

    // Checks the colour channels of a read-back pixel within a small tolerance.
    static void ExpectPixel(const uint32_t* pixels, int x, int y, uint32_t rgb, int tolerance = 3)
    {
        const uint32_t p = pixels[y * kSize + x];
        for (int shift = 0; shift < 24; shift += 8)
        {
            const int actual = static_cast<int>((p >> shift) & 0xFF);
            const int expected = static_cast<int>((rgb >> shift) & 0xFF);
            EXPECT_LE(std::abs(actual - expected), tolerance)
                << "pixel (" << x << ", " << y << ") is " << std::hex << p << ", expected " << rgb;
        }
    }

    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd{dir.Path()};
    GraphicsManager gm;
    bool m_bCreated = false;
};

TEST_F(GLRenderTest, ClearedFrameWithColouredBlendedAndTexturedPrimitives)
{
    D3DRenderer& r = Renderer();
    // A 2 x 2 texture: left column blue, right column yellow.
    ASSERT_TRUE(r.ReserveTexture(2, 2, 4, 3));
    const uint32_t texels[4] = {0xFF0000FF, 0xFFFFFF00, 0xFF0000FF, 0xFFFFFF00};
    r.UpdateTexture(texels, 2, 2, 4, 3);

    gm.SetClearMode(true, 0xFF204080);
    ASSERT_TRUE(gm.BeginFrame(0));
    gm.Begin2D();
    // Screen drawing takes the vertex colours as they are (the batcher's materials draw it unlit).
    RenderStateCache& states = r.GetStateCache();
    states.Set(RenderState::Lighting, 0);

    // An opaque red triangle at the top left, clockwise on the screen.
    const ColourVertex red[3] = {{2, 2, 0.5f, 0xFFFF0000}, {30, 2, 0.5f, 0xFFFF0000}, {2, 30, 0.5f, 0xFFFF0000}};
    const uint16_t tri[3] = {0, 1, 2};
    r.DrawPolsUntexCol(red, 3, tri, 3, 0);

    // A half-transparent red square at the bottom left, blended over the clear colour.
    const ColourVertex glass[4] = {
        {2, 34, 0.5f, 0x80FF0000}, {30, 34, 0.5f, 0x80FF0000}, {30, 62, 0.5f, 0x80FF0000}, {2, 62, 0.5f, 0x80FF0000}};
    const uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
    r.SetBlendMode(4);
    r.DrawPolsUntexCol(glass, 4, quad, 6, 0);
    r.SetBlendMode(0);

    // The texture on a square at the right, taken as it is by stage 0.
    states.SetStage(0, TextureStageState::ColourOp, platform::TextureOp::SelectArg1);
    states.SetStage(0, TextureStageState::ColourArg1, platform::TextureArg::Texture);
    states.SetStage(0, TextureStageState::AlphaOp, platform::TextureOp::SelectArg1);
    states.SetStage(0, TextureStageState::AlphaArg1, platform::TextureArg::Texture);
    states.SetStage(0, TextureStageState::MipFilter, platform::TextureFilter::None);
    const TexturedVertex square[4] = {{34, 2, 0.5f, 0xFFFFFFFF, 0, 0},
                                      {62, 2, 0.5f, 0xFFFFFFFF, 1, 0},
                                      {62, 30, 0.5f, 0xFFFFFFFF, 1, 1},
                                      {34, 30, 0.5f, 0xFFFFFFFF, 0, 1}};
    r.DrawPolsTexColTPage(square, 4, quad, 6, 3);
    gm.EndFrame();

    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint32_t[]> pixels = r.ReadBackBuffer(&width, &height);
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(width, kSize);
    ASSERT_EQ(height, kSize);
    ExpectPixel(pixels.get(), 40, 50, 0x204080); // untouched: the clear colour
    ExpectPixel(pixels.get(), 8, 8, 0xFF0000);
    ExpectPixel(pixels.get(), 26, 26, 0x204080); // beyond the triangle's slanted edge
    // 0x80 / 255 of red over the clear colour: 0xFF x 0.502 + 0x20 x 0.498, 0x40 x 0.498, 0x80 x 0.498.
    ExpectPixel(pixels.get(), 16, 48, 0x902040);
    // Quarter and three quarters across the square sit on the texel centres.
    ExpectPixel(pixels.get(), 41, 16, 0x0000FF);
    ExpectPixel(pixels.get(), 55, 16, 0xFFFF00);
    gm.Present();
}

} // namespace
