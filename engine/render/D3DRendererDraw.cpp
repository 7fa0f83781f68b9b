// Immediate drawing: the dynamic vertex and index streams, the stream binding, the blend modes and the six draw
// operations for coloured and textured primitives and lines.
#include "engine/render/D3DRenderer.h"

#include "engine/core/Logger.h"
#include "engine/render/DeviceEnum.h"

#include <cstring>

using platform::BlendFactor;
using platform::GfxResult;
using platform::PrimitiveType;
using platform::RenderState;

namespace
{

constexpr uint32_t kStreamFormats[D3DRenderer::StreamCount] = {kFvfColourVertex, kFvfNormalTexVertex, kFvfLitTexVertex,
                                                               kFvfTexturedVertex};
constexpr uint32_t kStreamStrides[D3DRenderer::StreamCount] = {sizeof(ColourVertex), sizeof(NormalTexVertex),
                                                               sizeof(LitTexVertex), sizeof(TexturedVertex)};

constexpr uint32_t kDynamicUsage = platform::Usage::WriteOnly | platform::Usage::Dynamic;

// The start and lock flags of an appending lock of n items: from the start with a discarding lock after a scene
// start or when the items do not fit strictly below the capacity, else behind what is used with no-overwrite.
uint32_t AppendPosition(uint32_t next, bool discard, uint32_t n, uint32_t capacity, uint32_t* flags)
{
    if (!discard && static_cast<uint64_t>(next) + n < capacity)
    {
        *flags = platform::LockFlags::NoOverwrite | platform::LockFlags::NoSysLock;
        return next;
    }
    *flags = platform::LockFlags::Discard | platform::LockFlags::NoSysLock;
    return 0;
}

} // namespace

// ---- dynamic streams

void D3DRenderer::CreateDynamicStreams()
{
    if (!m_pDevice)
        return;
    for (int i = 0; i < StreamCount; ++i)
    {
        auto stream = std::make_unique<DynamicVertexStream>();
        stream->m_uCapacity = m_uDynamicCapacity;
        stream->m_uStride = kStreamStrides[i];
        m_pDevice->CreateVertexBuffer(m_uDynamicCapacity * kStreamStrides[i], kDynamicUsage, kStreamFormats[i],
                                      platform::Pool::Default, &stream->m_pBuffer);
        m_apStreams[i] = std::move(stream);
    }
    auto indices = std::make_unique<DynamicIndexStream>();
    indices->m_uCapacity = m_uDynamicCapacity * kIndexCapacityFactor;
    m_pDevice->CreateIndexBuffer(indices->m_uCapacity * 2, kDynamicUsage, platform::PixelFormat::Index16,
                                 platform::Pool::Default, &indices->m_pBuffer);
    m_pIndexStream = std::move(indices);
}

void D3DRenderer::ReleaseDynamicStreams()
{
    for (auto& stream : m_apStreams)
    {
        if (!stream)
            continue;
        if (stream->m_bLocked) // only a stream with a buffer is ever locked
            stream->m_pBuffer->Unlock();
        stream->m_bLocked = false;
        stream.reset();
    }
    if (m_pIndexStream)
    {
        if (m_pIndexStream->m_bLocked)
            m_pIndexStream->m_pBuffer->Unlock();
        m_pIndexStream.reset();
    }
    // A buffer made later may sit at the address of a released one: it must be bound, not skipped.
    m_binding = StreamBinding{};
}

void* D3DRenderer::AppendLock(DynamicVertexStream* stream, uint32_t n, uint32_t* start)
{
    if (!stream || !stream->m_pBuffer || stream->m_bLocked || n == 0 || n > stream->m_uCapacity)
        return nullptr;
    uint32_t flags = 0;
    const uint32_t position = AppendPosition(stream->m_uNext, stream->m_bDiscard, n, stream->m_uCapacity, &flags);
    void* data = nullptr;
    if (stream->m_pBuffer->Lock(position * stream->m_uStride, n * stream->m_uStride, &data, flags) != GfxResult::Ok ||
        !data)
        return nullptr;
    stream->m_bDiscard = false;
    *start = position;
    stream->m_uNext = position + n;
    stream->m_bLocked = true;
    return data;
}

uint16_t* D3DRenderer::AppendLock(DynamicIndexStream* stream, uint32_t n, uint32_t* start)
{
    if (!stream || !stream->m_pBuffer || stream->m_bLocked || n == 0 || n > stream->m_uCapacity)
        return nullptr;
    uint32_t flags = 0;
    const uint32_t position = AppendPosition(stream->m_uNext, stream->m_bDiscard, n, stream->m_uCapacity, &flags);
    void* data = nullptr;
    if (stream->m_pBuffer->Lock(position * 2, n * 2, &data, flags) != GfxResult::Ok || !data)
        return nullptr;
    stream->m_bDiscard = false;
    *start = position;
    stream->m_uNext = position + n;
    stream->m_bLocked = true;
    return static_cast<uint16_t*>(data);
}

