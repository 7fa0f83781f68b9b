// The mesh manager: registration of static meshes into shared vertex and index buffers, their records and release.
#include "engine/render/MeshManager.h"

#include "engine/core/Logger.h"
#include "engine/render/RenderBuffers.h"
#include "engine/render/Renderer.h"

#include <cstring>

MeshManager g_MeshManager;

uint32_t MeshManager::VertexSize(uint32_t kind)
{
    static const uint32_t kSizes[kVertexKinds] = {16, 24, 28, 32, 40, 28};
    return kind < kVertexKinds ? kSizes[kind] : 0;
}

bool MeshManager::Open(Renderer* renderer)
{
    if (m_bOpen)
        return false;
    m_pRenderer = renderer;
    // The table goes with every Close: a device made again needs it back, cleared.
    m_pRecords = std::make_unique<MeshRecord[]>(kMaxMeshes);
    m_uIndicesRegistered = 0;
    m_uVerticesRegistered = 0;
    m_uIndicesLeft = 0;
    m_uVerticesLeft = 0;
    m_uVertexBuffersCreated = 0;
    m_uNextHandle = 1;
    m_bOpen = true;
    return true;
}

bool MeshManager::Close()
{
    if (!m_bOpen)
        return false;
    bool ok = true;
    for (uint32_t handle = 1; handle < m_uNextHandle; ++handle)
        ok = Unregister(handle) && ok;
    if (m_pRenderer)
    {
        for (uint32_t buffer : m_indexBuffers)
            m_pRenderer->ReleaseIndexBuffer(buffer);
        for (const std::vector<uint32_t>& list : m_vertexBuffers)
            for (uint32_t buffer : list)
                m_pRenderer->ReleaseVertexBuffer(buffer);
    }
    m_indexBuffers.clear();
    for (std::vector<uint32_t>& list : m_vertexBuffers)
        list.clear();
    m_bOpen = false;
    m_pRecords.reset();
    m_pRenderer = nullptr;
    return ok;
}

uint32_t MeshManager::FindIndexBuffer(uint32_t count)
{
    for (uint32_t handle : m_indexBuffers)
    {
        IndexBuffer* buffer = m_pRenderer->GetIndexBufferByHandle(handle);
        if (buffer && buffer->GetCapacity() - buffer->GetUsed() > count)
            return handle;
    }
    // A new buffer must have more room than the mesh takes, too.
    const uint32_t capacity = m_pRenderer->GetMaxDynamicVertices();
    if (capacity <= count)
        return 0;
    const uint32_t handle = m_pRenderer->CreateIndexBuffer(capacity);
    if (handle == 0)
        return 0;
    m_indexBuffers.push_back(handle);
    return handle;
}

uint32_t MeshManager::FindVertexBuffer(uint32_t kind, uint32_t count)
{
    for (uint32_t handle : m_vertexBuffers[kind])
    {
        VertexBuffer* buffer = m_pRenderer->GetVertexBufferByHandle(handle);
        if (buffer && buffer->GetCapacity() - buffer->GetUsed() > count)
            return handle;
    }
    const uint32_t capacity = m_pRenderer->GetMaxIndexValue(0);
    if (capacity <= count)
        return 0;
    const uint32_t handle = m_pRenderer->CreateVertexBuffer(kind, capacity);
    if (handle == 0)
        return 0;
    m_vertexBuffers[kind].push_back(handle);
    ++m_uVertexBuffersCreated;
    return handle;
}

uint32_t MeshManager::Register(uint32_t flags, uint32_t vertexKind, uint32_t vertexCount, const void* vertices,
                               uint32_t indexCount, const uint16_t* indices)
{
    if (!m_bOpen)
    {
        GetLogger()->Report(0, "Mesh Manager :Register(): Not Open");
        return 0;
    }
    if ((flags & 3) == 0)
    {
        GetLogger()->Report(0, "Mesh Manager :Register(): Illegal Flags");
        return 0;
    }
    if (m_uNextHandle >= kMaxMeshes)
    {
        GetLogger()->Report(0, "Mesh Manager :Register(): Exceeded Number of Meshes");
        return 0;
    }
    const bool copy = (flags & 1) != 0;
    if (copy && (VertexSize(vertexKind) == 0 || (vertexCount > 0 && !vertices) || (indexCount > 0 && !indices)))
    {
        GetLogger()->Report(0, "Mesh Manager :Register(): Illegal Vertex Data");
        return 0;
    }

    const uint32_t handle = m_uNextHandle++;
    MeshRecord& record = m_pRecords[handle];
    record = MeshRecord{};
    record.m_uHandle = handle;
    record.m_uFlags = flags;
    record.m_uVertexKind = vertexKind;
    record.m_uIndexCount = indexCount;
    record.m_uVertexCount = vertexCount;
    m_uIndicesLeft += indexCount;
    m_uVerticesLeft += vertexCount;
    if (!copy)
        return handle;
    if (!m_pRenderer)
        return 0;

    if (indexCount > 0)
    {
        const uint32_t bufferHandle = FindIndexBuffer(indexCount);
        IndexBuffer* buffer = bufferHandle ? m_pRenderer->GetIndexBufferByHandle(bufferHandle) : nullptr;
        uint32_t first = 0;
        void* data = buffer ? buffer->Lock(indexCount, &first) : nullptr;
        if (!data)
            return 0;
        std::memcpy(data, indices, size_t{indexCount} * 2);
        if (!buffer->Unlock())
            return 0;
        record.m_uIndexBuffer = bufferHandle;
        record.m_uFirstIndex = first;
        m_uIndicesRegistered += indexCount;
    }
    if (vertexCount > 0)
    {
        const uint32_t bufferHandle = FindVertexBuffer(vertexKind, vertexCount);
        VertexBuffer* buffer = bufferHandle ? m_pRenderer->GetVertexBufferByHandle(bufferHandle) : nullptr;
        uint32_t base = 0;
        void* data = buffer ? buffer->Lock(vertexCount, &base) : nullptr;
        if (!data)
            return 0;
        std::memcpy(data, vertices, size_t{vertexCount} * VertexSize(vertexKind));
        if (!buffer->Unlock())
            return 0;
        record.m_uVertexBuffer = bufferHandle;
        record.m_uBaseVertex = base;
        m_uVerticesRegistered += vertexCount;
    }
    return handle;
}

bool MeshManager::Unregister(uint32_t handle)
{
    if (!m_bOpen || handle >= kMaxMeshes)
        return false;
    MeshRecord& record = m_pRecords[handle];
    m_uIndicesLeft -= record.m_uIndexCount;
    m_uVerticesLeft -= record.m_uVertexCount;
    record = MeshRecord{};
    return true;
}

MeshRecord* MeshManager::GetMesh(uint32_t handle)
{
    if (!m_bOpen || handle >= kMaxMeshes)
        return nullptr;
    return &m_pRecords[handle];
}
