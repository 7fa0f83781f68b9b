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

OptReadOptions Plain()
{
    OptReadOptions options;
    options.m_bLoadTextures = false, options.m_bValidate = false;
    return options;
}

// Bone flags and values from the source bones: identity matrices are not kept, scales near 1 or near nothing
// become 1, waves animate all three parts, key lists are flagged, occlusion bones are left out with their subtree.
TEST(OptModelBuildTest, BonesKeepWhatDrawingNeeds)
{
    SModel model =
        ParseModel("model\nbone \"Root\"\nscale 0.00005 0.995 2\ntoggle 0x8\npairs 5 6 0 0\n"
                   "bone \"Wall_Occlusion\"\nbone \"Behind\"\nend\nend\n"
                   "bone \"Arm\"\nmatrix 1 0 0 0 0 1 0 0 0 0 1 0 0 2 0 1\nwave 0x1 0 0 0 0 0 0 0 0 0 0\nend\n"
                   "bone \"OCCLUSIONBOX\"\nend\n"
                   "bone \"Hand\"\nposition 0 0 1\nrotation 0 0.5 0\nhaskeys 1\nend\nend\nend\n");
    const std::unique_ptr<OptModel> opt = BuildOptModel(model);
    ASSERT_EQ(opt->m_bones.size(), 1u);
    const OptBone& root = opt->m_bones[0];
    EXPECT_TRUE(root.m_uFlags == OptBoneFlags::kScale &&
                (root.m_scale.x == 1.0f && root.m_scale.y == 1.0f && root.m_scale.z == 2.0f));
    // An identity matrix is stored as zeros.
    EXPECT_TRUE(root.GetToggleBit() == 8 && root.m_auValues[0] == 5 && root.m_local.m[0][0] == 0.0f);
    ASSERT_EQ(root.m_children.size(), 2u);
    const OptBone& arm = root.m_children[0];
    EXPECT_EQ(arm.m_name, "Arm");
    EXPECT_EQ(arm.m_uFlags,
              OptBoneFlags::kLocalMatrix | OptBoneFlags::kScale | OptBoneFlags::kRotation | OptBoneFlags::kPosition);
    EXPECT_TRUE(arm.m_local.m[3][1] == 2.0f && arm.m_uWaveCount == 1 && arm.GetWaves() != nullptr);
    const OptBone& hand = root.m_children[1];
    EXPECT_TRUE(hand.m_name == "Hand" &&
                hand.m_uFlags == (OptBoneFlags::kRotation | OptBoneFlags::kPosition | OptBoneFlags::kHasKeyLists) &&
                hand.GetWaves() == nullptr);
}

