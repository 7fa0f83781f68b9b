// Models on the OpenGL back end, headless, checked by pixels: a small scene of grids with two materials (small
// ones batched on the processor, a large one from the shared buffers) queued through the model draw list, and a
// textured, lit square loaded from its file (texture placed on its page, vertices registered, material interned)
// under a light head-on and at 60 degrees; a highlighted model glowing with the pulse of the frame time.
#include "DrawTestSupport.h"
#include "ModelTestFiles.h"
#include "engine/render/DrawLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace
{

constexpr uint32_t kSide = 64;

// A flat grid facing the eye, unlit texture stage: the lit diffuse colour alone.
void WriteGrid(rendertest::GLGraphics& gl, const char* file, uint32_t cells, uint32_t diffuse)
{
    SubModel grid = modeltest::MakeGrid("Grid", cells, cells);
    SMaterial& material = grid.m_levels[0].m_material;
    material.m_uDiffuse = diffuse, material.m_uBlendMode = 0, material.m_aStages[0] = {0, 0, 0, -1, 0, 0};
    testsupport::WriteBytes(gl.dir.File(file), tmtool::WriteTmModel(modeltest::ModelOf({grid})));
}

class GLModelSceneTest : public ::testing::Test
{
protected:
    // Starts a frame looking along +z (90 degrees, square) with light 0x80 from the direction.
    void Frame(const platform::Vec3& light)
    {
        gm.SetClearMode(true, 0xFF204080);
        gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
        gm.SetViewMatrix(platform::MatrixIdentity(), true);
        ASSERT_TRUE(gm.BeginFrame(0));
        R().SetLight(0xFF000000, 0xFF808080, 0, light, 0);
    }
    // Queues level 0 of the model's first mesh with the matrix (and a material override).
    void Queue(OptModel* model, const platform::Matrix& matrix, uint8_t override = 0)
    {
        OptMesh& mesh = model->m_bones[0].m_meshes[0];
        platform::Matrix* m = gm.GetModelDrawList()->GetMatrixPool().Acquire();
        ASSERT_NE(m, nullptr);
        *m = matrix;
        ASSERT_TRUE(gm.GetModelDrawList()->Add(&mesh.m_levels[0], &mesh, m, override, 0));
    }
    // Draws the queue, ends the frame and reads the picture back.
    void DrawAndRead()
    {
        gm.GetModelDrawList()->Draw(&R(), false);
        gm.GetModelDrawList()->ClearChains();
        gm.EndFrame();
        uint32_t w = 0, h = 0;
        pixels = R().ReadBackBuffer(&w, &h);
        ASSERT_TRUE(pixels && w == kSide && h == kSide);
        gm.Present();
    }
    void ExpectPixel(int x, int y, uint32_t rgb)
    {
        EXPECT_TRUE(rendertest::NearRgb(pixels[y * kSide + x], rgb, 3))
            << x << ", " << y << ": " << std::hex << pixels[y * kSide + x];
    }
    D3DRenderer& R() { return *static_cast<D3DRenderer*>(gm.GetRenderer()); }

    GraphicsManager& gm = g_GraphicsManager;
    std::unique_ptr<uint32_t[]> pixels;
};

// Light 0x80 head-on: a diffuse channel of 255 is lit to 136 (as the device reads colours back). Each grid scaled
// to 4 units with its lower left corner at (x, y, 10): the screen point of (X, Y, 10) is (32 + 3.2 X, 32 - 3.2 Y).
TEST_F(GLModelSceneTest, ModelsByPixels)
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
    Frame({0.0f, 0.0f, 1.0f});
    const std::tuple<OptModel*, float, float> placed[] = {
        {models[1], -9, 1}, {models[1], -9, -5}, {models[0], -2, -2}, {models[2], 5, -2}}; // green left, red middle
    for (const auto& [model, x, y] : placed)
    {
        const float scale = 4.0f / (model->m_bones[0].m_meshes[0].m_levels[0].m_uVertexCount > 80 ? 10.0f : 2.0f);
        Queue(model, platform::MatrixScaling(scale, scale, 1.0f) * platform::MatrixTranslation(x, y, 10.0f));
    }
    RenderStats before, after;
    R().GetFrameStats(&before);
    DrawAndRead();
    R().GetFrameStats(&after);
    // Both greens in one batch, the small red, the big red: three draws.
    EXPECT_EQ(after.Get(RenderStats::DrawCalls) - before.Get(RenderStats::DrawCalls), 3u);
    // The models, the clear colour between and outside them, and the edges of the big grid (x = 5 at 48, x = 9 at
    // 60.8).
    const std::tuple<int, int, uint32_t> expected[] = {
        {10, 22, 0x008800}, {10, 41, 0x008800}, {32, 32, 0x880000}, {54, 32, 0x880000}, {32, 5, 0x204080},
        {10, 32, 0x204080}, {42, 32, 0x204080}, {49, 32, 0x880000}, {47, 32, 0x204080}, {61, 32, 0x204080}};
    for (const auto& [x, y, rgb] : expected)
        ExpectPixel(x, y, rgb);

    // A square 16 units wide at z = 10 facing the eye, textured edge to edge with a texture whose left half is blue
    // and right half yellow, white diffuse, texture times the lit colour: light 0x80 x the diffuse 255 read back as
    // (255 + 15) / 255, times the cosine of the angle: 0x80 / 255 x 270 / 255 = 0.5315 head-on (136), half that at 60
    // degrees (68). The square covers the middle 80% of the view; quarter-way across lies on each half.
    std::vector<uint32_t> texels(32 * 32);
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = (i % 32) < 16 ? 0xFF0000FF : 0xFFFFFF00;
    std::filesystem::create_directories(gl.dir.File("art"));
    testsupport::WriteBytes(gl.dir.File("art/halves.tga"), texturetest::MakeTGA(32, 32, texels));
    testsupport::WriteBytes(
        gl.dir.File("square.tm"),
        modeltest::TmBytes(
            "model\nbone \"Root\"\nsubmodel \"Square\"\nvertex -8 8 10 0 0 -1 0 0\nvertex 8 8 10 0 0 -1 1 0\n"
            "vertex 8 -8 10 0 0 -1 1 1\nvertex -8 -8 10 0 0 -1 0 1\nlevel 0\nindices 0 1 2 0 2 3\n"
            "material\nlayer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture \"art\\\\halves.tga\"\n"
            "blend 0\nend\nend\nend\nend\nend\n"));
    OptModel* model = g_ModelManager.GetOptModel(g_ModelManager.Load("square.tm"));
    ASSERT_TRUE(model != nullptr && model->m_bones[0].m_meshes[0].m_levels[0].m_aiTexture[0] > 0);
    const std::pair<platform::Vec3, uint32_t> lights[] = {{{0.0f, 0.0f, 1.0f}, 136}, {{0.0f, -0.8660254f, 0.5f}, 68}};
    for (const auto& [light, lit] : lights)
    {
        SCOPED_TRACE(lit);
        Frame(light);
        Queue(model, platform::MatrixIdentity());
        DrawAndRead();
        ExpectPixel(20, 32, lit);
        ExpectPixel(44, 32, lit << 16 | lit << 8);
        ExpectPixel(2, 2, 0x204080);
    }
}

