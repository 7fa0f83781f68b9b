// The OpenGL back end of the drawing device: a 2.1 compatibility context through SDL, rendering into an
// off-screen framebuffer at the game's resolution that Present scales to the window; the fixed-function state
// of the device maps onto GL's fixed-function pipeline (texture combiners, fog, lighting, texgen).
#include "platform/gfx/Device.h"
#include "platform/gfx/DeviceRules.h"
#include "platform/gfx/GLApi.h"
#include "platform/gfx/TextureUtil.h"

#include "platform/Strings.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace platform
{
namespace
{

class GLDevice;

// The budget of Default-pool textures (bytes): creating more fails like a card whose memory is full.
constexpr uint64_t kDefaultPoolBudget = 256ull << 20;

// ---------------------------------------------------------------- resources

struct GLResource
{
    GLDevice* device = nullptr;
    ResourceType type = ResourceType::Texture;
    Pool pool = Pool::Managed;
    uint32_t usage = 0;
    virtual ~GLResource() = default;
    virtual void ReleaseGL() {} // the device is going away: give back GL objects (context current)
};

class GLTexture final : public ITexture, public GLResource
{
public:
    struct Level
    {
        uint32_t width = 0, height = 0, pitch = 0, size = 0;
        std::vector<uint8_t> bytes; // empty until first needed
        bool locked = false;
        bool readOnly = false;
        Rect rect{};
    };
    PixelFormat format = PixelFormat::Unknown;
    std::vector<Level> levels;
    GLuint name = 0;
    uint64_t videoBytes = 0; // counted against the Default-pool budget

    ~GLTexture() override;
    void ReleaseGL() override;

    uint32_t GetLevelCount() const override { return static_cast<uint32_t>(levels.size()); }
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const override
    {
        return DescribeLevel(levels, level, format, usage, pool, desc);
    }
    GfxResult LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) override;
    GfxResult UnlockRect(uint32_t level) override;
};

// Vertex and index buffers keep their bytes in memory (BufferMemory); draws hand them to GL as client arrays, which GL
// copies at the draw, so a discarding or no-overwrite lock can never change what an earlier draw shows. Vertex and
// index buffers differ only in their interface and their description.
template <class Interface, ResourceType kType> class GLBuffer final : public Interface, public GLResource
{
public:
    BufferMemory data;
    PixelFormat format = PixelFormat::VertexData; // index buffers: Index16 or Index32
    uint32_t fvf = 0;                             // vertex buffers
    ~GLBuffer() override;
    GfxResult Lock(uint32_t offset, uint32_t size, void** out, uint32_t) override
    {
        return data.Lock(offset, size, out);
    }
    GfxResult Unlock() override { return data.Unlock(); }
    GfxResult GetDesc(BufferDesc* desc) const override
    {
        if (!desc)
            return GfxResult::InvalidCall;
        *desc = {format, kType, usage, pool, static_cast<uint32_t>(data.bytes.size()), fvf};
        return GfxResult::Ok;
    }
};
using GLVertexBuffer = GLBuffer<IVertexBuffer, ResourceType::VertexBuffer>;
using GLIndexBuffer = GLBuffer<IIndexBuffer, ResourceType::IndexBuffer>;

// ---------------------------------------------------------------- state mapping

GLenum GlCompare(uint32_t f)
{
    switch (f)
    {
    case CompareFunc::Never:
        return GL_NEVER;
    case CompareFunc::Less:
        return GL_LESS;
    case CompareFunc::Equal:
        return GL_EQUAL;
    case CompareFunc::LessEqual:
        return GL_LEQUAL;
    case CompareFunc::Greater:
        return GL_GREATER;
    case CompareFunc::NotEqual:
        return GL_NOTEQUAL;
    case CompareFunc::GreaterEqual:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum GlBlend(uint32_t f)
{
    switch (f)
    {
    case BlendFactor::Zero:
        return GL_ZERO;
    case BlendFactor::One:
        return GL_ONE;
    case BlendFactor::SrcColour:
        return GL_SRC_COLOR;
    case BlendFactor::InvSrcColour:
        return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::SrcAlpha:
        return GL_SRC_ALPHA;
    case BlendFactor::InvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::DestAlpha:
        return GL_DST_ALPHA;
    case BlendFactor::InvDestAlpha:
        return GL_ONE_MINUS_DST_ALPHA;
    case BlendFactor::DestColour:
        return GL_DST_COLOR;
    case BlendFactor::InvDestColour:
        return GL_ONE_MINUS_DST_COLOR;
    case BlendFactor::SrcAlphaSat:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum GlBlendOp(uint32_t op)
{
    switch (op)
    {
    case BlendOp::Subtract:
        return GL_FUNC_SUBTRACT;
    case BlendOp::RevSubtract:
        return GL_FUNC_REVERSE_SUBTRACT;
    case BlendOp::Min:
        return GL_MIN;
    case BlendOp::Max:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum GlStencilOp(uint32_t op)
{
    switch (op)
    {
    case StencilOp::Zero:
        return GL_ZERO;
    case StencilOp::Replace:
        return GL_REPLACE;
    case StencilOp::IncrSat:
        return GL_INCR;
    case StencilOp::DecrSat:
        return GL_DECR;
    case StencilOp::Invert:
        return GL_INVERT;
    case StencilOp::Incr:
        return GL_INCR_WRAP;
    case StencilOp::Decr:
        return GL_DECR_WRAP;
    default:
        return GL_KEEP;
    }
}

GLenum GlAddress(uint32_t a)
{
    switch (a)
    {
    case TextureAddress::Mirror:
        return GL_MIRRORED_REPEAT;
    case TextureAddress::Clamp:
        return GL_CLAMP_TO_EDGE;
    case TextureAddress::Border:
        return GL_CLAMP_TO_BORDER;
    case TextureAddress::MirrorOnce:
        return Gl().mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE : GL_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

GLenum GlMinFilter(uint32_t minFilter, uint32_t mipFilter, bool hasMips)
{
    bool linear = minFilter != TextureFilter::Point && minFilter != TextureFilter::None;
    if (!hasMips || mipFilter == TextureFilter::None)
        return linear ? GL_LINEAR : GL_NEAREST;
    bool mipLinear = mipFilter != TextureFilter::Point;
    if (linear)
        return mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
    return mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
}

GLenum GlPrimitive(PrimitiveType type)
{
    switch (type)
    {
    case PrimitiveType::PointList:
        return GL_POINTS;
    case PrimitiveType::LineList:
        return GL_LINES;
    case PrimitiveType::LineStrip:
        return GL_LINE_STRIP;
    case PrimitiveType::TriangleList:
        return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip:
        return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan:
        return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

// How a texture format is given to GL.
struct GlFormat
{
    GLint internal = GL_RGBA8;
    GLenum format = GL_BGRA;
    GLenum type = GL_UNSIGNED_BYTE;
    bool compressed = false; // data goes to CompressedTexImage2D as it is
    bool decode = false;     // data is decoded to A8R8G8B8 first
};

GlFormat GlFormatOf(PixelFormat f)
{
    GlFormat g;
    switch (f)
    {
    case PixelFormat::A8R8G8B8:
        break;
    case PixelFormat::X8R8G8B8:
        g.internal = GL_RGB8;
        break;
    case PixelFormat::R8G8B8:
        g.internal = GL_RGB8;
        g.format = GL_BGR;
        break;
    case PixelFormat::R5G6B5:
        g.internal = GL_RGB8;
        g.format = GL_RGB;
        g.type = GL_UNSIGNED_SHORT_5_6_5;
        break;
    case PixelFormat::X1R5G5B5:
        g.internal = GL_RGB8;
        g.type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
        break;
    case PixelFormat::A1R5G5B5:
        g.type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
        break;
    case PixelFormat::A4R4G4B4:
        g.type = GL_UNSIGNED_SHORT_4_4_4_4_REV;
        break;
    case PixelFormat::X4R4G4B4:
        g.internal = GL_RGB8;
        g.type = GL_UNSIGNED_SHORT_4_4_4_4_REV;
        break;
    case PixelFormat::A8:
        g.internal = GL_ALPHA8;
        g.format = GL_ALPHA;
        break;
    case PixelFormat::DXT1:
        g.internal = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
        g.compressed = true;
        break;
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
        g.internal = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
        g.compressed = true;
        break;
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        g.internal = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
        g.compressed = true;
        break;
    default:
        break;
    }
    if (g.compressed && !Gl().s3tc)
    {
        g = GlFormat{};
        g.decode = true;
    }
    return g;
}

// The z flip between the left-handed eye space of the device and GL's right-handed one (its own inverse).
Matrix FlipZ()
{
    Matrix m = MatrixIdentity();
    m.m[2][2] = -1.0f;
    return m;
}

// ---------------------------------------------------------------- the device

class GLDevice final : public DeviceBase
{
public:
    GLDevice(uint32_t adapter, SDL_Window* window, bool ownWindow, SDL_GLContext context, const PresentParams& params);
    ~GLDevice() override;

    // Makes the framebuffers; false when GL cannot give them.
    bool Init();

    GfxResult TestCooperativeLevel() override;
    GfxResult Reset(const PresentParams& params) override;
    GfxResult GetDisplayMode(DisplayMode* mode) const override;
    uint32_t GetAvailableTextureMem() const override;
    GfxResult ResourceManagerDiscardBytes(uint32_t) override { return GfxResult::Ok; }
    GfxResult ValidateDevice(uint32_t* passes) override;
    bool IsTextureFormatSupported(PixelFormat format) const override;
    GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, PixelFormat format,
                            Pool pool, TexturePtr* texture) override;
    GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                 VertexBufferPtr* buffer) override;
    GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, PixelFormat format, Pool pool,
                                IndexBufferPtr* buffer) override;
    GfxResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float z,
                    uint32_t stencil) override;
    GfxResult Present() override;
    GfxResult SetTransform(TransformType type, const Matrix& matrix) override;
    GfxResult SetViewport(const Viewport& viewport) override;
    GfxResult SetMaterial(const MaterialDesc& material) override;
    GfxResult SetLight(uint32_t index, const LightDesc& light) override;
    GfxResult LightEnable(uint32_t index, bool enable) override;
    GfxResult SetRenderState(RenderState state, uint32_t value) override;
    GfxResult SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value) override;
    GfxResult SetTexture(uint32_t stage, ITexture* texture) override;
    ITexture* GetTexture(uint32_t stage) const override;
    GfxResult SetVertexShader(uint32_t fvf) override;
    GfxResult SetStreamSource(uint32_t stream, IVertexBuffer* buffer, uint32_t stride) override;
    GfxResult SetIndices(IIndexBuffer* buffer, uint32_t baseVertexIndex) override;
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

    // Called by the resources.
    void MakeCurrent();
    void Forget(GLResource* resource);
    // Uploads go through the given texture unit, which keeps the texture bound afterwards.
    void UploadTexture(GLTexture* texture, uint32_t unit);
    void UploadLevel(GLTexture* texture, uint32_t level, const Rect* rect, uint32_t unit = 0);
    void DeleteTextureName(GLuint name);
    void ReleaseVideoBytes(uint64_t bytes) { m_uVideoUsed -= std::min(m_uVideoUsed, bytes); }

private:
    struct DrawSource
    {
        const uint8_t* vertices = nullptr; // vertex 0 of the draw's numbering
        uint32_t stride = 0;
        uint32_t firstVertex = 0; // lowest vertex number used
        uint32_t vertexCount = 0; // vertices from firstVertex on
        const void* indices = nullptr;
        GLenum indexType = GL_UNSIGNED_SHORT;
        uint32_t count = 0; // vertices (non-indexed) or indices
    };

    bool MakeFramebuffers();
    void DeleteFramebuffers();
    void ResetStates();
    void InitGLState();
    void Enable(GLenum cap, bool on);
    void ActiveUnit(uint32_t unit);
    void BindUnitTexture(uint32_t unit, GLuint name);
    uint32_t Rs(RenderState s) const { return m_auRenderStates[static_cast<uint32_t>(s)]; }
    uint32_t Tss(uint32_t stage, TextureStageState s) const { return m_auStageStates[stage][static_cast<uint32_t>(s)]; }
    const Matrix& Transform(TransformType t) const { return m_aTransforms[static_cast<uint32_t>(t)]; }
    void ApplyViewport(bool pretransformed);
    void ApplyFixedState(uint32_t fvf, bool pretransformed);
    void ApplyLighting(uint32_t fvf);
    void ApplyStages(uint32_t fvf, bool pretransformed);
    void ApplySampler(uint32_t unit, GLTexture* texture);
    void ApplyCombiner(uint32_t unit);
    GfxResult Draw(PrimitiveType type, const DrawSource& source);

    SDL_Window* m_pWindow = nullptr;
    bool m_bOwnWindow = false;
    SDL_GLContext m_context = nullptr;
    uint32_t m_uUnits = 1;

    GLuint m_backFbo = 0, m_backColour = 0, m_backDepth = 0;
    GLuint m_frontFbo = 0, m_frontColour = 0;
    GLuint m_whiteTexture = 0;
    GLuint m_aSamplers[kMaxTextureStages] = {};
    bool m_bHasDepth = false, m_bHasStencil = false;

    // bindings (the rest of the device state is in DeviceBase)
    GLTexture* m_apTextures[kMaxTextureStages] = {};
    GLVertexBuffer* m_pStream = nullptr;
    uint32_t m_uStride = 0;
    GLIndexBuffer* m_pIndices = nullptr;
    uint32_t m_uBaseVertex = 0;

    // what GL has (to skip repeated calls)
    bool m_bMatricesDirty = true;
    bool m_bLightsDirty = true;
    bool m_bMaterialDirty = true;
    bool m_abCombinerDirty[kMaxTextureStages] = {};
    bool m_abSamplerDirty[kMaxTextureStages] = {};
    bool m_abUnitActive[kMaxTextureStages] = {};
    int m_iLastPretransformed = -1;
    uint32_t m_uActiveUnit = ~0u;
    GLuint m_aBoundNames[kMaxTextureStages] = {};
    GLTexture* m_apSamplerTexture[kMaxTextureStages] = {};
    std::vector<std::pair<GLenum, bool>> m_enabled;

    uint64_t m_uVideoUsed = 0;
    std::vector<GLResource*> m_resources;
    std::vector<float> m_scratchPositions;
    std::vector<float> m_scratchFog;
    std::vector<uint32_t> m_scratchIndices;
};

// ---------------------------------------------------------------- resource bodies

GLTexture::~GLTexture()
{
    if (device)
    {
        device->MakeCurrent();
        ReleaseGL();
        device->Forget(this);
    }
}

void GLTexture::ReleaseGL()
{
    if (!device)
        return;
    if (name)
        device->DeleteTextureName(name);
    name = 0;
    device->ReleaseVideoBytes(videoBytes);
    videoBytes = 0;
}

GfxResult GLTexture::LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags)
{
    if (level >= levels.size() || !locked)
        return GfxResult::InvalidCall;
    Level& l = levels[level];
    if (l.locked)
        return GfxResult::InvalidCall;
    Rect whole{0, 0, static_cast<int32_t>(l.width), static_cast<int32_t>(l.height)};
    Rect r = rect ? *rect : whole;
    size_t offset = 0;
    if (LockRectOffset(format, l.width, l.height, l.pitch, r, &offset) != GfxResult::Ok)
        return GfxResult::InvalidCall;
    if (l.bytes.empty())
    {
        try
        {
            l.bytes.assign(l.size, 0);
        }
        catch (const std::bad_alloc&)
        {
            return GfxResult::OutOfMemory;
        }
    }
    l.locked = true;
    l.readOnly = (flags & LockFlags::ReadOnly) != 0;
    l.rect = r;
    locked->pitch = static_cast<int32_t>(l.pitch);
    locked->bits = l.bytes.data() + offset;
    return GfxResult::Ok;
}

GfxResult GLTexture::UnlockRect(uint32_t level)
{
    if (level >= levels.size() || !levels[level].locked)
        return GfxResult::InvalidCall;
    Level& l = levels[level];
    l.locked = false;
    if (!l.readOnly && device && name)
        device->UploadLevel(this, level, &l.rect);
    return GfxResult::Ok;
}

template <class Interface, ResourceType kType> GLBuffer<Interface, kType>::~GLBuffer()
{
    if (device)
        device->Forget(this);
}

// ---------------------------------------------------------------- device life

GLDevice::GLDevice(uint32_t adapter, SDL_Window* window, bool ownWindow, SDL_GLContext context,
                   const PresentParams& params)
    : DeviceBase(adapter, params), m_pWindow(window), m_bOwnWindow(ownWindow), m_context(context)
{
}

GLDevice::~GLDevice()
{
    MakeCurrent();
    for (GLResource* resource : m_resources)
    {
        resource->ReleaseGL();
        resource->device = nullptr;
    }
    m_resources.clear();
    if (Gl().loaded)
    {
        DeleteFramebuffers();
        if (m_whiteTexture)
            Gl().DeleteTextures(1, &m_whiteTexture);
        if (Gl().samplers)
            Gl().DeleteSamplers(static_cast<GLsizei>(kMaxTextureStages), m_aSamplers);
    }
    SDL_GL_MakeCurrent(m_pWindow, nullptr);
    SDL_GL_DeleteContext(m_context);
    if (m_bOwnWindow)
        SDL_DestroyWindow(m_pWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GLDevice::MakeCurrent()
{
    if (SDL_GL_GetCurrentContext() != m_context)
        SDL_GL_MakeCurrent(m_pWindow, m_context);
}

bool GLDevice::Init()
{
    GLApi& gl = Gl();
    m_uUnits = static_cast<uint32_t>(std::clamp<GLint>(gl.maxTextureUnits, 1, static_cast<GLint>(kMaxTextureStages)));

    m_caps = DeviceCaps{};
    m_caps.deviceType = DeviceType::Hal;
    m_caps.adapterOrdinal = m_uAdapter;
    m_caps.canRenderWindowed = true;
    m_caps.hwTransformAndLight = true;
    m_caps.pureDevice = true;
    m_caps.textureNonLocalVidMem = true;
    m_caps.rasterAnisotropy = gl.anisotropic;
    m_caps.rasterMipMapLodBias = true;
    m_caps.rasterFogTable = true;
    m_caps.rasterFogVertex = true;
    m_caps.filterMipLinear = true;
    m_caps.filterMinAnisotropic = gl.anisotropic;
    m_caps.stencil = true;
    uint32_t maxSize = static_cast<uint32_t>(std::clamp<GLint>(gl.maxTextureSize, 256, 4096));
    m_caps.maxTextureWidth = maxSize;
    m_caps.maxTextureHeight = maxSize;
    m_caps.maxAnisotropy = static_cast<uint32_t>(std::max(1.0f, gl.maxAnisotropy));
    m_caps.maxTextureBlendStages = m_uUnits;
    m_caps.maxSimultaneousTextures = m_uUnits;
    m_caps.maxActiveLights = kMaxLights;
    m_caps.maxPrimitiveCount = 0xFFFFF;
    m_caps.maxVertexIndex = 0xFFFFFF;
    for (uint32_t op :
         {TextureOp::Disable, TextureOp::SelectArg1, TextureOp::SelectArg2, TextureOp::Modulate, TextureOp::Modulate2x,
          TextureOp::Modulate4x, TextureOp::Add, TextureOp::AddSigned, TextureOp::AddSigned2x, TextureOp::Subtract,
          TextureOp::BlendDiffuseAlpha, TextureOp::BlendTextureAlpha, TextureOp::BlendFactorAlpha,
          TextureOp::BlendCurrentAlpha, TextureOp::DotProduct3, TextureOp::Lerp})
        m_caps.textureOpCaps |= 1u << (op - 1);

    if (!MakeFramebuffers())
        return false;
    InitGLState();
    ResetStates();
    // The first frame starts black, as a fresh swap chain does.
    Gl().BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    Gl().ClearColor(0, 0, 0, 0);
    Gl().Clear(GL_COLOR_BUFFER_BIT);
    Gl().BindFramebuffer(GL_FRAMEBUFFER, m_frontFbo);
    Gl().Clear(GL_COLOR_BUFFER_BIT);
    Gl().BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    return Gl().GetError() == GL_NO_ERROR;
}

bool GLDevice::MakeFramebuffers()
{
    GLApi& gl = Gl();
    GLsizei w = static_cast<GLsizei>(m_params.backBufferWidth), h = static_cast<GLsizei>(m_params.backBufferHeight);
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return false;
    gl.GenFramebuffers(1, &m_backFbo);
    gl.GenRenderbuffers(1, &m_backColour);
    gl.BindRenderbuffer(GL_RENDERBUFFER, m_backColour);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_backColour);
    m_bHasDepth = m_params.enableAutoDepthStencil && IsDepthFormat(m_params.autoDepthStencilFormat);
    m_bHasStencil = m_bHasDepth && FormatHasStencil(m_params.autoDepthStencilFormat);
    if (m_bHasDepth)
    {
        GLenum depthFormat = GL_DEPTH24_STENCIL8;
        if (m_params.autoDepthStencilFormat == PixelFormat::D16)
            depthFormat = GL_DEPTH_COMPONENT16;
        else if (m_params.autoDepthStencilFormat == PixelFormat::D24X8 ||
                 m_params.autoDepthStencilFormat == PixelFormat::D32)
            depthFormat = GL_DEPTH_COMPONENT24;
        gl.GenRenderbuffers(1, &m_backDepth);
        gl.BindRenderbuffer(GL_RENDERBUFFER, m_backDepth);
        gl.RenderbufferStorage(GL_RENDERBUFFER, depthFormat, w, h);
        gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_backDepth);
        if (depthFormat == GL_DEPTH24_STENCIL8)
            gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_backDepth);
    }
    bool ok = gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    gl.GenFramebuffers(1, &m_frontFbo);
    gl.GenRenderbuffers(1, &m_frontColour);
    gl.BindRenderbuffer(GL_RENDERBUFFER, m_frontColour);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_frontFbo);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_frontColour);
    ok = ok && gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    return ok;
}

void GLDevice::DeleteFramebuffers()
{
    GLApi& gl = Gl();
    gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
    GLuint fbos[] = {m_backFbo, m_frontFbo};
    GLuint rbs[] = {m_backColour, m_backDepth, m_frontColour};
    gl.DeleteFramebuffers(2, fbos);
    gl.DeleteRenderbuffers(3, rbs);
    m_backFbo = m_frontFbo = m_backColour = m_backDepth = m_frontColour = 0;
}

void GLDevice::InitGLState()
{
    GLApi& gl = Gl();
    m_enabled.clear();
    gl.Disable(GL_DITHER);
    gl.FrontFace(GL_CW); // front faces turn clockwise on the screen, as the device's do
    gl.Hint(GL_FOG_HINT, GL_NICEST);
    gl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    if (gl.ProvokingVertex)
        gl.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION); // flat shading takes the first vertex's colour
    gl.LightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    gl.EnableClientState(GL_VERTEX_ARRAY);

    // A white texture stands in on stages that have none, so that their operations still run.
    gl.GenTextures(1, &m_whiteTexture);
    gl.ActiveTexture(GL_TEXTURE0);
    gl.BindTexture(GL_TEXTURE_2D, m_whiteTexture);
    const uint32_t white = 0xFFFFFFFFu;
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    if (gl.samplers)
        gl.GenSamplers(static_cast<GLsizei>(kMaxTextureStages), m_aSamplers);

    // Eye planes for camera-space positions, given with an identity modelview so they stay as they are.
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    static const GLfloat planes[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    for (uint32_t unit = 0; unit < m_uUnits; ++unit)
    {
        gl.ActiveTexture(GL_TEXTURE0 + unit);
        gl.TexGenfv(GL_S, GL_EYE_PLANE, planes[0]);
        gl.TexGenfv(GL_T, GL_EYE_PLANE, planes[1]);
        gl.TexGenfv(GL_R, GL_EYE_PLANE, planes[2]);
        gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        m_aBoundNames[unit] = unit == 0 ? m_whiteTexture : 0;
        m_apSamplerTexture[unit] = nullptr;
    }
    gl.ActiveTexture(GL_TEXTURE0);
    m_uActiveUnit = 0;
}

void GLDevice::ResetStates()
{
    ResetFixedStates();
    for (uint32_t s = 0; s < kMaxTextureStages; ++s)
    {
        m_apTextures[s] = nullptr;
        m_abCombinerDirty[s] = true;
        m_abSamplerDirty[s] = true;
    }
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    m_bMatricesDirty = m_bLightsDirty = m_bMaterialDirty = true;
    m_iLastPretransformed = -1;
}

void GLDevice::Forget(GLResource* resource)
{
    m_resources.erase(std::remove(m_resources.begin(), m_resources.end(), resource), m_resources.end());
    for (GLTexture*& t : m_apTextures)
    {
        if (t == resource)
            t = nullptr;
    }
    for (GLTexture*& t : m_apSamplerTexture)
    {
        if (t == resource)
            t = nullptr;
    }
    if (m_pStream == resource)
        m_pStream = nullptr;
    if (m_pIndices == resource)
        m_pIndices = nullptr;
    resource->device = nullptr;
}

void GLDevice::DeleteTextureName(GLuint name)
{
    for (GLuint& bound : m_aBoundNames)
    {
        if (bound == name)
            bound = ~0u; // unknown: rebind at the next draw
    }
    Gl().DeleteTextures(1, &name);
}

void GLDevice::Enable(GLenum cap, bool on)
{
    for (auto& entry : m_enabled)
    {
        if (entry.first == cap)
        {
            if (entry.second != on)
            {
                on ? Gl().Enable(cap) : Gl().Disable(cap);
                entry.second = on;
            }
            return;
        }
    }
    on ? Gl().Enable(cap) : Gl().Disable(cap);
    m_enabled.push_back({cap, on});
}

void GLDevice::ActiveUnit(uint32_t unit)
{
    if (m_uActiveUnit != unit)
    {
        Gl().ActiveTexture(GL_TEXTURE0 + unit);
        m_uActiveUnit = unit;
    }
}

void GLDevice::BindUnitTexture(uint32_t unit, GLuint name)
{
    ActiveUnit(unit);
    if (m_aBoundNames[unit] != name)
    {
        Gl().BindTexture(GL_TEXTURE_2D, name);
        m_aBoundNames[unit] = name;
    }
}

// ---------------------------------------------------------------- status and resources

GfxResult GLDevice::TestCooperativeLevel()
{
    // A GL context is not taken away by mode switches: the device is never lost.
    return GfxResult::Ok;
}

GfxResult GLDevice::Reset(const PresentParams& params)
{
    MakeCurrent();
    for (const GLResource* r : m_resources)
    {
        if (r->pool == Pool::Default)
            return GfxResult::InvalidCall;
    }
    PresentParams next = params;
    if (next.backBufferFormat == PixelFormat::Unknown)
        next.backBufferFormat = PixelFormat::X8R8G8B8;
    if (next.backBufferWidth == 0 || next.backBufferHeight == 0)
        return GfxResult::InvalidCall;
    next.deviceWindow = m_params.deviceWindow;
    PresentParams old = m_params;
    DeleteFramebuffers();
    m_params = next;
    if (!MakeFramebuffers())
    {
        DeleteFramebuffers();
        m_params = old;
        MakeFramebuffers();
        return GfxResult::NotAvailable;
    }
    InitGLState();
    ResetStates();
    return GfxResult::Ok;
}

GfxResult GLDevice::GetDisplayMode(DisplayMode* mode) const
{
    if (!mode)
        return GfxResult::InvalidCall;
    if (!m_params.windowed)
    {
        *mode = {m_params.backBufferWidth, m_params.backBufferHeight, m_params.fullScreenRefreshRate,
                 m_params.backBufferFormat};
        return GfxResult::Ok;
    }
    SDL_DisplayMode desktop;
    int display = std::max(0, SDL_GetWindowDisplayIndex(m_pWindow));
    if (SDL_GetDesktopDisplayMode(display, &desktop) != 0)
        return GfxResult::NotAvailable;
    *mode = {static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h),
             static_cast<uint32_t>(desktop.refresh_rate), PixelFormat::X8R8G8B8};
    return GfxResult::Ok;
}

uint32_t GLDevice::GetAvailableTextureMem() const
{
    return static_cast<uint32_t>(kDefaultPoolBudget - std::min(kDefaultPoolBudget, m_uVideoUsed));
}

GfxResult GLDevice::ValidateDevice(uint32_t* passes)
{
    if (passes)
        *passes = 1;
    // Every operation the combiners cannot do exactly is still drawn approximately; one pass always.
    for (uint32_t s = 0; s < kMaxTextureStages; ++s)
    {
        uint32_t op = Tss(s, TextureStageState::ColourOp);
        if (op == TextureOp::Disable)
            break;
        if (s >= m_uUnits)
            return GfxResult::NotAvailable; // more stages than texture units
    }
    return GfxResult::Ok;
}

bool GLDevice::IsTextureFormatSupported(PixelFormat format) const
{
    switch (format)
    {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
    case PixelFormat::R8G8B8:
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    case PixelFormat::A8:
    case PixelFormat::DXT1:
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        return true;
    default:
        return false;
    }
}

GfxResult GLDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, PixelFormat format,
                                  Pool pool, TexturePtr* texture)
{
    if (!texture)
        return GfxResult::InvalidCall;
    texture->reset();
    if (width == 0 || height == 0 || !IsTextureFormatSupported(format))
        return width == 0 || height == 0 ? GfxResult::InvalidCall : GfxResult::NotAvailable;
    bool bindable = pool == Pool::Default || pool == Pool::Managed;
    if (bindable && (width > m_caps.maxTextureWidth || height > m_caps.maxTextureHeight))
        return GfxResult::InvalidCall;
    uint32_t full = FullMipChainLevels(width, height);
    if (levels == 0 || levels > full)
        levels = full;
    auto made = std::make_unique<GLTexture>();
    made->type = ResourceType::Texture;
    made->pool = pool;
    made->usage = usage;
    made->format = format;
    uint64_t total = 0;
    uint32_t w = width, h = height;
    try
    {
        for (uint32_t i = 0; i < levels; ++i)
        {
            GLTexture::Level level;
            level.width = w;
            level.height = h;
            level.pitch = FormatRowPitch(format, w);
            level.size = FormatLevelSize(format, w, h); // memory comes at the first lock
            total += level.size;
            made->levels.push_back(std::move(level));
            w = std::max(1u, w / 2);
            h = std::max(1u, h / 2);
        }
    }
    catch (const std::bad_alloc&)
    {
        return GfxResult::OutOfMemory;
    }
    if (pool == Pool::Default)
    {
        if (m_uVideoUsed + total > kDefaultPoolBudget)
            return GfxResult::OutOfVideoMemory;
        m_uVideoUsed += total;
        made->videoBytes = total;
    }
    made->device = this;
    m_resources.push_back(made.get());
    *texture = std::move(made);
    return GfxResult::Ok;
}

