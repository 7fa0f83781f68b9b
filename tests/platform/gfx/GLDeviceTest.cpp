// Tests of the OpenGL device, headless: draws small scenes and checks chosen pixels of the read-back buffer
// against values worked out from the device's rules (pixel centres, depth range, winding, lighting, fog,
// texture stages, blending, stencil, texture formats).
#include "platform/gfx/Device.h"
#include "platform/gfx/TextureUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kSize = 64;

struct ScreenVertex // XYZRHW | Diffuse | Tex1
{
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
constexpr uint32_t kScreenFvf = Fvf::XYZRHW | Fvf::Diffuse | Fvf::Tex1;

struct ColourVertex // XYZ | Diffuse
{
    float x, y, z;
    uint32_t colour;
};
constexpr uint32_t kColourFvf = Fvf::XYZ | Fvf::Diffuse;

struct NormalVertex // XYZ | Normal | Diffuse | Tex1
{
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;
    float u, v;
};
constexpr uint32_t kNormalFvf = Fvf::XYZ | Fvf::Normal | Fvf::Diffuse | Fvf::Tex1;

uint32_t Channel(uint32_t c, int shift)
{
    return (c >> shift) & 255;
}

::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, uint32_t tolerance, bool alpha = false)
{
    for (int shift : {0, 8, 16, 24})
    {
        if (shift == 24 && !alpha)
            continue;
        int d = static_cast<int>(Channel(actual, shift)) - static_cast<int>(Channel(expected, shift));
        if (static_cast<uint32_t>(std::abs(d)) > tolerance)
        {
            char text[64];
            std::snprintf(text, sizeof(text), "pixel %08X, expected %08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

uint32_t Rgb(float r, float g, float b)
{
    auto q = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return 0xFF000000u | (q(r) << 16) | (q(g) << 8) | q(b);
}

class GLDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_system = CreateOpenGLSystem();
        PresentParams params;
        params.backBufferWidth = kSize;
        params.backBufferHeight = kSize;
        params.backBufferFormat = PixelFormat::A8R8G8B8;
        params.autoDepthStencilFormat = PixelFormat::D24S8;
        if (!m_system || m_system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing,
                                                &params, &m_device) != GfxResult::Ok)
        {
            GTEST_SKIP() << "no OpenGL context can be made here";
        }
        ASSERT_EQ(m_device->BeginScene(), GfxResult::Ok);
        ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil,
                                  0xFF000000u, 1.0f, 0),
                  GfxResult::Ok);
    }

    uint32_t Pixel(uint32_t x, uint32_t y)
    {
        std::vector<uint32_t> pixels;
        uint32_t w = 0, h = 0;
        EXPECT_EQ(m_device->ReadBackBuffer(&pixels, &w, &h), GfxResult::Ok);
        return y < h && x < w ? pixels[static_cast<size_t>(y) * w + x] : 0xDEADBEEFu;
    }

    void Rs(RenderState state, uint32_t value) { ASSERT_EQ(m_device->SetRenderState(state, value), GfxResult::Ok); }
    void Tss(uint32_t stage, TextureStageState state, uint32_t value)
    {
        ASSERT_EQ(m_device->SetTextureStageState(stage, state, value), GfxResult::Ok);
    }

    // Stage 0 passes the vertex colour and alpha through.
    void UseVertexColour()
    {
        Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
        Tss(0, TextureStageState::ColourArg1, TextureArg::Diffuse);
        Tss(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
        Tss(0, TextureStageState::AlphaArg1, TextureArg::Diffuse);
    }

    // A screen rectangle (clockwise, so the default culling keeps it) with texture coordinates 0..1.
    GfxResult DrawRect(float x0, float y0, float x1, float y1, float z, uint32_t colour)
    {
        ScreenVertex v[4] = {{x0, y0, z, 1.0f, colour, 0.0f, 0.0f},
                             {x1, y0, z, 1.0f, colour, 1.0f, 0.0f},
                             {x0, y1, z, 1.0f, colour, 0.0f, 1.0f},
                             {x1, y1, z, 1.0f, colour, 1.0f, 1.0f}};
        EXPECT_EQ(m_device->SetVertexShader(kScreenFvf), GfxResult::Ok);
        return m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ScreenVertex));
    }

    // A texture of the given format whose level 0 is filled from bytes (packed rows).
    TexturePtr MakeTexture(uint32_t w, uint32_t h, PixelFormat format, const void* bytes)
    {
        TexturePtr texture;
        EXPECT_EQ(m_device->CreateTexture(w, h, 1, 0, format, Pool::Managed, &texture), GfxResult::Ok);
        if (!texture)
            return texture;
        LockedRect locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), GfxResult::Ok);
        uint32_t rows = IsBlockCompressed(format) ? (h + 3) / 4 : h;
        uint32_t rowBytes = FormatRowPitch(format, w);
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch,
                        static_cast<const uint8_t*>(bytes) + y * rowBytes, rowBytes);
        EXPECT_EQ(texture->UnlockRect(0), GfxResult::Ok);
        return texture;
    }

    // Unlit transformed geometry seen through an orthographic box 2 x 2 wide, z from 0 to 10.
    void UseOrthoCamera()
    {
        Matrix projection = MatrixOrthoLH(2.0f, 2.0f, 0.0f, 10.0f);
        ASSERT_EQ(m_device->SetTransform(TransformType::Projection, projection), GfxResult::Ok);
        Rs(RenderState::Lighting, 0);
    }

    GraphicsSystemPtr m_system;
    DevicePtr m_device;
};

