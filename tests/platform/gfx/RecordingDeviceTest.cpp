// Tests of the recording device (lost device and reset, buffer lock semantics, draw records, resource
// bookkeeping, configurable adapters) and of the texture helpers (pixel codecs, DXT, mip filtering, texture
// requirements, level loads).
#include "platform/gfx/RecordingDevice.h"
#include "platform/gfx/TextureUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace platform;

namespace
{

class RecordingDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override { MakeDevice(); }

    void MakeDevice(uint32_t flags = CreateFlags::HardwareVertexProcessing)
    {
        m_device.reset();
        PresentParams params;
        params.backBufferWidth = 8;
        params.backBufferHeight = 4;
        ASSERT_EQ(m_system.CreateDevice(0, DeviceType::Hal, nullptr, flags, &params, &m_device), GfxResult::Ok);
        m_rec = m_system.LastDevice();
        ASSERT_EQ(m_rec, m_device.get());
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
    ASSERT_EQ(managed->Lock(0, 4, &data, 0), GfxResult::Ok);
    std::memcpy(data, "keep", 4);
    ASSERT_EQ(managed->Unlock(), GfxResult::Ok);
    ASSERT_EQ(m_device->SetRenderState(RenderState::CullMode, CullMode::None), GfxResult::Ok);
    ASSERT_EQ(m_device->SetStreamSource(0, managed.get(), 16), GfxResult::Ok);

    m_rec->InjectDeviceLost(1);
    EXPECT_EQ(m_device->TestCooperativeLevel(), GfxResult::DeviceLost);
    EXPECT_EQ(m_device->Present(), GfxResult::DeviceLost);
    EXPECT_EQ(m_device->TestCooperativeLevel(), GfxResult::DeviceNotReset);

    PresentParams params = m_device->GetPresentParams();
    EXPECT_EQ(m_device->Reset(params), GfxResult::InvalidCall); // the dynamic buffer still lives
    dynamic.reset();
    m_rec->FailNextResets(1);
    EXPECT_EQ(m_device->Reset(params), GfxResult::DeviceLost);
    EXPECT_EQ(m_device->TestCooperativeLevel(), GfxResult::DeviceNotReset);
    ASSERT_EQ(m_device->Reset(params), GfxResult::Ok);
    EXPECT_EQ(m_device->TestCooperativeLevel(), GfxResult::Ok);
    EXPECT_EQ(m_rec->resetCount, 1u);

    // Managed memory survives; states and bindings return to the defaults.
    ASSERT_EQ(managed->Lock(0, 4, &data, LockFlags::ReadOnly), GfxResult::Ok);
    EXPECT_EQ(std::memcmp(data, "keep", 4), 0);
    ASSERT_EQ(managed->Unlock(), GfxResult::Ok);
    uint32_t cull = 0;
    ASSERT_EQ(m_device->GetRenderState(RenderState::CullMode, &cull), GfxResult::Ok);
    EXPECT_EQ(cull, uint32_t{CullMode::CCW});
    EXPECT_EQ(m_rec->GetStreamSource(nullptr), nullptr);
}

TEST_F(RecordingDeviceTest, DynamicLocksDiscardOrKeepAndManagedBuffersReadBack)
{
    VertexBufferPtr dynamic = MakeBuffer(32, Usage::Dynamic | Usage::WriteOnly, Pool::Default);
    void* data = nullptr;
    ASSERT_EQ(dynamic->Lock(0, 16, &data, LockFlags::Discard), GfxResult::Ok);
    std::memset(data, 0x11, 16);
    ASSERT_EQ(dynamic->Unlock(), GfxResult::Ok);
    // No-overwrite appends behind what was written and keeps it.
    ASSERT_EQ(dynamic->Lock(16, 16, &data, LockFlags::NoOverwrite), GfxResult::Ok);
    std::memset(data, 0x22, 16);
    ASSERT_EQ(dynamic->Unlock(), GfxResult::Ok);
    ASSERT_EQ(dynamic->Lock(0, 0, &data, LockFlags::NoOverwrite), GfxResult::Ok);
    EXPECT_EQ(static_cast<uint8_t*>(data)[0] * 256 + static_cast<uint8_t*>(data)[16], 0x1122);
    ASSERT_EQ(dynamic->Unlock(), GfxResult::Ok);
    // A discarding lock hands out a fresh buffer: nothing of the old content may be relied on.
    ASSERT_EQ(dynamic->Lock(0, 16, &data, LockFlags::Discard), GfxResult::Ok);
    EXPECT_NE(static_cast<uint8_t*>(data)[0], 0x11);
    ASSERT_EQ(dynamic->Unlock(), GfxResult::Ok);

    // Locks are single and bounded.
    ASSERT_EQ(dynamic->Lock(0, 8, &data, 0), GfxResult::Ok);
    EXPECT_EQ(dynamic->Lock(0, 8, &data, 0), GfxResult::InvalidCall);
    ASSERT_EQ(dynamic->Unlock(), GfxResult::Ok);
    EXPECT_EQ(dynamic->Unlock(), GfxResult::InvalidCall);
    EXPECT_EQ(dynamic->Lock(24, 16, &data, 0), GfxResult::InvalidCall);

    // A managed buffer keeps its bytes for read locks, whatever flags a write lock carried.
    VertexBufferPtr managed = MakeBuffer(16, 0, Pool::Managed);
    ASSERT_EQ(managed->Lock(0, 0, &data, LockFlags::Discard), GfxResult::Ok);
    std::memcpy(data, "0123456789ABCDEF", 16);
    ASSERT_EQ(managed->Unlock(), GfxResult::Ok);
    ASSERT_EQ(managed->Lock(4, 4, &data, LockFlags::ReadOnly), GfxResult::Ok);
    EXPECT_EQ(std::memcmp(data, "4567", 4), 0);
    ASSERT_EQ(managed->Unlock(), GfxResult::Ok);
    m_rec->FailNextBufferLocks(1);
    EXPECT_EQ(managed->Lock(0, 4, &data, 0), GfxResult::InvalidCall);
    EXPECT_EQ(managed->Lock(0, 4, &data, 0), GfxResult::Ok);
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
    ASSERT_EQ(m_device->CreateIndexBuffer(12, 0, PixelFormat::Index16, Pool::Managed, &indices), GfxResult::Ok);
    void* data = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, &data, 0), GfxResult::Ok);
    for (uint32_t i = 0; i < 8; ++i)
        static_cast<V*>(data)[i] = {float(i), 0, 0, 0xFF000000u + i};
    ASSERT_EQ(vertices->Unlock(), GfxResult::Ok);
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), GfxResult::Ok);
    const uint16_t list[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, list, sizeof(list));
    ASSERT_EQ(indices->Unlock(), GfxResult::Ok);
    ASSERT_EQ(m_device->SetVertexShader(Fvf::XYZ | Fvf::Diffuse), GfxResult::Ok);
    ASSERT_EQ(m_device->SetStreamSource(0, vertices.get(), sizeof(V)), GfxResult::Ok);
    ASSERT_EQ(m_device->SetIndices(indices.get(), 4), GfxResult::Ok);

    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
    EXPECT_FALSE(m_rec->draws.back().inScene);
    ASSERT_EQ(m_device->BeginScene(), GfxResult::Ok);
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::Ok);
    const RecordingDevice::DrawRecord& draw = m_rec->draws.back();
    EXPECT_EQ(draw.vertexNumbers, (std::vector<uint32_t>{4, 5, 6, 6, 5, 7})); // indices plus the base
    ASSERT_EQ(draw.vertexBytes.size(), 6 * sizeof(V));
    V third;
    std::memcpy(&third, &draw.vertexBytes[2 * sizeof(V)], sizeof(V));
    EXPECT_EQ(third.colour, 0xFF000006u);

    // Indices outside the declared range, a base past the end and a locked stream are refused.
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 3, 0, 2), GfxResult::InvalidCall);
    ASSERT_EQ(m_device->SetIndices(indices.get(), 5), GfxResult::Ok);
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxResult::InvalidCall);
    ASSERT_EQ(vertices->Lock(0, 0, &data, 0), GfxResult::Ok);
    EXPECT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1), GfxResult::InvalidCall);
    ASSERT_EQ(vertices->Unlock(), GfxResult::Ok);

    // A user-pointer draw leaves nothing bound.
    V strip[3] = {};
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 1, strip, sizeof(V)), GfxResult::Ok);
    EXPECT_EQ(m_rec->GetStreamSource(nullptr), nullptr);
    EXPECT_EQ(m_rec->GetIndices(nullptr), nullptr);
}

