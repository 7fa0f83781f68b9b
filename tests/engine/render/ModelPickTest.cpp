// Tests of model ray picking: hits and misses on a known square, the nearest of two meshes on different bones,
// bones that are moved, turned and scaled (the ray parameter stays that of the model-space ray), the bone mask,
// hostile index lists, every model form (large meshes of optimised files included); the model pass emptying the
// draw lists, and when shadows are active.
#include "ModelTestFiles.h"
#include "engine/render/DrawLists.h"
#include "engine/render/SceneObject.h"

#include <gtest/gtest.h>

#include <array>

namespace
{

using platform::Vec3;

// A bone holding a 16-unit square at depth z (in the bone's space), facing -z, with 80 unused vertices more so
// that its optimised form goes to the shared static buffers; `extra` is put in the bone block.
std::string SquareBone(const std::string& name, float z, const std::string& extra, const std::string& inner = "")
{
    const std::string d = " " + std::to_string(z) + " 0 0 -1 ";
    std::string text = "bone \"" + name + "\"\n" + extra + "submodel \"" + name + "Square\"\nvertex -8 8" + d +
                       "0 0\nvertex 8 8" + d + "1 0\nvertex 8 -8" + d + "1 1\nvertex -8 -8" + d + "0 1\n";
    for (int i = 0; i < 80; ++i)
        text += "vertex 0 0 0 0 0 -1 0 0\n";
    return text + "level 0\nindices 0 1 2 0 2 3\nmaterial\nend\nend\nend\n" + inner + "end\n";
}

// The source form, the optimised form built from it, and an optimised file.
enum class Form
{
    Source,
    Built,
    File
};

class ModelPickTest : public modeltest::ModelTest
{
protected:
    uint32_t LoadText(const std::string& name, const std::string& bones)
    {
        const std::string text = "model\n" + bones + "end\n";
        if (form == Form::File)
            WriteModel(name,
                       tmtool::WriteOptModel(*BuildOptModel(*std::make_unique<SModel>(modeltest::ParseModel(text)))));
        else
            WriteModel(name, modeltest::TmBytes(text));
        const uint32_t handle = g_ModelManager.Load(name.c_str());
        EXPECT_TRUE(handle != 0u && (g_ModelManager.GetOptModel(handle) != nullptr) == (form != Form::Source));
        return handle;
    }

    float Pick(uint32_t model, Vec3 origin, Vec3 direction, uint32_t mask = 0xFFFFFFFF)
    {
        return g_GraphicsManager.IntersectModel(model, 0, 0, mask, 0, origin, direction);
    }

