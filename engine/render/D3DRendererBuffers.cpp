// The renderer's managed vertex and index buffers and their handle tables.
#include "engine/render/D3DRenderer.h"

#include <cstdint>

namespace
{

// The handle for a new buffer: the counter's value, or the next one whose entry is free (buffers that outlived a
// device re-creation keep theirs). The table grows to hold it. 0 when the handles are exhausted.
template <typename T> uint32_t TakeHandle(std::vector<std::unique_ptr<T>>& table, uint32_t next, size_t initialSize)
{
    if (table.size() < initialSize)
        table.resize(initialSize);
    uint32_t handle = next == 0 ? 1 : next;
    while (handle < table.size() && table[handle])
        ++handle;
    if (handle == UINT32_MAX)
        return 0;
    if (handle >= table.size())
        table.resize(static_cast<size_t>(handle) + 1);
    return handle;
}

} // namespace

uint32_t D3DRenderer::CreateIndexBuffer(uint32_t indexCount)
{
    const uint32_t handle = TakeHandle(m_indexBuffers, m_uNextBufferHandle, kIndexTableSize);
    if (handle == 0)
        return 0;
    m_indexBuffers[handle] = std::make_unique<IndexBuffer>(indexCount, m_pDevice.get());
    m_uNextBufferHandle = handle + 1;
    return handle;
}

bool D3DRenderer::ReleaseIndexBuffer(uint32_t handle)
{
    if (handle < m_indexBuffers.size() && m_indexBuffers[handle])
    {
        if (m_binding.m_pIndexBuffer == m_indexBuffers[handle]->GetDeviceBuffer())
        {
            m_binding.m_pIndexBuffer = nullptr;
            m_binding.m_iBaseVertex = -1;
        }
        m_indexBuffers[handle].reset();
    }
    return true;
}

IndexBuffer* D3DRenderer::GetIndexBufferByHandle(uint32_t handle)
{
    return handle < m_indexBuffers.size() ? m_indexBuffers[handle].get() : nullptr;
}

uint32_t D3DRenderer::CreateVertexBuffer(uint32_t kind, uint32_t vertexCount)
{
    const uint32_t handle = TakeHandle(m_vertexBuffers, m_uNextBufferHandle, kVertexTableSize);
    if (handle == 0)
        return 0;
    m_vertexBuffers[handle] = std::make_unique<VertexBuffer>(vertexCount, kind, m_pDevice.get());
    m_uNextBufferHandle = handle + 1;
    return handle;
}

bool D3DRenderer::ReleaseVertexBuffer(uint32_t handle)
{
    if (handle < m_vertexBuffers.size() && m_vertexBuffers[handle])
    {
        if (m_binding.m_pVertexBuffer == m_vertexBuffers[handle]->GetDeviceBuffer())
            m_binding.m_pVertexBuffer = nullptr;
        m_vertexBuffers[handle].reset();
    }
    return true;
}

VertexBuffer* D3DRenderer::GetVertexBufferByHandle(uint32_t handle)
{
    return handle < m_vertexBuffers.size() ? m_vertexBuffers[handle].get() : nullptr;
}
