// Tests of the OpenGL device, headless: small scenes checked pixel by pixel against values worked out by hand.
#include "platform/gfx/Device.h"
#include "platform/gfx/GLApi.h"
#include "platform/gfx/GLCallCount.h"
#include "platform/gfx/TextureUtil.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

using namespace platform;

#define ASSERT_OK(call) ASSERT_EQ((call), GfxResult::Ok)

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

::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, uint32_t tolerance, bool alpha = false)
{
    for (int shift : {0, 8, 16, 24})
    {
        int d = static_cast<int>((actual >> shift) & 255) - static_cast<int>((expected >> shift) & 255);
        if ((shift < 24 || alpha) && static_cast<uint32_t>(std::abs(d)) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "pixel " << actual << ", expected " << expected;
    }
    return ::testing::AssertionSuccess();
}

uint32_t Rgb(float r, float g, float b)
{
    auto q = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return 0xFF000000u | (q(r) << 16) | (q(g) << 8) | q(b);
}

uint32_t Grey(uint32_t level)
{
    return 0xFF000000u | level * 0x010101u;
}

// Whether SDL can make an OpenGL context here at all, on a hidden window of its own: where it can, a device that
// cannot be made is a fault, not a reason to skip.
bool SdlMakesGLContexts()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    bool made = context != nullptr;
    if (context)
        SDL_GL_DeleteContext(context);
    if (window)
        SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return made;
}

class GLDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_system = CreateOpenGLSystem();
        PresentParams params;
        params.backBufferWidth = params.backBufferHeight = kSize;
        params.backBufferFormat = PixelFormat::A8R8G8B8;
        params.autoDepthStencilFormat = PixelFormat::D24S8;
        if (!m_system || m_system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing,
                                                &params, &m_device) != GfxResult::Ok)
        {
            m_device.reset();
            if (SdlMakesGLContexts())
                FAIL() << "SDL makes GL contexts here, but the device could not be made";
            GTEST_SKIP() << "no OpenGL context can be made here";
        }
        ASSERT_OK(m_device->BeginScene());
        ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil,
                                  0xFF000000u, 1.0f, 0));
    }

    uint32_t Pixel(uint32_t x, uint32_t y)
    {
        std::vector<uint32_t> pixels;
        uint32_t w = 0, h = 0;
        EXPECT_EQ(m_device->ReadBackBuffer(&pixels, &w, &h), GfxResult::Ok);
        return y < h && x < w ? pixels[static_cast<size_t>(y) * w + x] : 0xDEADBEEFu;
    }

    std::vector<uint32_t> Frame()
    {
        std::vector<uint32_t> pixels;
        uint32_t w = 0, h = 0;
        EXPECT_EQ(m_device->ReadBackBuffer(&pixels, &w, &h), GfxResult::Ok);
        EXPECT_EQ(w * h, kSize * kSize);
        pixels.resize(size_t{kSize} * kSize);
        return pixels;
    }

    void ClearTo(uint32_t colour) { ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target, colour, 1.0f, 0)); }
    void Rs(RenderState state, uint32_t value) { ASSERT_OK(m_device->SetRenderState(state, value)); }
    void Tss(uint32_t stage, TextureStageState state, uint32_t value)
    {
        ASSERT_OK(m_device->SetTextureStageState(stage, state, value));
    }

    // Stage 0 passes the vertex colour and alpha through.
    void UseVertexColour()
    {
        Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
        Tss(0, TextureStageState::ColourArg1, TextureArg::Diffuse);
        Tss(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
        Tss(0, TextureStageState::AlphaArg1, TextureArg::Diffuse);
    }

    // A screen rectangle as a strip, clockwise (kept by the default culling), texture coordinates 0..1.
    static std::vector<ScreenVertex> Quad(float x0, float y0, float x1, float y1, uint32_t colour)
    {
        return {{x0, y0, 0.5f, 1, colour, 0, 0},
                {x1, y0, 0.5f, 1, colour, 1, 0},
                {x0, y1, 0.5f, 1, colour, 0, 1},
                {x1, y1, 0.5f, 1, colour, 1, 1}};
    }
    GfxResult DrawRect(float x0, float y0, float x1, float y1, uint32_t colour)
    {
        std::vector<ScreenVertex> v = Quad(x0, y0, x1, y1, colour);
        EXPECT_EQ(m_device->SetVertexShader(kScreenFvf), GfxResult::Ok);
        return m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v.data(), sizeof(ScreenVertex));
    }
    GfxResult DrawFull(uint32_t colour) { return DrawRect(-0.5f, -0.5f, 63.5f, 63.5f, colour); }

    // A texture of the given format whose level 0 is filled from packed rows.
    TexturePtr MakeTexture(uint32_t w, uint32_t h, PixelFormat format, const void* bytes)
    {
        TexturePtr texture;
        EXPECT_EQ(m_device->CreateTexture(w, h, 1, 0, format, Pool::Managed, &texture), GfxResult::Ok);
        LockedRect locked;
        if (!texture || texture->LockRect(0, &locked, nullptr, 0) != GfxResult::Ok)
            return nullptr;
        uint32_t rows = IsBlockCompressed(format) ? (h + 3) / 4 : h, rowBytes = FormatRowPitch(format, w);
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch,
                        static_cast<const uint8_t*>(bytes) + y * rowBytes, rowBytes);
        EXPECT_EQ(texture->UnlockRect(0), GfxResult::Ok);
        return texture;
    }

    // Stage 0 multiplies the first texture by the vertex colour, stage 1 adds the second texture (same coordinates).
    void ModulateThenAdd(ITexture* first, ITexture* second)
    {
        ASSERT_OK(m_device->SetTexture(0, first));
        ASSERT_OK(m_device->SetTexture(1, second));
        Tss(0, TextureStageState::ColourOp, TextureOp::Modulate);
        Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
        Tss(0, TextureStageState::ColourArg2, TextureArg::Diffuse);
        Tss(1, TextureStageState::ColourOp, TextureOp::Add);
        Tss(1, TextureStageState::ColourArg1, TextureArg::Texture);
        Tss(1, TextureStageState::ColourArg2, TextureArg::Current);
        Tss(1, TextureStageState::AlphaOp, TextureOp::SelectArg1);
        Tss(1, TextureStageState::AlphaArg1, TextureArg::Current);
        Tss(1, TextureStageState::TexCoordIndex, 0);
    }

    // Unlit transformed geometry seen through an orthographic box 2 x 2 wide, z from 0 to 10.
    void UseOrthoCamera()
    {
        ASSERT_OK(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(2.0f, 2.0f, 0.0f, 10.0f)));
        Rs(RenderState::Lighting, 0);
    }

    GraphicsSystemPtr m_system;
    DevicePtr m_device;
};

