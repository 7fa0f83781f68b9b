// The GL device's draws: checking a draw's ranges, converting screen-space vertices and handing the arrays to GL.
#include "platform/gfx/GLDevice.h"

#include <algorithm>
#include <cstring>

namespace platform
{

namespace
{

GLenum GlPrimitive(PrimitiveType type)
{
    switch (type)
    {
    case PrimitiveType::PointList:
        return GL_POINTS;
    case PrimitiveType::LineList:
        return GL_LINES;
    case PrimitiveType::LineStrip:
        return GL_LINE_STRIP;
    case PrimitiveType::TriangleList:
        return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip:
        return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan:
        return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

} // namespace

GfxResult GLDevice::SetVertexShader(uint32_t fvf)
{
    if (FvfVertexSize(fvf) == 0)
        return GfxResult::InvalidCall;
    m_uFvf = fvf;
    return GfxResult::Ok;
}

// ---------------------------------------------------------------- drawing

GfxResult GLDevice::Draw(PrimitiveType type, const DrawSource& source)
{
    if (!m_bInScene)
        return GfxResult::InvalidCall;
    uint32_t fvf = m_uFvf;
    uint32_t size = FvfVertexSize(fvf);
    if (size == 0 || source.stride < size || source.count == 0)
        return source.count == 0 && size ? GfxResult::Ok : GfxResult::InvalidCall;
    if (m_viewport.Width == 0 || m_viewport.Height == 0)
        return GfxResult::Ok; // an empty viewport shows nothing
    MakeCurrent();
    GLApi& gl = Gl();
    m_shadow.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    bool pretransformed = (fvf & Fvf::PositionMask) == Fvf::XYZRHW;
    // Nothing the fixed state depends on changed since the last draw: GL still has it all.
    if (m_bStatesChanged || fvf != m_uAppliedFvf || m_shadow.StateSent() != m_uAppliedStateSent)
    {
        ApplyFixedState(fvf, pretransformed);
        m_uActiveUnits = ApplyStages(pretransformed);
        m_bStatesChanged = false;
        m_uAppliedFvf = fvf;
        m_uAppliedStateSent = m_shadow.StateSent();
    }
    uint32_t activeUnits = m_uActiveUnits;

    const uint8_t* base = source.vertices;
    GLsizei stride = static_cast<GLsizei>(source.stride);
    uint32_t offset = 0;
    const void* indices = source.indices;
    GLenum indexType = source.indexType;
    if (pretransformed)
    {
        // The vertices used are copied with their positions turned from screen pixels into clip space: pixel
        // centres at whole coordinates, y down, w = 1 / rhw so that texturing stays perspective-correct. The copy
        // keeps the layout, so every array points into it, at the same places draw after draw.
        float w = static_cast<float>(m_params.backBufferWidth), h = static_cast<float>(m_params.backBufferHeight);
        size_t bytes = static_cast<size_t>(source.vertexCount) * source.stride;
        m_scratchVertices.resize(bytes);
        std::memcpy(m_scratchVertices.data(), base + static_cast<size_t>(source.firstVertex) * source.stride, bytes);
        for (uint32_t i = 0; i < source.vertexCount; ++i)
        {
            uint8_t* vertex = m_scratchVertices.data() + static_cast<size_t>(i) * source.stride;
            float v[4];
            std::memcpy(v, vertex, 16);
            float cw = v[3] > 0.0f ? 1.0f / v[3] : 1.0f;
            float clip[4] = {((v[0] + kPixelCentreShift) * 2.0f / w - 1.0f) * cw,
                             (1.0f - (v[1] + kPixelCentreShift) * 2.0f / h) * cw, (v[2] * 2.0f - 1.0f) * cw, cw};
            std::memcpy(vertex, clip, 16);
        }
        // The arrays start at the first vertex used, so the indices are rebased onto it.
        base = m_scratchVertices.data();
        m_shadow.VertexPointer(4, stride, base);
        offset = 16;
        if (indices)
        {
            m_scratchIndices.resize(source.count);
            for (uint32_t i = 0; i < source.count; ++i)
            {
                uint32_t index = indexType == GL_UNSIGNED_INT ? static_cast<const uint32_t*>(indices)[i]
                                                              : static_cast<const uint16_t*>(indices)[i];
                m_scratchIndices[i] = index - source.firstVertex;
            }
            indices = m_scratchIndices.data();
            indexType = GL_UNSIGNED_INT;
        }
        bool fog = (fvf & Fvf::Specular) && Rs(RenderState::FogEnable);
        if (fog)
        {
            uint32_t specularAt = 16 + ((fvf & Fvf::Normal) ? 12 : 0) + ((fvf & Fvf::Diffuse) ? 4 : 0);
            m_scratchFog.resize(source.vertexCount);
            for (uint32_t i = 0; i < source.vertexCount; ++i)
                m_scratchFog[i] = base[static_cast<size_t>(i) * source.stride + specularAt + 3] / 255.0f;
            m_shadow.FogCoordPointer(m_scratchFog.data());
        }
        m_shadow.ClientArray(GL_FOG_COORD_ARRAY, fog);
    }
    else
    {
        m_shadow.VertexPointer(3, stride, base);
        offset = 12;
        m_shadow.ClientArray(GL_FOG_COORD_ARRAY, false);
    }
    // Every array that is on points into this draw's vertices; values without an array are set as current ones.
    bool normals = (fvf & Fvf::Normal) != 0;
    if (normals)
    {
        m_shadow.NormalPointer(stride, base + offset);
        offset += 12;
    }
    m_shadow.ClientArray(GL_NORMAL_ARRAY, normals);
    if (!normals)
        m_shadow.Normal({0.0f, 0.0f, 0.0f});
    bool diffuse = (fvf & Fvf::Diffuse) != 0;
    if (diffuse)
    {
        m_shadow.ColourPointer(stride, base + offset);
        offset += 4;
    }
    m_shadow.ClientArray(GL_COLOR_ARRAY, diffuse);
    if (!diffuse)
        m_shadow.Colour({1.0f, 1.0f, 1.0f, 1.0f});
    bool specular = (fvf & Fvf::Specular) != 0;
    if (specular)
    {
        m_shadow.SecondaryColourPointer(stride, base + offset);
        offset += 4;
    }
    m_shadow.ClientArray(GL_SECONDARY_COLOR_ARRAY, specular);
    // Units past the running stages take no coordinates.
    uint32_t sets = (fvf & Fvf::TexCountMask) >> Fvf::TexCountShift;
    for (uint32_t unit = 0; unit < m_uUnits; ++unit)
    {
        uint32_t set = Tss(unit, TextureStageState::TexCoordIndex) & 0xFFFF;
        bool array = unit < activeUnits && set < sets;
        if (array)
            m_shadow.TexCoordPointer(unit, stride, base + offset + set * 8);
        m_shadow.TexCoordArray(unit, array);
        if (!array && unit < activeUnits)
            m_shadow.TexCoord(unit, {0.0f, 0.0f, 0.0f, 1.0f});
    }

    GLenum mode = GlPrimitive(type);
    if (!indices)
    {
        GLint first = pretransformed ? 0 : static_cast<GLint>(source.firstVertex);
        gl.DrawArrays(mode, first, static_cast<GLsizei>(source.count));
    }
    else if (pretransformed)
    {
        gl.DrawRangeElements(mode, 0, source.vertexCount - 1, static_cast<GLsizei>(source.count), indexType, indices);
    }
    else
    {
        gl.DrawRangeElements(mode, source.firstVertex, source.firstVertex + source.vertexCount - 1,
                             static_cast<GLsizei>(source.count), indexType, indices);
    }
    return gl.GetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::DriverError;
}

namespace
{
// Lowest and highest index of a draw; false when the list is empty.
bool IndexRange(const void* indices, bool wide, uint32_t count, uint32_t* low, uint32_t* high)
{
    if (count == 0)
        return false;
    uint32_t lo = ~0u, hi = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint32_t v = wide ? static_cast<const uint32_t*>(indices)[i] : static_cast<const uint16_t*>(indices)[i];
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    *low = lo;
    *high = hi;
    return true;
}
} // namespace

GfxResult GLDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount)
{
    if (!m_pStream || m_pStream->data.locked || m_uStride == 0)
        return GfxResult::InvalidCall;
    uint32_t count = VertexCountOf(type, primitiveCount);
    uint64_t end = (static_cast<uint64_t>(startVertex) + count) * m_uStride;
    if (end > m_pStream->data.bytes.size())
        return GfxResult::InvalidCall;
    DrawSource source;
    source.vertices = m_pStream->data.bytes.data();
    source.stride = m_uStride;
    source.firstVertex = startVertex;
    source.vertexCount = count;
    source.count = count;
    return Draw(type, source);
}

GfxResult GLDevice::DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount)
{
    if (!m_pStream || !m_pIndices || m_pStream->data.locked || m_pIndices->data.locked || m_uStride == 0)
        return GfxResult::InvalidCall;
    uint32_t count = VertexCountOf(type, primitiveCount);
    bool wide = m_pIndices->format == PixelFormat::Index32;
    uint32_t indexSize = wide ? 4 : 2;
    if ((static_cast<uint64_t>(startIndex) + count) * indexSize > m_pIndices->data.bytes.size())
        return GfxResult::InvalidCall;
    const uint8_t* indices = m_pIndices->data.bytes.data() + static_cast<size_t>(startIndex) * indexSize;
    uint32_t low = 0, high = 0;
    if (!IndexRange(indices, wide, count, &low, &high))
        return GfxResult::Ok;
    // Every vertex the indices name must lie in the declared range and in the buffer.
    uint64_t vertices = m_pStream->data.bytes.size() / m_uStride;
    if (low < minIndex || high >= static_cast<uint64_t>(minIndex) + numVertices ||
        static_cast<uint64_t>(m_uBaseVertex) + high >= vertices)
    {
        return GfxResult::InvalidCall;
    }
    DrawSource source;
    source.vertices = m_pStream->data.bytes.data() + static_cast<size_t>(m_uBaseVertex) * m_uStride;
    source.stride = m_uStride;
    source.firstVertex = low;
    source.vertexCount = high - low + 1;
    source.indices = indices;
    source.indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    source.count = count;
    return Draw(type, source);
}

GfxResult GLDevice::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride)
{
    // A user-pointer draw leaves no stream and no index buffer bound.
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    if (!vertices || stride == 0)
        return GfxResult::InvalidCall;
    uint32_t count = VertexCountOf(type, primitiveCount);
    DrawSource source;
    source.vertices = static_cast<const uint8_t*>(vertices);
    source.stride = stride;
    source.vertexCount = count;
    source.count = count;
    return Draw(type, source);
}

GfxResult GLDevice::DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                           uint32_t primitiveCount, const void* indices, PixelFormat indexFormat,
                                           const void* vertices, uint32_t stride)
{
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    if (!vertices || !indices || stride == 0 ||
        (indexFormat != PixelFormat::Index16 && indexFormat != PixelFormat::Index32))
        return GfxResult::InvalidCall;
    bool wide = indexFormat == PixelFormat::Index32;
    uint32_t count = VertexCountOf(type, primitiveCount);
    uint32_t low = 0, high = 0;
    if (!IndexRange(indices, wide, count, &low, &high))
        return GfxResult::Ok;
    if (low < minIndex || high >= static_cast<uint64_t>(minIndex) + numVertices)
        return GfxResult::InvalidCall;
    DrawSource source;
    source.vertices = static_cast<const uint8_t*>(vertices);
    source.stride = stride;
    source.firstVertex = low;
    source.vertexCount = high - low + 1;
    source.indices = indices;
    source.indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    source.count = count;
    return Draw(type, source);
}

} // namespace platform
