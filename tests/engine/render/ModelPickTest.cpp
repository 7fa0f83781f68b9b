// Tests of model ray picking: hits and misses on a known square, the nearest of two meshes on different bones,
// bones that are moved, turned and scaled (the ray parameter stays that of the model-space ray), the bone mask,
// hostile index lists, both model forms; and the model pass emptying the draw lists.
#include "ModelTestFiles.h"
#include "engine/render/DrawLists.h"
#include "engine/render/SceneObject.h"

#include <gtest/gtest.h>

namespace
{

using platform::Vec3;

// A bone holding a 16-unit square at depth z (in the bone's space), facing -z; `extra` is put in the bone block.
std::string SquareBone(const std::string& name, float z, const std::string& extra, const std::string& inner = "")
{
    const std::string d = std::to_string(z);
    return "    bone \"" + name + "\"\n" + extra + "        submodel \"" + name + "Square\"\n" +
           "            vertex -8 8 " + d + " 0 0 -1 0 0\n" + "            vertex 8 8 " + d + " 0 0 -1 1 0\n" +
           "            vertex 8 -8 " + d + " 0 0 -1 1 1\n" + "            vertex -8 -8 " + d + " 0 0 -1 0 1\n" +
           "            level 0\n                indices 0 1 2 0 2 3\n                material\n                end\n" +
           "            end\n        end\n" + inner + "    end\n";
}

class ModelPickTest : public modeltest::ModelTest
{
protected:
    uint32_t LoadText(const std::string& name, const std::string& bones)
    {
        WriteModel(name, modeltest::TmBytes("model\n" + bones + "end\n"));
        const uint32_t handle = g_ModelManager.Load(name.c_str());
        EXPECT_NE(handle, 0u);
        return handle;
    }

    float Pick(uint32_t model, Vec3 origin, Vec3 direction, uint32_t mask = 0xFFFFFFFF)
    {
        return g_GraphicsManager.IntersectModel(model, 0, 0, mask, 0, origin, direction);
    }
};

TEST_F(ModelPickTest, RaysHitAndMissAKnownSquare)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t model = LoadText("square.tm", SquareBone("A", 10, ""));
        EXPECT_NEAR(Pick(model, {0, 0, 0}, {0, 0, 1}), 10.0f, 1e-4f);
        // Through a corner region of each triangle, and with a direction of length 2 (t halves).
        EXPECT_NEAR(Pick(model, {7, 7, 0}, {0, 0, 1}), 10.0f, 1e-4f);
        EXPECT_NEAR(Pick(model, {-7, -7, 0}, {0, 0, 2}), 5.0f, 1e-4f);
        // A slanted ray: from (0, 0, 0) towards (4, 3, 10).
        EXPECT_NEAR(Pick(model, {0, 0, 0}, {0.4f, 0.3f, 1.0f}), 10.0f, 1e-4f);
        // Misses give exactly 0: beside the square, pointing away, and from behind (one-sided).
        EXPECT_EQ(Pick(model, {9, 0, 0}, {0, 0, 1}), 0.0f);
        EXPECT_EQ(Pick(model, {0, 0, 0}, {0, 0, -1}), 0.0f);
        EXPECT_EQ(Pick(model, {0, 0, 20}, {0, 0, -1}), 0.0f);
        // No model, or an unknown handle: nothing.
        EXPECT_EQ(Pick(0, {0, 0, 0}, {0, 0, 1}), 0.0f);
        EXPECT_EQ(Pick(SceneObject::kNoModel, {0, 0, 0}, {0, 0, 1}), 0.0f);
    }
}

// Two squares on a parent and a child bone: the smaller t wins whichever is visited first; masked bones and
// their subtrees are not tested.
TEST_F(ModelPickTest, TheNearestHitWinsAndMaskedBonesAreSkipped)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t nearFirst = LoadText(
            "a.tm", SquareBone("Parent", 5, "        toggle 1\n", SquareBone("Child", 12, "        toggle 2\n")));
        const uint32_t farFirst = LoadText(
            "b.tm", SquareBone("Parent", 12, "        toggle 1\n", SquareBone("Child", 5, "        toggle 2\n")));
        EXPECT_NEAR(Pick(nearFirst, {0, 0, 0}, {0, 0, 1}), 5.0f, 1e-4f);
        EXPECT_NEAR(Pick(farFirst, {0, 0, 0}, {0, 0, 1}), 5.0f, 1e-4f);
        // Only the child's bit: the parent is masked out and the child with it.
        EXPECT_EQ(Pick(farFirst, {0, 0, 0}, {0, 0, 1}, 2), 0.0f);
        EXPECT_NEAR(Pick(farFirst, {0, 0, 0}, {0, 0, 1}, 3), 5.0f, 1e-4f);
    }
}

// A bone moved 20 along z and one turned a quarter about y and moved: the ray's direction goes into the bone
// without the translation, so t stays the parameter of the model-space ray.
TEST_F(ModelPickTest, MovedAndTurnedBonesKeepTheRayParameter)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t moved = LoadText("moved.tm", SquareBone("A", 10, "        position 0 0 20\n"));
        EXPECT_NEAR(Pick(moved, {0, 0, 0}, {0, 0, 1}), 30.0f, 1e-3f);
        EXPECT_NEAR(Pick(moved, {0, 0, 0}, {0, 0, 4}), 7.5f, 1e-3f);
        EXPECT_NEAR(Pick(moved, {3, -2, 25}, {0, 0, 0.5f}), 10.0f, 1e-3f);

        // Yawed by a right angle: the square's +z side faces +x, its plane at x = 10 (+ 50 moved). A ray from
        // (0, 1, 3) along +x meets it at x = 60.
        const uint32_t turned =
            LoadText("turned.tm", SquareBone("A", 10, "        rotation 0 1.5707963 0\n        position 50 0 0\n"));
        EXPECT_NEAR(Pick(turned, {0, 1, 3}, {1, 0, 0}), 60.0f, 1e-3f);
        EXPECT_NEAR(Pick(turned, {0, 1, 3}, {3, 0, 0}), 20.0f, 1e-3f);
        EXPECT_EQ(Pick(turned, {0, 1, 20}, {1, 0, 0}), 0.0f);

        // Scaled by 2 about the bone: the square spans 32 units at z = 20.
        const uint32_t scaled = LoadText("scaled.tm", SquareBone("A", 10, "        scale 2 2 2\n"));
        EXPECT_NEAR(Pick(scaled, {12, 12, 0}, {0, 0, 1}), 20.0f, 1e-3f);
    }
}

