// The recording back end: adapters from a test's configuration, a device that logs every call, keeps resource
// memory for locks, checks the call rules (scene brackets, locked buffers, ranges) and can be lost and reset.
#include "platform/gfx/RecordingDevice.h"

#include "platform/Strings.h"
#include "platform/gfx/TextureUtil.h"

#include <algorithm>

namespace platform
{

// ---------------------------------------------------------------- resources

struct RecordingDevice::Resource
{
    RecordingDevice* device = nullptr;
    ResourceType type = ResourceType::Texture;
    Pool pool = Pool::Managed;
    uint32_t usage = 0;
    virtual ~Resource() = default;
};

namespace
{

class RecTexture final : public ITexture, public RecordingDevice::Resource
{
public:
    struct Level
    {
        uint32_t width, height, pitch, size;
        std::vector<uint8_t> bytes; // empty until the first lock
        bool locked = false;
        // A writable lock of a rectangle: the level as it was, and the rectangle. Like a device that uploads only
        // what was locked, the unlock keeps the writes inside the rectangle and undoes those outside it.
        std::vector<uint8_t> before;
        Rect rect;
    };
    PixelFormat format = PixelFormat::Unknown;
    std::vector<Level> levels;

    ~RecTexture() override
    {
        if (device)
            device->Detach(this);
    }
    uint32_t GetLevelCount() const override { return static_cast<uint32_t>(levels.size()); }
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const override
    {
        return DescribeLevel(levels, level, format, usage, pool, desc);
    }
    GfxResult LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) override
    {
        if (device)
        {
            device->ops.push_back(RecordingDevice::Op::LockTexture);
            device->locks.push_back({static_cast<ITexture*>(this), level, 0, 0, flags});
        }
        if (level >= levels.size() || !locked)
            return GfxResult::InvalidCall;
        Level& l = levels[level];
        if (l.locked)
            return GfxResult::InvalidCall;
        size_t offset = 0;
        if (rect && LockRectOffset(format, l.width, l.height, l.pitch, *rect, &offset) != GfxResult::Ok)
            return GfxResult::InvalidCall;
        if (l.bytes.empty())
            l.bytes.assign(l.size, 0);
        l.before.clear();
        if (rect && !(flags & LockFlags::ReadOnly))
        {
            l.before = l.bytes;
            l.rect = *rect;
        }
        l.locked = true;
        locked->pitch = static_cast<int32_t>(l.pitch);
        locked->bits = l.bytes.data() + offset;
        return GfxResult::Ok;
    }
    GfxResult UnlockRect(uint32_t level) override
    {
        if (device)
            device->ops.push_back(RecordingDevice::Op::UnlockTexture);
        if (level >= levels.size() || !levels[level].locked)
            return GfxResult::InvalidCall;
        Level& l = levels[level];
        l.locked = false;
        if (!l.before.empty())
            UndoOutsideRect(l);
        return GfxResult::Ok;
    }

private:
    // Rows of texels, or of 4 x 4 blocks, and the bytes of one texel or block.
    void UndoOutsideRect(Level& l) const
    {
        const uint32_t unit = IsBlockCompressed(format) ? 4 : 1;
        const uint32_t unitBytes = unit == 4 ? (format == PixelFormat::DXT1 ? 8 : 16) : FormatBitsPerPixel(format) / 8;
        const uint32_t top = l.rect.top / unit, bottom = (l.rect.bottom + unit - 1) / unit;
        const size_t left = l.rect.left / unit * unitBytes, right = (l.rect.right + unit - 1) / unit * unitBytes;
        for (size_t row = 0; row * l.pitch < l.bytes.size(); ++row)
        {
            const size_t start = row * l.pitch, end = std::min(start + l.pitch, l.bytes.size());
            const bool inside = row >= top && row < bottom;
            for (size_t i = start; i < end; ++i)
                if (!inside || i - start < left || i - start >= right)
                    l.bytes[i] = l.before[i];
        }
    }
};

// Vertex and index buffers differ only in their interface, the ops they log and their description.
template <class Interface, ResourceType kType>
class RecBuffer final : public Interface, public RecordingDevice::Resource
{
public:
    static constexpr bool kVertex = kType == ResourceType::VertexBuffer;
    BufferMemory data;
    PixelFormat format = PixelFormat::VertexData; // index buffers: Index16 or Index32
    uint32_t fvf = 0;                             // vertex buffers

