// Tests of the recording device (lost device and reset, lock rules, draw records, unbinding) and of
// the texture helpers (pixel codecs, DXT, requirements, mip filtering, level loads).
#include "platform/gfx/RecordingDevice.h"
#include "platform/gfx/TextureUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

using namespace platform;

#define ASSERT_OK(call) ASSERT_EQ((call), GfxResult::Ok)

namespace
{

class RecordingDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PresentParams params;
        ASSERT_OK(m_system.CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params,
                                        &m_device));
        m_rec = m_system.LastDevice();
    }

    VertexBufferPtr MakeBuffer(uint32_t bytes, uint32_t usage, Pool pool)
    {
        VertexBufferPtr buffer;
        EXPECT_EQ(m_device->CreateVertexBuffer(bytes, usage, Fvf::XYZ | Fvf::Diffuse, pool, &buffer), GfxResult::Ok);
        return buffer;
    }

    RecordingSystem m_system;
    DevicePtr m_device;
    RecordingDevice* m_rec = nullptr;
};

TEST_F(RecordingDeviceTest, LostDeviceResetsOnlyWithoutDefaultPoolResources)
{
    VertexBufferPtr dynamic = MakeBuffer(64, Usage::Dynamic, Pool::Default);
    VertexBufferPtr managed = MakeBuffer(64, 0, Pool::Managed);
    void* data = nullptr;
    ASSERT_OK(managed->Lock(0, 4, &data, 0));
    std::memcpy(data, "keep", 4);
    ASSERT_OK(managed->Unlock());
    ASSERT_OK(m_device->SetRenderState(RenderState::CullMode, CullMode::None));
    ASSERT_OK(m_device->SetStreamSource(0, managed.get(), 16));
    ASSERT_OK(m_device->LightEnable(2, true));
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ));
    ASSERT_OK(m_device->SetTextureStageState(0, TextureStageState::ColourOp, TextureOp::Disable));
    IndexBufferPtr indices;
    ASSERT_OK(m_device->CreateIndexBuffer(8, 0, PixelFormat::Index16, Pool::Managed, &indices));
    ASSERT_OK(m_device->SetIndices(indices.get(), 4));

    m_rec->InjectDeviceLost(1);
    EXPECT_EQ(m_device->TestCooperativeLevel(), GfxResult::DeviceLost);
    EXPECT_EQ(m_device->Present(), GfxResult::DeviceLost);
    EXPECT_EQ(m_device->TestCooperativeLevel(), GfxResult::DeviceNotReset);
    PresentParams params = m_device->GetPresentParams();
    EXPECT_EQ(m_device->Reset(params), GfxResult::InvalidCall); // the dynamic buffer still lives
    dynamic.reset();
    params.backBufferWidth = 320; // a reset may change the back buffer
    params.backBufferHeight = 200;
    ASSERT_OK(m_device->Reset(params));
    Viewport viewport;
    ASSERT_OK(m_device->GetViewport(&viewport));
    EXPECT_TRUE(m_device->GetPresentParams().backBufferWidth == 320 && viewport.Width == 320 && viewport.Height == 200);
    EXPECT_EQ(m_device->TestCooperativeLevel(), GfxResult::Ok);

    // Managed memory survives; states and bindings return to the defaults.
    ASSERT_OK(managed->Lock(0, 4, &data, LockFlags::ReadOnly));
    EXPECT_EQ(std::memcmp(data, "keep", 4), 0);
    ASSERT_OK(managed->Unlock());
    uint32_t cull = 0;
    ASSERT_OK(m_device->GetRenderState(RenderState::CullMode, &cull));
    EXPECT_EQ(cull, uint32_t{CullMode::CCW});
    EXPECT_EQ(m_rec->GetStreamSource(nullptr), nullptr);
    EXPECT_FALSE(m_rec->IsLightEnabled(2));
    EXPECT_FALSE(m_rec->IsLightEnabled(kMaxLights));
    EXPECT_EQ(m_rec->GetVertexShader(), 0u);
    uint32_t colourOp = 0;
    ASSERT_OK(m_device->GetTextureStageState(0, TextureStageState::ColourOp, &colourOp));
    EXPECT_EQ(colourOp, uint32_t(TextureOp::Modulate));
    EXPECT_EQ(m_device->GetTextureStageState(kMaxTextureStages, TextureStageState::ColourOp, &colourOp),
              GfxResult::InvalidCall);
    uint32_t base = 99;
    EXPECT_EQ(m_rec->GetIndices(&base), nullptr);
    EXPECT_EQ(base, 0u);
}

TEST_F(RecordingDeviceTest, DynamicLocksDiscardOrKeepAndAreSingleAndBounded)
{
    VertexBufferPtr dynamic = MakeBuffer(32, Usage::Dynamic | Usage::WriteOnly, Pool::Default);
    auto fill = [&](uint32_t offset, uint32_t flags, uint8_t value)
    {
        void* data = nullptr;
        ASSERT_OK(dynamic->Lock(offset, 16, &data, flags));
        std::memset(data, value, 16);
        ASSERT_OK(dynamic->Unlock());
    };
    fill(0, LockFlags::Discard, 0x11);
    fill(16, LockFlags::NoOverwrite, 0x22); // appends behind what was written and keeps it
    void* data = nullptr;
    ASSERT_OK(dynamic->Lock(0, 0, &data, LockFlags::NoOverwrite));
    EXPECT_EQ(static_cast<uint8_t*>(data)[0] * 256 + static_cast<uint8_t*>(data)[16], 0x1122);
    EXPECT_EQ(dynamic->Lock(0, 8, &data, 0), GfxResult::InvalidCall); // already locked
    ASSERT_OK(dynamic->Unlock());
    EXPECT_EQ(dynamic->Unlock(), GfxResult::InvalidCall);
    // A discarding lock hands out a fresh buffer; a lock past the end is refused.
    ASSERT_OK(dynamic->Lock(0, 16, &data, LockFlags::Discard));
    EXPECT_NE(static_cast<uint8_t*>(data)[0], 0x11);
    ASSERT_OK(dynamic->Unlock());
    EXPECT_EQ(dynamic->Lock(24, 16, &data, 0), GfxResult::InvalidCall);
}

