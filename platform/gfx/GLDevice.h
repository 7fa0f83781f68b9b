// The OpenGL back end of the drawing device, private to platform/gfx: its resources and the device class, whose
// bodies are split by concern over GLDevice*.cpp (life and status, states, textures, buffers, draws, frame).
#pragma once

#include "platform/gfx/Device.h"
#include "platform/gfx/DeviceRules.h"
#include "platform/gfx/GLApi.h"
#include "platform/gfx/GLStateShadow.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace platform
{

class GLDevice;

// The budget of Default-pool textures (bytes): creating more fails like a card whose memory is full.
constexpr uint64_t kDefaultPoolBudget = 256ull << 20;

// ---------------------------------------------------------------- resources

struct GLResource
{
    GLDevice* device = nullptr;
    Pool pool = Pool::Managed;
    uint32_t usage = 0;
    virtual ~GLResource() = default;
    virtual void ReleaseGL() {} // the device is going away: give back GL objects (context current)
};

// A texture unit's sampling as GL takes it: filters, wrapping, border colour, level bias and limit, anisotropy.
struct GLSamplerKey
{
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;
    GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    std::array<float, 4> border{};
    float bias = 0.0f, minLod = 0.0f, anisotropy = 1.0f;
    bool operator==(const GLSamplerKey&) const = default;
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
    // The sampling its GL object was given (used where the context has no sampler objects).
    std::optional<GLSamplerKey> sampling;

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
    uint32_t Rs(RenderState s) const { return m_auRenderStates[static_cast<uint32_t>(s)]; }
    uint32_t Tss(uint32_t stage, TextureStageState s) const { return m_auStageStates[stage][static_cast<uint32_t>(s)]; }
    const Matrix& Transform(TransformType t) const { return m_aTransforms[static_cast<uint32_t>(t)]; }
    void ApplyViewport(bool pretransformed);
    void ApplyFixedState(uint32_t fvf, bool pretransformed);
    void ApplyLighting(uint32_t fvf);
    // Sets up the texture units for a draw; returns how many stages run.
    uint32_t ApplyStages(bool pretransformed);
    GLSamplerKey SamplerKeyOf(uint32_t unit, const GLTexture* texture) const;
    void ApplySampler(uint32_t unit, GLTexture* texture);
    void ApplyCombiner(uint32_t unit);
    void ApplyCoordinates(uint32_t unit, bool pretransformed);
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

    // What GL has: the shadow of its state, and what the device must work out again before the next draw.
    GLStateShadow m_shadow;
    // The fixed state is applied again at a draw when a state changed, the vertex layout differs from the last
    // draw's, or anything else went through the shadow since.
    bool m_bStatesChanged = true;
    uint32_t m_uAppliedFvf = 0;
    uint64_t m_uAppliedStateSent = 0;
    uint32_t m_uActiveUnits = 0; // stages running at the last applied state
    bool m_bMatricesDirty = true;
    bool m_bLightsDirty = true;
    bool m_bMaterialDirty = true;
    bool m_abCombinerDirty[kMaxTextureStages] = {};
    bool m_abCoordsDirty[kMaxTextureStages] = {};
    bool m_abSamplerDirty[kMaxTextureStages] = {};
    int m_iLastPretransformed = -1;
    GLenum m_uTrackedMaterial = 0; // the material part vertex colours feed (0: none)
    GLTexture* m_apSamplerTexture[kMaxTextureStages] = {};
    std::optional<GLSamplerKey> m_aSamplerKeys[kMaxTextureStages]; // of the sampler objects
    std::optional<GLSamplerKey> m_whiteSampling;                   // of the white texture

    uint64_t m_uVideoUsed = 0;
    std::vector<GLResource*> m_resources;
    std::vector<uint8_t> m_scratchVertices; // screen-space vertices with clip-space positions
    std::vector<float> m_scratchFog;
    std::vector<uint32_t> m_scratchIndices;
};

template <class Interface, ResourceType kType> GLBuffer<Interface, kType>::~GLBuffer()
{
    if (device)
        device->Forget(this);
}

// Device pixel centres lie on whole screen coordinates, GL's on halves: device coordinate c is GL window coordinate
// c + kPixelCentreShift across, and height - c - kPixelCentreShift down. The shift falls 1/256 of a pixel (GL's
// usual sub-pixel step) short of a half, so that no whole-number edge lies exactly on a pixel centre: GL's tie rule
// there keeps bottom edges where the device keeps top ones. A rectangle from 10 to 20 covers pixels 10..19.
constexpr float kPixelCentreShift = 0.5f - 1.0f / 256.0f;

// The z flip between the left-handed eye space of the device and GL's right-handed one (its own inverse).
inline Matrix FlipZ()
{
    Matrix m = MatrixIdentity();
    m.m[2][2] = -1.0f;
    return m;
}

} // namespace platform
