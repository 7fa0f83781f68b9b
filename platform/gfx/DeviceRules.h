// What the two device back ends share: primitive counts, the locking rules of buffers and texture levels, and
// the fixed-function state every device keeps (defaults, checked getters, scene brackets).
#pragma once

#include "platform/Window.h"
#include "platform/gfx/Device.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform
{

// The vertices (non-indexed) or indices (indexed) a draw of `primitives` primitives reads.
uint32_t VertexCountOf(PrimitiveType type, uint32_t primitives);

// The memory of a vertex or index buffer: one lock at a time, inside the buffer (size 0: to the end).
struct BufferMemory
{
    std::vector<uint8_t> bytes;
    bool locked = false;

    GfxResult Lock(uint32_t offset, uint32_t size, void** data);
    GfxResult Unlock();
};

// Checks a lock rectangle against a width x height level (inside it, not empty, on 4x4 block boundaries for DXT
// formats) and gives the byte offset of its top-left corner in the level's memory.
GfxResult LockRectOffset(PixelFormat format, uint32_t width, uint32_t height, uint32_t pitch, const Rect& rect,
                         size_t* offset);

// Describes one level of a texture whose levels carry width, height and size.
template <class Level>
GfxResult DescribeLevel(const std::vector<Level>& levels, uint32_t level, PixelFormat format, uint32_t usage, Pool pool,
                        SurfaceDesc* desc)
{
    if (level >= levels.size() || !desc)
        return GfxResult::InvalidCall;
    desc->format = format;
    desc->type = ResourceType::Surface;
    desc->usage = usage;
    desc->pool = pool;
    desc->width = levels[level].width;
    desc->height = levels[level].height;
    desc->size = levels[level].size;
    return GfxResult::Ok;
}

// The state both back ends keep the same way: caps, present parameters, render and stage states, transforms,
// viewport, material, lights, the vertex layout and the scene bracket. The back ends write it (each with its
// own side effects); reading it back and the scene bracket rules live here.
class DeviceBase : public IDevice
{
public:
    GfxResult GetDeviceCaps(DeviceCaps* caps) const override;
    const PresentParams& GetPresentParams() const override { return m_params; }
    uint32_t GetAdapterOrdinal() const override { return m_uAdapter; }
    GfxResult BeginScene() override;
    GfxResult EndScene() override;
    GfxResult GetTransform(TransformType type, Matrix* matrix) const override;
    GfxResult GetViewport(Viewport* viewport) const override;
    GfxResult GetMaterial(MaterialDesc* material) const override;
    GfxResult GetLight(uint32_t index, LightDesc* light) const override;
    GfxResult GetRenderState(RenderState state, uint32_t* value) const override;
    GfxResult GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t* value) const override;

protected:
    DeviceBase(uint32_t adapter, const PresentParams& params) : m_uAdapter(adapter), m_params(params) {}
    // Back to what a fresh device has for the present parameters (no z-buffer: ZEnable off); leaves the bound
    // textures, stream and indices to the back end.
    void ResetFixedStates();

    uint32_t m_uAdapter = 0;
    PresentParams m_params;
    DeviceCaps m_caps;
    uint32_t m_auRenderStates[kRenderStateCount] = {};
    uint32_t m_auStageStates[kMaxTextureStages][kTextureStageStateCount] = {};
    Matrix m_aTransforms[static_cast<uint32_t>(TransformType::Count)] = {};
    Viewport m_viewport = {};
    MaterialDesc m_material;
    LightDesc m_aLights[kMaxLights];
    bool m_abLightEnabled[kMaxLights] = {};
    uint32_t m_uFvf = 0;
    bool m_bInScene = false;
};

} // namespace platform
