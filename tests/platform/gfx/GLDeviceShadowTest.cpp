// Tests of the OpenGL device's shadow of GL state, headless: states left by one draw never reach the next, and draws
// send GL only what changed.
#include "platform/gfx/GLCallCount.h"
#include "tests/platform/gfx/GLDeviceTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

using namespace platform;
using namespace gltest;

namespace
{

// Each step draws into its own 16 x 16 cell of the 64 x 64 frame, from the baseline state, and names the colour its
// cell must show. The steps run in one order in the first frame, reversed in the second and, after a reset, odd
// ones before even ones in the third: whatever state one step leaves behind, the next must not see it.
class GLDeviceShadowTest : public GLDeviceTest
{
protected:
    struct Probe
    {
        uint32_t dx, dy, rgb; // where in the cell and which colour, 0xRRGGBB
    };
    struct Step
    {
        const char* name;
        std::vector<Probe> probes;
        std::function<void(float x, float y)> draw;
    };
    // The centre and two opposite corners, all one colour.
    static std::vector<Probe> Even(uint32_t rgb) { return {{8, 8, rgb}, {1, 1, rgb}, {14, 14, rgb}}; }

    void SetUp() override
    {
        GLDeviceTest::SetUp();
        if (!m_device)
            return;
        const uint32_t solid[4] = {0xFF3060C0u, 0xFF3060C0u, 0xFF3060C0u, 0xFF3060C0u};
        const uint32_t added = 0xFF402010u, halves[2] = {0xFFFF0000u, 0xFF00FF00u};
        m_solid = MakeTexture(2, 2, PixelFormat::A8R8G8B8, solid);
        m_added = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &added);
        m_halves = MakeTexture(2, 1, PixelFormat::A8R8G8B8, halves);
        m_changing = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &added);
        ASSERT_TRUE(m_solid && m_added && m_halves && m_changing);
    }

    // The states any step changes, back to what the steps start from: unlit screen-space drawing of the vertex
    // colour, no textures, no blending or tests, all channels written, nothing culled.
    void Baseline()
    {
        for (auto [state, value] : {std::pair{RenderState::AlphaBlendEnable, 0u},
                                    {RenderState::SrcBlend, BlendFactor::One},
                                    {RenderState::DestBlend, BlendFactor::Zero},
                                    {RenderState::AlphaTestEnable, 0u},
                                    {RenderState::StencilEnable, 0u},
                                    {RenderState::ColourWriteEnable, ColourWrite::All},
                                    {RenderState::Lighting, 0u},
                                    {RenderState::FogEnable, 0u},
                                    {RenderState::ZEnable, 0u},
                                    {RenderState::CullMode, CullMode::None},
                                    {RenderState::Ambient, 0u},
                                    {RenderState::AmbientMaterialSource, MaterialSource::Material},
                                    {RenderState::DiffuseMaterialSource, MaterialSource::Material}})
            Rs(state, value);
        for (uint32_t stage : {0u, 1u})
        {
            ASSERT_OK(m_device->SetTexture(stage, nullptr));
            Tss(stage, TextureStageState::TexCoordIndex, 0);
            Tss(stage, TextureStageState::MinFilter, TextureFilter::Point);
            Tss(stage, TextureStageState::MagFilter, TextureFilter::Point);
        }
        UseVertexColour();
        Tss(1, TextureStageState::ColourOp, TextureOp::Disable);
        Tss(1, TextureStageState::AlphaOp, TextureOp::Disable);
    }

    GfxResult DrawCell(float x, float y, uint32_t colour) { return DrawRect(x, y, x + 16, y + 16, colour); }

    // Stage 0 shows the texture as it is.
    void ShowTexture(ITexture* texture)
    {
        ASSERT_OK(m_device->SetTexture(0, texture));
        Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
        Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    }

    // A square of the cell through the 64 x 64 orthographic camera (world units are pixels, y up), at depth z.
    void DrawCellInWorld(float x, float y, uint32_t fvf, float z, uint32_t colour)
    {
        struct Vertex
        {
            float x, y, z, nx, ny, nz;
            uint32_t colour;
        };
        const float x0 = x - 32, x1 = x0 + 16, y0 = 32 - y, y1 = y0 - 16;
        std::vector<Vertex> v = {{x0, y0, z, 0, 0, -1, colour},
                                 {x1, y0, z, 0, 0, -1, colour},
                                 {x0, y1, z, 0, 0, -1, colour},
                                 {x1, y1, z, 0, 0, -1, colour}};
        // The layout is position, normal, diffuse; without a normal or a diffuse colour the rest moves up.
        std::vector<uint8_t> bytes;
        for (const Vertex& vertex : v)
        {
            auto put = [&](const void* p, size_t n)
            { bytes.insert(bytes.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n); };
            put(&vertex.x, 12);
            if (fvf & Fvf::Normal)
                put(&vertex.nx, 12);
            if (fvf & Fvf::Diffuse)
                put(&vertex.colour, 4);
        }
        ASSERT_OK(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(64.0f, 64.0f, 0.0f, 10.0f)));
        ASSERT_OK(m_device->SetVertexShader(fvf));
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, bytes.data(),
                                            static_cast<uint32_t>(bytes.size() / 4)));
    }

    std::vector<Step> Steps()
    {
        std::vector<Step> steps;
        auto cell = [](float x, float y) { return std::array{x, y, x + 16, y + 16}; };
        // Cell 0 first: the written image always lands at the top left.
        steps.push_back({"written image", Even(0xA0B0C0),
                         [&](float, float)
                         {
                             std::vector<uint32_t> image(16 * 16, 0x00A0B0C0u);
                             ASSERT_OK(m_device->WriteBackBuffer(image.data(), 16, 16, 0));
                         }});
        steps.push_back(
            {"vertex colour", Even(0xFF0000), [&](float x, float y) { ASSERT_OK(DrawCell(x, y, 0xFFFF0000u)); }});
        steps.push_back({"texture", Even(0x3060C0),
                         [&](float x, float y)
                         {
                             ShowTexture(m_solid.get());
                             ASSERT_OK(DrawCell(x, y, 0xFFFFFFFFu));
                         }});
        // A quarter of white over blue: 255 x 64 / 255 = 64 red and green, blue 64 + 255 x 191 / 255 = 255.
        steps.push_back({"blended", Even(0x4040FF),
                         [&](float x, float y)
                         {
                             ASSERT_OK(DrawCell(x, y, 0xFF0000FFu));
                             Rs(RenderState::AlphaBlendEnable, 1);
                             Rs(RenderState::SrcBlend, BlendFactor::SrcAlpha);
                             Rs(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
                             ASSERT_OK(DrawCell(x, y, 0x40FFFFFFu));
                         }});
        steps.push_back({"red channel only", Even(0xFF0000),
                         [&](float x, float y)
                         {
                             Rs(RenderState::ColourWriteEnable, ColourWrite::Red);
                             ASSERT_OK(DrawCell(x, y, 0xFFFFFFFFu));
                         }});
        // Texture times diffuse, plus the second texture: (30, 60, C0) x (80, 80, 80) / FF + (40, 20, 10) =
        // (18, 30, 60) + (40, 20, 10).
        steps.push_back({"two stages", Even(0x585070),
                         [&](float x, float y)
                         {
                             ModulateThenAdd(m_solid.get(), m_added.get());
                             ASSERT_OK(DrawCell(x, y, 0xFF808080u));
                         }});
        // Lit by the global ambient alone: white x the material's ambient (0.5, 0.25, 1).
        steps.push_back({"lit material", Even(0x8040FF),
                         [&](float x, float y)
                         {
                             MaterialDesc material;
                             material.ambient = {0.5f, 0.25f, 1.0f, 1.0f};
                             ASSERT_OK(m_device->SetMaterial(material));
                             Rs(RenderState::Lighting, 1);
                             Rs(RenderState::Ambient, 0xFFFFFFFFu);
                             DrawCellInWorld(x, y, Fvf::XYZ | Fvf::Normal, 5, 0);
                         }});
        // The ambient part taken from the vertex colour instead.
        steps.push_back({"lit vertex colour", Even(0x00C000),
                         [&](float x, float y)
                         {
                             Rs(RenderState::Lighting, 1);
                             Rs(RenderState::Ambient, 0xFFFFFFFFu);
                             Rs(RenderState::AmbientMaterialSource, MaterialSource::Colour1);
                             DrawCellInWorld(x, y, Fvf::XYZ | Fvf::Normal | Fvf::Diffuse, 5, 0xFF00C000u);
                         }});
        // Linear fog from 0 to 10 at depth 5: half white (the colour of vertices that have none), half green.
        steps.push_back({"fogged", Even(0x80FF80),
                         [&](float x, float y)
                         {
                             Rs(RenderState::FogEnable, 1);
                             Rs(RenderState::FogColour, 0x0000FF00u);
                             Rs(RenderState::FogTableMode, FogMode::None);
                             Rs(RenderState::FogVertexMode, FogMode::Linear);
                             Rs(RenderState::FogStart, FloatBits(0.0f));
                             Rs(RenderState::FogEnd, FloatBits(10.0f));
                             DrawCellInWorld(x, y, Fvf::XYZ, 5, 0);
                         }});
        steps.push_back({"alpha tested away", Even(0x000000),
                         [&](float x, float y)
                         {
                             Rs(RenderState::AlphaTestEnable, 1);
                             Rs(RenderState::AlphaFunc, CompareFunc::Greater);
                             Rs(RenderState::AlphaRef, 0x80);
                             ASSERT_OK(DrawCell(x, y, 0x40FFFFFFu));
                         }});
        // The first square marks the stencil; the second is kept off where it is marked.
        steps.push_back({"stencilled", Even(0xFF0000),
                         [&](float x, float y)
                         {
                             Rs(RenderState::StencilEnable, 1);
                             Rs(RenderState::StencilFunc, CompareFunc::Always);
                             Rs(RenderState::StencilPass, StencilOp::Replace);
                             Rs(RenderState::StencilRef, m_uStencilRef);
                             ASSERT_OK(DrawCell(x, y, 0xFFFF0000u));
                             Rs(RenderState::StencilFunc, CompareFunc::NotEqual);
                             Rs(RenderState::StencilPass, StencilOp::Keep);
                             ASSERT_OK(DrawCell(x, y, 0xFF0000FFu));
                             ++m_uStencilRef; // a fresh mark every frame
                         }});
        // A texture drawn, then rewritten while another one sits on the second unit, then drawn again shows its
        // new texel (a new one every frame).
        const uint32_t rewritten = m_uFrame % 2 ? 0xFFFF00FFu : 0xFF00FFFFu;
        steps.push_back({"rewritten texture", Even(rewritten & 0xFFFFFF),
                         [&, rewritten](float x, float y)
                         {
                             ShowTexture(m_changing.get());
                             ASSERT_OK(m_device->SetTexture(1, m_added.get()));
                             Tss(1, TextureStageState::ColourOp, TextureOp::Modulate);
                             Tss(1, TextureStageState::ColourArg1, TextureArg::Current);
                             Tss(1, TextureStageState::ColourArg2, TextureArg::Diffuse);
                             ASSERT_OK(DrawCell(x, y, 0xFFFFFFFFu));
                             LockedRect locked;
                             ASSERT_OK(m_changing->LockRect(0, &locked, nullptr, 0));
                             *static_cast<uint32_t*>(locked.bits) = rewritten;
                             ASSERT_OK(m_changing->UnlockRect(0));
                             ASSERT_OK(DrawCell(x, y, 0xFFFFFFFFu));
                         }});
        steps.push_back({"cleared rectangle", Even(0x123456),
                         [&](float x, float y)
                         {
                             auto c = cell(x, y);
                             Rect rect{int32_t(c[0]), int32_t(c[1]), int32_t(c[2]), int32_t(c[3])};
                             Rs(RenderState::ColourWriteEnable, ColourWrite::Blue); // a clear writes every channel
                             ASSERT_OK(m_device->Clear(1, &rect, ClearFlags::Target, 0xFF123456u, 1.0f, 0));
                         }});
        steps.push_back({"after a read-back", Even(0xFFFF00),
                         [&](float x, float y)
                         {
                             std::vector<uint32_t> pixels;
                             uint32_t w = 0, h = 0;
                             ASSERT_OK(m_device->ReadFrontBuffer(&pixels, &w, &h));
                             ASSERT_OK(DrawCell(x, y, 0xFFFFFF00u));
                         }});
        // A red | green texture over the cell, clamped: the edges take one texel each; at the middle point sampling
        // takes the right one, linear sampling half of each.
        for (bool linear : {false, true})
        {
            const uint32_t middle = linear ? 0x808000 : 0x00FF00;
            steps.push_back({linear ? "linear sampled" : "point sampled",
                             {{8, 8, middle}, {1, 8, 0xFF0000}, {14, 8, 0x00FF00}},
                             [&, linear](float x, float y)
                             {
                                 ShowTexture(m_halves.get());
                                 Tss(0, TextureStageState::AddressU, TextureAddress::Clamp);
                                 const uint32_t filter = linear ? TextureFilter::Linear : TextureFilter::Point;
                                 Tss(0, TextureStageState::MinFilter, filter);
                                 Tss(0, TextureStageState::MagFilter, filter);
                                 ASSERT_OK(DrawCell(x, y, 0xFFFFFFFFu));
                             }});
        }
        return steps;
    }

    // Runs the steps in the given order in one frame and checks every cell.
    void RunFrame(const std::vector<size_t>& order, const char* label)
    {
        std::vector<Step> steps = Steps();
        ASSERT_EQ(order.size(), steps.size());
        ASSERT_OK(m_device->BeginScene());
        ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::Stencil, 0xFF000000u, 1.0f, 0));
        for (size_t i : order)
        {
            Baseline();
            steps[i].draw(static_cast<float>(i % 4 * 16), static_cast<float>(i / 4 * 16));
        }
        ASSERT_OK(m_device->EndScene());
        ASSERT_OK(m_device->Present());
        ++m_uFrame;
        std::vector<uint32_t> pixels = Frame();
        for (size_t i = 0; i < steps.size(); ++i)
        {
            uint32_t x = static_cast<uint32_t>(i % 4 * 16), y = static_cast<uint32_t>(i / 4 * 16);
            for (const Probe& p : steps[i].probes)
                EXPECT_TRUE(ColourNear(pixels[(y + p.dy) * kSize + x + p.dx], 0xFF000000u | p.rgb, 3))
                    << label << ": " << steps[i].name << " at +" << p.dx << ",+" << p.dy;
        }
    }

    TexturePtr m_solid, m_added, m_halves, m_changing;
    uint32_t m_uStencilRef = 1;
    uint32_t m_uFrame = 0;
};

