// Managed vertex and index buffers that hand out ranges by appending and lock ranges for reading.
#pragma once

#include "platform/gfx/Device.h"

#include <cstdint>

// The common base of the renderer's buffer objects, so that the renderer can delete one given to it.
class BufferObject
{
public:
    virtual ~BufferObject() = default;
};

// A vertex buffer of one vertex kind in the managed pool (it survives a device reset).
class VertexBuffer : public BufferObject
{
public:
    VertexBuffer(uint32_t vertexCount, uint32_t kind, platform::IDevice* device);
    ~VertexBuffer() override;
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    // Reserves `count` vertices after what is used (from the start again when they do not fit below the
    // capacity, or at the first lock) and locks them for writing; `start` receives the first vertex's number.
    // Null, with nothing reserved, when the buffer has no device buffer, the count exceeds the capacity or the
    // lock fails.
    virtual void* Lock(uint32_t count, uint32_t* start);
    // Locks `count` vertices from vertex `first` for reading; null when the range is outside the buffer.
    virtual void* LockRange(uint32_t count, uint32_t first);
    virtual bool Unlock();
    virtual uint32_t GetCapacity() const { return m_uCapacity; }
    virtual uint32_t GetUsed() const { return m_uNext; }
    virtual uint32_t GetKind() const { return m_uKind; }

    uint32_t GetFormat() const { return m_uFormat; }
    uint32_t GetStride() const { return m_uStride; }
    platform::IVertexBuffer* GetDeviceBuffer() const { return m_pBuffer.get(); }
    bool IsLocked() const { return m_bLocked; }

private:
    platform::VertexBufferPtr m_pBuffer;
    uint32_t m_uCapacity = 0;
    uint32_t m_uNext = 0;
    uint32_t m_uFormat = 0;
    uint32_t m_uStride = 0;
    bool m_bLocked = false;
    bool m_bDiscard = true;
    uint32_t m_uKind = 0;
};

// A buffer of 16-bit indices in the managed pool.
class IndexBuffer : public BufferObject
{
public:
    IndexBuffer(uint32_t indexCount, platform::IDevice* device);
    ~IndexBuffer() override;
    IndexBuffer(const IndexBuffer&) = delete;
    IndexBuffer& operator=(const IndexBuffer&) = delete;

    // As VertexBuffer::Lock, in indices.
    virtual void* Lock(uint32_t count, uint32_t* start);
    virtual void* LockRange(uint32_t count, uint32_t first);
    virtual bool Unlock();
    virtual uint32_t GetCapacity() const { return m_uCapacity; }
    virtual uint32_t GetUsed() const { return m_uNext; }

    platform::IIndexBuffer* GetDeviceBuffer() const { return m_pBuffer.get(); }
    bool IsLocked() const { return m_bLocked; }

private:
    platform::IndexBufferPtr m_pBuffer;
    uint32_t m_uCapacity = 0;
    uint32_t m_uNext = 0;
    bool m_bLocked = false;
    bool m_bDiscard = true;
};