    Form form = Form::Source;
};

// Each form: hits and misses (exactly 0) on one square; the smaller t of two squares on a parent and a child bone
// wins whichever is visited first, and masked bones are not tested with their subtrees; a bone moved, turned or
// scaled carries the ray's direction into it without the translation, so t stays that of the model-space ray.
TEST_F(ModelPickTest, RaysHitTheNearestTriangleInEveryForm)
{
    for (Form f : {Form::Source, Form::Built, Form::File})
    {
        SCOPED_TRACE(static_cast<int>(f));
        form = f;
        Start(f != Form::Source);
        const uint32_t square = LoadText("square.tm", SquareBone("A", 10, ""));
        const uint32_t nearFirst =
            LoadText("a.tm", SquareBone("Parent", 5, "toggle 1\n", SquareBone("Child", 12, "toggle 2\n")));
        const uint32_t farFirst =
            LoadText("b.tm", SquareBone("Parent", 12, "toggle 1\n", SquareBone("Child", 5, "toggle 2\n")));
        const uint32_t moved = LoadText("moved.tm", SquareBone("A", 10, "position 0 0 20\n"));
        // Yawed by a right angle: the square's +z side faces +x, its plane at x = 10 (+ 50 moved).
        const uint32_t turned = LoadText("turned.tm", SquareBone("A", 10, "rotation 0 1.5707963 0\nposition 50 0 0\n"));
        const uint32_t scaled = LoadText("scaled.tm", SquareBone("A", 10, "scale 2 2 2\n")); // 32 units at z = 20
        const struct
        {
            uint32_t model;
            Vec3 origin, direction;
            uint32_t mask;
            float t; // 0: a miss
        } cases[] = {{square, {0, 0, 0}, {0, 0, 1}, ~0u, 10},
                     {square, {7, 7, 0}, {0, 0, 1}, ~0u, 10},          // a corner of each triangle
                     {square, {-7, -7, 0}, {0, 0, 2}, ~0u, 5},         // a direction of length 2 halves t
                     {square, {0, 0, 0}, {0.4f, 0.3f, 1.0f}, ~0u, 10}, // towards (4, 3, 10)
                     {square, {9, 0, 0}, {0, 0, 1}, ~0u, 0},           // beside
                     {square, {0, 0, 0}, {0, 0, -1}, ~0u, 0},          // pointing away
                     {square, {0, 0, 20}, {0, 0, -1}, ~0u, 0},         // from behind: one-sided
                     {0, {0, 0, 0}, {0, 0, 1}, ~0u, 0},                // no model
                     {SceneObject::kNoModel, {0, 0, 0}, {0, 0, 1}, ~0u, 0},
                     {nearFirst, {0, 0, 0}, {0, 0, 1}, ~0u, 5},
                     {farFirst, {0, 0, 0}, {0, 0, 1}, ~0u, 5},
                     {farFirst, {0, 0, 0}, {0, 0, 1}, 2, 0}, // only the child's bit: its parent is masked out
                     {farFirst, {0, 0, 0}, {0, 0, 1}, 3, 5},
                     {moved, {0, 0, 0}, {0, 0, 1}, ~0u, 30},
                     {moved, {0, 0, 0}, {0, 0, 4}, ~0u, 7.5f},
                     {moved, {3, -2, 25}, {0, 0, 0.5f}, ~0u, 10},
                     {turned, {0, 1, 3}, {1, 0, 0}, ~0u, 60},
                     {turned, {0, 1, 3}, {3, 0, 0}, ~0u, 20},
                     {turned, {0, 1, 20}, {1, 0, 0}, ~0u, 0},
                     {scaled, {12, 12, 0}, {0, 0, 1}, ~0u, 20}};
        for (const auto& c : cases)
        {
            const float t = Pick(c.model, c.origin, c.direction, c.mask);
            if (c.t == 0)
                EXPECT_EQ(t, 0.0f) << c.model << " " << c.origin.x << " " << c.origin.z;
            else
                EXPECT_NEAR(t, c.t, 1e-3f) << c.model << " " << c.origin.x << " " << c.origin.z;
        }
    }

    // The triangle walk: whole triangles only, indices beyond the vertices passed over, and the nearest hit kept.
    const Vec3 p[] = {{-1, 1, 4}, {1, 1, 4}, {1, -1, 4}, {-1, 1, 2}, {1, 1, 2}, {1, -1, 2}};
    const uint16_t both[] = {0, 1, 2, 3, 4, 5};
    const uint16_t hostile[] = {3, 4, 60, 0, 1, 2};
    const Vec3 o = {0.5f, 0.5f, 0};
    const Vec3 d = {0, 0, 1};
    constexpr float kBig = 1e30f;
    EXPECT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 0, o, d, kBig), kBig);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 3, o, d, kBig), 4.0f);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 6, o, d, kBig), 2.0f);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 6, o, d, 1.0f), 1.0f); // a nearer hit is kept
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 5, o, d, kBig), 4.0f); // the second not whole
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, hostile, 6, o, d, kBig), 4.0f);
    EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 3, both, 6, o, d, kBig), 4.0f);
    EXPECT_EQ(GraphicsManager::IntersectTriangles(nullptr, 6, both, 6, o, d, kBig), kBig);
    // An index equal to the vertex count is past the vertices in any corner of the triangle, even where the array
    // goes on (the front triangle's third corner stands at 5).
    for (const auto& edge : {std::array<uint16_t, 3>{5, 3, 4}, {4, 5, 3}, {3, 4, 5}})
        EXPECT_EQ(GraphicsManager::IntersectTriangles(p, 5, edge.data(), 3, o, d, kBig), kBig)
            << edge[0] << edge[1] << edge[2];
}