TEST_F(GLDeviceTest, ClearFillsTheViewportAndTheGivenRectangles)
{
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF336699u, 1.0f, 0), GfxResult::Ok);
    Rect rect{10, 20, 30, 40};
    ASSERT_EQ(m_device->Clear(1, &rect, ClearFlags::Target, 0x80FF0000u, 1.0f, 0), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(10, 20), 0x80FF0000u, 0, true)); // rows run top to bottom
    EXPECT_TRUE(ColourNear(Pixel(29, 39), 0x80FF0000u, 0, true));
    EXPECT_TRUE(ColourNear(Pixel(30, 39), 0xFF336699u, 0, true));
    EXPECT_TRUE(ColourNear(Pixel(29, 40), 0xFF336699u, 0, true));
    // Without rectangles a clear covers the viewport only.
    ASSERT_EQ(m_device->SetViewport({32, 0, 32, 32, 0.0f, 1.0f}), GfxResult::Ok);
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF00FF00u, 1.0f, 0), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(40, 10), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(Pixel(20, 10), 0xFF336699u, 0));
    EXPECT_TRUE(ColourNear(Pixel(40, 40), 0xFF336699u, 0));
}

TEST_F(GLDeviceTest, PixelCentresLieOnIntegerCoordinates)
{
    UseVertexColour();
    // Edges at 10.3 and 20.3 across, 5.3 and 15.3 down: the pixels whose integer centres lie inside are
    // columns 11..20 and rows 6..15 (half-integer centres would give 10..19 and 5..14).
    auto check = [&](const char* what)
    {
        for (auto [x, y, inside] : {std::tuple{11u, 6u, true},
                                    {20u, 15u, true},
                                    {10u, 6u, false},
                                    {21u, 6u, false},
                                    {11u, 5u, false},
                                    {11u, 16u, false}})
        {
            EXPECT_EQ(Pixel(x, y) == 0xFFFFFFFFu, inside) << what << " pixel " << x << "," << y;
        }
    };
    ASSERT_EQ(DrawRect(10.3f, 5.3f, 20.3f, 15.3f, 0.5f, 0xFFFFFFFFu), GfxResult::Ok);
    check("screen-space");

    // The same rectangle as transformed geometry through a viewport-filling orthographic box.
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF000000u, 1.0f, 0), GfxResult::Ok);
    UseOrthoCamera();
    float x0 = 10.3f / 32 - 1, x1 = 20.3f / 32 - 1, y0 = 1 - 5.3f / 32, y1 = 1 - 15.3f / 32;
    ColourVertex v[4] = {
        {x0, y0, 1, 0xFFFFFFFFu}, {x1, y0, 1, 0xFFFFFFFFu}, {x0, y1, 1, 0xFFFFFFFFu}, {x1, y1, 1, 0xFFFFFFFFu}};
    ASSERT_EQ(m_device->SetVertexShader(kColourFvf), GfxResult::Ok);
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColourVertex)), GfxResult::Ok);
    check("transformed");
}

