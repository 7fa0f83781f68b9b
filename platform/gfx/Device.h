// The drawing device: a small fixed-function 3D device (adapters, modes, states, textures, buffers, draws) with
// an OpenGL back end and a recording back end for tests.
#pragma once

#include "platform/Window.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace platform
{

// ---------------------------------------------------------------- results

// What every device operation returns. Ok is 0 so that "result == 0" tests read naturally.
enum class GfxResult : uint32_t
{
    Ok = 0,
    DeviceLost,       // the device is lost and cannot be reset yet: skip the frame
    DeviceNotReset,   // the device is lost and can be reset now
    OutOfMemory,      // system memory ran out
    OutOfVideoMemory, // device memory (textures, buffers) ran out
    InvalidCall,      // bad arguments, wrong order (e.g. lock of a locked resource, draw outside a scene)
    NotAvailable,     // the format, mode or feature is not supported
    DriverError,      // the back end failed underneath (no GL context, ...)
};

inline bool GfxFailed(GfxResult r)
{
    return r != GfxResult::Ok;
}

// A short English text naming the result ("Device lost", ...), for error reports; never null.
const char* GfxResultText(GfxResult r);

// ---------------------------------------------------------------- formats and resource kinds

// Pixel formats of surfaces and textures, depth/stencil formats and index formats.
enum class PixelFormat : uint32_t
{
    Unknown = 0,
    R8G8B8,
    A8R8G8B8, // 32-bit: blue in the lowest byte, then green, red, alpha
    X8R8G8B8,
    R5G6B5,
    X1R5G5B5,
    A1R5G5B5,
    A4R4G4B4,
    X4R4G4B4,
    A8,
    DXT1, // 4x4 blocks of 8 bytes
    DXT2, // 4x4 blocks of 16 bytes (premultiplied DXT3)
    DXT3,
    DXT4, // premultiplied DXT5
    DXT5,
    D16,
    D15S1,
    D24S8,
    D24X8,
    D24X4S4,
    D32,
    Index16,
    Index32,
    VertexData,
};

uint32_t FormatBitsPerPixel(PixelFormat f); // 0 for Unknown and VertexData; 4 for DXT1; 8 for DXT2-5
bool IsBlockCompressed(PixelFormat f);      // DXT1 to DXT5
bool IsDepthFormat(PixelFormat f);
bool FormatHasStencil(PixelFormat f); // D15S1, D24S8, D24X4S4
bool FormatHasAlpha(PixelFormat f);   // alpha bits carried in the format (A8R8G8B8, A1R5G5B5, A4R4G4B4, A8, DXT*)
const char* FormatName(PixelFormat f);

enum class Pool : uint32_t
{
    Default,   // device memory; must be released before Reset
    Managed,   // device memory with a CPU copy; survives Reset, read locks work
    SystemMem, // CPU only (lockable, not bindable)
    Scratch,   // CPU only, any format, not bindable
};

// Usage bits of resources (values as the game's records give them).
struct Usage
{
    enum : uint32_t
    {
        None = 0,
        RenderTarget = 0x1,
        DepthStencil = 0x2,
        WriteOnly = 0x8,
        Dynamic = 0x200,
    };
};

// Lock flags (values as the game's records give them).
struct LockFlags
{
    enum : uint32_t
    {
        None = 0,
        ReadOnly = 0x10,
        NoSysLock = 0x800,
        NoOverwrite = 0x1000, // the caller writes only where no pending draw reads
        Discard = 0x2000,     // the whole previous content may be thrown away
    };
};

enum class ResourceType : uint32_t
{
    Surface,
    Texture,
    VertexBuffer,
    IndexBuffer,
};

// ---------------------------------------------------------------- vertex layouts

// Flexible vertex format bits. Fields come in this order: position (XYZ 3 floats or XYZRHW 4 floats), normal
// (3 floats), diffuse (ARGB u32), specular (ARGB u32), then TexCount pairs of 2 floats.
struct Fvf
{
    enum : uint32_t
    {
        XYZ = 0x002,
        XYZRHW = 0x004, // pre-transformed: x, y in pixels, z 0..1, rhw = 1 / w
        PositionMask = 0x00E,
        Normal = 0x010,
        Diffuse = 0x040,
        Specular = 0x080,
        Tex0 = 0x000,
        Tex1 = 0x100,
        Tex2 = 0x200,
        Tex3 = 0x300,
        Tex4 = 0x400,
        TexCountMask = 0xF00,
        TexCountShift = 8,
    };
};

// Bytes of one vertex of the layout (0 for a layout without position).
uint32_t FvfVertexSize(uint32_t fvf);

// ---------------------------------------------------------------- render states

enum class RenderState : uint32_t
{
    ZEnable,                // bool
    FillMode,               // FillMode
    ShadeMode,              // ShadeMode
    ZWriteEnable,           // bool
    AlphaTestEnable,        // bool
    LastPixel,              // bool
    SrcBlend,               // BlendFactor
    DestBlend,              // BlendFactor
    CullMode,               // CullMode
    ZFunc,                  // CompareFunc
    AlphaRef,               // 0..255
    AlphaFunc,              // CompareFunc
    DitherEnable,           // bool
    AlphaBlendEnable,       // bool
    FogEnable,              // bool
    SpecularEnable,         // bool
    FogColour,              // ARGB
    FogTableMode,           // FogMode (per pixel)
    FogStart,               // float bits
    FogEnd,                 // float bits
    FogDensity,             // float bits
    EdgeAntialias,          // bool
    ZBias,                  // 0..16
    RangeFogEnable,         // bool
    StencilEnable,          // bool
    StencilFail,            // StencilOp
    StencilZFail,           // StencilOp
    StencilPass,            // StencilOp
    StencilFunc,            // CompareFunc
    StencilRef,             // u32
    StencilMask,            // u32
    StencilWriteMask,       // u32
    TextureFactor,          // ARGB
    Clipping,               // bool
    Lighting,               // bool
    Ambient,                // ARGB (alpha ignored)
    FogVertexMode,          // FogMode (per vertex)
    ColourVertex,           // bool: vertex colours feed the material sources
    LocalViewer,            // bool
    NormalizeNormals,       // bool
    DiffuseMaterialSource,  // MaterialSource
    SpecularMaterialSource, // MaterialSource
    AmbientMaterialSource,  // MaterialSource
    EmissiveMaterialSource, // MaterialSource
    VertexBlend,            // 0 = off (the only value supported)
    PointSize,              // float bits
    PointSpriteEnable,      // bool
    ColourWriteEnable,      // ColourWrite bits
    BlendOp,                // BlendOp
    Count
};

constexpr uint32_t kRenderStateCount = static_cast<uint32_t>(RenderState::Count);

struct BlendFactor
{
    enum : uint32_t
    {
        Zero = 1,
        One,
        SrcColour,
        InvSrcColour,
        SrcAlpha,
        InvSrcAlpha,
        DestAlpha,
        InvDestAlpha,
        DestColour,
        InvDestColour,
        SrcAlphaSat,
    };
};

struct BlendOp
{
    enum : uint32_t
    {
        Add = 1,
        Subtract,
        RevSubtract,
        Min,
        Max,
    };
};

struct CompareFunc
{
    enum : uint32_t
    {
        Never = 1,
        Less,
        Equal,
        LessEqual,
        Greater,
        NotEqual,
        GreaterEqual,
        Always,
    };
};

// Which winding is culled. Front faces are clockwise on the screen, so CCW (the default) removes back faces.
struct CullMode
{
    enum : uint32_t
    {
        None = 1,
        CW,
        CCW,
    };
};

struct FillMode
{
    enum : uint32_t
    {
        Point = 1,
        Wireframe,
        Solid,
    };
};

struct ShadeMode
{
    enum : uint32_t
    {
        Flat = 1,
        Gouraud,
        Phong,
    };
};

// Fog: only Linear (by eye-space depth, from FogStart to FogEnd) is drawn exactly; Exp and Exp2 use FogDensity.
struct FogMode
{
    enum : uint32_t
    {
        None = 0,
        Exp,
        Exp2,
        Linear,
    };
};

struct StencilOp
{
    enum : uint32_t
    {
        Keep = 1,
        Zero,
        Replace,
        IncrSat,
        DecrSat,
        Invert,
        Incr,
        Decr,
    };
};

struct MaterialSource
{
    enum : uint32_t
    {
        Material = 0, // the material's colour
        Colour1,      // the vertex diffuse colour
        Colour2,      // the vertex specular colour
    };
};

struct ColourWrite
{
    enum : uint32_t
    {
        Red = 0x1,
        Green = 0x2,
        Blue = 0x4,
        Alpha = 0x8,
        All = 0xF,
    };
};

// ---------------------------------------------------------------- texture-stage states

constexpr uint32_t kMaxTextureStages = 8;

enum class TextureStageState : uint32_t
{
    ColourOp,              // TextureOp
    ColourArg1,            // TextureArg
    ColourArg2,            // TextureArg
    AlphaOp,               // TextureOp
    AlphaArg1,             // TextureArg
    AlphaArg2,             // TextureArg
    TexCoordIndex,         // set index (low 16 bits) | TexCoordGen
    AddressU,              // TextureAddress
    AddressV,              // TextureAddress
    AddressW,              // TextureAddress
    BorderColour,          // ARGB
    MagFilter,             // TextureFilter
    MinFilter,             // TextureFilter
    MipFilter,             // TextureFilter (None: no mipmapping)
    MipMapLodBias,         // float bits
    MaxMipLevel,           // most detailed level used
    MaxAnisotropy,         // u32
    TextureTransformFlags, // TextureTransform
    ColourArg0,            // TextureArg (three-argument operations)
    AlphaArg0,             // TextureArg
    ResultArg,             // TextureArg (Current or Temp)
    Count
};

constexpr uint32_t kTextureStageStateCount = static_cast<uint32_t>(TextureStageState::Count);

struct TextureOp
{
    enum : uint32_t
    {
        Disable = 1, // ends the chain: this stage and every later one are off
        SelectArg1,
        SelectArg2,
        Modulate,
        Modulate2x,
        Modulate4x,
        Add,
        AddSigned,
        AddSigned2x,
        Subtract, // arg1 - arg2
        AddSmooth,
        BlendDiffuseAlpha, // arg1 * a + arg2 * (1 - a), a from the vertex diffuse alpha
        BlendTextureAlpha, // ... a from this stage's texture alpha
        BlendFactorAlpha,  // ... a from the texture factor's alpha
        BlendTextureAlphaPM,
        BlendCurrentAlpha, // ... a from the previous stage's alpha
        Premodulate,
        ModulateAlphaAddColour,
        ModulateColourAddAlpha,
        ModulateInvAlphaAddColour,
        ModulateInvColourAddAlpha,
        BumpEnvMap,
        BumpEnvMapLuminance,
        DotProduct3,
        MultiplyAdd,
        Lerp,
    };
};

struct TextureArg
{
    enum : uint32_t
    {
        Diffuse = 0, // the interpolated vertex (or lit) diffuse colour
        Current = 1, // the previous stage's result (Diffuse at stage 0)
        Texture = 2, // this stage's texture
        TFactor = 3, // the TextureFactor render state
        Specular = 4,
        Temp = 5,
        SelectMask = 0xF,
        Complement = 0x10,     // 1 - x
        AlphaReplicate = 0x20, // x's alpha in every channel
    };
};

struct TextureFilter
{
    enum : uint32_t
    {
        None = 0,
        Point,
        Linear,
        Anisotropic,
    };
};

struct TextureAddress
{
    enum : uint32_t
    {
        Wrap = 1,
        Mirror,
        Clamp,
        Border,
        MirrorOnce,
    };
};

// TextureTransformFlags values: how many result components of the texture matrix are used.
struct TextureTransform
{
    enum : uint32_t
    {
        Disable = 0,
        Count1,
        Count2,
        Count3,
        Count4,
        Projected = 0x100,
    };
};

// Texture-coordinate generation, or-ed into TexCoordIndex (the low bits still select the set, used for wrapping).
// The generated coordinates are in camera space (the view space of the View transform).
struct TexCoordGen
{
    enum : uint32_t
    {
        PassThru = 0,
        CameraSpaceNormal = 0x10000,
        CameraSpacePosition = 0x20000,
        CameraSpaceReflectionVector = 0x30000,
        Mask = 0xFFFF0000,
    };
};

// The state a fresh (or reset) device starts with.
uint32_t DefaultRenderState(RenderState state);
uint32_t DefaultTextureStageState(uint32_t stage, TextureStageState state);

inline uint32_t FloatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

inline float BitsFloat(uint32_t u)
{
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// ---------------------------------------------------------------- transforms, light, material, viewport

enum class TransformType : uint32_t
{
    World,
    View,
    Projection,
    Texture0,
    Texture1,
    Texture2,
    Texture3,
    Texture4,
    Texture5,
    Texture6,
    Texture7,
    Count
};

inline TransformType TextureTransformOf(uint32_t stage)
{
    return static_cast<TransformType>(static_cast<uint32_t>(TransformType::Texture0) + stage);
}

struct ColourValue
{
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

enum class LightType : uint32_t
{
    Point = 1,
    Spot,
    Directional, // the only kind drawn
};

struct LightDesc
{
    LightType type = LightType::Directional;
    ColourValue diffuse;
    ColourValue specular;
    ColourValue ambient;
    Vec3 position = {0.0f, 0.0f, 0.0f};
    Vec3 direction = {0.0f, 0.0f, 1.0f}; // world space, the way the light travels
    float range = 0.0f;
    float falloff = 0.0f;
    float attenuation0 = 0.0f;
    float attenuation1 = 0.0f;
    float attenuation2 = 0.0f;
    float theta = 0.0f;
    float phi = 0.0f;
};

constexpr uint32_t kMaxLights = 8;

struct MaterialDesc
{
    ColourValue diffuse;
    ColourValue ambient;
    ColourValue specular;
    ColourValue emissive;
    float power = 0.0f;
};

// Viewport comes from Math.h: X, Y, Width, Height in pixels, MinZ and MaxZ of the depth range. It must lie inside
// the back buffer; one without width or height is allowed and draws and clears nothing.

struct ClearFlags
{
    enum : uint32_t
    {
        Target = 0x1,
        ZBuffer = 0x2,
        Stencil = 0x4,
    };
};

enum class PrimitiveType : uint32_t
{
    PointList = 1,
    LineList,
    LineStrip,
    TriangleList,
    TriangleStrip,
    TriangleFan,
};

// ---------------------------------------------------------------- adapters, modes, capabilities

enum class DeviceType : uint32_t
{
    Hal = 1,
    Ref,
    Software,
};

struct AdapterIdentifier
{
    char driver[512] = {};
    char description[512] = {};
    uint32_t vendorId = 0;
    uint32_t deviceId = 0;
};

struct DisplayMode
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0; // Hz, 0 = default
    PixelFormat format = PixelFormat::Unknown;
};

struct DeviceCaps
{
    DeviceType deviceType = DeviceType::Hal;
    uint32_t adapterOrdinal = 0;
    // capability flags
    bool canRenderWindowed = true;
    bool hwTransformAndLight = false;
    bool pureDevice = false;
    bool separateTextureMemories = false;
    bool textureNonLocalVidMem = false;
    bool rasterAnisotropy = false;
    bool rasterMipMapLodBias = false;
    bool rasterZBufferLessHsr = false;
    bool filterMipLinear = false; // trilinear filtering
    bool texturePow2 = false;     // sides must be powers of two
    bool textureSquareOnly = false;
    bool stencil = false;
    // limits
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxAnisotropy = 1;
    uint32_t maxTextureBlendStages = 0;
    uint32_t maxSimultaneousTextures = 0;
    uint32_t textureOpCaps = 0; // bit (1 << (TextureOp - 1)) for every supported operation
};

enum class SwapEffect : uint32_t
{
    Discard = 1,
    Flip,
    Copy,
};

struct PresentFlags
{
    enum : uint32_t
    {
        None = 0,
        LockableBackBuffer = 0x1,
    };
};

struct PresentParams
{
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    PixelFormat backBufferFormat = PixelFormat::Unknown;
    uint32_t backBufferCount = 1;
    uint32_t multiSampleType = 0;
    SwapEffect swapEffect = SwapEffect::Discard;
    void* deviceWindow = nullptr; // SDL_Window*; null: the device makes its own hidden window (headless)
    bool windowed = true;
    bool enableAutoDepthStencil = true;
    PixelFormat autoDepthStencilFormat = PixelFormat::D24S8;
    uint32_t flags = PresentFlags::None;
    uint32_t fullScreenRefreshRate = 0;
    uint32_t presentationInterval = 0;
};

struct CreateFlags
{
    enum : uint32_t
    {
        PureDevice = 0x10,
        SoftwareVertexProcessing = 0x20,
        HardwareVertexProcessing = 0x40,
        MixedVertexProcessing = 0x80,
    };
};

// ---------------------------------------------------------------- resources

struct LockedRect
{
    int32_t pitch = 0; // bytes from one row to the next (one row of 4x4 blocks for DXT formats)
    void* bits = nullptr;
};

struct SurfaceDesc
{
    PixelFormat format = PixelFormat::Unknown;
    ResourceType type = ResourceType::Surface;
    uint32_t usage = 0;
    Pool pool = Pool::Managed;
    uint32_t size = 0; // bytes of this level
    uint32_t width = 0;
    uint32_t height = 0;
};

struct BufferDesc
{
    PixelFormat format = PixelFormat::VertexData; // VertexData, Index16 or Index32
    ResourceType type = ResourceType::VertexBuffer;
    uint32_t usage = 0;
    Pool pool = Pool::Managed;
    uint32_t size = 0; // bytes
    uint32_t fvf = 0;  // vertex buffers: the layout they were made for
};

// A 2D texture with a chain of levels. Locks hand out memory in the format's own layout; the device sees the
// new content after UnlockRect. A resource can outlive its device; it then only holds memory.
class ITexture
{
public:
    virtual ~ITexture() = default;
    virtual uint32_t GetLevelCount() const = 0;
    virtual GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const = 0;
    // rect null: the whole level. For DXT formats the rectangle must be on block boundaries.
    virtual GfxResult LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) = 0;
    virtual GfxResult UnlockRect(uint32_t level) = 0;
};

class IVertexBuffer
{
public:
    virtual ~IVertexBuffer() = default;
    // offset and size in bytes; size 0 locks from offset to the end.
    virtual GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual GfxResult Unlock() = 0;
    virtual GfxResult GetDesc(BufferDesc* desc) const = 0;
};

class IIndexBuffer
{
public:
    virtual ~IIndexBuffer() = default;
    virtual GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual GfxResult Unlock() = 0;
    virtual GfxResult GetDesc(BufferDesc* desc) const = 0;
};

using TexturePtr = std::unique_ptr<ITexture>;
using VertexBufferPtr = std::unique_ptr<IVertexBuffer>;
using IndexBufferPtr = std::unique_ptr<IIndexBuffer>;

// ---------------------------------------------------------------- the device

// Rules shared by both back ends:
// - Matrices are row-vector, row-major (Math.h); clip-space depth runs 0..1; the eye space is left-handed
//   (+z into the screen) and front faces are clockwise on the screen.
// - Destroying a resource unbinds it from the device (stages, streams, indices).
// - Reset fails with InvalidCall while a Default-pool resource exists; Managed resources survive it.
// - Draws must come between BeginScene and EndScene.
class IDevice
{
public:
    virtual ~IDevice() = default;

    // status
    virtual GfxResult TestCooperativeLevel() = 0;
    virtual GfxResult Reset(const PresentParams& params) = 0;
    virtual GfxResult GetDeviceCaps(DeviceCaps* caps) const = 0;
    virtual const PresentParams& GetPresentParams() const = 0;
    virtual uint32_t GetAdapterOrdinal() const = 0;
    virtual GfxResult GetDisplayMode(DisplayMode* mode) const = 0;
    virtual uint32_t GetAvailableTextureMem() const = 0; // bytes
    virtual GfxResult ResourceManagerDiscardBytes(uint32_t bytes) = 0;
    virtual GfxResult ValidateDevice(uint32_t* passes) = 0; // can the current states be drawn in one pass
    virtual bool IsTextureFormatSupported(PixelFormat format) const = 0;

    // resources; levels 0 = the full chain down to 1 x 1
    virtual GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                    PixelFormat format, Pool pool, TexturePtr* texture) = 0;
    virtual GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                         VertexBufferPtr* buffer) = 0;
    virtual GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, PixelFormat format, Pool pool,
                                        IndexBufferPtr* buffer) = 0;

    // frame
    virtual GfxResult BeginScene() = 0;
    virtual GfxResult EndScene() = 0;
    // rects null (count 0): the whole viewport; rectangles are cut to the viewport.
    virtual GfxResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float z,
                            uint32_t stencil) = 0;
    virtual GfxResult Present() = 0;

    // fixed-function state
    virtual GfxResult SetTransform(TransformType type, const Matrix& matrix) = 0;
    virtual GfxResult GetTransform(TransformType type, Matrix* matrix) const = 0;
    virtual GfxResult SetViewport(const Viewport& viewport) = 0;
    virtual GfxResult GetViewport(Viewport* viewport) const = 0;
    virtual GfxResult SetMaterial(const MaterialDesc& material) = 0;
    virtual GfxResult GetMaterial(MaterialDesc* material) const = 0;
    virtual GfxResult SetLight(uint32_t index, const LightDesc& light) = 0;
    virtual GfxResult GetLight(uint32_t index, LightDesc* light) const = 0;
    virtual GfxResult LightEnable(uint32_t index, bool enable) = 0;
    virtual GfxResult SetRenderState(RenderState state, uint32_t value) = 0;
    virtual GfxResult GetRenderState(RenderState state, uint32_t* value) const = 0;
    virtual GfxResult SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value) = 0;
    virtual GfxResult GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t* value) const = 0;
    virtual GfxResult SetTexture(uint32_t stage, ITexture* texture) = 0;
    virtual ITexture* GetTexture(uint32_t stage) const = 0;

    // geometry
    virtual GfxResult SetVertexShader(uint32_t fvf) = 0; // the vertex layout of the following draws
    virtual GfxResult SetStreamSource(uint32_t stream, IVertexBuffer* buffer, uint32_t stride) = 0;
    virtual GfxResult SetIndices(IIndexBuffer* buffer, uint32_t baseVertexIndex) = 0;
    virtual GfxResult DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    // Indices are read from startIndex and added to the base vertex index of SetIndices; minIndex and
    // numVertices give the range of vertices used (relative to the base).
    virtual GfxResult DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                           uint32_t startIndex, uint32_t primitiveCount) = 0;
    // User-pointer draws leave stream 0 and the index buffer unbound afterwards.
    virtual GfxResult DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                      uint32_t stride) = 0;
    virtual GfxResult DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                             uint32_t primitiveCount, const void* indices, PixelFormat indexFormat,
                                             const void* vertices, uint32_t stride) = 0;

    // read-back: 32-bit A8R8G8B8 pixels, rows top to bottom, packed. The back buffer is what is drawn so far;
    // the front buffer is the last presented frame.
    virtual GfxResult ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) = 0;
    virtual GfxResult ReadFrontBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) = 0;
    // Copies a width x height block of X8R8G8B8 pixels (packed rows) to the top-left of the back buffer; pixels
    // equal to colourKey (compared with alpha forced to 0xFF; 0 = no key) are written as transparent black.
    virtual GfxResult WriteBackBuffer(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t colourKey) = 0;
};