TEST_F(RecordingDeviceTest, DrawsRecordTheVerticesTheyReadAndCheckTheRules)
{
    struct V
    {
        float x, y, z;
        uint32_t colour;
    };
    VertexBufferPtr vertices = MakeBuffer(8 * sizeof(V), 0, Pool::Managed);
    IndexBufferPtr indices;
    ASSERT_OK(m_device->CreateIndexBuffer(12, 0, PixelFormat::Index16, Pool::Managed, &indices));
    void* data = nullptr;
    ASSERT_OK(vertices->Lock(0, 0, &data, 0));
    for (uint32_t i = 0; i < 8; ++i)
        static_cast<V*>(data)[i] = {float(i), 0, 0, 0xFF000000u + i};
    ASSERT_OK(vertices->Unlock());
    ASSERT_OK(indices->Lock(0, 0, &data, 0));
    const uint16_t list[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, list, sizeof(list));
    ASSERT_OK(indices->Unlock());
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Diffuse));
    ASSERT_OK(m_device->SetStreamSource(0, vertices.get(), sizeof(V)));
    ASSERT_OK(m_device->SetIndices(indices.get(), 4));

    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
    ASSERT_OK(m_device->BeginScene()); // draws need an open scene
    ASSERT_OK(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2));
    const RecordingDevice::DrawRecord& draw = m_rec->draws.back();
    EXPECT_EQ(draw.vertexNumbers, (std::vector<uint32_t>{4, 5, 6, 6, 5, 7})); // indices plus the base
    ASSERT_EQ(draw.vertexBytes.size(), 6 * sizeof(V));
    V third;
    std::memcpy(&third, &draw.vertexBytes[2 * sizeof(V)], sizeof(V));
    EXPECT_EQ(third.colour, 0xFF000006u);

    // Indices outside the declared range and a base past the end are refused.
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 3, 0, 2), GfxResult::InvalidCall);
    ASSERT_OK(m_device->SetIndices(indices.get(), 5));
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
    // A plain draw reads its vertices in order from the start vertex: two lines from vertex 3 read 3 to 6.
    ASSERT_OK(m_device->SetStreamSource(0, vertices.get(), sizeof(V)));
    m_rec->ClearLog();
    ASSERT_OK(m_device->DrawPrimitive(PrimitiveType::LineList, 3, 2));
    EXPECT_EQ(m_rec->ops, std::vector<RecordingDevice::Op>{RecordingDevice::Op::Draw});
    EXPECT_EQ(m_rec->draws.back().startVertex, 3u);
    EXPECT_EQ(m_rec->draws.back().vertexNumbers, (std::vector<uint32_t>{3, 4, 5, 6}));
    // A user-pointer draw leaves nothing bound.
    V strip[3] = {};
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 1, strip, sizeof(V)));
    uint32_t base = 99, stride = 99;
    EXPECT_EQ(m_rec->GetStreamSource(&stride), nullptr);
    EXPECT_EQ(m_rec->GetIndices(&base), nullptr);
    EXPECT_EQ(base + stride, 0u);

    // Indexed user-pointer draws: the vertices from the lowest index on, in 16 or 32-bit indices.
    V six[6] = {};
    for (uint32_t i = 0; i < 6; ++i)
        six[i].colour = i;
    const uint16_t short3[3] = {3, 4, 3};
    ASSERT_OK(m_device->DrawIndexedPrimitiveUP(PrimitiveType::LineStrip, 3, 2, 2, short3, PixelFormat::Index16, six,
                                               sizeof(V)));
    const RecordingDevice::DrawRecord& up = m_rec->draws.back();
    EXPECT_EQ(up.primitiveCount, 2u);
    ASSERT_EQ(up.vertexBytes.size(), 3 * sizeof(V));
    V second;
    std::memcpy(&second, &up.vertexBytes[sizeof(V)], sizeof(V));
    EXPECT_EQ(second.colour, 4u);
    const uint32_t long2[2] = {5, 4};
    ASSERT_OK(m_device->DrawIndexedPrimitiveUP(PrimitiveType::LineList, 4, 2, 1, long2, PixelFormat::Index32, six,
                                               sizeof(V)));
    EXPECT_EQ(m_rec->draws.back().vertexNumbers, (std::vector<uint32_t>{5, 4}));
    EXPECT_EQ(m_device->DrawIndexedPrimitiveUP(PrimitiveType::LineList, 4, 2, 1, long2, PixelFormat::A8R8G8B8, six,
                                               sizeof(V)),
              GfxResult::InvalidCall);

    // Either kind of user-pointer draw leaves the stream, its stride, the indices and their base unbound, whatever
    // was bound before it.
    const std::function<GfxResult()> userPointerDraws[] = {
        [&] { return m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 1, strip, sizeof(V)); },
        [&]
        {
            return m_device->DrawIndexedPrimitiveUP(PrimitiveType::LineStrip, 3, 2, 2, short3, PixelFormat::Index16,
                                                    six, sizeof(V));
        },
    };
    for (const auto& draw : userPointerDraws)
    {
        ASSERT_OK(m_device->SetStreamSource(0, vertices.get(), sizeof(V)));
        ASSERT_OK(m_device->SetIndices(indices.get(), 5));
        ASSERT_OK(draw());
        uint32_t base = 99, stride = 99;
        EXPECT_EQ(std::tuple(m_rec->GetStreamSource(&stride), m_rec->GetIndices(&base), stride, base),
                  std::tuple(nullptr, nullptr, 0u, 0u))
            << (&draw - userPointerDraws);
    }
}

