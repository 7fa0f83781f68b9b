// Tests of posing and submitting models: key lists, key tracks and waves against matrices worked out by hand; both
// bone walks into the draw lists with the bone mask and occlusion bones; levels, size culling and far lines with
// their colours; attached objects with hostile attachment ranges and with cycles.
#include "ModelTestFiles.h"
#include "engine/render/BoneAnimation.h"
#include "engine/render/DrawLists.h"
#include "engine/render/LineSegments.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/SceneObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace
{

using platform::Matrix;
using platform::Vec3;

constexpr float kHalfRoot2 = 0.70710678f;
constexpr float kQuarterTurn = 1.5707963f;

Vec3 Apply(const Matrix& m, Vec3 p)
{
    // Row vector times matrix, written out.
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

void ExpectVec(const Vec3& v, float x, float y, float z)
{
    EXPECT_LT(platform::Vec3Length(v - Vec3{x, y, z}), 2e-4f) << v.x << " " << v.y << " " << v.z;
}

KeyFrame Key(uint32_t time, float a, float b, float c, float d)
{
    KeyFrame k;
    k.m_uTime = time, k.m_afValue = {a, b, c, d};
    return k;
}

// The saw wave by hand: s = t x 4096 / 50, table index (frequency x s) >> 12 mod 4096, entry 2 i / 4095 - 1,
// value (entry x amplitude + offset) / 256.
float SawAt(uint32_t t, uint32_t frequency, int amplitude, int offset)
{
    const uint32_t s = t * 4096u / 50u;
    const uint32_t index = ((frequency * s) >> 12) % 4096u;
    const float entry = static_cast<float>(index) * 2.0f / 4095.0f - 1.0f;
    return (entry * static_cast<float>(amplitude) + static_cast<float>(offset)) / 256.0f;
}

// Keys at 0, 100 and 200: the key held is the one before the first key at or after the time in the loop.
TEST(KeySampling, HoldsTheKeyBeforeTheFirstKeyReachingTheTime)
{
    const KeyFrame keys[] = {Key(0, 1, 0, 0, 0), Key(100, 2, 0, 0, 0), Key(200, 3, 0, 0, 0)};
    const std::tuple<uint32_t, uint32_t, uint32_t> pairs[] = {{0, 0, 0},   {1, 0, 1},   {100, 0, 1}, {101, 1, 2},
                                                              {199, 1, 2}, {200, 1, 2}, {250, 1, 2}};
    for (const auto& [time, expectedPrevious, expectedNext] : pairs)
    {
        uint32_t previous = 99, next = 99;
        FindKeyPair(keys, time, 3, &previous, &next);
        EXPECT_EQ(std::pair(previous, next), std::pair(expectedPrevious, expectedNext)) << time;
    }
    // The clock runs modulo the last key's time: 200 and 400 are the loop's start (the first key).
    const std::pair<uint32_t, float> samples[] = {{0, 1}, {50, 1}, {150, 2}, {200, 1}, {400, 1}, {560, 2}, {799, 2}};
    for (const auto& [clock, value] : samples)
    {
        Vec3 out = {-1, -1, -1};
        ASSERT_TRUE(SampleKeyVector(keys, 3, clock, &out));
        EXPECT_EQ(out.x, value) << clock;
    }
    // The stored quaternion is taken with its w negated: (0, sin 45, 0, cos 45) turns by -90 degrees about y,
    // which in the row-vector convention carries +x to +z.
    const KeyFrame turn[] = {Key(0, 0, kHalfRoot2, 0, kHalfRoot2), Key(10, 0, 0, 0, 1)};
    Matrix m;
    ASSERT_TRUE(SampleKeyRotation(turn, 2, 3, &m));
    ExpectVec(Apply(m, {1, 0, 0}), 0, 0, 1);
    ExpectVec(Apply(m, {0, 0, 1}), -1, 0, 0);
    ExpectVec(Apply(m, {0, 1, 0}), 0, 1, 0);

    // Lists that cannot loop (no keys, or every key at time 0) are not sampled: the output is left as it was, and a
    // bone whose lists all have a zero loop keeps its rest transform.
    const KeyFrame zero[] = {Key(0, 5, 5, 5, 1), Key(0, 6, 6, 6, 1)};
    Vec3 v = {7, 8, 9};
    m = platform::MatrixTranslation(1, 2, 3);
    EXPECT_TRUE(!(SampleKeyVector(zero, 2, 10, &v)) && !(SampleKeyRotation(zero, 2, 10, &m)) &&
                !(SampleKeyVector(zero, 0, 10, &v)) && !(SampleKeyVector(nullptr, 3, 10, &v)));
    EXPECT_TRUE(v.x == 7 && v.y == 8 && v.z == 9 && m.m[3][1] == 2.0f);
    SBone bone;
    bone.m_restPosition = {4, 0, 0}, bone.m_uHasKeyLists = 1, bone.m_pKeys = std::make_unique<KeyListSet>();
    for (auto& list : bone.m_pKeys->m_lists)
        list.assign(std::begin(zero), std::end(zero));
    ExpectVec(Apply(SourceBoneLocal(bone, &bone, 1234, 0), {1, 0, 0}), 5, 0, 0);

    // Optimised key tracks: frame = (clock / ticks per frame) mod frame count, quaternions stored x, y, w, z; a bone
    // flagged 0x100 keeps its own position; a track with 0 ticks per frame is taken as 1.
    {
        OptBone bone;
        bone.m_position = {9, 9, 9};
        bone.m_pTrack = std::make_unique<OptKeyTrack>(), bone.m_pTrack->m_uTicksPerFrame = 10;
        // Frame 0: identity at (1, 2, 3); frame 1: -90 degrees about y (w negative) at (0, 0, 4).
        bone.m_pTrack->m_keys.push_back({0, 0, 32767, 0, 256, 512, 768});
        bone.m_pTrack->m_keys.push_back({0, 23170, -23170, 0, 0, 0, 1024});
        ExpectVec(Apply(OptBoneLocal(bone, &bone, 9, 0), {0, 0, 0}), 1, 2, 3);
        ExpectVec(Apply(OptBoneLocal(bone, &bone, 10, 0), {1, 0, 0}), 0, 0, 5);
        ExpectVec(Apply(OptBoneLocal(bone, &bone, 20, 0), {0, 0, 0}), 1, 2, 3);
        bone.m_uFlags = OptBoneFlags::kHasKeyLists;
        ExpectVec(Apply(OptBoneLocal(bone, &bone, 10, 0), {0, 0, 0}), 9, 9, 9);
        bone.m_uFlags = 0, bone.m_pTrack->m_uTicksPerFrame = 0;
        ExpectVec(Apply(OptBoneLocal(bone, &bone, 1, 0), {0, 0, 0}), 0, 0, 4);
        // Without a track: the local matrix only when flagged, else the identity.
        OptBone plain;
        plain.m_local = platform::MatrixTranslation(3, 0, 0);
        ExpectVec(Apply(OptBoneLocal(plain, &plain, 0, 0), {0, 0, 0}), 0, 0, 0);
        plain.m_uFlags = OptBoneFlags::kLocalMatrix;
        ExpectVec(Apply(OptBoneLocal(plain, &plain, 0, 0), {0, 0, 0}), 3, 0, 0);
        plain.m_uFlags |= OptBoneFlags::kPosition, plain.m_position = {0, 1, 0};
        ExpectVec(Apply(OptBoneLocal(plain, &plain, 0, 0), {0, 0, 0}), 3, 1, 0);
    }
}

const char* const kTextured =
    "material\nlayer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture \"art\\\\t.tga\"\n"
    "blend 0\nself 0x00112233\nend\n";

// A textured one-triangle submodel of radius 1.
std::string Triangle(const std::string& name)
{
    return "submodel \"" + name + "\"\nbounds 0 0 0 1 1 0 0.5 0.5 0 0 1\nvertex 0 0 0 0 0 -1 0 0\n" +
           "vertex 0 1 0 0 0 -1 0 1\nvertex 1 0 0 0 0 -1 1 0\nlevel 0\nindices 0 1 2\n" + kTextured + "end\nend\n";
}

// The rig: a root with its mesh, an occlusion bone (posed (0, 9, 0) by its keys, left out of the optimised tree)
// and an arm (toggle bit 2, local matrix at (0, 7, 0), keys at (0, 3, 0), or (0, 4, 0) without root keys), and a
// leg after it and a second root bone when asked for. With root keys, between 100 and 200 the root holds key 100:
// turned -90 degrees about y, scaled by 2, moved to (5, 0, 0); without, it rests at (1, 1, 1).
std::string Rig(bool rootKeys, bool fixedArm, bool leg = false)
{
    const std::string arm = rootKeys ? "0 3 0 0\n" : "0 4 0 0\n";
    const std::string keys = "keys rotation\n0 0 0 0 1\n100 0 0.70710678 0 0.70710678\n200 0 0 0 1\nend\n"
                             "keys scale\n0 1 1 1 0\n100 2 2 2 0\n200 1 1 1 0\nend\n"
                             "keys position\n0 0 0 0 0\n100 5 0 0 0\n200 0 0 0 0\nend\n";
    return "model\nbone \"Root\"\n" + (rootKeys ? keys : std::string("position 1 1 1\n")) + Triangle("RootMesh") +
           "bone \"Wall_Occlusion\"\nkeys position\n0 0 9 0 0\n100 0 9 0 0\nend\nend\n" +
           "bone \"Arm\"\nmatrix 1 0 0 0 0 1 0 0 0 0 1 0 0 7 0 1\ntoggle 2\n" + (fixedArm ? "fixed 1\n" : "") +
           "keys position\n0 " + arm + "100 " + arm + "end\n" + Triangle("ArmMesh") + "end\n" +
           (leg ? "bone \"Leg\"\nend\nend\nbone \"Tail\"\nend\n" : "end\n") + "end\n";
}

class BoneWalkTest : public modeltest::ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Write("art/t.tga", texturetest::MakeTGA(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFF)));
    }

    // Opens a frame at the time with the eye at the origin looking along +z.
    void Frame(uint32_t time)
    {
        gm.EndFrame();
        ASSERT_TRUE(gm.BeginFrame(time));
        gm.SetViewMatrix(platform::MatrixIdentity(), true);
        gm.SetEyePosition({0, 0, 0});
    }

    int32_t Slot(uint32_t model)
    {
        return g_ModelManager.GetModel(model)->m_bones[0].m_subModels[0].m_levels[0].m_material.m_aStages[0].m_iTexture;
    }

    // A two-level mesh of radius 1 with level distances (50, 0); its optimised form is drawn however far (its far
    // distance would end at level 1) and stands as a capsule of radius 1 from (0, 0, 0) to (0, 2, 0) far away.
    uint32_t LoadLod()
    {
        const uint32_t model =
            LoadText("lod.tm", "model\nbone \"Root\"\nsubmodel \"Mesh\"\nbounds -1 -1 -1 1 1 1 0 0 0 0 1\n"
                               "vertex 0 0 0 0 0 -1 0 0\nvertex 0 1 0 0 0 -1 0 1\nvertex 1 0 0 0 0 -1 1 0\n"
                               "vertex 1 1 0 0 0 -1 1 1\nlevel 50\nindices 0 1 2\n" +
                                   std::string(kTextured) + "end\nlevel 0\nindices 1 3 2\n" + kTextured +
                                   "end\nend\nend\nend\n");
        if (OptModel* opt = g_ModelManager.GetOptModel(model))
        {
            OptMesh& mesh = opt->m_bones[0].m_meshes[0];
            mesh.m_fFarDistance = kOptNoFarDistance, mesh.m_fCapsuleRadius = 1.0f, mesh.m_capsuleB = {0, 2, 0};
        }
        return model;
    }

    // The world matrices the walk submitted for the rig's meshes, by name, in either form; the lists are emptied.
    std::map<std::string, Matrix> Drawn(uint32_t model)
    {
        std::map<std::string, Matrix> out;
        if (OptModel* opt = g_ModelManager.GetOptModel(model))
        {
            OptBone& root = opt->m_bones[0];
            for (const auto& [name, mesh] :
                 {std::pair{"RootMesh", &root.m_meshes[0]}, std::pair{"ArmMesh", &root.m_children.at(0).m_meshes[0]}})
                if (const DrawInstance* d = mesh->m_levels[0].m_pInstances)
                    out[name] = *d->m_pMatrix;
            gm.GetModelDrawList()->ClearChains();
            return out;
        }
        for (const ModelBatchEntry* e = gm.GetMaterialBuckets()->GetHead(MaterialBuckets::Opaque, Slot(model)); e;
             e = e->m_pNext)
            out[e->m_pMesh->m_name] = *e->m_pMatrix;
        return out;
    }

    GraphicsManager& gm = g_GraphicsManager;
};