TEST_F(GLDeviceTest, ClearFillsTheViewportAndTheGivenRectangles)
{
    ClearTo(0xFF336699u);
    Rect rect{10, 20, 30, 40};
    ASSERT_OK(m_device->Clear(1, &rect, ClearFlags::Target, 0x80FF0000u, 1.0f, 0));
    EXPECT_TRUE(ColourNear(Pixel(10, 20), 0x80FF0000u, 0, true)); // rows run top to bottom
    EXPECT_TRUE(ColourNear(Pixel(29, 39), 0x80FF0000u, 0, true));
    EXPECT_TRUE(ColourNear(Pixel(30, 39), 0xFF336699u, 0, true));
    // Without rectangles a clear covers the viewport only.
    ASSERT_OK(m_device->SetViewport({32, 0, 32, 32, 0.0f, 1.0f}));
    ClearTo(0xFF00FF00u);
    EXPECT_TRUE(ColourNear(Pixel(40, 10), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(Pixel(40, 40), 0xFF336699u, 0));
}

// A rectangle covers the pixels whose centres (whole coordinates) lie inside it, those on its top or left edge
// included and those on its bottom or right edge left out; drawn in screen space and through an orthographic
// camera whose units are pixels.
TEST_F(GLDeviceTest, RectanglesCoverThePixelsWhoseCentresTheyHold)
{
    UseVertexColour();
    const struct
    {
        float left, top, right, bottom;
        uint32_t firstColumn, lastColumn, firstRow, lastRow;
    } cases[] = {
        {10, 10, 20, 20, 10, 19, 10, 19},           // whole edges: top and left rows in, bottom and right out
        {10.3f, 5.3f, 20.3f, 15.3f, 11, 20, 6, 15}, // edges between centres
        {9.5f, 30.5f, 20.5f, 41.5f, 10, 20, 31, 41},
        {0, 0, 1, 1, 0, 0, 0, 0}, // one pixel
    };
    // Screen x = world x + 32, screen y = 32 - world y: the camera looks along +z at a 64 x 64 box.
    ASSERT_OK(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(64.0f, 64.0f, 0.0f, 10.0f)));
    Rs(RenderState::Lighting, 0);
    for (bool camera : {false, true})
    {
        for (const auto& c : cases)
        {
            ClearTo(0xFF000000u);
            if (camera)
            {
                const float x0 = c.left - 32, x1 = c.right - 32, y0 = 32 - c.top, y1 = 32 - c.bottom;
                ColourVertex v[4] = {{x0, y0, 1, 0xFFFFFFFFu},
                                     {x1, y0, 1, 0xFFFFFFFFu},
                                     {x0, y1, 1, 0xFFFFFFFFu},
                                     {x1, y1, 1, 0xFFFFFFFFu}};
                ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Diffuse));
                ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColourVertex)));
            }
            else
            {
                ASSERT_OK(DrawRect(c.left, c.top, c.right, c.bottom, 0xFFFFFFFFu));
            }
            std::vector<uint32_t> pixels = Frame();
            uint32_t minX = kSize, maxX = 0, minY = kSize, maxY = 0;
            for (uint32_t y = 0; y < kSize; ++y)
            {
                for (uint32_t x = 0; x < kSize; ++x)
                {
                    if (pixels[y * kSize + x] == 0xFF000000u)
                        continue;
                    EXPECT_EQ(pixels[y * kSize + x], 0xFFFFFFFFu);
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
            }
            EXPECT_EQ((std::array{minX, maxX, minY, maxY}),
                      (std::array{c.firstColumn, c.lastColumn, c.firstRow, c.lastRow}))
                << (camera ? "camera" : "screen") << " rectangle " << c.left << "," << c.top << " to " << c.right << ","
                << c.bottom;
        }
    }
}

TEST_F(GLDeviceTest, DepthRangeAndCulling)
{
    UseVertexColour();
    // With z from 0 to 10 mapped to depth 0..1: z = 6 is behind a cleared 0.5, z = 4 in front.
    UseOrthoCamera();
    ClearTo(0xFF000000u);
    ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::ZBuffer, 0, 0.5f, 0));
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Diffuse));
    auto quad = [&](float z, uint32_t colour)
    {
        ColourVertex v[4] = {{-1, 1, z, colour}, {1, 1, z, colour}, {-1, -1, z, colour}, {1, -1, z, colour}};
        return m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColourVertex));
    };
    ASSERT_OK(quad(6.0f, 0xFF00FF00u));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF000000u, 0));
    ASSERT_OK(quad(4.0f, 0xFFFF0000u));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFFFF0000u, 0));
    // Without depth writes a nearer quad leaves the depth as it was: one between them still shows.
    Rs(RenderState::ZWriteEnable, 0);
    ASSERT_OK(quad(2.0f, 0xFF0000FFu));
    Rs(RenderState::ZWriteEnable, 1);
    ASSERT_OK(quad(3.0f, 0xFF00FF00u));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF00FF00u, 0));
    Rs(RenderState::ZEnable, 0);

    // Coplanar quads: the second fails a Less test, unless a depth bias brings it forward.
    Rs(RenderState::ZEnable, 1);
    Rs(RenderState::ZFunc, CompareFunc::Less);
    ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::ZBuffer, 0, 1.0f, 0));
    ASSERT_OK(quad(5.0f, 0xFFFF0000u));
    ASSERT_OK(quad(5.0f, 0xFF00FF00u));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFFFF0000u, 0));
    Rs(RenderState::ZBias, 1);
    ASSERT_OK(quad(5.0f, 0xFF0000FFu));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF0000FFu, 0));
    Rs(RenderState::ZBias, 0);
    Rs(RenderState::ZFunc, CompareFunc::LessEqual);
    Rs(RenderState::ZEnable, 0);

    // A new viewport between two draws takes the second into its own corner.
    ClearTo(0xFF000000u);
    ASSERT_OK(quad(1.0f, 0xFFFFFFFFu));
    ASSERT_OK(m_device->SetViewport({0, 0, 16, 16, 0.0f, 1.0f}));
    ASSERT_OK(quad(1.0f, 0xFFFF0000u));
    EXPECT_TRUE(ColourNear(Pixel(8, 8), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(24, 24), 0xFFFFFFFFu, 0));
    ASSERT_OK(m_device->SetViewport({0, 0, kSize, kSize, 0.0f, 1.0f}));

    // Bottom-left, top, bottom-right is clockwise on the screen: CCW culling keeps it, CW culling removes it.
    ColourVertex tri[3] = {{-1, -1, 1, 0xFFFFFFFFu}, {0, 1, 1, 0xFFFFFFFFu}, {1, -1, 1, 0xFFFFFFFFu}};
    for (auto [cull, drawn] : {std::pair{CullMode::CCW, true}, {CullMode::CW, false}, {CullMode::CCW, true}})
    {
        Rs(RenderState::CullMode, cull);
        ClearTo(0xFF000000u);
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, tri, sizeof(ColourVertex)));
        EXPECT_EQ(Pixel(32, 40) == 0xFFFFFFFFu, drawn) << "cull " << cull;
    }
}

TEST_F(GLDeviceTest, LitAndFoggedTriangleFollowsTheLightingAndFogFormulas)
{
    // The camera stands at x = -5 looking along +x; the triangle lies in the plane x = 0 facing it.
    ASSERT_OK(m_device->SetTransform(TransformType::View, MatrixLookAtLH({-5, 0, 0}, {0, 0, 0}, {0, 1, 0})));
    ASSERT_OK(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(4.0f, 4.0f, 0.1f, 20.0f)));
    MaterialDesc material;
    material.diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    material.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
    ASSERT_OK(m_device->SetMaterial(material));
    LightDesc light;
    light.type = LightType::Directional;
    light.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.direction = Vec3Normalize({1.0f, -1.0f, 0.0f}); // down and away from the camera
    ASSERT_OK(m_device->SetLight(0, light));
    ASSERT_OK(m_device->LightEnable(0, true));
    Rs(RenderState::Ambient, 0x00404040u);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Diffuse);

    struct LitVertex
    {
        float x, y, z, nx, ny, nz;
    };
    // Screen right is world -z from this camera; bottom-left, top, bottom-right is clockwise.
    LitVertex v[3] = {{0, -1.5f, 1.5f, -1, 0, 0}, {0, 1.5f, 0, -1, 0, 0}, {0, -1.5f, -1.5f, -1, 0, 0}};
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Normal));
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, v, sizeof(LitVertex)));
    // colour = global ambient x material ambient + material diffuse x light diffuse x max(0, N . -direction)
    float nDotL = 1.0f / std::sqrt(2.0f), ambient = 64.0f / 255.0f * 0.5f;
    float lit[3] = {ambient + 1.0f * nDotL, ambient + 0.5f * nDotL, ambient + 0.25f * nDotL};
    EXPECT_TRUE(ColourNear(Pixel(32, 36), Rgb(lit[0], lit[1], lit[2]), 3));

    // Linear fog by eye depth: the triangle is 5 away, fog from 2 to 8 leaves half of its colour.
    Rs(RenderState::FogEnable, 1);
    Rs(RenderState::FogColour, 0x0000FF00u);
    Rs(RenderState::FogTableMode, FogMode::None);
    Rs(RenderState::FogVertexMode, FogMode::Linear);
    Rs(RenderState::FogStart, FloatBits(2.0f));
    Rs(RenderState::FogEnd, FloatBits(8.0f));
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, v, sizeof(LitVertex)));
    EXPECT_TRUE(ColourNear(Pixel(32, 36), Rgb(0.5f * lit[0], 0.5f * lit[1] + 0.5f, 0.5f * lit[2]), 3));
}

