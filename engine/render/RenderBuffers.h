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

// What vertex and index buffers share: a managed-pool device buffer (it survives a device reset) of `capacity`
// elements of `unit` bytes, handed out in appended ranges, one lock at a time.
template <class DeviceBufferPtr> class AppendingBuffer : public BufferObject
{
public:
    ~AppendingBuffer() override { Unlock(); }
    AppendingBuffer(const AppendingBuffer&) = delete;
    AppendingBuffer& operator=(const AppendingBuffer&) = delete;

    // Reserves `count` elements after what is used (from the start again when they do not fit below the
    // capacity, or at the first lock) and locks them for writing; `start` receives the first element's number.
    // Null, with nothing reserved, when the buffer has no device buffer, the count exceeds the capacity or the
    // lock fails.
    virtual void* Lock(uint32_t count, uint32_t* start);
    // Locks `count` elements from element `first` for reading; null when the range is outside the buffer.
    virtual void* LockRange(uint32_t count, uint32_t first);
    virtual bool Unlock();
    virtual uint32_t GetCapacity() const { return m_uCapacity; }
    virtual uint32_t GetUsed() const { return m_uNext; }

    typename DeviceBufferPtr::pointer GetDeviceBuffer() const { return m_pBuffer.get(); }
    bool IsLocked() const { return m_bLocked; }

protected:
    AppendingBuffer(uint32_t capacity, uint32_t unit) : m_uCapacity(capacity), m_uUnit(unit) {}

    DeviceBufferPtr m_pBuffer;
    uint32_t m_uCapacity = 0;
    uint32_t m_uUnit = 0; // bytes per element

private:
    uint32_t m_uNext = 0;
    bool m_bLocked = false;
    bool m_bDiscard = true;
};

extern template class AppendingBuffer<platform::VertexBufferPtr>;
extern template class AppendingBuffer<platform::IndexBufferPtr>;

// A vertex buffer of one vertex kind; Lock and LockRange count in vertices.
class VertexBuffer : public AppendingBuffer<platform::VertexBufferPtr>
{
public:
    VertexBuffer(uint32_t vertexCount, uint32_t kind, platform::IDevice* device);

    virtual uint32_t GetKind() const { return m_uKind; }
    uint32_t GetFormat() const { return m_uFormat; }
    uint32_t GetStride() const { return m_uUnit; }

private:
    const uint32_t m_uFormat;
    const uint32_t m_uKind;
};

// A buffer of 16-bit indices; Lock and LockRange count in indices.
class IndexBuffer : public AppendingBuffer<platform::IndexBufferPtr>
{
public:
    IndexBuffer(uint32_t indexCount, platform::IDevice* device);
};