// A saw wave on position x and constant waves on rotation y and scale z of a bone: both forms take the values at
// the frame time in place of the rest values.
TEST_F(BoneWalkTest, WavesDriveTheBoneTransform)
{
    SModel source =
        modeltest::ParseModel("model\nbone \"Root\"\nposition 0 2 0\nwave 0x1 2 0 4096 512 256 0 0 0 0 0\n"
                              "wave 0x20 6 0 0 0 402 0 0 0 0 0\nwave 0x400 6 0 0 0 512 0 0 0 0 0\nend\nend\n");
    std::unique_ptr<OptModel> opt = BuildOptModel(source);
    for (uint32_t t : {0u, 13u, 37u})
    {
        SCOPED_TRACE(t);
        const float x = SawAt(t, 4096, 512, 256);
        // Rotation y = 402 / 256 = 1.5703 (about a right angle): +x turns to about -z; scale z = 2, before the turn.
        const float yaw = 402.0f / 256.0f;
        for (const Matrix& local : {SourceBoneLocal(source.m_bones[0], &source.m_bones[0], 0, t),
                                    OptBoneLocal(opt->m_bones[0], &opt->m_bones[0], 0, t)})
        {
            ExpectVec(Apply(local, {0, 0, 0}), x, 2, 0);
            ExpectVec(Apply(local, {1, 0, 0}), x + std::cos(yaw), 2, -std::sin(yaw));
            ExpectVec(Apply(local, {0, 0, 1}), x + 2 * std::sin(yaw), 2, 2 * std::cos(yaw));
        }
    }
}

