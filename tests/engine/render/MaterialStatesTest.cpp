// Tests of the built-in materials' state sets, the states UseMaterial writes on the recording device, and the
// crossfade list.
#include "RenderTestSupport.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"

#include <array>
#include <cstring>
#include <tuple>

namespace
{

using platform::RenderState;
using platform::TextureStageState;
using Arg = platform::TextureArg;
using Tex = platform::TextureOp;
using Filter = platform::TextureFilter;

// The renderer on the recording device with the built-in materials built.
class MaterialStatesTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        g_MaterialTable.BuildDefaults();
        CreateRenderer();
    }
    void TearDown() override
    {
        g_MaterialTable.FreeAnimators();
        RecordingTest::TearDown();
    }

    size_t StateWrites() const
    {
        return Device()->CountOps(platform::RecordingDevice::Op::SetRenderState) +
               Device()->CountOps(platform::RecordingDevice::Op::SetTextureStageState);
    }
    // The device holds the value, and it was written at most once since the log was cleared.
    void ExpectRender(RenderState state, uint32_t value) const
    {
        uint32_t held = ~value;
        Device()->GetRenderState(state, &held);
        EXPECT_EQ(held, value) << "render state " << static_cast<int>(state);
        EXPECT_LE(Device()->RenderStateWritesOf(state).size(), 1u) << "render state " << static_cast<int>(state);
    }
    void ExpectStage(uint32_t stage, TextureStageState state, uint32_t value) const
    {
        uint32_t held = ~value;
        Device()->GetTextureStageState(stage, state, &held);
        EXPECT_EQ(held, value) << "stage " << stage << " state " << static_cast<int>(state);
        EXPECT_LE(Device()->StageStateWritesOf(stage, state).size(), 1u) << "stage " << stage;
    }
    // Stage 0's colour operation with its first argument, and its alpha operation with its first argument.
    void ExpectStageOps(uint32_t colourOp, uint32_t colour1, uint32_t alphaOp, uint32_t alpha1) const
    {
        ExpectStage(0, TextureStageState::ColourOp, colourOp);
        ExpectStage(0, TextureStageState::ColourArg1, colour1);
        ExpectStage(0, TextureStageState::AlphaOp, alphaOp);
        ExpectStage(0, TextureStageState::AlphaArg1, alpha1);
    }
};

// Materials 1 (the default) and 2 (point sampled): texture times vertex colour, stage 1 off, alpha blending, depth
// less-or-equal with depth write, no alpha test; the mip filter is point, or linear with filtering on.
TEST_F(MaterialStatesTest, ScreenMaterialsWriteTheirStatesOnceAndNotAgain)
{
    const struct
    {
        int32_t material;
        bool filter;
        uint32_t minMag, mip;
    } cases[] = {{2, false, Filter::Point, Filter::Point}, {1, true, Filter::Linear, Filter::Linear}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.material);
        renderer->SetQuality(c.filter, 2);
        renderer->ResetRenderStates();
        renderer->BeginScene(0.0f, 0); // clears the frame statistics
        Device()->ClearLog();
        renderer->UseMaterial(c.material, 7, -1, false);
        ExpectStageOps(Tex::Modulate, Arg::Texture, Tex::Modulate, Arg::Texture);
        ExpectStage(0, TextureStageState::ColourArg2, Arg::Diffuse);
        ExpectStage(1, TextureStageState::ColourOp, Tex::Disable);
        ExpectStage(0, TextureStageState::MinFilter, c.minMag);
        ExpectStage(0, TextureStageState::MagFilter, c.minMag);
        ExpectStage(1, TextureStageState::MipFilter, c.mip);
        ExpectStage(0, TextureStageState::MipMapLodBias, platform::FloatBits(-0.6f));
        ExpectRender(RenderState::DestBlend, platform::BlendFactor::InvSrcAlpha);
        ExpectRender(RenderState::ZFunc, platform::CompareFunc::LessEqual);
        ExpectRender(RenderState::ZWriteEnable, 1);
        ExpectRender(RenderState::AlphaTestEnable, 0);

        // Used again after a new scene forgot the remembered parts: the states are right, none written.
        renderer->EndFrame();
        renderer->BeginScene(0.0f, 0);
        Device()->ClearLog();
        renderer->UseMaterial(c.material, 7, -1, false);
        EXPECT_EQ(StateWrites(), 0u);
        EXPECT_EQ(renderer->GetStats(0).Get(RenderStats::StateSetChanges), 1u);
        renderer->EndFrame();
    }
    // Material 29 shares material 1's state set; from there, material 2 writes only its two filters.
    renderer->UseMaterial(1, 3, -1, false);
    EXPECT_EQ(g_MaterialTable.GetParts(29).m_iStateSet, g_MaterialTable.GetParts(1).m_iStateSet);
    Device()->ClearLog();
    renderer->UseMaterial(2, 3, -1, false);
    EXPECT_EQ(StateWrites(), 2u);
}

