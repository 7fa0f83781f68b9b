// Tests of the OpenGL device, headless: frames, pixel coverage, depth, buffers, presenting, budgets, the system and
// refused calls, checked pixel by pixel against values worked out by hand.
#include "tests/platform/gfx/GLDeviceTestSupport.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace platform;
using namespace gltest;

namespace
{

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
    // So are indices that the base vertex moves past the buffer's 8 vertices: 5 + 3 is the ninth.
    ASSERT_OK(m_device->SetIndices(indices.get(), 5));
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
    ASSERT_OK(m_device->SetIndices(indices.get(), 4));
    // A 32-bit index buffer says so and is read as such: the right quad again, now from vertices 4..7 directly.
    IndexBufferPtr wideBuffer;
    ASSERT_OK(m_device->CreateIndexBuffer(6 * 4, 0, PixelFormat::Index32, Pool::Managed, &wideBuffer));
    BufferDesc wideDesc;
    ASSERT_OK(wideBuffer->GetDesc(&wideDesc));
    EXPECT_EQ(wideDesc.format, PixelFormat::Index32);
    const uint32_t wideQuad[6] = {4, 5, 6, 5, 7, 6};
    write(wideBuffer, 0, 0, wideQuad, sizeof(wideQuad));
    ASSERT_OK(m_device->SetIndices(wideBuffer.get(), 0));
    ClearTo(0xFF000000u);
    ASSERT_OK(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 4, 4, 0, 2));
    EXPECT_TRUE(ColourNear(Pixel(48, 48), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), 0xFF000000u, 0));
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
    EXPECT_EQ(m_device->DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 4, 3, 2, high, PixelFormat::Index16,
                                               v.data(), sizeof(ScreenVertex)),
              GfxResult::InvalidCall); // vertex 7 lies past 4 + 3
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
    std::vector<uint32_t> front;
    uint32_t w = 0, h = 0;
    ASSERT_OK(m_device->ReadFrontBuffer(&front, &w, &h)); // reading first changes nothing of what is shown
    ASSERT_OK(m_device->Present());
    // The next scene draws into the back buffer, cleared or not.
    ASSERT_OK(m_device->BeginScene());
    UseVertexColour();
    ASSERT_OK(DrawRect(0, 0, 4, 4, 0xFFFFFFFFu));
    ASSERT_OK(m_device->ReadFrontBuffer(&front, &w, &h));
    ASSERT_EQ(front.size(), size_t{kSize} * kSize);
    EXPECT_EQ(front[1 * kSize + 1], 0xFF112233u);
    EXPECT_EQ(Pixel(1, 1), 0xFFFFFFFFu);
    ClearTo(0xFF445566u);
    ASSERT_OK(m_device->ReadFrontBuffer(&front, &w, &h));
    EXPECT_EQ(front[5 * kSize + 7], 0xFF112233u);
    EXPECT_EQ(Pixel(7, 5), 0xFF445566u);

    // A 2 x 2 image with the key colour in one corner, copied to the top-left of the back buffer, even right after
    // a present.
    ASSERT_OK(m_device->EndScene());
    ASSERT_OK(m_device->Present());
    ASSERT_OK(m_device->BeginScene());
    const uint32_t image[4] = {0x00102030u, 0x00FF00FFu, 0x00405060u, 0x00708090u};
    ASSERT_OK(m_device->WriteBackBuffer(image, 2, 2, 0xFFFF00FFu));
    EXPECT_EQ(Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(Pixel(1, 0), 0x00000000u);
    EXPECT_EQ(Pixel(0, 1), 0xFF405060u);
    EXPECT_EQ(Pixel(1, 1), 0xFF708090u);
    EXPECT_EQ(Pixel(2, 0), 0xFF445566u); // the rest is left alone
    ASSERT_OK(m_device->ReadFrontBuffer(&front, &w, &h));
    EXPECT_EQ(front[0], 0xFF445566u);

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
    EXPECT_EQ(m_system->GetAdapterDisplayMode(1, &mode), GfxResult::InvalidCall);
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
    // Filtering between mip levels is in every GL there is, and the quality choice of trilinear filtering reads it.
    EXPECT_TRUE(system.filterMipLinear);
    EXPECT_TRUE(device.filterMipLinear);
    // Every GL from 2.0 on takes textures of any size, and any shape: one of 100 x 60 is made at that size.
    EXPECT_FALSE(device.texturePow2);
    EXPECT_FALSE(device.textureSquareOnly);
    uint32_t textureWidth = 100, textureHeight = 60;
    PixelFormat textureFormat = PixelFormat::A8R8G8B8;
    ASSERT_OK(
        CheckTextureRequirements(*m_device, &textureWidth, &textureHeight, nullptr, 0, &textureFormat, Pool::Managed));
    EXPECT_EQ(std::pair(textureWidth, textureHeight), std::pair(100u, 60u));
    // Each supported texture operation is the bit 1 << (operation - 1): the plain ones are all there.
    for (uint32_t op : {TextureOp::Disable, TextureOp::SelectArg1, TextureOp::Modulate, TextureOp::Add})
        EXPECT_NE(device.textureOpCaps & (1u << (op - 1)), 0u) << op;
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
    EXPECT_EQ(m_device->SetVertexShader(0), GfxResult::InvalidCall); // no position
    for (Viewport bad : {Viewport{0, 0, kSize + 1, kSize, 0.0f, 1.0f}, Viewport{0, 1, kSize, kSize, 0.0f, 1.0f},
                         Viewport{0, 0, kSize, kSize, -0.1f, 1.0f}, Viewport{0, 0, kSize, kSize, 0.0f, 1.1f}})
        EXPECT_EQ(m_device->SetViewport(bad), GfxResult::InvalidCall);
    // A stride shorter than the vertex layout would read past each vertex.
    std::vector<ScreenVertex> shortStride = Quad(0, 0, 8, 8, 0xFFFFFFFFu);
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, shortStride.data(), sizeof(ScreenVertex) - 4),
              GfxResult::InvalidCall);
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