TEST_F(RecordingDeviceTest, ClearsFillTheirRectanglesAndDestroyedResourcesAreLoggedByKind)
{
    PresentParams params;
    params.backBufferWidth = 4;
    params.backBufferHeight = 4;
    DevicePtr device;
    ASSERT_OK(m_system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
    RecordingDevice* rec = m_system.LastDevice();
    ASSERT_OK(device->Clear(0, nullptr, ClearFlags::Target, 0xFF000000, 1.0f, 0));
    const Rect corner = {2, 2, 4, 4};
    ASSERT_OK(device->Clear(1, &corner, ClearFlags::Target, 0xFFFFFFFF, 1.0f, 0));
    EXPECT_EQ(rec->backBuffer[0], 0xFF000000u);
    EXPECT_EQ(rec->backBuffer[2 * 4 + 1], 0xFF000000u);
    EXPECT_EQ(rec->backBuffer[2 * 4 + 2], 0xFFFFFFFFu);
    EXPECT_EQ(rec->backBuffer[3 * 4 + 3], 0xFFFFFFFFu);

    // 65536 vertices need a 32-bit index: its high half is read too.
    VertexBufferPtr big;
    rec->ClearLog();
    ASSERT_OK(device->CreateVertexBuffer(65537 * 12, 0, Fvf::XYZ, Pool::Managed, &big));
    EXPECT_EQ(rec->ops, std::vector<RecordingDevice::Op>{RecordingDevice::Op::CreateVertexBuffer});
    IndexBufferPtr indices;
    ASSERT_OK(device->CreateIndexBuffer(8, 0, PixelFormat::Index32, Pool::Managed, &indices));
    void* data = nullptr;
    ASSERT_OK(indices->Lock(0, 0, &data, 0));
    const uint32_t pair[2] = {65536, 1};
    std::memcpy(data, pair, sizeof(pair));
    ASSERT_OK(indices->Unlock());
    ASSERT_OK(device->SetVertexShader(Fvf::XYZ));
    ASSERT_OK(device->SetStreamSource(0, big.get(), 12));
    ASSERT_OK(device->SetIndices(indices.get(), 0));
    ASSERT_OK(device->BeginScene());
    ASSERT_OK(device->DrawIndexedPrimitive(PrimitiveType::LineList, 0, 65537, 0, 1));
    EXPECT_EQ(rec->draws.back().vertexNumbers, (std::vector<uint32_t>{65536, 1}));

    TexturePtr texture;
    ASSERT_OK(device->CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture));
    rec->ClearLog();
    big.reset();
    indices.reset();
    texture.reset();
    EXPECT_EQ(rec->ops, (std::vector<RecordingDevice::Op>{RecordingDevice::Op::DestroyVertexBuffer,
                                                          RecordingDevice::Op::DestroyIndexBuffer,
                                                          RecordingDevice::Op::DestroyTexture}));
}

TEST_F(RecordingDeviceTest, DestroyedResourcesAreUnboundAndOutliveTheirDevice)
{
    TexturePtr texture, bound;
    ASSERT_OK(m_device->CreateTexture(4, 4, 1, 0, PixelFormat::DXT1, Pool::Managed, &texture));
    ASSERT_OK(m_device->CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &bound));
    VertexBufferPtr buffer = MakeBuffer(16, 0, Pool::Managed);
    ASSERT_OK(m_device->SetTexture(1, bound.get()));
    ASSERT_OK(m_device->SetStreamSource(0, buffer.get(), 16));
    bound.reset();
    buffer.reset();
    EXPECT_EQ(m_device->GetTexture(1), nullptr);
    EXPECT_EQ(m_rec->GetStreamSource(nullptr), nullptr);
    EXPECT_EQ(m_rec->LiveTextures() + m_rec->LiveVertexBuffers(), 1u);

    // A new texture reads as zeros. Writes outside a locked rectangle do not reach it: only the texel at (1, 1)
    // changes.
    TexturePtr square;
    ASSERT_OK(m_device->CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &square));
    LockedRect inside;
    const Rect one = {1, 1, 2, 2};
    ASSERT_OK(square->LockRect(0, &inside, &one, 0));
    for (int i = -5; i < 5; ++i)
        static_cast<uint32_t*>(inside.bits)[i] = 0xFFFFFFFF;
    ASSERT_OK(square->UnlockRect(0));
    ASSERT_OK(square->LockRect(0, &inside, nullptr, LockFlags::ReadOnly));
    const uint32_t* texels = static_cast<const uint32_t*>(inside.bits);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(texels[i], i == 5 ? 0xFFFFFFFFu : 0u) << i;
    ASSERT_OK(square->UnlockRect(0));
    // A whole-level lock afterwards keeps all it writes.
    ASSERT_OK(square->LockRect(0, &inside, nullptr, 0));
    static_cast<uint32_t*>(inside.bits)[0] = 7;
    ASSERT_OK(square->UnlockRect(0));
    ASSERT_OK(square->LockRect(0, &inside, nullptr, LockFlags::ReadOnly));
    EXPECT_EQ(static_cast<const uint32_t*>(inside.bits)[0], 7u);
    ASSERT_OK(square->UnlockRect(0));
    // Compressed levels are locked by whole 4 x 4 blocks: of an 8 x 8 level only the lower right block is taken.
    for (auto [format, blockBytes] : {std::pair{PixelFormat::DXT1, 8}, std::pair{PixelFormat::DXT5, 16}})
    {
        TexturePtr blocks;
        ASSERT_OK(m_device->CreateTexture(8, 8, 1, 0, format, Pool::Managed, &blocks));
        const Rect last = {4, 4, 8, 8};
        ASSERT_OK(blocks->LockRect(0, &inside, &last, 0));
        uint8_t* bits = static_cast<uint8_t*>(inside.bits);
        std::memset(bits - inside.pitch - blockBytes, 0xAB, static_cast<size_t>(inside.pitch) + 2 * blockBytes);
        ASSERT_OK(blocks->UnlockRect(0));
        ASSERT_OK(blocks->LockRect(0, &inside, nullptr, LockFlags::ReadOnly));
        const uint8_t* all = static_cast<const uint8_t*>(inside.bits);
        for (int i = 0; i < 4 * blockBytes; ++i)
            EXPECT_EQ(all[i], i >= 3 * blockBytes ? 0xAB : 0) << blockBytes << " " << i;
        ASSERT_OK(blocks->UnlockRect(0));
    }

    // A texture still works as memory after its device is gone.
    m_device.reset();
    LockedRect locked;
    ASSERT_OK(texture->LockRect(0, &locked, nullptr, 0));
    EXPECT_EQ(locked.pitch, 8); // one row of one DXT1 block
    ASSERT_OK(texture->UnlockRect(0));
}

