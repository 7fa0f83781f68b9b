// A small scene on the OpenGL back end, headless: three models with two materials (small grids batched on the
// processor, a large one from the shared buffers) queued through the model draw list and checked by pixels.
#include "DrawTestSupport.h"
#include "ModelTestFiles.h"
#include "engine/render/DrawLists.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelManager.h"

#include <gtest/gtest.h>

namespace
{

constexpr uint32_t kSide = 64;

// A flat grid facing the eye, unlit texture stage: the lit diffuse colour alone.
void WriteGrid(rendertest::GLGraphics& gl, const char* file, uint32_t cells, uint32_t diffuse)
{
    SubModel grid = modeltest::MakeGrid("Grid", cells, cells);
    SMaterial& material = grid.m_levels[0].m_material;
    material.m_uDiffuse = diffuse;
    material.m_uBlendMode = 0;
    material.m_aStages[0] = {0, 0, 0, -1, 0, 0};
    testsupport::WriteBytes(gl.dir.File(file), tmtool::WriteTmModel(modeltest::ModelOf({grid})));
}

TEST(GLModelSceneTest, ModelsThroughTheDrawListByPixels)
{
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    WriteGrid(gl, "red_small.tm", 2, 0xFFFF0000);   // 9 vertices: batched
    WriteGrid(gl, "green_small.tm", 2, 0xFF00FF00); // batched
    WriteGrid(gl, "red_big.tm", 10, 0xFFFF0000);    // 121 vertices: shared buffers
    g_ModelManager.Init(8, true);
    OptModel* models[3] = {g_ModelManager.GetOptModel(g_ModelManager.Load("red_small.tm")),
                           g_ModelManager.GetOptModel(g_ModelManager.Load("green_small.tm")),
                           g_ModelManager.GetOptModel(g_ModelManager.Load("red_big.tm"))};
    for (OptModel* m : models)
        ASSERT_TRUE(m && !m->m_bones.empty() && !m->m_bones[0].m_meshes.empty());

    GraphicsManager& gm = g_GraphicsManager;
    D3DRenderer& r = *static_cast<D3DRenderer*>(gm.GetRenderer());
    gm.SetClearMode(true, 0xFF204080);
    gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
    gm.SetViewMatrix(platform::MatrixIdentity(), true);
    ASSERT_TRUE(gm.BeginFrame(0));
    // Light 0x80 head-on: a diffuse channel of 255 is lit to 136 (as the device reads colours back).
    r.SetLight(0xFF000000, 0xFF808080, 0, {0.0f, 0.0f, 1.0f}, 0);

    // Each grid scaled to 4 units with its lower left corner at (x, y, 10): the screen point of (X, Y, 10) is
    // (32 + 3.2 X, 32 - 3.2 Y).
    ModelDrawList& list = *gm.GetModelDrawList();
    auto place = [&](OptModel* model, float x, float y)
    {
        OptMesh& mesh = model->m_bones[0].m_meshes[0];
        const float scale = 4.0f / (mesh.m_levels[0].m_uVertexCount > 80 ? 10.0f : 2.0f);
        platform::Matrix* m = list.GetMatrixPool().Acquire();
        ASSERT_NE(m, nullptr);
        *m = platform::MatrixScaling(scale, scale, 1.0f) * platform::MatrixTranslation(x, y, 10.0f);
        ASSERT_TRUE(list.Add(&mesh.m_levels[0], &mesh, m, 0, 0));
    };
    place(models[1], -9, 1);  // green, upper left
    place(models[1], -9, -5); // green, lower left
    place(models[0], -2, -2); // red, middle
    place(models[2], 5, -2);  // red, right
    RenderStats before;
    r.GetFrameStats(&before);
    list.Draw(&r, false);
    list.ClearChains();
    RenderStats after;
    r.GetFrameStats(&after);
    // Both greens in one batch, the small red, the big red: three draws.
    EXPECT_EQ(after.Get(RenderStats::DrawCalls) - before.Get(RenderStats::DrawCalls), 3u);
    gm.EndFrame();

    uint32_t w = 0, h = 0;
    const std::unique_ptr<uint32_t[]> pixels = r.ReadBackBuffer(&w, &h);
    ASSERT_TRUE(pixels && w == kSide && h == kSide);
    auto at = [&](int x, int y) { return pixels[y * kSide + x]; };
    EXPECT_TRUE(rendertest::NearRgb(at(10, 22), 0x008800)) << std::hex << at(10, 22);
    EXPECT_TRUE(rendertest::NearRgb(at(10, 41), 0x008800)) << std::hex << at(10, 41);
    EXPECT_TRUE(rendertest::NearRgb(at(32, 32), 0x880000)) << std::hex << at(32, 32);
    EXPECT_TRUE(rendertest::NearRgb(at(54, 32), 0x880000)) << std::hex << at(54, 32);
    // Between the models and outside them: the clear colour.
    EXPECT_TRUE(rendertest::NearRgb(at(32, 5), 0x204080)) << std::hex << at(32, 5);
    EXPECT_TRUE(rendertest::NearRgb(at(10, 32), 0x204080)) << std::hex << at(10, 32);
    EXPECT_TRUE(rendertest::NearRgb(at(42, 32), 0x204080)) << std::hex << at(42, 32);
    // The edges of the big grid: x = 5 lies at 48, x = 9 at 60.8.
    EXPECT_TRUE(rendertest::NearRgb(at(49, 32), 0x880000)) << std::hex << at(49, 32);
    EXPECT_TRUE(rendertest::NearRgb(at(47, 32), 0x204080)) << std::hex << at(47, 32);
    EXPECT_TRUE(rendertest::NearRgb(at(61, 32), 0x204080)) << std::hex << at(61, 32);
}

} // namespace