TEST_F(RecordingDeviceTest, DestroyedResourcesAreUnboundAndOutliveTheirDevice)
{
    TexturePtr texture;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture), GfxResult::Ok);
    VertexBufferPtr buffer = MakeBuffer(16, 0, Pool::Managed);
    ASSERT_EQ(m_device->SetTexture(1, texture.get()), GfxResult::Ok);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer.get(), 16), GfxResult::Ok);
    EXPECT_EQ(m_rec->LiveTextures(), 1u);
    texture.reset();
    buffer.reset();
    EXPECT_EQ(m_device->GetTexture(1), nullptr);
    EXPECT_EQ(m_rec->GetStreamSource(nullptr), nullptr);
    EXPECT_EQ(m_rec->LiveTextures() + m_rec->LiveVertexBuffers(), 0u);

    // Scratch textures cannot be bound; a texture still works as memory after its device is gone.
    ASSERT_EQ(m_device->CreateTexture(4, 4, 0, 0, PixelFormat::DXT1, Pool::Scratch, &texture), GfxResult::Ok);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(m_device->SetTexture(0, texture.get()), GfxResult::InvalidCall);
    m_device.reset();
    EXPECT_EQ(m_system.LastDevice(), nullptr);
    LockedRect locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), GfxResult::Ok);
    EXPECT_EQ(locked.pitch, 8); // one row of one DXT1 block
    EXPECT_EQ(texture->UnlockRect(0), GfxResult::Ok);
}