    ~RecBuffer() override
    {
        if (device)
            device->Detach(this);
    }
    GfxResult Lock(uint32_t offset, uint32_t size, void** out, uint32_t flags) override
    {
        if (device)
        {
            device->ops.push_back(kVertex ? RecordingDevice::Op::LockVertexBuffer
                                          : RecordingDevice::Op::LockIndexBuffer);
            device->locks.push_back({static_cast<Interface*>(this), 0, offset, size, flags});
        }
        // Failure injection reaches the buffers through their device.
        if (device && device->ConsumeBufferLockFailure())
            return GfxResult::InvalidCall;
        GfxResult result = data.Lock(offset, size, out);
        // A discarding lock of a dynamic buffer hands out a fresh buffer: the old content is gone.
        if (result == GfxResult::Ok && (flags & LockFlags::Discard) && (usage & Usage::Dynamic))
            std::fill(data.bytes.begin(), data.bytes.end(), uint8_t{0xCD});
        return result;
    }
    GfxResult Unlock() override
    {
        if (device)
            device->ops.push_back(kVertex ? RecordingDevice::Op::UnlockVertexBuffer
                                          : RecordingDevice::Op::UnlockIndexBuffer);
        return data.Unlock();
    }
    GfxResult GetDesc(BufferDesc* desc) const override
    {
        if (!desc)
            return GfxResult::InvalidCall;
        *desc = {format, kType, usage, pool, static_cast<uint32_t>(data.bytes.size()), fvf};
        return GfxResult::Ok;
    }
};
using RecVertexBuffer = RecBuffer<IVertexBuffer, ResourceType::VertexBuffer>;
using RecIndexBuffer = RecBuffer<IIndexBuffer, ResourceType::IndexBuffer>;

} // namespace

// ---------------------------------------------------------------- the system

RecordingAdapter DefaultRecordingAdapter()
{
    RecordingAdapter a;
    CopyString(a.identifier.driver, sizeof(a.identifier.driver), "recording.drv");
    CopyString(a.identifier.description, sizeof(a.identifier.description), "Recording Test Adapter");
    a.caps.canRenderWindowed = true;
    a.caps.hwTransformAndLight = true;
    a.caps.pureDevice = true;
    a.caps.rasterMipMapLodBias = true;
    a.caps.filterMipLinear = true;
    a.caps.stencil = true;
    a.caps.maxTextureWidth = 2048;
    a.caps.maxTextureHeight = 2048;
    a.caps.maxTextureBlendStages = 8;
    a.caps.maxSimultaneousTextures = 4;
    a.caps.textureOpCaps = 0xFFFFFFu;
    a.desktop = {1024, 768, 60, PixelFormat::X8R8G8B8};
    for (uint32_t size : {640u, 800u, 1024u})
    {
        uint32_t h = size * 3 / 4;
        a.modes.push_back({size, h, 60, PixelFormat::R5G6B5});
        a.modes.push_back({size, h, 60, PixelFormat::X8R8G8B8});
    }
    a.deviceTypes = {{PixelFormat::R5G6B5, PixelFormat::R5G6B5},
                     {PixelFormat::X1R5G5B5, PixelFormat::X1R5G5B5},
                     {PixelFormat::X8R8G8B8, PixelFormat::X8R8G8B8},
                     {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8}};
    a.renderTargetFormats = {PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8, PixelFormat::R5G6B5,
                             PixelFormat::X1R5G5B5, PixelFormat::A1R5G5B5, PixelFormat::A4R4G4B4};
    a.textureFormats = {PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8, PixelFormat::R5G6B5,
                        PixelFormat::X1R5G5B5, PixelFormat::A1R5G5B5, PixelFormat::A4R4G4B4,
                        PixelFormat::DXT1,     PixelFormat::DXT3,     PixelFormat::DXT5};
    a.depthFormats = {PixelFormat::D16, PixelFormat::D24S8, PixelFormat::D24X8, PixelFormat::D32};
    return a;
}

RecordingSystem::RecordingSystem()
{
    config.adapters.push_back(DefaultRecordingAdapter());
}

RecordingSystem::RecordingSystem(const RecordingConfig& c) : config(c) {}

RecordingSystem::~RecordingSystem()
{
    for (RecordingDevice* device : m_liveDevices)
        device->m_pSystem = nullptr;
    if (m_pHook && m_pHook->lastSystem == this)
        m_pHook->lastSystem = nullptr;
}

RecordingDevice* RecordingSystem::LastDevice() const
{
    return m_pLastDevice;
}

uint32_t RecordingSystem::GetAdapterCount()
{
    return static_cast<uint32_t>(config.adapters.size());
}

GfxResult RecordingSystem::GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* identifier)
{
    if (adapter >= config.adapters.size() || !identifier)
        return GfxResult::InvalidCall;
    *identifier = config.adapters[adapter].identifier;
    return GfxResult::Ok;
}

uint32_t RecordingSystem::GetAdapterModeCount(uint32_t adapter)
{
    return adapter < config.adapters.size() ? static_cast<uint32_t>(config.adapters[adapter].modes.size()) : 0;
}

GfxResult RecordingSystem::EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode* out)
{
    if (adapter >= config.adapters.size() || mode >= config.adapters[adapter].modes.size() || !out)
        return GfxResult::InvalidCall;
    *out = config.adapters[adapter].modes[mode];
    return GfxResult::Ok;
}

GfxResult RecordingSystem::GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out)
{
    if (adapter >= config.adapters.size() || !out)
        return GfxResult::InvalidCall;
    *out = config.adapters[adapter].desktop;
    return GfxResult::Ok;
}