TEST_F(GLDeviceTest, DepthRunsFromZeroToOneAndCullingRemovesTheMatchingWinding)
{
    UseOrthoCamera();
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::ZBuffer, 0, 0.5f, 0), GfxResult::Ok);
    ASSERT_EQ(m_device->SetVertexShader(kColourFvf), GfxResult::Ok);
    auto quad = [&](float z, uint32_t colour)
    {
        ColourVertex v[4] = {{-1, 1, z, colour}, {1, 1, z, colour}, {-1, -1, z, colour}, {1, -1, z, colour}};
        return m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColourVertex));
    };
    // With z from 0 to 10 mapped to depth 0..1: z = 6 is depth 0.6, behind the cleared 0.5; z = 4 in front.
    ASSERT_EQ(quad(6.0f, 0xFF00FF00u), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF000000u, 0));
    ASSERT_EQ(quad(4.0f, 0xFFFF0000u), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFFFF0000u, 0));
    // The nearer red surface now holds depth 0.4; Greater lets the farther one through.
    Rs(RenderState::ZFunc, CompareFunc::Greater);
    ASSERT_EQ(quad(6.0f, 0xFF0000FFu), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF0000FFu, 0));
    Rs(RenderState::ZEnable, 0);

    // Bottom-left, top, bottom-right: clockwise on the screen.
    ColourVertex clockwise[3] = {{-1, -1, 1, 0xFFFFFFFFu}, {0, 1, 1, 0xFFFFFFFFu}, {1, -1, 1, 0xFFFFFFFFu}};
    ColourVertex counter[3] = {clockwise[0], clockwise[2], clockwise[1]};
    for (auto [cull, clockwiseDrawn, counterDrawn] :
         {std::tuple{CullMode::CCW, true, false}, {CullMode::CW, false, true}, {CullMode::None, true, true}})
    {
        Rs(RenderState::CullMode, cull);
        for (int which = 0; which < 2; ++which)
        {
            ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF000000u, 1.0f, 0), GfxResult::Ok);
            ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, which ? counter : clockwise,
                                                sizeof(ColourVertex)),
                      GfxResult::Ok);
            EXPECT_EQ(Pixel(32, 40) == 0xFFFFFFFFu, which ? counterDrawn : clockwiseDrawn)
                << "cull " << cull << " winding " << which;
        }
    }
}

TEST_F(GLDeviceTest, LitAndFoggedTriangleFollowsTheLightingAndFogFormulas)
{
    // The camera stands at x = -5 looking along +x; the triangle lies in the plane x = 0 facing it.
    ASSERT_EQ(m_device->SetTransform(TransformType::View,
                                     MatrixLookAtLH({-5.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f})),
              GfxResult::Ok);
    ASSERT_EQ(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(4.0f, 4.0f, 0.1f, 20.0f)), GfxResult::Ok);
    MaterialDesc material;
    material.diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    material.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
    ASSERT_EQ(m_device->SetMaterial(material), GfxResult::Ok);
    LightDesc light;
    light.type = LightType::Directional;
    light.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.direction = Vec3Normalize({1.0f, -1.0f, 0.0f}); // world space: down and away from the camera
    ASSERT_EQ(m_device->SetLight(0, light), GfxResult::Ok);
    ASSERT_EQ(m_device->LightEnable(0, true), GfxResult::Ok);
    Rs(RenderState::Ambient, 0x00404040u);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Diffuse);

    struct LitVertex
    {
        float x, y, z, nx, ny, nz;
    };
    // Screen right is world -z from this camera; bottom-left, top, bottom-right is clockwise.
    LitVertex v[3] = {{0, -1.5f, 1.5f, -1, 0, 0}, {0, 1.5f, 0, -1, 0, 0}, {0, -1.5f, -1.5f, -1, 0, 0}};
    ASSERT_EQ(m_device->SetVertexShader(Fvf::XYZ | Fvf::Normal), GfxResult::Ok);
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, v, sizeof(LitVertex)), GfxResult::Ok);

    // colour = global ambient x material ambient + material diffuse x light diffuse x max(0, N . -direction)
    float nDotL = 1.0f / std::sqrt(2.0f);
    float ambient = 64.0f / 255.0f * 0.5f;
    float lit[3] = {ambient + 1.0f * nDotL, ambient + 0.5f * nDotL, ambient + 0.25f * nDotL};
    EXPECT_TRUE(ColourNear(Pixel(32, 36), Rgb(lit[0], lit[1], lit[2]), 3));

    // Linear fog by eye depth: the triangle is 5 away, fog from 2 to 8 leaves half of its colour.
    Rs(RenderState::FogEnable, 1);
    Rs(RenderState::FogColour, 0x0000FF00u);
    Rs(RenderState::FogTableMode, FogMode::None);
    Rs(RenderState::FogVertexMode, FogMode::Linear);
    Rs(RenderState::FogStart, FloatBits(2.0f));
    Rs(RenderState::FogEnd, FloatBits(8.0f));
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, v, sizeof(LitVertex)), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(32, 36), Rgb(0.5f * lit[0], 0.5f * lit[1] + 0.5f, 0.5f * lit[2]), 3));
}

