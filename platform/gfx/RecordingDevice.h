// The recording back end: a device that draws nothing but remembers every state write, resource operation and
// draw, keeps resource memory so locks work, and can be made to lose itself; for unit tests.
#pragma once

#include "platform/gfx/Device.h"
#include "platform/gfx/DeviceRules.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform
{

class RecordingDevice;
struct RecordingSystemHook;

// One adapter as the recording system reports it.
struct RecordingAdapter
{
    AdapterIdentifier identifier;
    DeviceCaps caps;
    DisplayMode desktop;
    std::vector<DisplayMode> modes; // in enumeration order
    // Display / back-buffer pairs CheckDeviceType accepts (windowed, the display format must also be the
    // desktop's).
    std::vector<std::pair<PixelFormat, PixelFormat>> deviceTypes;
    std::vector<PixelFormat> renderTargetFormats; // CheckDeviceFormat with Usage::RenderTarget
    std::vector<PixelFormat> textureFormats;      // CheckDeviceFormat for textures
    std::vector<PixelFormat> depthFormats;        // CheckDepthStencilMatch
};

// What the recording system and its devices do; tests change it before creating devices.
struct RecordingConfig
{
    std::vector<RecordingAdapter> adapters; // starts with one typical adapter (see DefaultRecordingAdapter)
    // Default-pool textures a device accepts before CreateTexture fails with OutOfVideoMemory (0: no limit).
    uint32_t defaultPoolTextureLimit = 0;
    // Texture memory the device reports (bytes).
    uint32_t availableTextureMem = 64u << 20;
    bool failCreateDevice = false;             // every CreateDevice fails
    bool failHardwareVertexProcessing = false; // CreateDevice with HardwareVertexProcessing fails
    bool failValidateDevice = false;           // ValidateDevice fails
};

// A 32-bit adapter with hardware transform, 640x480, 800x600 and 1024x768 in 16 and 32 bits, all the usual
// formats and D16, D24S8, D24X8, D32 depth formats.
RecordingAdapter DefaultRecordingAdapter();

class RecordingSystem : public IGraphicsSystem
{
public:
    RecordingSystem();
    explicit RecordingSystem(const RecordingConfig& config);
    ~RecordingSystem() override;
    RecordingSystem(const RecordingSystem&) = delete;
    RecordingSystem& operator=(const RecordingSystem&) = delete;

    RecordingConfig config;

    // The device made last (null when none was made or it was destroyed).
    RecordingDevice* LastDevice() const;
    uint32_t DevicesCreated() const { return m_uDevicesCreated; }
    std::vector<uint32_t> createFlagsSeen; // the createFlags of every CreateDevice call, in order

    uint32_t GetAdapterCount() override;
    GfxResult GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* identifier) override;
    uint32_t GetAdapterModeCount(uint32_t adapter) override;
    GfxResult EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode* out) override;
    GfxResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) override;
    GfxResult CheckDeviceType(uint32_t adapter, DeviceType type, PixelFormat displayFormat,
                              PixelFormat backBufferFormat, bool windowed) override;
    GfxResult CheckDeviceFormat(uint32_t adapter, DeviceType type, PixelFormat adapterFormat, uint32_t usage,
                                ResourceType resourceType, PixelFormat checkFormat) override;
    GfxResult CheckDepthStencilMatch(uint32_t adapter, DeviceType type, PixelFormat adapterFormat,
                                     PixelFormat renderTargetFormat, PixelFormat depthStencilFormat) override;
    GfxResult GetDeviceCaps(uint32_t adapter, DeviceType type, DeviceCaps* caps) override;
    GfxResult CreateDevice(uint32_t adapter, DeviceType type, void* window, uint32_t createFlags, PresentParams* params,
                           DevicePtr* device) override;

private:
    friend class RecordingDevice;
    friend void InstallRecordingSystemFactory(RecordingSystemHook* hook);
    RecordingDevice* m_pLastDevice = nullptr;
    std::vector<RecordingDevice*> m_liveDevices;
    RecordingSystemHook* m_pHook = nullptr;
    uint32_t m_uDevicesCreated = 0;
};

// Installs a factory that makes RecordingSystems with the given config for CreateGraphicsSystem; the returned
// pointer names the last system made (valid while it lives). Restore with SetGraphicsSystemFactory({}).
struct RecordingSystemHook
{
    RecordingConfig config;
    RecordingSystem* lastSystem = nullptr;
    uint32_t systemsCreated = 0;
};
void InstallRecordingSystemFactory(RecordingSystemHook* hook);