TEST_F(GLDeviceTest, TwoTextureStagesModulateThenAdd)
{
    const uint32_t texels[4] = {0xFFC86432u, 0xFF00FF00u, 0xFFFFFFFFu, 0xFF285078u};
    const uint32_t added = 0xFF141E28u, diffuse = 0xFF80FF40u;
    TexturePtr first = MakeTexture(2, 2, PixelFormat::A8R8G8B8, texels);
    TexturePtr second = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &added);
    ASSERT_TRUE(first && second);
    ModulateThenAdd(first.get(), second.get());
    ASSERT_OK(DrawFull(diffuse));
    // texel x diffuse / 255 + added, per channel: (C8*80, 64*FF, 32*40) + (14, 1E, 28) and white x diffuse + added.
    EXPECT_TRUE(ColourNear(Pixel(16, 16), 0xFF788234u, 2));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), 0xFF94FF68u, 2)); // green saturates
    // Stage 1 disabled ends the chain: the modulated colour alone (C8*80, 64*FF, 32*40 over 255).
    Tss(1, TextureStageState::ColourOp, TextureOp::Disable);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(16, 16), 0xFF64640Du, 2));

    // A texel written through a rectangle lock shows at the next draw.
    LockedRect locked;
    Rect one{1, 1, 2, 2};
    ASSERT_OK(first->LockRect(0, &locked, &one, 0));
    *static_cast<uint32_t*>(locked.bits) = 0xFF0000FFu;
    ASSERT_OK(first->UnlockRect(0));
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(48, 48), 0xFF000040u, 2));
}

TEST_F(GLDeviceTest, TextureFormatsUploadFromTheirOwnLayouts)
{
    auto repeat = [](std::vector<uint8_t> texel)
    {
        std::vector<uint8_t> all;
        for (int i = 0; i < 16; ++i)
            all.insert(all.end(), texel.begin(), texel.end());
        return all;
    };
    const struct
    {
        PixelFormat format;
        std::vector<uint8_t> block; // one texel repeated over 4 x 4, or one DXT block
        uint32_t expected, tolerance;
    } cases[] = {
        {PixelFormat::A8R8G8B8, repeat({0x40, 0x80, 0xFF, 0x80}), 0x80FF8040u, 0},
        {PixelFormat::R5G6B5, repeat({0x1F, 0xF8}), 0xFFFF00FFu, 0}, // red 31, green 0, blue 31
        {PixelFormat::A4R4G4B4, repeat({0x0F, 0x8F}), 0x88FF00FFu, 0},
        {PixelFormat::X4R4G4B4, repeat({0x0F, 0x0F}), 0xFFFF00FFu, 0}, // the top nibble is not alpha
        {PixelFormat::X8R8G8B8, repeat({0x40, 0x80, 0xFF, 0x00}), 0xFFFF8040u, 0},
        {PixelFormat::R8G8B8, repeat({0x40, 0x80, 0xFF}), 0xFFFF8040u, 0},
        {PixelFormat::X1R5G5B5, repeat({0x1F, 0x7C}), 0xFFFF00FFu, 0}, // red 31, blue 31, top bit not alpha
        {PixelFormat::A1R5G5B5, repeat({0xE0, 0x03}), 0x0000FF00u, 0}, // green 31, alpha 0
        {PixelFormat::A1R5G5B5, repeat({0x1F, 0x80}), 0xFF0000FFu, 0}, // blue 31, alpha 1
        // DXT1: colours red and blue, every index 2 = two thirds red and one third blue.
        {PixelFormat::DXT1, {0x00, 0xF8, 0x1F, 0x00, 0xAA, 0xAA, 0xAA, 0xAA}, 0xFFAA0055u, 3},
        // DXT3: every alpha 8 of 15 (88), colours red and blue, every index 0 = red.
        {PixelFormat::DXT3,
         {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0},
         0x88FF0000u,
         2},
        // DXT5: alpha endpoints 255 and 0, every index 2 = (6 x 255 + 0) / 7; white colour block.
        {PixelFormat::DXT5,
         {0xFF, 0, 0x92, 0x24, 0x49, 0x92, 0x24, 0x49, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},
         0xDAFFFFFFu,
         2},
    };
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    for (const auto& c : cases)
    {
        TexturePtr texture = MakeTexture(4, 4, c.format, c.block.data());
        ASSERT_TRUE(texture);
        ASSERT_OK(m_device->SetTexture(0, texture.get()));
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(30, 30), c.expected, c.tolerance, true)) << FormatName(c.format);
    }
}

TEST_F(GLDeviceTest, AlphaTestBlendingAndStencil)
{
    UseVertexColour();
    ClearTo(0xFF0000FFu);
    // Alpha test: greater than 0x80 passes 0x81 and rejects 0x7F.
    Rs(RenderState::AlphaTestEnable, 1);
    Rs(RenderState::AlphaFunc, CompareFunc::Greater);
    Rs(RenderState::AlphaRef, 0x80);
    ASSERT_OK(DrawRect(0, 0, 32, 64, 0x7FFF0000u));
    ASSERT_OK(DrawRect(32, 0, 64, 64, 0x81FF0000u));
    EXPECT_TRUE(ColourNear(Pixel(10, 10), 0xFF0000FFu, 0));
    EXPECT_TRUE(ColourNear(Pixel(50, 10), 0xFFFF0000u, 0));
    Rs(RenderState::AlphaTestEnable, 0);

    // Source alpha blending: a quarter of red over blue.
    ClearTo(0xFF0000FFu);
    Rs(RenderState::AlphaBlendEnable, 1);
    Rs(RenderState::SrcBlend, BlendFactor::SrcAlpha);
    Rs(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
    ASSERT_OK(DrawRect(0, 0, 64, 64, 0x40FF0000u));
    EXPECT_TRUE(ColourNear(Pixel(20, 20), Rgb(64.0f / 255.0f, 0.0f, 191.0f / 255.0f), 2));

    // Stencil Greater + Replace: two half-dark shadows overlapping in the middle darken it only once.
    ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::Stencil, 0xFFFFFFFFu, 1.0f, 0));
    Rs(RenderState::StencilEnable, 1);
    Rs(RenderState::StencilFunc, CompareFunc::Greater);
    Rs(RenderState::StencilPass, StencilOp::Replace);
    Rs(RenderState::StencilRef, 1);
    ASSERT_OK(DrawRect(0, 0, 40, 64, 0x80000000u));
    ASSERT_OK(DrawRect(24, 0, 64, 64, 0x80000000u));
    EXPECT_TRUE(ColourNear(Pixel(10, 10), Grey(127), 2));
    EXPECT_TRUE(ColourNear(Pixel(32, 10), Grey(127), 2));
    Rs(RenderState::StencilEnable, 0);

    // Blend operations on source (80, 40, C0) and destination (40, 80, 40), both factors one.
    Rs(RenderState::SrcBlend, BlendFactor::One);
    Rs(RenderState::DestBlend, BlendFactor::One);
    const struct
    {
        uint32_t op, expected;
    } ops[] = {
        {BlendOp::Add, 0xC0C0FF}, {BlendOp::Subtract, 0x400080}, {BlendOp::RevSubtract, 0x004000},
        {BlendOp::Min, 0x404040}, {BlendOp::Max, 0x8080C0},
    };
    for (const auto& o : ops)
    {
        Rs(RenderState::BlendOp, o.op);
        ClearTo(0xFF408040u);
        ASSERT_OK(DrawRect(0, 0, 64, 64, 0xFF8040C0u));
        EXPECT_TRUE(ColourNear(Pixel(20, 20), 0xFF000000u | o.expected, 1)) << "blend op " << o.op;
    }
    Rs(RenderState::BlendOp, BlendOp::Add);

    // Destination alpha needs alpha bits in the target: a target alpha of 0x80 halves white.
    ClearTo(0x80000000u);
    Rs(RenderState::SrcBlend, BlendFactor::DestAlpha);
    Rs(RenderState::DestBlend, BlendFactor::Zero);
    ASSERT_OK(DrawRect(0, 0, 64, 64, 0xFFFFFFFFu));
    EXPECT_TRUE(ColourNear(Pixel(20, 20), Grey(128), 2));
}

