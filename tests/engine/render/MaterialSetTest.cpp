// Tests of the material operations on the recording device: the states each built-in material writes, whole
// materials (SetMaterial) writing only what changed, their lighting, texture stages and matrices, lighting sets,
// animated texture matrices over time, the shadow pass and its stencil, the highlight, and the material table's
// texture fields.
#include "TextureTestFiles.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialStates.h"
#include "engine/render/MaterialTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using platform::RenderState;
using platform::TextureStageState;
using Arg = platform::TextureArg;
using Blend = platform::BlendFactor;
using Cmp = platform::CompareFunc;
using Op = platform::RecordingDevice::Op;
using Tex = platform::TextureOp;

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
    // A texture on a shared page, so that its page rectangle is a part of the page.
    uint32_t SharedTexture(const char* path, uint32_t side)
    {
        texturetest::DDTSpec spec;
        spec.ownPage = 0;
        spec.width = spec.height = side;
        Write(path, texturetest::MakeDDT(spec, texturetest::ChainPixels(side, side, {0xFF808080})));
        return g_TextureManager.Load(path, true, false);
    }
};

// u, v through a texture matrix for two-component coordinates (translation in the third row).
platform::Vec2 Apply(const platform::Matrix& m, float u, float v)
{
    return {u * m.m[0][0] + v * m.m[1][0] + m.m[2][0], u * m.m[0][1] + v * m.m[1][1] + m.m[2][1]};
}