// The rig at frame times 0, 1 and 5 in both forms: every point lands where the hand-worked transforms put it; the
// arm's world is its own local times the root's, its keys are its own (not the occlusion bone's, which the
// optimised tree leaves out), the fixed-position flag takes the local matrix's translation instead, and an
// animation model poses the drawn model's bones by place with the clock running from the start time.
TEST_F(BoneWalkTest, KeyListsPoseTheHierarchyInBothForms)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t rig = LoadText("rig.tm", Rig(true, false));
        const uint32_t fixed = LoadText("fixed.tm", Rig(true, true));
        const uint32_t still = LoadText("still.tm", Rig(false, false));
        const struct
        {
            uint32_t model, animation, frame, start;
            float yaw;
            const char* mesh;
            Vec3 point, expected;
        } cases[] = {
            {rig, 0, 0, 0, 0, "RootMesh", {1, 0, 0}, {1, 0, 10}},
            {rig, 0, 0, 0, 0, "ArmMesh", {0, 0, 0}, {0, 3, 10}},
            // Clock 120, placed at (0, 0, 10) yawed by 90 degrees (+x to -z, +z to +x). (1, 0, 0): scaled (2, 0, 0),
            // turned (0, 0, 2), moved (5, 0, 2), yawed (2, 0, -5), placed (2, 0, 5).
            {rig, 0, 1, 0, kQuarterTurn, "RootMesh", {1, 0, 0}, {2, 0, 5}},
            // The arm's origin (0, 3, 0): scaled (0, 6, 0), moved (5, 6, 0), yawed (0, 6, -5).
            {rig, 0, 1, 0, kQuarterTurn, "ArmMesh", {0, 0, 0}, {0, 6, 5}},
            {rig, 0, 1, 0, kQuarterTurn, "ArmMesh", {1, 0, 0}, {2, 6, 5}},
            {fixed, 0, 0, 0, 0, "ArmMesh", {0, 0, 0}, {0, 7, 10}},
            {fixed, 0, 1, 0, 0, "ArmMesh", {0, 0, 0}, {5, 14, 10}}, // (0, 7, 0) scaled and moved
            {still, 0, 5, 0, 0, "RootMesh", {0, 0, 0}, {1, 1, 11}},
            {still, rig, 5, 4, 0, "RootMesh", {0, 0, 0}, {5, 0, 10}}, // clock 120
            {still, rig, 5, 4, 0, "RootMesh", {1, 0, 0}, {5, 0, 12}},
            {still, rig, 5, 4, 0, "ArmMesh", {0, 0, 0}, {5, 6, 10}},        // the animation's arm keys
            {still, 0xFFFFFFFF, 5, 4, 0, "RootMesh", {0, 0, 0}, {1, 1, 11}} // handle -1 is no animation
        };
        for (const auto& c : cases)
        {
            SCOPED_TRACE(std::string(c.mesh) + " at frame " + std::to_string(c.frame));
            Frame(c.frame);
            if (c.animation != 0)
                gm.DrawAnimatedModel(c.model, c.animation, 0, c.start, {0, 0, 10}, {0, c.yaw, 0}, 0);
            else
                gm.DrawModel(c.model, 0, {0, 0, 10}, {0, c.yaw, 0}, 0xFFFFFFFF, nullptr, 0, 0);
            EXPECT_TRUE(gm.GetModelsDrawn() == 1u && gm.GetMeshesConsidered() == 2u &&
                        gm.GetBoneMatricesSubmitted() == 2u);
            auto drawn = Drawn(c.model);
            ASSERT_EQ(drawn.count(c.mesh), 1u);
            ExpectVec(Apply(drawn[c.mesh], c.point), c.expected.x, c.expected.y, c.expected.z);
        }
        EXPECT_EQ(gm.WasLastModelOptimised(), optimised);

        // An animation bone with fewer children than the model's poses none of them (its occlusion bone does not
        // count where the optimised tree has none): the legged arm keeps its own keys (0, 4, 0).
        Frame(5);
        const uint32_t legged = LoadText("legged.tm", Rig(false, false, true));
        gm.DrawAnimatedModel(legged, rig, 0, 4, {0, 0, 10}, {0, 0, 0}, 0);
        ExpectVec(Apply(Drawn(legged)["ArmMesh"], {0, 0, 0}), 5, 8, 10);

        // A bone left out by the mask takes its subtree with it: the arm's toggle bit is 2.
        for (const auto& [mask, meshes] : {std::pair{0x1u, 1u}, {0x2u, 2u}, {0u, 0u}})
        {
            Frame(1);
            gm.DrawModel(rig, 0, {0, 0, 10}, {0, 0, 0}, mask, nullptr, 0, 0);
            EXPECT_EQ(Drawn(rig).size(), meshes) << mask;
        }
    }
}