class RecordingDevice : public DeviceBase
{
public:
    // ---- what was done, in order (ClearLog empties every list)
    enum class Op : uint32_t
    {
        TestCooperativeLevel,
        Reset,
        CreateTexture,
        CreateVertexBuffer,
        CreateIndexBuffer,
        DestroyTexture,
        DestroyVertexBuffer,
        DestroyIndexBuffer,
        LockTexture,
        UnlockTexture,
        LockVertexBuffer,
        UnlockVertexBuffer,
        LockIndexBuffer,
        UnlockIndexBuffer,
        BeginScene,
        EndScene,
        Clear,
        Present,
        SetTransform,
        SetViewport,
        SetMaterial,
        SetLight,
        LightEnable,
        SetRenderState,
        SetTextureStageState,
        SetTexture,
        SetVertexShader,
        SetStreamSource,
        SetIndices,
        Draw, // every kind of draw
        ValidateDevice,
        ResourceManagerDiscardBytes,
        ReadBackBuffer,
        ReadFrontBuffer,
        WriteBackBuffer,
    };
    std::vector<Op> ops;

    struct RenderStateWrite
    {
        RenderState state;
        uint32_t value;
    };
    struct StageStateWrite
    {
        uint32_t stage;
        TextureStageState state;
        uint32_t value;
    };
    struct TransformWrite
    {
        TransformType type;
        Matrix matrix;
    };
    struct TextureBind
    {
        uint32_t stage;
        ITexture* texture;
    };
    struct StreamBind
    {
        uint32_t stream;
        IVertexBuffer* buffer;
        uint32_t stride;
    };
    struct IndexBind
    {
        IIndexBuffer* buffer;
        uint32_t baseVertexIndex;
    };
    struct LockRecord
    {
        const void* resource; // the ITexture, IVertexBuffer or IIndexBuffer
        uint32_t level;       // textures
        uint32_t offset;      // buffers: bytes
        uint32_t size;        // buffers: bytes (as asked; 0 = to the end)
        uint32_t flags;
    };
    struct ClearRecord
    {
        uint32_t flags;
        uint32_t colour;
        float z;
        uint32_t stencil;
        uint32_t rectCount;
    };
    enum class DrawKind : uint32_t
    {
        Primitive,
        IndexedPrimitive,
        PrimitiveUP,
        IndexedPrimitiveUP,
    };
    struct DrawRecord
    {
        DrawKind kind;
        PrimitiveType type;
        uint32_t startVertex; // Primitive
        uint32_t minIndex;    // indexed
        uint32_t numVertices; // indexed
        uint32_t startIndex;  // IndexedPrimitive
        uint32_t primitiveCount;
        uint32_t fvf;
        IVertexBuffer* stream; // stream 0 (buffer draws)
        uint32_t stride;
        IIndexBuffer* indices; // IndexedPrimitive
        uint32_t baseVertexIndex;
        ITexture* textures[kMaxTextureStages];
        bool inScene;
        // The vertices the draw reads (copied, stride bytes each) and its indices made absolute (base added);
        // for non-indexed draws the indices are the vertex numbers in order.
        std::vector<uint8_t> vertexBytes;
        std::vector<uint32_t> vertexNumbers;
    };

    std::vector<RenderStateWrite> renderStateWrites;
    std::vector<StageStateWrite> stageStateWrites;
    std::vector<TransformWrite> transformWrites;
    std::vector<TextureBind> textureBinds;
    std::vector<StreamBind> streamBinds;
    std::vector<IndexBind> indexBinds;
    std::vector<uint32_t> vertexShaderWrites;
    std::vector<LockRecord> locks;
    std::vector<ClearRecord> clears;
    std::vector<DrawRecord> draws;
    std::vector<Viewport> viewports;
    std::vector<MaterialDesc> materials;
    std::vector<std::pair<uint32_t, LightDesc>> lights;
    uint32_t presentCount = 0;
    uint32_t resetCount = 0;

    void ClearLog();

    // Writes of one state (in order) since the last ClearLog.
    std::vector<uint32_t> RenderStateWritesOf(RenderState state) const;
    std::vector<uint32_t> StageStateWritesOf(uint32_t stage, TextureStageState state) const;
    size_t CountOps(Op op) const;

    // ---- losing the device
    // From now on TestCooperativeLevel reports DeviceLost for lostChecks calls, then DeviceNotReset until a Reset
    // succeeds. Present reports DeviceLost meanwhile; draws and state writes still succeed (and are recorded).
    void InjectDeviceLost(uint32_t lostChecks = 1);
    bool IsLost() const { return m_bLost; }
    // The next `count` Reset calls fail with DeviceLost (the device stays lost).
    void FailNextResets(uint32_t count) { m_uFailResets = count; }