TEST_F(GLDeviceTest, TwoTextureStagesModulateThenAdd)
{
    // 2 x 2 texture: four distinct texels; a 1 x 1 texture added on top.
    const uint32_t texels[4] = {0xFFC86432u, 0xFF00FF00u, 0xFFFFFFFFu, 0xFF285078u};
    const uint32_t added = 0xFF141E28u;
    TexturePtr first = MakeTexture(2, 2, PixelFormat::A8R8G8B8, texels);
    TexturePtr second = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &added);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(m_device->SetTexture(0, first.get()), GfxResult::Ok);
    ASSERT_EQ(m_device->SetTexture(1, second.get()), GfxResult::Ok);
    Tss(0, TextureStageState::ColourOp, TextureOp::Modulate);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::ColourArg2, TextureArg::Diffuse);
    Tss(1, TextureStageState::ColourOp, TextureOp::Add);
    Tss(1, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(1, TextureStageState::ColourArg2, TextureArg::Current);
    Tss(1, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    Tss(1, TextureStageState::AlphaArg1, TextureArg::Current);
    Tss(1, TextureStageState::TexCoordIndex, 0);
    const uint32_t diffuse = 0xFF80FF40u;
    ASSERT_EQ(DrawRect(-0.5f, -0.5f, 63.5f, 63.5f, 0.5f, diffuse), GfxResult::Ok);

    auto expected = [&](uint32_t texel)
    {
        uint32_t out = 0xFF000000u;
        for (int shift : {0, 8, 16})
        {
            uint32_t v = Channel(texel, shift) * Channel(diffuse, shift) / 255 + Channel(added, shift);
            out |= std::min(255u, v) << shift;
        }
        return out;
    };
    EXPECT_TRUE(ColourNear(Pixel(16, 16), expected(texels[0]), 2));
    EXPECT_TRUE(ColourNear(Pixel(48, 16), expected(texels[1]), 2));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), expected(texels[2]), 2));
    EXPECT_TRUE(ColourNear(Pixel(48, 48), expected(texels[3]), 2));

    // Stage 1 disabled ends the chain: the modulated colour alone.
    Tss(1, TextureStageState::ColourOp, TextureOp::Disable);
    ASSERT_EQ(DrawRect(-0.5f, -0.5f, 63.5f, 63.5f, 0.5f, diffuse), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(16, 16), 0xFF64640Du, 2)); // C8*80, 64*FF, 32*40 over 255

    // A texel written through a rectangle lock shows at the next draw.
    LockedRect locked;
    Rect one{1, 1, 2, 2};
    ASSERT_EQ(first->LockRect(0, &locked, &one, 0), GfxResult::Ok);
    *static_cast<uint32_t*>(locked.bits) = 0xFF0000FFu;
    ASSERT_EQ(first->UnlockRect(0), GfxResult::Ok);
    ASSERT_EQ(DrawRect(-0.5f, -0.5f, 63.5f, 63.5f, 0.5f, diffuse), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(48, 48), 0xFF000040u, 2));
    EXPECT_TRUE(ColourNear(Pixel(16, 16), 0xFF64640Du, 2));
}