GfxResult RecordingSystem::CheckDeviceType(uint32_t adapter, DeviceType, PixelFormat displayFormat,
                                           PixelFormat backBufferFormat, bool windowed)
{
    if (adapter >= config.adapters.size())
        return GfxResult::InvalidCall;
    const RecordingAdapter& a = config.adapters[adapter];
    if (windowed && displayFormat != a.desktop.format)
        return GfxResult::NotAvailable;
    for (const auto& pair : a.deviceTypes)
    {
        if (pair.first == displayFormat && pair.second == backBufferFormat)
            return GfxResult::Ok;
    }
    return GfxResult::NotAvailable;
}

GfxResult RecordingSystem::CheckDeviceFormat(uint32_t adapter, DeviceType, PixelFormat, uint32_t usage,
                                             ResourceType resourceType, PixelFormat checkFormat)
{
    if (adapter >= config.adapters.size())
        return GfxResult::InvalidCall;
    const RecordingAdapter& a = config.adapters[adapter];
    const std::vector<PixelFormat>* list = &a.textureFormats;
    if (usage & Usage::DepthStencil)
        list = &a.depthFormats;
    else if ((usage & Usage::RenderTarget) || resourceType == ResourceType::Surface)
        list = &a.renderTargetFormats;
    return std::find(list->begin(), list->end(), checkFormat) != list->end() ? GfxResult::Ok : GfxResult::NotAvailable;
}

GfxResult RecordingSystem::CheckDepthStencilMatch(uint32_t adapter, DeviceType, PixelFormat, PixelFormat,
                                                  PixelFormat depthStencilFormat)
{
    if (adapter >= config.adapters.size())
        return GfxResult::InvalidCall;
    const auto& list = config.adapters[adapter].depthFormats;
    return std::find(list.begin(), list.end(), depthStencilFormat) != list.end() ? GfxResult::Ok
                                                                                 : GfxResult::NotAvailable;
}

GfxResult RecordingSystem::GetDeviceCaps(uint32_t adapter, DeviceType type, DeviceCaps* caps)
{
    if (adapter >= config.adapters.size() || !caps)
        return GfxResult::InvalidCall;
    *caps = config.adapters[adapter].caps;
    caps->adapterOrdinal = adapter;
    caps->deviceType = type;
    return GfxResult::Ok;
}

GfxResult RecordingSystem::CreateDevice(uint32_t adapter, DeviceType type, void*, uint32_t createFlags,
                                        PresentParams* params, DevicePtr* device)
{
    createFlagsSeen.push_back(createFlags);
    if (!params || !device || adapter >= config.adapters.size())
        return GfxResult::InvalidCall;
    device->reset();
    if (config.failCreateDevice ||
        ((createFlags & CreateFlags::HardwareVertexProcessing) && config.failHardwareVertexProcessing))
    {
        return GfxResult::NotAvailable;
    }
    if (params->backBufferFormat == PixelFormat::Unknown)
        params->backBufferFormat = config.adapters[adapter].desktop.format;
    if (params->backBufferWidth == 0)
        params->backBufferWidth = config.adapters[adapter].desktop.width;
    if (params->backBufferHeight == 0)
        params->backBufferHeight = config.adapters[adapter].desktop.height;
    DeviceCaps caps;
    GetDeviceCaps(adapter, type, &caps);
    RecordingDevice* made = new RecordingDevice(this, adapter, caps, *params);
    device->reset(made);
    m_pLastDevice = made;
    m_liveDevices.push_back(made);
    ++m_uDevicesCreated;
    return GfxResult::Ok;
}

void InstallRecordingSystemFactory(RecordingSystemHook* hook)
{
    SetGraphicsSystemFactory(
        [hook]() -> GraphicsSystemPtr
        {
            auto system = std::make_unique<RecordingSystem>(hook->config);
            system->m_pHook = hook;
            hook->lastSystem = system.get();
            ++hook->systemsCreated;
            return system;
        });
}

// ---------------------------------------------------------------- the device

RecordingDevice::RecordingDevice(RecordingSystem* system, uint32_t adapter, const DeviceCaps& caps,
                                 const PresentParams& params)
    : DeviceBase(adapter, params), m_pSystem(system), m_config(system->config)
{
    m_caps = caps;
    m_displayMode = system->config.adapters[adapter].desktop;
    if (!params.windowed)
        m_displayMode = {params.backBufferWidth, params.backBufferHeight, params.fullScreenRefreshRate,
                         params.backBufferFormat};
    ResetStates();
}

RecordingDevice::~RecordingDevice()
{
    for (Resource* resource : m_resources)
        resource->device = nullptr;
    if (m_pSystem)
    {
        auto& live = m_pSystem->m_liveDevices;
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
        if (m_pSystem->m_pLastDevice == this)
            m_pSystem->m_pLastDevice = nullptr;
    }
}

