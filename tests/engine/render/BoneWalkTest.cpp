// Tests of posing and submitting models: key lists sampled at chosen times against matrices worked out by hand,
// the fixed-position flag, waves on a bone, the bone walk into the draw lists with its mask, levels and size
// culling, attached objects (with hostile attachment ranges), and key lists that cannot loop.
#include "ModelTestFiles.h"
#include "engine/render/BoneAnimation.h"
#include "engine/render/DrawLists.h"
#include "engine/render/LineSegments.h"
#include "engine/render/SceneObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace
{

using platform::Matrix;
using platform::Vec3;

constexpr float kHalfRoot2 = 0.70710678f;

Vec3 Apply(const Matrix& m, Vec3 p)
{
    // Row vector times matrix, written out.
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

#define EXPECT_VEC(actual, ex, ey, ez)                                                                                 \
    do                                                                                                                 \
    {                                                                                                                  \
        const Vec3 a_ = (actual);                                                                                      \
        EXPECT_NEAR(a_.x, (ex), 1e-4f);                                                                                \
        EXPECT_NEAR(a_.y, (ey), 1e-4f);                                                                                \
        EXPECT_NEAR(a_.z, (ez), 1e-4f);                                                                                \
    } while (0)

KeyFrame Key(uint32_t time, float a, float b, float c, float d)
{
    KeyFrame k;
    k.m_uTime = time;
    k.m_afValue = {a, b, c, d};
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
    const struct
    {
        uint32_t time, previous, next;
    } pairs[] = {{0, 0, 0}, {1, 0, 1}, {100, 0, 1}, {101, 1, 2}, {199, 1, 2}, {200, 1, 2}, {250, 1, 2}};
    for (const auto& c : pairs)
    {
        uint32_t previous = 99;
        uint32_t next = 99;
        FindKeyPair(keys, c.time, 3, &previous, &next);
        EXPECT_EQ(previous, c.previous) << c.time;
        EXPECT_EQ(next, c.next) << c.time;
    }
    // The clock runs modulo the last key's time: 200 and 400 are the loop's start (the first key).
    const struct
    {
        uint32_t clock;
        float value;
    } samples[] = {{0, 1}, {50, 1}, {150, 2}, {200, 1}, {400, 1}, {450, 1}, {560, 2}, {799, 2}};
    for (const auto& c : samples)
    {
        Vec3 out = {-1, -1, -1};
        ASSERT_TRUE(SampleKeyVector(keys, 3, c.clock, &out));
        EXPECT_EQ(out.x, c.value) << c.clock;
    }
}

// Lists that cannot loop (no keys, or every key at time 0) are not sampled: the output is left as it was.
TEST(KeySampling, ListsWithoutALoopLengthAreNotSampled)
{
    const KeyFrame zero[] = {Key(0, 5, 5, 5, 1), Key(0, 6, 6, 6, 1)};
    Vec3 v = {7, 8, 9};
    Matrix m = platform::MatrixTranslation(1, 2, 3);
    EXPECT_FALSE(SampleKeyVector(zero, 2, 10, &v));
    EXPECT_FALSE(SampleKeyRotation(zero, 2, 10, &m));
    EXPECT_FALSE(SampleKeyVector(zero, 0, 10, &v));
    EXPECT_FALSE(SampleKeyVector(nullptr, 3, 10, &v));
    EXPECT_VEC(v, 7, 8, 9);
    EXPECT_EQ(m.m[3][1], 2.0f);

    // A bone whose lists all have a zero loop keeps its rest transform.
    SBone bone;
    bone.m_restPosition = {4, 0, 0};
    bone.m_uHasKeyLists = 1;
    bone.m_pKeys = std::make_unique<KeyListSet>();
    for (auto& list : bone.m_pKeys->m_lists)
        list.assign(std::begin(zero), std::end(zero));
    EXPECT_VEC(Apply(SourceBoneLocal(bone, &bone, 1234, 0), {1, 0, 0}), 5, 0, 0);
}

// The stored quaternion is taken with its w negated: (0, sin 45, 0, cos 45) turns by -90 degrees about y, which
// in the row-vector convention carries +x to +z.
TEST(KeySampling, RotationKeysTurnAboutTheirAxis)
{
    const KeyFrame keys[] = {Key(0, 0, kHalfRoot2, 0, kHalfRoot2), Key(10, 0, 0, 0, 1)};
    Matrix m;
    ASSERT_TRUE(SampleKeyRotation(keys, 2, 3, &m));
    EXPECT_VEC(Apply(m, {1, 0, 0}), 0, 0, 1);
    EXPECT_VEC(Apply(m, {0, 0, 1}), -1, 0, 0);
    EXPECT_VEC(Apply(m, {0, 1, 0}), 0, 1, 0);
}

// A two-bone model text: the root animated by rotation, scale and position keys, the arm 3 up from it. Between
// keys 100 and 200 the root holds key 100: turned -90 degrees about y, scaled by 2, moved to (5, 0, 0).
std::string TwoBoneText(bool fixedArm)
{
    std::string text = R"(model
    bone "Root"
        keys rotation
            0 0 0 0 1
            100 0 0.70710678 0 0.70710678
            200 0 0 0 1
        end
        keys scale
            0 1 1 1 0
            100 2 2 2 0
            200 1 1 1 0
        end
        keys position
            0 0 0 0 0
            100 5 0 0 0
            200 0 0 0 0
        end
        submodel "RootMesh"
            bounds 0 0 0 1 1 0 0.5 0.5 0 0 1
            vertex 0 0 0 0 0 -1 0 0
            vertex 0 1 0 0 0 -1 0 1
            vertex 1 0 0 0 0 -1 1 0
            level 0
                indices 0 1 2
                material
                    layer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture "art\\t.tga"
                    blend 0
                end
            end
        end
        bone "Arm"
            matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 7 0 1
            keys position
                0 0 3 0 0
                100 0 3 0 0
            end
            keys scale
                0 1 1 1 0
                100 1 1 1 0
            end
            keys rotation
                0 0 0 0 1
                100 0 0 0 1
            end
)";
    if (fixedArm)
        text += "            fixed 1\n";
    text += R"(            toggle 2
            submodel "ArmMesh"
                bounds 0 0 0 1 1 0 0.5 0.5 0 0 1
                vertex 0 0 0 0 0 -1 0 0
                vertex 0 1 0 0 0 -1 0 1
                vertex 1 0 0 0 0 -1 1 0
                level 0
                    indices 0 1 2
                    material
                        layer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture "art\\t.tga"
                        blend 0
                    end
                end
            end
        end
    end
end
)";
    return text;
}