TEST_F(GLDeviceTest, TextureFormatsUploadFromTheirOwnLayouts)
{
    struct Case
    {
        PixelFormat format;
        std::vector<uint8_t> block; // one row of texels (a 4 x 4 texture repeats it) or one DXT block
        uint32_t expected;
        uint32_t tolerance;
    };
    auto repeat = [](std::vector<uint8_t> texel)
    {
        std::vector<uint8_t> all;
        for (int i = 0; i < 16; ++i)
            all.insert(all.end(), texel.begin(), texel.end());
        return all;
    };
    const Case cases[] = {
        {PixelFormat::A8R8G8B8, repeat({0x40, 0x80, 0xFF, 0x80}), 0x80FF8040u, 0},
        {PixelFormat::X8R8G8B8, repeat({0x33, 0x22, 0x11, 0x00}), 0xFF112233u, 0},
        {PixelFormat::R5G6B5, repeat({0x1F, 0xF8}), 0xFFFF00FFu, 0},   // red 31, green 0, blue 31
        {PixelFormat::A1R5G5B5, repeat({0x00, 0x7C}), 0x00FF0000u, 0}, // alpha bit clear, red 31
        {PixelFormat::A4R4G4B4, repeat({0x0F, 0x8F}), 0x88FF00FFu, 0},
        // DXT1: colours red and blue, every index 2 = two thirds red and one third blue.
        {PixelFormat::DXT1, {0x00, 0xF8, 0x1F, 0x00, 0xAA, 0xAA, 0xAA, 0xAA}, 0xFFAA0055u, 3},
        // DXT3: explicit alpha 8 of 15 everywhere, green colour block.
        {PixelFormat::DXT3,
         {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0xE0, 0x07, 0, 0, 0, 0, 0, 0},
         0x8800FF00u,
         1},
        // DXT5: alpha endpoints 255 and 0, every index 2 = (6 x 255 + 0) / 7; white colour block.
        {PixelFormat::DXT5,
         {0xFF, 0x00, 0x92, 0x24, 0x49, 0x92, 0x24, 0x49, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},
         0xDAFFFFFFu,
         2},
    };
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    for (const Case& c : cases)
    {
        TexturePtr texture = MakeTexture(4, 4, c.format, c.block.data());
        ASSERT_TRUE(texture);
        ASSERT_EQ(m_device->SetTexture(0, texture.get()), GfxResult::Ok);
        ASSERT_EQ(DrawRect(-0.5f, -0.5f, 63.5f, 63.5f, 0.5f, 0xFFFFFFFFu), GfxResult::Ok);
        EXPECT_TRUE(ColourNear(Pixel(30, 30), c.expected, c.tolerance, true)) << FormatName(c.format);
    }
}

TEST_F(GLDeviceTest, AlphaTestAndBlendingCombineWithTheTarget)
{
    UseVertexColour();
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF0000FFu, 1.0f, 0), GfxResult::Ok);
    // Alpha test: greater than 0x80 passes 0x81 and rejects 0x7F.
    Rs(RenderState::AlphaTestEnable, 1);
    Rs(RenderState::AlphaFunc, CompareFunc::Greater);
    Rs(RenderState::AlphaRef, 0x80);
    ASSERT_EQ(DrawRect(0, 0, 32, 64, 0.5f, 0x7FFF0000u), GfxResult::Ok);
    ASSERT_EQ(DrawRect(32, 0, 64, 64, 0.5f, 0x81FF0000u), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(10, 10), 0xFF0000FFu, 0));
    EXPECT_TRUE(ColourNear(Pixel(50, 10), 0xFFFF0000u, 0));
    Rs(RenderState::AlphaTestEnable, 0);

    // Source alpha blending: a quarter of red over blue.
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF0000FFu, 1.0f, 0), GfxResult::Ok);
    Rs(RenderState::AlphaBlendEnable, 1);
    Rs(RenderState::SrcBlend, BlendFactor::SrcAlpha);
    Rs(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
    ASSERT_EQ(DrawRect(0, 0, 64, 64, 0.5f, 0x40FF0000u), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(20, 20), Rgb(64.0f / 255.0f, 0.0f, 191.0f / 255.0f), 2));

    // Destination alpha needs alpha bits in the target: a target alpha of 0x80 halves white.
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0x80000000u, 1.0f, 0), GfxResult::Ok);
    Rs(RenderState::SrcBlend, BlendFactor::DestAlpha);
    Rs(RenderState::DestBlend, BlendFactor::Zero);
    ASSERT_EQ(DrawRect(0, 0, 64, 64, 0.5f, 0xFFFFFFFFu), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(20, 20), Rgb(128.0f / 255.0f, 128.0f / 255.0f, 128.0f / 255.0f), 2));
}