void RecordingDevice::ResetStates()
{
    ResetFixedStates();
    for (ITexture*& t : m_apTextures)
        t = nullptr;
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    backBuffer.assign(static_cast<size_t>(m_params.backBufferWidth) * m_params.backBufferHeight, 0);
    frontBuffer.assign(backBuffer.size(), 0);
}

void RecordingDevice::Attach(Resource* resource)
{
    resource->device = this;
    m_resources.push_back(resource);
}

void RecordingDevice::Detach(Resource* resource)
{
    m_resources.erase(std::remove(m_resources.begin(), m_resources.end(), resource), m_resources.end());
    ops.push_back(resource->type == ResourceType::Texture        ? Op::DestroyTexture
                  : resource->type == ResourceType::VertexBuffer ? Op::DestroyVertexBuffer
                                                                 : Op::DestroyIndexBuffer);
    for (ITexture*& t : m_apTextures)
    {
        if (t && dynamic_cast<Resource*>(t) == resource)
            t = nullptr;
    }
    if (m_pStream && dynamic_cast<Resource*>(m_pStream) == resource)
        m_pStream = nullptr;
    if (m_pIndices && dynamic_cast<Resource*>(m_pIndices) == resource)
        m_pIndices = nullptr;
    resource->device = nullptr;
}

bool RecordingDevice::TakeFailure(uint32_t* counter)
{
    if (*counter == 0)
        return false;
    --*counter;
    return true;
}

bool RecordingDevice::ConsumeBufferLockFailure()
{
    return TakeFailure(&m_uFailBufferLocks);
}

void RecordingDevice::ClearLog()
{
    ops.clear();
    renderStateWrites.clear();
    stageStateWrites.clear();
    transformWrites.clear();
    textureBinds.clear();
    streamBinds.clear();
    indexBinds.clear();
    vertexShaderWrites.clear();
    locks.clear();
    clears.clear();
    draws.clear();
    viewports.clear();
    materials.clear();
    lights.clear();
    presentCount = 0;
    resetCount = 0;
}

std::vector<uint32_t> RecordingDevice::RenderStateWritesOf(RenderState state) const
{
    std::vector<uint32_t> values;
    for (const RenderStateWrite& w : renderStateWrites)
    {
        if (w.state == state)
            values.push_back(w.value);
    }
    return values;
}

std::vector<uint32_t> RecordingDevice::StageStateWritesOf(uint32_t stage, TextureStageState state) const
{
    std::vector<uint32_t> values;
    for (const StageStateWrite& w : stageStateWrites)
    {
        if (w.stage == stage && w.state == state)
            values.push_back(w.value);
    }
    return values;
}

size_t RecordingDevice::CountOps(Op op) const
{
    return static_cast<size_t>(std::count(ops.begin(), ops.end(), op));
}

void RecordingDevice::InjectDeviceLost(uint32_t lostChecks)
{
    m_bLost = true;
    m_uLostChecks = lostChecks;
}

uint32_t RecordingDevice::LiveTextures() const
{
    return static_cast<uint32_t>(std::count_if(m_resources.begin(), m_resources.end(),
                                               [](const Resource* r) { return r->type == ResourceType::Texture; }));
}

uint32_t RecordingDevice::LiveVertexBuffers() const
{
    return static_cast<uint32_t>(std::count_if(m_resources.begin(), m_resources.end(),
                                               [](const Resource* r)
                                               { return r->type == ResourceType::VertexBuffer; }));
}

uint32_t RecordingDevice::LiveIndexBuffers() const
{
    return static_cast<uint32_t>(std::count_if(m_resources.begin(), m_resources.end(),
                                               [](const Resource* r) { return r->type == ResourceType::IndexBuffer; }));
}

uint32_t RecordingDevice::LiveDefaultPoolResources() const
{
    return static_cast<uint32_t>(std::count_if(m_resources.begin(), m_resources.end(),
                                               [](const Resource* r) { return r->pool == Pool::Default; }));
}

GfxResult RecordingDevice::TestCooperativeLevel()
{
    ops.push_back(Op::TestCooperativeLevel);
    if (!m_bLost)
        return GfxResult::Ok;
    if (m_uLostChecks > 0)
    {
        --m_uLostChecks;
        return GfxResult::DeviceLost;
    }
    return GfxResult::DeviceNotReset;
}

GfxResult RecordingDevice::Reset(const PresentParams& params)
{
    ops.push_back(Op::Reset);
    if (LiveDefaultPoolResources() > 0)
        return GfxResult::InvalidCall;
    if (params.backBufferWidth == 0 || params.backBufferHeight == 0)
        return GfxResult::InvalidCall; // a back buffer without pixels, as the drawing back end refuses it
    if (m_bLost && m_uLostChecks > 0)
        return GfxResult::DeviceLost;
    if (TakeFailure(&m_uFailResets))
        return GfxResult::DeviceLost;
    m_params = params;
    if (m_params.backBufferFormat == PixelFormat::Unknown)
        m_params.backBufferFormat = m_displayMode.format;
    m_bLost = false;
    ++resetCount;
    ResetStates();
    return GfxResult::Ok;
}