class BoneWalkTest : public modeltest::ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Write("art/t.tga", texturetest::MakeTGA(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFF)));
    }

    uint32_t LoadText(const std::string& name, const std::string& text)
    {
        WriteModel(name, modeltest::TmBytes(text));
        return g_ModelManager.Load(name.c_str());
    }

    // Opens a frame at the time with the eye at the origin looking along +z.
    void Frame(uint32_t time)
    {
        gm.EndFrame();
        ASSERT_TRUE(gm.BeginFrame(time));
        gm.SetViewMatrix(platform::MatrixIdentity(), true);
        gm.SetEyePosition({0, 0, 0});
    }

    // The world matrices of the source-form records in the opaque list of the texture's slot, by mesh name.
    std::map<std::string, Matrix> Submitted(int32_t slot)
    {
        std::map<std::string, Matrix> out;
        for (const ModelBatchEntry* e = gm.GetMaterialBuckets()->GetHead(MaterialBuckets::Opaque, slot); e;
             e = e->m_pNext)
            out[e->m_pMesh->m_name] = *e->m_pMatrix;
        return out;
    }

    int32_t Slot(uint32_t model)
    {
        return g_ModelManager.GetModel(model)->m_bones[0].m_subModels[0].m_levels[0].m_material.m_aStages[0].m_iTexture;
    }

    GraphicsManager& gm = g_GraphicsManager;
};