TEST_F(GLDeviceTest, StencilGreaterReplaceDarkensEachPixelOnce)
{
    UseVertexColour();
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::Stencil, 0xFFFFFFFFu, 1.0f, 0),
              GfxResult::Ok);
    Rs(RenderState::AlphaBlendEnable, 1);
    Rs(RenderState::SrcBlend, BlendFactor::SrcAlpha);
    Rs(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
    Rs(RenderState::StencilEnable, 1);
    Rs(RenderState::StencilFunc, CompareFunc::Greater);
    Rs(RenderState::StencilPass, StencilOp::Replace);
    Rs(RenderState::StencilRef, 1);
    // Two half-dark shadows overlapping in the middle third.
    ASSERT_EQ(DrawRect(0, 0, 40, 64, 0.5f, 0x80000000u), GfxResult::Ok);
    ASSERT_EQ(DrawRect(24, 0, 64, 64, 0.5f, 0x80000000u), GfxResult::Ok);
    uint32_t once = Rgb(127.0f / 255.0f, 127.0f / 255.0f, 127.0f / 255.0f);
    EXPECT_TRUE(ColourNear(Pixel(10, 10), once, 2));
    EXPECT_TRUE(ColourNear(Pixel(32, 10), once, 2));
    EXPECT_TRUE(ColourNear(Pixel(50, 10), once, 2));
}