GfxResult RecordingDevice::GetDisplayMode(DisplayMode* mode) const
{
    if (!mode)
        return GfxResult::InvalidCall;
    *mode = m_displayMode;
    return GfxResult::Ok;
}

uint32_t RecordingDevice::GetAvailableTextureMem() const
{
    return m_config.availableTextureMem;
}

GfxResult RecordingDevice::ResourceManagerDiscardBytes(uint32_t)
{
    ops.push_back(Op::ResourceManagerDiscardBytes);
    return GfxResult::Ok;
}

GfxResult RecordingDevice::ValidateDevice(uint32_t* passes)
{
    ops.push_back(Op::ValidateDevice);
    if (passes)
        *passes = 1;
    return m_config.failValidateDevice ? GfxResult::NotAvailable : GfxResult::Ok;
}

bool RecordingDevice::IsTextureFormatSupported(PixelFormat format) const
{
    if (m_uAdapter >= m_config.adapters.size())
        return false;
    const auto& list = m_config.adapters[m_uAdapter].textureFormats;
    return std::find(list.begin(), list.end(), format) != list.end();
}

GfxResult RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                         PixelFormat format, Pool pool, TexturePtr* texture)
{
    ops.push_back(Op::CreateTexture);
    if (!texture)
        return GfxResult::InvalidCall;
    texture->reset();
    if (width == 0 || height == 0 || FormatBitsPerPixel(format) == 0 || IsDepthFormat(format) ||
        format == PixelFormat::Index16 || format == PixelFormat::Index32)
    {
        return GfxResult::InvalidCall;
    }
    if (pool != Pool::Scratch && !IsTextureFormatSupported(format))
        return GfxResult::NotAvailable;
    if (pool != Pool::Scratch && (width > m_caps.maxTextureWidth || height > m_caps.maxTextureHeight))
        return GfxResult::InvalidCall;
    if (pool == Pool::Default && m_config.defaultPoolTextureLimit)
    {
        uint32_t held = static_cast<uint32_t>(std::count_if(
            m_resources.begin(), m_resources.end(),
            [](const Resource* r) { return r->type == ResourceType::Texture && r->pool == Pool::Default; }));
        if (held >= m_config.defaultPoolTextureLimit)
            return GfxResult::OutOfVideoMemory;
    }
    uint32_t full = FullMipChainLevels(width, height);
    if (levels == 0 || levels > full)
        levels = full;
    auto made = std::make_unique<RecTexture>();
    made->type = ResourceType::Texture;
    made->pool = pool;
    made->usage = usage;
    made->format = format;
    uint32_t w = width, h = height;
    for (uint32_t i = 0; i < levels; ++i)
    {
        RecTexture::Level level;
        level.width = w;
        level.height = h;
        level.pitch = FormatRowPitch(format, w);
        level.size = FormatLevelSize(format, w, h); // memory comes at the first lock
        made->levels.push_back(std::move(level));
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    Attach(made.get());
    *texture = std::move(made);
    return GfxResult::Ok;
}

GfxResult RecordingDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                              VertexBufferPtr* buffer)
{
    ops.push_back(Op::CreateVertexBuffer);
    if (!buffer)
        return GfxResult::InvalidCall;
    buffer->reset();
    if (length == 0)
        return GfxResult::InvalidCall;
    auto made = std::make_unique<RecVertexBuffer>();
    made->type = ResourceType::VertexBuffer;
    made->pool = pool;
    made->usage = usage;
    made->fvf = fvf;
    made->data.bytes.assign(length, 0);
    Attach(made.get());
    *buffer = std::move(made);
    return GfxResult::Ok;
}

GfxResult RecordingDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, PixelFormat format, Pool pool,
                                             IndexBufferPtr* buffer)
{
    ops.push_back(Op::CreateIndexBuffer);
    if (!buffer)
        return GfxResult::InvalidCall;
    buffer->reset();
    if (length == 0 || (format != PixelFormat::Index16 && format != PixelFormat::Index32))
        return GfxResult::InvalidCall;
    auto made = std::make_unique<RecIndexBuffer>();
    made->type = ResourceType::IndexBuffer;
    made->pool = pool;
    made->usage = usage;
    made->format = format;
    made->data.bytes.assign(length, 0);
    Attach(made.get());
    *buffer = std::move(made);
    return GfxResult::Ok;
}

GfxResult RecordingDevice::BeginScene()
{
    ops.push_back(Op::BeginScene);
    return DeviceBase::BeginScene();
}

GfxResult RecordingDevice::EndScene()
{
    ops.push_back(Op::EndScene);
    return DeviceBase::EndScene();
}