// The two-bone model at frame times 0 and 1 (clocks 0 and 120): every point of both meshes lands where the
// hand-worked transforms put it; the arm's world is its own local times the root's.
TEST_F(BoneWalkTest, KeyListsPoseTheHierarchyAtChosenTimes)
{
    Start(false);
    const uint32_t model = LoadText("two.tm", TwoBoneText(false));
    ASSERT_NE(model, 0u);
    const int32_t slot = Slot(model);
    ASSERT_GT(slot, 0);

    Frame(0);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    auto at0 = Submitted(slot);
    ASSERT_EQ(at0.size(), 2u);
    EXPECT_VEC(Apply(at0["RootMesh"], {1, 0, 0}), 1, 0, 10);
    EXPECT_VEC(Apply(at0["ArmMesh"], {0, 0, 0}), 0, 3, 10);
    EXPECT_EQ(gm.GetModelsDrawn(), 1u);
    EXPECT_EQ(gm.GetMeshesConsidered(), 2u);
    EXPECT_EQ(gm.GetBoneMatricesSubmitted(), 2u);

    // Clock 120: root scaled by 2, turned so +x goes to +z, moved 5 along x; placed at (0, 0, 10) yawed by 90
    // degrees, which carries +x to -z and +z to +x.
    Frame(1);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 1.5707963f, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    auto at1 = Submitted(slot);
    // (1, 0, 0): scaled (2, 0, 0), turned (0, 0, 2), moved (5, 0, 2); yawed (2, 0, -5), placed (2, 0, 5).
    EXPECT_VEC(Apply(at1["RootMesh"], {1, 0, 0}), 2, 0, 5);
    // The arm's origin: (0, 3, 0) through the root: scaled (0, 6, 0), moved (5, 6, 0); yawed (0, 6, -5).
    EXPECT_VEC(Apply(at1["ArmMesh"], {0, 0, 0}), 0, 6, 5);
    // The arm's (1, 0, 0): (1, 3, 0), scaled (2, 6, 0), turned (0, 6, 2), moved (5, 6, 2), yawed (2, 6, -5).
    EXPECT_VEC(Apply(at1["ArmMesh"], {1, 0, 0}), 2, 6, 5);

    // A bone left out by the mask takes its subtree with it: the arm's toggle bit is 2.
    Frame(1);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 0, 0}, 0x1, nullptr, 0, 0);
    auto masked = Submitted(slot);
    EXPECT_EQ(masked.size(), 1u);
    EXPECT_EQ(masked.count("ArmMesh"), 0u);
    Frame(1);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 0, 0}, 0, nullptr, 0, 0);
    EXPECT_TRUE(Submitted(slot).empty());
}

// With the fixed-position flag the arm's translation is its local matrix's (0, 7, 0), not its keys' (0, 3, 0).
TEST_F(BoneWalkTest, FixedPositionTakesTheLocalMatrixTranslation)
{
    Start(false);
    const uint32_t model = LoadText("fixed.tm", TwoBoneText(true));
    Frame(0);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    auto at0 = Submitted(Slot(model));
    EXPECT_VEC(Apply(at0["ArmMesh"], {0, 0, 0}), 0, 7, 10);
    Frame(1);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    auto at1 = Submitted(Slot(model));
    // (0, 7, 0) through the root at clock 120: (0, 14, 0), moved (5, 14, 0).
    EXPECT_VEC(Apply(at1["ArmMesh"], {0, 0, 0}), 5, 14, 10);
}

// An animation model poses the drawn model's bones by place; the clock runs from the start time.
TEST_F(BoneWalkTest, AnAnimationModelSuppliesTheKeys)
{
    Start(false);
    const uint32_t animation = LoadText("anim.tm", TwoBoneText(false));
    std::string still = TwoBoneText(false);
    // The drawn model: the same meshes, no keys of its own on the root (its rest position is (1, 1, 1)).
    const size_t from = still.find("        keys rotation");
    const size_t to = still.find("        submodel \"RootMesh\"");
    still.replace(from, to - from, "        position 1 1 1\n");
    const uint32_t model = LoadText("still.tm", still);
    ASSERT_NE(model, 0u);

    Frame(5);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    EXPECT_VEC(Apply(Submitted(Slot(model))["RootMesh"], {0, 0, 0}), 1, 1, 11);

    // Started at 4: clock 120 at frame 5, the root moved to (5, 0, 0) and scaled by 2.
    Frame(5);
    gm.DrawAnimatedModel(model, animation, 0, 4, {0, 0, 10}, {0, 0, 0}, 0);
    auto posed = Submitted(Slot(model));
    EXPECT_VEC(Apply(posed["RootMesh"], {0, 0, 0}), 5, 0, 10);
    EXPECT_VEC(Apply(posed["RootMesh"], {1, 0, 0}), 5, 0, 12);
    // Handle -1 is no animation.
    Frame(5);
    gm.DrawAnimatedModel(model, 0xFFFFFFFF, 0, 4, {0, 0, 10}, {0, 0, 0}, 0);
    EXPECT_VEC(Apply(Submitted(Slot(model))["RootMesh"], {0, 0, 0}), 1, 1, 11);
}