// Levels equal to the one before are left out; the far distance ends at the first level that draws nothing and
// follows levels with vertices of their own; vertex colours are modulated by level 0's diffuse colour.
TEST(OptModelBuildTest, MeshesKeepDistinctLevelsAndTheirFarDistance)
{
    SubModel sub = MakeGrid("G", 1, 1);
    sub.m_uColourFlag = 1, sub.m_colours = {0xFFFFFFFF, 0x80808080, 0, 0xFF102040};
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
    fifth.m_fSwitchDistance = 80.0f, fifth.m_indices = {0, 1, 3};
    sub.m_levels.insert(sub.m_levels.end(), {second, third, fourth, fifth});
    SModel model = ModelOf({sub});
    const std::unique_ptr<OptModel> opt = BuildOptModel(model);
    const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
    ASSERT_EQ(mesh.m_levels.size(), 4u);
    EXPECT_EQ(std::vector<float>(mesh.m_afLevelDistance.begin(), mesh.m_afLevelDistance.begin() + 4),
              (std::vector<float>{0, 20, 40, 80}));
    EXPECT_TRUE(mesh.m_fFarDistance == 40.0f && mesh.m_levels[1].m_uIndexCount == 3 && mesh.m_uVertexCount == 4 &&
                mesh.m_uFlags == 1);
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

    // Mesh kinds from the vertex kinds, and their records: the vector at byte 16 of kinds 1 and 2 made unit length.
    const std::tuple<uint32_t, uint8_t, float> cases[] = {{1, 1, 0.6f}, {2, 2, 0.6f}, {4, 3, 3.0f}, {3, 0, 0.0f}};
    for (const auto& [vertexKind, meshKind, unitX] : cases)
    {
        SubModel sub = MakeGrid("K", 1, 1);
        sub.m_uVertexKind = vertexKind, sub.m_uRecordCount = 1;
        sub.m_records.assign(32, 0);
        const float v[3] = {3.0f, 4.0f, 0.0f};
        std::memcpy(&sub.m_records[16], v, 12);
        SModel model = ModelOf({sub});
        const std::unique_ptr<OptModel> opt = BuildOptModel(model);
        const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
        EXPECT_EQ(mesh.m_uKind, meshKind) << vertexKind;
        float x = 0.0f;
        if (meshKind != 0)
            std::memcpy(&x, &mesh.m_records[16], 4);
        EXPECT_FLOAT_EQ(x, unitX) << vertexKind;
        EXPECT_EQ(mesh.m_uVertexCount, meshKind == 0 ? 0u : 1u);
    }

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
        const std::tuple<uint8_t, bool, uint8_t, uint8_t, uint8_t> cases[] = {
            {0, false, 0, 0, 0},  {2, true, 0, 0, 4},  {8, true, 1, 0, 4},  {1, false, 0, 0, 16}, {9, true, 0, 0, 16},
            {4, false, 0, 0, 12}, {4, false, 1, 0, 8}, {0, false, 0, 1, 2}, {0, false, 0, 2, 3},  {4, false, 0, 3, 13}};
        for (const auto& [blend, alphaTest, own, kind, expected] : cases)
            EXPECT_EQ(SortClassOf(blend, alphaTest, own, kind), expected)
                << int(blend) << " " << alphaTest << " " << int(own) << " " << int(kind);
    }
}

// The capsule from the bounds (the longest axis, a tie going to the later one) and from a box (its longest axis,
// a column of its matrix; flat boxes get no capsule).
TEST(OptModelBuildTest, CapsuleWithAndWithoutABox)
{
    auto expectVec = [](platform::Vec3 v, platform::Vec3 e)
    { EXPECT_LT(platform::Vec3Length(v - e), 1e-5f) << v.x << " " << v.y << " " << v.z; };
    SubModel sub;
    sub.m_bounds.m_af = {0, 0, 0, 2, 6, 4, 1, 3, 2, 0, 0};
    ComputeCapsule(&sub);
    expectVec(sub.m_capsuleA, {1.0f, 1.2f, 2.0f}); // 0.4 x 3 + 0.6 x 0
    expectVec(sub.m_capsuleB, {1.0f, 4.8f, 2.0f}); // 0.4 x 3 + 0.6 x 6
    EXPECT_FLOAT_EQ(sub.m_fCapsuleRadius, 1.5f);   // (2 + 4) / 4
    sub.m_bounds.m_af = {0, 0, 0, 4, 4, 2, 2, 2, 1, 0, 0};
    ComputeCapsule(&sub);
    expectVec(sub.m_capsuleA, {2.0f, 0.8f, 1.0f});

    sub.m_uBoxFlag = 1, sub.m_box.m_centre = {10, 0, 0}, sub.m_box.m_halfSize = {3, 1, 0.5f};
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
    grid.m_bounds.m_af = {0, 0, 0, 3, 2, 0, 1.5f, 1, 0, 0, 0}, grid.m_fCapsuleRadius = 1.0f;
    grid.m_auColours = {0x00FFFFFF, 0x00800000}, grid.m_levels[0].m_material.m_uDiffuse = 0xFF808080;
    SubModel small = MakeGrid("S", 1, 1);
    small.m_fCapsuleRadius = 1.0f;
    SModel model = ModelOf({grid, small});
    const std::unique_ptr<OptModel> opt = BuildOptModel(model);
    const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
    EXPECT_FLOAT_EQ(mesh.m_fCapsuleRadius, 0.5f); // (2 + 0) / 4
    expectVec(mesh.m_capsuleA, {0.6f, 1.0f, 0.0f});
    EXPECT_EQ(mesh.m_auColours, (std::array<uint32_t, 2>{0xFF7F7F7F, 0xFF400000}));
    EXPECT_TRUE(opt->m_bones[0].m_meshes[1].m_fCapsuleRadius == 10000.0f &&
                opt->m_bones[0].m_meshes[1].m_auColours[0] == 0);
}

