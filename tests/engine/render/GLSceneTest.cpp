// A scene on the OpenGL back end, headless: plain model instances and a model posed by an animation's key lists,
// culled, sorted and submitted bone by bone through the scene's render pass, checked by pixels.
#include "DrawTestSupport.h"
#include "ModelTestFiles.h"
#include "engine/render/AnimatedObject.h"
#include "engine/render/Scene.h"

#include <gtest/gtest.h>

namespace
{

constexpr uint32_t kSide = 64;

// A 4 x 4 grid facing the eye with its lower left corner at the model's origin, unlit texture stage.
void WriteGrid(rendertest::GLGraphics& gl, const char* file, uint32_t diffuse)
{
    SubModel grid = modeltest::MakeGrid("Grid", 4, 4);
    SMaterial& material = grid.m_levels[0].m_material;
    material.m_uDiffuse = diffuse;
    material.m_uBlendMode = 0;
    material.m_aStages[0] = {0, 0, 0, -1, 0, 0};
    grid.m_bounds.m_af = {0, 0, 0, 4, 4, 0, 2, 2, 0, 0, 3};
    SModel model = modeltest::ModelOf({grid});
    model.m_bounds = grid.m_bounds;
    testsupport::WriteBytes(gl.dir.File(file), tmtool::WriteTmModel(model));
}

// Draws its model posed by its animation, started at time 0.
class Posed : public AnimatedObject
{
public:
    Posed(uint32_t model, uint32_t animation, const platform::Vec3& position) : AnimatedObject(3)
    {
        m_hModel = model;
        CopyBounds();
        m_CurrentAnimation = animation;
        SetPositionVec(position);
    }
    bool Render() override
    {
        g_GraphicsManager.DrawAnimatedModel(m_hModel, m_CurrentAnimation, m_uVisibility, 0, m_Pos, m_Ori, 0);
        return true;
    }
};

TEST(GLSceneTest, ModelsAndAPosedModelThroughTheSceneByPixels)
{
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    WriteGrid(gl, "red.tm", 0xFFFF0000);
    WriteGrid(gl, "green.tm", 0xFF00FF00);
    WriteGrid(gl, "blue.tm", 0xFF0000FF);
    // The animation holds (0, 6, 0) from time 100 to 500 of its 500-long loop.
    testsupport::WriteBytes(gl.dir.File("lift.tm"), modeltest::TmBytes(R"(model
    bone "Root"
        keys position
            0 0 0 0 0
            100 0 6 0 0
            500 0 0 0 0
        end
    end
end
)"));
    g_ModelManager.Init(8, true);
    const uint32_t red = g_ModelManager.Load("red.tm");
    const uint32_t green = g_ModelManager.Load("green.tm");
    const uint32_t blue = g_ModelManager.Load("blue.tm");
    const uint32_t lift = g_ModelManager.Load("lift.tm");
    ASSERT_TRUE(red && green && blue && lift);

    GraphicsManager& gm = g_GraphicsManager;
    D3DRenderer& r = *static_cast<D3DRenderer*>(gm.GetRenderer());
    gm.SetClearMode(true, 0xFF204080);
    gm.SetFog(0.0f, 60.0f, 0);
    gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
    // The eye at (50, 0, 0) looking along +z: the screen point of (X, Y, 10) is (32 + 3.2 (X - 50), 32 - 3.2 Y).
    gm.SetViewMatrix(platform::MatrixTranslation(-50.0f, 0.0f, 0.0f), true);
    gm.SetEyePosition({50.0f, 0.0f, 0.0f});
    gm.ApplyProjection();
    gm.SetFrustumRange(true);

    Scene scene;
    ASSERT_TRUE(scene.Open({0, 0, 0}, {200, 100, 200}));
    ModelInstance left(red, {42, -2, 10}, {0, 0, 0});
    ModelInstance middle(green, {48, -2, 10}, {0, 0, 0});
    ModelInstance behind(red, {48, -2, -20}, {0, 0, 0}); // culled
    Posed posed(blue, lift, {54, -2, 10});
    for (SceneObject* o : std::initializer_list<SceneObject*>{&left, &middle, &behind, &posed})
        ASSERT_TRUE(scene.AddObject(o));

    // Frame time 1: clock 120, so the posed grid is lifted by 6.
    ASSERT_TRUE(gm.BeginFrame(1));
    r.SetLight(0xFF000000, 0xFF808080, 0, {0.0f, 0.0f, 1.0f}, 0);
    ASSERT_TRUE(scene.Render());
    EXPECT_EQ(scene.GetIndex()->GetVisibleCount(), 3u);
    gm.EndFrame();

    uint32_t w = 0, h = 0;
    const std::unique_ptr<uint32_t[]> pixels = r.ReadBackBuffer(&w, &h);
    ASSERT_TRUE(pixels && w == kSide && h == kSide);
    auto at = [&](int x, int y) { return pixels[y * kSide + x]; };
    // Red over x 6.4 to 19.2, green 25.6 to 38.4, both over y 25.6 to 38.4.
    EXPECT_TRUE(rendertest::NearRgb(at(12, 32), 0x880000)) << std::hex << at(12, 32);
    EXPECT_TRUE(rendertest::NearRgb(at(32, 32), 0x008800)) << std::hex << at(32, 32);
    EXPECT_TRUE(rendertest::NearRgb(at(22, 32), 0x204080)) << std::hex << at(22, 32);
    // Blue over x 44.8 to 57.6 and, lifted, y 6.4 to 19.2; where it would stand unlifted: the clear colour.
    EXPECT_TRUE(rendertest::NearRgb(at(51, 12), 0x000088)) << std::hex << at(51, 12);
    EXPECT_TRUE(rendertest::NearRgb(at(51, 32), 0x204080)) << std::hex << at(51, 32);
    EXPECT_TRUE(rendertest::NearRgb(at(51, 21), 0x204080)) << std::hex << at(51, 21);
    EXPECT_TRUE(rendertest::NearRgb(at(51, 5), 0x204080)) << std::hex << at(51, 5);
    scene.Close();
}

} // namespace