TEST_F(RecordingDeviceTest, AFreshDeviceViewsTheWholeBackBufferWithTheUsualColourSources)
{
    for (bool depth : {true, false})
    {
        PresentParams params;
        params.backBufferWidth = 640;
        params.backBufferHeight = 480;
        params.enableAutoDepthStencil = depth;
        DevicePtr device;
        ASSERT_OK(m_system.CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params,
                                        &device));
        // No back-buffer format given: the desktop's.
        EXPECT_EQ(device->GetPresentParams().backBufferFormat, m_system.config.adapters[0].desktop.format);
        Viewport viewport = {9, 9, 9, 9, 9.0f, 9.0f};
        ASSERT_OK(device->GetViewport(&viewport));
        EXPECT_TRUE(viewport.X == 0 && viewport.Y == 0 && viewport.Width == 640 && viewport.Height == 480 &&
                    viewport.MinZ == 0.0f && viewport.MaxZ == 1.0f);
        // Diffuse and specular from the vertex colours, ambient and emissive from the material.
        const std::pair<RenderState, uint32_t> sources[] = {
            {RenderState::DiffuseMaterialSource, MaterialSource::Colour1},
            {RenderState::SpecularMaterialSource, MaterialSource::Colour2},
            {RenderState::AmbientMaterialSource, MaterialSource::Material},
            {RenderState::EmissiveMaterialSource, MaterialSource::Material},
            {RenderState::ZEnable, depth ? 1u : 0u},
        };
        for (const auto& [state, expected] : sources)
        {
            uint32_t value = 99;
            ASSERT_OK(device->GetRenderState(state, &value));
            EXPECT_EQ(value, expected) << static_cast<uint32_t>(state);
        }
    }
}

TEST_F(RecordingDeviceTest, SystemRefusesWhatTheAdapterCannotDo)
{
    // A window must use the desktop's format; full screen may use any listed pair.
    const PixelFormat desktop = m_system.config.adapters[0].desktop.format;
    const PixelFormat other = desktop == PixelFormat::X8R8G8B8 ? PixelFormat::R5G6B5 : PixelFormat::X8R8G8B8;
    m_system.config.adapters[0].deviceTypes = {{desktop, desktop}, {other, other}};
    EXPECT_EQ(m_system.CheckDeviceType(0, DeviceType::Hal, desktop, desktop, true), GfxResult::Ok);
    EXPECT_NE(m_system.CheckDeviceType(0, DeviceType::Hal, other, other, true), GfxResult::Ok);
    EXPECT_EQ(m_system.CheckDeviceType(0, DeviceType::Hal, other, other, false), GfxResult::Ok);
    // Modes are listed per adapter; one past the end is refused.
    DisplayMode mode;
    const uint32_t modes = m_system.GetAdapterModeCount(0);
    EXPECT_EQ(m_system.EnumAdapterModes(0, modes - 1, &mode), GfxResult::Ok);
    EXPECT_EQ(m_system.EnumAdapterModes(0, modes, &mode), GfxResult::InvalidCall);
    EXPECT_EQ(m_system.EnumAdapterModes(1, 0, &mode), GfxResult::InvalidCall);
    DeviceCaps caps;
    EXPECT_EQ(m_system.GetDeviceCaps(1, DeviceType::Hal, &caps), GfxResult::InvalidCall);
    EXPECT_EQ(m_system.GetDeviceCaps(0, DeviceType::Hal, nullptr), GfxResult::InvalidCall);
    // No device without somewhere to put it, its parameters or a real adapter.
    PresentParams params;
    DevicePtr device;
    EXPECT_EQ(m_system.CreateDevice(0, DeviceType::Hal, nullptr, 0, nullptr, &device), GfxResult::InvalidCall);
    EXPECT_EQ(m_system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, nullptr), GfxResult::InvalidCall);
    EXPECT_EQ(m_system.CreateDevice(1, DeviceType::Hal, nullptr, 0, &params, &device), GfxResult::InvalidCall);
    // Validation takes one pass; a fresh front buffer is black; stage numbers past the last bind nothing.
    uint32_t passes = 0;
    ASSERT_OK(m_device->ValidateDevice(&passes));
    EXPECT_EQ(passes, 1u);
    std::vector<uint32_t> front;
    uint32_t frontWidth = 0, frontHeight = 0;
    PresentParams small;
    small.backBufferWidth = small.backBufferHeight = 2;
    DevicePtr second;
    ASSERT_OK(m_system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &small, &second));
    ASSERT_OK(second->ReadFrontBuffer(&front, &frontWidth, &frontHeight));
    EXPECT_EQ(front, std::vector<uint32_t>(4, 0));
    VertexBufferPtr bound = MakeBuffer(16, 0, Pool::Managed);
    ASSERT_OK(m_device->SetStreamSource(0, bound.get(), 16));
    EXPECT_EQ(m_device->GetTexture(kMaxTextureStages), nullptr);
    // Textures need a size; reading the back buffer is logged.
    TexturePtr texture;
    EXPECT_NE(m_device->CreateTexture(0, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture), GfxResult::Ok);
    EXPECT_NE(m_device->CreateTexture(4, 0, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture), GfxResult::Ok);
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    m_rec->ClearLog();
    m_device->ReadBackBuffer(&pixels, &width, &height);
    EXPECT_EQ(m_rec->CountOps(RecordingDevice::Op::ReadBackBuffer), 1u);

    // Clearing the log forgets every kind of record.
    ASSERT_OK(m_device->SetTransform(TransformType::World, MatrixIdentity()));
    ASSERT_OK(m_device->SetRenderState(RenderState::ZEnable, 0));
    ASSERT_OK(m_device->SetTextureStageState(0, TextureStageState::ColourOp, 1));
    ASSERT_OK(m_device->SetTexture(0, nullptr));
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ));
    ASSERT_OK(m_device->SetIndices(nullptr, 0));
    ASSERT_OK(m_device->SetViewport({0, 0, 1, 1, 0.0f, 1.0f}));
    ASSERT_OK(m_device->SetMaterial(MaterialDesc{}));
    ASSERT_OK(m_device->SetLight(0, LightDesc{}));
    ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target, 0, 1.0f, 0));
    m_rec->ClearLog();
    EXPECT_TRUE(m_rec->ops.empty() && m_rec->transformWrites.empty() && m_rec->renderStateWrites.empty() &&
                m_rec->stageStateWrites.empty() && m_rec->textureBinds.empty() && m_rec->streamBinds.empty() &&
                m_rec->indexBinds.empty() && m_rec->vertexShaderWrites.empty() && m_rec->viewports.empty() &&
                m_rec->materials.empty() && m_rec->lights.empty() && m_rec->clears.empty());
}