TEST_F(GLDeviceTest, TextureTransformsAndCameraSpaceCoordinates)
{
    // Left column red, right column green.
    const uint32_t texels[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFFFF0000u, 0xFF00FF00u};
    TexturePtr texture = MakeTexture(2, 2, PixelFormat::A8R8G8B8, texels);
    ASSERT_TRUE(texture);
    ASSERT_EQ(m_device->SetTexture(0, texture.get()), GfxResult::Ok);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    UseOrthoCamera();
    ASSERT_EQ(m_device->SetVertexShader(kNormalFvf), GfxResult::Ok);
    auto draw = [&](float nx, float nz)
    {
        NormalVertex v[4] = {{-1, 1, 1, nx, 0, nz, 0xFFFFFFFFu, 0.25f, 0.25f},
                             {1, 1, 1, nx, 0, nz, 0xFFFFFFFFu, 0.25f, 0.25f},
                             {-1, -1, 1, nx, 0, nz, 0xFFFFFFFFu, 0.25f, 0.25f},
                             {1, -1, 1, nx, 0, nz, 0xFFFFFFFFu, 0.25f, 0.25f}};
        EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(NormalVertex)), GfxResult::Ok);
        return Pixel(32, 32);
    };
    EXPECT_TRUE(ColourNear(draw(0, -1), 0xFFFF0000u, 0)); // u = 0.25

    // Two-component coordinates enter the matrix as (u, v, 1, 0): the translation sits in the third row.
    Matrix shift = MatrixIdentity();
    shift.m[2][0] = 0.5f;
    ASSERT_EQ(m_device->SetTransform(TransformType::Texture0, shift), GfxResult::Ok);
    Tss(0, TextureStageState::TextureTransformFlags, TextureTransform::Count2);
    EXPECT_TRUE(ColourNear(draw(0, -1), 0xFF00FF00u, 0)); // u = 0.75

    // Camera-space normals enter as (x, y, z, 1): u = 0.49 x + 0.5 picks the side the normal leans to.
    Tss(0, TextureStageState::TexCoordIndex, TexCoordGen::CameraSpaceNormal);
    Matrix fromX = MatrixIdentity();
    fromX.m[0][0] = 0.49f;
    fromX.m[3][0] = 0.5f;
    ASSERT_EQ(m_device->SetTransform(TransformType::Texture0, fromX), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(draw(0.8f, -0.6f), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(draw(-0.8f, -0.6f), 0xFFFF0000u, 0));
    // The z of the normal keeps its sign: a normal towards the camera (z < 0) gives u = 0.49 z + 0.5 < 0.5.
    Matrix fromZ = MatrixIdentity();
    fromZ.m[0][0] = 0.0f;
    fromZ.m[2][0] = 0.49f;
    fromZ.m[3][0] = 0.5f;
    ASSERT_EQ(m_device->SetTransform(TransformType::Texture0, fromZ), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(draw(0.0f, -1.0f), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(draw(0.0f, 1.0f), 0xFF00FF00u, 0));
}

TEST_F(GLDeviceTest, BuffersDrawWhatWasWrittenAndRefuseOutOfRangeDraws)
{
    UseVertexColour();
    VertexBufferPtr dynamic, managed;
    IndexBufferPtr indices;
    ASSERT_EQ(m_device->CreateVertexBuffer(6 * sizeof(ScreenVertex), Usage::Dynamic | Usage::WriteOnly, kScreenFvf,
                                           Pool::Default, &dynamic),
              GfxResult::Ok);
    ASSERT_EQ(m_device->CreateVertexBuffer(8 * sizeof(ScreenVertex), 0, kScreenFvf, Pool::Managed, &managed),
              GfxResult::Ok);
    ASSERT_EQ(m_device->CreateIndexBuffer(6 * 2, 0, PixelFormat::Index16, Pool::Managed, &indices), GfxResult::Ok);
    ASSERT_EQ(m_device->SetVertexShader(kScreenFvf), GfxResult::Ok);
    auto write = [](auto& buffer, uint32_t first, uint32_t flags, const std::vector<ScreenVertex>& v)
    {
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(first * sizeof(ScreenVertex), v.size() * sizeof(ScreenVertex), &data, flags),
                  GfxResult::Ok);
        std::memcpy(data, v.data(), v.size() * sizeof(ScreenVertex));
        ASSERT_EQ(buffer->Unlock(), GfxResult::Ok);
    };

    // Dynamic: clockwise triangles at the top; a no-overwrite append and a discard leave earlier draws alone.
    auto triangle = [](float x, uint32_t colour) -> std::vector<ScreenVertex> {
        return {{x, 10, 0.5f, 1, colour, 0, 0}, {x + 16, 10, 0.5f, 1, colour, 0, 0}, {x, 26, 0.5f, 1, colour, 0, 0}};
    };
    ASSERT_EQ(m_device->SetStreamSource(0, dynamic.get(), sizeof(ScreenVertex)), GfxResult::Ok);
    write(dynamic, 0, LockFlags::Discard, triangle(2, 0xFFFF0000u));
    ASSERT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1), GfxResult::Ok);
    write(dynamic, 3, LockFlags::NoOverwrite, triangle(22, 0xFF00FF00u));
    ASSERT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 3, 1), GfxResult::Ok);
    write(dynamic, 0, LockFlags::Discard, triangle(42, 0xFF0000FFu));
    ASSERT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(4, 12), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(24, 12), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(Pixel(44, 12), 0xFF0000FFu, 0));
    EXPECT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 4, 1), GfxResult::InvalidCall); // past the end
    // A Default-pool buffer blocks a reset until it is released.
    EXPECT_EQ(m_device->Reset(m_device->GetPresentParams()), GfxResult::InvalidCall);

    // Managed and indexed: vertices 4..7 form a quad over the lower right; 0..3 are a decoy over the lower left.
    std::vector<ScreenVertex> v;
    for (auto [x, colour] : {std::pair{0.0f, 0xFFFF0000u}, std::pair{32.0f, 0xFF00FF00u}})
        for (auto [dx, y] : {std::pair{0.0f, 32.0f}, {32.0f, 32.0f}, {0.0f, 64.0f}, {32.0f, 64.0f}})
            v.push_back({x + dx, y, 0.5f, 1, colour, 0, 0});
    write(managed, 0, 0, v);
    const uint16_t quad[6] = {0, 1, 2, 1, 3, 2};
    void* data = nullptr;
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), GfxResult::Ok);
    std::memcpy(data, quad, sizeof(quad));
    ASSERT_EQ(indices->Unlock(), GfxResult::Ok);
    ASSERT_EQ(managed->Lock(4 * sizeof(ScreenVertex), sizeof(ScreenVertex), &data, LockFlags::ReadOnly), GfxResult::Ok);
    EXPECT_EQ(std::memcmp(data, &v[4], sizeof(ScreenVertex)), 0); // a read lock gives back what was written
    ASSERT_EQ(managed->Unlock(), GfxResult::Ok);
    ASSERT_EQ(m_device->SetStreamSource(0, managed.get(), sizeof(ScreenVertex)), GfxResult::Ok);
    ASSERT_EQ(m_device->SetIndices(indices.get(), 4), GfxResult::Ok);
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::Ok);
    EXPECT_TRUE(ColourNear(Pixel(48, 48), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), 0xFF000000u, 0));
    // Indices outside the declared vertex range are refused; so is a base that runs past the buffer.
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 3, 0, 2), GfxResult::InvalidCall);
    ASSERT_EQ(m_device->SetIndices(indices.get(), 6), GfxResult::Ok);
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
}