// Levels, size culling and far lines. A two-level mesh of radius 1 with level distances (50, 0): level 1 from 50 x
// the detail factor on. The optimised walk measures the straight distance, draws a far line from 1000 (0.0005 to
// 0.005 of the distance) and culls from 3000; the source walk measures the view depth, culls below 0.005, takes a
// depth override instead and a forced level where the mesh has it.
TEST_F(BoneWalkTest, LevelsCullingAndFarLinesInBothForms)
{
    const float detail = gm.GetDetailFactor();
    constexpr int kNone = -1, kLevel0 = 0, kLevel1 = 1, kLine = 2;
    const struct
    {
        bool optimised;
        float distance, depthOverride;
        int32_t forced;
        int expect;
    } cases[] = {{true, 10, 0, -1, kLevel0},
                 {true, 50 * detail - 1, 0, -1, kLevel0},
                 {true, 50 * detail + 1, 0, -1, kLevel1},
                 {true, 1000 * detail, 0, -1, kLine},
                 {true, 3000 * detail, 0, -1, kNone},
                 {false, 10, 0, -1, kLevel0},
                 {false, 50 * detail - 0.5f, 0, -1, kLevel0},
                 {false, 50 * detail + 0.5f, 0, -1, kLevel1},
                 {false, 150, 0, -1, kLevel1},
                 {false, 10, 0, 1, kLevel1},
                 {false, 150, 0, 0, kLevel0},
                 {false, 10, 0, 3, kLevel0}, // a level the mesh lacks is ignored
                 {false, 10000, 0, -1, kNone},
                 {false, 10000, 10, -1, kLevel0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.distance) + (c.optimised ? " optimised" : " source"));
        Start(c.optimised);
        const uint32_t model = LoadLod();
        gm.SetForcedLevel(c.forced);
        gm.SetDepthOverride(c.depthOverride);
        OptModel* opt = g_ModelManager.GetOptModel(model);
        for (bool animated : {false, true})
        {
            Frame(0);
            if (animated)
                gm.DrawAnimatedModel(model, 0, 0x12, 0, {0, 0, c.distance}, {0, 0, 0}, 0);
            else
                gm.DrawModel(model, 0x12, {0, 0, c.distance}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
            EXPECT_EQ(gm.GetMeshesConsidered(), 1u);
            int drawn = kNone;
            const Matrix* matrix = nullptr;
            if (opt)
            {
                const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
                for (int level : {0, 1})
                    if (const DrawInstance* d = mesh.m_levels[static_cast<size_t>(level)].m_pInstances)
                    {
                        drawn = level, matrix = d->m_pMatrix;
                        EXPECT_EQ(d->m_auPass[0], 0x12);
                    }
                if (gm.GetLineSegments()->GetCount() == 1)
                {
                    drawn = kLine;
                    const LineSegment& line = gm.GetLineSegments()->Get(0);
                    EXPECT_TRUE(line.m_fEnd[1] == 2.0f && line.m_fEnd[2] == c.distance && line.m_fWidth == 1.0f);
                }
                gm.GetModelDrawList()->ClearChains();
                gm.GetModelDrawList()->Reset();
            }
            else if (const ModelBatchEntry* e = gm.GetMaterialBuckets()->GetHead(MaterialBuckets::Opaque, Slot(model)))
            {
                const SubModel& sub = g_ModelManager.GetModel(model)->m_bones[0].m_subModels[0];
                drawn = e->m_pLevel == &sub.m_levels[0] ? kLevel0 : kLevel1, matrix = e->m_pMatrix;
            }
            EXPECT_EQ(drawn, c.expect) << animated;
            if (matrix)
                ExpectVec(Apply(*matrix, {1, 0, 0}), 1, 0, c.distance);
        }
    }
    gm.SetForcedLevel(-1);
    gm.SetDepthOverride(0.0f);
}