// Every query of a system with two adapters answers for adapters 0 and 1 and refuses the adapter numbers past
// them as bad arguments (InvalidCall, not NotAvailable: nothing about such an adapter is known), with no modes.
TEST(RecordingSystemTest, AdapterNumbersPastTheLastAreRefusedByEveryQuery)
{
    RecordingConfig config;
    config.adapters = {DefaultRecordingAdapter(), DefaultRecordingAdapter()};
    RecordingSystem system(config);
    const PixelFormat desktop = config.adapters[0].desktop.format;
    const struct
    {
        const char* query;
        std::function<GfxResult(uint32_t)> ask;
    } queries[] = {
        {"GetAdapterIdentifier",
         [&](uint32_t a)
         {
             AdapterIdentifier identifier;
             return system.GetAdapterIdentifier(a, &identifier);
         }},
        {"EnumAdapterModes",
         [&](uint32_t a)
         {
             DisplayMode mode;
             return system.EnumAdapterModes(a, 0, &mode);
         }},
        {"GetAdapterDisplayMode",
         [&](uint32_t a)
         {
             DisplayMode mode;
             return system.GetAdapterDisplayMode(a, &mode);
         }},
        {"CheckDeviceType",
         [&](uint32_t a) { return system.CheckDeviceType(a, DeviceType::Hal, desktop, desktop, true); }},
        {"CheckDeviceFormat",
         [&](uint32_t a) {
             return system.CheckDeviceFormat(a, DeviceType::Hal, desktop, 0, ResourceType::Texture,
                                             PixelFormat::A8R8G8B8);
         }},
        {"CheckDepthStencilMatch", [&](uint32_t a)
         { return system.CheckDepthStencilMatch(a, DeviceType::Hal, desktop, desktop, PixelFormat::D16); }},
        {"GetDeviceCaps",
         [&](uint32_t a)
         {
             DeviceCaps caps;
             const GfxResult r = system.GetDeviceCaps(a, DeviceType::Hal, &caps);
             EXPECT_TRUE(r != GfxResult::Ok || caps.adapterOrdinal == a);
             return r;
         }},
        {"CreateDevice",
         [&](uint32_t a)
         {
             PresentParams params;
             DevicePtr device;
             const GfxResult r = system.CreateDevice(a, DeviceType::Hal, nullptr, 0, &params, &device);
             EXPECT_EQ(device != nullptr, r == GfxResult::Ok);
             return r;
         }},
    };
    EXPECT_EQ(system.GetAdapterCount(), 2u);
    for (uint32_t adapter : {0u, 1u, 2u, 3u, 0xFFFFFFFFu})
    {
        const bool real = adapter < 2;
        for (const auto& q : queries)
            EXPECT_EQ(q.ask(adapter), real ? GfxResult::Ok : GfxResult::InvalidCall) << q.query << " " << adapter;
        EXPECT_EQ(system.GetAdapterModeCount(adapter), real ? config.adapters[adapter].modes.size() : 0u) << adapter;
    }
}

TEST(DeviceFormatTest, VertexSizesAddUpTheirParts)
{
    // Position 12 (or 16 transformed), normal 12, each colour 4, each coordinate pair 8; no position, no layout.
    EXPECT_EQ(FvfVertexSize(Fvf::XYZ | Fvf::Diffuse), 16u);
    EXPECT_EQ(FvfVertexSize(0x112), 32u); // position, normal, one pair
    EXPECT_EQ(FvfVertexSize(0x1D2), 40u); // position, normal, both colours, one pair
    EXPECT_EQ(FvfVertexSize(Fvf::XYZRHW | Fvf::Diffuse | Fvf::Specular | 0x200), 40u);
    EXPECT_EQ(FvfVertexSize(Fvf::Diffuse | 0x100), 0u);
    // Depth formats with stencil bits: D15S1, D24S8 and D24X4S4.
    for (PixelFormat f : {PixelFormat::D15S1, PixelFormat::D24S8, PixelFormat::D24X4S4})
        EXPECT_TRUE(FormatHasStencil(f)) << FormatName(f);
    for (PixelFormat f : {PixelFormat::D16, PixelFormat::D24X8, PixelFormat::D32, PixelFormat::A8R8G8B8})
        EXPECT_FALSE(FormatHasStencil(f)) << FormatName(f);
}

// ---------------------------------------------------------------- texture helpers