// Each built-in row's states, worked out from its fields: stage 0's operations (an opaque blend without alpha
// test takes the texture's alpha, operation 8 takes the texture alone and has stage 2 bring the vertex colour
// back), stage 1's, depth, alpha test and the blend factors of its blend mode.
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
        {16, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 1, 1, 100, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {12, Tex::SelectArg1, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::AddSigned, Tex::SelectArg1,
         Tex::Modulate, Cmp::LessEqual, 1, 1, 90, 0, Blend::One, Blend::Zero},
        {19, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::Modulate, Tex::SelectArg1, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 1, Blend::One, Blend::One},
        {20, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Diffuse, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 1, Blend::DestColour, Blend::One},
        {26, Tex::SelectArg1, Arg::Diffuse, Tex::SelectArg1, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 0, Blend::One, Blend::Zero},
        {9, Tex::Modulate, Arg::Texture, Tex::Modulate, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {11, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 1, 1, 127, 0, Blend::One, Blend::Zero},
        {13, Tex::SelectArg1, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::AddSigned, Tex::SelectArg1,
         Tex::Modulate, Cmp::LessEqual, 1, 0, 0, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {15, Tex::Modulate, Arg::Texture, Tex::SelectArg1, Arg::Diffuse, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 0, 0, 0, 1, Blend::SrcAlpha, Blend::One},
        {22, Tex::SelectArg1, Arg::Texture, Tex::SelectArg1, Arg::Texture, Tex::BlendTextureAlpha, Tex::SelectArg1,
         Tex::Modulate, Cmp::LessEqual, 1, 0, 0, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {24, Tex::Add, Arg::Texture, Tex::Modulate, Arg::Texture, Tex::Add, Tex::Modulate, Tex::Disable, Cmp::LessEqual,
         1, 1, 127, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {28, Tex::SelectArg1, Arg::Diffuse, Tex::SelectArg1, Arg::Diffuse, Tex::Disable, Tex::Disable, Tex::Disable,
         Cmp::LessEqual, 1, 0, 0, 1, Blend::SrcAlpha, Blend::InvSrcAlpha},
    };
    for (const auto& r : rows)
    {
        SCOPED_TRACE(r.number);
        Renderer().ResetRenderStates();
        Renderer().UseMaterial(r.number, -1, -1, true);
        EXPECT_EQ(Stage(0, TextureStageState::ColourOp), r.colourOp0);
        EXPECT_EQ(Stage(0, TextureStageState::ColourArg1), r.colourArg0);
        EXPECT_EQ(Stage(0, TextureStageState::AlphaOp), r.alphaOp0);
        EXPECT_EQ(Stage(0, TextureStageState::AlphaArg1), r.alphaArg0);
        EXPECT_EQ(Stage(1, TextureStageState::ColourOp), r.colourOp1);
        if (r.colourOp1 != Tex::Disable)
        {
            EXPECT_EQ(Stage(1, TextureStageState::AlphaOp), r.alphaOp1);
            EXPECT_EQ(Stage(2, TextureStageState::ColourOp), r.colourOp2);
        }
        EXPECT_EQ(Render(RenderState::ZFunc), r.zFunc);
        EXPECT_EQ(Render(RenderState::ZWriteEnable), r.zWrite);
        EXPECT_EQ(Render(RenderState::AlphaTestEnable), r.alphaTest);
        if (r.alphaTest)
        {
            EXPECT_EQ(Render(RenderState::AlphaRef), r.alphaRef);
            EXPECT_EQ(Render(RenderState::AlphaFunc), uint32_t{Cmp::Greater});
        }
        EXPECT_EQ(Render(RenderState::AlphaBlendEnable), r.blend);
        EXPECT_EQ(Render(RenderState::SrcBlend), r.src);
        EXPECT_EQ(Render(RenderState::DestBlend), r.dest);
        EXPECT_EQ(Render(RenderState::Lighting), 1u);
    }
}

// A whole material: applied once while it stays the remembered one; the next material writes only the states in
// which the two differ; the device material from its colours; specular only with material quality 2.
TEST_F(MaterialSetTest, SetMaterialWritesOnlyWhatChanged)
{
    SMaterial a;
    a.m_uDiffuse = 0xFF804020;
    a.m_uSelfIllumination = 0x00102030;
    a.m_uSpecular = 0x00FFFFFF;
    a.m_fSpecularPower = 10.0f;
    a.m_aStages[0].m_uTextureMode = 0;
    MaterialChannel red{};
    red.uTarget = ChannelBits::kDiffuseRed;
    red.uShapeOp = 1;
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
    const platform::MaterialDesc m = DeviceMaterial();
    EXPECT_FLOAT_EQ(m.diffuse.r, 0.25f);
    EXPECT_FLOAT_EQ(m.diffuse.g, 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(m.specular.b, 1.0f);
    EXPECT_EQ(m.power, 10.0f);
    // Emissive: diffuse x scale (128/255) + self-illumination / 255.
    EXPECT_FLOAT_EQ(m.emissive.r, 0.25f * (128.0f / 255.0f) + 16.0f / 255.0f);
    EXPECT_FLOAT_EQ(m.emissive.b, (32.0f / 255.0f) * (128.0f / 255.0f) + 48.0f / 255.0f);
    EXPECT_EQ(m.emissive.a, 0.0f);
    EXPECT_EQ(Render(RenderState::SpecularEnable), 1u);
    EXPECT_EQ(Render(RenderState::Ambient), 0u); // the ambient light's colour, without the darkness byte
    EXPECT_EQ(Render(RenderState::ColourVertex), 1u);
    EXPECT_EQ(Render(RenderState::StencilEnable), 0u);
    EXPECT_EQ(r.GetBoundTexture(0), -1); // texture mode 0 unbinds stage 0

    Dev()->ClearLog();
    r.SetMaterial(&a, true);
    EXPECT_EQ(StateWrites(), 0u);
    EXPECT_EQ(Dev()->CountOps(Op::SetMaterial), 0u);
    SMaterial b = a;
    b.m_uBlendMode = 9; // source alpha, destination one instead of inverse source alpha
    r.SetMaterial(&b, true);
    EXPECT_EQ(Dev()->RenderStateWritesOf(RenderState::DestBlend), std::vector<uint32_t>{Blend::One});
    EXPECT_EQ(StateWrites(), 1u);
    EXPECT_EQ(r.GetStats(0).Get(RenderStats::MaterialChanges), 3u);
    SMaterial tested = b;
    tested.m_uDepthAlphaFlags = 3;
    tested.m_uAlphaRef = 77;
    r.SetMaterial(&tested, true);
    EXPECT_EQ(Render(RenderState::AlphaTestEnable), 1u);
    EXPECT_EQ(Render(RenderState::AlphaRef), 77u);

    r.SetQuality(false, 1);
    r.SetMaterial(&a, true);
    EXPECT_EQ(Render(RenderState::SpecularEnable), 0u);
    EXPECT_EQ(DeviceMaterial().power, 0.0f);
    EXPECT_EQ(DeviceMaterial().specular.r, 0.0f);
    Dev()->ClearLog();
    r.SetMaterial(&b, false);
    EXPECT_EQ(Render(RenderState::Lighting), 0u);
    EXPECT_EQ(Dev()->CountOps(Op::SetMaterial), 0u);

    // Wireframe draws everything with table entry 1, untextured.
    r.SetWireframe(0, true);
    a.m_aStages[0].m_uTextureMode = 1;
    a.m_aStages[0].m_iTexture = static_cast<int32_t>(SharedTexture("t.ddt", 8));
    r.SetMaterial(&a, true);
    EXPECT_EQ(r.GetRememberedMaterial(), g_MaterialTable.GetMaterial(1));
    EXPECT_EQ(r.GetRequestedTexture(0), -1);
    r.SetWireframe(0, false);
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
    offset.uTarget = ChannelBits::kOffsetU[0];
    offset.uShapeOp = 1;
    offset.iOffset1 = 64; // 0.25
    m.m_channels = {offset};
    D3DRenderer& r = Renderer();
    r.SetMaterial(&m, true);
    EXPECT_EQ(r.GetBoundTexture(0), DeviceTextureForSlot(static_cast<int32_t>(first)));
    EXPECT_EQ(r.GetBoundTexture(1), DeviceTextureForSlot(static_cast<int32_t>(second)));
    EXPECT_EQ(Stage(0, TextureStageState::TextureTransformFlags), uint32_t{platform::TextureTransform::Count2});
    EXPECT_EQ(TextureMatrix(0).m[2][0], 0.25f);
    EXPECT_EQ(Stage(1, TextureStageState::TexCoordIndex), 0u);
    EXPECT_EQ(Stage(1, TextureStageState::MinFilter), uint32_t{platform::TextureFilter::Point});
    EXPECT_EQ(Stage(0, TextureStageState::MinFilter), uint32_t{platform::TextureFilter::Linear});
    // The first texture's page corners land on the second's.
    float l0, t0, w0, h0, l1, t1, w1, h1;
    g_TextureManager.GetTexCoords(first, &l0, &t0, &w0, &h0);
    g_TextureManager.GetTexCoords(second, &l1, &t1, &w1, &h1);
    ASSERT_LT(w0, 1.0f);
    ASSERT_TRUE(l0 != l1 || t0 != t1);
    const platform::Matrix stage1 = TextureMatrix(1);
    const platform::Vec2 corner = Apply(stage1, l0, t0);
    EXPECT_NEAR(corner.x, l1, 1e-6f);
    EXPECT_NEAR(corner.y, t1, 1e-6f);
    const platform::Vec2 far = Apply(stage1, l0 + w0, t0 + h0);
    EXPECT_NEAR(far.x, l1 + w1, 1e-6f);
    EXPECT_NEAR(far.y, t1 + h1, 1e-6f);

    // A reflection on stage 0: camera-space reflection vectors, 0.49 of the rectangle about its middle.
    SMaterial shiny;
    shiny.m_aStages[0] = {5, 0, 0, static_cast<int32_t>(first), 2, 2};
    r.SetMaterial(&shiny, true);
    EXPECT_EQ(Stage(0, TextureStageState::TexCoordIndex), uint32_t{platform::TexCoordGen::CameraSpaceReflectionVector});
    EXPECT_EQ(Render(RenderState::LocalViewer), 1u);
    const platform::Matrix reflection = TextureMatrix(0);
    EXPECT_FLOAT_EQ(reflection.m[0][0], 0.49f * w0);
    EXPECT_FLOAT_EQ(reflection.m[3][0], l0 + 0.5f * w0);
    EXPECT_FLOAT_EQ(reflection.m[3][1], t0 + 0.5f * h0);
    EXPECT_EQ(Stage(1, TextureStageState::TexCoordIndex), 0u);
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
    const struct
    {
        uint8_t kind0, kind1;
        uint32_t quality;
        bool written0, written1;
    } cases[] = {{2, 2, 2, true, true}, {3, 3, 2, false, true}, {3, 3, 0, true, true}, {0, 0, 2, false, false}};
    int32_t previous = -1;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(int(c.kind0) * 10 + int(c.quality));
        TextureTransformSet set{};
        set.m_uCoordKind0 = c.kind0;
        set.m_uCoordKind1 = c.kind1;
        const int32_t number = g_TextureTransformSetTable.Intern(set);
        r.SetQuality(false, c.quality);
        r.ResetRenderStates(); // forgets the remembered set
        Dev()->ClearLog();
        r.SetTextureTransformSet(number, static_cast<int32_t>(slot), c.kind1 == 0 ? -1 : static_cast<int32_t>(slot));
        EXPECT_EQ(Dev()->CountOps(Op::SetTransform), size_t{c.written0} + size_t{c.written1});
        if (c.written0)
        {
            const platform::Matrix m = TextureMatrix(0);
            EXPECT_FLOAT_EQ(m.m[0][0], 0.49f * w);
            EXPECT_FLOAT_EQ(m.m[3][1], t + 0.5f * h);
        }
        previous = number;
    }
    Dev()->ClearLog();
    r.SetTextureTransformSet(previous + 1000, 1, 2); // no such set: nothing written
    EXPECT_EQ(Dev()->CountOps(Op::SetTransform), 0u);
}

// A lighting set in the device material: each byte b as (b + b / 16) / 255 (above 1 for 255), the emissive sum
// held at 1; -1 turns lighting off and the next set on again; a set is written once while it stays remembered.
TEST_F(MaterialSetTest, LightingSetsAndTheirMaterial)
{
    LightingSet set{};
    const uint8_t diffuse[4] = {0x40, 0x80, 0xFF, 0xFF};
    std::memcpy(set.m_auDiffuse, diffuse, 4);
    set.m_auSelfIllumination[2] = 0x88;
    set.m_auSpecular[0] = set.m_auSpecular[1] = set.m_auSpecular[2] = 0x11;
    set.m_fPower = 16.0f;
    const int32_t number = g_LightingSetTable.Intern(set);
    D3DRenderer& r = Renderer();
    r.SetLight(0xFF808080, 0xFFFFFFFF, 0, {0, -1, 0}, 0);
    r.SetLightingSet(-1);
    EXPECT_EQ(Render(RenderState::Lighting), 0u);
    r.SetLightingSet(number);
    EXPECT_EQ(Render(RenderState::Lighting), 1u);
    const platform::MaterialDesc m = DeviceMaterial();
    EXPECT_FLOAT_EQ(m.diffuse.r, 270.0f / 255.0f);
    EXPECT_FLOAT_EQ(m.diffuse.g, 136.0f / 255.0f);
    EXPECT_FLOAT_EQ(m.diffuse.b, 68.0f / 255.0f);
    EXPECT_FLOAT_EQ(m.specular.g, 18.0f / 255.0f);
    EXPECT_EQ(m.specular.a, 0.0f);
    EXPECT_EQ(m.power, 16.0f);
    EXPECT_EQ(m.emissive.r, 1.0f); // 270/255 x 128/255 + 144/255 is above 1
    EXPECT_FLOAT_EQ(m.emissive.g, (136.0f / 255.0f) * (128.0f / 255.0f));
    EXPECT_EQ(Render(RenderState::SpecularEnable), 1u);
    Dev()->ClearLog();
    r.SetLightingSet(number);
    EXPECT_EQ(Dev()->CountOps(Op::SetMaterial), 0u);
    EXPECT_EQ(r.GetStats(0).Get(RenderStats::LightingChanges), 1u);

    // Material quality 1: no highlight, switched off at the first set.
    r.SetQuality(false, 1);
    r.SetLightingSet(-1);
    r.SetLightingSet(number);
    EXPECT_EQ(Render(RenderState::SpecularEnable), 0u);
    EXPECT_EQ(DeviceMaterial().power, 0.0f);
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

// Texture matrices of built-in materials over time: material 19 moves its second texture by a saw wave and tiles
// it four times; material 23 turns its first texture by 1 radian about the corner and moves it.
TEST_F(MaterialSetTest, AnimatedTextureMatricesFollowTheFrameTime)
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
        EXPECT_NEAR(m.m[2][0], s, 1e-5f);
        EXPECT_NEAR(m.m[2][1], s, 1e-5f);
        EXPECT_FLOAT_EQ(m.m[0][0], 4.0f);
        EXPECT_FLOAT_EQ(m.m[1][1], 4.0f);
        EXPECT_EQ(m.m[0][1], 0.0f);

        // Material 23 moves its first texture at frequency 0.3 x 0.4 x 4096 = 491.
        r.UseMaterial(23, -1, -1, true);
        const float moved = SawAt(t, 491, 0.5f);
        const platform::Matrix turn = TextureMatrix(0);
        const float c = std::cos(1.0f);
        const float n = std::sin(1.0f);
        EXPECT_NEAR(turn.m[0][0], c, 1e-6f);
        EXPECT_NEAR(turn.m[0][1], n, 1e-6f);
        EXPECT_NEAR(turn.m[1][0], -n, 1e-6f);
        EXPECT_NEAR(turn.m[2][0], moved - (c - n), 1e-5f);
        EXPECT_NEAR(turn.m[2][1], moved - (c + n), 1e-5f);
    }
    EXPECT_EQ(r.GetStats(0).Get(RenderStats::TextureTransformChanges), 2u);
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
        EXPECT_EQ(Render(RenderState::StencilEnable), 1u);
        EXPECT_EQ(Render(RenderState::StencilFunc), uint32_t{Cmp::Greater});
        EXPECT_EQ(Render(RenderState::StencilPass), uint32_t{platform::StencilOp::Replace});
        EXPECT_EQ(Render(RenderState::StencilRef), 1u);
        EXPECT_EQ(Render(RenderState::StencilMask), 0xFFFFFFFFu);
        EXPECT_EQ(Render(RenderState::ColourVertex), 0u);
        EXPECT_EQ(Render(RenderState::Ambient), 0u);
        EXPECT_EQ(Render(RenderState::AlphaTestEnable), textured ? 1u : 0u);
        EXPECT_EQ(Render(RenderState::SrcBlend), uint32_t{Blend::Zero});
        EXPECT_EQ(Render(RenderState::DestBlend), uint32_t{Blend::SrcColour});
        const platform::MaterialDesc shadow = DeviceMaterial();
        EXPECT_FLOAT_EQ(shadow.emissive.g, 1.0f - 64.0f / 255.0f);
        EXPECT_EQ(shadow.diffuse.r, 0.0f);

        r.BeginShadowPass(false, textured);
        EXPECT_FALSE(r.IsShadowPass());
        EXPECT_EQ(Render(RenderState::StencilEnable), 0u);
        EXPECT_EQ(Render(RenderState::ColourVertex), 1u);
        EXPECT_EQ(Render(RenderState::Ambient), 0x123456u);
        EXPECT_EQ(Render(RenderState::AmbientMaterialSource), uint32_t{platform::MaterialSource::Colour1});
        Dev()->ClearLog();
        r.SetLightingSet(parts.m_iLightingSet);
        EXPECT_EQ(Dev()->CountOps(Op::SetMaterial), 1u);
    }

    // The shadow entries as whole materials do the same.
    r.SetMaterial(g_MaterialTable.GetMaterial(17), true);
    EXPECT_EQ(Render(RenderState::StencilEnable), 1u);
    EXPECT_EQ(Render(RenderState::ColourVertex), 0u);
    EXPECT_EQ(Render(RenderState::AmbientMaterialSource), uint32_t{platform::MaterialSource::Material});
    EXPECT_FLOAT_EQ(DeviceMaterial().emissive.r, 1.0f - 64.0f / 255.0f);
    r.SetMaterial(g_MaterialTable.GetMaterial(1), true);
    EXPECT_EQ(Render(RenderState::StencilEnable), 0u);
}

// The highlight: the light's diffuse and ambient go dark and the emissive scale pulses 0.5 + 0.2 sin(0.2 t);
// off restores both, and lighting sets are written again either way.
TEST_F(MaterialSetTest, HighlightPulsesAndRestores)
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
    EXPECT_EQ(light.diffuse.r, 0.0f);
    EXPECT_EQ(light.ambient.b, 0.0f);
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

// Polygon sets with two textures leave them in their material's texture fields.
TEST_F(MaterialSetTest, TexturedPolygonSetsKeepTheirTexturesInTheMaterial)
{
    const TexturedVertex vertices[3] = {};
    const uint16_t indices[3] = {0, 1, 2};
    g_GraphicsManager.DrawTexturedPolysAt(vertices, 3, indices, 3, 7, 9, {0, 0, 0}, 25);
    const SMaterial* m = g_MaterialTable.GetMaterial(25);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_aStages[0].m_iTexture, 7);
    EXPECT_EQ(m->m_aStages[1].m_iTexture, 9);
    g_MaterialTable.SetTextures(14, 1, 2); // never built: nothing to write into
    g_MaterialTable.SetTextures(-1, 1, 2);
    g_MaterialTable.SetTextures(MaterialTable::kEntryCount, 1, 2);
    EXPECT_EQ(g_MaterialTable.GetMaterial(14), nullptr);
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
    m.m_aStages[0].m_uColourOp = 4;
    m.m_aStages[1] = {1, 1, 0, -1, 3, 3};
    MaterialPartNumbers validated, asked;
    InternMaterial(m, &validated, true);
    InternMaterial(m, &asked, false);
    const StateSet* plain = g_StateSetTable.Get(validated.m_iStateSet);
    const StateSet* own = g_StateSetTable.Get(asked.m_iStateSet);
    ASSERT_TRUE(plain && own);
    EXPECT_EQ(own->m_uColourOp0, 4u);
    EXPECT_EQ(own->m_uColourOp1, 3u);
    EXPECT_EQ(plain->m_uColourOp0, 2u);
    EXPECT_EQ(plain->m_uColourOp1, 0u);
    EXPECT_EQ(plain->m_uAlphaOp1, 0u);
    EXPECT_EQ(plain->m_uSampling1, 0u);
    EXPECT_EQ(plain->m_uBlendMode, own->m_uBlendMode);
}

} // namespace