TEST_F(GLDeviceShadowTest, StatesLeftByEachDrawNeverLeakIntoTheNext)
{
    const size_t count = Steps().size();
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = i;
    ASSERT_OK(m_device->EndScene());
    RunFrame(order, "in order");
    std::reverse(order.begin(), order.end());
    RunFrame(order, "reversed");
    // A reset gives back the default states behind the shadow's back; textures stay (they are managed).
    ASSERT_OK(m_device->Reset(m_device->GetPresentParams()));
    std::stable_partition(order.begin(), order.end(), [](size_t i) { return i % 2 == 1; });
    RunFrame(order, "after a reset");
}

// A draw that repeats the one before sends GL nothing but the draw: no state, no bindings, no arrays.
TEST_F(GLDeviceShadowTest, ARepeatedDrawSendsOnlyTheDraw)
{
    TexturePtr texture = MakeTexture(2, 2, PixelFormat::A8R8G8B8, std::array<uint32_t, 4>{}.data());
    std::vector<ScreenVertex> quad = Quad(4, 4, 20, 20, 0xFFFF0000u);
    auto draw = [&]
    { return m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad.data(), sizeof(quad[0])); };
    for (bool textured : {false, true})
    {
        Baseline();
        ASSERT_OK(m_device->SetTexture(0, textured ? texture.get() : nullptr));
        if (textured)
            Tss(0, TextureStageState::ColourOp, TextureOp::Modulate);
        ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
        ASSERT_OK(draw());
        GLCallCount calls;
        const uint32_t repeats = textured ? 2 : 1;
        for (uint32_t i = 0; i < repeats; ++i)
            ASSERT_OK(draw());
        EXPECT_EQ(calls.Of("DrawArrays"), repeats);
        EXPECT_EQ(calls.Total(), calls.Of("DrawArrays") + calls.Of("GetError")) << "textured " << textured;
    }
}