GfxResult GLDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                       VertexBufferPtr* buffer)
{
    if (!buffer)
        return GfxResult::InvalidCall;
    buffer->reset();
    if (length == 0)
        return GfxResult::InvalidCall;
    auto made = std::make_unique<GLVertexBuffer>();
    made->type = ResourceType::VertexBuffer;
    made->pool = pool;
    made->usage = usage;
    made->fvf = fvf;
    try
    {
        made->data.bytes.assign(length, 0);
    }
    catch (const std::bad_alloc&)
    {
        return GfxResult::OutOfMemory;
    }
    made->device = this;
    m_resources.push_back(made.get());
    *buffer = std::move(made);
    return GfxResult::Ok;
}

GfxResult GLDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, PixelFormat format, Pool pool,
                                      IndexBufferPtr* buffer)
{
    if (!buffer)
        return GfxResult::InvalidCall;
    buffer->reset();
    if (length == 0 || (format != PixelFormat::Index16 && format != PixelFormat::Index32))
        return GfxResult::InvalidCall;
    auto made = std::make_unique<GLIndexBuffer>();
    made->type = ResourceType::IndexBuffer;
    made->pool = pool;
    made->usage = usage;
    made->format = format;
    try
    {
        made->data.bytes.assign(length, 0);
    }
    catch (const std::bad_alloc&)
    {
        return GfxResult::OutOfMemory;
    }
    made->device = this;
    m_resources.push_back(made.get());
    *buffer = std::move(made);
    return GfxResult::Ok;
}

