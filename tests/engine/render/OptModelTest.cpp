// Tests of optimised models: bones, meshes, distinct levels, far distances, sort classes and capsules built from
// the source form; interned material parts and the channel store; the optimised layout written and read back,
// refused when it does not make sense, and loaded through the model manager; the vertex-cache reordering.
#include "engine/render/OptModel.h"
#include "ModelTestFiles.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/MaterialParts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace
{

using namespace modeltest;

using Triangle = std::array<uint16_t, 3>;

// The triangles of a list, each turned to start at its smallest index (the winding kept), sorted.
std::vector<Triangle> Triangles(const std::vector<uint16_t>& indices)
{
    std::vector<Triangle> out;
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
    {
        Triangle t = {indices[i], indices[i + 1], indices[i + 2]};
        while (t[0] > t[1] || t[0] > t[2])
            t = {t[1], t[2], t[0]};
        out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
}

OptReadOptions Plain()
{
    OptReadOptions options;
    options.m_bLoadTextures = false;
    options.m_bValidate = false;
    return options;
}

// Bone flags and values from the source bones: identity matrices are not kept, scales near 1 or near nothing
// become 1, waves animate all three parts, key lists are flagged, occlusion bones are left out with their subtree.
TEST(OptModelBuildTest, BonesKeepWhatDrawingNeeds)
{
    SModel model = ParseModel(R"(model
    bone "Root"
        scale 0.00005 0.995 2
        toggle 0x8
        pairs 5 6 0 0
        bone "Wall_Occlusion"
            bone "Behind"
            end
        end
        bone "Arm"
            matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 2 0 1
            wave 0x1 0 0 0 0 0 0 0 0 0 0
        end
        bone "OCCLUSIONBOX"
        end
        bone "Hand"
            position 0 0 1
            rotation 0 0.5 0
            haskeys 1
        end
    end
end
)");
    const std::unique_ptr<OptModel> opt = BuildOptModel(model);
    ASSERT_EQ(opt->m_bones.size(), 1u);
    const OptBone& root = opt->m_bones[0];
    EXPECT_EQ(root.m_uFlags, OptBoneFlags::kScale);
    EXPECT_TRUE(root.m_scale.x == 1.0f && root.m_scale.y == 1.0f && root.m_scale.z == 2.0f);
    EXPECT_EQ(root.GetToggleBit(), 8u);
    EXPECT_EQ(root.m_auValues[0], 5u);
    EXPECT_EQ(root.m_local.m[0][0], 0.0f); // an identity matrix is stored as zeros
    ASSERT_EQ(root.m_children.size(), 2u);
    const OptBone& arm = root.m_children[0];
    EXPECT_EQ(arm.m_name, "Arm");
    EXPECT_EQ(arm.m_uFlags,
              OptBoneFlags::kLocalMatrix | OptBoneFlags::kScale | OptBoneFlags::kRotation | OptBoneFlags::kPosition);
    EXPECT_EQ(arm.m_local.m[3][1], 2.0f);
    EXPECT_EQ(arm.m_uWaveCount, 1u);
    ASSERT_NE(arm.GetWaves(), nullptr);
    const OptBone& hand = root.m_children[1];
    EXPECT_EQ(hand.m_name, "Hand");
    EXPECT_EQ(hand.m_uFlags, OptBoneFlags::kRotation | OptBoneFlags::kPosition | OptBoneFlags::kHasKeyLists);
    EXPECT_EQ(hand.GetWaves(), nullptr);
}

// Levels equal to the one before are left out; the far distance ends at the first level that draws nothing and
// follows levels with vertices of their own; vertex colours are modulated by level 0's diffuse colour.
TEST(OptModelBuildTest, MeshesKeepDistinctLevelsAndTheirFarDistance)
{
    SubModel sub = MakeGrid("G", 1, 1);
    sub.m_uColourFlag = 1;
    sub.m_colours = {0xFFFFFFFF, 0x80808080, 0, 0xFF102040};
    sub.m_levels[0].m_material.m_uDiffuse = 0x80FF0080;
    SubModelLOD second = sub.m_levels[0];
    second.m_fSwitchDistance = 10.0f; // the same triangles: not kept
    SubModelLOD third = sub.m_levels[0];
    third.m_fSwitchDistance = 20.0f;
    third.m_indices.resize(3);
    third.m_uRegistration = 1;
    SubModelLOD fourth = third;
    fourth.m_fSwitchDistance = 40.0f;
    fourth.m_indices.clear();
    SubModelLOD fifth = third;
    fifth.m_fSwitchDistance = 80.0f;
    fifth.m_indices = {0, 1, 3};
    sub.m_levels.insert(sub.m_levels.end(), {second, third, fourth, fifth});
    SModel model = ModelOf({sub});
    const std::unique_ptr<OptModel> opt = BuildOptModel(model);
    const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
    EXPECT_EQ(mesh.m_fFarDistance, 40.0f);
    ASSERT_EQ(mesh.m_levels.size(), 4u);
    EXPECT_EQ(mesh.m_afLevelDistance[1], 20.0f);
    EXPECT_EQ(mesh.m_afLevelDistance[3], 80.0f);
    EXPECT_EQ(mesh.m_levels[1].m_uIndexCount, 3u);
    EXPECT_EQ(mesh.m_uVertexCount, 4u);
    EXPECT_EQ(mesh.m_uFlags, 1u);
    // Red 0xFF, green 0x00, blue 0x80: (c x channel) / 256 each, alpha 0.
    const uint32_t colours[4] = {0x00FE007F, 0x007F0040, 0, 0x000F0020};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(mesh.m_vertices[i].m_uColour, colours[i]) << i;
    EXPECT_EQ(mesh.m_vertices[3].m_fU, 1.0f);

    // A second level without a switch distance ends the range at once.
    sub.m_levels.resize(3);
    sub.m_levels[1].m_fSwitchDistance = 0.0f;
    sub.m_levels[1].m_indices.resize(3);
    SModel flat = ModelOf({sub});
    EXPECT_EQ(BuildOptModel(flat)->m_bones[0].m_meshes[0].m_fFarDistance, 0.0f);
}

// Mesh kinds from the vertex kinds, and their records: the vector at byte 16 of kinds 1 and 2 made unit length.
TEST(OptModelBuildTest, VertexKindsBecomeMeshKinds)
{
    const struct
    {
        uint32_t vertexKind;
        uint8_t meshKind;
        float x;
    } cases[] = {{1, 1, 0.6f}, {2, 2, 0.6f}, {4, 3, 3.0f}, {3, 0, 0.0f}};
    for (const auto& c : cases)
    {
        SubModel sub = MakeGrid("K", 1, 1);
        sub.m_uVertexKind = c.vertexKind;
        sub.m_uRecordCount = 1;
        sub.m_records.assign(32, 0);
        const float v[3] = {3.0f, 4.0f, 0.0f};
        std::memcpy(&sub.m_records[16], v, 12);
        SModel model = ModelOf({sub});
        const std::unique_ptr<OptModel> opt = BuildOptModel(model);
        const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
        EXPECT_EQ(mesh.m_uKind, c.meshKind) << c.vertexKind;
        if (c.meshKind == 0)
        {
            EXPECT_EQ(mesh.m_uVertexCount, 0u);
            continue;
        }
        float x;
        std::memcpy(&x, &mesh.m_records[16], 4);
        EXPECT_FLOAT_EQ(x, c.x) << c.vertexKind;
    }
}

TEST(OptModelBuildTest, SortClassFollowsBlendAlphaTestAndKind)
{
    // Built from a level: its material's alpha-test bit (2), not its depth-write bit (1).
    for (const auto& [flags, expected] : {std::pair{2, 4}, {1, 0}, {3, 4}})
    {
        SubModel sub = MakeGrid("G", 1, 1);
        sub.m_levels[0].m_material.m_uBlendMode = 0;
        sub.m_levels[0].m_material.m_uDepthAlphaFlags = static_cast<uint8_t>(flags);
        SModel model = ModelOf({sub});
        EXPECT_EQ(BuildOptModel(model)->m_bones[0].m_meshes[0].m_levels[0].m_uSortClass, expected) << flags;
    }
    const struct
    {
        uint8_t blend;
        bool alphaTest;
        uint8_t own, kind, expected;
    } cases[] = {
        {0, false, 0, 0, 0},  {2, true, 0, 0, 4},  {8, true, 1, 0, 4},  {1, false, 0, 0, 16}, {9, true, 0, 0, 16},
        {4, false, 0, 0, 12}, {4, false, 1, 0, 8}, {0, false, 0, 1, 2}, {0, false, 0, 2, 3},  {4, false, 0, 3, 13},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SortClassOf(c.blend, c.alphaTest, c.own, c.kind), c.expected)
            << int(c.blend) << " " << c.alphaTest << " " << int(c.own) << " " << int(c.kind);
}

// The capsule from the bounds (the longest axis, a tie going to the later one) and from a box (its longest axis,
// a column of its matrix; flat boxes get no capsule).
TEST(OptModelBuildTest, CapsuleWithAndWithoutABox)
{
    auto expectVec = [](platform::Vec3 v, platform::Vec3 e)
    {
        EXPECT_NEAR(v.x, e.x, 1e-5f);
        EXPECT_NEAR(v.y, e.y, 1e-5f);
        EXPECT_NEAR(v.z, e.z, 1e-5f);
    };
    SubModel sub;
    sub.m_bounds.m_af = {0, 0, 0, 2, 6, 4, 1, 3, 2, 0, 0};
    ComputeCapsule(&sub);
    expectVec(sub.m_capsuleA, {1.0f, 1.2f, 2.0f}); // 0.4 x 3 + 0.6 x 0
    expectVec(sub.m_capsuleB, {1.0f, 4.8f, 2.0f}); // 0.4 x 3 + 0.6 x 6
    EXPECT_FLOAT_EQ(sub.m_fCapsuleRadius, 1.5f);   // (2 + 4) / 4
    sub.m_bounds.m_af = {0, 0, 0, 4, 4, 2, 2, 2, 1, 0, 0};
    ComputeCapsule(&sub);
    expectVec(sub.m_capsuleA, {2.0f, 0.8f, 1.0f});

    sub.m_uBoxFlag = 1;
    sub.m_box.m_centre = {10, 0, 0};
    sub.m_box.m_halfSize = {3, 1, 0.5f};
    sub.m_box.m_orientation = {{{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    ComputeCapsule(&sub);
    EXPECT_FLOAT_EQ(sub.m_fCapsuleRadius, 0.6f);     // (1 + 0.5) x 0.4
    expectVec(sub.m_capsuleA, {10.0f, 2.52f, 0.0f}); // 3 - 0.8 x 0.6 along column 0
    expectVec(sub.m_capsuleB, {10.0f, -2.52f, 0.0f});
    sub.m_box.m_halfSize = {3, 2, 0.5f};
    ComputeCapsule(&sub);
    EXPECT_EQ(sub.m_fCapsuleRadius, 100000.0f);
    expectVec(sub.m_capsuleA, {10.0f, 2.52f, 0.0f});

    // The mesh takes it, with its colours lit by the diffuse colour and opaque, from 11 vertices up.
    SubModel grid = MakeGrid("G", 3, 2); // 12 vertices
    grid.m_bounds.m_af = {0, 0, 0, 3, 2, 0, 1.5f, 1, 0, 0, 0};
    grid.m_fCapsuleRadius = 1.0f;
    grid.m_auColours = {0x00FFFFFF, 0x00800000};
    grid.m_levels[0].m_material.m_uDiffuse = 0xFF808080;
    SubModel small = MakeGrid("S", 1, 1);
    small.m_fCapsuleRadius = 1.0f;
    SModel model = ModelOf({grid, small});
    const std::unique_ptr<OptModel> opt = BuildOptModel(model);
    const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
    EXPECT_FLOAT_EQ(mesh.m_fCapsuleRadius, 0.5f); // (2 + 0) / 4
    expectVec(mesh.m_capsuleA, {0.6f, 1.0f, 0.0f});
    EXPECT_EQ(mesh.m_auColours[0], 0xFF7F7F7Fu);
    EXPECT_EQ(mesh.m_auColours[1], 0xFF400000u);
    EXPECT_EQ(opt->m_bones[0].m_meshes[1].m_fCapsuleRadius, 10000.0f);
    EXPECT_EQ(opt->m_bones[0].m_meshes[1].m_auColours[0], 0u);
}

// Interning: the same material gives the same three numbers and adds nothing; the lighting set snaps the power
// and quantises the colours; constant colour channels become colours, texture channels stay.
TEST(MaterialInternTest, SameMaterialSameNumbersAndCanonicalLighting)
{
    SMaterial m;
    m.m_uDiffuse = 0x80FF8040;
    m.m_uSelfIllumination = 0xFF102030;
    m.m_uSpecular = 0x00123456;
    m.m_fSpecularPower = 96.0f;
    MaterialPartNumbers first, second;
    InternMaterial(m, &first, false);
    const uint32_t counts[3] = {g_StateSetTable.GetCount(), g_TextureTransformSetTable.GetCount(),
                                g_LightingSetTable.GetCount()};
    InternMaterial(m, &second, false);
    EXPECT_EQ(first.m_iStateSet, second.m_iStateSet);
    EXPECT_EQ(first.m_iTextureTransformSet, second.m_iTextureTransformSet);
    EXPECT_EQ(first.m_iLightingSet, second.m_iLightingSet);
    EXPECT_EQ(g_StateSetTable.GetCount(), counts[0]);
    EXPECT_EQ(g_TextureTransformSetTable.GetCount(), counts[1]);
    EXPECT_EQ(g_LightingSetTable.GetCount(), counts[2]);

    const LightingSet* set = g_LightingSetTable.Get(first.m_iLightingSet);
    ASSERT_NE(set, nullptr);
    // Each byte c as (c & 0xF0) + (c >> 4), blue first; self-illumination without alpha.
    EXPECT_EQ(std::vector<uint8_t>(set->m_auDiffuse, set->m_auDiffuse + 4),
              (std::vector<uint8_t>{0x44, 0x88, 0xFF, 0x88}));
    EXPECT_EQ(std::vector<uint8_t>(set->m_auSelfIllumination, set->m_auSelfIllumination + 4),
              (std::vector<uint8_t>{0x33, 0x22, 0x11, 0}));
    // The specular colour a grey of its brightest channel (0x56 becomes 0x55), the power between 64 and 128.
    EXPECT_EQ(std::vector<uint8_t>(set->m_auSpecular, set->m_auSpecular + 4),
              (std::vector<uint8_t>{0x55, 0x55, 0x55, 0}));
    EXPECT_EQ(set->m_fPower, 128.0f);

    const std::pair<float, float> powers[] = {{0.5f, 0.0f}, {200.0f, 0.0f},   {100.0f, 128.0f}, {3.0f, 4.0f},
                                              {1.0f, 1.0f}, {160.0f, 128.0f}, {45.0f, 32.0f}};
    for (const auto& [power, snapped] : powers)
    {
        m.m_fSpecularPower = power;
        const LightingSet ls = MakeLightingSet(m);
        EXPECT_EQ(ls.m_fPower, snapped) << power;
        EXPECT_EQ(ls.m_auSpecular[0], snapped == 0.0f ? 0 : 0x55) << power;
    }

    // A constant red channel (offset 100 x 256) sets the diffuse red; a constant texture offset stays a channel;
    // a moving colour channel stays too.
    SMaterial animated;
    MaterialChannel red{};
    red.uTarget = ChannelBits::kDiffuseRed;
    red.uShapeOp = 1;
    red.iOffset1 = 100 * 256;
    MaterialChannel offset = red;
    offset.uTarget = ChannelBits::kOffsetU[0];
    MaterialChannel pulse = red;
    pulse.uTarget = ChannelBits::kSelfGreen;
    pulse.iAmplitude1 = 256;
    animated.m_channels = {red, offset, pulse};
    NormaliseMaterial(&animated);
    EXPECT_EQ(animated.m_uDiffuse, 0xFF64FFFFu);
    ASSERT_EQ(animated.m_channels.size(), 2u);
    EXPECT_EQ(TextureChannels(animated).size(), 1u);
    EXPECT_EQ(LightingChannels(animated).size(), 1u);
    MaterialPartNumbers parts;
    EXPECT_TRUE(InternMaterial(animated, &parts, false));
    EXPECT_EQ(g_TextureTransformSetTable.Get(parts.m_iTextureTransformSet)->m_uChannelCount, 1u);
    EXPECT_EQ(g_LightingSetTable.Get(parts.m_iLightingSet)->m_uChannelCount, 1u);
}

// What normalising and the state set change: a texture-only stage 0 shows white and no highlight; a reflection
// stage drops its texture channels; additive blends never write depth; mip biases are cleared.
TEST(MaterialInternTest, NormalisedStagesAndStateSets)
{
    SMaterial m;
    m.m_uDiffuse = 0x10203040;
    m.m_uSpecular = 0x00FFFFFF;
    m.m_fSpecularPower = 8.0f;
    m.m_aStages[0].m_uColourOp = 1;
    m.m_aStages[0].m_uAlphaOp = 1;
    m.m_aStages[0].m_iMipBias = 5;
    NormaliseMaterial(&m);
    EXPECT_EQ(m.m_uDiffuse, 0xFFFFFFFFu);
    EXPECT_EQ(m.m_uSpecular, 0u);
    EXPECT_EQ(m.m_fSpecularPower, 0.0f);
    EXPECT_EQ(MakeStateSet(m).m_iMipBias0, 0);

    SMaterial reflect;
    reflect.m_aStages[0].m_uTextureMode = 5; // reflection (taken as 3)
    MaterialChannel channel{};
    channel.uTarget = ChannelBits::kOffsetU[0] | ChannelBits::kOffsetU[1];
    channel.uShapeOp = 2;
    channel.iAmplitude1 = 256;
    reflect.m_channels = {channel};
    NormaliseMaterial(&reflect);
    EXPECT_EQ(reflect.m_aStages[0].m_uTextureMode, 3u);
    const std::vector<MaterialChannel> texture = TextureChannels(reflect);
    ASSERT_EQ(texture.size(), 1u);
    EXPECT_EQ(texture[0].uTarget, ChannelBits::kOffsetU[1]);
    EXPECT_EQ(MakeStateSet(reflect).m_uCoordKind0, 2u);

    // Opaque blends (0, 1, 2 and 8) without alpha test take the texture's alpha; others keep theirs.
    for (const auto& [blend, alphaOp] : {std::pair{0, 1}, {2, 1}, {8, 1}, {7, 2}, {4, 2}, {12, 2}})
    {
        SMaterial blended;
        blended.m_uBlendMode = static_cast<uint8_t>(blend);
        EXPECT_EQ(MakeStateSet(blended).m_uAlphaOp0, alphaOp) << blend;
    }

    SMaterial never;
    never.m_uDepthCompare = 6; // the last depth compare, kept
    EXPECT_EQ(MakeStateSet(never).m_uDepthCompare, 6u);
    never.m_uDepthCompare = 7;
    EXPECT_EQ(MakeStateSet(never).m_uDepthCompare, 1u);

    SMaterial half;
    half.m_aStages[1] = {1, 0, 0, -1, 3, 0}; // a colour operation without an alpha operation: no stage 1
    NormaliseMaterial(&half);
    EXPECT_EQ(MakeStateSet(half).m_uColourOp1, 0u);
    EXPECT_EQ(half.m_aStages[1].m_uTextureMode, 0u);

    for (uint8_t blend : {1, 9})
    {
        SMaterial additive;
        additive.m_uBlendMode = blend;
        additive.m_uDepthAlphaFlags = 3;
        EXPECT_EQ(MakeStateSet(additive).m_uDepthAlphaFlags, 2u) << int(blend);
    }
}

// A part table grows 256 entries at a time and finds each record again, whether it was the last hit or not.
TEST(PartTableTest, GrowsBy256AndFindsEveryRecord)
{
    PartTable<StateSet> table;
    std::vector<int32_t> numbers;
    for (int i = 0; i < 257; ++i)
    {
        StateSet set{};
        set.m_uAlphaRef = static_cast<uint8_t>(i);
        set.m_uBlendMode = static_cast<uint8_t>(i >> 8);
        numbers.push_back(table.Intern(set));
        if (i == 0)
        {
            EXPECT_EQ(table.GetCapacity(), 256u);
        }
    }
    EXPECT_EQ(table.GetCapacity(), 512u);
    EXPECT_EQ(numbers.back(), 256);
    StateSet again{};
    again.m_uAlphaRef = 5;
    EXPECT_EQ(table.Intern(again), 5);
    EXPECT_EQ(table.Intern(again), 5);
    again.m_uAlphaRef = 1;
    again.m_uBlendMode = 1; // the same byte sum as record 2, another record
    EXPECT_EQ(table.Intern(again), 257);
    EXPECT_EQ(table.GetCount(), 258u);
    EXPECT_EQ(table.Get(258), nullptr);
    EXPECT_EQ(table.Get(-1), nullptr);
    EXPECT_EQ(table.Get(2)->m_uAlphaRef, 2u);
}

TEST(ChannelStoreTest, SharesRunsAndRefusesBeyondItsCapacity)
{
    ChannelStore store;
    MaterialChannel a{}, b{}, c{};
    a.uTarget = 1;
    b.uTarget = 2;
    c.uTarget = 3;
    const MaterialChannel abc[3] = {a, b, c};
    EXPECT_EQ(store.Store(abc, 3), 0);
    const MaterialChannel bc[2] = {b, c};
    EXPECT_EQ(store.Store(bc, 2), 1); // already stands at place 1
    const MaterialChannel ca[2] = {c, a};
    EXPECT_EQ(store.Store(ca, 2), 3);
    EXPECT_EQ(store.GetCount(), 5u);
    EXPECT_EQ(store.Store(nullptr, 0), 0);
    EXPECT_EQ(store.Get(3, 2)[1].uTarget, 1u);
    EXPECT_EQ(store.Get(4, 2), nullptr);
    EXPECT_EQ(store.Get(-1, 1), nullptr);

    std::vector<MaterialChannel> many(ChannelStore::kCapacity - 5);
    for (size_t i = 0; i < many.size(); ++i)
        many[i].uTarget = static_cast<uint32_t>(100 + i);
    EXPECT_EQ(store.Store(many.data(), static_cast<uint32_t>(many.size())), 5);
    MaterialChannel extra{};
    extra.uTarget = 7;
    EXPECT_EQ(store.Store(&extra, 1), -1);
    EXPECT_EQ(store.Store(&a, 1), 0); // what stands is still found
    EXPECT_EQ(store.GetCount(), ChannelStore::kCapacity);
}

// The vertex-cache order: the same triangles with the same winding, vertices untouched; lists that are not whole
// triangles or point past the vertices are left as they are.
TEST(VertexCacheTest, ReorderKeepsTrianglesAndWinding)
{
    SubModel grid = MakeGrid("G", 8, 8);
    std::vector<uint16_t> indices = grid.m_levels[0].m_indices;
    std::reverse(indices.begin(), indices.end()); // a poor order, every triangle's winding turned
    const std::vector<uint16_t> before = indices;
    ASSERT_TRUE(CreateMesh_NXT(indices.data(), static_cast<uint32_t>(indices.size()), 81));
    EXPECT_NE(indices, before);
    EXPECT_EQ(Triangles(indices), Triangles(before));

    std::vector<uint16_t> bad = {0, 1, 2, 3};
    EXPECT_FALSE(CreateMesh_NXT(bad.data(), 4, 4));
    bad = {0, 1, 5};
    EXPECT_FALSE(CreateMesh_NXT(bad.data(), 3, 5));
    EXPECT_EQ(bad, (std::vector<uint16_t>{0, 1, 5}));
    EXPECT_FALSE(CreateMesh_NXT(nullptr, 3, 5));
}

// Key frames: quaternion x, y, w, z x 32768 and position x 256, cut toward zero and kept within 16 bits.
TEST(OptKeyTrackTest, KeysPackIntoSixteenBits)
{
    const float values[8] = {0.5f, -0.25f, 1.0f, 99.0f, 0.5f, -0.5f, 0.25f, 1.0f};
    EXPECT_EQ(OptKeyTrack::PackKey(values), (std::array<int16_t, 7>{16384, -16384, 32767, 8192, 128, -64, 256}));
    const float odd[8] = {1000.0f, -0.001f, 0.0f, 0.0f, -2.0f, 0.00002f, 0.0f, 0.0f};
    EXPECT_EQ(OptKeyTrack::PackKey(odd), (std::array<int16_t, 7>{-32768, 0, 0, 0, 32767, 0, 0}));
    OptKeyTrack track;
    track.m_uTicksPerFrame = 0;
    EXPECT_EQ(track.GetTicksPerFrame(), 1u);
}

// The optimised layout written and read back draws the same: bones, meshes, vertices, triangles, parts, textures,
// key frames, locators, links and tables.
SModel RoundTripSource()
{
    SModel model = ParseModel(R"(model
    bounds 0 0 0 1 1 1 0.5 0.5 0.5 0 1
    attachment 1 2 3 4 5 6
    table 2 1 7 8
    link "Rope" 0 0 0 1 1 1
    locator "CAM_POS_00" 1 2 3 0 0 1
    bone "Root"
        toggle 0x2
        wave 0x1 2 0 100 256 0 0 0 0 0 0
        bone "Child"
            position 0 1 0
        end
    end
end
)");
    SubModel grid = MakeGrid("G", 4, 4);
    SubModelLOD& level = grid.m_levels[0];
    level.m_aszTexture[0] = "tex\\a.tga";
    level.m_aszTexture[1] = "tex\\b.tga";
    level.m_material.m_aStages[1] = {1, 0, 0, -1, 3, 3};
    MaterialChannel channel{};
    channel.uTarget = ChannelBits::kOffsetU[0];
    channel.uShapeOp = 2;
    channel.iAmplitude1 = 128;
    level.m_material.m_channels = {channel};
    grid.m_levels.push_back(level);
    grid.m_levels[1].m_fSwitchDistance = 50.0f;
    grid.m_levels[1].m_indices.resize(12);
    grid.m_levels[1].m_material.m_uBlendMode = 9;
    SubModel strip = MakeGrid("K", 1, 1);
    strip.m_uVertexKind = 2;
    strip.m_uRecordCount = 4;
    strip.m_records.assign(128, 0);
    strip.m_positions.clear();
    model.m_bones[0].m_subModels = {grid, strip};
    return model;
}

TEST(OptModelStreamTest, WrittenAndReadBackDrawsTheSame)
{
    SModel source = RoundTripSource();
    std::unique_ptr<OptModel> built = BuildOptModel(source);
    built->m_bones[0].m_pTrack = std::make_unique<OptKeyTrack>();
    built->m_bones[0].m_pTrack->m_uTicksPerFrame = 4;
    built->m_bones[0].m_pTrack->m_keys = {{1, 2, 3, 4, 5, 6, 7}, {-1, -2, 32767, -32768, 0, 0, 1}};
    built->m_bones[0].m_pTrack->m_uEndValue = 9;
    const std::vector<uint8_t> bytes = tmtool::WriteOptModel(*built);
    const std::unique_ptr<OptModel> read = ReadOptModel(bytes.data(), bytes.size(), Plain());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(tmtool::WriteOptModel(*read).size(), bytes.size());

    EXPECT_EQ(read->m_bounds.m_af, built->m_bounds.m_af);
    EXPECT_EQ(built->m_bounds.m_af[10], 1.0f); // the source's radius
    EXPECT_EQ(read->m_table, (std::vector<uint32_t>{7, 8}));
    EXPECT_EQ(read->m_attachments[0].m_uValue, 6u);
    ASSERT_NE(read->FindLocator("cam_pos_00"), nullptr);
    EXPECT_EQ(read->FindLocator("cam_pos_00")->m_position.z, 3.0f);
    EXPECT_EQ(read->m_links[0].m_name, "Rope");
    EXPECT_EQ(read->m_links[0].m_uFlagA, 1u);

    const OptBone& root = read->m_bones[0];
    EXPECT_EQ(root.m_uFlags, built->m_bones[0].m_uFlags);
    EXPECT_EQ(root.GetToggleBit(), 2u);
    ASSERT_NE(root.GetWaves(), nullptr);
    EXPECT_EQ(root.GetWaves()[0].uFrequency1, 100u);
    ASSERT_NE(root.m_pTrack, nullptr);
    EXPECT_EQ(root.m_pTrack->m_keys, built->m_bones[0].m_pTrack->m_keys);
    EXPECT_EQ(root.m_pTrack->m_uTicksPerFrame, 4u);
    EXPECT_EQ(root.m_pTrack->m_uEndValue, 9u);
    EXPECT_NE(tmtool::DumpOptModelText(*read).find("    level 50 vertices 25 triangles 4 sort 16 parts"),
              std::string::npos);
    EXPECT_NE(tmtool::DumpOptModelText(*read).find("bone \"Root\" flags 0x1C toggle 0x2 waves 1 track 2\n"),
              std::string::npos);
    EXPECT_EQ(root.m_children[0].m_position.y, 1.0f);

    ASSERT_EQ(root.m_meshes.size(), 2u);
    const OptMesh& a = built->m_bones[0].m_meshes[0];
    const OptMesh& b = root.m_meshes[0];
    EXPECT_EQ(b.m_uVertexCount, 25u);
    EXPECT_EQ(b.m_uVertexHandle, 0xFFFFFFFFu); // registered anew by the model manager
    EXPECT_EQ(b.m_fFarDistance, kOptNoFarDistance);
    for (uint32_t i = 0; i < b.m_uVertexCount; ++i)
    {
        EXPECT_EQ(b.m_positions[i].x, a.m_positions[i].x);
        EXPECT_EQ(b.m_normals[i].z, a.m_normals[i].z);
        EXPECT_EQ(b.m_vertices[i].m_fV, a.m_vertices[i].m_fV);
    }
    ASSERT_EQ(b.m_levels.size(), 2u);
    for (size_t l = 0; l < 2; ++l)
    {
        EXPECT_EQ(Triangles(b.m_levels[l].m_indices), Triangles(a.m_levels[l].m_indices)) << l;
        EXPECT_EQ(b.m_levels[l].m_parts.m_iStateSet, a.m_levels[l].m_parts.m_iStateSet) << l;
        EXPECT_EQ(b.m_levels[l].m_parts.m_iTextureTransformSet, a.m_levels[l].m_parts.m_iTextureTransformSet) << l;
        EXPECT_EQ(b.m_levels[l].m_parts.m_iLightingSet, a.m_levels[l].m_parts.m_iLightingSet) << l;
        EXPECT_EQ(b.m_levels[l].m_uSortClass, a.m_levels[l].m_uSortClass) << l;
    }
    EXPECT_EQ(b.m_afLevelDistance[1], 50.0f);
    EXPECT_EQ(b.m_levels[0].m_aszTexture[1], "tex\\b.tga");
    EXPECT_EQ(b.m_levels[0].m_aiTexture[0], 0); // textures not loaded here
    EXPECT_EQ(root.m_meshes[1].m_uKind, 2u);
    EXPECT_EQ(root.m_meshes[1].m_records.size(), 128u);
}

// Streams that are cut short anywhere, or whose counts, codes, lengths or bounds do not make sense, are refused,
// and leave the engine-wide channel store and part tables as they were.
TEST(OptModelStreamTest, StreamsThatDoNotMakeSenseAreRefused)
{
    SModel source = RoundTripSource();
    const std::vector<uint8_t> bytes = tmtool::WriteOptModel(*BuildOptModel(source));
    ASSERT_NE(ReadOptModel(bytes.data(), bytes.size(), Plain()), nullptr);
    // The root bone starts after two header values and the bone count; its wave's frequency is 6 bytes into the
    // wave after the bone's values; the level's lighting set follows its state set and one texture channel.
    const size_t bone = 12;
    const size_t wave = bone + 4 + 8 + 64 + 36 + 4;
    const size_t mesh = wave + 20 + 1 + 4 + (4 + 8 + 64 + 36 + 4 + 1 + 4 + 4 + 4 + 4 + 5) + 4;
    const size_t level = mesh + 4 + 20 + 4;
    const size_t state = level + 16 + 96 * 2; // after the grid's 96 indices
    const size_t diffuse = state + 16 + 4 + 20;

    // A wave and a lighting set that nothing has stored yet: each cut of the stream is refused without storing
    // them; the whole stream stores them.
    std::vector<uint8_t> fresh = bytes;
    texturetest::Put32(fresh, wave + 4, 0xD431DB01); // shape 1, phase 0xDB, frequency 0xD431
    texturetest::Put32(fresh, diffuse, 0x5A6B7C8D);
    const uint32_t counts[2] = {g_ChannelStore.GetCount(), g_LightingSetTable.GetCount()};
    for (size_t cut = 0; cut < fresh.size(); ++cut)
    {
        ASSERT_EQ(ReadOptModel(fresh.data(), cut, Plain()), nullptr) << cut;
        ASSERT_EQ(g_ChannelStore.GetCount(), counts[0]) << cut;
        ASSERT_EQ(g_LightingSetTable.GetCount(), counts[1]) << cut;
    }
    ASSERT_NE(ReadOptModel(fresh.data(), fresh.size(), Plain()), nullptr);
    EXPECT_EQ(g_ChannelStore.GetCount(), counts[0] + 1);
    EXPECT_EQ(g_LightingSetTable.GetCount(), counts[1] + 1);
    // With room for one more record, a stream with two new runs is refused and the first run taken back.
    texturetest::Put32(fresh, wave + 4, 0xD432DB01);
    texturetest::Put32(fresh, state + 20 + 4, 0xD433DB01);
    std::vector<MaterialChannel> filler(ChannelStore::kCapacity - 1 - g_ChannelStore.GetCount());
    for (size_t i = 0; i < filler.size(); ++i)
        filler[i].uTarget = 0xABC00000u + static_cast<uint32_t>(i);
    const uint32_t before = g_ChannelStore.GetCount();
    ASSERT_GE(g_ChannelStore.Store(filler.data(), static_cast<uint32_t>(filler.size())), 0);
    EXPECT_EQ(ReadOptModel(fresh.data(), fresh.size(), Plain()), nullptr);
    EXPECT_EQ(g_ChannelStore.GetCount(), ChannelStore::kCapacity - 1);
    g_ChannelStore.Truncate(before);
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(ReadOptModel(longer.data(), longer.size(), Plain()), nullptr);
    const struct
    {
        size_t at;
        uint8_t value;
        const char* what;
    } bytePatches[] = {
        {bone, 0x21, "an unknown bone flag"},
        {mesh + 24, 4, "mesh kind 4"},
        {mesh + 27, 6, "six levels"},
        {state + 5, 9, "stage-0 colour operation 9"},
        {state + 6, 6, "stage-0 alpha operation 6"},
        {state + 9, 10, "stage-1 colour operation 10"},
        {state + 10, 8, "stage-1 alpha operation 8"},
        {state + 2, 7, "depth compare 7"},
        {state + 14, 4, "coordinate kind 4"},
        {state + 17, 4, "texture-transform coordinate kind 4"},
        {level + 16, 0x63, "an index past the vertices"},
    };
    for (const auto& p : bytePatches)
    {
        std::vector<uint8_t> patched = bytes;
        patched[p.at] = p.value;
        EXPECT_EQ(ReadOptModel(patched.data(), patched.size(), Plain()), nullptr) << p.what;
    }
    // Index counts that are not whole triangles or too many, a huge bone count, a level vertex count past the
    // mesh's, bounds and attachment points that are not numbers.
    // Back from the end: a link, a locator and an attachment with their counts, the table of two values, the
    // frame count and the bounds.
    const size_t bounds = bytes.size() - (96 + 4) - (56 + 4) - (24 + 4) - (8 + 8) - 4 - 44;
    for (const auto& [at, value] : {std::pair{level + 8, 7u},
                                    {level + 8, 0xFFFFFFFFu},
                                    {8, 0x7FFFFFFFu},
                                    {level + 4, 26u},
                                    {bounds + 40, 0x7FC00000u},
                                    {bounds, 0xFF800000u},
                                    {bounds + 44 + 4 + 16 + 4, 0x7F800000u}})
    {
        std::vector<uint8_t> patched = bytes;
        texturetest::Put32(patched, at, value);
        EXPECT_EQ(ReadOptModel(patched.data(), patched.size(), Plain()), nullptr) << at << " " << value;
    }

    // The last code of each table is still taken.
    for (const auto& [at, value] : {std::pair{state + 5, 8},
                                    {state + 6, 5},
                                    {state + 9, 9},
                                    {state + 10, 7},
                                    {state + 2, 6},
                                    {state + 14, 3},
                                    {state + 17, 3}})
    {
        std::vector<uint8_t> patched = bytes;
        patched[at] = static_cast<uint8_t>(value);
        EXPECT_NE(ReadOptModel(patched.data(), patched.size(), Plain()), nullptr) << at << " " << value;
    }

    // Texture names hold at most 511 characters.
    for (size_t length : {511u, 512u})
    {
        SModel named = RoundTripSource();
        named.m_bones[0].m_subModels[0].m_levels[0].m_aszTexture[1] = std::string(length, 'n');
        const std::vector<uint8_t> stream = tmtool::WriteOptModel(*BuildOptModel(named));
        EXPECT_EQ(ReadOptModel(stream.data(), stream.size(), Plain()) != nullptr, length == 511) << length;
    }

    // A link name must end within its 32 bytes.
    std::vector<uint8_t> endless = bytes;
    std::fill(endless.end() - 96, endless.end() - 64, static_cast<uint8_t>('A'));
    EXPECT_EQ(ReadOptModel(endless.data(), endless.size(), Plain()), nullptr);

    // A far distance of nothing means the mesh is drawn as far as anything.
    std::vector<uint8_t> near = bytes;
    texturetest::Put32(near, mesh, 0);
    const std::unique_ptr<OptModel> read = ReadOptModel(near.data(), near.size(), Plain());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->m_bones[0].m_meshes[0].m_fFarDistance, 999999.0f);
}

// An optimised file through the model manager: its textures loaded, level 0's coordinates mapped into the page,
// parts over 80 vertices registered (their memory copies dropped), parts of 80 or fewer kept for batching.
TEST_F(ModelTest, OptimisedFilesLoadWithTheirTexturesAndLargePartsRegistered)
{
    texturetest::DDTSpec spec;
    spec.ownPage = 0;
    Write("tex/a.ddt", texturetest::MakeDDT(spec, texturetest::ChainPixels(8, 8, {0xFF00FF00})));
    SModel source = ModelOf({MakeGrid("Big", 9, 8), MakeGrid("Small", 8, 8)}); // 90 and 81 vertices
    source.m_bones[0].m_subModels[1].m_positions.resize(80);
    source.m_bones[0].m_subModels[1].m_normals.resize(80);
    source.m_bones[0].m_subModels[1].m_uvs.resize(80);
    source.m_bones[0].m_subModels[1].m_levels[0].m_uVertexCount = 80;
    source.m_bones[0].m_subModels[1].m_levels[0].m_indices = {0, 1, 2};
    source.m_bones[0].m_subModels[0].m_levels[0].m_aszTexture[0] = "tex\\a.ddt";
    WriteModel("model.opt", tmtool::WriteOptModel(*BuildOptModel(source)));

    const uint32_t handle = g_ModelManager.Load("model.opt");
    EXPECT_TRUE(TakeBoxes().empty());
    const OptModel* opt = g_ModelManager.GetOptModel(handle);
    ASSERT_NE(opt, nullptr);
    EXPECT_EQ(g_ModelManager.GetModel(handle), nullptr);
    const OptMesh& big = opt->m_bones[0].m_meshes[0];
    const int32_t slot = big.m_levels[0].m_aiTexture[0];
    ASSERT_GT(slot, 0);
    // Drawing reads the shared buffers; picking keeps level 0's positions and indices.
    EXPECT_TRUE(big.m_normals.empty() && big.m_vertices.empty());
    EXPECT_EQ(big.m_positions.size(), 90u);
    EXPECT_EQ(big.m_levels[0].m_indices.size(), 9u * 8 * 6);
    const MeshRecord* record = g_MeshManager.GetMesh(big.m_uVertexHandle);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_uVertexCount, 90u);
    EXPECT_EQ(big.m_levels[0].m_uIndexHandle, big.m_uVertexHandle);
    const TexturePlacement page = g_TextureManager.GetPlacement(static_cast<uint32_t>(slot));
    const auto* v = static_cast<const LitTexVertex*>(Renderer().LockMeshVertices(big.m_uVertexHandle, 90));
    ASSERT_NE(v, nullptr);
    EXPECT_FLOAT_EQ(v[11].u, 1.0f * page.m_fUScale + page.m_fUOffset); // vertex (1, 1) of a 10-wide grid
    EXPECT_FLOAT_EQ(v[11].v, 1.0f * page.m_fVScale + page.m_fVOffset);
    Renderer().UnlockMeshVertices();

    const OptMesh& small = opt->m_bones[0].m_meshes[1];
    EXPECT_EQ(small.m_uVertexHandle, 0u);
    EXPECT_EQ(small.m_vertices.size(), 80u);
    EXPECT_EQ(small.m_vertices[9].m_fU, 0.0f); // no texture: coordinates as they were
    EXPECT_EQ(small.m_levels[0].m_indices.size(), 3u);

    // Without the optimised form nothing is registered and the coordinates stay.
    Start(false);
    const OptModel* plain = g_ModelManager.GetOptModel(g_ModelManager.Load("model.opt"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->m_bones[0].m_meshes[0].m_uVertexHandle, 0u);
    EXPECT_EQ(plain->m_bones[0].m_meshes[0].m_vertices[11].m_fU, 1.0f);
}

} // namespace