// Lit draws whose layouts alternate between having a vertex colour and not: the colour feeds the material's
// ambient part only while the vertices have one; without, the material's own ambient comes back.
TEST_F(GLDeviceShadowTest, VertexColourFeedsTheMaterialOnlyWhileTheLayoutHasIt)
{
    Baseline();
    MaterialDesc material;
    material.ambient = {0.5f, 0.25f, 1.0f, 1.0f};
    ASSERT_OK(m_device->SetMaterial(material));
    Rs(RenderState::Lighting, 1);
    Rs(RenderState::Ambient, 0xFFFFFFFFu);
    Rs(RenderState::AmbientMaterialSource, MaterialSource::Colour1);
    // White global ambient times the ambient part: the vertex colour's, or the material's (0.5, 0.25, 1). The cells
    // are drawn one after another and read together.
    const std::pair<uint32_t, uint32_t> layouts[4] = {{Fvf::XYZ | Fvf::Normal | Fvf::Diffuse, 0x00C000u},
                                                      {Fvf::XYZ | Fvf::Normal, 0x8040FFu},
                                                      {Fvf::XYZ | Fvf::Normal | Fvf::Diffuse, 0x00C000u},
                                                      {Fvf::XYZ | Fvf::Normal, 0x8040FFu}};
    for (uint32_t i = 0; i < 4; ++i)
        DrawCellInWorld(static_cast<float>(i * 16), 16, layouts[i].first, 5, 0xFF00C000u);
    std::vector<uint32_t> pixels = Frame();
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_TRUE(ColourNear(pixels[24 * kSize + i * 16 + 8], 0xFF000000u | layouts[i].second, 3)) << "cell " << i;
}