TEST(TextureUtilTest, PixelCodecsFollowTheFormatLayouts)
{
    const struct
    {
        PixelFormat format;
        std::vector<uint8_t> bytes;
        uint32_t argb;
    } cases[] = {
        {PixelFormat::X1R5G5B5, {0x1F, 0x80}, 0xFF0000FFu}, // unused bits are written as ones
        {PixelFormat::A1R5G5B5, {0x1F, 0x80}, 0xFF0000FFu}, // the top bit is the alpha bit: set when opaque
        {PixelFormat::A1R5G5B5, {0x1F, 0x00}, 0x000000FFu}, // and clear when transparent
        {PixelFormat::A4R4G4B4, {0x21, 0x43}, 0x44332211u},
        {PixelFormat::X8R8G8B8, {0x01, 0x02, 0x03, 0xFF}, 0xFF030201u},
        {PixelFormat::A8, {0x7F}, 0x7F000000u},
    };
    for (const auto& c : cases)
    {
        uint32_t argb = 0;
        ASSERT_TRUE(DecodePixels(c.format, c.bytes.data(), 4, 1, 1, &argb));
        EXPECT_EQ(argb, c.argb) << FormatName(c.format);
        std::vector<uint8_t> back(c.bytes.size());
        ASSERT_TRUE(EncodePixels(c.format, &argb, 1, 1, back.data(), 4));
        EXPECT_EQ(back, c.bytes) << FormatName(c.format);
    }
    uint32_t none = 0;
    EXPECT_FALSE(DecodePixels(PixelFormat::D24S8, &none, 4, 1, 1, &none)); // depth formats have no colour
}

TEST(TextureUtilTest, DxtBlocksRoundTripTheirEndpointsAndAlpha)
{
    // Two colours exact in 5:6:5 with a transparent corner for DXT1, a ramp of alpha for DXT5.
    uint32_t block[16], decoded[16];
    uint8_t encoded[16];
    for (int i = 0; i < 16; ++i)
        block[i] = (i % 2 ? 0xFFFF0000u : 0xFF0000FFu);
    block[15] = 0x00000000u;
    ASSERT_TRUE(EncodePixels(PixelFormat::DXT1, block, 4, 4, encoded, 8));
    ASSERT_TRUE(DecodePixels(PixelFormat::DXT1, encoded, 8, 4, 4, decoded));
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(decoded[i], block[i]) << i;
    EXPECT_EQ(decoded[15] >> 24, 0u);

    for (int i = 0; i < 16; ++i)
        block[i] = (static_cast<uint32_t>(i * 17) << 24) | 0x00FFFFFFu;
    ASSERT_TRUE(EncodePixels(PixelFormat::DXT5, block, 4, 4, encoded, 16));
    ASSERT_TRUE(DecodePixels(PixelFormat::DXT5, encoded, 16, 4, 4, decoded));
    EXPECT_EQ(decoded[0] >> 24, 0u);
    EXPECT_EQ(decoded[15] >> 24, 255u);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(static_cast<int>(decoded[i] >> 24), i * 17, 19) << i; // within half a step of 255 / 7
}

// An image whose sides are not multiples of 4 fills its edge blocks from its own last row and column, whatever
// lies past it in memory: two colours exact in 5:6:5 per block decode exactly, with rows of a third colour just
// below the image that would pull the block's endpoints away if they were read.
TEST(TextureUtilTest, DxtEdgeBlocksAreFilledFromTheImageNotFromWhatFollowsIt)
{
    const uint32_t black = 0xFF000000u, blue = 0xFF0000FFu, fence = 0xFFFFFFFFu;
    for (PixelFormat format : {PixelFormat::DXT1, PixelFormat::DXT3, PixelFormat::DXT5})
    {
        for (uint32_t h = 1; h <= 7; ++h)
        {
            for (uint32_t w = 1; w <= 7; ++w)
            {
                // A checker of the two colours, then four rows of the fence colour in the same buffer.
                std::vector<uint32_t> pixels(static_cast<size_t>(w) * (h + 4), fence);
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x)
                        pixels[y * w + x] = (x + y) % 2 ? blue : black;
                const uint32_t blockBytes = format == PixelFormat::DXT1 ? 8 : 16;
                const uint32_t pitch = (w + 3) / 4 * blockBytes;
                std::vector<uint8_t> encoded(static_cast<size_t>(pitch) * ((h + 3) / 4));
                ASSERT_TRUE(EncodePixels(format, pixels.data(), w, h, encoded.data(), pitch));
                std::vector<uint32_t> decoded(static_cast<size_t>(w) * h);
                ASSERT_TRUE(DecodePixels(format, encoded.data(), pitch, w, h, decoded.data()));
                EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), pixels.begin()))
                    << FormatName(format) << " " << w << " x " << h;
            }
        }
    }
}

// Each channel is rounded to the nearest level of its width: v x (2^bits - 1) / 255 rounded, so red 4 is level 0
// (0.49) and red 5 level 1 (0.61), green 2 level 0 (0.49) and green 3 level 1 (0.74).
TEST(TextureUtilTest, SixteenBitEncodingRoundsEachChannelToTheNearestLevel)
{
    const struct
    {
        uint32_t argb;
        uint16_t word; // red in bits 11-15, green 5-10, blue 0-4
    } cases[] = {
        {0xFF040000u, 0x0000}, {0xFF050000u, 1u << 11}, {0xFF000200u, 0x0000}, {0xFF000300u, 1u << 5},
        {0xFF000004u, 0x0000}, {0xFF000005u, 1u},       {0xFFFBFDFBu, 0xFFFF}, // 251 and 253 are nearer the top levels
                                                                               // (30.5 and 62.5 round up)
    };
    for (const auto& c : cases)
    {
        uint8_t bytes[2] = {};
        ASSERT_TRUE(EncodePixels(PixelFormat::R5G6B5, &c.argb, 1, 1, bytes, 2));
        EXPECT_EQ(bytes[0] | bytes[1] << 8, c.word) << std::hex << c.argb;
    }
}

// In DXT1 a block with a transparent pixel has three colours and transparent black: an opaque pixel, even one
// whose colour lies nearest to black, stays opaque. The dark blue here is nearer black than red, green or the
// colour between them.
TEST(TextureUtilTest, Dxt1OpaquePixelsStayOpaqueBesideATransparentOne)
{
    uint32_t block[16], decoded[16];
    uint8_t encoded[8];
    for (int i = 0; i < 16; ++i)
        block[i] = i % 3 == 0 ? 0xFFFF0000u : i % 3 == 1 ? 0xFF00FF00u : 0xFF000064u;
    block[15] = 0x00000000u;
    ASSERT_TRUE(EncodePixels(PixelFormat::DXT1, block, 4, 4, encoded, 8));
    ASSERT_TRUE(DecodePixels(PixelFormat::DXT1, encoded, 8, 4, 4, decoded));
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(decoded[i] >> 24, 0xFFu) << i;
    EXPECT_EQ(decoded[15] >> 24, 0u);
}

