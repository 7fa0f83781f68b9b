// Tests of the renderer on the OpenGL back end, headless: a frame cleared and coloured, blended and textured
// primitives drawn through the graphics manager, checked by reading back pixels. Skipped without a GL context.
#include "DrawTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

using platform::RenderState;
using platform::TextureStageState;

TEST(GLRenderTest, ClearedFrameWithColouredBlendedAndTexturedPrimitives)
{
    constexpr uint32_t kSize = 64;
    rendertest::GLGraphics gl(kSize);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    GraphicsManager& gm = g_GraphicsManager;
    D3DRenderer& r = *static_cast<D3DRenderer*>(gm.GetRenderer());
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
    const TexturedVertex square[4] = {
        {34, 2, 0.5f, ~0u, 0, 0}, {62, 2, 0.5f, ~0u, 1, 0}, {62, 30, 0.5f, ~0u, 1, 1}, {34, 30, 0.5f, ~0u, 0, 1}};
    r.DrawPolsTexColTPage(square, 4, quad, 6, 3);
    gm.EndFrame();

    uint32_t width = 0, height = 0;
    const std::unique_ptr<uint32_t[]> pixels = r.ReadBackBuffer(&width, &height);
    ASSERT_TRUE(pixels && width == kSize && height == kSize);
    // 0x80 / 255 of red over the clear colour: 0xFF x 0.502 + 0x20 x 0.498, 0x40 x 0.498, 0x80 x 0.498. Quarter
    // and three quarters across the textured square sit on the texel centres.
    // clang-format off
    const struct { int x, y; uint32_t rgb; } expected[] = {
        {40, 50, 0x204080}, {8, 8, 0xFF0000}, {26, 26, 0x204080}, // the clear colour beyond the triangle's edge
        {16, 48, 0x902040}, {41, 16, 0x0000FF}, {55, 16, 0xFFFF00}};
    // clang-format on
    for (const auto& e : expected)
        EXPECT_TRUE(rendertest::NearRgb(pixels[e.y * kSize + e.x], e.rgb)) << e.x << "," << e.y;
    gm.Present();
}

} // namespace