void GLDevice::UploadTexture(GLTexture* texture, uint32_t unit)
{
    GLApi& gl = Gl();
    gl.GenTextures(1, &texture->name);
    BindUnitTexture(unit, texture->name);
    m_apSamplerTexture[unit] = nullptr;
    m_abSamplerDirty[unit] = true;
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(texture->levels.size()) - 1);
    for (uint32_t level = 0; level < texture->levels.size(); ++level)
    {
        GLTexture::Level& l = texture->levels[level];
        if (l.bytes.empty())
            l.bytes.assign(l.size, 0);
        UploadLevel(texture, level, nullptr, unit);
    }
}

void GLDevice::UploadLevel(GLTexture* texture, uint32_t level, const Rect* rect, uint32_t unit)
{
    MakeCurrent();
    GLApi& gl = Gl();
    const GLTexture::Level& l = texture->levels[level];
    GlFormat g = GlFormatOf(texture->format);
    BindUnitTexture(unit, texture->name);
    GLsizei w = static_cast<GLsizei>(l.width), h = static_cast<GLsizei>(l.height);
    bool whole = !rect || (rect->left == 0 && rect->top == 0 && rect->right == w && rect->bottom == h);
    if (g.compressed)
    {
        gl.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLenum>(g.internal), w, h, 0,
                                static_cast<GLsizei>(l.bytes.size()), l.bytes.data());
        return;
    }
    if (g.decode)
    {
        std::vector<uint32_t> argb(static_cast<size_t>(l.width) * l.height);
        DecodePixels(texture->format, l.bytes.data(), l.pitch, l.width, l.height, argb.data());
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), g.internal, w, h, 0, g.format, g.type, argb.data());
        return;
    }
    if (whole || !texture->name)
    {
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), g.internal, w, h, 0, g.format, g.type, l.bytes.data());
        return;
    }
    uint32_t bpp = FormatBitsPerPixel(texture->format) / 8;
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(l.pitch / bpp));
    const uint8_t* start = l.bytes.data() + static_cast<size_t>(rect->top) * l.pitch + rect->left * bpp;
    gl.TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), rect->left, rect->top, rect->right - rect->left,
                     rect->bottom - rect->top, g.format, g.type, start);
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

