// Managed vertex and index buffers: creation, appending locks, read locks and release.
#include "engine/render/RenderBuffers.h"

#include "engine/render/RenderTypes.h"

uint32_t VertexKindFormat(uint32_t kind)
{
    switch (kind)
    {
    case 0:
        return kFvfColourVertex;
    case 1:
        return kFvfTexturedVertex;
    case 2:
        return kFvfColourNormalVertex;
    case 3:
        return kFvfNormalTexVertex;
    case 4:
        return kFvfLitTexVertex;
    case 5:
        return kFvfSpecularTexVertex;
    default:
        return 0;
    }
}

namespace
{

// The start of an appending lock: from the start again at the first lock and whenever the request does not fit
// strictly below the capacity.
uint32_t AppendStart(uint32_t* next, bool* discard, uint32_t count, uint32_t capacity)
{
    if (*discard || static_cast<uint64_t>(*next) + count >= capacity)
    {
        *next = 0;
        *discard = false;
    }
    return *next;
}

} // namespace

// ---- AppendingBuffer

template <class DeviceBufferPtr> void* AppendingBuffer<DeviceBufferPtr>::Lock(uint32_t count, uint32_t* start)
{
    if (!m_pBuffer)
        return nullptr;
    if (start)
        *start = 0;
    if (m_bLocked || count == 0 || count > m_uCapacity)
        return nullptr;
    uint32_t next = m_uNext;
    bool discard = m_bDiscard;
    const uint32_t first = AppendStart(&next, &discard, count, m_uCapacity);
    void* data = nullptr;
    if (platform::GfxFailed(m_pBuffer->Lock(first * m_uUnit, count * m_uUnit, &data, platform::LockFlags::None)))
        return nullptr;
    m_uNext = next + count;
    m_bDiscard = discard;
    m_bLocked = true;
    if (start)
        *start = first;
    return data;
}

template <class DeviceBufferPtr> void* AppendingBuffer<DeviceBufferPtr>::LockRange(uint32_t count, uint32_t first)
{
    if (!m_pBuffer || m_bLocked || count == 0 || static_cast<uint64_t>(first) + count > m_uCapacity)
        return nullptr;
    void* data = nullptr;
    if (platform::GfxFailed(m_pBuffer->Lock(first * m_uUnit, count * m_uUnit, &data, platform::LockFlags::ReadOnly)))
        return nullptr;
    m_bLocked = true;
    return data;
}

template <class DeviceBufferPtr> bool AppendingBuffer<DeviceBufferPtr>::Unlock()
{
    if (m_bLocked)
    {
        if (m_pBuffer)
            m_pBuffer->Unlock();
        m_bLocked = false;
    }
    return true;
}

template class AppendingBuffer<platform::VertexBufferPtr>;
template class AppendingBuffer<platform::IndexBufferPtr>;

// ---- VertexBuffer

VertexBuffer::VertexBuffer(uint32_t vertexCount, uint32_t kind, platform::IDevice* device)
    : AppendingBuffer(vertexCount, platform::FvfVertexSize(VertexKindFormat(kind))), m_uFormat(VertexKindFormat(kind)),
      m_uKind(kind)
{
    const uint64_t bytes = static_cast<uint64_t>(m_uUnit) * vertexCount;
    if (device && bytes > 0 && bytes <= UINT32_MAX)
        device->CreateVertexBuffer(static_cast<uint32_t>(bytes), platform::Usage::None, m_uFormat,
                                   platform::Pool::Managed, &m_pBuffer);
}

// ---- IndexBuffer

IndexBuffer::IndexBuffer(uint32_t indexCount, platform::IDevice* device) : AppendingBuffer(indexCount, 2)
{
    const uint64_t bytes = static_cast<uint64_t>(indexCount) * 2;
    if (device && bytes > 0 && bytes <= UINT32_MAX)
        device->CreateIndexBuffer(static_cast<uint32_t>(bytes), platform::Usage::None, platform::PixelFormat::Index16,
                                  platform::Pool::Managed, &m_pBuffer);
}