TEST(RecordingSystemTest, AdaptersAndFailuresFollowTheConfiguration)
{
    RecordingSystemHook hook;
    hook.config.adapters.push_back(DefaultRecordingAdapter());
    hook.config.adapters[0].depthFormats = {PixelFormat::D16};
    hook.config.failHardwareVertexProcessing = true;
    hook.config.defaultPoolTextureLimit = 2;
    InstallRecordingSystemFactory(&hook);
    GraphicsSystemPtr system = CreateGraphicsSystem();
    SetGraphicsSystemFactory({});
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(hook.lastSystem, system.get());

    EXPECT_EQ(system->CheckDeviceType(0, DeviceType::Hal, PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8, false),
              GfxResult::Ok);
    // Windowed devices show the desktop's format only.
    EXPECT_NE(system->CheckDeviceType(0, DeviceType::Hal, PixelFormat::R5G6B5, PixelFormat::R5G6B5, true),
              GfxResult::Ok);
    EXPECT_EQ(
        system->CheckDepthStencilMatch(0, DeviceType::Hal, PixelFormat::R5G6B5, PixelFormat::R5G6B5, PixelFormat::D16),
        GfxResult::Ok);
    EXPECT_NE(system->CheckDepthStencilMatch(0, DeviceType::Hal, PixelFormat::R5G6B5, PixelFormat::R5G6B5,
                                             PixelFormat::D24S8),
              GfxResult::Ok);
    EXPECT_EQ(system->EnumAdapterModes(0, system->GetAdapterModeCount(0), nullptr), GfxResult::InvalidCall);

    PresentParams params;
    DevicePtr device;
    EXPECT_NE(
        system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params, &device),
        GfxResult::Ok);
    ASSERT_EQ(
        system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::SoftwareVertexProcessing, &params, &device),
        GfxResult::Ok);
    EXPECT_EQ(params.backBufferFormat, PixelFormat::X8R8G8B8); // filled in from the desktop

    // The Default pool holds two textures; the Managed pool is not limited.
    TexturePtr t[4];
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(
            device->CreateTexture(256, 256, 0, 0, PixelFormat::A8R8G8B8, i < 3 ? Pool::Default : Pool::Managed, &t[i]),
            i == 2 ? GfxResult::OutOfVideoMemory : GfxResult::Ok)
            << i;
    device.reset();
    system.reset();
    EXPECT_EQ(hook.lastSystem, nullptr);
}

// ---------------------------------------------------------------- texture helpers