// Interning: the same material gives the same three numbers and adds nothing; the lighting set snaps the power
// and quantises the colours; constant colour channels become colours, texture channels stay.
TEST(MaterialInternTest, SameMaterialSameNumbersAndCanonicalLighting)
{
    SMaterial m;
    m.m_uDiffuse = 0x80FF8040, m.m_uSelfIllumination = 0xFF102030, m.m_uSpecular = 0x00123456;
    m.m_fSpecularPower = 96.0f;
    MaterialPartNumbers first, second;
    InternMaterial(m, &first, false);
    const uint32_t counts[3] = {g_StateSetTable.GetCount(), g_TextureTransformSetTable.GetCount(),
                                g_LightingSetTable.GetCount()};
    InternMaterial(m, &second, false);
    EXPECT_EQ(std::tie(first.m_iStateSet, first.m_iTextureTransformSet, first.m_iLightingSet),
              std::tie(second.m_iStateSet, second.m_iTextureTransformSet, second.m_iLightingSet));
    EXPECT_EQ(std::vector<uint32_t>(counts, counts + 3),
              (std::vector<uint32_t>{g_StateSetTable.GetCount(), g_TextureTransformSetTable.GetCount(),
                                     g_LightingSetTable.GetCount()}));

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
        EXPECT_TRUE(ls.m_fPower == snapped && ls.m_auSpecular[0] == (snapped == 0.0f ? 0 : 0x55)) << power;
    }

    // A constant red channel (offset 100 x 256) sets the diffuse red; a constant texture offset stays a channel;
    // a moving colour channel stays too.
    SMaterial animated;
    MaterialChannel red{};
    red.uTarget = ChannelBits::kDiffuseRed, red.uShapeOp = 1, red.iOffset1 = 100 * 256;
    MaterialChannel offset = red;
    offset.uTarget = ChannelBits::kOffsetU[0];
    MaterialChannel pulse = red;
    pulse.uTarget = ChannelBits::kSelfGreen, pulse.iAmplitude1 = 256, animated.m_channels = {red, offset, pulse};
    NormaliseMaterial(&animated);
    EXPECT_EQ(animated.m_uDiffuse, 0xFF64FFFFu);
    EXPECT_TRUE(animated.m_channels.size() == 2 && TextureChannels(animated).size() == 1 &&
                LightingChannels(animated).size() == 1);
    MaterialPartNumbers parts;
    EXPECT_TRUE(InternMaterial(animated, &parts, false));
    EXPECT_TRUE(g_TextureTransformSetTable.Get(parts.m_iTextureTransformSet)->m_uChannelCount == 1 &&
                g_LightingSetTable.Get(parts.m_iLightingSet)->m_uChannelCount == 1);
}