// The triangle walk: whole triangles only, indices beyond the vertices passed over, and the nearest hit kept.
TEST(IntersectTriangles, WholeTrianglesWithinTheVertices)
{
    const Vec3 p[] = {{-1, 1, 4}, {1, 1, 4}, {1, -1, 4}, {-1, 1, 2}, {1, 1, 2}, {1, -1, 2}};
    const uint16_t far[] = {0, 1, 2};
    const uint16_t both[] = {0, 1, 2, 3, 4, 5};
    const uint16_t hostile[] = {3, 4, 60, 0, 1, 2};
    const Vec3 o = {0.5f, 0.5f, 0};
    const Vec3 d = {0, 0, 1};
    constexpr float kBig = 1e30f;
    EXPECT_EQ(GraphicsManager::IntersectTriangles(p, 6, far, 0, o, d, kBig), kBig);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, far, 3, o, d, kBig), 4.0f);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 6, o, d, kBig), 2.0f);
    // A nearer hit already known is kept.
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 6, o, d, 1.0f), 1.0f);
    // Five indices make one triangle: the second is not whole.
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 5, o, d, kBig), 4.0f);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, hostile, 6, o, d, kBig), 4.0f);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 3, both, 6, o, d, kBig), 4.0f);
    EXPECT_EQ(GraphicsManager::IntersectTriangles(nullptr, 6, both, 6, o, d, kBig), kBig);
}

// Scene objects pick their models: a plain instance with every bone, an object with its own mask.
TEST_F(ModelPickTest, SceneObjectsPickTheirModels)
{
    Start(false);
    const uint32_t model = LoadText(
        "two.tm", SquareBone("Parent", 12, "        toggle 1\n", SquareBone("Child", 5, "        toggle 2\n")));
    ModelInstance instance(model, {0, 0, 0}, {0, 0, 0});
    instance.SetBoneMask(0);
    EXPECT_NEAR(instance.IntersectRay({0, 0, 0}, {0, 0, 1}), 5.0f, 1e-4f);
    SceneObject object(3);
    ASSERT_EQ(object.SetModel("two.tm"), model);
    object.SetBoneMask(1);
    EXPECT_NEAR(object.IntersectRay({0, 0, 0}, {0, 0, 1}), 12.0f, 1e-4f);
}

// The model pass draws what the walk queued and leaves both lists empty for the next frame.
TEST_F(ModelPickTest, TheModelPassDrawsAndEmptiesTheLists)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t model = LoadText("square.tm", SquareBone("A", 10, ""));
        GraphicsManager& gm = g_GraphicsManager;
        ASSERT_TRUE(gm.BeginFrame(0));
        gm.SetViewMatrix(platform::MatrixIdentity(), true);
        gm.SetEyePosition({0, 0, 0});
        gm.DrawModel(model, 0, {0, 0, 0}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
        EXPECT_EQ(gm.WasLastModelOptimised(), optimised);
        if (optimised)
            EXPECT_EQ(gm.GetModelDrawList()->GetCount(), 1u);
        else
            EXPECT_EQ(gm.GetMaterialBuckets()->GetCount(), 1u);
        gm.DrawSceneModels(gm.GetRenderer());
        EXPECT_EQ(gm.GetModelDrawList()->GetCount(), 0u);
        EXPECT_EQ(gm.GetMaterialBuckets()->GetCount(), 0u);
        const OptModel* opt = g_ModelManager.GetOptModel(model);
        if (opt)
        {
            EXPECT_EQ(opt->m_bones[0].m_meshes[0].m_levels[0].m_pInstances, nullptr);
        }
        // The view is back as it was.
        EXPECT_TRUE(platform::MatrixIsIdentity(gm.GetViewMatrix()));
        gm.EndFrame();
    }
}

// Shadows are active in the main pass while a low light casts them and they are enabled; the spatial index sees
// them only while the frustum reaches the shadow distance.
TEST_F(ModelPickTest, ShadowsActiveFollowTheLightAndTheRange)
{
    GraphicsManager& gm = g_GraphicsManager;
    gm.SetLight({0.3f, -0.9f, 0.3f}, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF102030, 0xFFFFFFFF);
    EXPECT_NE(gm.GetShadowColour() >> 24, 0u);
    EXPECT_TRUE(gm.ShadowsActive(0));
    EXPECT_FALSE(gm.ShadowsActive(1));
    gm.SetFrustumRange(false);
    EXPECT_TRUE(gm.ShadowsActiveForView());
    gm.SetFrustumRange(true);
    EXPECT_FALSE(gm.ShadowsActiveForView());
    // A light along the horizon casts none.
    gm.SetLight({1.0f, 0.0f, 0.0f}, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF102030, 0xFFFFFFFF);
    EXPECT_FALSE(gm.ShadowsActive(0));
}

} // namespace