// Numbers the table does not hold (outside 0-254, or never built like 0 and 14) have no parts and change nothing;
// wireframe mode draws every material with entry 26's states (untextured vertex colour, opaque, no depth write).
TEST_F(MaterialStatesTest, UnknownNumbersChangeNothingAndWireframeUsesEntry26)
{
    for (int32_t number : {-1, 14, 255})
    {
        renderer->UseMaterial(number, -1, -1, false);
        EXPECT_EQ(Device()->CountOps(platform::RecordingDevice::Op::SetTextureStageState), 0u) << number;
    }

    renderer->SetWireframe(0, true);
    renderer->UseMaterial(1, 3, -1, false);
    // Opaque without alpha test, the alpha nobody reads is canonically the texture's.
    ExpectStageOps(Tex::SelectArg1, Arg::Diffuse, Tex::SelectArg1, Arg::Texture);
    ExpectRender(RenderState::AlphaBlendEnable, 0);
    ExpectRender(RenderState::ZWriteEnable, 0);
    EXPECT_EQ(renderer->GetRememberedStateSet(), g_MaterialTable.GetParts(26).m_iStateSet);
}

// Generated coordinates (reflection on stage 0, normal on stage 1) with material quality 2, and with quality 0,
// where they are off and stage 1 with them.
TEST_F(MaterialStatesTest, GeneratedCoordinatesNeedMaterialQuality)
{
    StateSet set{};
    set.m_uDepthCompare = 3;
    set.m_uColourOp0 = set.m_uAlphaOp0 = 2;
    set.m_uColourOp1 = set.m_uAlphaOp1 = 3;
    set.m_uCoordKind0 = 2;
    set.m_uCoordKind1 = 3;
    const int32_t number = g_StateSetTable.Intern(set);
    for (uint32_t quality : {2u, 0u})
    {
        SCOPED_TRACE(quality);
        renderer->SetQuality(false, quality);
        renderer->ResetRenderStates();
        Device()->ClearLog();
        renderer->SetTexCoordSet(number);
        const bool on = quality > 0;
        ExpectStage(0, TextureStageState::TexCoordIndex,
                    on ? uint32_t{platform::TexCoordGen::CameraSpaceReflectionVector} : 0u);
        ExpectStage(1, TextureStageState::TexCoordIndex, on ? uint32_t{platform::TexCoordGen::CameraSpaceNormal} : 0u);
        ExpectStage(1, TextureStageState::ColourOp, on ? Tex::Modulate : Tex::Disable);
    }
}