// A material is stored only when all its channel runs are: with the channel store full, a material with a new
// texture run or a new lighting run is refused (its parts are still numbered), one whose runs stand or that has
// none is taken.
TEST(MaterialInternTest, MaterialsWhoseRunsDoNotFitAreNotStored)
{
    const auto channel = [](uint32_t target, int32_t amplitude)
    {
        MaterialChannel c{};
        c.uTarget = target, c.uShapeOp = 2, c.iAmplitude1 = amplitude; // a moving wave: never folded away
        return c;
    };
    const MaterialChannel stored = channel(ChannelBits::kOffsetU[0], 256);
    SMaterial standing;
    standing.m_channels = {stored};
    MaterialPartNumbers parts;
    ASSERT_TRUE(InternMaterial(standing, &parts, false));

    const uint32_t before = g_ChannelStore.GetCount();
    std::vector<MaterialChannel> filler(ChannelStore::kCapacity - before);
    for (size_t i = 0; i < filler.size(); ++i)
        filler[i].uTarget = 0xFED00000u + static_cast<uint32_t>(i);
    ASSERT_GE(g_ChannelStore.Store(filler.data(), static_cast<uint32_t>(filler.size())), 0);

    const struct
    {
        const char* name;
        std::vector<MaterialChannel> channels;
        bool stored;
    } cases[] = {
        {"new texture run", {channel(ChannelBits::kOffsetV[0], 300)}, false},
        {"new lighting run", {channel(ChannelBits::kSelfGreen, 300)}, false},
        {"standing texture run, new lighting run", {stored, channel(ChannelBits::kSelfBlue, 300)}, false},
        {"standing run", {stored}, true},
        {"no channels", {}, true},
    };
    for (const auto& c : cases)
    {
        SMaterial m;
        m.m_channels = c.channels;
        parts = {-1, -1, -1};
        EXPECT_EQ(InternMaterial(m, &parts, false), c.stored) << c.name;
        EXPECT_TRUE(parts.m_iStateSet >= 0 && parts.m_iTextureTransformSet >= 0 && parts.m_iLightingSet >= 0) << c.name;
    }
    EXPECT_EQ(g_ChannelStore.GetCount(), ChannelStore::kCapacity);
    g_ChannelStore.Truncate(before);
}