// ---------------------------------------------------------------- frame

GfxResult GLDevice::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float z, uint32_t stencil)
{
    MakeCurrent();
    GLApi& gl = Gl();
    if ((flags & ClearFlags::ZBuffer) && !m_bHasDepth)
        return GfxResult::InvalidCall;
    if ((flags & ClearFlags::Stencil) && !m_bHasStencil)
        return GfxResult::InvalidCall;
    GLbitfield mask = 0;
    if (flags & ClearFlags::Target)
    {
        mask |= GL_COLOR_BUFFER_BIT;
        gl.ClearColor(((colour >> 16) & 255) / 255.0f, ((colour >> 8) & 255) / 255.0f, (colour & 255) / 255.0f,
                      (colour >> 24) / 255.0f);
        gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    if (flags & ClearFlags::ZBuffer)
    {
        mask |= GL_DEPTH_BUFFER_BIT;
        gl.ClearDepth(std::clamp(z, 0.0f, 1.0f));
        gl.DepthMask(GL_TRUE);
    }
    if (flags & ClearFlags::Stencil)
    {
        mask |= GL_STENCIL_BUFFER_BIT;
        gl.ClearStencil(static_cast<GLint>(stencil));
        gl.StencilMask(0xFFFFFFFFu);
    }
    if (!mask)
        return GfxResult::Ok;
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    Enable(GL_SCISSOR_TEST, true);
    int32_t height = static_cast<int32_t>(m_params.backBufferHeight);
    Rect view{static_cast<int32_t>(m_viewport.X), static_cast<int32_t>(m_viewport.Y),
              static_cast<int32_t>(m_viewport.X + m_viewport.Width),
              static_cast<int32_t>(m_viewport.Y + m_viewport.Height)};
    uint32_t n = rects && count ? count : 1;
    for (uint32_t i = 0; i < n; ++i)
    {
        Rect r = rects && count ? rects[i] : view;
        Rect c{std::max(r.left, view.left), std::max(r.top, view.top), std::min(r.right, view.right),
               std::min(r.bottom, view.bottom)};
        if (c.left >= c.right || c.top >= c.bottom)
            continue;
        gl.Scissor(c.left, height - c.bottom, c.right - c.left, c.bottom - c.top);
        gl.Clear(mask);
    }
    Enable(GL_SCISSOR_TEST, false);
    // The write masks come back from the device state at the next draw.
    uint32_t write = Rs(RenderState::ColourWriteEnable);
    gl.ColorMask((write & ColourWrite::Red) != 0, (write & ColourWrite::Green) != 0, (write & ColourWrite::Blue) != 0,
                 (write & ColourWrite::Alpha) != 0);
    gl.DepthMask(Rs(RenderState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
    gl.StencilMask(Rs(RenderState::StencilWriteMask));
    return GfxResult::Ok;
}

GfxResult GLDevice::Present()
{
    MakeCurrent();
    if (m_bInScene)
        return GfxResult::InvalidCall;
    GLApi& gl = Gl();
    GLint w = static_cast<GLint>(m_params.backBufferWidth), h = static_cast<GLint>(m_params.backBufferHeight);
    Enable(GL_SCISSOR_TEST, false);
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, m_backFbo);
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, m_frontFbo);
    gl.BlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (!m_bOwnWindow)
    {
        int ww = 0, wh = 0;
        SDL_GL_GetDrawableSize(m_pWindow, &ww, &wh);
        gl.BindFramebuffer(GL_READ_FRAMEBUFFER, m_frontFbo);
        gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        if (ww > 0 && wh > 0)
            gl.BlitFramebuffer(0, 0, w, h, 0, 0, ww, wh, GL_COLOR_BUFFER_BIT,
                               ww == w && wh == h ? GL_NEAREST : GL_LINEAR);
        SDL_GL_SwapWindow(m_pWindow);
    }
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    return GfxResult::Ok;
}

// ---------------------------------------------------------------- state

GfxResult GLDevice::SetTransform(TransformType type, const Matrix& matrix)
{
    if (type >= TransformType::Count)
        return GfxResult::InvalidCall;
    m_aTransforms[static_cast<uint32_t>(type)] = matrix;
    if (type >= TransformType::Texture0)
        m_abCombinerDirty[static_cast<uint32_t>(type) - static_cast<uint32_t>(TransformType::Texture0)] = true;
    else
    {
        m_bMatricesDirty = true;
        if (type == TransformType::View)
            m_bLightsDirty = true;
    }
    return GfxResult::Ok;
}

GfxResult GLDevice::SetViewport(const Viewport& viewport)
{
    if (viewport.Width == 0 || viewport.Height == 0 || viewport.X + viewport.Width > m_params.backBufferWidth ||
        viewport.Y + viewport.Height > m_params.backBufferHeight || viewport.MinZ < 0.0f || viewport.MaxZ > 1.0f)
    {
        return GfxResult::InvalidCall;
    }
    m_viewport = viewport;
    m_bMatricesDirty = true;
    m_iLastPretransformed = -1;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetMaterial(const MaterialDesc& material)
{
    m_material = material;
    m_bMaterialDirty = true;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetLight(uint32_t index, const LightDesc& light)
{
    if (index >= kMaxLights)
        return GfxResult::InvalidCall;
    m_aLights[index] = light;
    m_bLightsDirty = true;
    return GfxResult::Ok;
}

GfxResult GLDevice::LightEnable(uint32_t index, bool enable)
{
    if (index >= kMaxLights)
        return GfxResult::InvalidCall;
    m_abLightEnabled[index] = enable;
    m_bLightsDirty = true;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetRenderState(RenderState state, uint32_t value)
{
    if (state >= RenderState::Count)
        return GfxResult::InvalidCall;
    m_auRenderStates[static_cast<uint32_t>(state)] = value;
    switch (state)
    {
    case RenderState::TextureFactor:
        for (bool& dirty : m_abCombinerDirty)
            dirty = true;
        break;
    case RenderState::Ambient:
    case RenderState::SpecularEnable:
    case RenderState::DiffuseMaterialSource:
    case RenderState::AmbientMaterialSource:
    case RenderState::SpecularMaterialSource:
    case RenderState::EmissiveMaterialSource:
    case RenderState::ColourVertex:
        m_bMaterialDirty = true;
        break;
    default:
        break;
    }
    return GfxResult::Ok;
}

GfxResult GLDevice::SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value)
{
    if (stage >= kMaxTextureStages || state >= TextureStageState::Count)
        return GfxResult::InvalidCall;
    m_auStageStates[stage][static_cast<uint32_t>(state)] = value;
    switch (state)
    {
    case TextureStageState::AddressU:
    case TextureStageState::AddressV:
    case TextureStageState::AddressW:
    case TextureStageState::BorderColour:
    case TextureStageState::MagFilter:
    case TextureStageState::MinFilter:
    case TextureStageState::MipFilter:
    case TextureStageState::MipMapLodBias:
    case TextureStageState::MaxMipLevel:
    case TextureStageState::MaxAnisotropy:
        m_abSamplerDirty[stage] = true;
        break;
    default:
        m_abCombinerDirty[stage] = true;
        break;
    }
    return GfxResult::Ok;
}

GfxResult GLDevice::SetTexture(uint32_t stage, ITexture* texture)
{
    if (stage >= kMaxTextureStages)
        return GfxResult::InvalidCall;
    GLTexture* own = nullptr;
    if (texture)
    {
        own = dynamic_cast<GLTexture*>(texture);
        if (!own || own->device != this || (own->pool != Pool::Default && own->pool != Pool::Managed))
            return GfxResult::InvalidCall;
    }
    m_apTextures[stage] = own;
    return GfxResult::Ok;
}

ITexture* GLDevice::GetTexture(uint32_t stage) const
{
    return stage < kMaxTextureStages ? m_apTextures[stage] : nullptr;
}

GfxResult GLDevice::SetVertexShader(uint32_t fvf)
{
    if (FvfVertexSize(fvf) == 0)
        return GfxResult::InvalidCall;
    m_uFvf = fvf;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetStreamSource(uint32_t stream, IVertexBuffer* buffer, uint32_t stride)
{
    if (stream != 0)
        return GfxResult::InvalidCall;
    GLVertexBuffer* own = nullptr;
    if (buffer)
    {
        own = dynamic_cast<GLVertexBuffer*>(buffer);
        if (!own || own->device != this)
            return GfxResult::InvalidCall;
    }
    m_pStream = own;
    m_uStride = stride;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetIndices(IIndexBuffer* buffer, uint32_t baseVertexIndex)
{
    GLIndexBuffer* own = nullptr;
    if (buffer)
    {
        own = dynamic_cast<GLIndexBuffer*>(buffer);
        if (!own || own->device != this)
            return GfxResult::InvalidCall;
    }
    m_pIndices = own;
    m_uBaseVertex = baseVertexIndex;
    return GfxResult::Ok;
}

// ---------------------------------------------------------------- applying state to GL

void GLDevice::ApplyViewport(bool pretransformed)
{
    GLApi& gl = Gl();
    GLint height = static_cast<GLint>(m_params.backBufferHeight);
    if (pretransformed)
    {
        // Screen-space vertices are placed by their own coordinates over the whole target.
        gl.Viewport(0, 0, static_cast<GLsizei>(m_params.backBufferWidth), height);
        gl.DepthRange(0.0, 1.0);
        gl.MatrixMode(GL_PROJECTION);
        gl.LoadIdentity();
        gl.MatrixMode(GL_MODELVIEW);
        gl.LoadIdentity();
        m_bMatricesDirty = true;
        m_bLightsDirty = true;
        return;
    }
    gl.Viewport(static_cast<GLint>(m_viewport.X), height - static_cast<GLint>(m_viewport.Y + m_viewport.Height),
                static_cast<GLsizei>(m_viewport.Width), static_cast<GLsizei>(m_viewport.Height));
    gl.DepthRange(m_viewport.MinZ, m_viewport.MaxZ);
}

void GLDevice::ApplyFixedState(uint32_t fvf, bool pretransformed)
{
    GLApi& gl = Gl();
    if (m_iLastPretransformed != static_cast<int>(pretransformed))
    {
        ApplyViewport(pretransformed);
        m_iLastPretransformed = pretransformed;
        for (bool& dirty : m_abCombinerDirty)
            dirty = true;
    }

    if (!pretransformed && m_bMatricesDirty)
    {
        // Projection: the device's projection after the z flip, then depth 0..1 to -1..1 and the half-pixel
        // shift that puts pixel centres on integer screen coordinates.
        Matrix fix = MatrixIdentity();
        fix.m[2][2] = 2.0f;
        fix.m[3][2] = -1.0f;
        fix.m[3][0] = 1.0f / static_cast<float>(m_viewport.Width);
        fix.m[3][1] = -1.0f / static_cast<float>(m_viewport.Height);
        Matrix projection = FlipZ() * Transform(TransformType::Projection) * fix;
        gl.MatrixMode(GL_PROJECTION);
        gl.LoadMatrixf(projection.Data());
        gl.MatrixMode(GL_MODELVIEW);
        Matrix modelView = Transform(TransformType::World) * Transform(TransformType::View) * FlipZ();
        gl.LoadMatrixf(modelView.Data());
        m_bMatricesDirty = false;
        m_bLightsDirty = true;
    }

    // depth and stencil
    Enable(GL_DEPTH_TEST, m_bHasDepth && Rs(RenderState::ZEnable) != 0);
    gl.DepthFunc(GlCompare(Rs(RenderState::ZFunc)));
    gl.DepthMask(Rs(RenderState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
    uint32_t bias = Rs(RenderState::ZBias);
    Enable(GL_POLYGON_OFFSET_FILL, bias != 0);
    if (bias)
        gl.PolygonOffset(0.0f, -static_cast<float>(bias));
    Enable(GL_STENCIL_TEST, m_bHasStencil && Rs(RenderState::StencilEnable) != 0);
    if (m_bHasStencil && Rs(RenderState::StencilEnable))
    {
        gl.StencilFunc(GlCompare(Rs(RenderState::StencilFunc)), static_cast<GLint>(Rs(RenderState::StencilRef)),
                       Rs(RenderState::StencilMask));
        gl.StencilOp(GlStencilOp(Rs(RenderState::StencilFail)), GlStencilOp(Rs(RenderState::StencilZFail)),
                     GlStencilOp(Rs(RenderState::StencilPass)));
        gl.StencilMask(Rs(RenderState::StencilWriteMask));
    }

    // alpha test and blending
    Enable(GL_ALPHA_TEST, Rs(RenderState::AlphaTestEnable) != 0);
    if (Rs(RenderState::AlphaTestEnable))
        gl.AlphaFunc(GlCompare(Rs(RenderState::AlphaFunc)),
                     static_cast<float>(Rs(RenderState::AlphaRef) & 255) / 255.0f);
    Enable(GL_BLEND, Rs(RenderState::AlphaBlendEnable) != 0);
    if (Rs(RenderState::AlphaBlendEnable))
    {
        uint32_t src = Rs(RenderState::SrcBlend), dst = Rs(RenderState::DestBlend);
        gl.BlendFunc(GlBlend(src), GlBlend(dst));
        gl.BlendEquation(GlBlendOp(Rs(RenderState::BlendOp)));
    }
    uint32_t write = Rs(RenderState::ColourWriteEnable);
    gl.ColorMask((write & ColourWrite::Red) != 0, (write & ColourWrite::Green) != 0, (write & ColourWrite::Blue) != 0,
                 (write & ColourWrite::Alpha) != 0);

    // rasterisation
    uint32_t cull = Rs(RenderState::CullMode);
    Enable(GL_CULL_FACE, cull == CullMode::CW || cull == CullMode::CCW);
    if (cull == CullMode::CW || cull == CullMode::CCW)
        gl.CullFace(cull == CullMode::CCW ? GL_BACK : GL_FRONT);
    uint32_t fill = Rs(RenderState::FillMode);
    gl.PolygonMode(GL_FRONT_AND_BACK, fill == FillMode::Point       ? GL_POINT
                                      : fill == FillMode::Wireframe ? GL_LINE
                                                                    : GL_FILL);
    gl.ShadeModel(Rs(RenderState::ShadeMode) == ShadeMode::Flat ? GL_FLAT : GL_SMOOTH);
    gl.PointSize(std::max(1.0f, BitsFloat(Rs(RenderState::PointSize))));

    // fog: by eye depth for transformed vertices; screen-space vertices take it from their specular alpha
    uint32_t table = Rs(RenderState::FogTableMode), vertex = Rs(RenderState::FogVertexMode);
    uint32_t mode = table != FogMode::None ? table : vertex;
    bool fog = Rs(RenderState::FogEnable) && mode != FogMode::None;
    if (pretransformed)
        fog = Rs(RenderState::FogEnable) && (fvf & Fvf::Specular) && table == FogMode::None;
    Enable(GL_FOG, fog);
    if (fog)
    {
        uint32_t c = Rs(RenderState::FogColour);
        GLfloat colour[4] = {((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f, 1.0f};
        gl.Fogfv(GL_FOG_COLOR, colour);
        if (pretransformed)
        {
            gl.Fogi(GL_FOG_COORD_SRC, GL_FOG_COORD);
            gl.Fogi(GL_FOG_MODE, GL_LINEAR);
            gl.Fogf(GL_FOG_START, 1.0f); // factor = coordinate
            gl.Fogf(GL_FOG_END, 0.0f);
        }
        else
        {
            gl.Fogi(GL_FOG_COORD_SRC, GL_FRAGMENT_DEPTH);
            gl.Fogi(GL_FOG_MODE, mode == FogMode::Exp ? GL_EXP : mode == FogMode::Exp2 ? GL_EXP2 : GL_LINEAR);
            gl.Fogf(GL_FOG_START, BitsFloat(Rs(RenderState::FogStart)));
            gl.Fogf(GL_FOG_END, BitsFloat(Rs(RenderState::FogEnd)));
            gl.Fogf(GL_FOG_DENSITY, BitsFloat(Rs(RenderState::FogDensity)));
        }
    }

    // lighting (never for screen-space vertices)
    bool lighting = !pretransformed && Rs(RenderState::Lighting) != 0;
    Enable(GL_LIGHTING, lighting);
    if (lighting)
        ApplyLighting(fvf);
    else
        Enable(GL_COLOR_MATERIAL, false);
    Enable(GL_COLOR_SUM, !lighting && Rs(RenderState::SpecularEnable) && (fvf & Fvf::Specular));
}

void GLDevice::ApplyLighting(uint32_t fvf)
{
    GLApi& gl = Gl();
    if (m_bLightsDirty)
    {
        // Light directions are in world space: give them with the view transform loaded.
        gl.MatrixMode(GL_MODELVIEW);
        Matrix view = Transform(TransformType::View) * FlipZ();
        gl.LoadMatrixf(view.Data());
        for (uint32_t i = 0; i < kMaxLights; ++i)
        {
            GLenum light = GL_LIGHT0 + i;
            Enable(light, m_abLightEnabled[i]);
            if (!m_abLightEnabled[i])
                continue;
            const LightDesc& l = m_aLights[i];
            GLfloat diffuse[4] = {l.diffuse.r, l.diffuse.g, l.diffuse.b, l.diffuse.a};
            GLfloat specular[4] = {l.specular.r, l.specular.g, l.specular.b, l.specular.a};
            GLfloat ambient[4] = {l.ambient.r, l.ambient.g, l.ambient.b, l.ambient.a};
            gl.Lightfv(light, GL_DIFFUSE, diffuse);
            gl.Lightfv(light, GL_SPECULAR, specular);
            gl.Lightfv(light, GL_AMBIENT, ambient);
            if (l.type == LightType::Directional)
            {
                GLfloat towards[4] = {-l.direction.x, -l.direction.y, -l.direction.z, 0.0f};
                gl.Lightfv(light, GL_POSITION, towards);
                gl.Lightf(light, GL_SPOT_CUTOFF, 180.0f);
                gl.Lightf(light, GL_CONSTANT_ATTENUATION, 1.0f);
                gl.Lightf(light, GL_LINEAR_ATTENUATION, 0.0f);
                gl.Lightf(light, GL_QUADRATIC_ATTENUATION, 0.0f);
            }
            else
            {
                GLfloat position[4] = {l.position.x, l.position.y, l.position.z, 1.0f};
                gl.Lightfv(light, GL_POSITION, position);
                gl.Lightf(light, GL_CONSTANT_ATTENUATION, l.attenuation0);
                gl.Lightf(light, GL_LINEAR_ATTENUATION, l.attenuation1);
                gl.Lightf(light, GL_QUADRATIC_ATTENUATION, l.attenuation2);
                if (l.type == LightType::Spot)
                {
                    GLfloat direction[3] = {l.direction.x, l.direction.y, l.direction.z};
                    gl.Lightfv(light, GL_SPOT_DIRECTION, direction);
                    gl.Lightf(light, GL_SPOT_CUTOFF, std::clamp(l.phi * 0.5f * 57.29578f, 0.0f, 90.0f));
                    gl.Lightf(light, GL_SPOT_EXPONENT, std::clamp(l.falloff, 0.0f, 128.0f));
                }
                else
                {
                    gl.Lightf(light, GL_SPOT_CUTOFF, 180.0f);
                }
            }
        }
        Matrix modelView = Transform(TransformType::World) * Transform(TransformType::View) * FlipZ();
        gl.LoadMatrixf(modelView.Data());
        m_bLightsDirty = false;
    }

    gl.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, Rs(RenderState::LocalViewer) ? GL_TRUE : GL_FALSE);
    gl.LightModeli(GL_LIGHT_MODEL_COLOR_CONTROL,
                   Rs(RenderState::SpecularEnable) ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);
    Enable(GL_NORMALIZE, Rs(RenderState::NormalizeNormals) != 0);

    // Vertex colours feed the material only where the layout has them.
    bool colourVertex = Rs(RenderState::ColourVertex) != 0;
    auto fromVertex = [&](RenderState source)
    {
        uint32_t s = Rs(source);
        return colourVertex && ((s == MaterialSource::Colour1 && (fvf & Fvf::Diffuse)) ||
                                (s == MaterialSource::Colour2 && (fvf & Fvf::Specular)));
    };
    bool diffuse = fromVertex(RenderState::DiffuseMaterialSource);
    bool ambient = fromVertex(RenderState::AmbientMaterialSource);
    bool emissive = fromVertex(RenderState::EmissiveMaterialSource);
    bool specular = fromVertex(RenderState::SpecularMaterialSource);
    GLenum tracked = 0;
    if (diffuse && ambient)
        tracked = GL_AMBIENT_AND_DIFFUSE;
    else if (diffuse)
        tracked = GL_DIFFUSE;
    else if (ambient)
        tracked = GL_AMBIENT;
    else if (emissive)
        tracked = GL_EMISSION;
    else if (specular)
        tracked = GL_SPECULAR;
    // The material is written before colour tracking starts, so the tracked part follows the vertices.
    Enable(GL_COLOR_MATERIAL, false);
    const MaterialDesc& m = m_material;
    bool specularOn = Rs(RenderState::SpecularEnable) != 0;
    GLfloat md[4] = {m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a};
    GLfloat ma[4] = {m.ambient.r, m.ambient.g, m.ambient.b, m.ambient.a};
    GLfloat ms[4] = {specularOn ? m.specular.r : 0.0f, specularOn ? m.specular.g : 0.0f,
                     specularOn ? m.specular.b : 0.0f, m.specular.a};
    GLfloat me[4] = {m.emissive.r, m.emissive.g, m.emissive.b, m.emissive.a};
    gl.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, md);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ma);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, ms);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_EMISSION, me);
    gl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.power, 0.0f, 128.0f));
    uint32_t a = Rs(RenderState::Ambient);
    GLfloat global[4] = {((a >> 16) & 255) / 255.0f, ((a >> 8) & 255) / 255.0f, (a & 255) / 255.0f, 1.0f};
    gl.LightModelfv(GL_LIGHT_MODEL_AMBIENT, global);
    if (tracked)
    {
        gl.ColorMaterial(GL_FRONT_AND_BACK, tracked);
        Enable(GL_COLOR_MATERIAL, true);
    }
    m_bMaterialDirty = false;
}

void GLDevice::ApplySampler(uint32_t unit, GLTexture* texture)
{
    GLApi& gl = Gl();
    bool hasMips = texture && texture->levels.size() > 1;
    GLenum minFilter =
        GlMinFilter(Tss(unit, TextureStageState::MinFilter), Tss(unit, TextureStageState::MipFilter), hasMips);
    GLenum magFilter = Tss(unit, TextureStageState::MagFilter) == TextureFilter::Point ? GL_NEAREST : GL_LINEAR;
    uint32_t b = Tss(unit, TextureStageState::BorderColour);
    GLfloat border[4] = {((b >> 16) & 255) / 255.0f, ((b >> 8) & 255) / 255.0f, (b & 255) / 255.0f, (b >> 24) / 255.0f};
    GLenum wrapS = GlAddress(Tss(unit, TextureStageState::AddressU));
    GLenum wrapT = GlAddress(Tss(unit, TextureStageState::AddressV));
    float bias = BitsFloat(Tss(unit, TextureStageState::MipMapLodBias));
    float minLod = static_cast<float>(Tss(unit, TextureStageState::MaxMipLevel));
    float aniso = std::clamp(static_cast<float>(Tss(unit, TextureStageState::MaxAnisotropy)), 1.0f, gl.maxAnisotropy);
    if (Tss(unit, TextureStageState::MinFilter) != TextureFilter::Anisotropic)
        aniso = 1.0f;
    if (gl.samplers)
    {
        GLuint s = m_aSamplers[unit];
        gl.SamplerParameteri(s, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        gl.SamplerParameteri(s, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
        gl.SamplerParameteri(s, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapS));
        gl.SamplerParameteri(s, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapT));
        gl.SamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, border);
        gl.SamplerParameterf(s, GL_TEXTURE_LOD_BIAS, bias);
        gl.SamplerParameterf(s, GL_TEXTURE_MIN_LOD, minLod);
        if (gl.anisotropic)
            gl.SamplerParameterf(s, GL_TEXTURE_MAX_ANISOTROPY, aniso);
        gl.BindSampler(unit, s);
        return;
    }
    ActiveUnit(unit);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapS));
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapT));
    gl.TexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_LOD_BIAS, bias);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, minLod);
    if (gl.anisotropic)
        gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY, aniso);
}