TEST_F(GLDeviceTest, PresentKeepsTheFrontBufferAndResetChangesTheSize)
{
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF112233u, 1.0f, 0), GfxResult::Ok);
    EXPECT_EQ(m_device->Present(), GfxResult::InvalidCall); // still inside the scene
    ASSERT_EQ(m_device->EndScene(), GfxResult::Ok);
    ASSERT_EQ(m_device->Present(), GfxResult::Ok);
    ASSERT_EQ(m_device->Clear(0, nullptr, ClearFlags::Target, 0xFF445566u, 1.0f, 0), GfxResult::Ok);
    std::vector<uint32_t> front;
    uint32_t w = 0, h = 0;
    ASSERT_EQ(m_device->ReadFrontBuffer(&front, &w, &h), GfxResult::Ok);
    ASSERT_EQ(front.size(), size_t{kSize} * kSize);
    EXPECT_EQ(front[5 * kSize + 7], 0xFF112233u);
    EXPECT_EQ(Pixel(7, 5), 0xFF445566u);

    // A 2 x 2 image with the key colour in one corner, copied to the top-left.
    const uint32_t image[4] = {0x00102030u, 0x00FF00FFu, 0x00405060u, 0x00708090u};
    ASSERT_EQ(m_device->WriteBackBuffer(image, 2, 2, 0xFFFF00FFu), GfxResult::Ok);
    EXPECT_EQ(Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(Pixel(1, 0), 0x00000000u);
    EXPECT_EQ(Pixel(2, 2), 0xFF445566u);

    Rs(RenderState::Lighting, 0);
    PresentParams params = m_device->GetPresentParams();
    params.backBufferWidth = 32;
    params.backBufferHeight = 16;
    ASSERT_EQ(m_device->Reset(params), GfxResult::Ok);
    ASSERT_EQ(m_device->ReadBackBuffer(&front, &w, &h), GfxResult::Ok);
    EXPECT_EQ(w * 100 + h, 3216u); // 32 x 16
    uint32_t lighting = 0;
    ASSERT_EQ(m_device->GetRenderState(RenderState::Lighting, &lighting), GfxResult::Ok);
    EXPECT_EQ(lighting, 1u); // a reset brings the default states back
}

TEST_F(GLDeviceTest, DefaultPoolTexturesCountAgainstTheVideoBudget)
{
    // A 256 x 256 A8R8G8B8 texture with its full chain holds 256K + 64K + ... + 4 bytes.
    uint32_t chain = 0;
    for (uint32_t side = 256; side >= 1; side /= 2)
        chain += side * side * 4;
    const uint32_t before = m_device->GetAvailableTextureMem();
    std::vector<TexturePtr> made;
    GfxResult result = GfxResult::Ok;
    while (made.size() < 4096)
    {
        TexturePtr texture;
        result = m_device->CreateTexture(256, 256, 0, 0, PixelFormat::A8R8G8B8, Pool::Default, &texture);
        if (result != GfxResult::Ok)
            break;
        made.push_back(std::move(texture));
        ASSERT_EQ(m_device->GetAvailableTextureMem(), before - chain * made.size());
    }
    EXPECT_EQ(result, GfxResult::OutOfVideoMemory);
    EXPECT_EQ(made.size(), before / chain);
    made.clear(); // released textures give their memory back
    EXPECT_EQ(m_device->GetAvailableTextureMem(), before);
}

TEST(GLSystemTest, ReportsTheModesAndFormatsTheEngineTestsFor)
{
    GraphicsSystemPtr system = CreateOpenGLSystem();
    if (!system || system->GetAdapterCount() == 0)
        GTEST_SKIP() << "no video subsystem";
    bool has16 = false, has32 = false;
    for (uint32_t i = 0; i < system->GetAdapterModeCount(0); ++i)
    {
        DisplayMode mode;
        ASSERT_EQ(system->EnumAdapterModes(0, i, &mode), GfxResult::Ok);
        has16 = has16 || (mode.width == 800 && mode.height == 600 && mode.format == PixelFormat::R5G6B5);
        has32 = has32 || (mode.width == 800 && mode.height == 600 && mode.format == PixelFormat::X8R8G8B8);
    }
    EXPECT_TRUE(has16 && has32);
    EXPECT_EQ(system->CheckDeviceType(0, DeviceType::Hal, PixelFormat::R5G6B5, PixelFormat::R5G6B5, false),
              GfxResult::Ok);
    EXPECT_EQ(system->CheckDeviceType(0, DeviceType::Hal, PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8, false),
              GfxResult::Ok);
    EXPECT_EQ(system->CheckDepthStencilMatch(0, DeviceType::Hal, PixelFormat::X8R8G8B8, PixelFormat::X8R8G8B8,
                                             PixelFormat::D24S8),
              GfxResult::Ok);
}

} // namespace