TEST_F(GLDeviceTest, TextureMatricesSeeTheDeviceCoordinateConventions)
{
    const uint32_t texels[2] = {0xFFFF0000u, 0xFF00FF00u}; // red left, green right
    TexturePtr texture = MakeTexture(2, 1, PixelFormat::A8R8G8B8, texels);
    ASSERT_TRUE(texture);
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::TextureTransformFlags, TextureTransform::Count2);
    UseOrthoCamera();
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Normal | Fvf::Tex1));
    auto draw = [&](const Matrix& matrix, float nz)
    {
        EXPECT_EQ(m_device->SetTransform(TransformType::Texture0, matrix), GfxResult::Ok);
        struct
        {
            float x, y, z, nx, ny, nz, u, v;
        } v[4] = {{-1, 1, 1, 0, 0, nz, 0.25f, 0},
                  {1, 1, 1, 0, 0, nz, 0.25f, 0},
                  {-1, -1, 1, 0, 0, nz, 0.25f, 0},
                  {1, -1, 1, 0, 0, nz, 0.25f, 0}};
        EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(v[0])), GfxResult::Ok);
        return Pixel(32, 32);
    };
    // Two-component coordinates enter the matrix as (u, v, 1, 0): the third row moves u = 0.25 to 0.75; a new
    // matrix alone shows at the next draw.
    Matrix m = MatrixIdentity();
    m.m[2][0] = 0.5f;
    EXPECT_TRUE(ColourNear(draw(m, -1), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(draw(MatrixIdentity(), -1), 0xFFFF0000u, 0));
    // Camera-space positions enter as (x, y, z, 1): u = 0.25 x + 0.5 is red left of the middle, green right of it.
    Tss(0, TextureStageState::TexCoordIndex, TexCoordGen::CameraSpacePosition);
    Matrix position = MatrixIdentity();
    position.m[0][0] = 0.25f;
    position.m[3][0] = 0.5f;
    draw(position, -1);
    EXPECT_TRUE(ColourNear(Pixel(16, 32), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(48, 32), 0xFF00FF00u, 0));
    // Camera-space normals enter as (x, y, z, 1), z < 0 towards the camera: u = 0.49 z + 0.5.
    Tss(0, TextureStageState::TexCoordIndex, TexCoordGen::CameraSpaceNormal);
    m = MatrixIdentity();
    m.m[0][0] = 0.0f;
    m.m[2][0] = 0.49f;
    m.m[3][0] = 0.5f;
    EXPECT_TRUE(ColourNear(draw(m, -1), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(draw(m, 1), 0xFF00FF00u, 0));
    // The stage switched off and on again generates its coordinates as before.
    Tss(0, TextureStageState::ColourOp, TextureOp::Disable);
    draw(m, -1);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    EXPECT_TRUE(ColourNear(draw(m, -1), 0xFFFF0000u, 0));

    // Projected: the third result divides the others. (0.25 + 0.5, v, 2) gives u = 0.375; unprojected 0.75.
    Tss(0, TextureStageState::TexCoordIndex, 0);
    m = MatrixIdentity();
    m.m[2][0] = 0.5f;
    m.m[2][2] = 2.0f;
    for (auto [flags, colour] : {std::pair{TextureTransform::Count3 | TextureTransform::Projected, 0xFFFF0000u},
                                 {TextureTransform::Count3, 0xFF00FF00u}})
    {
        Tss(0, TextureStageState::TextureTransformFlags, flags);
        EXPECT_TRUE(ColourNear(draw(m, -1), colour, 0)) << "flags " << flags;
    }
}

TEST_F(GLDeviceTest, BuffersDrawWhatWasWrittenAndRefuseOutOfRangeDraws)
{
    UseVertexColour();
    VertexBufferPtr dynamic, managed;
    IndexBufferPtr indices;
    ASSERT_OK(m_device->CreateVertexBuffer(8 * sizeof(ScreenVertex), Usage::Dynamic | Usage::WriteOnly, kScreenFvf,
                                           Pool::Default, &dynamic));
    ASSERT_OK(m_device->CreateVertexBuffer(8 * sizeof(ScreenVertex), 0, kScreenFvf, Pool::Managed, &managed));
    ASSERT_OK(m_device->CreateIndexBuffer(6 * 2, 0, PixelFormat::Index16, Pool::Managed, &indices));
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    auto write = [](auto& buffer, uint32_t first, uint32_t flags, const void* bytes, size_t size)
    {
        void* data = nullptr;
        ASSERT_OK(buffer->Lock(first * sizeof(ScreenVertex), static_cast<uint32_t>(size), &data, flags));
        std::memcpy(data, bytes, size);
        ASSERT_OK(buffer->Unlock());
    };
    auto writeQuad = [&](uint32_t first, uint32_t flags, float x, uint32_t colour)
    { write(dynamic, first, flags, Quad(x, 10, x + 16, 26, colour).data(), 4 * sizeof(ScreenVertex)); };

    // Dynamic: a no-overwrite append and a discard leave the earlier draws alone.
    ASSERT_OK(m_device->SetStreamSource(0, dynamic.get(), sizeof(ScreenVertex)));
    writeQuad(0, LockFlags::Discard, 2, 0xFFFF0000u);
    ASSERT_OK(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1));
    writeQuad(4, LockFlags::NoOverwrite, 22, 0xFF00FF00u);
    ASSERT_OK(m_device->DrawPrimitive(PrimitiveType::TriangleList, 4, 1));
    writeQuad(0, LockFlags::Discard, 42, 0xFF0000FFu);
    ASSERT_OK(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1));
    EXPECT_TRUE(ColourNear(Pixel(4, 12), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(24, 12), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(Pixel(44, 12), 0xFF0000FFu, 0));
    EXPECT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 6, 1), GfxResult::InvalidCall); // past the end
    BufferDesc desc;
    ASSERT_OK(dynamic->GetDesc(&desc));
    EXPECT_EQ(desc.fvf, kScreenFvf);
    EXPECT_EQ(desc.size, 8 * sizeof(ScreenVertex));
    // A locked buffer, or none, cannot be drawn from; nor indices without an index buffer.
    void* locked = nullptr;
    ASSERT_OK(dynamic->Lock(0, 0, &locked, 0));
    EXPECT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1), GfxResult::InvalidCall);
    ASSERT_OK(dynamic->Unlock());
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
    ASSERT_OK(m_device->SetStreamSource(0, nullptr, 0));
    EXPECT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1), GfxResult::InvalidCall);
    // A Default-pool buffer blocks a reset until it is released.
    EXPECT_EQ(m_device->Reset(m_device->GetPresentParams()), GfxResult::InvalidCall);

    // Managed and indexed with base vertex 4: a green quad over the lower right; 0..3 are a red decoy.
    std::vector<ScreenVertex> v = Quad(0, 32, 32, 64, 0xFFFF0000u), right = Quad(32, 32, 64, 64, 0xFF00FF00u);
    v.insert(v.end(), right.begin(), right.end());
    write(managed, 0, 0, v.data(), 8 * sizeof(ScreenVertex));
    const uint16_t quad[6] = {0, 1, 2, 1, 3, 2};
    write(indices, 0, 0, quad, sizeof(quad));
    void* data = nullptr;
    ASSERT_OK(managed->Lock(4 * sizeof(ScreenVertex), sizeof(ScreenVertex), &data, LockFlags::ReadOnly));
    EXPECT_EQ(std::memcmp(data, &v[4], sizeof(ScreenVertex)), 0); // a read lock gives back what was written
    ASSERT_OK(managed->Unlock());
    ASSERT_OK(m_device->SetStreamSource(0, managed.get(), sizeof(ScreenVertex)));
    ASSERT_OK(m_device->SetIndices(indices.get(), 4));
    ASSERT_OK(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2));
    EXPECT_TRUE(ColourNear(Pixel(48, 48), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), 0xFF000000u, 0));
    // Indices outside the declared vertex range are refused.
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 3, 0, 2), GfxResult::InvalidCall);
    // A draw from memory leaves no buffers bound: indexed draws need them set again.
    std::vector<ScreenVertex> loose = Quad(0, 0, 4, 4, 0xFFFFFFFFu);
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, loose.data(), sizeof(ScreenVertex)));
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
    // 16-bit indices from memory naming vertices 4..7 only: the right quad in white; other index formats are refused.
    for (ScreenVertex& vertex : v)
        vertex.colour = 0xFFFFFFFFu;
    const uint16_t high[6] = {4, 5, 6, 5, 7, 6};
    ASSERT_OK(m_device->DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 4, 4, 2, high, PixelFormat::Index16,
                                               v.data(), sizeof(ScreenVertex)));
    EXPECT_TRUE(ColourNear(Pixel(48, 48), 0xFFFFFFFFu, 0));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), 0xFF000000u, 0));
    EXPECT_EQ(m_device->DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 4, 4, 2, high, PixelFormat::A8R8G8B8,
                                               v.data(), sizeof(ScreenVertex)),
              GfxResult::InvalidCall);
    // 32-bit indices from memory: the lower left quad (vertices 0..3) in blue.
    for (ScreenVertex& vertex : v)
        vertex.colour = 0xFF0000FFu;
    const uint32_t wide[6] = {0, 1, 2, 1, 3, 2};
    ASSERT_OK(m_device->DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 4, 2, wide, PixelFormat::Index32,
                                               v.data(), sizeof(ScreenVertex)));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), 0xFF0000FFu, 0));
}