TEST(TextureUtilTest, PixelCodecsFollowTheFormatLayouts)
{
    struct Case
    {
        PixelFormat format;
        std::vector<uint8_t> bytes;
        uint32_t argb;
    } cases[] = {
        {PixelFormat::R5G6B5, {0xE0, 0x07}, 0xFF00FF00u},
        {PixelFormat::X1R5G5B5, {0x1F, 0x80}, 0xFF0000FFu}, // unused bits are written as ones
        {PixelFormat::A1R5G5B5, {0x00, 0x80}, 0xFF000000u},
        {PixelFormat::A4R4G4B4, {0x21, 0x43}, 0x44332211u},
        {PixelFormat::X8R8G8B8, {0x01, 0x02, 0x03, 0xFF}, 0xFF030201u},
        {PixelFormat::A8, {0x7F}, 0x7F000000u},
    };
    for (const Case& c : cases)
    {
        uint32_t argb = 0;
        ASSERT_TRUE(DecodePixels(c.format, c.bytes.data(), 4, 1, 1, &argb));
        EXPECT_EQ(argb, c.argb) << FormatName(c.format);
        std::vector<uint8_t> back(c.bytes.size());
        ASSERT_TRUE(EncodePixels(c.format, &argb, 1, 1, back.data(), 4));
        EXPECT_EQ(back, c.bytes) << FormatName(c.format);
    }
    // Unused bits do not count as alpha when read.
    const uint8_t clear[4] = {0x1F, 0x00, 0x00, 0x00};
    uint32_t opaque = 0;
    ASSERT_TRUE(DecodePixels(PixelFormat::X8R8G8B8, clear, 4, 1, 1, &opaque));
    EXPECT_EQ(opaque, 0xFF00001Fu);
    uint32_t none = 0;
    EXPECT_FALSE(DecodePixels(PixelFormat::D24S8, &none, 4, 1, 1, &none));
}

TEST(TextureUtilTest, DxtBlocksRoundTripTheirEndpointsAndAlpha)
{
    // Two colours exact in 5:6:5, a transparent corner for DXT1 and a ramp of alpha for DXT3 and DXT5.
    uint32_t block[16];
    for (int i = 0; i < 16; ++i)
        block[i] = (i % 2 ? 0xFFFF0000u : 0xFF0000FFu);
    block[15] = 0x00000000u;
    uint8_t encoded[16];
    uint32_t decoded[16];
    ASSERT_TRUE(EncodePixels(PixelFormat::DXT1, block, 4, 4, encoded, 8));
    ASSERT_TRUE(DecodePixels(PixelFormat::DXT1, encoded, 8, 4, 4, decoded));
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(decoded[i], block[i]) << i;
    EXPECT_EQ(decoded[15] >> 24, 0u);

    for (int i = 0; i < 16; ++i)
        block[i] = (static_cast<uint32_t>(i * 17) << 24) | 0x00FFFFFFu;
    ASSERT_TRUE(EncodePixels(PixelFormat::DXT3, block, 4, 4, encoded, 16));
    ASSERT_TRUE(DecodePixels(PixelFormat::DXT3, encoded, 16, 4, 4, decoded));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(decoded[i], block[i]) << i; // i x 17 is exactly representable in four bits
    ASSERT_TRUE(EncodePixels(PixelFormat::DXT5, block, 4, 4, encoded, 16));
    ASSERT_TRUE(DecodePixels(PixelFormat::DXT5, encoded, 16, 4, 4, decoded));
    EXPECT_EQ(decoded[0] >> 24, 0u);
    EXPECT_EQ(decoded[15] >> 24, 255u);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(static_cast<int>(decoded[i] >> 24), i * 17, 19) << i; // within half a step of 255 / 7
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
    ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device), GfxResult::Ok);

    uint32_t w = 300, h = 100, levels = 0;
    PixelFormat format = PixelFormat::A8R8G8B8;
    ASSERT_EQ(CheckTextureRequirements(*device, &w, &h, &levels, 0, &format, Pool::Managed), GfxResult::Ok);
    EXPECT_EQ(w, 256u); // 512 clamped to the largest size
    EXPECT_EQ(h, 128u);
    EXPECT_EQ(levels, 9u);
    EXPECT_EQ(format, PixelFormat::A4R4G4B4); // the nearest supported format with alpha
    format = PixelFormat::X8R8G8B8;
    ASSERT_EQ(CheckTextureRequirements(*device, nullptr, nullptr, nullptr, 0, &format, Pool::Managed), GfxResult::Ok);
    EXPECT_EQ(format, PixelFormat::R5G6B5);

    // A 2 x 2 level box-filters into its 1 x 1 level.
    TexturePtr texture;
    ASSERT_EQ(CreateTextureFitted(*device, 2, 2, 0, 0, PixelFormat::A4R4G4B4, Pool::Managed, &texture), GfxResult::Ok);
    ASSERT_EQ(texture->GetLevelCount(), 2u);
    const uint32_t greys[4] = {0xFF000000u, 0xFF444444u, 0xFF888888u, 0xFFCCCCCCu};
    Rect all{0, 0, 2, 2};
    ASSERT_EQ(LoadLevelFromMemory(*texture, 0, nullptr, greys, PixelFormat::A8R8G8B8, 8, all, ImageFilter::None, 0),
              GfxResult::Ok);
    ASSERT_EQ(FilterTexture(*texture, 0, ImageFilter::Box), GfxResult::Ok);
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, LockFlags::ReadOnly), GfxResult::Ok);
    uint32_t mean = 0;
    DecodePixels(PixelFormat::A4R4G4B4, locked.bits, static_cast<uint32_t>(locked.pitch), 1, 1, &mean);
    EXPECT_EQ(mean, 0xFF666666u); // (0 + 0x44 + 0x88 + 0xCC) / 4
    ASSERT_EQ(texture->UnlockRect(1), GfxResult::Ok);
}