GfxResult RecordingDevice::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float z,
                                 uint32_t stencil)
{
    ops.push_back(Op::Clear);
    clears.push_back({flags, colour, z, stencil, rects ? count : 0});
    if ((flags & ClearFlags::Stencil) && !FormatHasStencil(m_params.autoDepthStencilFormat))
        return GfxResult::InvalidCall;
    if ((flags & (ClearFlags::ZBuffer | ClearFlags::Stencil)) && !m_params.enableAutoDepthStencil)
        return GfxResult::InvalidCall;
    if (flags & ClearFlags::Target)
    {
        uint32_t w = m_params.backBufferWidth, h = m_params.backBufferHeight;
        Rect whole{static_cast<int32_t>(m_viewport.X), static_cast<int32_t>(m_viewport.Y),
                   static_cast<int32_t>(m_viewport.X + m_viewport.Width),
                   static_cast<int32_t>(m_viewport.Y + m_viewport.Height)};
        uint32_t n = rects && count ? count : 1;
        for (uint32_t i = 0; i < n; ++i)
        {
            // Rectangles are cut to the viewport, as the drawing back end cuts them.
            Rect r = rects && count ? rects[i] : whole;
            int32_t x0 = std::max({0, whole.left, r.left}), y0 = std::max({0, whole.top, r.top});
            int32_t x1 = std::min({static_cast<int32_t>(w), whole.right, r.right});
            int32_t y1 = std::min({static_cast<int32_t>(h), whole.bottom, r.bottom});
            for (int32_t y = y0; y < y1; ++y)
                for (int32_t x = x0; x < x1; ++x)
                    backBuffer[static_cast<size_t>(y) * w + x] = colour;
        }
    }
    return GfxResult::Ok;
}