// A back buffer wider or taller than 16,384 pixels is refused: no device is made, and the one there draws on.
TEST_F(GLDeviceTest, ABackBufferPastTheLargestSizeMakesNoDevice)
{
    const std::pair<uint32_t, uint32_t> sizes[] = {{16385, 64}, {64, 16385}, {0x80000000u, 64}};
    for (const auto& [width, height] : sizes)
    {
        PresentParams params = m_device->GetPresentParams();
        params.backBufferWidth = width;
        params.backBufferHeight = height;
        DevicePtr other;
        EXPECT_EQ(
            m_system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params, &other),
            GfxResult::NotAvailable)
            << width << " x " << height;
        EXPECT_EQ(other, nullptr);
    }
    ClearTo(0xFF00FF00u);
    EXPECT_EQ(Pixel(3, 3), 0xFF00FF00u);
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
    for (uint32_t height : {0u, 32u})
    {
        PresentParams sized;
        sized.backBufferHeight = height; // no width: the desktop's size, both ways
        DevicePtr device;
        ASSERT_OK(m_system->CreateDevice(0, DeviceType::Hal, nullptr, 0, &sized, &device));
        EXPECT_EQ(device->GetPresentParams().backBufferWidth, desktop.width);
        EXPECT_EQ(device->GetPresentParams().backBufferHeight, desktop.height);
    }
}

} // namespace

namespace
{

// A device on the game's window shows each frame at once when windowed and waits for the screen's refresh when full
// screen; a device that draws off-screen on a window of its own never waits.
TEST_F(GLDeviceTest, OnlyAFullScreenDeviceWaitsForTheRefresh)
{
    const struct
    {
        bool gameWindow;
        bool windowed;
        int interval;
    } cases[] = {{true, true, 0}, {true, false, 1}, {false, false, 0}, {true, false, 1}, {false, true, 0}};
    for (const auto& c : cases)
    {
        SDL_Window* window =
            c.gameWindow ? SDL_CreateWindow("Tidewell", 0, 0, 32, 32, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN) : nullptr;
        ASSERT_EQ(window != nullptr, c.gameWindow) << SDL_GetError();
        {
            PresentParams params;
            params.backBufferWidth = params.backBufferHeight = 32;
            params.deviceWindow = window;
            params.windowed = c.windowed;
            DevicePtr device;
            ASSERT_OK(m_system->CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
            EXPECT_EQ(SDL_GL_GetSwapInterval(), c.interval)
                << (c.gameWindow ? "the game's window, " : "a window of its own, ")
                << (c.windowed ? "windowed" : "full screen");
        }
        if (window)
            SDL_DestroyWindow(window);
    }
}

} // namespace