// What normalising and the state set change: a texture-only stage 0 shows white and no highlight; a reflection
// stage drops its texture channels; additive blends never write depth; mip biases are cleared.
TEST(MaterialInternTest, NormalisedStagesAndStateSets)
{
    SMaterial m;
    m.m_uDiffuse = 0x10203040, m.m_uSpecular = 0x00FFFFFF, m.m_fSpecularPower = 8.0f, m.m_aStages[0].m_uColourOp = 1;
    m.m_aStages[0].m_uAlphaOp = 1, m.m_aStages[0].m_iMipBias = 5;
    NormaliseMaterial(&m);
    EXPECT_TRUE((m.m_uDiffuse == 0xFFFFFFFF && m.m_uSpecular == 0 && m.m_fSpecularPower == 0.0f) &&
                MakeStateSet(m).m_iMipBias0 == 0);

    SMaterial reflect;
    reflect.m_aStages[0].m_uTextureMode = 5; // reflection (taken as 3)
    MaterialChannel channel{};
    channel.uTarget = ChannelBits::kOffsetU[0] | ChannelBits::kOffsetU[1], channel.uShapeOp = 2;
    channel.iAmplitude1 = 256, reflect.m_channels = {channel};
    NormaliseMaterial(&reflect);
    const std::vector<MaterialChannel> texture = TextureChannels(reflect);
    ASSERT_EQ(texture.size(), 1u);
    EXPECT_TRUE(reflect.m_aStages[0].m_uTextureMode == 3 && texture[0].uTarget == ChannelBits::kOffsetU[1] &&
                MakeStateSet(reflect).m_uCoordKind0 == 2);

    // Opaque blends (0, 1, 2 and 8) without alpha test take the texture's alpha; others keep theirs.
    for (const auto& [blend, alphaOp] : {std::pair{0, 1}, {2, 1}, {8, 1}, {7, 2}, {4, 2}, {12, 2}})
    {
        SMaterial blended;
        blended.m_uBlendMode = static_cast<uint8_t>(blend);
        EXPECT_EQ(MakeStateSet(blended).m_uAlphaOp0, alphaOp) << blend;
    }

    SMaterial never;
    never.m_uDepthCompare = 6; // the last depth compare, kept; beyond it the default
    const uint8_t last = MakeStateSet(never).m_uDepthCompare;
    never.m_uDepthCompare = 7;
    EXPECT_TRUE(last == 6 && MakeStateSet(never).m_uDepthCompare == 1);

    SMaterial half;
    half.m_aStages[1] = {1, 0, 0, -1, 3, 0}; // a colour operation without an alpha operation: no stage 1
    NormaliseMaterial(&half);
    EXPECT_TRUE(MakeStateSet(half).m_uColourOp1 == 0 && half.m_aStages[1].m_uTextureMode == 0);

    for (uint8_t blend : {1, 9})
    {
        SMaterial additive;
        additive.m_uBlendMode = blend, additive.m_uDepthAlphaFlags = 3;
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
        set.m_uAlphaRef = static_cast<uint8_t>(i), set.m_uBlendMode = static_cast<uint8_t>(i >> 8);
        numbers.push_back(table.Intern(set));
        EXPECT_EQ(table.GetCapacity(), i < 256 ? 256u : 512u);
    }
    EXPECT_EQ(numbers.back(), 256);
    StateSet again{};
    again.m_uAlphaRef = 5;
    EXPECT_TRUE(table.Intern(again) == 5 && table.Intern(again) == 5);
    again.m_uAlphaRef = 1;
    again.m_uBlendMode = 1; // the same byte sum as record 2, another record
    EXPECT_TRUE(table.Intern(again) == 257 && table.GetCount() == 258u &&
                (table.Get(258) == nullptr && table.Get(-1) == nullptr && table.Get(2)->m_uAlphaRef == 2));

    ChannelStore store;
    MaterialChannel a{}, b{}, c{};
    std::tie(a.uTarget, b.uTarget, c.uTarget) = std::tuple(1u, 2u, 3u);
    const MaterialChannel abc[3] = {a, b, c}, bc[2] = {b, c}, ca[2] = {c, a};
    // already stands at place 1.
    EXPECT_TRUE(store.Store(abc, 3) == 0 && store.Store(bc, 2) == 1);
    EXPECT_TRUE(store.Store(ca, 2) == 3 && store.GetCount() == 5u && store.Store(nullptr, 0) == 0 &&
                store.Get(3, 2)[1].uTarget == 1u && (store.Get(4, 2) == nullptr && store.Get(-1, 1) == nullptr));
    store.Truncate(4); // a refused load's records taken back
    EXPECT_EQ(store.GetCount(), 4u);
    store.Truncate(9);
    EXPECT_EQ(store.GetCount(), 4u);

    std::vector<MaterialChannel> many(ChannelStore::kCapacity - 4);
    for (size_t i = 0; i < many.size(); ++i)
        many[i].uTarget = static_cast<uint32_t>(100 + i);
    EXPECT_EQ(store.Store(many.data(), static_cast<uint32_t>(many.size())), 4);
    MaterialChannel extra{};
    extra.uTarget = 7;
    // what stands is still found.
    EXPECT_TRUE(store.Store(&extra, 1) == -1 && store.Store(&a, 1) == 0 && store.GetCount() == ChannelStore::kCapacity);

    // The vertex-cache order keeps the same triangles with the same winding; lists that are not whole triangles or
    // point past the vertices are left as they are.
    SubModel grid = MakeGrid("G", 8, 8);
    std::vector<uint16_t> indices = grid.m_levels[0].m_indices;
    std::reverse(indices.begin(), indices.end()); // a poor order, every triangle's winding turned
    const std::vector<uint16_t> before = indices;
    ASSERT_TRUE(CreateMesh_NXT(indices.data(), static_cast<uint32_t>(indices.size()), 81) && indices != before &&
                Triangles(indices) == Triangles(before));

    std::vector<uint16_t> bad = {0, 1, 2, 3};
    EXPECT_FALSE(CreateMesh_NXT(bad.data(), 4, 4) || CreateMesh_NXT(nullptr, 3, 5));
    bad = {0, 1, 5};
    EXPECT_TRUE(!(CreateMesh_NXT(bad.data(), 3, 5)) && bad == (std::vector<uint16_t>{0, 1, 5}));
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
    SModel model =
        ParseModel("model\nbounds 0 0 0 1 1 1 0.5 0.5 0.5 0 1\nattachment 1 2 3 4 5 6\ntable 2 1 7 8\n"
                   "link \"Rope\" 0 0 0 1 1 1\nlocator \"CAM_POS_00\" 1 2 3 0 0 1\nbone \"Root\"\ntoggle 0x2\n"
                   "wave 0x1 2 0 100 256 0 0 0 0 0 0\nbone \"Child\"\nposition 0 1 0\nend\nend\nend\n");
    SubModel grid = MakeGrid("G", 4, 4);
    SubModelLOD& level = grid.m_levels[0];
    level.m_aszTexture[0] = "tex\\a.tga";
    level.m_aszTexture[1] = "tex\\b.tga";
    level.m_material.m_aStages[1] = {1, 0, 0, -1, 3, 3};
    level.m_material.m_channels = {MaterialChannel{ChannelBits::kOffsetU[0], 2, 0, 0, 128, 0, 0, 0, 0, 0, 0}};
    grid.m_levels.push_back(level);
    grid.m_levels[1].m_fSwitchDistance = 50.0f;
    grid.m_levels[1].m_indices.resize(12);
    grid.m_levels[1].m_material.m_uBlendMode = 9;
    SubModel strip = MakeGrid("K", 1, 1);
    strip.m_uVertexKind = 2, strip.m_uRecordCount = 4;
    strip.m_records.assign(128, 0);
    strip.m_positions.clear();
    model.m_bones[0].m_subModels = {grid, strip};
    return model;
}