// Textures released and made again (GL may hand out the same names) are drawn with their own texels; a stage whose
// texture was released samples white.
TEST_F(GLDeviceShadowTest, ATextureMadeAfterOthersWereReleasedShowsItsOwnTexels)
{
    Baseline();
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    for (uint32_t colour : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u})
    {
        TexturePtr texture = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &colour);
        ASSERT_OK(m_device->SetTexture(0, texture.get()));
        ASSERT_OK(DrawRect(0, 0, 16, 16, 0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(8, 8), colour, 0));
    }
    // Drawn, released, and the same stage drawn again (blue vertices) with nothing else changed in between.
    const uint32_t red = 0xFFFF0000u;
    TexturePtr released = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &red);
    ASSERT_OK(m_device->SetTexture(0, released.get()));
    ASSERT_OK(DrawRect(0, 0, 16, 16, 0xFF0000FFu));
    released.reset();
    EXPECT_EQ(m_device->GetTexture(0), nullptr);
    ASSERT_OK(DrawRect(16, 0, 32, 16, 0xFF0000FFu));
    std::vector<uint32_t> pixels = Frame();
    EXPECT_TRUE(ColourNear(pixels[8 * kSize + 8], red, 0));
    EXPECT_TRUE(ColourNear(pixels[8 * kSize + 24], 0xFFFFFFFFu, 0));
}