TEST_F(GLDeviceTest, PresentKeepsTheFrontBufferAndResetChangesTheSize)
{
    ClearTo(0xFF112233u);
    EXPECT_EQ(m_device->Present(), GfxResult::InvalidCall); // still inside the scene
    ASSERT_OK(m_device->EndScene());
    ASSERT_OK(m_device->Present());
    // The next scene draws into the back buffer, cleared or not.
    ASSERT_OK(m_device->BeginScene());
    UseVertexColour();
    ASSERT_OK(DrawRect(0, 0, 4, 4, 0xFFFFFFFFu));
    std::vector<uint32_t> front;
    uint32_t w = 0, h = 0;
    ASSERT_OK(m_device->ReadFrontBuffer(&front, &w, &h));
    ASSERT_EQ(front.size(), size_t{kSize} * kSize);
    EXPECT_EQ(front[1 * kSize + 1], 0xFF112233u);
    EXPECT_EQ(Pixel(1, 1), 0xFFFFFFFFu);
    ClearTo(0xFF445566u);
    ASSERT_OK(m_device->ReadFrontBuffer(&front, &w, &h));
    EXPECT_EQ(front[5 * kSize + 7], 0xFF112233u);
    EXPECT_EQ(Pixel(7, 5), 0xFF445566u);

    // A 2 x 2 image with the key colour in one corner, copied to the top-left.
    const uint32_t image[4] = {0x00102030u, 0x00FF00FFu, 0x00405060u, 0x00708090u};
    ASSERT_OK(m_device->WriteBackBuffer(image, 2, 2, 0xFFFF00FFu));
    EXPECT_EQ(Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(Pixel(1, 0), 0x00000000u);
    EXPECT_EQ(Pixel(0, 1), 0xFF405060u);
    EXPECT_EQ(Pixel(1, 1), 0xFF708090u);
    EXPECT_EQ(Pixel(2, 0), 0xFF445566u); // the rest is left alone

    Rs(RenderState::Lighting, 0);
    PresentParams params = m_device->GetPresentParams();
    params.backBufferWidth = 32;
    params.backBufferHeight = 16;
    ASSERT_OK(m_device->Reset(params));
    ASSERT_OK(m_device->ReadBackBuffer(&front, &w, &h));
    EXPECT_EQ(w * 100 + h, 3216u); // 32 x 16
    uint32_t lighting = 0;
    ASSERT_OK(m_device->GetRenderState(RenderState::Lighting, &lighting));
    EXPECT_EQ(lighting, 1u); // a reset brings the default states back
}

TEST_F(GLDeviceTest, DefaultPoolTexturesCountAgainstTheVideoBudget)
{
    // A 256 x 256 A8R8G8B8 texture with its full chain holds 256K + 64K + ... + 4 bytes.
    uint32_t chain = 0;
    for (uint32_t side = 256; side >= 1; side /= 2)
        chain += side * side * 4;
    const uint32_t before = m_device->GetAvailableTextureMem();
    EXPECT_EQ(before, 256u << 20); // a fresh device has its whole budget
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
    made.resize(1); // released textures give their memory back
    EXPECT_EQ(m_device->GetAvailableTextureMem(), before - chain);
    // Managed textures live in system memory: making, drawing and releasing one leaves the budget alone.
    const uint32_t texel = 0xFFFFFFFFu;
    TexturePtr managed = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &texel);
    ASSERT_OK(m_device->SetTexture(0, managed.get()));
    ASSERT_OK(DrawFull(0xFFFFFFFFu));
    EXPECT_EQ(m_device->GetAvailableTextureMem(), before - chain);
    managed.reset();
    EXPECT_EQ(m_device->GetAvailableTextureMem(), before - chain);
    made.clear();
    EXPECT_EQ(m_device->GetAvailableTextureMem(), before);
}

// The texture's levels are red, green | black and blue: the largest level a stage may use picks one, even
// magnified, and its filter applies.
TEST_F(GLDeviceTest, MaxMipLevelChoosesTheLargestLevelUsed)
{
    TexturePtr texture;
    ASSERT_OK(m_device->CreateTexture(4, 4, 3, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture));
    const uint32_t colours[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    for (uint32_t level = 0; level < 3; ++level)
    {
        LockedRect locked;
        ASSERT_OK(texture->LockRect(level, &locked, nullptr, 0));
        uint32_t side = 4 >> level;
        for (uint32_t y = 0; y < side; ++y)
        {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch);
            std::fill_n(row, side, colours[level]);
            if (level == 1)
                row[1] = 0xFF000000u;
        }
        ASSERT_OK(texture->UnlockRect(level));
    }
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    for (TextureStageState filter :
         {TextureStageState::MinFilter, TextureStageState::MagFilter, TextureStageState::MipFilter})
        Tss(0, filter, TextureFilter::Point);
    // Pixel 8 samples u = 8.5 / 64: in level 1 texel coordinate 0.27, the green texel's (linear: 0.77 of it, the rest
    // the black one wrapped round).
    for (uint32_t level = 0; level < 3; ++level)
    {
        Tss(0, TextureStageState::MaxMipLevel, level);
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(8, 32), colours[level], 0)) << "level " << level;
    }
    Tss(0, TextureStageState::MaxMipLevel, 1);
    Tss(0, TextureStageState::MinFilter, TextureFilter::Linear);
    ASSERT_OK(DrawFull(0xFFFFFFFFu));
    EXPECT_TRUE(ColourNear(Pixel(8, 32), Rgb(0.0f, 0.766f, 0.0f), 2));
    // Squeezed into one pixel the texture is minified to its smallest level, unless mipmaps are off.
    Tss(0, TextureStageState::MaxMipLevel, 0);
    Tss(0, TextureStageState::MinFilter, TextureFilter::Point);
    for (auto [mip, colour] : {std::pair{TextureFilter::Point, 0xFF0000FFu}, {TextureFilter::None, 0xFFFF0000u}})
    {
        Tss(0, TextureStageState::MipFilter, mip);
        ASSERT_OK(DrawRect(40, 40, 41, 41, 0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(40, 40), colour, 0)) << "mip filter " << mip;
    }
    // A level bias of -2 brings it back to the largest level.
    Tss(0, TextureStageState::MipFilter, TextureFilter::Point);
    Tss(0, TextureStageState::MipMapLodBias, FloatBits(-2.0f));
    ASSERT_OK(DrawRect(40, 40, 41, 41, 0xFFFFFFFFu));
    EXPECT_TRUE(ColourNear(Pixel(40, 40), 0xFFFF0000u, 0));
}

// Outside 0..1 a bordered stage samples the border colour; a clamped one the edge texel.
TEST_F(GLDeviceTest, BorderAndClampAddressing)
{
    const uint32_t texel = 0xFFFF0000u;
    TexturePtr texture = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &texel);
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::BorderColour, 0xFF0000FFu);
    std::vector<ScreenVertex> v = Quad(-0.5f, -0.5f, 63.5f, 63.5f, 0xFFFFFFFFu);
    for (ScreenVertex& vertex : v)
    {
        vertex.u = vertex.u * 4.0f - 1.5f; // u and v from -1.5 to 2.5
        vertex.v = vertex.v * 4.0f - 1.5f;
    }
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    for (auto [address, outside] :
         {std::pair{TextureAddress::Border, 0xFF0000FFu}, {TextureAddress::Clamp, 0xFFFF0000u}})
    {
        Tss(0, TextureStageState::AddressU, address);
        Tss(0, TextureStageState::AddressV, address);
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v.data(), sizeof(ScreenVertex)));
        std::vector<uint32_t> pixels = Frame();
        // Left of u = 0, above v = 0, and inside both (24 is 0.0 .. 1.0 after 16 .. 32).
        for (auto [x, y, colour] : {std::tuple{2u, 24u, outside}, {24u, 2u, outside}, {24u, 24u, 0xFFFF0000u}})
            EXPECT_TRUE(ColourNear(pixels[y * kSize + x], colour, 1))
                << "address " << address << " at " << x << "," << y;
    }
}