// ---- binding

void D3DRenderer::SetStreams(platform::IVertexBuffer* vertexBuffer, uint32_t format, uint32_t stride,
                             platform::IIndexBuffer* indexBuffer, uint32_t baseVertexIndex)
{
    if (!m_pDevice)
        return;
    if (vertexBuffer != m_binding.m_pVertexBuffer)
    {
        m_pDevice->SetVertexShader(format);
        m_pDevice->SetStreamSource(0, vertexBuffer, stride);
        m_binding.m_pVertexBuffer = vertexBuffer;
    }
    if (indexBuffer != m_binding.m_pIndexBuffer || static_cast<int64_t>(baseVertexIndex) != m_binding.m_iBaseVertex)
    {
        m_pDevice->SetIndices(indexBuffer, baseVertexIndex);
        m_binding.m_pIndexBuffer = indexBuffer;
        m_binding.m_iBaseVertex = baseVertexIndex;
    }
}

void D3DRenderer::SetBlendMode(uint32_t mode)
{
    struct Blend
    {
        bool enable;
        uint32_t src;
        uint32_t dest;
    };
    static const Blend kModes[13] = {
        {false, BlendFactor::One, BlendFactor::Zero},
        {true, BlendFactor::One, BlendFactor::One},
        {true, BlendFactor::Zero, BlendFactor::One},
        {true, BlendFactor::SrcColour, BlendFactor::SrcAlpha},
        {true, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha},
        {true, BlendFactor::InvSrcAlpha, BlendFactor::SrcAlpha},
        {true, BlendFactor::SrcAlpha, BlendFactor::SrcAlpha},
        {true, BlendFactor::InvSrcAlpha, BlendFactor::InvSrcAlpha},
        {true, BlendFactor::SrcColour, BlendFactor::Zero},
        {true, BlendFactor::SrcAlpha, BlendFactor::One},
        {false, 0, 0}, // 10: no blend states
        {true, BlendFactor::Zero, BlendFactor::SrcColour},
        {true, BlendFactor::DestColour, BlendFactor::One},
    };
    if (mode >= 13 || mode == 10)
        return;
    const Blend& blend = kModes[mode];
    m_states.Set(RenderState::AlphaBlendEnable, blend.enable ? 1 : 0);
    m_states.Set(RenderState::SrcBlend, blend.src);
    m_states.Set(RenderState::DestBlend, blend.dest);
}

// ---- the draw family

bool D3DRenderer::FillStreams(StreamIndex streamIndex, uint32_t format, const void* vertices, uint32_t vertexCount,
                              const uint16_t* indices, uint32_t indexCount, ImmediateDraw* draw)
{
    DynamicVertexStream* stream = m_apStreams[streamIndex].get();
    DynamicIndexStream* indexStream = m_pIndexStream.get();
    if (!vertices || (!indices && indexCount > vertexCount))
        return false;

    uint32_t startVertex = 0;
    void* vertexData = AppendLock(stream, vertexCount, &startVertex);
    if (!vertexData)
        return false;
    uint32_t startIndex = 0;
    uint16_t* indexData = AppendLock(indexStream, indexCount, &startIndex);
    if (!indexData)
    {
        stream->m_pBuffer->Unlock();
        stream->m_bLocked = false;
        return false;
    }

    std::memcpy(vertexData, vertices, static_cast<size_t>(vertexCount) * stream->m_uStride);
    for (uint32_t i = 0; i < indexCount; ++i)
    {
        const uint32_t index = indices ? indices[i] : i;
        indexData[i] = static_cast<uint16_t>(index + startVertex);
    }

    indexStream->m_pBuffer->Unlock();
    indexStream->m_bLocked = false;
    stream->m_pBuffer->Unlock();
    stream->m_bLocked = false;

    SetStreams(stream->m_pBuffer.get(), format, stream->m_uStride, indexStream->m_pBuffer.get(), 0);
    // The draw binds its own textures: a whole material applied next binds its own again.
    ForgetWholeMaterial();
    draw->m_uStartVertex = startVertex;
    draw->m_uStartIndex = startIndex;
    return true;
}

void D3DRenderer::DrawPolsUntexCol(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                   uint32_t indexCount, uint32_t)
{
    if (!m_pDevice || !indices || vertexCount == 0 || indexCount / 3 == 0)
        return;
    ImmediateDraw draw;
    if (!FillStreams(StreamColour, kFvfColourVertex, vertices, vertexCount, indices, indexCount, &draw))
        return;
    SetTexturePipe(0, -1);
    ApplyTexturePipes();
    const GfxResult result = m_pDevice->DrawIndexedPrimitive(PrimitiveType::TriangleList, draw.m_uStartVertex,
                                                             vertexCount, draw.m_uStartIndex, indexCount / 3);
    if (CheckD3DResult(result, "DrawPolsUntexCol"))
        GetLogger()->Report(0, "ERROR : DrawPolsUntexCol (%s)\n", GetD3DErrorText());
    CountDraw(vertexCount, indexCount / 3);
}