// After a lit draw, switching blending on sends blending alone: no lights, material, matrices or stages again.
TEST_F(GLDeviceShadowTest, AChangedStateSendsOnlyWhatDependsOnIt)
{
    Baseline();
    MaterialDesc material;
    material.ambient = {0.5f, 0.25f, 1.0f, 1.0f};
    ASSERT_OK(m_device->SetMaterial(material));
    LightDesc light;
    light.type = LightType::Directional;
    light.direction = {0, 0, 1};
    light.diffuse = {1, 1, 1, 1};
    ASSERT_OK(m_device->SetLight(0, light));
    ASSERT_OK(m_device->LightEnable(0, true));
    Rs(RenderState::Lighting, 1);
    DrawCellInWorld(16, 16, Fvf::XYZ | Fvf::Normal, 5, 0);
    GLCallCount calls;
    Rs(RenderState::AlphaBlendEnable, 1);
    DrawCellInWorld(16, 16, Fvf::XYZ | Fvf::Normal, 5, 0);
    EXPECT_EQ(calls.Of("Enable"), 1u);
    const uint64_t blending = calls.Of("Enable") + calls.Of("BlendFunc") + calls.Of("BlendEquation");
    const uint64_t arrays = calls.Of("VertexPointer") + calls.Of("NormalPointer");
    EXPECT_EQ(calls.Total(), blending + arrays + calls.Of("DrawArrays") + calls.Of("GetError"));
}