using DevicePtr = std::unique_ptr<IDevice>;

// ---------------------------------------------------------------- the system (adapters and device creation)

class IGraphicsSystem
{
public:
    virtual ~IGraphicsSystem() = default;

    // Adapters are numbered from 0; a number past the last is a bad argument to every query below (InvalidCall,
    // and no modes).
    virtual uint32_t GetAdapterCount() = 0;
    virtual GfxResult GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* identifier) = 0;
    virtual uint32_t GetAdapterModeCount(uint32_t adapter) = 0;
    virtual GfxResult EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode* out) = 0;
    virtual GfxResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) = 0; // the desktop mode
    // Can a device show backBufferFormat on a display of displayFormat (windowed or full screen)?
    virtual GfxResult CheckDeviceType(uint32_t adapter, DeviceType type, PixelFormat displayFormat,
                                      PixelFormat backBufferFormat, bool windowed) = 0;
    // Can a resource of this type and usage have checkFormat on a display of adapterFormat?
    virtual GfxResult CheckDeviceFormat(uint32_t adapter, DeviceType type, PixelFormat adapterFormat, uint32_t usage,
                                        ResourceType resourceType, PixelFormat checkFormat) = 0;
    virtual GfxResult CheckDepthStencilMatch(uint32_t adapter, DeviceType type, PixelFormat adapterFormat,
                                             PixelFormat renderTargetFormat, PixelFormat depthStencilFormat) = 0;
    virtual GfxResult GetDeviceCaps(uint32_t adapter, DeviceType type, DeviceCaps* caps) = 0;
    // params is updated with what the device really has (e.g. an Unknown back-buffer format is filled in).
    virtual GfxResult CreateDevice(uint32_t adapter, DeviceType type, void* window, uint32_t createFlags,
                                   PresentParams* params, DevicePtr* device) = 0;
};

using GraphicsSystemPtr = std::unique_ptr<IGraphicsSystem>;
using GraphicsSystemFactory = std::function<GraphicsSystemPtr()>;

// The system the engine uses: the installed factory's, or the OpenGL one. Null when no system can be made.
GraphicsSystemPtr CreateGraphicsSystem();

// Installs a factory for CreateGraphicsSystem (tests install the recording back end; a factory returning null
// simulates a machine without graphics); an empty function restores the OpenGL back end. Returns the old one.
GraphicsSystemFactory SetGraphicsSystemFactory(GraphicsSystemFactory factory);

// The OpenGL back end (never null; its devices fail to create without a GL context).
GraphicsSystemPtr CreateOpenGLSystem();

} // namespace platform
