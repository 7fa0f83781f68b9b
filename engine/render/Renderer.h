// The renderer interface: every drawing operation of the engine, in its fixed order.
#pragma once

#include "engine/render/RenderTypes.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>

class BufferObject;
class IndexBuffer;
class VertexBuffer;
struct StateSet;
struct SMaterial;
struct ModelBatchEntry;
struct OptMeshLODPair;

// Texture numbers: texture manager slots in the drawing operations (-1 none); renderer texture numbers 0 to 1999
// in the texture operations and on a texture pipe (0 leaves the pipe as it is, -1 means no texture).
class Renderer
{
public:
    // 1: deletes the object; does not release the device.
    virtual ~Renderer() = default;

    // 2
    virtual uint32_t GetMaxDynamicVertices() = 0;
    // 3: a new index buffer of `indexCount` 16-bit indices; returns its handle.
    virtual uint32_t CreateIndexBuffer(uint32_t indexCount) = 0;
    // 4
    virtual bool ReleaseIndexBuffer(uint32_t handle) = 0;
    // 5: null for an unknown handle.
    virtual IndexBuffer* GetIndexBufferByHandle(uint32_t handle) = 0;
    // 6
    virtual uint32_t GetMaxIndexValue(uint32_t unused) = 0;
    // 7: a new vertex buffer of `vertexCount` vertices of the kind; returns its handle.
    virtual uint32_t CreateVertexBuffer(uint32_t kind, uint32_t vertexCount) = 0;
    // 8
    virtual bool ReleaseVertexBuffer(uint32_t handle) = 0;
    // 9: null for an unknown handle.
    virtual VertexBuffer* GetVertexBufferByHandle(uint32_t handle) = 0;
    // 10: window is the platform window (SDL_Window*), or null for a device without one.
    virtual bool CreateDevice(void* window, const RendererSettings& settings) = 0;
    // 11
    virtual void Release() = 0;
    // 12
    virtual void Reserved12() = 0;
    // 13: deletes the object when it is not null.
    virtual void DeleteBufferObject(BufferObject* object) = 0;
    // 14
    virtual void SetQuality(bool filter, uint32_t materialQuality) = 0;
    // 15
    virtual void GetDeviceInfo(DeviceInfo* out) = 0;
    // 16: whether the device can draw the state set (tested at start-up).
    virtual bool ValidateStateSet(const StateSet& set) = 0;
    // 17: device check and reset; false: skip this frame.
    virtual bool BeginFrame() = 0;
    // 18
    virtual bool BeginScene(float frameTime, uint32_t unused) = 0;
    // 19
    virtual void EndFrame() = 0;
    // 20
    virtual void BeginSecondPass() = 0;
    // 21
    virtual void Reserved21() = 0;
    // 22: depth (and stencil) always; the colour target when asked.
    virtual void Clear(bool target, uint32_t colour) = 0;
    // 23
    virtual void Present() = 0;
    // 24
    virtual void SetViewMatrix(const platform::Matrix& matrix) = 0;
    // 25: tag 0 is the identity, tag 5 is always set, any other tag is skipped when it was the last one set.
    virtual void SetWorldMatrix(const platform::Matrix& matrix, uint32_t tag) = 0;
    // 26
    virtual void SetProjectionMatrix(const platform::Matrix& matrix) = 0;
    // 27
    virtual void SetDepthRange(float minZ, float maxZ) = 0;
    // 28: pixels, truncated to integers.
    virtual void SetViewport(float left, float right, float top, float bottom) = 0;
    // 29
    virtual void SetLight(uint32_t emissiveScale, uint32_t diffuse, uint32_t specular, const platform::Vec3& direction,
                          uint32_t ambient) = 0;
    // 30: a start below 0 turns fog off.
    virtual void SetFog(float start, float end, uint32_t colour) = 0;
    // 31
    virtual bool ReserveTexture(uint32_t width, uint32_t height, uint32_t formatCode, int32_t textureNumber) = 0;
    // 32
    virtual void ReleaseTexture(int32_t textureNumber) = 0;
    // 33: level 0 in place.
    virtual bool UpdateTexture(const void* pixels, uint32_t width, uint32_t height, uint32_t formatCode,
                               int32_t textureNumber) = 0;
    // 34: the whole chain.
    virtual bool UpdateTexture(const void* pixels, uint32_t width, uint32_t height, uint32_t formatCode,
                               int32_t textureNumber, bool withMipData) = 0;
    // 35
    virtual bool UpdateTextureSubRegion(const void* pixels, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                                        uint32_t formatCode, int32_t textureNumber) = 0;
    // 36: level 0 as 32-bit pixels.
    virtual bool ReadTexture(void* destination, uint32_t destinationSize, int32_t textureNumber) = 0;
    // 37
    virtual void RebuildChangedTextures() = 0;
    // 38
    virtual void LockTexture(int32_t textureNumber, void** bits, int32_t* pitch) = 0;
    // 39
    virtual void UnlockTexture(int32_t textureNumber) = 0;
    // 40
    virtual void RebuildMipLevels(int32_t textureNumber, bool discardManaged) = 0;
    // 41: the index array is not read: lines join vertices 0-1, 2-3, ...
    virtual void DrawLineColList(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                 uint32_t indexCount) = 0;
    // 42
    virtual void DrawPolsUntexCol(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                  uint32_t indexCount, uint32_t unused) = 0;
    // 43
    virtual void DrawLineCol(const ColourVertex* twoVertices) = 0;
    // 44
    virtual void DrawPolsTexCol(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                uint32_t indexCount, int32_t texture, int32_t secondTexture) = 0;
    // 45
    virtual void DrawPolsTexNormal(const NormalTexVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                   uint32_t indexCount, int32_t texture, int32_t secondTexture) = 0;
    // 46: textureNumber is a renderer texture number.
    virtual void DrawPolsTexColTPage(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                     uint32_t indexCount, int32_t textureNumber) = 0;
    // 47
    virtual void DrawModelBatch(const ModelBatchEntry* entry, uint32_t count) = 0;
    // 48
    virtual void DrawOptModelLOD(const OptMeshLODPair* pair) = 0;
    // 49
    virtual void DrawOptModelLOD_MatOveride(const OptMeshLODPair* pair) = 0;
    // 50: acts only when the first argument is 0.
    virtual void SetWireframe(uint32_t mustBeZero, bool on) = 0;
    // 51
    virtual void SetMaterial(const SMaterial* material, bool lit) = 0;
    // 52
    virtual void UseMaterial(int32_t materialNumber, int32_t texture, int32_t secondTexture, bool lit) = 0;
    // 53
    virtual void SetTexCoordSet(int32_t stateSetNumber) = 0;
    // 54
    virtual void ApplyStateSet(const StateSet& set) = 0;
    // 55
    virtual void SetTextureTransformSet(int32_t setNumber, int32_t texture, int32_t secondTexture) = 0;
    // 56: -1 turns lighting off.
    virtual void SetLightingSet(int32_t setNumber) = 0;
    // 57
    virtual void BeginShadowPass(bool on, bool textured) = 0;
    // 58
    virtual bool HasStencil() = 0;
    // 59
    virtual bool SaveScreenshot(const char* fileName) = 0;
    // 60
    virtual bool CaptureFrontBuffer(void* destination, uint32_t size) = 0;
    // 61: width x height 32-bit pixels, or null.
    virtual std::unique_ptr<uint32_t[]> ReadBackBuffer(uint32_t* width, uint32_t* height) = 0;
    // 62
    virtual void GetFrameStats(RenderStats* out) = 0;
    // 63
    virtual void BlitToRenderTarget(const uint32_t* pixels, uint32_t width, uint32_t height) = 0;
    // 64
    virtual void Reserved64() {}
    // 65
    virtual void* LockMeshVertices(uint32_t meshHandle, uint32_t count) = 0;
    // 66
    virtual void UnlockMeshVertices() = 0;
    // 67
    virtual uint16_t* LockMeshIndices(uint32_t meshHandle, uint32_t count) = 0;
    // 68
    virtual void UnlockMeshIndices() = 0;
    // 69
    virtual void SetTextureClamp(bool clamp) = 0;
};