// What the system says of its adapter matches the devices it makes; calls without their outputs are refused.
TEST_F(GLDeviceTest, SystemCapsAndFormatsMatchItsDevices)
{
    AdapterIdentifier identifier;
    ASSERT_OK(m_system->GetAdapterIdentifier(0, &identifier));
    EXPECT_EQ(std::string(identifier.driver).rfind("OpenGL (", 0), 0u) << identifier.driver;
    DisplayMode desktop;
    ASSERT_OK(m_system->GetAdapterDisplayMode(0, &desktop));
    const struct
    {
        PixelFormat display, back;
        bool windowed, ok;
    } types[] = {
        {PixelFormat::R5G6B5, PixelFormat::R5G6B5, false, true},
        {PixelFormat::X1R5G5B5, PixelFormat::X1R5G5B5, false, true},
        {PixelFormat::X1R5G5B5, PixelFormat::R5G6B5, false, false},
        {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8, false, true},
        {PixelFormat::R5G6B5, PixelFormat::X8R8G8B8, false, false},
        {desktop.format, desktop.format, true, true},
        {PixelFormat::R5G6B5, PixelFormat::R5G6B5, true,
         desktop.format == PixelFormat::R5G6B5}, // windowed: the desktop's
    };
    for (const auto& t : types)
        EXPECT_EQ(m_system->CheckDeviceType(0, DeviceType::Hal, t.display, t.back, t.windowed) == GfxResult::Ok, t.ok)
            << FormatName(t.display) << " / " << FormatName(t.back) << (t.windowed ? " windowed" : "");
    PresentParams params;
    DevicePtr other;
    EXPECT_EQ(m_system->CreateDevice(0, DeviceType::Hal, nullptr, 0, nullptr, &other), GfxResult::InvalidCall);
    EXPECT_EQ(m_system->CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, nullptr), GfxResult::InvalidCall);
    EXPECT_EQ(m_system->CreateDevice(1, DeviceType::Hal, nullptr, 0, &params, &other), GfxResult::InvalidCall);
    DeviceCaps caps;
    EXPECT_EQ(m_system->GetDeviceCaps(0, DeviceType::Hal, nullptr), GfxResult::InvalidCall);
    EXPECT_EQ(m_system->GetDeviceCaps(1, DeviceType::Hal, &caps), GfxResult::InvalidCall);
    const uint32_t modes = m_system->GetAdapterModeCount(0);
    DisplayMode mode;
    ASSERT_GT(modes, 0u);
    EXPECT_EQ(m_system->EnumAdapterModes(0, modes - 1, &mode), GfxResult::Ok);
    EXPECT_EQ(m_system->EnumAdapterModes(0, modes, &mode), GfxResult::InvalidCall);
    EXPECT_EQ(m_system->EnumAdapterModes(1, 0, &mode), GfxResult::InvalidCall);
    EXPECT_EQ(m_system->GetAdapterModeCount(1), 0u);
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    EXPECT_EQ(m_device->ReadBackBuffer(nullptr, &w, &h), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->ReadBackBuffer(&pixels, nullptr, &h), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->ReadFrontBuffer(&pixels, &w, nullptr), GfxResult::InvalidCall);

    DeviceCaps system, device;
    ASSERT_OK(m_system->GetDeviceCaps(0, DeviceType::Hal, &system));
    ASSERT_OK(m_device->GetDeviceCaps(&device));
    EXPECT_EQ(system.maxTextureWidth, device.maxTextureWidth);
    EXPECT_EQ(system.maxTextureBlendStages, device.maxTextureBlendStages);
    EXPECT_EQ(system.maxSimultaneousTextures, device.maxSimultaneousTextures);
    EXPECT_EQ(system.maxAnisotropy, device.maxAnisotropy);
    const struct
    {
        uint32_t usage;
        PixelFormat format;
        bool ok;
    } formats[] = {
        {Usage::RenderTarget, PixelFormat::A8R8G8B8, true},
        {Usage::RenderTarget, PixelFormat::R5G6B5, true},
        {Usage::RenderTarget, PixelFormat::A1R5G5B5, true},
        {Usage::RenderTarget, PixelFormat::A4R4G4B4, true},
        {Usage::RenderTarget, PixelFormat::DXT1, false},
        {Usage::RenderTarget, PixelFormat::A8, false},
        {Usage::DepthStencil, PixelFormat::D24S8, true},
        {Usage::DepthStencil, PixelFormat::D16, true},
        {Usage::DepthStencil, PixelFormat::A8R8G8B8, false},
        {0, PixelFormat::DXT5, true},
        {0, PixelFormat::Index16, false},
        {0, PixelFormat::D16, false},
    };
    for (const auto& f : formats)
    {
        GfxResult r = m_system->CheckDeviceFormat(0, DeviceType::Hal, PixelFormat::X8R8G8B8, f.usage,
                                                  ResourceType::Texture, f.format);
        EXPECT_EQ(r == GfxResult::Ok, f.ok) << FormatName(f.format) << " for usage " << f.usage;
    }
}

// Stage 0 combines a texel T = (F0, 80, 20, alpha C0), the vertex colour D = (40, 80, C0, alpha 40) and the texture
// factor F = (10, 20, 30, alpha 80) by each operation's formula, worked out per channel.
TEST_F(GLDeviceTest, CombinerOperationsFollowTheirFormulas)
{
    const uint32_t texel = 0xC0F08020u, diffuse = 0x404080C0u;
    TexturePtr texture = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &texel);
    ASSERT_TRUE(texture);
    Rs(RenderState::TextureFactor, 0x80102030u);
    Tss(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::AlphaArg1, TextureArg::Texture);
    const struct
    {
        const char* name;
        uint32_t op, arg1, arg2, expected;
    } cases[] = {
        {"complement", TextureOp::SelectArg1, TextureArg::Texture | TextureArg::Complement, 0, 0x0F7FDF},
        {"alpha replicated", TextureOp::SelectArg1, TextureArg::Diffuse | TextureArg::AlphaReplicate, 0, 0x404040},
        {"second argument", TextureOp::SelectArg2, TextureArg::Texture, TextureArg::TFactor, 0x102030},
        // T - D, clamped at 0
        {"subtract", TextureOp::Subtract, TextureArg::Texture, TextureArg::Diffuse, 0xB00000},
        // T + D - 128
        {"add signed", TextureOp::AddSigned, TextureArg::Texture, TextureArg::Diffuse, 0xB08060},
        // 2 T D / 255: F0 x 40 x 2 = 120, 80 x 80 x 2 = 128, 20 x C0 x 2 = 48
        {"modulate 2x", TextureOp::Modulate2x, TextureArg::Texture, TextureArg::Diffuse, 0x788030},
        // 4 T D / 255, clamped: F0 x 40 x 4 = 241, 80 x 80 x 4 = 257, 20 x C0 x 4 = 96
        {"modulate 4x", TextureOp::Modulate4x, TextureArg::Texture, TextureArg::Diffuse, 0xF1FF60},
        // T a + F (1 - a): a = 40 / FF, C0 / FF and 80 / FF
        {"blend by diffuse alpha", TextureOp::BlendDiffuseAlpha, TextureArg::Texture, TextureArg::TFactor, 0x48382C},
        {"blend by texture alpha", TextureOp::BlendTextureAlpha, TextureArg::Texture, TextureArg::TFactor, 0xB96824},
        {"blend by factor alpha", TextureOp::BlendFactorAlpha, TextureArg::Texture, TextureArg::TFactor, 0x805028},
    };
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    for (const auto& c : cases)
    {
        Tss(0, TextureStageState::ColourOp, c.op);
        Tss(0, TextureStageState::ColourArg1, c.arg1);
        Tss(0, TextureStageState::ColourArg2, c.arg2);
        ASSERT_OK(DrawFull(diffuse));
        EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF000000u | c.expected, 2)) << c.name;
    }
    // At stage 1 the diffuse alpha (40) weighs the texel against the previous stage (the factor): as at stage 0.
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::TFactor);
    ASSERT_OK(m_device->SetTexture(1, texture.get()));
    Tss(1, TextureStageState::ColourOp, TextureOp::BlendDiffuseAlpha);
    Tss(1, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(1, TextureStageState::ColourArg2, TextureArg::Current);
    Tss(1, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    Tss(1, TextureStageState::AlphaArg1, TextureArg::Current);
    Tss(1, TextureStageState::TexCoordIndex, 0);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF48382Cu, 2));
    Tss(1, TextureStageState::ColourOp, TextureOp::Disable);

    // An alpha operation that is off passes the vertex alpha (40) on, not the texel's (C0).
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::AlphaOp, TextureOp::Disable);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0x40F08020u, 2, true));

    // Without a texture the stage still runs, on white: the texture times the vertex colour is the vertex colour, and
    // a new factor shows at the next draw.
    ASSERT_OK(m_device->SetTexture(0, nullptr));
    Tss(0, TextureStageState::ColourOp, TextureOp::Modulate);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::ColourArg2, TextureArg::Diffuse);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), diffuse, 1));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::TFactor);
    for (uint32_t factor : {0xFF102030u, 0xFF706050u})
    {
        Rs(RenderState::TextureFactor, factor);
        ASSERT_OK(DrawFull(diffuse));
        EXPECT_TRUE(ColourNear(Pixel(32, 32), factor, 1));
    }
}