// A data maker's two-level mesh: level 0 up to 50, level 1 (switch distance 0: the last level) beyond. Loaded from
// its .tm file (optimised when loaded) or from the optimised layout made from the same text, it is drawn at either
// distance, near at level 0 and far at level 1.
TEST_F(BoneWalkTest, ALastLevelWithoutASwitchDistanceIsDrawnInEveryForm)
{
    const std::string text = "model\nbone \"Root\"\nsubmodel \"Mesh\"\nbounds -1 -1 -1 1 1 1 0 0 0 0 1\n"
                             "vertex 0 0 0 0 0 -1 0 0\nvertex 0 1 0 0 0 -1 0 1\nvertex 1 0 0 0 0 -1 1 0\n"
                             "vertex 1 1 0 0 0 -1 1 1\nlevel 50\nindices 0 1 2\nmaterial\nend\nend\n"
                             "level 0\nindices 1 3 2\nmaterial\nend\nend\nend\nend\nend\n";
    SModel source = modeltest::ParseModel(text);
    WriteModel("lod.tm", modeltest::TmBytes(text));
    WriteModel("lod.opt", tmtool::WriteOptModel(*BuildOptModel(source)));
    const float detail = gm.GetDetailFactor();
    const struct
    {
        const char* file;
        float distance;
        int level;
    } cases[] = {{"lod.tm", 10, 0},  {"lod.tm", 50 * detail + 10, 1},  {"lod.tm", 400, 1},
                 {"lod.opt", 10, 0}, {"lod.opt", 50 * detail + 10, 1}, {"lod.opt", 400, 1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(c.distance));
        OptModel* opt = g_ModelManager.GetOptModel(g_ModelManager.Load(c.file));
        ASSERT_TRUE(opt != nullptr && opt->m_bones.size() == 1 && opt->m_bones[0].m_meshes.size() == 1);
        OptMesh& mesh = opt->m_bones[0].m_meshes[0];
        ASSERT_EQ(mesh.m_levels.size(), 2u);
        Frame(0);
        gm.DrawModel(g_ModelManager.Load(c.file), 0, {0, 0, c.distance}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
        for (int level : {0, 1})
            EXPECT_EQ(mesh.m_levels[static_cast<size_t>(level)].m_pInstances != nullptr, level == c.level) << level;
        gm.GetModelDrawList()->ClearChains();
        gm.GetModelDrawList()->Reset();
    }
}

// The colour of a far line, per end: the mesh colour lit channel by channel through the 4-bit products
// (i x j x 255 / 225 of the top four bits), opaque, with the material's own glow (its self-illumination, here
// 0x112233) added; the highlight material 7 lights by the pulsing highlight colour instead of the scene's; any
// other override draws both ends in that material's second colour.
TEST_F(BoneWalkTest, FarLinesTakeTheLitMeshColourAndTheGlow)
{
    const uint32_t model = LoadLod();
    OptMesh& mesh = g_ModelManager.GetOptModel(model)->m_bones[0].m_meshes[0];
    mesh.m_auColours = {0xFFF0A050, 0xFF30C0F0};
    auto product = [](uint32_t a, uint32_t b, int shift)
    { return ((a >> (shift + 4)) & 15) * ((b >> (shift + 4)) & 15) * 255 / 225; };
    auto lit = [&](uint32_t colour, uint32_t light)
    {
        const uint32_t glow[3] = {0x33, 0x22, 0x11}; // blue, green, red
        uint32_t out = 0xFF000000;
        for (int c = 0; c < 3; ++c)
            out |= std::min<uint32_t>(255, product(colour, light, 8 * c) + glow[c]) << (8 * c);
        return out;
    };
    for (uint32_t override : {0u, 7u, 3u})
    {
        SCOPED_TRACE(override);
        Frame(0);
        gm.SetLight({0, -1, 0}, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF905030, 0xFFFFFFFF);
        ASSERT_TRUE(gm.GetHighlightColour() != gm.GetLitViewColour() && (gm.GetLitViewColour() & 0xF0F0F0) != 0u);
        gm.DrawModel(model, 0, {0, 0, 1000 * gm.GetDetailFactor()}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, override);
        ASSERT_EQ(gm.GetLineSegments()->GetCount(), 1u);
        const LineSegment& line = gm.GetLineSegments()->Get(0);
        const uint32_t light = override == 7 ? gm.GetHighlightColour() : gm.GetLitViewColour();
        const uint32_t second = g_MaterialTable.GetMaterial(3)->m_uSelfIllumination;
        EXPECT_TRUE(line.m_uStartColour == PackLineColour(override == 3 ? second : lit(mesh.m_auColours[0], light)) &&
                    line.m_uEndColour == PackLineColour(override == 3 ? second : lit(mesh.m_auColours[1], light)));
    }
}

// An object that records where it was placed and how often it was drawn; with a model of its own it draws it,
// its attachment slots with it.
class Marker : public SceneObject
{
public:
    Marker() : SceneObject(5) {}
    bool Render() override
    {
        ++renders;
        if (GetModel() != kNoModel)
            DrawModel();
        return true;
    }
    int renders = 0;
};

// Two attachment points on a bone at (10, 0, 0) whose attachment range asks for 9 points.
const char* const kSeatText = "model\nattachment 1 2 3 0 3.14159265 0\nattachment 0 0 0 0 0 0\n"
                              "bone \"Root\"\nposition 10 0 0\npairs 0 9 0 0\nend\nend\n";

// Attached objects sit on their points through the bone; attachment ranges beyond the model's points or the
// caller's slots are cut short; a far model or mask 0 places nothing; an object attached to itself is drawn a few
// levels deep, not for ever.
TEST_F(BoneWalkTest, AttachedObjectsArePlacedOnTheirBone)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t model = LoadText("seat.tm", kSeatText);
        Marker first;
        Marker second;
        SceneObject* slots[1] = {&first};
        Frame(0);
        gm.DrawModel(model, 0, {0, 4, 20}, {0, 0, 0}, 0xFFFFFFFF, slots, 1, 0);
        EXPECT_EQ(first.renders, 1);
        ExpectVec(first.GetPosition(), 11, 6, 23);
        EXPECT_NEAR(first.GetOrientation().y, 0.0f, 1e-4f);
        SceneObject* both[2] = {&first, &second};
        gm.DrawModel(model, 0, {0, 4, 20}, {0, 0, 0}, 0xFFFFFFFF, both, 2, 0);
        EXPECT_TRUE(first.renders == 2 && second.renders == 1);
        ExpectVec(second.GetPosition(), 10, 4, 20);
        // The second point turns its object by yaw -pi.
        EXPECT_NEAR(std::fabs(second.GetOrientation().y), 3.14159265f, 1e-3f);
        gm.DrawModel(model, 0, {0, 0, 400}, {0, 0, 0}, 0xFFFFFFFF, both, 2, 0); // beyond 300 units
        gm.DrawModel(model, 0, {0, 0, 20}, {0, 0, 0}, 0, both, 2, 0);
        EXPECT_TRUE(first.renders == 2 && second.renders == 1);

        Marker cycle;
        ASSERT_EQ(cycle.SetModel("seat.tm"), model);
        cycle.SetAttachment(0, &cycle);
        cycle.Render();
        EXPECT_TRUE(cycle.renders > 1 && cycle.renders < 16);
    }
}

} // namespace