TEST(TextureUtilTest, LevelLoadsConvertKeyAndKeepTheRestOfTheLevel)
{
    RecordingSystem system;
    PresentParams params;
    DevicePtr device;
    ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, nullptr, 0, &params, &device), GfxResult::Ok);
    TexturePtr target;
    ASSERT_EQ(device->CreateTexture(8, 4, 1, 0, PixelFormat::DXT1, Pool::Managed, &target), GfxResult::Ok);
    const uint32_t green = 0xFF00FF00u;
    std::vector<uint32_t> fill(32, green);
    ASSERT_EQ(LoadLevelFromMemory(*target, 0, nullptr, fill.data(), PixelFormat::A8R8G8B8, 32, Rect{0, 0, 8, 4},
                                  ImageFilter::None, 0),
              GfxResult::Ok);

    // A 1 x 1 key-coloured source point-scaled over a 2 x 2 corner of the second block.
    const uint32_t key = 0x00FF00FFu;
    Rect corner{4, 0, 6, 2};
    ASSERT_EQ(LoadLevelFromMemory(*target, 0, &corner, &key, PixelFormat::X8R8G8B8, 4, Rect{0, 0, 1, 1},
                                  ImageFilter::Point, 0xFFFF00FFu),
              GfxResult::Ok);
    TexturePtr copy;
    ASSERT_EQ(device->CreateTexture(8, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &copy), GfxResult::Ok);
    ASSERT_EQ(LoadLevelFromLevel(*copy, 0, nullptr, *target, 0, nullptr, ImageFilter::None, 0), GfxResult::Ok);
    LockedRect locked;
    ASSERT_EQ(copy->LockRect(0, &locked, nullptr, LockFlags::ReadOnly), GfxResult::Ok);
    const uint32_t* row0 = static_cast<const uint32_t*>(locked.bits);
    const uint32_t* row3 =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.bits) + 3 * locked.pitch);
    EXPECT_EQ(row0[1], green);    // the first block is untouched
    EXPECT_EQ(row0[4] >> 24, 0u); // keyed pixels became transparent
    EXPECT_EQ(row0[5] >> 24, 0u);
    EXPECT_EQ(row3[5], green); // the rest of the second block keeps its colour
    ASSERT_EQ(copy->UnlockRect(0), GfxResult::Ok);

    Rect outside{6, 0, 10, 2};
    EXPECT_EQ(LoadLevelFromMemory(*target, 0, &outside, &key, PixelFormat::X8R8G8B8, 4, Rect{0, 0, 1, 1},
                                  ImageFilter::Point, 0),
              GfxResult::InvalidCall);
}

} // namespace