TEST_F(GLDeviceTest, FlatShadingAndFogFromTheSpecularAlphaOfScreenVertices)
{
    UseVertexColour();
    // Flat shading gives the whole triangle its first vertex's colour; Gouraud blends towards the others.
    ScreenVertex tri[3] = {
        {0, 0, 0.5f, 1, 0xFFFF0000u, 0, 0}, {64, 0, 0.5f, 1, 0xFF00FF00u, 0, 0}, {0, 64, 0.5f, 1, 0xFF0000FFu, 0, 0}};
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    for (auto [mode, near] : {std::pair{ShadeMode::Flat, 0xFFFF0000u}, {ShadeMode::Gouraud, 0xFF0000FFu}})
    {
        Rs(RenderState::ShadeMode, mode);
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, tri, sizeof(ScreenVertex)));
        EXPECT_TRUE(ColourNear(Pixel(1, 61), near, 24)) << "shade mode " << mode; // next to the blue corner
    }
    Rs(RenderState::ShadeMode, ShadeMode::Gouraud);

    // A point 4 pixels wide round (40, 40) covers 38..41 each way.
    ClearTo(0xFF000000u);
    Rs(RenderState::PointSize, FloatBits(4.0f));
    ScreenVertex point = {40, 40, 0.5f, 1, 0xFFFFFFFFu, 0, 0};
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::PointList, 1, &point, sizeof(ScreenVertex)));
    EXPECT_EQ(Pixel(38, 38), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(41, 41), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(42, 40), 0xFF000000u);

    // Screen-space vertices take their fog factor from the specular alpha: 40 / FF of white, the rest green.
    struct FoggedVertex
    {
        float x, y, z, rhw;
        uint32_t diffuse, specular;
    };
    auto quad = [](uint32_t specular)
    {
        return std::vector<FoggedVertex>{{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFFu, specular},
                                         {63.5f, -0.5f, 0.5f, 1, 0xFFFFFFFFu, specular},
                                         {-0.5f, 63.5f, 0.5f, 1, 0xFFFFFFFFu, specular},
                                         {63.5f, 63.5f, 0.5f, 1, 0xFFFFFFFFu, specular}};
    };
    Rs(RenderState::FogColour, 0x0000FF00u);
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZRHW | Fvf::Diffuse | Fvf::Specular));
    std::vector<FoggedVertex> unfogged = quad(0x40000000u);
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, unfogged.data(), sizeof(FoggedVertex)));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFFFFFFFFu, 0)); // fog off
    Rs(RenderState::FogEnable, 1);
    for (auto [specular, expected] : {std::pair{0x40000000u, 0xFF40FF40u}, {0xFF000000u, 0xFFFFFFFFu}})
    {
        std::vector<FoggedVertex> v = quad(specular);
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v.data(), sizeof(FoggedVertex)));
        for (uint32_t at : {1u, 32u, 62u})
            EXPECT_TRUE(ColourNear(Pixel(at, at), expected, 2)) << std::hex << "specular " << specular << " at " << at;
    }
    // Transformed vertices right after take their fog from their depth again: linear 0..10 at 5 is half green.
    Rs(RenderState::FogVertexMode, FogMode::Linear);
    Rs(RenderState::FogStart, FloatBits(0.0f));
    Rs(RenderState::FogEnd, FloatBits(10.0f));
    UseOrthoCamera();
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Diffuse));
    ColourVertex deep[4] = {
        {-1, 1, 5, 0xFFFFFFFFu}, {1, 1, 5, 0xFFFFFFFFu}, {-1, -1, 5, 0xFFFFFFFFu}, {1, -1, 5, 0xFFFFFFFFu}};
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, deep, sizeof(ColourVertex)));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(0.5f, 1.0f, 0.5f), 2));
}

// Parts of lights and materials: a light's own ambient, a point light at the index of an earlier spot light,
// and a material untouched by the vertex colours of unlit draws in between.
TEST_F(GLDeviceTest, LightsAndMaterialsKeepEveryPart)
{
    // The camera stands at x = -5 looking along +x; the quad lies in the plane x = 0 facing it.
    ASSERT_OK(m_device->SetTransform(TransformType::View, MatrixLookAtLH({-5, 0, 0}, {0, 0, 0}, {0, 1, 0})));
    ASSERT_OK(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(4.0f, 4.0f, 0.1f, 20.0f)));
    Rs(RenderState::ZEnable, 0); // every draw shows, whatever its depth
    MaterialDesc material;
    material.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    material.ambient = {1.0f, 0.5f, 0.0f, 1.0f};
    ASSERT_OK(m_device->SetMaterial(material));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Diffuse);
    struct LitVertex
    {
        float x, y, z, nx, ny, nz;
    };
    LitVertex quad[4] = {{0, 2, 2, -1, 0, 0}, {0, 2, -2, -1, 0, 0}, {0, -2, 2, -1, 0, 0}, {0, -2, -2, -1, 0, 0}};
    auto drawLit = [&]
    {
        Rs(RenderState::Lighting, 1);
        EXPECT_EQ(m_device->SetVertexShader(Fvf::XYZ | Fvf::Normal), GfxResult::Ok);
        EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(LitVertex)), GfxResult::Ok);
        return Pixel(32, 32);
    };
    // A spot light narrowly pointed away leaves the quad dark, its ambient part too.
    LightDesc light;
    light.type = LightType::Spot;
    light.position = {-1000, 0, 0};
    light.direction = {0, 1, 0};
    light.phi = light.theta = 0.2f;
    light.attenuation0 = 1.0f;
    light.diffuse = {1, 1, 0.5f, 1};
    light.ambient = {0.25f, 0.25f, 0.25f, 1};
    ASSERT_OK(m_device->SetLight(0, light));
    ASSERT_OK(m_device->LightEnable(0, true));
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(0.0f, 0.0f, 0.0f), 2));
    // The same light as a point far in front: its ambient (0.25) times the material's (1, 0.5, 0), plus its diffuse
    // (1, 1, 0.5) times the material's (0.5) in full (N . L = 1).
    const uint32_t lit = Rgb(0.75f, 0.625f, 0.25f);
    const LightDesc spot = light;
    light.type = LightType::Point;
    ASSERT_OK(m_device->SetLight(0, light));
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Attenuated by distance: 1 / (1 + 0.001 x 1000) or 1 / (1 + 0.000001 x 1000^2), a half either way.
    for (auto [linear, quadratic] : {std::pair{0.001f, 0.0f}, {0.0f, 0.000001f}})
    {
        light.attenuation1 = linear;
        light.attenuation2 = quadratic;
        ASSERT_OK(m_device->SetLight(0, light));
        EXPECT_TRUE(ColourNear(drawLit(), Rgb(0.375f, 0.3125f, 0.125f), 2)) << linear << " " << quadratic;
    }
    light.attenuation1 = light.attenuation2 = 0.0f;
    // A directional light at the index of a spot light, shining along +x onto the quad: the same.
    ASSERT_OK(m_device->SetLight(0, spot));
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(0.0f, 0.0f, 0.0f), 2));
    light.type = LightType::Directional;
    light.direction = {1, 0, 0};
    ASSERT_OK(m_device->SetLight(0, light));
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Switched off and on again.
    ASSERT_OK(m_device->LightEnable(0, false));
    EXPECT_TRUE(ColourNear(drawLit(), 0xFF000000u, 0));
    ASSERT_OK(m_device->LightEnable(0, true));
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Lit geometry still follows the world transform: 3 units up leaves the lower half of the view empty.
    ASSERT_OK(m_device->SetTransform(TransformType::World, MatrixTranslation(0.0f, 3.0f, 0.0f)));
    ClearTo(0xFF000000u);
    EXPECT_TRUE(ColourNear(drawLit(), 0xFF000000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(32, 4), lit, 2));
    ASSERT_OK(m_device->SetTransform(TransformType::World, MatrixIdentity()));
    // Normals twice as long light twice as much unless they are normalised: red and green saturate.
    for (LitVertex& vertex : quad)
        vertex.nx = -2.0f;
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(1.0f, 1.0f, 0.5f), 2));
    Rs(RenderState::NormalizeNormals, 1);
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Unlit vertex colours in between do not reach the material.
    Rs(RenderState::Lighting, 0);
    ASSERT_OK(DrawFull(0xFF00FFFFu));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF00FFFFu, 0)); // screen vertices ignore the camera
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
}

