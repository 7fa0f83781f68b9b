// The GL device's vertex and index buffers: creation and binding (their memory is drawn from as client arrays).
#include "platform/gfx/GLDevice.h"

#include <new>

namespace platform
{

GfxResult GLDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                       VertexBufferPtr* buffer)
{
    if (!buffer)
        return GfxResult::InvalidCall;
    buffer->reset();
    if (length == 0)
        return GfxResult::InvalidCall;
    auto made = std::make_unique<GLVertexBuffer>();
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

} // namespace platform