// One combiner source: where an argument comes from and which part of it is used.
void CombinerSource(uint32_t arg, bool alpha, GLenum* source, GLenum* operand)
{
    switch (arg & TextureArg::SelectMask)
    {
    case TextureArg::Diffuse:
    case TextureArg::Specular:
        *source = GL_PRIMARY_COLOR;
        break;
    case TextureArg::Texture:
        *source = GL_TEXTURE;
        break;
    case TextureArg::TFactor:
        *source = GL_CONSTANT;
        break;
    default:
        *source = GL_PREVIOUS;
        break;
    }
    bool complement = (arg & TextureArg::Complement) != 0;
    if (alpha || (arg & TextureArg::AlphaReplicate))
        *operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    else
        *operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// Sets the colour (alpha = false) or alpha combiner of the active unit for one operation.
void SetCombiner(uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t arg0, bool alpha)
{
    GLApi& gl = Gl();
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum sources[3] = {alpha ? GLenum(GL_SRC0_ALPHA) : GLenum(GL_SRC0_RGB),
                               alpha ? GLenum(GL_SRC1_ALPHA) : GLenum(GL_SRC1_RGB),
                               alpha ? GLenum(GL_SRC2_ALPHA) : GLenum(GL_SRC2_RGB)};
    const GLenum operands[3] = {alpha ? GLenum(GL_OPERAND0_ALPHA) : GLenum(GL_OPERAND0_RGB),
                                alpha ? GLenum(GL_OPERAND1_ALPHA) : GLenum(GL_OPERAND1_RGB),
                                alpha ? GLenum(GL_OPERAND2_ALPHA) : GLenum(GL_OPERAND2_RGB)};
    const GLenum scaleName = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    GLenum mode = GL_MODULATE;
    float scale = 1.0f;
    uint32_t args[3] = {arg1, arg2, arg0};
    // A third source for the blending operations: an alpha that weights arg1 against arg2.
    int blendSource = -1;
    switch (op)
    {
    case TextureOp::SelectArg1:
        mode = GL_REPLACE;
        break;
    case TextureOp::SelectArg2:
        mode = GL_REPLACE;
        args[0] = arg2;
        break;
    case TextureOp::Modulate:
        break;
    case TextureOp::Modulate2x:
        scale = 2.0f;
        break;
    case TextureOp::Modulate4x:
        scale = 4.0f;
        break;
    case TextureOp::Add:
    case TextureOp::AddSmooth:
    case TextureOp::ModulateAlphaAddColour:
    case TextureOp::ModulateColourAddAlpha:
    case TextureOp::ModulateInvAlphaAddColour:
    case TextureOp::ModulateInvColourAddAlpha:
        mode = GL_ADD;
        break;
    case TextureOp::AddSigned:
        mode = GL_ADD_SIGNED;
        break;
    case TextureOp::AddSigned2x:
        mode = GL_ADD_SIGNED;
        scale = 2.0f;
        break;
    case TextureOp::Subtract:
        mode = GL_SUBTRACT;
        break;
    case TextureOp::BlendDiffuseAlpha:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::Diffuse;
        break;
    case TextureOp::BlendTextureAlpha:
    case TextureOp::BlendTextureAlphaPM:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::Texture;
        break;
    case TextureOp::BlendFactorAlpha:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::TFactor;
        break;
    case TextureOp::BlendCurrentAlpha:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::Current;
        break;
    case TextureOp::DotProduct3:
        mode = alpha ? GL_MODULATE : GL_DOT3_RGBA;
        break;
    case TextureOp::Lerp:
        mode = GL_INTERPOLATE;
        break;
    default: // Disable (of alpha only), Premodulate, bump mapping, MultiplyAdd: pass the current value on
        mode = GL_REPLACE;
        args[0] = TextureArg::Current;
        break;
    }
    if (blendSource >= 0)
        args[2] = static_cast<uint32_t>(blendSource) | TextureArg::AlphaReplicate;
    gl.TexEnvi(GL_TEXTURE_ENV, combine, static_cast<GLint>(mode));
    int used = mode == GL_REPLACE ? 1 : mode == GL_INTERPOLATE ? 3 : 2;
    for (int i = 0; i < used; ++i)
    {
        GLenum source, operand;
        CombinerSource(args[i], alpha, &source, &operand);
        if (mode == GL_INTERPOLATE && i == 2 && op != TextureOp::Lerp)
            operand = GL_SRC_ALPHA;
        gl.TexEnvi(GL_TEXTURE_ENV, sources[i], static_cast<GLint>(source));
        gl.TexEnvi(GL_TEXTURE_ENV, operands[i], static_cast<GLint>(operand));
    }
    gl.TexEnvf(GL_TEXTURE_ENV, scaleName, scale);
}

void GLDevice::ApplyCombiner(uint32_t unit)
{
    GLApi& gl = Gl();
    uint32_t colourOp = Tss(unit, TextureStageState::ColourOp);
    uint32_t alphaOp = Tss(unit, TextureStageState::AlphaOp);
    SetCombiner(colourOp, Tss(unit, TextureStageState::ColourArg1), Tss(unit, TextureStageState::ColourArg2),
                Tss(unit, TextureStageState::ColourArg0), false);
    SetCombiner(alphaOp, Tss(unit, TextureStageState::AlphaArg1), Tss(unit, TextureStageState::AlphaArg2),
                Tss(unit, TextureStageState::AlphaArg0), true);
    uint32_t f = Rs(RenderState::TextureFactor);
    GLfloat factor[4] = {((f >> 16) & 255) / 255.0f, ((f >> 8) & 255) / 255.0f, (f & 255) / 255.0f, (f >> 24) / 255.0f};
    gl.TexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
}

void GLDevice::ApplyStages(uint32_t fvf, bool pretransformed)
{
    GLApi& gl = Gl();
    bool chain = true;
    for (uint32_t unit = 0; unit < m_uUnits; ++unit)
    {
        chain = chain && Tss(unit, TextureStageState::ColourOp) != TextureOp::Disable;
        ActiveUnit(unit);
        if (chain != m_abUnitActive[unit])
        {
            m_abUnitActive[unit] = chain;
            m_abCombinerDirty[unit] = true;
        }
        if (!chain)
        {
            gl.Disable(GL_TEXTURE_2D);
            gl.Disable(GL_TEXTURE_GEN_S);
            gl.Disable(GL_TEXTURE_GEN_T);
            gl.Disable(GL_TEXTURE_GEN_R);
            continue;
        }
        gl.Enable(GL_TEXTURE_2D);
        GLTexture* texture = m_apTextures[unit];
        if (texture && !texture->name)
            UploadTexture(texture, unit);
        BindUnitTexture(unit, texture ? texture->name : m_whiteTexture);
        if (m_abSamplerDirty[unit] || m_apSamplerTexture[unit] != texture || !gl.samplers)
        {
            ApplySampler(unit, texture);
            m_apSamplerTexture[unit] = texture;
            m_abSamplerDirty[unit] = false;
        }
        ActiveUnit(unit);
        if (!m_abCombinerDirty[unit])
            continue;
        m_abCombinerDirty[unit] = false;
        ApplyCombiner(unit);

        // Coordinates: generation in camera space, and the texture matrix in the device's conventions.
        uint32_t index = Tss(unit, TextureStageState::TexCoordIndex);
        uint32_t gen = pretransformed ? 0 : index & TexCoordGen::Mask;
        GLint genMode = gen == TexCoordGen::CameraSpaceNormal     ? GL_NORMAL_MAP
                        : gen == TexCoordGen::CameraSpacePosition ? GL_EYE_LINEAR
                                                                  : GL_REFLECTION_MAP;
        for (GLenum coord : {GL_S, GL_T, GL_R})
        {
            GLenum cap = coord == GL_S ? GL_TEXTURE_GEN_S : coord == GL_T ? GL_TEXTURE_GEN_T : GL_TEXTURE_GEN_R;
            if (gen)
            {
                gl.TexGeni(coord, GL_TEXTURE_GEN_MODE, genMode);
                gl.Enable(cap);
            }
            else
            {
                gl.Disable(cap);
            }
        }
        uint32_t flags = Tss(unit, TextureStageState::TextureTransformFlags);
        gl.MatrixMode(GL_TEXTURE);
        if (pretransformed || (flags & 0xFF) == TextureTransform::Disable)
        {
            gl.LoadIdentity();
        }
        else
        {
            Matrix t = Transform(TextureTransformOf(unit));
            if (gen)
            {
                // Generated coordinates arrive in GL's eye space: undo the z flip first.
                t = FlipZ() * t;
            }
            else
            {
                // Two-component coordinates enter as (u, v, 1, 0) on the device but (u, v, 0, 1) in GL.
                for (int c = 0; c < 4; ++c)
                    std::swap(t.m[2][c], t.m[3][c]);
            }
            uint32_t count = std::clamp<uint32_t>(flags & 0xFF, 1, 4);
            for (int r = 0; r < 4; ++r)
                t.m[r][3] = (flags & TextureTransform::Projected) ? t.m[r][count - 1] : (r == 3 ? 1.0f : 0.0f);
            gl.LoadMatrixf(t.Data());
        }
        gl.MatrixMode(GL_MODELVIEW);
        (void)fvf;
    }
}

// ---------------------------------------------------------------- drawing

GfxResult GLDevice::Draw(PrimitiveType type, const DrawSource& source)
{
    if (!m_bInScene)
        return GfxResult::InvalidCall;
    uint32_t fvf = m_uFvf;
    uint32_t size = FvfVertexSize(fvf);
    if (size == 0 || source.stride < size || source.count == 0)
        return source.count == 0 && size ? GfxResult::Ok : GfxResult::InvalidCall;
    MakeCurrent();
    GLApi& gl = Gl();
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    bool pretransformed = (fvf & Fvf::PositionMask) == Fvf::XYZRHW;
    ApplyFixedState(fvf, pretransformed);
    ApplyStages(fvf, pretransformed);

    const uint8_t* base = source.vertices;
    GLsizei stride = static_cast<GLsizei>(source.stride);
    uint32_t offset = 0;
    const void* indices = source.indices;
    GLenum indexType = source.indexType;
    if (pretransformed)
    {
        // Screen pixels to clip space: pixel centres at integer coordinates, y down, w = 1 / rhw so that
        // texturing stays perspective-correct.
        float w = static_cast<float>(m_params.backBufferWidth), h = static_cast<float>(m_params.backBufferHeight);
        m_scratchPositions.resize(static_cast<size_t>(source.vertexCount) * 4);
        for (uint32_t i = 0; i < source.vertexCount; ++i)
        {
            float v[4];
            std::memcpy(v, base + static_cast<size_t>(source.firstVertex + i) * source.stride, 16);
            float cw = v[3] > 0.0f ? 1.0f / v[3] : 1.0f;
            float* out = &m_scratchPositions[static_cast<size_t>(i) * 4];
            out[0] = ((v[0] + 0.5f) * 2.0f / w - 1.0f) * cw;
            out[1] = (1.0f - (v[1] + 0.5f) * 2.0f / h) * cw;
            out[2] = (v[2] * 2.0f - 1.0f) * cw;
            out[3] = cw;
        }
        gl.VertexPointer(4, GL_FLOAT, 0, m_scratchPositions.data());
        offset = 16;
        // The arrays below start at the first vertex used, so the indices are rebased onto it.
        base += static_cast<size_t>(source.firstVertex) * source.stride;
        if (indices)
        {
            m_scratchIndices.resize(source.count);
            for (uint32_t i = 0; i < source.count; ++i)
            {
                uint32_t index = indexType == GL_UNSIGNED_INT ? static_cast<const uint32_t*>(indices)[i]
                                                              : static_cast<const uint16_t*>(indices)[i];
                m_scratchIndices[i] = index - source.firstVertex;
            }
            indices = m_scratchIndices.data();
            indexType = GL_UNSIGNED_INT;
        }
        if ((fvf & Fvf::Specular) && Rs(RenderState::FogEnable))
        {
            uint32_t specularAt = 16 + ((fvf & Fvf::Normal) ? 12 : 0) + ((fvf & Fvf::Diffuse) ? 4 : 0);
            m_scratchFog.resize(source.vertexCount);
            for (uint32_t i = 0; i < source.vertexCount; ++i)
                m_scratchFog[i] = base[static_cast<size_t>(i) * source.stride + specularAt + 3] / 255.0f;
            gl.EnableClientState(GL_FOG_COORD_ARRAY);
            gl.FogCoordPointer(GL_FLOAT, 0, m_scratchFog.data());
        }
        else
        {
            gl.DisableClientState(GL_FOG_COORD_ARRAY);
        }
    }
    else
    {
        gl.VertexPointer(3, GL_FLOAT, stride, base);
        offset = 12;
        gl.DisableClientState(GL_FOG_COORD_ARRAY);
    }
    if (fvf & Fvf::Normal)
    {
        gl.EnableClientState(GL_NORMAL_ARRAY);
        gl.NormalPointer(GL_FLOAT, stride, base + offset);
        offset += 12;
    }
    else
    {
        gl.DisableClientState(GL_NORMAL_ARRAY);
        gl.Normal3f(0.0f, 0.0f, 0.0f);
    }
    if (fvf & Fvf::Diffuse)
    {
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.ColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + offset);
        offset += 4;
    }
    else
    {
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (fvf & Fvf::Specular)
    {
        gl.EnableClientState(GL_SECONDARY_COLOR_ARRAY);
        gl.SecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + offset);
        offset += 4;
    }
    else
    {
        gl.DisableClientState(GL_SECONDARY_COLOR_ARRAY);
    }
    uint32_t sets = (fvf & Fvf::TexCountMask) >> Fvf::TexCountShift;
    for (uint32_t unit = 0; unit < m_uUnits; ++unit)
    {
        gl.ClientActiveTexture(GL_TEXTURE0 + unit);
        uint32_t set = Tss(unit, TextureStageState::TexCoordIndex) & 0xFFFF;
        if (set < sets)
        {
            gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
            gl.TexCoordPointer(2, GL_FLOAT, stride, base + offset + set * 8);
        }
        else
        {
            gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
            gl.MultiTexCoord4f(GL_TEXTURE0 + unit, 0.0f, 0.0f, 0.0f, 1.0f);
        }
    }
    gl.ClientActiveTexture(GL_TEXTURE0);

    GLenum mode = GlPrimitive(type);
    if (!indices)
    {
        GLint first = pretransformed ? 0 : static_cast<GLint>(source.firstVertex);
        gl.DrawArrays(mode, first, static_cast<GLsizei>(source.count));
    }
    else if (pretransformed)
    {
        gl.DrawRangeElements(mode, 0, source.vertexCount - 1, static_cast<GLsizei>(source.count), indexType, indices);
    }
    else
    {
        gl.DrawRangeElements(mode, source.firstVertex, source.firstVertex + source.vertexCount - 1,
                             static_cast<GLsizei>(source.count), indexType, indices);
    }
    return gl.GetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::DriverError;
}

