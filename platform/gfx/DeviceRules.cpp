// What the two device back ends share: primitive counts, buffer and texture-level locking rules and the
// fixed-function state with its checked getters and scene brackets.
#include "platform/gfx/DeviceRules.h"

namespace platform
{

uint32_t VertexCountOf(PrimitiveType type, uint32_t primitives)
{
    if (primitives == 0)
        return 0;
    switch (type)
    {
    case PrimitiveType::PointList:
        return primitives;
    case PrimitiveType::LineList:
        return primitives * 2;
    case PrimitiveType::LineStrip:
        return primitives + 1;
    case PrimitiveType::TriangleList:
        return primitives * 3;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan:
        return primitives + 2;
    }
    return 0;
}

GfxResult BufferMemory::Lock(uint32_t offset, uint32_t size, void** data)
{
    if (!data || locked)
        return GfxResult::InvalidCall;
    uint32_t length = static_cast<uint32_t>(bytes.size());
    if (offset > length || (size && size > length - offset))
        return GfxResult::InvalidCall;
    locked = true;
    *data = bytes.data() + offset;
    return GfxResult::Ok;
}

GfxResult BufferMemory::Unlock()
{
    if (!locked)
        return GfxResult::InvalidCall;
    locked = false;
    return GfxResult::Ok;
}

GfxResult LockRectOffset(PixelFormat format, uint32_t width, uint32_t height, uint32_t pitch, const Rect& r,
                         size_t* offset)
{
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || static_cast<uint32_t>(r.right) > width ||
        static_cast<uint32_t>(r.bottom) > height)
    {
        return GfxResult::InvalidCall;
    }
    if (IsBlockCompressed(format))
    {
        if ((r.left % 4) || (r.top % 4))
            return GfxResult::InvalidCall;
        *offset = static_cast<size_t>(r.top / 4) * pitch + (r.left / 4) * (format == PixelFormat::DXT1 ? 8 : 16);
    }
    else
    {
        *offset = static_cast<size_t>(r.top) * pitch + r.left * (FormatBitsPerPixel(format) / 8);
    }
    return GfxResult::Ok;
}

// ---------------------------------------------------------------- the shared device state

GfxResult DeviceBase::GetDeviceCaps(DeviceCaps* caps) const
{
    if (!caps)
        return GfxResult::InvalidCall;
    *caps = m_caps;
    return GfxResult::Ok;
}

GfxResult DeviceBase::BeginScene()
{
    if (m_bInScene)
        return GfxResult::InvalidCall;
    m_bInScene = true;
    return GfxResult::Ok;
}

GfxResult DeviceBase::EndScene()
{
    if (!m_bInScene)
        return GfxResult::InvalidCall;
    m_bInScene = false;
    return GfxResult::Ok;
}

GfxResult DeviceBase::GetTransform(TransformType type, Matrix* matrix) const
{
    if (type >= TransformType::Count || !matrix)
        return GfxResult::InvalidCall;
    *matrix = m_aTransforms[static_cast<uint32_t>(type)];
    return GfxResult::Ok;
}

GfxResult DeviceBase::GetViewport(Viewport* viewport) const
{
    if (!viewport)
        return GfxResult::InvalidCall;
    *viewport = m_viewport;
    return GfxResult::Ok;
}

GfxResult DeviceBase::GetMaterial(MaterialDesc* material) const
{
    if (!material)
        return GfxResult::InvalidCall;
    *material = m_material;
    return GfxResult::Ok;
}

GfxResult DeviceBase::GetLight(uint32_t index, LightDesc* light) const
{
    if (index >= kMaxLights || !light)
        return GfxResult::InvalidCall;
    *light = m_aLights[index];
    return GfxResult::Ok;
}

GfxResult DeviceBase::GetRenderState(RenderState state, uint32_t* value) const
{
    if (state >= RenderState::Count || !value)
        return GfxResult::InvalidCall;
    *value = m_auRenderStates[static_cast<uint32_t>(state)];
    return GfxResult::Ok;
}

GfxResult DeviceBase::GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t* value) const
{
    if (stage >= kMaxTextureStages || state >= TextureStageState::Count || !value)
        return GfxResult::InvalidCall;
    *value = m_auStageStates[stage][static_cast<uint32_t>(state)];
    return GfxResult::Ok;
}

void DeviceBase::ResetFixedStates()
{
    for (uint32_t i = 0; i < kRenderStateCount; ++i)
        m_auRenderStates[i] = DefaultRenderState(static_cast<RenderState>(i));
    if (!m_params.enableAutoDepthStencil)
        m_auRenderStates[static_cast<uint32_t>(RenderState::ZEnable)] = 0;
    for (uint32_t s = 0; s < kMaxTextureStages; ++s)
    {
        for (uint32_t i = 0; i < kTextureStageStateCount; ++i)
            m_auStageStates[s][i] = DefaultTextureStageState(s, static_cast<TextureStageState>(i));
    }
    for (Matrix& m : m_aTransforms)
        m = MatrixIdentity();
    m_viewport = {0, 0, m_params.backBufferWidth, m_params.backBufferHeight, 0.0f, 1.0f};
    m_material = MaterialDesc{};
    for (uint32_t i = 0; i < kMaxLights; ++i)
    {
        m_aLights[i] = LightDesc{};
        m_aLights[i].diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
        m_abLightEnabled[i] = false;
    }
    m_uFvf = 0;
    m_bInScene = false;
}

} // namespace platform