    // ---- other failure injection
    // The next `count` buffer locks (vertex or index) fail with InvalidCall.
    void FailNextBufferLocks(uint32_t count) { m_uFailBufferLocks = count; }
    // The next `count` draws fail with InvalidCall (still recorded).
    void FailNextDraws(uint32_t count) { m_uFailDraws = count; }
    // Draws inside a scene succeed at once, unchecked and unrecorded (for measuring the engine without the log).
    bool dropDraws = false;

    // ---- live resources
    uint32_t LiveTextures() const;
    uint32_t LiveVertexBuffers() const;
    uint32_t LiveIndexBuffers() const;
    uint32_t LiveDefaultPoolResources() const;
    bool InScene() const { return m_bInScene; }

    // The back buffer (A8R8G8B8, filled by Clear with the target flag and by WriteBackBuffer; draws do not touch
    // it) and the front buffer (copied from it by Present).
    std::vector<uint32_t> backBuffer;
    std::vector<uint32_t> frontBuffer;

    // ---- IDevice
    ~RecordingDevice() override;
    GfxResult TestCooperativeLevel() override;
    GfxResult Reset(const PresentParams& params) override;
    GfxResult GetDisplayMode(DisplayMode* mode) const override;
    uint32_t GetAvailableTextureMem() const override;
    GfxResult ResourceManagerDiscardBytes(uint32_t bytes) override;
    GfxResult ValidateDevice(uint32_t* passes) override;
    bool IsTextureFormatSupported(PixelFormat format) const override;
    GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, PixelFormat format,
                            Pool pool, TexturePtr* texture) override;
    GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                 VertexBufferPtr* buffer) override;
    GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, PixelFormat format, Pool pool,
                                IndexBufferPtr* buffer) override;
    GfxResult BeginScene() override;
    GfxResult EndScene() override;
    GfxResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float z,
                    uint32_t stencil) override;
    GfxResult Present() override;
    GfxResult SetTransform(TransformType type, const Matrix& matrix) override;
    GfxResult SetViewport(const Viewport& viewport) override;
    GfxResult SetMaterial(const MaterialDesc& material) override;
    GfxResult SetLight(uint32_t index, const LightDesc& light) override;
    GfxResult LightEnable(uint32_t index, bool enable) override;
    bool IsLightEnabled(uint32_t index) const;
    GfxResult SetRenderState(RenderState state, uint32_t value) override;
    GfxResult SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value) override;
    GfxResult SetTexture(uint32_t stage, ITexture* texture) override;
    ITexture* GetTexture(uint32_t stage) const override;
    GfxResult SetVertexShader(uint32_t fvf) override;
    GfxResult SetStreamSource(uint32_t stream, IVertexBuffer* buffer, uint32_t stride) override;
    GfxResult SetIndices(IIndexBuffer* buffer, uint32_t baseVertexIndex) override;
    IVertexBuffer* GetStreamSource(uint32_t* stride) const;
    IIndexBuffer* GetIndices(uint32_t* baseVertexIndex) const;
    uint32_t GetVertexShader() const { return m_uFvf; }
    GfxResult DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
    GfxResult DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                   uint32_t primitiveCount) override;
    GfxResult DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                              uint32_t stride) override;
    GfxResult DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                     uint32_t primitiveCount, const void* indices, PixelFormat indexFormat,
                                     const void* vertices, uint32_t stride) override;
    GfxResult ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) override;
    GfxResult ReadFrontBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) override;
    GfxResult WriteBackBuffer(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t colourKey) override;

    // Resource bookkeeping (called by the resources).
    struct Resource;
    void Detach(Resource* resource);
    bool ConsumeBufferLockFailure();

    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

private:
    friend class RecordingSystem;
    RecordingDevice(RecordingSystem* system, uint32_t adapter, const DeviceCaps& caps, const PresentParams& params);
    void ResetStates();
    void Attach(Resource* resource);
    bool TakeFailure(uint32_t* counter);
    GfxResult RecordDraw(DrawRecord record, GfxResult result);

    RecordingSystem* m_pSystem = nullptr;
    RecordingConfig m_config;
    DisplayMode m_displayMode;
    bool m_bLost = false;
    uint32_t m_uLostChecks = 0;
    uint32_t m_uFailResets = 0;
    uint32_t m_uFailBufferLocks = 0;
    uint32_t m_uFailDraws = 0;
    ITexture* m_apTextures[kMaxTextureStages] = {};
    IVertexBuffer* m_pStream = nullptr;
    uint32_t m_uStride = 0;
    IIndexBuffer* m_pIndices = nullptr;
    uint32_t m_uBaseVertex = 0;
    std::vector<Resource*> m_resources;
};

} // namespace platform