// A level copied to another texture with no rectangles is the whole level, pixel for pixel, in the same format
// and converted to one without alpha.
TEST(TextureUtilTest, LevelToLevelCopiesWithoutRectanglesTakeTheWholeLevel)
{
    RecordingSystem system;
    PresentParams params;
    DevicePtr device;
    ASSERT_OK(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
    constexpr uint32_t w = 5, h = 3;
    std::vector<uint32_t> image(w * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            image[y * w + x] = 0x80000000u | (x * 40) << 16 | (y * 90) << 8 | (x + y);
    TexturePtr source;
    ASSERT_OK(device->CreateTexture(w, h, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &source));
    ASSERT_OK(LoadLevelFromMemory(*source, 0, nullptr, image.data(), PixelFormat::A8R8G8B8, w * 4, Rect{0, 0, w, h},
                                  ImageFilter::None, 0));
    for (PixelFormat format : {PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8})
    {
        TexturePtr target;
        ASSERT_OK(device->CreateTexture(w, h, 1, 0, format, Pool::Managed, &target));
        ASSERT_OK(LoadLevelFromLevel(*target, 0, nullptr, *source, 0, nullptr, ImageFilter::None, 0));
        LockedRect locked;
        ASSERT_OK(target->LockRect(0, &locked, nullptr, LockFlags::ReadOnly));
        std::vector<uint32_t> got(w * h);
        DecodePixels(format, locked.bits, static_cast<uint32_t>(locked.pitch), w, h, got.data());
        ASSERT_OK(target->UnlockRect(0));
        for (uint32_t i = 0; i < w * h; ++i)
        {
            const uint32_t expected = format == PixelFormat::X8R8G8B8 ? image[i] | 0xFF000000u : image[i];
            EXPECT_EQ(got[i], expected) << FormatName(format) << " pixel " << i;
        }
    }
}

TEST(TextureUtilTest, RequirementsFitTheDeviceAndLevelsAreFiltered)
{
    RecordingConfig config;
    config.adapters.push_back(DefaultRecordingAdapter());
    config.adapters[0].caps.texturePow2 = true;
    config.adapters[0].caps.maxTextureWidth = config.adapters[0].caps.maxTextureHeight = 256;
    config.adapters[0].textureFormats = {PixelFormat::A4R4G4B4, PixelFormat::R5G6B5, PixelFormat::DXT1};
    RecordingSystem system(config);
    PresentParams params;
    DevicePtr device;
    ASSERT_OK(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));

    uint32_t w = 300, h = 100, levels = 0;
    PixelFormat format = PixelFormat::A8R8G8B8;
    ASSERT_OK(CheckTextureRequirements(*device, &w, &h, &levels, 0, &format, Pool::Managed));
    EXPECT_EQ(w, 256u); // 512 clamped to the largest size
    EXPECT_EQ(h, 128u);
    EXPECT_EQ(levels, 9u);
    EXPECT_EQ(format, PixelFormat::A4R4G4B4); // the nearest supported format with alpha

    // A 2 x 2 level box-filters into its 1 x 1 level.
    TexturePtr texture;
    ASSERT_OK(CreateTextureFitted(*device, 2, 2, 0, 0, PixelFormat::A4R4G4B4, Pool::Managed, &texture));
    ASSERT_EQ(texture->GetLevelCount(), 2u);
    const uint32_t greys[4] = {0xFF000000u, 0xFF444444u, 0xFF888888u, 0xFFCCCCCCu};
    ASSERT_OK(LoadLevelFromMemory(*texture, 0, nullptr, greys, PixelFormat::A8R8G8B8, 8, Rect{0, 0, 2, 2},
                                  ImageFilter::None, 0));
    ASSERT_OK(FilterTexture(*texture, 0, ImageFilter::Box));
    LockedRect locked;
    ASSERT_OK(texture->LockRect(1, &locked, nullptr, LockFlags::ReadOnly));
    uint32_t mean = 0;
    DecodePixels(PixelFormat::A4R4G4B4, locked.bits, static_cast<uint32_t>(locked.pitch), 1, 1, &mean);
    EXPECT_EQ(mean, 0xFF666666u); // (0 + 0x44 + 0x88 + 0xCC) / 4
    ASSERT_OK(texture->UnlockRect(1));
}

// A device that needs powers of two gets each side rounded up to the next one (a side that is one already, 1
// included, stays); a device without that need keeps the sizes. A side of 0 is the usual 256 on both.
TEST(TextureUtilTest, SidesAreRoundedUpToPowersOfTwoOnlyWhenTheDeviceNeedsThem)
{
    const struct
    {
        uint32_t w, h;
        uint32_t pow2W, pow2H;
    } cases[] = {{1, 1, 1, 1}, {1, 3, 1, 4}, {2, 5, 2, 8}, {64, 65, 64, 128}, {100, 1, 128, 1}};
    for (bool pow2 : {true, false})
    {
        RecordingConfig config;
        config.adapters.push_back(DefaultRecordingAdapter());
        config.adapters[0].caps.texturePow2 = pow2;
        RecordingSystem system(config);
        PresentParams params;
        DevicePtr device;
        ASSERT_OK(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
        for (const auto& c : cases)
        {
            uint32_t w = c.w, h = c.h;
            PixelFormat format = PixelFormat::A8R8G8B8;
            ASSERT_OK(CheckTextureRequirements(*device, &w, &h, nullptr, 0, &format, Pool::Managed));
            EXPECT_EQ(std::pair(w, h), pow2 ? std::pair(c.pow2W, c.pow2H) : std::pair(c.w, c.h))
                << c.w << " x " << c.h << (pow2 ? " on a device that needs powers of two" : "");
        }
        // A side of 0 asks for the usual 256.
        uint32_t w = 0, h = 0;
        PixelFormat format = PixelFormat::A8R8G8B8;
        ASSERT_OK(CheckTextureRequirements(*device, &w, &h, nullptr, 0, &format, Pool::Managed));
        EXPECT_EQ(std::pair(w, h), std::pair(256u, 256u));
    }
}

// A format the device lacks is replaced by one it has of the same kind: with alpha for a format with alpha, opaque
// for an opaque one. DXT1's alpha is a one-bit key: it counts as opaque.
TEST(TextureUtilTest, AMissingFormatIsReplacedByOneOfTheSameKind)
{
    RecordingConfig config;
    config.adapters.push_back(DefaultRecordingAdapter());
    config.adapters[0].textureFormats = {PixelFormat::A4R4G4B4, PixelFormat::R5G6B5};
    RecordingSystem system(config);
    PresentParams params;
    DevicePtr device;
    ASSERT_OK(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
    const std::pair<PixelFormat, PixelFormat> cases[] = {
        {PixelFormat::A8R8G8B8, PixelFormat::A4R4G4B4}, {PixelFormat::A1R5G5B5, PixelFormat::A4R4G4B4},
        {PixelFormat::DXT3, PixelFormat::A4R4G4B4},     {PixelFormat::X8R8G8B8, PixelFormat::R5G6B5},
        {PixelFormat::X1R5G5B5, PixelFormat::R5G6B5},   {PixelFormat::DXT1, PixelFormat::R5G6B5},
        {PixelFormat::R5G6B5, PixelFormat::R5G6B5},     {PixelFormat::A4R4G4B4, PixelFormat::A4R4G4B4},
    };
    for (const auto& [wanted, chosen] : cases)
    {
        uint32_t w = 16, h = 16;
        PixelFormat format = wanted;
        ASSERT_OK(CheckTextureRequirements(*device, &w, &h, nullptr, 0, &format, Pool::Managed));
        EXPECT_EQ(format, chosen) << FormatName(wanted);
    }
}

// A rectangle of a DXT source away from its corner: the source's 8 x 8 picture is four solid 4 x 4 blocks, and
// each loaded pixel takes the colour of the block it lies in.
TEST(TextureUtilTest, ARectangleOfABlockCompressedSourceIsTakenFromItsPlace)
{
    RecordingSystem system;
    PresentParams params;
    DevicePtr device;
    ASSERT_OK(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
    const uint32_t quadrant[2][2] = {{0xFFFF0000u, 0xFF00FF00u}, {0xFF0000FFu, 0xFFFFFFFFu}}; // [row][column]
    std::vector<uint32_t> picture(64);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            picture[y * 8 + x] = quadrant[y / 4][x / 4];
    const uint32_t pitch = FormatRowPitch(PixelFormat::DXT1, 8);
    std::vector<uint8_t> blocks(2 * pitch);
    ASSERT_TRUE(EncodePixels(PixelFormat::DXT1, picture.data(), 8, 8, blocks.data(), pitch));
    const Rect rects[] = {{4, 4, 8, 8}, {4, 0, 8, 4}, {0, 4, 4, 8}, {2, 3, 6, 7}};
    for (const Rect& from : rects)
    {
        TexturePtr target;
        ASSERT_OK(device->CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &target));
        ASSERT_OK(LoadLevelFromMemory(*target, 0, nullptr, blocks.data(), PixelFormat::DXT1, pitch, from,
                                      ImageFilter::None, 0));
        LockedRect locked;
        ASSERT_OK(target->LockRect(0, &locked, nullptr, LockFlags::ReadOnly));
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
            {
                const uint32_t sx = static_cast<uint32_t>(from.left) + x, sy = static_cast<uint32_t>(from.top) + y;
                const uint32_t got =
                    reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.bits) + y * locked.pitch)[x];
                EXPECT_EQ(got, quadrant[sy / 4][sx / 4])
                    << "rectangle at " << from.left << "," << from.top << ", pixel " << x << "," << y;
            }
        ASSERT_OK(target->UnlockRect(0));
    }
}

TEST(TextureUtilTest, LevelLoadsConvertKeyAndKeepTheRestOfTheLevel)
{
    RecordingSystem system;
    PresentParams params;
    DevicePtr device;
    ASSERT_OK(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device));
    TexturePtr target, copy;
    ASSERT_OK(device->CreateTexture(8, 4, 1, 0, PixelFormat::DXT1, Pool::Managed, &target));
    const uint32_t green = 0xFF00FF00u, key = 0x00FF00FFu;
    std::vector<uint32_t> fill(32, green);
    ASSERT_OK(LoadLevelFromMemory(*target, 0, nullptr, fill.data(), PixelFormat::A8R8G8B8, 32, Rect{0, 0, 8, 4},
                                  ImageFilter::None, 0));
    // A 1 x 1 key-coloured source point-scaled over a 2 x 2 corner of the second block.
    Rect corner{4, 0, 6, 2}, outside{6, 0, 10, 2};
    ASSERT_OK(LoadLevelFromMemory(*target, 0, &corner, &key, PixelFormat::X8R8G8B8, 4, Rect{0, 0, 1, 1},
                                  ImageFilter::Point, 0xFFFF00FFu));
    ASSERT_OK(device->CreateTexture(8, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &copy));
    ASSERT_OK(LoadLevelFromLevel(*copy, 0, nullptr, *target, 0, nullptr, ImageFilter::None, 0));
    LockedRect locked;
    ASSERT_OK(copy->LockRect(0, &locked, nullptr, LockFlags::ReadOnly));
    auto row = [&](int y)
    { return reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch); };
    EXPECT_EQ(row(0)[1], green);    // the first block is untouched
    EXPECT_EQ(row(0)[5] >> 24, 0u); // keyed pixels became transparent
    EXPECT_EQ(row(3)[5], green);    // the rest of the second block keeps its colour
    ASSERT_OK(copy->UnlockRect(0));
    EXPECT_EQ(LoadLevelFromMemory(*target, 0, &outside, &key, PixelFormat::X8R8G8B8, 4, Rect{0, 0, 1, 1},
                                  ImageFilter::Point, 0),
              GfxResult::InvalidCall);
}

} // namespace