// A saw wave on position x and constant waves on rotation y and scale z of a bone: both forms take the values at the
// frame time in place of the rest values.
TEST_F(BoneWalkTest, WavesDriveTheBoneTransform)
{
    SModel source = modeltest::ParseModel(R"(model
    bone "Root"
        position 0 2 0
        wave 0x1 2 0 4096 512 256 0 0 0 0 0
        wave 0x20 6 0 0 0 402 0 0 0 0 0
        wave 0x400 6 0 0 0 512 0 0 0 0 0
    end
end
)");
    for (uint32_t t : {0u, 13u, 37u})
    {
        SCOPED_TRACE(t);
        const float x = SawAt(t, 4096, 512, 256);
        // Rotation y = 402 / 256 = 1.5703 (about a right angle): +x turns to about -z.
        const float yaw = 402.0f / 256.0f;
        const Matrix local = SourceBoneLocal(source.m_bones[0], &source.m_bones[0], 0, t);
        EXPECT_VEC(Apply(local, {0, 0, 0}), x, 2, 0);
        EXPECT_VEC(Apply(local, {1, 0, 0}), x + std::cos(yaw), 2, -std::sin(yaw));
        // Scale z = 512 / 256 = 2, before the turn.
        EXPECT_VEC(Apply(local, {0, 0, 1}), x + 2 * std::sin(yaw), 2, 2 * std::cos(yaw));
    }
    std::unique_ptr<OptModel> opt = BuildOptModel(source);
    ASSERT_TRUE(opt);
    const Matrix optLocal = OptBoneLocal(opt->m_bones[0], &opt->m_bones[0], 0, 13);
    EXPECT_VEC(Apply(optLocal, {0, 0, 0}), SawAt(13, 4096, 512, 256), 2, 0);
}

// Optimised key tracks: frame = (clock / ticks per frame) mod frame count, quaternions stored x, y, w, z; a
// bone flagged 0x100 keeps its own position; a track with 0 ticks per frame is taken as 1.
TEST(OptKeyTracks, FramesFollowTheClock)
{
    OptBone bone;
    bone.m_position = {9, 9, 9};
    bone.m_pTrack = std::make_unique<OptKeyTrack>();
    bone.m_pTrack->m_uTicksPerFrame = 10;
    // Frame 0: identity at (1, 2, 3); frame 1: -90 degrees about y (w negative) at (0, 0, 4).
    bone.m_pTrack->m_keys.push_back({0, 0, 32767, 0, 256, 512, 768});
    bone.m_pTrack->m_keys.push_back({0, 23170, -23170, 0, 0, 0, 1024});
    EXPECT_VEC(Apply(OptBoneLocal(bone, &bone, 9, 0), {0, 0, 0}), 1, 2, 3);
    EXPECT_VEC(Apply(OptBoneLocal(bone, &bone, 10, 0), {1, 0, 0}), 0, 0, 5);
    EXPECT_VEC(Apply(OptBoneLocal(bone, &bone, 20, 0), {0, 0, 0}), 1, 2, 3);
    bone.m_uFlags = OptBoneFlags::kHasKeyLists;
    EXPECT_VEC(Apply(OptBoneLocal(bone, &bone, 10, 0), {0, 0, 0}), 9, 9, 9);
    bone.m_uFlags = 0;
    bone.m_pTrack->m_uTicksPerFrame = 0;
    EXPECT_VEC(Apply(OptBoneLocal(bone, &bone, 1, 0), {0, 0, 0}), 0, 0, 4);
    // Without a track: the local matrix only when flagged, else the identity.
    OptBone plain;
    plain.m_local = platform::MatrixTranslation(3, 0, 0);
    EXPECT_VEC(Apply(OptBoneLocal(plain, &plain, 0, 0), {0, 0, 0}), 0, 0, 0);
    plain.m_uFlags = OptBoneFlags::kLocalMatrix;
    EXPECT_VEC(Apply(OptBoneLocal(plain, &plain, 0, 0), {0, 0, 0}), 3, 0, 0);
    plain.m_uFlags |= OptBoneFlags::kPosition;
    plain.m_position = {0, 1, 0};
    EXPECT_VEC(Apply(OptBoneLocal(plain, &plain, 0, 0), {0, 0, 0}), 3, 1, 0);
}

