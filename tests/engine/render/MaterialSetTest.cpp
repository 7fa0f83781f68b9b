// Tests of the material operations on the recording device: the states each built-in material writes (each once),
// unknown numbers, wireframe, generated coordinates, the built-in and hand-made state sets, whole
// materials (SetMaterial) writing only what changed, their lighting, texture stages and matrices, lighting sets,
// animated texture matrices over time, the shadow pass and its stencil, the highlight, the material table's
// texture fields, and the crossfade list.
#include "TextureTestFiles.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialStates.h"
#include "engine/render/MaterialTable.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <tuple>

namespace
{

using platform::RenderState;
using platform::TextureStageState;
using Arg = platform::TextureArg;
using Blend = platform::BlendFactor;
using Cmp = platform::CompareFunc;
using Op = platform::RecordingDevice::Op;
using Tex = platform::TextureOp;
using Filter = platform::TextureFilter;

// The graphics manager (with its built-in materials) and the texture manager on the recording device, a scene
// open at frame time 0, the device log empty.
class MaterialSetTest : public texturetest::TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        Renderer().BeginScene(0.0f, 0);
        Dev()->ClearLog();
    }
    void TearDown() override
    {
        Renderer().EndFrame();
        TextureTest::TearDown();
    }

    platform::RecordingDevice* Dev() { return static_cast<platform::RecordingDevice*>(Renderer().GetDevice()); }
    uint32_t Render(RenderState state)
    {
        uint32_t value = 0xDEADBEEF;
        Dev()->GetRenderState(state, &value);
        return value;
    }
    uint32_t Stage(uint32_t stage, TextureStageState state)
    {
        uint32_t value = 0xDEADBEEF;
        Dev()->GetTextureStageState(stage, state, &value);
        return value;
    }
    platform::MaterialDesc DeviceMaterial()
    {
        platform::MaterialDesc m;
        Dev()->GetMaterial(&m);
        return m;
    }
    platform::Matrix TextureMatrix(uint32_t stage)
    {
        platform::Matrix m = {};
        Dev()->GetTransform(platform::TextureTransformOf(stage), &m);
        return m;
    }
    size_t StateWrites() { return Dev()->CountOps(Op::SetRenderState) + Dev()->CountOps(Op::SetTextureStageState); }
    // The device's values of render states, and of (stage, state) pairs, in the order asked.
    std::vector<uint32_t> Renders(std::initializer_list<RenderState> states)
    {
        std::vector<uint32_t> out;
        for (RenderState state : states)
            out.push_back(Render(state));
        return out;
    }
    // No state written twice since the log was cleared.
    void ExpectWrittenOnce()
    {
        std::set<std::pair<uint32_t, uint32_t>> seen;
        for (const auto& w : Dev()->renderStateWrites)
            EXPECT_TRUE(seen.insert({99, static_cast<uint32_t>(w.state)}).second) << static_cast<int>(w.state);
        for (const auto& w : Dev()->stageStateWrites)
            EXPECT_TRUE(seen.insert({w.stage, 100 + static_cast<uint32_t>(w.state)}).second) << w.stage;
    }
    std::vector<uint32_t> Stages(std::initializer_list<std::pair<uint32_t, TextureStageState>> states)
    {
        std::vector<uint32_t> out;
        for (const auto& [stage, state] : states)
            out.push_back(Stage(stage, state));
        return out;
    }
    // A texture on a shared page, so that its page rectangle is a part of the page.
    uint32_t SharedTexture(const char* path, uint32_t side)
    {
        texturetest::DDTSpec spec;
        spec.ownPage = 0, spec.width = spec.height = side;
        Write(path, texturetest::MakeDDT(spec, texturetest::ChainPixels(side, side, {0xFF808080})));
        return g_TextureManager.Load(path, true, false);
    }
};

void ExpectNear(std::initializer_list<float> actual, std::initializer_list<float> expected, float tolerance = 1e-6f)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual.begin()[i], expected.begin()[i], tolerance) << "value " << i;
}

// u, v through a texture matrix for two-component coordinates (translation in the third row).
platform::Vec2 Apply(const platform::Matrix& m, float u, float v)
{
    return {u * m.m[0][0] + v * m.m[1][0] + m.m[2][0], u * m.m[0][1] + v * m.m[1][1] + m.m[2][1]};
}

// The saw wave of a channel by hand: s = t x 4096 / 50, index = (frequency x s + (phase << 16)) >> 12 mod 4096,
// table entry 2 i / 4095 - 1, value (entry x amplitude + offset) / 256.
float SawAt(uint32_t t, uint32_t frequency, float amplitude)
{
    const uint32_t s = t * 4096u / 50u;
    const uint32_t index = ((frequency * s) >> 12) % 4096u;
    const float entry = static_cast<float>(index) * 0.00024420026f * 2.0f - 1.0f;
    return entry * amplitude;
}