TEST(OptModelStreamTest, WrittenAndReadBackDrawsTheSame)
{
    SModel source = RoundTripSource();
    std::unique_ptr<OptModel> built = BuildOptModel(source);
    built->m_bones[0].m_pTrack = std::make_unique<OptKeyTrack>(), built->m_bones[0].m_pTrack->m_uTicksPerFrame = 4;
    built->m_bones[0].m_pTrack->m_keys = {{1, 2, 3, 4, 5, 6, 7}, {-1, -2, 32767, -32768, 0, 0, 1}};
    built->m_bones[0].m_pTrack->m_uEndValue = 9;
    const std::vector<uint8_t> bytes = tmtool::WriteOptModel(*built);
    const std::unique_ptr<OptModel> read = ReadOptModel(bytes.data(), bytes.size(), Plain());
    ASSERT_TRUE(read != nullptr && tmtool::WriteOptModel(*read).size() == bytes.size());

    // the source's radius.
    EXPECT_TRUE(read->m_bounds.m_af == built->m_bounds.m_af && built->m_bounds.m_af[10] == 1.0f &&
                read->m_table == (std::vector<uint32_t>{7, 8}));
    ASSERT_NE(read->FindLocator("cam_pos_00"), nullptr);
    EXPECT_TRUE(read->m_attachments[0].m_uValue == 6 && read->FindLocator("cam_pos_00")->m_position.z == 3.0f &&
                read->m_links[0].m_name == "Rope" && read->m_links[0].m_uFlagA == 1);

    const OptBone& root = read->m_bones[0];
    ASSERT_TRUE(root.GetWaves() && root.m_pTrack);
    EXPECT_TRUE(root.m_uFlags == built->m_bones[0].m_uFlags && root.GetToggleBit() == 2 &&
                root.GetWaves()[0].uFrequency1 == 100);
    EXPECT_TRUE(root.m_pTrack->m_keys == built->m_bones[0].m_pTrack->m_keys &&
                (root.m_pTrack->m_uTicksPerFrame == 4 && root.m_pTrack->m_uEndValue == 9));
    EXPECT_NE(tmtool::DumpOptModelText(*read).find("    level 50 vertices 25 triangles 4 sort 16 parts"),
              std::string::npos);
    EXPECT_NE(tmtool::DumpOptModelText(*read).find("bone \"Root\" flags 0x1C toggle 0x2 waves 1 track 2\n"),
              std::string::npos);
    EXPECT_EQ(root.m_children[0].m_position.y, 1.0f);

    ASSERT_EQ(root.m_meshes.size(), 2u);
    const OptMesh& a = built->m_bones[0].m_meshes[0];
    const OptMesh& b = root.m_meshes[0];
    // The vertex range is registered anew by the model manager; textures are not loaded here.
    EXPECT_TRUE(b.m_uVertexCount == 25 && b.m_uVertexHandle == 0xFFFFFFFF && b.m_fFarDistance == kOptNoFarDistance);
    for (uint32_t i = 0; i < b.m_uVertexCount; ++i)
        EXPECT_TRUE(b.m_positions[i].x == a.m_positions[i].x && b.m_normals[i].z == a.m_normals[i].z &&
                    b.m_vertices[i].m_fV == a.m_vertices[i].m_fV)
            << i;
    ASSERT_EQ(b.m_levels.size(), 2u);
    for (size_t l = 0; l < 2; ++l)
    {
        const OptMeshLOD& x = a.m_levels[l];
        const OptMeshLOD& y = b.m_levels[l];
        EXPECT_EQ(Triangles(y.m_indices), Triangles(x.m_indices)) << l;
        EXPECT_EQ(
            std::tie(y.m_parts.m_iStateSet, y.m_parts.m_iTextureTransformSet, y.m_parts.m_iLightingSet, y.m_uSortClass),
            std::tie(x.m_parts.m_iStateSet, x.m_parts.m_iTextureTransformSet, x.m_parts.m_iLightingSet, x.m_uSortClass))
            << l;
    }
    EXPECT_TRUE(b.m_afLevelDistance[1] == 50.0f && b.m_levels[0].m_aszTexture[1] == "tex\\b.tga" &&
                b.m_levels[0].m_aiTexture[0] == 0);
    EXPECT_TRUE(root.m_meshes[1].m_uKind == 2 && root.m_meshes[1].m_records.size() == 128);
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
        ASSERT_TRUE(ReadOptModel(fresh.data(), cut, Plain()) == nullptr && g_ChannelStore.GetCount() == counts[0] &&
                    g_LightingSetTable.GetCount() == counts[1])
            << cut;
    }
    ASSERT_TRUE(ReadOptModel(fresh.data(), fresh.size(), Plain()) != nullptr &&
                g_ChannelStore.GetCount() == counts[0] + 1 && g_LightingSetTable.GetCount() == counts[1] + 1);
    // With room for one more record, a stream with two new runs is refused and the first run taken back.
    texturetest::Put32(fresh, wave + 4, 0xD432DB01);
    texturetest::Put32(fresh, state + 20 + 4, 0xD433DB01);
    std::vector<MaterialChannel> filler(ChannelStore::kCapacity - 1 - g_ChannelStore.GetCount());
    for (size_t i = 0; i < filler.size(); ++i)
        filler[i].uTarget = 0xABC00000u + static_cast<uint32_t>(i);
    const uint32_t before = g_ChannelStore.GetCount();
    ASSERT_TRUE(g_ChannelStore.Store(filler.data(), static_cast<uint32_t>(filler.size())) >= 0 &&
                ReadOptModel(fresh.data(), fresh.size(), Plain()) == nullptr &&
                g_ChannelStore.GetCount() == ChannelStore::kCapacity - 1);
    g_ChannelStore.Truncate(before);
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(ReadOptModel(longer.data(), longer.size(), Plain()), nullptr);
    // Bytes (width 1) and words (4) patched in: an unknown bone flag, mesh kind 4, six levels, each state-set code
    // one past its table (its last code is taken), texture-transform coordinate kind 4, an index past the
    // vertices; index counts that are not whole triangles or too many, a huge bone count, a level vertex count past
    // the mesh's; bounds and an attachment point that are not numbers (back from the end: a link, a locator and an
    // attachment with their counts, the table of two values, the frame count and the bounds).
    const size_t bounds = bytes.size() - (96 + 4) - (56 + 4) - (24 + 4) - (8 + 8) - 4 - 44;
    const std::tuple<size_t, uint32_t, int, bool> patches[] = {{bone, 0x21, 1, false},
                                                               {mesh + 24, 4, 1, false},
                                                               {mesh + 27, 6, 1, false},
                                                               {state + 5, 9, 1, false},
                                                               {state + 5, 8, 1, true},
                                                               {state + 6, 6, 1, false},
                                                               {state + 6, 5, 1, true},
                                                               {state + 9, 10, 1, false},
                                                               {state + 9, 9, 1, true},
                                                               {state + 10, 8, 1, false},
                                                               {state + 10, 7, 1, true},
                                                               {state + 2, 7, 1, false},
                                                               {state + 2, 6, 1, true},
                                                               {state + 14, 4, 1, false},
                                                               {state + 14, 3, 1, true},
                                                               {state + 17, 4, 1, false},
                                                               {state + 17, 3, 1, true},
                                                               {level + 16, 0x63, 1, false},
                                                               {level + 8, 7, 4, false},
                                                               {level + 8, 0xFFFFFFFF, 4, false},
                                                               {8, 0x7FFFFFFF, 4, false},
                                                               {level + 4, 26, 4, false},
                                                               {bounds + 40, 0x7FC00000, 4, false},
                                                               {bounds, 0xFF800000, 4, false},
                                                               {bounds + 44 + 4 + 16 + 4, 0x7F800000, 4, false}};
    for (const auto& [at, value, width, taken] : patches)
    {
        std::vector<uint8_t> patched = bytes;
        if (width == 1)
            patched[at] = static_cast<uint8_t>(value);
        else
            texturetest::Put32(patched, at, value);
        EXPECT_EQ(ReadOptModel(patched.data(), patched.size(), Plain()) != nullptr, taken) << at << " " << value;
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
    ASSERT_TRUE(read != nullptr && read->m_bones[0].m_meshes[0].m_fFarDistance == 999999.0f);
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
    ASSERT_TRUE(opt != nullptr && g_ModelManager.GetModel(handle) == nullptr);
    const OptMesh& big = opt->m_bones[0].m_meshes[0];
    const int32_t slot = big.m_levels[0].m_aiTexture[0];
    ASSERT_GT(slot, 0);
    // Drawing reads the shared buffers; picking keeps level 0's positions and indices.
    EXPECT_TRUE((big.m_normals.empty() && big.m_vertices.empty()) && big.m_positions.size() == 90u &&
                big.m_levels[0].m_indices.size() == 9u * 8 * 6);
    const MeshRecord* record = g_MeshManager.GetMesh(big.m_uVertexHandle);
    ASSERT_TRUE(record != nullptr && record->m_uVertexCount == 90u &&
                big.m_levels[0].m_uIndexHandle == big.m_uVertexHandle);
    const TexturePlacement page = g_TextureManager.GetPlacement(static_cast<uint32_t>(slot));
    const auto* v = static_cast<const LitTexVertex*>(Renderer().LockMeshVertices(big.m_uVertexHandle, 90));
    ASSERT_NE(v, nullptr);
    EXPECT_FLOAT_EQ(v[11].u, 1.0f * page.m_fUScale + page.m_fUOffset); // vertex (1, 1) of a 10-wide grid
    EXPECT_FLOAT_EQ(v[11].v, 1.0f * page.m_fVScale + page.m_fVOffset);
    Renderer().UnlockMeshVertices();

    const OptMesh& small = opt->m_bones[0].m_meshes[1];
    // no texture: coordinates as they were.
    EXPECT_TRUE(small.m_uVertexHandle == 0u && small.m_vertices.size() == 80u && small.m_vertices[9].m_fU == 0.0f &&
                small.m_levels[0].m_indices.size() == 3u);

    // Without the optimised form nothing is registered and the coordinates stay.
    Start(false);
    const OptModel* plain = g_ModelManager.GetOptModel(g_ModelManager.Load("model.opt"));
    ASSERT_TRUE(plain != nullptr && plain->m_bones[0].m_meshes[0].m_uVertexHandle == 0u &&
                plain->m_bones[0].m_meshes[0].m_vertices[11].m_fU == 1.0f);
}

} // namespace