// An object that records where it was placed and how often it was drawn.
class Marker : public SceneObject
{
public:
    Marker() : SceneObject(5) {}
    bool Render() override
    {
        ++renders;
        return true;
    }
    int renders = 0;
};

const char* const kSeatText = R"(model
    attachment 1 2 3 0 3.14159265 0
    attachment 0 0 0 0 0 0
    bone "Root"
        position 10 0 0
        pairs 0 9 0 0
    end
end
)";

// Attached objects sit on their points through the bone; attachment ranges beyond the model's points or the
// caller's slots are cut short; a far model places nothing.
TEST_F(BoneWalkTest, AttachedObjectsArePlacedOnTheirBone)
{
    for (bool optimised : {false, true})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t model = LoadText("seat.tm", kSeatText);
        ASSERT_NE(model, 0u);
        Marker first;
        Marker second;
        SceneObject* slots[1] = {&first};
        Frame(0);
        // The range asks for 9 points: the model has 2 and the caller 1 slot.
        gm.DrawModel(model, 0, {0, 4, 20}, {0, 0, 0}, 0xFFFFFFFF, slots, 1, 0);
        EXPECT_EQ(first.renders, 1);
        EXPECT_VEC(first.GetPosition(), 11, 6, 23);
        EXPECT_NEAR(first.GetOrientation().y, 0.0f, 1e-4f);
        SceneObject* both[2] = {&first, &second};
        gm.DrawModel(model, 0, {0, 4, 20}, {0, 0, 0}, 0xFFFFFFFF, both, 2, 0);
        EXPECT_EQ(first.renders, 2);
        EXPECT_EQ(second.renders, 1);
        EXPECT_VEC(second.GetPosition(), 10, 4, 20);
        // The second point turns its object by yaw -pi.
        EXPECT_NEAR(std::fabs(second.GetOrientation().y), 3.14159265f, 1e-3f);
        // Beyond 300 units nothing is placed.
        gm.DrawModel(model, 0, {0, 0, 400}, {0, 0, 0}, 0xFFFFFFFF, both, 2, 0);
        EXPECT_EQ(first.renders, 2);
        // Mask 0 places nothing either.
        gm.DrawModel(model, 0, {0, 0, 20}, {0, 0, 0}, 0, both, 2, 0);
        EXPECT_EQ(second.renders, 1);
    }
}