// Indices past the device's stages, lights, transforms and states are refused, and change nothing.
TEST_F(GLDeviceTest, OutOfRangeSettersAreRefused)
{
    EXPECT_EQ(m_device->SetTextureStageState(kMaxTextureStages, TextureStageState::ColourOp, TextureOp::Add),
              GfxResult::InvalidCall);
    EXPECT_EQ(m_device->SetTextureStageState(0, TextureStageState::Count, 1), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->SetRenderState(RenderState::Count, 1), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->SetTexture(kMaxTextureStages, nullptr), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->GetTexture(kMaxTextureStages), nullptr);
    EXPECT_EQ(m_device->SetLight(kMaxLights, LightDesc{}), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->LightEnable(kMaxLights, true), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->SetTransform(TransformType::Count, MatrixIdentity()), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->SetViewport({0, 0, kSize + 1, kSize, 0.0f, 1.0f}), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->SetStreamSource(1, nullptr, 0), GfxResult::InvalidCall);
    uint32_t op = 0;
    ASSERT_OK(m_device->GetTextureStageState(0, TextureStageState::ColourOp, &op));
    EXPECT_EQ(op, TextureOp::Modulate);

    // Empty or unsupported resources are refused and leave the out-parameter empty.
    TexturePtr texture = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &op);
    EXPECT_EQ(m_device->CreateTexture(0, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture),
              GfxResult::InvalidCall);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(m_device->CreateTexture(4, 0, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture),
              GfxResult::InvalidCall);
    EXPECT_EQ(m_device->CreateTexture(4, 4, 1, 0, PixelFormat::D16, Pool::Managed, &texture), GfxResult::NotAvailable);
    IndexBufferPtr indices;
    ASSERT_OK(m_device->CreateIndexBuffer(12, 0, PixelFormat::Index16, Pool::Managed, &indices));
    EXPECT_EQ(m_device->CreateIndexBuffer(0, 0, PixelFormat::Index16, Pool::Managed, &indices), GfxResult::InvalidCall);
    EXPECT_EQ(indices, nullptr);
    VertexBufferPtr vertices;
    ASSERT_OK(m_device->CreateVertexBuffer(64, 0, kScreenFvf, Pool::Managed, &vertices));
    EXPECT_EQ(m_device->CreateVertexBuffer(0, 0, kScreenFvf, Pool::Managed, &vertices), GfxResult::InvalidCall);
    EXPECT_EQ(vertices, nullptr);
    const uint32_t image[2] = {};
    EXPECT_EQ(m_device->WriteBackBuffer(image, 0, 2, 0), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->WriteBackBuffer(image, 2, 0, 0), GfxResult::InvalidCall);
    EXPECT_EQ(m_device->WriteBackBuffer(nullptr, 2, 1, 0), GfxResult::InvalidCall);
    // No primitives is nothing to draw, and no fault.
    std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0xFFFFFFFFu);
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 0, quad.data(), sizeof(ScreenVertex)),
              GfxResult::Ok);
}

// Two devices, each with its own context and frame: drawing with one never shows in the other.
TEST_F(GLDeviceTest, TwoDevicesKeepTheirOwnFrames)
{
    PresentParams params = m_device->GetPresentParams();
    DevicePtr other;
    ASSERT_OK(
        m_system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params, &other));
    ASSERT_OK(other->BeginScene());
    ClearTo(0xFFFF0000u);
    ASSERT_OK(other->Clear(0, nullptr, ClearFlags::Target, 0xFF0000FFu, 1.0f, 0));
    UseVertexColour();
    ASSERT_OK(DrawRect(32, 32, 64, 64, 0xFF00FF00u)); // this device's, after the other one's clear
    ASSERT_OK(m_device->EndScene());
    ASSERT_OK(m_device->Present());
    ASSERT_OK(other->EndScene());
    ASSERT_OK(other->Present());
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    ASSERT_OK(m_device->ReadFrontBuffer(&pixels, &w, &h));
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
    ASSERT_OK(other->ReadFrontBuffer(&pixels, &w, &h));
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    ASSERT_OK(m_device->ReadBackBuffer(&pixels, &w, &h));
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
    EXPECT_EQ(pixels[40 * kSize + 40], 0xFF00FF00u);
    ASSERT_OK(other->ReadBackBuffer(&pixels, &w, &h));
    EXPECT_EQ(pixels[40 * kSize + 40], 0xFF0000FFu);
}

// The game's own window: the device draws into it and leaves it open when it goes; a size of 0 takes the desktop's.
TEST_F(GLDeviceTest, DrawsIntoTheGameWindowAndLeavesItOpen)
{
    SDL_Window* window = SDL_CreateWindow("Tidewell", 0, 0, 32, 32, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    const uint32_t id = SDL_GetWindowID(window);
    {
        PresentParams params;
        params.backBufferWidth = params.backBufferHeight = 32;
        params.deviceWindow = window;
        params.windowed = true;
        DevicePtr device;
        ASSERT_OK(m_system->CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
        ASSERT_OK(device->BeginScene());
        ASSERT_OK(device->Clear(0, nullptr, ClearFlags::Target, 0xFF00FF00u, 1.0f, 0));
        ASSERT_OK(device->EndScene());
        ASSERT_OK(device->Present());
        std::vector<uint32_t> pixels;
        uint32_t w = 0, h = 0;
        ASSERT_OK(device->ReadFrontBuffer(&pixels, &w, &h));
        EXPECT_EQ(pixels[0], 0xFF00FF00u);
    }
    EXPECT_EQ(SDL_GetWindowFromID(id), window);
    SDL_DestroyWindow(window);

    DisplayMode desktop;
    ASSERT_OK(m_system->GetAdapterDisplayMode(0, &desktop));
    PresentParams sized;
    DevicePtr device;
    ASSERT_OK(m_system->CreateDevice(0, DeviceType::Hal, nullptr, 0, &sized, &device));
    EXPECT_EQ(device->GetPresentParams().backBufferWidth, desktop.width);
    EXPECT_EQ(device->GetPresentParams().backBufferHeight, desktop.height);
}

// Contexts without sampler objects keep the sampling in each texture: a texture used under one stage's filter and
// then another's shows each in turn, whichever textures came between.
TEST_F(GLDeviceTest, WithoutSamplerObjectsEachTextureCarriesItsSampling)
{
    struct SamplersOff
    {
        explicit SamplersOff(IDevice& device) : device(device), was(Gl().samplers) { Gl().samplers = false; }
        ~SamplersOff()
        {
            Gl().samplers = was;
            device.Reset(device.GetPresentParams());
        }
        IDevice& device;
        bool was;
    } off(*m_device);
    ASSERT_OK(m_device->EndScene());
    ASSERT_OK(m_device->Reset(m_device->GetPresentParams()));
    ASSERT_OK(m_device->BeginScene());
    ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0));
    const uint32_t halves[2] = {0xFFFF0000u, 0xFF00FF00u}, blue = 0xFF0000FFu;
    TexturePtr split = MakeTexture(2, 1, PixelFormat::A8R8G8B8, halves);
    TexturePtr plain = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &blue);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::AddressU, TextureAddress::Clamp);
    // Pixel 32 samples u = 32.5 / 64, texel coordinate 1.016: point sampling takes the green texel, linear sampling
    // 0.516 of it and 0.484 of the red one.
    const uint32_t mixed = Rgb(0.484f, 0.516f, 0.0f);
    const struct
    {
        ITexture* texture;
        uint32_t filter, expected;
    } steps[] = {
        {split.get(), TextureFilter::Point, 0xFF00FF00u},  {split.get(), TextureFilter::Linear, mixed},
        {plain.get(), TextureFilter::Point, 0xFF0000FFu},  {split.get(), TextureFilter::Point, 0xFF00FF00u},
        {plain.get(), TextureFilter::Linear, 0xFF0000FFu}, {split.get(), TextureFilter::Linear, mixed},
    };
    for (const auto& step : steps)
    {
        ASSERT_OK(m_device->SetTexture(0, step.texture));
        Tss(0, TextureStageState::MinFilter, step.filter);
        Tss(0, TextureStageState::MagFilter, step.filter);
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(32, 32), step.expected, 2)) << "filter " << step.filter;
    }
}

// ---------------------------------------------------------------- the shadow of GL state

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

// Textures released and made again (GL may hand out the same names) are drawn with their own texels.
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

} // namespace