GfxResult RecordingDevice::Present()
{
    ops.push_back(Op::Present);
    if (m_bLost)
        return GfxResult::DeviceLost;
    if (m_bInScene)
        return GfxResult::InvalidCall;
    ++presentCount;
    frontBuffer = backBuffer;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetTransform(TransformType type, const Matrix& matrix)
{
    ops.push_back(Op::SetTransform);
    if (type >= TransformType::Count)
        return GfxResult::InvalidCall;
    transformWrites.push_back({type, matrix});
    m_aTransforms[static_cast<uint32_t>(type)] = matrix;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetViewport(const Viewport& viewport)
{
    ops.push_back(Op::SetViewport);
    viewports.push_back(viewport);
    if (viewport.X + viewport.Width > m_params.backBufferWidth ||
        viewport.Y + viewport.Height > m_params.backBufferHeight || viewport.MinZ < 0.0f || viewport.MaxZ > 1.0f)
    {
        return GfxResult::InvalidCall;
    }
    m_viewport = viewport;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetMaterial(const MaterialDesc& material)
{
    ops.push_back(Op::SetMaterial);
    materials.push_back(material);
    m_material = material;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetLight(uint32_t index, const LightDesc& light)
{
    ops.push_back(Op::SetLight);
    lights.push_back({index, light});
    if (index >= kMaxLights)
        return GfxResult::InvalidCall;
    m_aLights[index] = light;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::LightEnable(uint32_t index, bool enable)
{
    ops.push_back(Op::LightEnable);
    if (index >= kMaxLights)
        return GfxResult::InvalidCall;
    m_abLightEnabled[index] = enable;
    return GfxResult::Ok;
}

bool RecordingDevice::IsLightEnabled(uint32_t index) const
{
    return index < kMaxLights && m_abLightEnabled[index];
}

GfxResult RecordingDevice::SetRenderState(RenderState state, uint32_t value)
{
    ops.push_back(Op::SetRenderState);
    if (state >= RenderState::Count)
        return GfxResult::InvalidCall;
    renderStateWrites.push_back({state, value});
    m_auRenderStates[static_cast<uint32_t>(state)] = value;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value)
{
    ops.push_back(Op::SetTextureStageState);
    if (stage >= kMaxTextureStages || state >= TextureStageState::Count)
        return GfxResult::InvalidCall;
    stageStateWrites.push_back({stage, state, value});
    m_auStageStates[stage][static_cast<uint32_t>(state)] = value;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetTexture(uint32_t stage, ITexture* texture)
{
    ops.push_back(Op::SetTexture);
    textureBinds.push_back({stage, texture});
    if (stage >= kMaxTextureStages)
        return GfxResult::InvalidCall;
    if (texture)
    {
        auto* own = dynamic_cast<RecTexture*>(texture);
        if (!own || own->device != this || own->pool == Pool::Scratch || own->pool == Pool::SystemMem)
            return GfxResult::InvalidCall;
    }
    m_apTextures[stage] = texture;
    return GfxResult::Ok;
}

ITexture* RecordingDevice::GetTexture(uint32_t stage) const
{
    return stage < kMaxTextureStages ? m_apTextures[stage] : nullptr;
}

GfxResult RecordingDevice::SetVertexShader(uint32_t fvf)
{
    ops.push_back(Op::SetVertexShader);
    vertexShaderWrites.push_back(fvf);
    if (FvfVertexSize(fvf) == 0)
        return GfxResult::InvalidCall;
    m_uFvf = fvf;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetStreamSource(uint32_t stream, IVertexBuffer* buffer, uint32_t stride)
{
    ops.push_back(Op::SetStreamSource);
    streamBinds.push_back({stream, buffer, stride});
    if (stream != 0)
        return GfxResult::InvalidCall;
    if (buffer)
    {
        auto* own = dynamic_cast<RecVertexBuffer*>(buffer);
        if (!own || own->device != this)
            return GfxResult::InvalidCall;
    }
    m_pStream = buffer;
    m_uStride = stride;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::SetIndices(IIndexBuffer* buffer, uint32_t baseVertexIndex)
{
    ops.push_back(Op::SetIndices);
    indexBinds.push_back({buffer, baseVertexIndex});
    if (buffer)
    {
        auto* own = dynamic_cast<RecIndexBuffer*>(buffer);
        if (!own || own->device != this)
            return GfxResult::InvalidCall;
    }
    m_pIndices = buffer;
    m_uBaseVertex = baseVertexIndex;
    return GfxResult::Ok;
}

IVertexBuffer* RecordingDevice::GetStreamSource(uint32_t* stride) const
{
    if (stride)
        *stride = m_uStride;
    return m_pStream;
}

IIndexBuffer* RecordingDevice::GetIndices(uint32_t* baseVertexIndex) const
{
    if (baseVertexIndex)
        *baseVertexIndex = m_uBaseVertex;
    return m_pIndices;
}

GfxResult RecordingDevice::RecordDraw(DrawRecord record, GfxResult result)
{
    ops.push_back(Op::Draw);
    record.inScene = m_bInScene;
    record.fvf = m_uFvf;
    std::copy(std::begin(m_apTextures), std::end(m_apTextures), record.textures);
    if (result == GfxResult::Ok && !m_bInScene)
        result = GfxResult::InvalidCall;
    // The vertices are read by the layout set last, as the drawing back end reads them: it must have a position
    // and fit in the stride (an empty draw reads nothing).
    const uint32_t vertexSize = FvfVertexSize(m_uFvf);
    if (result == GfxResult::Ok &&
        (vertexSize == 0 || (VertexCountOf(record.type, record.primitiveCount) > 0 && record.stride < vertexSize)))
        result = GfxResult::InvalidCall;
    if (result == GfxResult::Ok && TakeFailure(&m_uFailDraws))
        result = GfxResult::InvalidCall;
    draws.push_back(std::move(record));
    return result;
}

namespace
{
// Copies the vertices a draw reads; false when one is outside the memory.
bool GatherVertices(const uint8_t* base, size_t length, uint32_t stride, const std::vector<uint32_t>& numbers,
                    std::vector<uint8_t>* out)
{
    out->clear();
    if (stride == 0)
        return numbers.empty();
    out->reserve(numbers.size() * stride);
    for (uint32_t n : numbers)
    {
        size_t offset = static_cast<size_t>(n) * stride;
        if (offset + stride > length)
            return false;
        out->insert(out->end(), base + offset, base + offset + stride);
    }
    return true;
}
} // namespace

GfxResult RecordingDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount)
{
    if (dropDraws)
        return m_bInScene ? GfxResult::Ok : GfxResult::InvalidCall;
    DrawRecord record{};
    record.kind = DrawKind::Primitive;
    record.type = type;
    record.startVertex = startVertex;
    record.primitiveCount = primitiveCount;
    record.stream = m_pStream;
    record.stride = m_uStride;
    GfxResult result = GfxResult::Ok;
    auto* vb = dynamic_cast<RecVertexBuffer*>(m_pStream);
    uint32_t count = VertexCountOf(type, primitiveCount);
    for (uint32_t i = 0; i < count; ++i)
        record.vertexNumbers.push_back(startVertex + i);
    if (!vb || vb->data.locked || m_uStride == 0)
        result = GfxResult::InvalidCall;
    else if (!GatherVertices(vb->data.bytes.data(), vb->data.bytes.size(), m_uStride, record.vertexNumbers,
                             &record.vertexBytes))
        result = GfxResult::InvalidCall;
    return RecordDraw(std::move(record), result);
}

GfxResult RecordingDevice::DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                                uint32_t startIndex, uint32_t primitiveCount)
{
    if (dropDraws)
        return m_bInScene ? GfxResult::Ok : GfxResult::InvalidCall;
    DrawRecord record{};
    record.kind = DrawKind::IndexedPrimitive;
    record.type = type;
    record.minIndex = minIndex;
    record.numVertices = numVertices;
    record.startIndex = startIndex;
    record.primitiveCount = primitiveCount;
    record.stream = m_pStream;
    record.stride = m_uStride;
    record.indices = m_pIndices;
    record.baseVertexIndex = m_uBaseVertex;
    GfxResult result = GfxResult::Ok;
    auto* vb = dynamic_cast<RecVertexBuffer*>(m_pStream);
    auto* ib = dynamic_cast<RecIndexBuffer*>(m_pIndices);
    if (!vb || !ib || vb->data.locked || ib->data.locked || m_uStride == 0)
        return RecordDraw(std::move(record), GfxResult::InvalidCall);
    uint32_t count = VertexCountOf(type, primitiveCount);
    uint32_t indexSize = ib->format == PixelFormat::Index32 ? 4 : 2;
    if ((static_cast<size_t>(startIndex) + count) * indexSize > ib->data.bytes.size())
        return RecordDraw(std::move(record), GfxResult::InvalidCall);
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint8_t* p = ib->data.bytes.data() + static_cast<size_t>(startIndex + i) * indexSize;
        uint32_t index = indexSize == 4 ? (p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24))
                                        : static_cast<uint32_t>(p[0] | (p[1] << 8));
        if (index < minIndex || index >= minIndex + numVertices)
            result = GfxResult::InvalidCall;
        record.vertexNumbers.push_back(m_uBaseVertex + index);
    }
    if (!GatherVertices(vb->data.bytes.data(), vb->data.bytes.size(), m_uStride, record.vertexNumbers,
                        &record.vertexBytes))
        result = GfxResult::InvalidCall;
    return RecordDraw(std::move(record), result);
}

GfxResult RecordingDevice::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                           uint32_t stride)
{
    if (dropDraws)
        return m_bInScene ? GfxResult::Ok : GfxResult::InvalidCall;
    DrawRecord record{};
    record.kind = DrawKind::PrimitiveUP;
    record.type = type;
    record.primitiveCount = primitiveCount;
    record.stride = stride;
    uint32_t count = VertexCountOf(type, primitiveCount);
    for (uint32_t i = 0; i < count; ++i)
        record.vertexNumbers.push_back(i);
    GfxResult result = vertices && stride ? GfxResult::Ok : GfxResult::InvalidCall;
    if (result == GfxResult::Ok)
        GatherVertices(static_cast<const uint8_t*>(vertices), static_cast<size_t>(count) * stride, stride,
                       record.vertexNumbers, &record.vertexBytes);
    // A user-pointer draw leaves no stream and no index buffer bound.
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    return RecordDraw(std::move(record), result);
}

GfxResult RecordingDevice::DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                                  uint32_t primitiveCount, const void* indices, PixelFormat indexFormat,
                                                  const void* vertices, uint32_t stride)
{
    if (dropDraws)
        return m_bInScene ? GfxResult::Ok : GfxResult::InvalidCall;
    DrawRecord record{};
    record.kind = DrawKind::IndexedPrimitiveUP;
    record.type = type;
    record.minIndex = minIndex;
    record.numVertices = numVertices;
    record.primitiveCount = primitiveCount;
    record.stride = stride;
    GfxResult result = GfxResult::Ok;
    if (!indices || !vertices || !stride ||
        (indexFormat != PixelFormat::Index16 && indexFormat != PixelFormat::Index32))
        result = GfxResult::InvalidCall;
    else
    {
        uint32_t count = VertexCountOf(type, primitiveCount);
        for (uint32_t i = 0; i < count; ++i)
        {
            uint32_t index = indexFormat == PixelFormat::Index32 ? static_cast<const uint32_t*>(indices)[i]
                                                                 : static_cast<const uint16_t*>(indices)[i];
            if (index < minIndex || index >= minIndex + numVertices)
                result = GfxResult::InvalidCall;
            record.vertexNumbers.push_back(index);
        }
        if (result == GfxResult::Ok)
            GatherVertices(static_cast<const uint8_t*>(vertices), static_cast<size_t>(minIndex + numVertices) * stride,
                           stride, record.vertexNumbers, &record.vertexBytes);
    }
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    return RecordDraw(std::move(record), result);
}

GfxResult RecordingDevice::ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    ops.push_back(Op::ReadBackBuffer);
    if (!pixels || !width || !height)
        return GfxResult::InvalidCall;
    *pixels = backBuffer;
    *width = m_params.backBufferWidth;
    *height = m_params.backBufferHeight;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::ReadFrontBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    ops.push_back(Op::ReadFrontBuffer);
    if (!pixels || !width || !height)
        return GfxResult::InvalidCall;
    *pixels = frontBuffer;
    *width = m_params.backBufferWidth;
    *height = m_params.backBufferHeight;
    return GfxResult::Ok;
}

GfxResult RecordingDevice::WriteBackBuffer(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t colourKey)
{
    ops.push_back(Op::WriteBackBuffer);
    if (!pixels)
        return GfxResult::InvalidCall;
    uint32_t w = std::min(width, m_params.backBufferWidth), h = std::min(height, m_params.backBufferHeight);
    for (uint32_t y = 0; y < h; ++y)
    {
        for (uint32_t x = 0; x < w; ++x)
        {
            uint32_t v = pixels[static_cast<size_t>(y) * width + x] | 0xFF000000u;
            if (colourKey && v == (colourKey | 0xFF000000u))
                v = 0;
            backBuffer[static_cast<size_t>(y) * m_params.backBufferWidth + x] = v;
        }
    }
    return GfxResult::Ok;
}

} // namespace platform