// Materials 1 (the default) and 2 (point sampled): texture times vertex colour, stage 1 off, alpha blending, depth
// less-or-equal with depth write, no alpha test; the mip filter is point, or linear with filtering on. Each state
// is written once, and not again when the material is used again after a new scene forgot the remembered parts.
TEST_F(MaterialSetTest, ScreenMaterialsWriteTheirStatesOnceAndNotAgain)
{
    D3DRenderer& r = Renderer();
    using S = TextureStageState;
    for (const auto& [material, filter, minMag, mip] :
         {std::tuple{2, false, Filter::Point, Filter::Point}, std::tuple{1, true, Filter::Linear, Filter::Linear}})
    {
        SCOPED_TRACE(material);
        r.EndFrame();
        r.SetQuality(filter, 2);
        r.ResetRenderStates();
        r.BeginScene(0.0f, 0); // clears the frame statistics
        Dev()->ClearLog();
        r.UseMaterial(material, 7, -1, false);
        EXPECT_EQ(Stages({{0, S::ColourOp},
                          {0, S::ColourArg1},
                          {0, S::AlphaOp},
                          {0, S::AlphaArg1},
                          {0, S::ColourArg2},
                          {1, S::ColourOp},
                          {0, S::MinFilter},
                          {0, S::MagFilter},
                          {1, S::MipFilter},
                          {0, S::MipMapLodBias}}),
                  (std::vector<uint32_t>{Tex::Modulate, Arg::Texture, Tex::Modulate, Arg::Texture, Arg::Diffuse,
                                         Tex::Disable, minMag, minMag, mip, platform::FloatBits(-0.6f)}));
        EXPECT_EQ(Renders({RenderState::DestBlend, RenderState::ZFunc, RenderState::ZWriteEnable,
                           RenderState::AlphaTestEnable}),
                  (std::vector<uint32_t>{Blend::InvSrcAlpha, Cmp::LessEqual, 1, 0}));
        ExpectWrittenOnce();
        r.EndFrame();
        r.BeginScene(0.0f, 0);
        Dev()->ClearLog();
        r.UseMaterial(material, 7, -1, false);
        EXPECT_TRUE(StateWrites() == 0 && r.GetStats(0).Get(RenderStats::StateSetChanges) == 1);
    }
    // Material 29 shares material 1's state set; from there, material 2 writes only its two filters.
    r.UseMaterial(1, 3, -1, false);
    EXPECT_EQ(g_MaterialTable.GetParts(29).m_iStateSet, g_MaterialTable.GetParts(1).m_iStateSet);
    Dev()->ClearLog();
    r.UseMaterial(2, 3, -1, false);
    EXPECT_EQ(StateWrites(), 2u);

    // Numbers the table does not hold (outside 0-254, or never built like 0 and 14) have no parts and change nothing;
    // wireframe mode draws every material with entry 26's states (untextured vertex colour, opaque, no depth write;
    // opaque without alpha test, the alpha nobody reads is canonically the texture's).
    Dev()->ClearLog();
    for (int32_t number : {-1, 14, 255})
    {
        Renderer().UseMaterial(number, -1, -1, false);
        EXPECT_EQ(Dev()->CountOps(Op::SetTextureStageState), 0u) << number;
    }
    Renderer().SetWireframe(0, true);
    Renderer().UseMaterial(1, 3, -1, false);
    using S = TextureStageState;
    EXPECT_EQ(Stages({{0, S::ColourOp}, {0, S::ColourArg1}, {0, S::AlphaOp}, {0, S::AlphaArg1}}),
              (std::vector<uint32_t>{Tex::SelectArg1, Arg::Diffuse, Tex::SelectArg1, Arg::Texture}));
    EXPECT_EQ(Renders({RenderState::AlphaBlendEnable, RenderState::ZWriteEnable}), (std::vector<uint32_t>{0, 0}));
    ExpectWrittenOnce();
    EXPECT_EQ(Renderer().GetRememberedStateSet(), g_MaterialTable.GetParts(26).m_iStateSet);
    Renderer().SetWireframe(0, false);
}