namespace
{
// Lowest and highest index of a draw; false when the list is empty.
bool IndexRange(const void* indices, bool wide, uint32_t count, uint32_t* low, uint32_t* high)
{
    if (count == 0)
        return false;
    uint32_t lo = ~0u, hi = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint32_t v = wide ? static_cast<const uint32_t*>(indices)[i] : static_cast<const uint16_t*>(indices)[i];
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    *low = lo;
    *high = hi;
    return true;
}
} // namespace

GfxResult GLDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount)
{
    if (!m_pStream || m_pStream->data.locked || m_uStride == 0)
        return GfxResult::InvalidCall;
    uint32_t count = VertexCountOf(type, primitiveCount);
    uint64_t end = (static_cast<uint64_t>(startVertex) + count) * m_uStride;
    if (end > m_pStream->data.bytes.size())
        return GfxResult::InvalidCall;
    DrawSource source;
    source.vertices = m_pStream->data.bytes.data();
    source.stride = m_uStride;
    source.firstVertex = startVertex;
    source.vertexCount = count;
    source.count = count;
    return Draw(type, source);
}

GfxResult GLDevice::DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount)
{
    if (!m_pStream || !m_pIndices || m_pStream->data.locked || m_pIndices->data.locked || m_uStride == 0)
        return GfxResult::InvalidCall;
    uint32_t count = VertexCountOf(type, primitiveCount);
    bool wide = m_pIndices->format == PixelFormat::Index32;
    uint32_t indexSize = wide ? 4 : 2;
    if ((static_cast<uint64_t>(startIndex) + count) * indexSize > m_pIndices->data.bytes.size())
        return GfxResult::InvalidCall;
    const uint8_t* indices = m_pIndices->data.bytes.data() + static_cast<size_t>(startIndex) * indexSize;
    uint32_t low = 0, high = 0;
    if (!IndexRange(indices, wide, count, &low, &high))
        return GfxResult::Ok;
    // Every vertex the indices name must lie in the declared range and in the buffer.
    uint64_t vertices = m_pStream->data.bytes.size() / m_uStride;
    if (low < minIndex || high >= static_cast<uint64_t>(minIndex) + numVertices ||
        static_cast<uint64_t>(m_uBaseVertex) + high >= vertices)
    {
        return GfxResult::InvalidCall;
    }
    DrawSource source;
    source.vertices = m_pStream->data.bytes.data() + static_cast<size_t>(m_uBaseVertex) * m_uStride;
    source.stride = m_uStride;
    source.firstVertex = low;
    source.vertexCount = high - low + 1;
    source.indices = indices;
    source.indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    source.count = count;
    return Draw(type, source);
}