// The optimised walk: a two-level mesh of radius 1 with level distances (50, 0): level 0 near, level 1 beyond 50
// (detail factor 1); a far line at 1000; culled at 3000; the instance carries the placed matrix.
TEST_F(BoneWalkTest, OptimisedMeshesChooseLevelsAndBecomeLinesFarAway)
{
    Start(true);
    const uint32_t model = LoadText("lod.tm", R"(model
    bone "Root"
        submodel "Mesh"
            bounds -1 -1 -1 1 1 1 0 0 0 0 1
            vertex 0 0 0 0 0 -1 0 0
            vertex 0 1 0 0 0 -1 0 1
            vertex 1 0 0 0 0 -1 1 0
            vertex 1 1 0 0 0 -1 1 1
            level 50
                indices 0 1 2
                material
                end
            end
            level 0
                indices 1 3 2
                material
                end
            end
        end
    end
end
)");
    OptModel* opt = g_ModelManager.GetOptModel(model);
    ASSERT_TRUE(opt);
    OptMesh& mesh = opt->m_bones[0].m_meshes[0];
    ASSERT_EQ(mesh.m_levels.size(), 2u);
    mesh.m_afLevelDistance = {50, 0, 0, 0, 0};
    mesh.m_fCapsuleRadius = 1.0f;
    mesh.m_capsuleA = {0, 0, 0};
    mesh.m_capsuleB = {0, 2, 0};
    mesh.m_fFarDistance = kOptNoFarDistance;
    const float detail = gm.GetDetailFactor();
    ModelDrawList& list = *gm.GetModelDrawList();
    const struct
    {
        float distance;
        int level; // -1 none, 2 a line
    } cases[] = {{10, 0}, {50 * detail - 1, 0}, {50 * detail + 1, 1}, {1000 * detail, 2}, {3000 * detail, -1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.distance);
        Frame(0);
        gm.DrawModel(model, 0x12, {0, 0, c.distance}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
        const DrawInstance* near0 = mesh.m_levels[0].m_pInstances;
        const DrawInstance* near1 = mesh.m_levels[1].m_pInstances;
        EXPECT_EQ(near0 != nullptr, c.level == 0);
        EXPECT_EQ(near1 != nullptr, c.level == 1);
        EXPECT_EQ(gm.GetLineSegments()->GetCount(), c.level == 2 ? 1u : 0u);
        if (const DrawInstance* d = near0 ? near0 : near1)
        {
            EXPECT_VEC(Apply(*d->m_pMatrix, {1, 0, 0}), 1, 0, c.distance);
            EXPECT_EQ(d->m_auPass[0], 0x12);
            EXPECT_EQ(list.GetCount(), 1u);
        }
        if (c.level == 2)
        {
            const LineSegment& line = gm.GetLineSegments()->Get(0);
            EXPECT_EQ(line.m_fEnd[1], 2.0f);
            EXPECT_EQ(line.m_fEnd[2], c.distance);
            EXPECT_EQ(line.m_fWidth, 1.0f);
        }
        list.ClearChains();
        list.Reset();
    }
    EXPECT_TRUE(gm.WasLastModelOptimised());
}

// Source-form levels: the forced level replaces the distance choice only where the mesh has that level; meshes
// too small on screen are not submitted.
TEST_F(BoneWalkTest, ForcedLevelsBeyondAMeshAreIgnored)
{
    Start(false);
    std::string text = TwoBoneText(false);
    const uint32_t model = LoadText("two.tm", text);
    const int32_t slot = Slot(model);
    Frame(0);
    gm.SetForcedLevel(3);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    EXPECT_EQ(Submitted(slot).size(), 2u);
    gm.SetForcedLevel(-1);
    // Radius 1 at depth 10000: 1 / 10000 is below 0.005 of the view.
    Frame(0);
    gm.DrawModel(model, 0, {0, 0, 10000}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    EXPECT_TRUE(Submitted(slot).empty());
    EXPECT_EQ(gm.GetMeshesConsidered(), 2u);
    // The depth override stands for the view depth.
    gm.SetDepthOverride(10.0f);
    Frame(0);
    gm.DrawModel(model, 0, {0, 0, 10000}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    EXPECT_EQ(Submitted(slot).size(), 2u);
    Frame(0);
    gm.DrawAnimatedModel(model, 0, 0, 0, {0, 0, 10000}, {0, 0, 0}, 0);
    EXPECT_EQ(Submitted(slot).size(), 2u);
    gm.SetDepthOverride(0.0f);
    Frame(0);
    gm.DrawAnimatedModel(model, 0, 0, 0, {0, 0, 10000}, {0, 0, 0}, 0);
    EXPECT_TRUE(Submitted(slot).empty());
    EXPECT_FALSE(gm.WasLastModelOptimised());
}

// Optimised models built from source files keep their key lists there: the optimised walk poses bones from the
// model's own lists, and from an animation's lists by place, as the source walk does.
TEST_F(BoneWalkTest, OptimisedModelsArePosedByKeyLists)
{
    Start(true);
    const uint32_t model = LoadText("two.tm", TwoBoneText(false));
    OptModel* opt = g_ModelManager.GetOptModel(model);
    ASSERT_TRUE(opt);
    OptBone& root = opt->m_bones[0];
    ASSERT_EQ(root.m_children.size(), 1u);
    Frame(1);
    gm.DrawModel(model, 0, {0, 0, 10}, {0, 1.5707963f, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    const DrawInstance* rootDraw = root.m_meshes[0].m_levels[0].m_pInstances;
    const DrawInstance* armDraw = root.m_children[0].m_meshes[0].m_levels[0].m_pInstances;
    ASSERT_TRUE(rootDraw && armDraw);
    EXPECT_VEC(Apply(*rootDraw->m_pMatrix, {1, 0, 0}), 2, 0, 5);
    EXPECT_VEC(Apply(*armDraw->m_pMatrix, {1, 0, 0}), 2, 6, 5);
    gm.GetModelDrawList()->ClearChains();

    std::string still = TwoBoneText(false);
    const size_t from = still.find("        keys rotation");
    const size_t to = still.find("        submodel \"RootMesh\"");
    still.replace(from, to - from, "        position 1 1 1\n");
    const uint32_t drawn = LoadText("still.tm", still);
    OptBone& stillRoot = g_ModelManager.GetOptModel(drawn)->m_bones[0];
    Frame(5);
    gm.DrawAnimatedModel(drawn, model, 0, 4, {0, 0, 10}, {0, 0, 0}, 0);
    ASSERT_TRUE(stillRoot.m_meshes[0].m_levels[0].m_pInstances);
    EXPECT_VEC(Apply(*stillRoot.m_meshes[0].m_levels[0].m_pInstances->m_pMatrix, {1, 0, 0}), 5, 0, 12);
    gm.GetModelDrawList()->ClearChains();
    Frame(5);
    gm.DrawModel(drawn, 0, {0, 0, 10}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
    EXPECT_VEC(Apply(*stillRoot.m_meshes[0].m_levels[0].m_pInstances->m_pMatrix, {0, 0, 0}), 1, 1, 11);
    gm.GetModelDrawList()->ClearChains();
}

// Source-form levels by view depth: with level distances (50, 0) level 1 from 50 x the detail factor on; a forced
// level the mesh has replaces the choice.
TEST_F(BoneWalkTest, SourceLevelsFollowTheViewDepth)
{
    Start(false);
    const uint32_t model = LoadText("levels.tm", R"(model
    bone "Root"
        submodel "Mesh"
            bounds -1 -1 -1 1 1 1 0 0 0 0 1
            vertex 0 0 0 0 0 -1 0 0
            vertex 0 1 0 0 0 -1 0 1
            vertex 1 0 0 0 0 -1 1 0
            vertex 1 1 0 0 0 -1 1 1
            level 50
                indices 0 1 2
                material
                    layer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture "art\\t.tga"
                    blend 0
                end
            end
            level 0
                indices 1 3 2
                material
                    layer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture "art\\t.tga"
                    blend 0
                end
            end
        end
    end
end
)");
    const SubModel& mesh = g_ModelManager.GetModel(model)->m_bones[0].m_subModels[0];
    const int32_t slot = Slot(model);
    const float detail = gm.GetDetailFactor();
    auto levelAt = [&](float depth) -> const SubModelLOD*
    {
        Frame(0);
        gm.DrawModel(model, 0, {0, 0, depth}, {0, 0, 0}, 0xFFFFFFFF, nullptr, 0, 0);
        const ModelBatchEntry* e = gm.GetMaterialBuckets()->GetHead(MaterialBuckets::Opaque, slot);
        return e ? e->m_pLevel : nullptr;
    };
    EXPECT_EQ(levelAt(10), &mesh.m_levels[0]);
    EXPECT_EQ(levelAt(50 * detail - 0.5f), &mesh.m_levels[0]);
    EXPECT_EQ(levelAt(50 * detail + 0.5f), &mesh.m_levels[1]);
    EXPECT_EQ(levelAt(150), &mesh.m_levels[1]);
    gm.SetForcedLevel(1);
    EXPECT_EQ(levelAt(10), &mesh.m_levels[1]);
    gm.SetForcedLevel(0);
    EXPECT_EQ(levelAt(150), &mesh.m_levels[0]);
    gm.SetForcedLevel(-1);
}

} // namespace