// Built-in rows that take each path from fields to states, worked out from their fields: stage 0's operations (an
// opaque blend without alpha test takes the texture's alpha, operation 8 takes the texture alone and has stage 2
// bring the vertex colour back), stage 1's, depth, alpha test and the blend factors of its blend mode.
TEST_F(MaterialSetTest, BuiltInRowsWriteTheStatesTheirFieldsAskFor)
{
    const struct
    {
        int32_t number;
        uint32_t colourOp0, colourArg0, alphaOp0, alphaArg0, colourOp1, alphaOp1, colourOp2;
        uint32_t zFunc, zWrite, alphaTest, alphaRef, blend, src, dest;
    } rows[] = {
        {3, Tex::SelectArg1, Arg::Diffuse, Tex::SelectArg1, Arg::Diffuse, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::Always, 1, 0, 0, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {4, Tex::Modulate, Arg::Texture, Tex::Modulate, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 1, 1, 127, 0, Blend::One, Blend::Zero},
        {5, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 1, 0, 0, 0, Blend::One, Blend::Zero},
        {8, Tex::Modulate, Arg::Texture, Tex::Modulate, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 1, Blend::SrcAlpha, Blend::One},
        {12, Tex::SelectArg1, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::AddSigned, Tex::SelectArg1,
         Tex::Modulate, Cmp::LessEqual, 1, 1, 90, 0, Blend::One, Blend::Zero},
        {19, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::Modulate, Tex::SelectArg1, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 1, Blend::One, Blend::One},
        {20, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Diffuse, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 1, Blend::DestColour, Blend::One},
        {26, Tex::SelectArg1, Arg::Diffuse, Tex::SelectArg1, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 0, Blend::One, Blend::Zero},
        {22, Tex::SelectArg1, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::BlendTextureAlpha, Tex::SelectArg1,
         Tex::Modulate, Cmp::LessEqual, 1, 0, 0, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {23, Tex::AddSigned, Arg::Texture, Tex::SelectArg1, Arg::Diffuse, Tex::AddSigned, Tex::SelectArg1, Tex::Disable,
         Cmp::LessEqual, 1, 0, 0, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {24, Tex::Add, Arg::Texture, Tex::Modulate, Arg::Texture, Tex::Add, Tex::Modulate, Tex::Disable, Cmp::LessEqual,
         1, 1, 127, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
    };
    for (const auto& r : rows)
    {
        SCOPED_TRACE(r.number);
        Renderer().ResetRenderStates();
        Renderer().UseMaterial(r.number, -1, -1, true);
        using S = TextureStageState;
        EXPECT_EQ(Stages({{0, S::ColourOp}, {0, S::ColourArg1}, {0, S::AlphaOp}, {0, S::AlphaArg1}, {1, S::ColourOp}}),
                  (std::vector<uint32_t>{r.colourOp0, r.colourArg0, r.alphaOp0, r.alphaArg0, r.colourOp1}));
        if (r.colourOp1 != Tex::Disable)
        {
            EXPECT_EQ(Stages({{1, S::AlphaOp}, {2, S::ColourOp}}), (std::vector<uint32_t>{r.alphaOp1, r.colourOp2}));
        }
        EXPECT_EQ(Renders({RenderState::ZFunc, RenderState::ZWriteEnable, RenderState::AlphaTestEnable,
                           RenderState::AlphaBlendEnable, RenderState::SrcBlend, RenderState::DestBlend,
                           RenderState::Lighting}),
                  (std::vector<uint32_t>{r.zFunc, r.zWrite, r.alphaTest, r.blend, r.src, r.dest, 1}));
        if (r.alphaTest)
        {
            EXPECT_EQ(Renders({RenderState::AlphaRef, RenderState::AlphaFunc}),
                      (std::vector<uint32_t>{r.alphaRef, Cmp::Greater}));
        }
    }
}

// A whole material: applied once while it stays the remembered one; the next material writes only the states in
// which the two differ; the device material from its colours; specular only with material quality 2.
TEST_F(MaterialSetTest, SetMaterialWritesOnlyWhatChanged)
{
    SMaterial a;
    a.m_uDiffuse = 0xFF804020, a.m_uSelfIllumination = 0x00102030, a.m_uSpecular = 0x00FFFFFF;
    a.m_fSpecularPower = 10.0f, a.m_aStages[0].m_uTextureMode = 0;
    MaterialChannel red{};
    red.uTarget = ChannelBits::kDiffuseRed, red.uShapeOp = 1;
    red.iOffset1 = 64; // a constant 0.25
    a.m_channels = {red};
    D3DRenderer& r = Renderer();
    r.SetLight(0xFF808080, 0xFFFFFFFF, 0, {0, -1, 0}, 0x20000000);
    SMaterial textured;
    textured.m_aStages[0].m_iTexture = static_cast<int32_t>(SharedTexture("bound.ddt", 8));
    r.SetMaterial(&textured, true);
    ASSERT_GT(r.GetBoundTexture(0), 0);
    r.SetMaterial(&a, true);
    EXPECT_EQ(r.GetRememberedMaterial(), &a);
    // Emissive: diffuse x scale (128/255) + self-illumination / 255.
    const platform::MaterialDesc m = DeviceMaterial();
    ExpectNear({m.diffuse.r, m.diffuse.g, m.specular.b, m.power, m.emissive.r, m.emissive.b, m.emissive.a},
               {0.25f, 64.0f / 255.0f, 1.0f, 10.0f, 0.25f * (128.0f / 255.0f) + 16.0f / 255.0f,
                (32.0f / 255.0f) * (128.0f / 255.0f) + 48.0f / 255.0f, 0.0f});
    // The ambient is the ambient light's colour, without the darkness byte.
    EXPECT_EQ(Renders({RenderState::SpecularEnable, RenderState::Ambient, RenderState::ColourVertex,
                       RenderState::StencilEnable}),
              (std::vector<uint32_t>{1, 0, 1, 0}));
    EXPECT_EQ(r.GetBoundTexture(0), -1); // texture mode 0 unbinds stage 0

    Dev()->ClearLog();
    r.SetMaterial(&a, true);
    EXPECT_TRUE(StateWrites() == 0u && Dev()->CountOps(Op::SetMaterial) == 0u);
    SMaterial b = a;
    b.m_uBlendMode = 9; // source alpha, destination one instead of inverse source alpha
    r.SetMaterial(&b, true);
    EXPECT_TRUE(Dev()->RenderStateWritesOf(RenderState::DestBlend) == std::vector<uint32_t>{Blend::One} &&
                StateWrites() == 1u && r.GetStats(0).Get(RenderStats::MaterialChanges) == 3u);
    SMaterial tested = b;
    tested.m_uDepthAlphaFlags = 3, tested.m_uAlphaRef = 77;
    r.SetMaterial(&tested, true);
    EXPECT_EQ(Renders({RenderState::AlphaTestEnable, RenderState::AlphaRef}), (std::vector<uint32_t>{1, 77}));

    r.SetQuality(false, 1);
    r.SetMaterial(&a, true);
    EXPECT_TRUE(Render(RenderState::SpecularEnable) == 0u &&
                (DeviceMaterial().power == 0.0f && DeviceMaterial().specular.r == 0.0f));
    Dev()->ClearLog();
    r.SetMaterial(&b, false);
    EXPECT_TRUE(Render(RenderState::Lighting) == 0u && Dev()->CountOps(Op::SetMaterial) == 0u);

    // Wireframe draws everything with table entry 1, untextured.
    r.SetWireframe(0, true);
    a.m_aStages[0].m_uTextureMode = 1;
    a.m_aStages[0].m_iTexture = static_cast<int32_t>(SharedTexture("t.ddt", 8));
    r.SetMaterial(&a, true);
    EXPECT_TRUE(r.GetRememberedMaterial() == g_MaterialTable.GetMaterial(1) && r.GetRequestedTexture(0) == -1);
    r.SetWireframe(0, false);
}

// A whole material applied again after other drawing changed the device (material-table entries, material parts,
// the shadow pass, or the same material unlit) is applied again: its blending, depth write, alpha test and lighting
// are back, not the states the drawing in between left.
TEST_F(MaterialSetTest, SetMaterialAgainAfterOtherDrawingRestoresItsStates)
{
    D3DRenderer& r = Renderer();
    SMaterial solid; // opaque, depth write, no alpha test, lit, textured
    solid.m_uBlendMode = 0, solid.m_uDepthAlphaFlags = 1, solid.m_aStages[0].m_uTextureMode = 1;
    solid.m_aStages[0].m_iTexture = static_cast<int32_t>(SharedTexture("own.ddt", 8));
    texturetest::DDTSpec own; // a page of its own
    Write("other.ddt", texturetest::MakeDDT(own, texturetest::ChainPixels(8, 8, {0xFF00FF00})));
    const int32_t other = static_cast<int32_t>(g_TextureManager.Load("other.ddt", true, false));
    const int32_t additiveSet = g_MaterialTable.GetParts(8).m_iStateSet; // additive, no depth write
    const TexturedVertex quad[4] = {};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    const struct
    {
        const char* name;
        std::function<void()> between;
    } cases[] = {
        {"an additive table entry", [&] { r.UseMaterial(8, -1, -1, false); }},
        {"an alpha-tested table entry", [&] { r.UseMaterial(16, -1, -1, false); }},
        {"an additive state set", [&] { r.SetTexCoordSet(additiveSet); }},
        {"lighting off", [&] { r.SetLightingSet(-1); }},
        {"the shadow pass", [&] { r.BeginShadowPass(true, false), r.BeginShadowPass(false, false); }},
        {"the same material unlit", [&] { r.SetMaterial(&solid, false); }},
        {"a draw with another texture", [&] { r.DrawPolsTexCol(quad, 4, indices, 6, other, -1); }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        r.ResetRenderStates();
        r.SetMaterial(&solid, true);
        const int32_t ownTexture = r.GetBoundTexture(0);
        ASSERT_GT(ownTexture, 0);
        c.between();
        r.SetMaterial(&solid, true);
        r.ApplyTexturePipes();
        EXPECT_EQ(r.GetBoundTexture(0), ownTexture);
        EXPECT_EQ(Renders({RenderState::AlphaBlendEnable, RenderState::ZWriteEnable, RenderState::AlphaTestEnable,
                           RenderState::Lighting}),
                  (std::vector<uint32_t>{0, 1, 0, 1}));
        EXPECT_EQ(r.GetRememberedMaterial(), &solid);
    }
}

// Texture stages of a whole material: an animated stage 0 gets its channel matrix; stage 1 reads stage 0's
// coordinates out of the first texture's page rectangle and into its own; reflections generate coordinates
// mapped into the middle of the texture's rectangle.
TEST_F(MaterialSetTest, SetMaterialTextureStagesAndMatrices)
{
    const uint32_t first = SharedTexture("first.ddt", 16);
    const uint32_t second = SharedTexture("second.ddt", 32);
    SMaterial m;
    m.m_aStages[0].m_iTexture = static_cast<int32_t>(first);
    m.m_aStages[1] = {1, 1, 0, static_cast<int32_t>(second), 3, 3}; // point sampled
    MaterialChannel offset{};
    offset.uTarget = ChannelBits::kOffsetU[0], offset.uShapeOp = 1;
    offset.iOffset1 = 64; // 0.25
    m.m_channels = {offset};
    D3DRenderer& r = Renderer();
    r.SetMaterial(&m, true);
    EXPECT_TRUE(r.GetBoundTexture(0) == DeviceTextureForSlot(static_cast<int32_t>(first)) &&
                r.GetBoundTexture(1) == DeviceTextureForSlot(static_cast<int32_t>(second)) &&
                TextureMatrix(0).m[2][0] == 0.25f);
    EXPECT_EQ(Stages({{0, TextureStageState::TextureTransformFlags},
                      {1, TextureStageState::TexCoordIndex},
                      {1, TextureStageState::MinFilter},
                      {0, TextureStageState::MinFilter}}),
              (std::vector<uint32_t>{platform::TextureTransform::Count2, 0, platform::TextureFilter::Point,
                                     platform::TextureFilter::Linear}));
    // The first texture's page corners land on the second's.
    float l0, t0, w0, h0, l1, t1, w1, h1;
    g_TextureManager.GetTexCoords(first, &l0, &t0, &w0, &h0);
    g_TextureManager.GetTexCoords(second, &l1, &t1, &w1, &h1);
    ASSERT_TRUE(w0 < 1.0f && (l0 != l1 || t0 != t1));
    const platform::Vec2 corner = Apply(TextureMatrix(1), l0, t0);
    const platform::Vec2 far = Apply(TextureMatrix(1), l0 + w0, t0 + h0);
    ExpectNear({corner.x, corner.y, far.x, far.y}, {l1, t1, l1 + w1, t1 + h1});

    // A reflection on stage 0: camera-space reflection vectors, 0.49 of the rectangle about its middle.
    SMaterial shiny;
    shiny.m_aStages[0] = {5, 0, 0, static_cast<int32_t>(first), 2, 2};
    r.SetMaterial(&shiny, true);
    EXPECT_EQ(Stages({{0, TextureStageState::TexCoordIndex}, {1, TextureStageState::TexCoordIndex}}),
              (std::vector<uint32_t>{platform::TexCoordGen::CameraSpaceReflectionVector, 0}));
    EXPECT_EQ(Render(RenderState::LocalViewer), 1u);
    const platform::Matrix reflection = TextureMatrix(0);
    ExpectNear({reflection.m[0][0], reflection.m[3][0], reflection.m[3][1]},
               {0.49f * w0, l0 + 0.5f * w0, t0 + 0.5f * h0});
}

// Texture-transform sets by their coordinate kinds: reflections map the camera-space vector into the middle of
// the texture's page rectangle on either stage; normals do so only without material quality (they are then drawn
// as reflections), else stage 0 is left alone and stage 1 maps the first texture's page onto the second's; numbers
// the table does not hold write nothing.
TEST_F(MaterialSetTest, TextureTransformSetsByCoordinateKind)
{
    const uint32_t slot = SharedTexture("page.ddt", 16);
    float l, t, w, h;
    g_TextureManager.GetTexCoords(slot, &l, &t, &w, &h);
    D3DRenderer& r = Renderer();
    const std::tuple<uint8_t, uint8_t, uint32_t, bool, bool> cases[] = {
        {2, 2, 2, true, true}, {3, 3, 2, false, true}, {3, 3, 0, true, true}, {0, 0, 2, false, false}};
    int32_t previous = -1;
    for (const auto& [kind0, kind1, quality, written0, written1] : cases)
    {
        SCOPED_TRACE(int(kind0) * 10 + int(quality));
        TextureTransformSet set{};
        set.m_uCoordKind0 = kind0, set.m_uCoordKind1 = kind1;
        const int32_t number = g_TextureTransformSetTable.Intern(set);
        r.SetQuality(false, quality);
        r.ResetRenderStates(); // forgets the remembered set
        Dev()->ClearLog();
        r.SetTextureTransformSet(number, static_cast<int32_t>(slot), kind1 == 0 ? -1 : static_cast<int32_t>(slot));
        EXPECT_EQ(Dev()->CountOps(Op::SetTransform), size_t{written0} + size_t{written1});
        if (written0)
            ExpectNear({TextureMatrix(0).m[0][0], TextureMatrix(0).m[3][1]}, {0.49f * w, t + 0.5f * h});
        previous = number;
    }
    Dev()->ClearLog();
    r.SetTextureTransformSet(previous + 1000, 1, 2); // no such set: nothing written
    EXPECT_EQ(Dev()->CountOps(Op::SetTransform), 0u);

    // Texture matrices of built-in materials over time: material 19 moves its second texture by a saw wave and tiles
    // it four times; material 23 turns its first texture by 1 radian about the corner and moves it.
    {
        D3DRenderer& r = Renderer();
        Write("own.tga", texturetest::MakeTGA(8, 8, std::vector<uint32_t>(64, 0xFFFFFFFF)));
        const uint32_t first = g_TextureManager.Load("own.tga", true, false); // a page of its own: no page rectangle
        ASSERT_NE(first, 0u);
        for (uint32_t t : {50u, 1234u})
        {
            SCOPED_TRACE(t);
            r.EndFrame();
            r.BeginScene(static_cast<float>(t), 0);
            r.UseMaterial(19, static_cast<int32_t>(first), static_cast<int32_t>(first), true);
            // Frequency 0.1 x 0.4 x 4096 = 163 (truncated), amplitude 0.5.
            const float s = SawAt(t, 163, 0.5f);
            const platform::Matrix m = TextureMatrix(1);
            ExpectNear({m.m[2][0], m.m[2][1], m.m[0][0], m.m[1][1], m.m[0][1]}, {s, s, 4, 4, 0}, 1e-5f);

            // Material 23 moves its first texture at frequency 0.3 x 0.4 x 4096 = 491.
            r.UseMaterial(23, -1, -1, true);
            const float moved = SawAt(t, 491, 0.5f);
            const platform::Matrix turn = TextureMatrix(0);
            const float c = std::cos(1.0f);
            const float n = std::sin(1.0f);
            ExpectNear({turn.m[0][0], turn.m[0][1], turn.m[1][0], turn.m[2][0], turn.m[2][1]},
                       {c, n, -n, moved - (c - n), moved - (c + n)}, 1e-5f);
        }
        EXPECT_EQ(r.GetStats(0).Get(RenderStats::TextureTransformChanges), 2u);
    }

    // Generated coordinates (reflection on stage 0, normal on stage 1) with material quality 2, and with quality 0,
    // where they are off and stage 1 with them.
    StateSet set{};
    set.m_uDepthCompare = 3, set.m_uColourOp0 = set.m_uAlphaOp0 = 2, set.m_uColourOp1 = set.m_uAlphaOp1 = 3;
    set.m_uCoordKind0 = 2, set.m_uCoordKind1 = 3;
    const int32_t number = g_StateSetTable.Intern(set);
    for (uint32_t quality : {2u, 0u})
    {
        SCOPED_TRACE(quality);
        Renderer().SetQuality(false, quality);
        Renderer().ResetRenderStates();
        Dev()->ClearLog();
        Renderer().SetTexCoordSet(number);
        const bool on = quality > 0;
        EXPECT_EQ(Stages({{0, TextureStageState::TexCoordIndex},
                          {1, TextureStageState::TexCoordIndex},
                          {1, TextureStageState::ColourOp}}),
                  (std::vector<uint32_t>{on ? platform::TexCoordGen::CameraSpaceReflectionVector : 0u,
                                         on ? platform::TexCoordGen::CameraSpaceNormal : 0u,
                                         on ? Tex::Modulate : Tex::Disable}));
        ExpectWrittenOnce();
    }
}

// A lighting set in the device material: each byte b as (b + b / 16) / 255 (above 1 for 255), the emissive sum
// held at 1; -1 turns lighting off and the next set on again; a set is written once while it stays remembered.
TEST_F(MaterialSetTest, LightingSetsAndTheirMaterial)
{
    LightingSet set{};
    const uint8_t diffuse[4] = {0x40, 0x80, 0xFF, 0xFF};
    std::memcpy(set.m_auDiffuse, diffuse, 4);
    set.m_auSelfIllumination[2] = 0x88, set.m_auSpecular[0] = set.m_auSpecular[1] = set.m_auSpecular[2] = 0x11;
    set.m_fPower = 16.0f;
    const int32_t number = g_LightingSetTable.Intern(set);
    D3DRenderer& r = Renderer();
    r.SetLight(0xFF808080, 0xFFFFFFFF, 0, {0, -1, 0}, 0);
    r.SetLightingSet(-1);
    EXPECT_EQ(Render(RenderState::Lighting), 0u);
    r.SetLightingSet(number);
    EXPECT_EQ(Render(RenderState::Lighting), 1u);
    // Emissive red: 270/255 x 128/255 + 144/255 is above 1.
    const platform::MaterialDesc m = DeviceMaterial();
    ExpectNear({m.diffuse.r, m.diffuse.g, m.diffuse.b, m.specular.g, m.specular.a, m.power, m.emissive.r, m.emissive.g},
               {270.0f / 255.0f, 136.0f / 255.0f, 68.0f / 255.0f, 18.0f / 255.0f, 0.0f, 16.0f, 1.0f,
                (136.0f / 255.0f) * (128.0f / 255.0f)});
    EXPECT_EQ(Render(RenderState::SpecularEnable), 1u);
    Dev()->ClearLog();
    r.SetLightingSet(number);
    EXPECT_TRUE(Dev()->CountOps(Op::SetMaterial) == 0u && r.GetStats(0).Get(RenderStats::LightingChanges) == 1u);

    // Material quality 1: no highlight, switched off at the first set.
    r.SetQuality(false, 1);
    r.SetLightingSet(-1);
    r.SetLightingSet(number);
    EXPECT_TRUE(Render(RenderState::SpecularEnable) == 0 && DeviceMaterial().power == 0.0f);

    // The highlight: the light's diffuse and ambient go dark and the emissive scale pulses 0.5 + 0.2 sin(0.2 t); off
    // restores both, and lighting sets are written again either way.
    {
        D3DRenderer& r = Renderer();
        r.EndFrame();
        r.BeginScene(5.0f, 0);
        r.SetLight(0xFF404040, 0xFFFFFFFF, 0, {0, -1, 0}, 0x00202020);
        LightingSet set{};
        std::memset(set.m_auDiffuse, 0xFF, 4);
        const int32_t number = g_LightingSetTable.Intern(set);
        r.SetLightingSet(number);
        r.SetHighlight(true);
        platform::LightDesc light;
        Dev()->GetLight(0, &light);
        EXPECT_TRUE(light.diffuse.r == 0.0f && light.ambient.b == 0.0f);
        const float pulse = 0.5f + 0.2f * std::sin(1.0f);
        EXPECT_FLOAT_EQ(r.GetEmissiveScale()[0], pulse);
        r.SetLightingSet(number);
        EXPECT_FLOAT_EQ(DeviceMaterial().emissive.r, std::min(1.0f, 270.0f / 255.0f * pulse));
        r.SetHighlight(false);
        Dev()->GetLight(0, &light);
        EXPECT_EQ(light.diffuse.r, 1.0f);
        EXPECT_FLOAT_EQ(r.GetEmissiveScale()[0], 64.0f / 255.0f);
        r.SetLightingSet(number);
        EXPECT_FLOAT_EQ(DeviceMaterial().emissive.r, 270.0f / 255.0f * (64.0f / 255.0f));
    }
}

// The highlight changes the light and the emissive scale only when it is switched the other way: off while off
// leaves both alone, on while on keeps the scale from before the highlight for switching it off.
TEST_F(MaterialSetTest, HighlightSwitchesOnlyFromTheOtherState)
{
    D3DRenderer& r = Renderer();
    r.EndFrame();
    r.BeginScene(5.0f, 0);
    r.SetLight(0xFF404040, 0xFFFFFFFF, 0, {0, -1, 0}, 0x00202020);
    const float plain = 64.0f / 255.0f;                      // the light's ambient byte
    const float pulse = 0.5f + 0.2f * std::sin(0.2f * 5.0f); // at frame time 5
    const struct
    {
        bool on;
        float scale;
        float lightDiffuse;
    } steps[] = {{false, plain, 1.0f}, {true, pulse, 0.0f}, {true, pulse, 0.0f}, {false, plain, 1.0f}};
    for (size_t i = 0; i < std::size(steps); ++i)
    {
        r.SetHighlight(steps[i].on);
        platform::LightDesc light;
        Dev()->GetLight(0, &light);
        EXPECT_FLOAT_EQ(r.GetEmissiveScale()[0], steps[i].scale) << "step " << i;
        EXPECT_EQ(light.diffuse.r, steps[i].lightDiffuse) << "step " << i;
    }
}

// The shadow pass: the parts of entry 17 (or 18 with textures), a black material glowing 1 - darkness / 255, no
// vertex colour, and the stencil so that each pixel is darkened once; off brings the normal states back. A
// lighting set used after the pass is written again even when its number is the shadow's.
TEST_F(MaterialSetTest, ShadowPassUsesTheStencilAndTheShadowEntries)
{
    D3DRenderer& r = Renderer();
    r.SetLight(0xFF808080, 0xFFFFFFFF, 0, {0, -1, 0}, 0x40123456);
    for (bool textured : {false, true})
    {
        SCOPED_TRACE(textured);
        const uint32_t transforms = r.GetStats(0).Get(RenderStats::TextureTransformChanges);
        r.BeginShadowPass(true, textured);
        EXPECT_TRUE(r.IsShadowPass());
        // The textured shadow shares the untextured one's texture-transform set, so it is already in place.
        EXPECT_EQ(r.GetStats(0).Get(RenderStats::TextureTransformChanges), transforms + (textured ? 0 : 1));
        const MaterialPartNumbers parts = g_MaterialTable.GetParts(textured ? 18 : 17);
        EXPECT_EQ(r.GetRememberedStateSet(), parts.m_iStateSet);
        EXPECT_EQ(
            Renders({RenderState::StencilEnable, RenderState::StencilFunc, RenderState::StencilPass,
                     RenderState::StencilRef, RenderState::StencilMask, RenderState::ColourVertex, RenderState::Ambient,
                     RenderState::AlphaTestEnable, RenderState::SrcBlend, RenderState::DestBlend}),
            (std::vector<uint32_t>{1, Cmp::Greater, platform::StencilOp::Replace, 1, 0xFFFFFFFF, 0, 0,
                                   textured ? 1u : 0u, Blend::Zero, Blend::SrcColour}));
        ExpectNear({DeviceMaterial().emissive.g, DeviceMaterial().diffuse.r}, {1.0f - 64.0f / 255.0f, 0.0f});

        r.BeginShadowPass(false, textured);
        EXPECT_FALSE(r.IsShadowPass());
        EXPECT_EQ(Renders({RenderState::StencilEnable, RenderState::ColourVertex, RenderState::Ambient,
                           RenderState::AmbientMaterialSource}),
                  (std::vector<uint32_t>{0, 1, 0x123456, platform::MaterialSource::Colour1}));
        Dev()->ClearLog();
        r.SetLightingSet(parts.m_iLightingSet);
        EXPECT_EQ(Dev()->CountOps(Op::SetMaterial), 1u);
    }

    // The shadow entries as whole materials do the same.
    r.SetMaterial(g_MaterialTable.GetMaterial(17), true);
    EXPECT_EQ(Renders({RenderState::StencilEnable, RenderState::ColourVertex, RenderState::AmbientMaterialSource}),
              (std::vector<uint32_t>{1, 0, platform::MaterialSource::Material}));
    EXPECT_FLOAT_EQ(DeviceMaterial().emissive.r, 1.0f - 64.0f / 255.0f);
    r.SetMaterial(g_MaterialTable.GetMaterial(1), true);
    EXPECT_EQ(Render(RenderState::StencilEnable), 0u);
}

// Polygon sets with two textures leave them in their material's texture fields.
TEST_F(MaterialSetTest, TexturedPolygonSetsKeepTheirTexturesInTheMaterial)
{
    const TexturedVertex vertices[3] = {};
    const uint16_t indices[3] = {0, 1, 2};
    g_GraphicsManager.DrawTexturedPolysAt(vertices, 3, indices, 3, 7, 9, {0, 0, 0}, 25);
    const SMaterial* m = g_MaterialTable.GetMaterial(25);
    ASSERT_TRUE(m != nullptr && (m->m_aStages[0].m_iTexture == 7 && m->m_aStages[1].m_iTexture == 9));
    g_MaterialTable.SetTextures(14, 1, 2); // never built: nothing to write into
    g_MaterialTable.SetTextures(-1, 1, 2);
    g_MaterialTable.SetTextures(MaterialTable::kEntryCount, 1, 2);
    EXPECT_EQ(g_MaterialTable.GetMaterial(14), nullptr);
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
    } rows[] = {{1, {4, 0, 1, 1, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                {5, {0, 0, 1, 1, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                {8, {9, 0, 1, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                {16, {4, 100, 1, 3, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                {12, {0, 90, 1, 3, 0, 8, 0, 0, 0, 6, 1, 0, 0, 0, 1, 1}}};
    for (const auto& r : rows)
    {
        const StateSet* set = g_StateSetTable.Get(g_MaterialTable.GetParts(r.material).m_iStateSet);
        ASSERT_NE(set, nullptr) << r.material;
        EXPECT_EQ(bytes(*set), r.expected) << "material " << r.material;
    }
    EXPECT_EQ(g_MaterialTable.GetMaterial(12)->m_channels.size(), 6u);
    // The materials that draw a second texture take it from a texture of their own (mode 1); the others have none.
    for (const auto& [material, mode] : std::initializer_list<std::pair<int32_t, uint16_t>>{
             {12, 1}, {13, 1}, {19, 1}, {22, 1}, {23, 1}, {24, 1}, {1, 0}, {20, 0}, {25, 0}})
        EXPECT_EQ(g_MaterialTable.GetMaterial(material)->m_aStages[1].m_uTextureMode, mode) << "material " << material;

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
    d.m_material.m_aStages[0] = {5, 0, 0, -1, 12, 9}, d.m_material.m_aStages[1] = {6, 0, 0, -1, 3, 3};
    d.m_material.m_uDepthCompare = 9, d.m_material.m_uDepthAlphaFlags = 3;
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

namespace
{

// A device that refuses every state set: materials interned with validation fall back to texture times vertex
// colour without a second stage; without validation they keep what they asked for.
class RefusingDeviceTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        hook.config.failValidateDevice = true;
        RecordingTest::SetUp();
        g_GraphicsManager.Create(RendererSettings{}, nullptr);
    }
    void TearDown() override
    {
        g_GraphicsManager.Shutdown();
        RecordingTest::TearDown();
    }
};

TEST_F(RefusingDeviceTest, RefusedStateSetsFallBackToPlainTexturing)
{
    SMaterial m;
    m.m_aStages[0].m_uColourOp = 4, m.m_aStages[1] = {1, 1, 0, -1, 3, 3};
    MaterialPartNumbers validated, asked;
    InternMaterial(m, &validated, true);
    InternMaterial(m, &asked, false);
    const StateSet* plain = g_StateSetTable.Get(validated.m_iStateSet);
    const StateSet* own = g_StateSetTable.Get(asked.m_iStateSet);
    ASSERT_TRUE(plain && own);
    EXPECT_EQ(std::vector<int>({own->m_uColourOp0, own->m_uColourOp1, plain->m_uColourOp0, plain->m_uColourOp1,
                                plain->m_uAlphaOp1, plain->m_uSampling1, plain->m_uBlendMode - own->m_uBlendMode}),
              std::vector<int>({4, 3, 2, 0, 0, 0, 0}));
}

} // namespace