GfxResult GLDevice::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride)
{
    // A user-pointer draw leaves no stream and no index buffer bound.
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    if (!vertices || stride == 0)
        return GfxResult::InvalidCall;
    uint32_t count = VertexCountOf(type, primitiveCount);
    DrawSource source;
    source.vertices = static_cast<const uint8_t*>(vertices);
    source.stride = stride;
    source.vertexCount = count;
    source.count = count;
    return Draw(type, source);
}

GfxResult GLDevice::DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                           uint32_t primitiveCount, const void* indices, PixelFormat indexFormat,
                                           const void* vertices, uint32_t stride)
{
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    if (!vertices || !indices || stride == 0 ||
        (indexFormat != PixelFormat::Index16 && indexFormat != PixelFormat::Index32))
        return GfxResult::InvalidCall;
    bool wide = indexFormat == PixelFormat::Index32;
    uint32_t count = VertexCountOf(type, primitiveCount);
    uint32_t low = 0, high = 0;
    if (!IndexRange(indices, wide, count, &low, &high))
        return GfxResult::Ok;
    if (low < minIndex || high >= static_cast<uint64_t>(minIndex) + numVertices)
        return GfxResult::InvalidCall;
    DrawSource source;
    source.vertices = static_cast<const uint8_t*>(vertices);
    source.stride = stride;
    source.firstVertex = low;
    source.vertexCount = high - low + 1;
    source.indices = indices;
    source.indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    source.count = count;
    return Draw(type, source);
}

// ---------------------------------------------------------------- read-back

namespace
{
GfxResult ReadFramebuffer(GLuint fbo, uint32_t w, uint32_t h, std::vector<uint32_t>* pixels)
{
    GLApi& gl = Gl();
    std::vector<uint32_t> rows(static_cast<size_t>(w) * h);
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    gl.ReadPixels(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  rows.data());
    pixels->resize(rows.size());
    // GL's rows run bottom to top.
    for (uint32_t y = 0; y < h; ++y)
        std::copy_n(&rows[static_cast<size_t>(h - 1 - y) * w], w, &(*pixels)[static_cast<size_t>(y) * w]);
    return gl.GetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::DriverError;
}
} // namespace