// The selected object (override 7) glows with its own diffuse colour times the pulse 0.5 + 0.2 sin(0.2 t) of the
// frame time, under a light gone dark; drawn plainly it is lit by the light. A red grid, light 0x80 head-on, no
// emissive scale and no ambient: plainly 0x80 x 270 / 255 (136); highlighted 255 x 270 / 255 x pulse.
TEST_F(GLModelSceneTest, HighlightedModelGlowsWithThePulse)
{
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    WriteGrid(gl, "red.tm", 2, 0xFFFF0000);
    g_ModelManager.Init(8, true);
    OptModel* model = g_ModelManager.GetOptModel(g_ModelManager.Load("red.tm"));
    ASSERT_TRUE(model && !model->m_bones.empty() && !model->m_bones[0].m_meshes.empty());
    const struct
    {
        uint32_t time;
        uint8_t override;
    } cases[] = {{8, 7}, {24, 7}, {40, 7}, {8, 0}, {24, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "time " << c.time << ", override " << int(c.override));
        gm.SetClearMode(true, 0xFF204080);
        gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
        gm.SetViewMatrix(platform::MatrixIdentity(), true);
        ASSERT_TRUE(gm.BeginFrame(c.time));
        R().SetLight(0xFF000000, 0xFF808080, 0, {0.0f, 0.0f, 1.0f}, 0);
        Queue(model, platform::MatrixScaling(2.0f, 2.0f, 1.0f) * platform::MatrixTranslation(-2.0f, -2.0f, 10.0f),
              c.override);
        DrawAndRead();
        const double pulse = 0.5 + 0.2 * std::sin(0.2 * static_cast<double>(c.time));
        const double red = c.override == 7 ? 255.0 * std::min(1.0, 270.0 / 255.0 * pulse) : 136.0;
        ExpectPixel(32, 32, static_cast<uint32_t>(red + 0.5) << 16);
        ExpectPixel(2, 2, 0x204080);
    }
}

} // namespace