// The model pass draws what the walk queued and leaves both lists empty, and the view as it was, for the next
// frame.
TEST_F(ModelPickTest, TheModelPassDrawsAndEmptiesTheLists)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        form = optimised ? Form::Built : Form::Source;
        const uint32_t model = LoadText("square.tm", SquareBone("A", 10, ""));
        GraphicsManager& gm = g_GraphicsManager;
        ASSERT_TRUE(gm.BeginFrame(0));
        gm.SetViewMatrix(platform::MatrixIdentity(), true);
        gm.SetEyePosition({0, 0, 0});
        gm.DrawModel(model, 0, {0, 0, 0}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
        EXPECT_TRUE(gm.WasLastModelOptimised() == optimised &&
                    gm.GetModelDrawList()->GetCount() == (optimised ? 1u : 0u) &&
                    gm.GetMaterialBuckets()->GetCount() == (optimised ? 0u : 1u));
        gm.DrawSceneModels(gm.GetRenderer());
        EXPECT_TRUE(gm.GetModelDrawList()->GetCount() == 0u && gm.GetMaterialBuckets()->GetCount() == 0u);
        const OptModel* opt = g_ModelManager.GetOptModel(model);
        EXPECT_TRUE((!opt || !opt->m_bones[0].m_meshes[0].m_levels[0].m_pInstances) &&
                    platform::MatrixIsIdentity(gm.GetViewMatrix()));
        gm.EndFrame();
    }

    // Shadows are active in the main pass while a low light casts them and they are enabled; the spatial index sees
    // them only while the frustum reaches the shadow distance. A light along the horizon casts none.
    GraphicsManager& gm = g_GraphicsManager;
    gm.SetLight({0.3f, -0.9f, 0.3f}, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF102030, 0xFFFFFFFF);
    EXPECT_TRUE((gm.GetShadowColour() >> 24) != 0u && gm.ShadowsActive(0) && !(gm.ShadowsActive(1)));
    gm.SetFrustumRange(false);
    EXPECT_TRUE(gm.ShadowsActiveForView());
    gm.SetFrustumRange(true);
    EXPECT_FALSE(gm.ShadowsActiveForView());
    // A light along the horizon casts none.
    gm.SetLight({1.0f, 0.0f, 0.0f}, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF102030, 0xFFFFFFFF);
    EXPECT_FALSE(gm.ShadowsActive(0));

    // Scene objects pick their models: a plain instance with every bone, an object with its own mask.
    Start(false);
    form = Form::Source;
    const uint32_t model =
        LoadText("two.tm", SquareBone("Parent", 12, "toggle 1\n", SquareBone("Child", 5, "toggle 2\n")));
    ModelInstance instance(model, {0, 0, 0}, {0, 0, 0});
    instance.SetBoneMask(0);
    EXPECT_NEAR(instance.IntersectRay({0, 0, 0}, {0, 0, 1}), 5.0f, 1e-4f);
    SceneObject object(3);
    ASSERT_EQ(object.SetModel("two.tm"), model);
    object.SetBoneMask(1);
    EXPECT_NEAR(object.IntersectRay({0, 0, 0}, {0, 0, 1}), 12.0f, 1e-4f);
}

// A ray picks what lies ahead of its origin: a triangle behind it, even one turned towards it, is no hit and does
// not hide the nearest one ahead (an eye inside a model's bounds, between its parts).
TEST_F(ModelPickTest, TrianglesBehindTheOriginAreNoHits)
{
    // Two triangles facing -z at z = 2 and z = 4, both under (0.5, 0.5).
    const Vec3 p[] = {{-1, 1, 4}, {1, 1, 4}, {1, -1, 4}, {-1, 1, 2}, {1, 1, 2}, {1, -1, 2}};
    const uint16_t both[] = {0, 1, 2, 3, 4, 5};
    constexpr float kBig = 1e30f;
    const struct
    {
        float originZ;
        float t; // kBig: no hit
    } triangles[] = {{0, 2}, {3, 1}, {5, kBig}};
    for (const auto& c : triangles)
        EXPECT_FLOAT_EQ(GraphicsManager::IntersectTriangles(p, 6, both, 6, {0.5f, 0.5f, c.originZ}, {0, 0, 1}, kBig),
                        c.t)
            << c.originZ;

    for (Form f : {Form::Source, Form::Built, Form::File})
    {
        SCOPED_TRACE(static_cast<int>(f));
        form = f;
        Start(f != Form::Source);
        // Squares facing -z at z = 10 (parent bone) and z = 30 (child bone).
        const uint32_t model = LoadText("pair.tm", SquareBone("Back", 10, "", SquareBone("Front", 30, "")));
        const struct
        {
            float originZ;
            float t; // 0: a miss
        } cases[] = {{0, 10}, {20, 10}, {29, 1}, {40, 0}};
        for (const auto& c : cases)
            EXPECT_NEAR(Pick(model, {1, 2, c.originZ}, {0, 0, 1}), c.t, 1e-3f) << c.originZ;
    }
}

} // namespace
