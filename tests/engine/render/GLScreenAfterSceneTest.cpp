// Screen drawing right after the 3D pass, on the OpenGL back end, checked by pixels: whatever the scene drew
// last (a lit model, additive or alpha-tested markers), the first filled rectangles, pixels and triangles of the
// screen pass come out in their own colours, blended over the picture.
#include "DrawTestSupport.h"
#include "ModelTestFiles.h"
#include "engine/render/BillboardList.h"
#include "engine/render/DrawLists.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

constexpr uint32_t kSide = 64;
constexpr uint32_t kClear = 0xFF204080;

D3DRenderer& R()
{
    return *static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer());
}

// A red grid model lit by the scene (its level is drawn with lighting on).
OptModel* LoadLitGrid(rendertest::GLGraphics& gl)
{
    SubModel grid = modeltest::MakeGrid("Grid", 2, 2);
    SMaterial& material = grid.m_levels[0].m_material;
    material.m_uDiffuse = 0xFFFF0000, material.m_uBlendMode = 0, material.m_aStages[0] = {0, 0, 0, -1, 0, 0};
    testsupport::WriteBytes(gl.dir.File("grid.tm"), tmtool::WriteTmModel(modeltest::ModelOf({grid})));
    g_ModelManager.Init(8, true);
    return g_ModelManager.GetOptModel(g_ModelManager.Load("grid.tm"));
}

// The scene's last draw: the lit grid in the middle of the view.
void DrawLitModel(OptModel* model)
{
    GraphicsManager& gm = g_GraphicsManager;
    OptMesh& mesh = model->m_bones[0].m_meshes[0];
    platform::Matrix* m = gm.GetModelDrawList()->GetMatrixPool().Acquire();
    ASSERT_NE(m, nullptr);
    *m = platform::MatrixScaling(2.0f, 2.0f, 1.0f) * platform::MatrixTranslation(-2.0f, -2.0f, 10.0f);
    ASSERT_TRUE(gm.GetModelDrawList()->Add(&mesh.m_levels[0], &mesh, m, 0, 0));
    gm.GetModelDrawList()->Draw(&R(), false);
    gm.GetModelDrawList()->ClearChains();
}

// The scene's last draw: a marker of the built-in material in the middle of the view.
void DrawMarker(uint32_t material)
{
    g_BillboardList.Add({0.0f, 0.0f, 10.0f}, 1.0f, 0xFF00FF00, 0, material);
    g_BillboardList.Draw();
}

// The colour over the clear colour with source-alpha blending, channel by channel.
uint32_t Over(uint32_t colour)
{
    const double a = static_cast<double>(colour >> 24) / 255.0;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const double c = static_cast<double>((colour >> shift) & 0xFF) * a +
                         static_cast<double>((kClear >> shift) & 0xFF) * (1.0 - a);
        out |= static_cast<uint32_t>(c + 0.5) << shift;
    }
    return out;
}

TEST(GLScreenAfterSceneTest, FirstScreenDrawsShowTheirOwnColoursWhateverTheSceneDrewLast)
{
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    OptModel* model = LoadLitGrid(gl);
    ASSERT_TRUE(model && !model->m_bones.empty() && !model->m_bones[0].m_meshes.empty());

    struct Scene
    {
        const char* name;
        std::function<void()> draw;
    };
    // A lit model with no ambient light, additive markers (material 8) and alpha-tested ones (material 16,
    // reference 100).
    const Scene scenes[] = {{"lit model", [&] { DrawLitModel(model); }},
                            {"additive marker", [] { DrawMarker(8); }},
                            {"alpha-tested marker", [] { DrawMarker(16); }}};
    struct ScreenDraw
    {
        const char* name;
        uint32_t colour;
        std::function<void(uint32_t)> draw; // covers x 0 to 16, y 0 to 16
    };
    const ScreenDraw draws[] = {
        {"FillRect", 0xFFFFFFFF,
         [](uint32_t c)
         {
             const int32_t rect[4] = {0, 0, 16, 16}; // left, top, bottom, right
             g_GraphicsManager.FillRect(rect, c);
         }},
        {"DrawRect", 0x80FFFFFF, [](uint32_t c) { g_GraphicsManager.DrawRect(0.0f, 0.0f, 16.0f, 16.0f, c); }},
        {"DrawRectXYWH", 0x40FFFF00,
         [](uint32_t c)
         {
             const uint32_t rect[4] = {0, 0, 16, 16};
             g_GraphicsManager.DrawRectXYWH(rect, c);
         }},
        {"DrawTriangle", 0xFFFFFFFF,
         [](uint32_t c) { g_GraphicsManager.DrawTriangle(0.0f, 0.0f, 32.0f, 0.0f, 0.0f, 32.0f, c, c, c); }},
    };

    GraphicsManager& gm = g_GraphicsManager;
    for (const Scene& scene : scenes)
    {
        for (const ScreenDraw& draw : draws)
        {
            SCOPED_TRACE(std::string(scene.name) + ", then " + draw.name);
            gm.SetClearMode(true, kClear);
            gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
            gm.SetViewMatrix(platform::MatrixIdentity(), true);
            gm.SetEyePosition({0.0f, 0.0f, 0.0f});
            ASSERT_TRUE(gm.BeginFrame(0));
            R().SetLight(0xFF000000, 0xFF808080, 0, {0.0f, 0.0f, 1.0f}, 0);
            scene.draw();
            gm.Begin2D();
            draw.draw(draw.colour);
            gm.EndFrame();
            uint32_t w = 0, h = 0;
            const std::unique_ptr<uint32_t[]> pixels = R().ReadBackBuffer(&w, &h);
            gm.Present();
            ASSERT_TRUE(pixels && w == kSide && h == kSide);
            const uint32_t expected = Over(draw.colour);
            EXPECT_TRUE(rendertest::NearRgb(pixels[6 * kSide + 6], expected, 3))
                << std::hex << pixels[6 * kSide + 6] << " expected " << expected;
            // The scene's own drawing in the middle is left as it was, and so is the clear colour elsewhere.
            EXPECT_FALSE(rendertest::NearRgb(pixels[32 * kSide + 32], kClear, 3))
                << std::hex << pixels[32 * kSide + 32];
            EXPECT_TRUE(rendertest::NearRgb(pixels[56 * kSide + 56], kClear, 3)) << std::hex << pixels[56 * kSide + 56];
        }
    }
}

} // namespace