// Textures taking turns under one sampling: each switch sends the binding and nothing else.
TEST_F(GLDeviceShadowTest, SwitchingTexturesSendsOnlyTheBinding)
{
    Baseline();
    ShowTexture(m_solid.get());
    std::vector<ScreenVertex> quad = Quad(4, 4, 20, 20, 0xFFFFFFFFu);
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    auto draw = [&]
    { return m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad.data(), sizeof(quad[0])); };
    ASSERT_OK(draw());
    ASSERT_OK(m_device->SetTexture(0, m_added.get()));
    ASSERT_OK(draw());
    GLCallCount calls;
    for (ITexture* texture : {m_solid.get(), m_added.get(), m_solid.get()})
    {
        ASSERT_OK(m_device->SetTexture(0, texture));
        ASSERT_OK(draw());
    }
    EXPECT_EQ(calls.Of("BindTexture"), 3u);
    EXPECT_EQ(calls.Total(), calls.Of("BindTexture") + calls.Of("DrawArrays") + calls.Of("GetError"));
}

// The most anisotropy a stage allows counts only while its shrinking filter is anisotropic: changing it under
// other filters sends GL nothing, and choosing the anisotropic filter sends the sampling anew.
TEST_F(GLDeviceShadowTest, AnisotropyCountsOnlyUnderTheAnisotropicFilter)
{
    DeviceCaps caps;
    ASSERT_OK(m_device->GetDeviceCaps(&caps));
    if (caps.maxAnisotropy < 2)
        GTEST_SKIP() << "this GL has no anisotropic filtering";
    Baseline();
    ShowTexture(m_solid.get());
    Tss(0, TextureStageState::MinFilter, TextureFilter::Linear);
    ASSERT_OK(DrawCell(0, 0, 0xFFFFFFFFu));
    for (uint32_t most : {2u, caps.maxAnisotropy})
    {
        GLCallCount calls;
        Tss(0, TextureStageState::MaxAnisotropy, most);
        ASSERT_OK(DrawCell(0, 0, 0xFFFFFFFFu));
        EXPECT_EQ(calls.Total(), calls.Of("DrawArrays") + calls.Of("GetError")) << most;
    }
    GLCallCount calls;
    Tss(0, TextureStageState::MinFilter, TextureFilter::Anisotropic);
    ASSERT_OK(DrawCell(0, 0, 0xFFFFFFFFu));
    EXPECT_GT(calls.Total(), calls.Of("DrawArrays") + calls.Of("GetError"));
}

} // namespace