// The state sets of built-in rows and of hand-made descriptions, worked out from the material rules: no alpha
// test clears the reference; opaque blends without alpha test drop alpha operations nobody reads; a stage 1
// without operations is no stage; additive blends never write depth; mip biases are cleared; meaningless values
// are taken as the defaults.
TEST(MaterialStateSets, AreNormalisedAndCanonical)
{
    using Bytes = std::array<uint8_t, 16>;
    auto bytes = [](const StateSet& s)
    {
        Bytes b;
        std::memcpy(b.data(), &s, 16);
        return b;
    };
    g_MaterialTable.BuildDefaults();
    // blend, ref, depth, flags, sampling0, colour0, alpha0, bias0, sampling1, colour1, alpha1, bias1, 0, 0, kinds
    const struct
    {
        int32_t material;
        Bytes expected;
    } rows[] = {
        {1, {4, 0, 1, 1, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {5, {0, 0, 1, 1, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {8, {9, 0, 1, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {16, {4, 100, 1, 3, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {12, {0, 90, 1, 3, 0, 8, 0, 0, 0, 6, 1, 0, 0, 0, 1, 1}},
    };
    for (const auto& r : rows)
    {
        const StateSet* set = g_StateSetTable.Get(g_MaterialTable.GetParts(r.material).m_iStateSet);
        ASSERT_NE(set, nullptr) << r.material;
        EXPECT_EQ(bytes(*set), r.expected) << "material " << r.material;
    }
    EXPECT_EQ(g_MaterialTable.GetMaterial(12)->m_channels.size(), 6u);

    // A description as the renderer sees it once normalised.
    const auto MakeStateSet = [](const MaterialDescription& description)
    {
        SMaterial m;
        static_cast<MaterialFields&>(m) = description.m_material;
        NormaliseMaterial(&m);
        return ::MakeStateSet(m);
    };
    MaterialDescription d;
    d.m_material.m_aStages[0] = {0, 1, 3, -1, 2, 2}; // no texture: no sampling and no stage 1
    d.m_material.m_aStages[1] = {1, 1, 0, 5, 3, 3};
    EXPECT_EQ(bytes(MakeStateSet(d)), (Bytes{4, 0, 1, 1, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    d = MaterialDescription{}; // reflection and normal maps; depth compare and operations beyond the tables
    d.m_material.m_aStages[0] = {5, 0, 0, -1, 12, 9};
    d.m_material.m_aStages[1] = {6, 0, 0, -1, 3, 3};
    d.m_material.m_uDepthCompare = 9;
    d.m_material.m_uDepthAlphaFlags = 3;
    EXPECT_EQ(bytes(MakeStateSet(d)), (Bytes{4, 127, 1, 3, 0, 2, 2, 0, 0, 3, 3, 0, 0, 0, 2, 3}));
    d.m_material.m_aStages[1].m_uColourOp = 10;
    EXPECT_EQ(MakeStateSet(d).m_uColourOp1, 0u);

    const uint32_t count = g_StateSetTable.GetCount();
    g_MaterialTable.BuildDefaults(); // building again interns nothing new
    EXPECT_EQ(g_StateSetTable.GetCount(), count);
    g_MaterialTable.FreeAnimators();
}

// Two 2 x 2 images, A above B: the blend is A x t + B x (1 - t), each product rounded; changes below 0.05 are
// ignored; two halves rounding up stay at 255.
TEST(CrossfadeListTest, BlendsFollowTheFactorAndRecordsComeAndGo)
{
    CrossfadeList list;
    auto images = [](uint8_t a, uint8_t b)
    {
        auto p = std::make_unique<uint8_t[]>(32);
        std::memset(p.get(), a, 16);
        std::memset(p.get() + 16, b, 16);
        return p;
    };
    list.Add("DAY", images(200, 40), 2, 2, 0, 4);
    list.Add("WHITE", images(255, 255), 2, 2, 0, 4);
    list.Add("WIDE", images(1, 1), 2, 2, 0, 3); // only 4 bytes per pixel are understood
    EXPECT_EQ(list.GetCount(), 2u);
    const CrossfadeRecord* day = list.Find("DAY");
    ASSERT_NE(day, nullptr);

    const std::tuple<float, float, uint8_t> steps[] = {{0.5f, 0.5f, 120},   // 100 + 20
                                                       {0.54f, 0.5f, 120},  // too small a change
                                                       {0.55f, 0.55f, 128}, // 110 + 18
                                                       {0.0f, 0.0f, 40}};
    for (const auto& [t, last, value] : steps)
    {
        list.SetFactor(t);
        EXPECT_EQ(day->m_fLastFactor, last) << t;
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(day->m_pBlend[i], value) << t;
    }
    list.SetFactor(0.5f);
    EXPECT_EQ(list.Find("WHITE")->m_pBlend[5], 255u); // 127.5 + 127.5 round to 256

    list.Remove("NONE");
    list.Remove("DAY");
    EXPECT_TRUE(list.GetCount() == 1 && list.Find("DAY") == nullptr);
}

} // namespace