void D3DRenderer::DrawLineCol(const ColourVertex* twoVertices)
{
    if (!m_pDevice || !twoVertices)
        return;
    ImmediateDraw draw;
    if (!FillStreams(StreamColour, kFvfColourVertex, twoVertices, 2, nullptr, 2, &draw))
        return;
    SetTexturePipe(0, -1);
    ApplyTexturePipes();
    const GfxResult result =
        m_pDevice->DrawIndexedPrimitive(PrimitiveType::LineList, draw.m_uStartVertex, 2, draw.m_uStartIndex, 1);
    if (CheckD3DResult(result, "DrawLineCol"))
        GetLogger()->Report(0, "ERROR : DrawLineCol (%s)\n", GetD3DErrorText());
    m_pStats->Add(RenderStats::DrawCalls, 1);
    m_pStats->Add(RenderStats::Vertices, 2);
}

void D3DRenderer::DrawLineColList(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t*,
                                  uint32_t indexCount)
{
    if (!m_pDevice)
        return;
    SetWorldMatrix(m_identity, kTagAlways);
    // The lines join vertices 0-1, 2-3, ...: never more indices than the vertices given.
    if (indexCount > vertexCount)
        indexCount = vertexCount;
    if (vertexCount == 0 || indexCount / 2 == 0)
        return;
    ImmediateDraw draw;
    if (!FillStreams(StreamColour, kFvfColourVertex, vertices, vertexCount, nullptr, indexCount, &draw))
        return;
    SetTexturePipe(0, -1);
    ApplyTexturePipes();
    const GfxResult result = m_pDevice->DrawIndexedPrimitive(PrimitiveType::LineList, draw.m_uStartVertex, vertexCount,
                                                             draw.m_uStartIndex, indexCount / 2);
    if (CheckD3DResult(result, "DrawLineColList"))
        GetLogger()->Report(0, "ERROR : DrawLineColList (%s)\n", GetD3DErrorText());
    m_pStats->Add(RenderStats::DrawCalls, 1);
    m_pStats->Add(RenderStats::Vertices, vertexCount);
}

void D3DRenderer::DrawTexturedTriangles(const char* operation, const ImmediateDraw& draw, uint32_t vertexCount,
                                        uint32_t indexCount)
{
    ApplyTexturePipes();
    const GfxResult result = m_pDevice->DrawIndexedPrimitive(PrimitiveType::TriangleList, draw.m_uStartVertex,
                                                             vertexCount, draw.m_uStartIndex, indexCount / 3);
    if (CheckD3DResult(result, operation))
    {
        GetLogger()->Report(0,
                            "ERROR (%s)\n: %s::DrawIndexedPrimitive(StartVert=%d, NumVerts=%d, StartIndex=%d, "
                            "NumIndices=%d)\n",
                            GetD3DErrorText(), operation, static_cast<int>(draw.m_uStartVertex),
                            static_cast<int>(vertexCount), static_cast<int>(draw.m_uStartIndex),
                            static_cast<int>(indexCount));
    }
    CountDraw(vertexCount, indexCount / 3);
}

void D3DRenderer::DrawPolsTexCol(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                 uint32_t indexCount, int32_t texture, int32_t secondTexture)
{
    if (!m_pDevice || !indices || vertexCount == 0 || indexCount / 3 == 0)
        return;
    ImmediateDraw draw;
    if (!FillStreams(StreamTextured, kFvfTexturedVertex, vertices, vertexCount, indices, indexCount, &draw))
        return;
    SetTexturePipe(0, texture);
    SetTexturePipe(1, secondTexture);
    DrawTexturedTriangles("DrawPolsTexCol", draw, vertexCount, indexCount);
}

void D3DRenderer::DrawPolsTexNormal(const NormalTexVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                    uint32_t indexCount, int32_t texture, int32_t secondTexture)
{
    if (!m_pDevice || !indices || vertexCount == 0 || indexCount / 3 == 0)
        return;
    ImmediateDraw draw;
    if (!FillStreams(StreamNormalTex, kFvfNormalTexVertex, vertices, vertexCount, indices, indexCount, &draw))
        return;
    SetTexturePipe(0, texture);
    SetTexturePipe(1, secondTexture);
    DrawTexturedTriangles("DrawPolsTexNormal", draw, vertexCount, indexCount);
}

void D3DRenderer::DrawPolsTexColTPage(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                      uint32_t indexCount, int32_t textureNumber)
{
    if (!m_pDevice || !indices || vertexCount == 0 || indexCount / 3 == 0)
        return;
    ImmediateDraw draw;
    if (!FillStreams(StreamTextured, kFvfTexturedVertex, vertices, vertexCount, indices, indexCount, &draw))
        return;
    SetDeviceTexturePipe(0, textureNumber);
    SetTexturePipe(1, -1);
    DrawTexturedTriangles("DrawPolsTexColTPage", draw, vertexCount, indexCount);
}
