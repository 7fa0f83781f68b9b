// Test helpers for the OpenGL device tests: vertex layouts, colour comparisons and a fixture with a 64 x 64 device in a
// scene, its frame cleared; where SDL can make GL contexts but the device cannot be made, the tests fail.
#pragma once

#include "platform/gfx/Device.h"
#include "platform/gfx/TextureUtil.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#define ASSERT_OK(call) ASSERT_EQ((call), platform::GfxResult::Ok)

namespace gltest
{

using namespace platform;

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

inline ::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, uint32_t tolerance, bool alpha = false)
{
    for (int shift : {0, 8, 16, 24})
    {
        int d = static_cast<int>((actual >> shift) & 255) - static_cast<int>((expected >> shift) & 255);
        if ((shift < 24 || alpha) && static_cast<uint32_t>(std::abs(d)) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "pixel " << actual << ", expected " << expected;
    }
    return ::testing::AssertionSuccess();
}

inline uint32_t Rgb(float r, float g, float b)
{
    auto q = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return 0xFF000000u | (q(r) << 16) | (q(g) << 8) | q(b);
}

inline uint32_t Grey(uint32_t level)
{
    return 0xFF000000u | level * 0x010101u;
}

// Whether SDL can make an OpenGL context here at all, on a hidden window of its own: where it can, a device that
// cannot be made is a fault, not a reason to skip.
inline bool SdlMakesGLContexts()
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

} // namespace gltest