GfxResult GLDevice::ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    if (!pixels || !width || !height)
        return GfxResult::InvalidCall;
    MakeCurrent();
    *width = m_params.backBufferWidth;
    *height = m_params.backBufferHeight;
    GfxResult r = ReadFramebuffer(m_backFbo, *width, *height, pixels);
    Gl().BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    return r;
}

GfxResult GLDevice::ReadFrontBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    if (!pixels || !width || !height)
        return GfxResult::InvalidCall;
    MakeCurrent();
    *width = m_params.backBufferWidth;
    *height = m_params.backBufferHeight;
    GfxResult r = ReadFramebuffer(m_frontFbo, *width, *height, pixels);
    Gl().BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    return r;
}

GfxResult GLDevice::WriteBackBuffer(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t colourKey)
{
    if (!pixels || width == 0 || height == 0)
        return GfxResult::InvalidCall;
    MakeCurrent();
    GLApi& gl = Gl();
    uint32_t w = std::min(width, m_params.backBufferWidth), h = std::min(height, m_params.backBufferHeight);
    // Bottom-up rows of opaque pixels, the key colour made transparent black.
    std::vector<uint32_t> rows(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y)
    {
        for (uint32_t x = 0; x < w; ++x)
        {
            uint32_t v = pixels[static_cast<size_t>(y) * width + x] | 0xFF000000u;
            if (colourKey && v == (colourKey | 0xFF000000u))
                v = 0;
            rows[static_cast<size_t>(h - 1 - y) * w + x] = v;
        }
    }
    GLuint texture = 0, fbo = 0;
    gl.GenTextures(1, &texture);
    ActiveUnit(0);
    gl.BindTexture(GL_TEXTURE_2D, texture);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0, GL_BGRA,
                  GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    gl.GenFramebuffers(1, &fbo);
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, m_backFbo);
    Enable(GL_SCISSOR_TEST, false);
    GLint top = static_cast<GLint>(m_params.backBufferHeight);
    gl.BlitFramebuffer(0, 0, static_cast<GLint>(w), static_cast<GLint>(h), 0, top - static_cast<GLint>(h),
                       static_cast<GLint>(w), top, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    gl.DeleteFramebuffers(1, &fbo);
    gl.DeleteTextures(1, &texture);
    m_aBoundNames[0] = ~0u;
    return gl.GetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::DriverError;
}

// ---------------------------------------------------------------- the system

// Standard sizes offered besides the display's own modes: the game renders off-screen at any of them.
const uint32_t kStandardModes[][2] = {{640, 480},  {800, 600},   {1024, 768},  {1152, 864},
                                      {1280, 960}, {1280, 1024}, {1600, 1200}, {1920, 1080}};

class GLSystem final : public IGraphicsSystem
{
public:
    GLSystem()
    {
        m_bVideo = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!m_bVideo)
            return;
        std::vector<std::pair<uint32_t, uint32_t>> sizes;
        int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i)
        {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
                sizes.push_back({static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h)});
        }
        for (const auto& size : kStandardModes)
            sizes.push_back({size[0], size[1]});
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        for (PixelFormat format : {PixelFormat::R5G6B5, PixelFormat::X8R8G8B8})
        {
            for (const auto& size : sizes)
                m_modes.push_back({size.first, size.second, 60, format});
        }
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0)
            m_desktop = {static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h),
                         static_cast<uint32_t>(desktop.refresh_rate), PixelFormat::X8R8G8B8};
        else
            m_desktop = {1024, 768, 60, PixelFormat::X8R8G8B8};
    }
    ~GLSystem() override
    {
        if (m_bVideo)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    uint32_t GetAdapterCount() override { return m_bVideo ? 1 : 0; }
    GfxResult GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* identifier) override
    {
        if (adapter >= GetAdapterCount() || !identifier)
            return GfxResult::InvalidCall;
        *identifier = AdapterIdentifier{};
        const char* driver = SDL_GetCurrentVideoDriver();
        FormatString(identifier->driver, sizeof(identifier->driver), "OpenGL (%s)", driver ? driver : "none");
        const DeviceCaps& caps = ProbeCaps();
        (void)caps;
        CopyString(identifier->description, sizeof(identifier->description),
                   m_renderer.empty() ? "OpenGL display adapter" : m_renderer.c_str());
        return GfxResult::Ok;
    }
    uint32_t GetAdapterModeCount(uint32_t adapter) override
    {
        return adapter < GetAdapterCount() ? static_cast<uint32_t>(m_modes.size()) : 0;
    }
    GfxResult EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode* out) override
    {
        if (adapter >= GetAdapterCount() || mode >= m_modes.size() || !out)
            return GfxResult::InvalidCall;
        *out = m_modes[mode];
        return GfxResult::Ok;
    }
    GfxResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) override
    {
        if (adapter >= GetAdapterCount() || !out)
            return GfxResult::InvalidCall;
        *out = m_desktop;
        return GfxResult::Ok;
    }
    GfxResult CheckDeviceType(uint32_t adapter, DeviceType type, PixelFormat display, PixelFormat back,
                              bool windowed) override
    {
        if (adapter >= GetAdapterCount())
            return GfxResult::InvalidCall;
        if (type != DeviceType::Hal)
            return GfxResult::NotAvailable;
        if (windowed && display != m_desktop.format)
            return GfxResult::NotAvailable;
        bool ok =
            (display == PixelFormat::R5G6B5 && back == PixelFormat::R5G6B5) ||
            (display == PixelFormat::X1R5G5B5 && back == PixelFormat::X1R5G5B5) ||
            (display == PixelFormat::X8R8G8B8 && (back == PixelFormat::X8R8G8B8 || back == PixelFormat::A8R8G8B8));
        return ok ? GfxResult::Ok : GfxResult::NotAvailable;
    }
    GfxResult CheckDeviceFormat(uint32_t adapter, DeviceType, PixelFormat, uint32_t usage, ResourceType,
                                PixelFormat format) override
    {
        if (adapter >= GetAdapterCount())
            return GfxResult::InvalidCall;
        if (usage & Usage::DepthStencil)
            return IsUsableDepth(format) ? GfxResult::Ok : GfxResult::NotAvailable;
        if (usage & Usage::RenderTarget)
        {
            bool ok = format == PixelFormat::A8R8G8B8 || format == PixelFormat::X8R8G8B8 ||
                      format == PixelFormat::R5G6B5 || format == PixelFormat::X1R5G5B5 ||
                      format == PixelFormat::A1R5G5B5 || format == PixelFormat::A4R4G4B4;
            return ok ? GfxResult::Ok : GfxResult::NotAvailable;
        }
        bool colour = FormatBitsPerPixel(format) != 0 && !IsDepthFormat(format) && format != PixelFormat::Index16 &&
                      format != PixelFormat::Index32;
        return colour ? GfxResult::Ok : GfxResult::NotAvailable;
    }
    GfxResult CheckDepthStencilMatch(uint32_t adapter, DeviceType, PixelFormat, PixelFormat, PixelFormat depth) override
    {
        if (adapter >= GetAdapterCount())
            return GfxResult::InvalidCall;
        return IsUsableDepth(depth) ? GfxResult::Ok : GfxResult::NotAvailable;
    }
    GfxResult GetDeviceCaps(uint32_t adapter, DeviceType type, DeviceCaps* caps) override
    {
        if (adapter >= GetAdapterCount() || !caps)
            return GfxResult::InvalidCall;
        if (type != DeviceType::Hal)
            return GfxResult::NotAvailable;
        *caps = ProbeCaps();
        return GfxResult::Ok;
    }
    GfxResult CreateDevice(uint32_t adapter, DeviceType type, void* window, uint32_t createFlags, PresentParams* params,
                           DevicePtr* device) override;

private:
    static bool IsUsableDepth(PixelFormat f)
    {
        return f == PixelFormat::D16 || f == PixelFormat::D24S8 || f == PixelFormat::D24X8 || f == PixelFormat::D32;
    }

    // The capabilities of a device made on this adapter, learnt once from a short-lived hidden context.
    const DeviceCaps& ProbeCaps()
    {
        if (m_bProbed)
            return m_caps;
        m_bProbed = true;
        m_caps = DeviceCaps{};
        m_caps.hwTransformAndLight = true;
        m_caps.pureDevice = true;
        m_caps.textureNonLocalVidMem = true;
        m_caps.canRenderWindowed = true;
        m_caps.rasterMipMapLodBias = true;
        m_caps.rasterFogTable = m_caps.rasterFogVertex = true;
        m_caps.filterMipLinear = true;
        m_caps.stencil = true;
        m_caps.maxTextureWidth = m_caps.maxTextureHeight = 2048;
        m_caps.maxTextureBlendStages = m_caps.maxSimultaneousTextures = 4;
        m_caps.maxActiveLights = kMaxLights;
        PresentParams probe;
        probe.backBufferWidth = 64;
        probe.backBufferHeight = 64;
        probe.backBufferFormat = PixelFormat::X8R8G8B8;
        DevicePtr device;
        if (CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &probe, &device) ==
                GfxResult::Ok &&
            device)
        {
            device->GetDeviceCaps(&m_caps);
            const GLubyte* renderer = Gl().GetString(GL_RENDERER);
            if (renderer)
                m_renderer = reinterpret_cast<const char*>(renderer);
        }
        return m_caps;
    }

    bool m_bVideo = false;
    bool m_bProbed = false;
    DeviceCaps m_caps;
    std::string m_renderer;
    std::vector<DisplayMode> m_modes;
    DisplayMode m_desktop;
};

GfxResult GLSystem::CreateDevice(uint32_t adapter, DeviceType type, void* window, uint32_t, PresentParams* params,
                                 DevicePtr* device)
{
    if (!params || !device || adapter >= GetAdapterCount() || type != DeviceType::Hal)
        return GfxResult::InvalidCall;
    device->reset();
    if (params->backBufferFormat == PixelFormat::Unknown)
        params->backBufferFormat = m_desktop.format;
    if (params->backBufferWidth == 0 || params->backBufferHeight == 0)
    {
        params->backBufferWidth = m_desktop.width;
        params->backBufferHeight = m_desktop.height;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return GfxResult::NotAvailable;

    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    SDL_Window* target = static_cast<SDL_Window*>(window ? window : params->deviceWindow);
    bool own = false;
    if (target && !(SDL_GetWindowFlags(target) & SDL_WINDOW_OPENGL))
    {
        SDL_Log("The game window was not made for OpenGL; drawing off-screen only.");
        target = nullptr;
    }
    if (!target)
    {
        target = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        own = true;
    }
    if (!target)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return GfxResult::NotAvailable;
    }
    SDL_GLContext context = SDL_GL_CreateContext(target);
    // SDL may have unloaded and loaded the GL library again since the last context: fetch the entry points anew.
    if (!context || SDL_GL_MakeCurrent(target, context) != 0 || !Gl().Load())
    {
        if (context)
            SDL_GL_DeleteContext(context);
        if (own)
            SDL_DestroyWindow(target);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return GfxResult::NotAvailable;
    }
    SDL_GL_SetSwapInterval(own ? 0 : (params->windowed ? 0 : 1));
    auto made = std::make_unique<GLDevice>(adapter, target, own, context, *params);
    if (!made->Init())
        return GfxResult::NotAvailable; // the device's destructor gives everything back
    *device = std::move(made);
    return GfxResult::Ok;
}

} // namespace

GraphicsSystemPtr CreateOpenGLSystem()
{
    return std::make_unique<GLSystem>();
}

} // namespace platform
