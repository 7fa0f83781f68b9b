// Model drawing on the renderer: optimised mesh levels with their queued instances (plain and with material
// overrides) and batches of source-form model parts, from the shared static buffers for large parts and
// transformed on the processor into the dynamic buffers for small ones.
#include "engine/render/D3DRenderer.h"

#include "engine/core/Logger.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelDrawTypes.h"
#include "engine/render/ModelManager.h"
#include "engine/render/OptModel.h"
#include "engine/render/TextureManager.h"
#include "engine/render/TmFormat.h"

#include <algorithm>

using platform::GfxResult;
using platform::Matrix;
using platform::PrimitiveType;
using platform::Vec2;
using platform::Vec3;

namespace
{

// The processor copy of one batched part (static storage reused by every call).
struct Scratch
{
    Vec3 positions[kBatchedVertexLimit];
    Vec3 normals[kBatchedVertexLimit];
    uint32_t colours[kBatchedVertexLimit];
    Vec2 uvs[kBatchedVertexLimit];
};
Scratch g_scratch;

constexpr uint32_t kOverrideHighlight = 7;

Vec3 TransformAffine(const Vec3& v, const Matrix& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

// Every index names one of the part's vertices.
bool IndicesInRange(const uint16_t* indices, uint32_t count, uint32_t vertexCount)
{
    for (uint32_t i = 0; i < count; ++i)
        if (indices[i] >= vertexCount)
            return false;
    return true;
}

// The first instance of a chain not hidden in the pass, from `entry` on.
const DrawInstance* Visible(const DrawInstance* entry, bool shadowPass)
{
    while (entry && entry->IsHidden(shadowPass))
        entry = entry->m_pNext;
    return entry;
}

uint32_t CountVisible(const DrawInstance* entry, bool shadowPass)
{
    uint32_t n = 0;
    for (; entry; entry = entry->m_pNext)
        n += entry->IsHidden(shadowPass) ? 0 : 1;
    return n;
}

} // namespace

void D3DRenderer::ReportModelDraw(ModelDrawKind kind, uint32_t startVertex, uint32_t vertices, uint32_t startIndex,
                                  uint32_t indices)
{
    const int sv = static_cast<int>(startVertex), nv = static_cast<int>(vertices);
    const int si = static_cast<int>(startIndex), ni = static_cast<int>(indices);
    const char* error = GetD3DErrorText();
    switch (kind)
    {
    case ModelDrawKind::OptStatic:
        GetLogger()->Report(0,
                            "ERROR : %s\nDrawOptModelLOD (Static) - DrawIndexedPrimitive(StartVert=%d, NumVerts=%d, "
                            "StartIndex=%d, NumIndices=%d)\n",
                            error, sv, nv, si, ni);
        break;
    case ModelDrawKind::OptDynamic:
        GetLogger()->Report(0,
                            "ERROR : %s\nDrawOptModelLOD (Dynamic) - DrawIndexedPrimitive(StartVert=%d, NumVerts=%d, "
                            "StartIndex=%d, NumIndices=%d)\n",
                            error, sv, nv, si, ni);
        break;
    case ModelDrawKind::OverrideStatic:
        GetLogger()->Report(0,
                            "ERROR (%s)\n: DrawOptModelLOD_MatOveride (Static) ::DrawIndexedPrimitive(StartVert=%d, "
                            "NumVerts=%d, StartIndex=%d, NumIndices=%d)\n",
                            error, sv, nv, si, ni);
        break;
    case ModelDrawKind::OverrideDynamic:
        GetLogger()->Report(0,
                            "ERROR : %s\nDrawOptModelLOD_MatOveride (Dynamic) - DrawIndexedPrimitive(StartVert=%d, "
                            "NumVerts=%d, StartIndex=%d, NumIndices=%d)\n",
                            error, sv, nv, si, ni);
        break;
    case ModelDrawKind::BatchStatic:
        GetLogger()->Report(0, "ERROR : DrawModelBatch (%s)\n", error);
        break;
    case ModelDrawKind::BatchDynamic:
        GetLogger()->Report(0, "ERROR : DrawModelBatch(%s)\n", error);
        break;
    }
}

// ---- binding

void D3DRenderer::BindOptLevel(const OptMeshLOD& level, int32_t materialNumber)
{
    if (m_bShadowPass)
    {
        if (m_bTexturedShadow)
        {
            SetTexturePipe(0, level.m_aiTexture[0]);
            ApplyTexturePipes();
        }
        return;
    }
    SetTexturePipe(0, level.m_aiTexture[0]);
    SetTexturePipe(1, level.m_aiTexture[1]);
    if (materialNumber <= 0 || static_cast<uint32_t>(materialNumber) == kOverrideHighlight)
    {
        SetTexCoordSet(level.m_parts.m_iStateSet);
        SetTextureTransformSet(level.m_parts.m_iTextureTransformSet, level.m_aiTexture[0], level.m_aiTexture[1]);
        SetLightingSet(level.m_parts.m_iLightingSet);
    }
    else
    {
        const MaterialPartNumbers parts = g_MaterialTable.GetParts(materialNumber);
        SetTexCoordSet(parts.m_iStateSet);
        SetTextureTransformSet(parts.m_iTextureTransformSet, -1, -1);
        SetLightingSet(parts.m_iLightingSet);
    }
    ApplyTexturePipes();
}

const MeshRecord* D3DRenderer::BindMeshBuffers(uint32_t vertexHandle, uint32_t indexHandle)
{
    const MeshRecord* vertexRange = g_MeshManager.GetMesh(vertexHandle);
    const MeshRecord* indexRange = g_MeshManager.GetMesh(indexHandle);
    if (!m_pDevice || !vertexRange || !indexRange)
        return nullptr;
    VertexBuffer* vertices = GetVertexBufferByHandle(vertexRange->m_uVertexBuffer);
    IndexBuffer* indices = GetIndexBufferByHandle(indexRange->m_uIndexBuffer);
    if (!vertices || !indices || !vertices->GetDeviceBuffer() || !indices->GetDeviceBuffer())
        return nullptr;
    SetStreams(vertices->GetDeviceBuffer(), VertexKindFormat(vertexRange->m_uVertexKind),
               MeshManager::VertexSize(vertexRange->m_uVertexKind), indices->GetDeviceBuffer(),
               vertexRange->m_uBaseVertex);
    return indexRange;
}

void D3DRenderer::DrawStaticPart(const MeshRecord& indexRange, const Matrix& matrix, uint32_t vertexCount,
                                 uint32_t indexCount, ModelDrawKind kind)
{
    SetWorldMatrix(matrix, kTagAlways);
    const GfxResult result = m_pDevice->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, vertexCount,
                                                             indexRange.m_uFirstIndex, indexCount / 3);
    if (CheckD3DResult(result, "DrawIndexedPrimitive"))
        ReportModelDraw(kind, 0, vertexCount, indexRange.m_uFirstIndex, indexCount);
    CountDraw(vertexCount, indexCount / 3);
}

// ---- processor batching

bool D3DRenderer::GatherOptSource(const OptMeshLOD& level, const OptMesh& mesh, BatchSource* source)
{
    const uint32_t n = level.m_uVertexCount;
    *source = BatchSource{};
    source->m_uVertexCount = n;
    source->m_uIndexCount = level.m_uIndexCount;
    if (n == 0 || n > kBatchedVertexLimit || level.m_uIndexCount < 3)
        return false;

    if (mesh.m_positions.size() >= n && mesh.m_normals.size() >= n && mesh.m_vertices.size() >= n)
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            g_scratch.colours[i] = mesh.m_vertices[i].m_uColour;
            g_scratch.uvs[i] = {mesh.m_vertices[i].m_fU, mesh.m_vertices[i].m_fV};
        }
        source->m_pPositions = mesh.m_positions.data();
        source->m_pNormals = mesh.m_normals.data();
    }
    else
    {
        const auto* vertices = static_cast<const LitTexVertex*>(LockMeshVertices(mesh.m_uVertexHandle, n));
        if (!vertices)
            return false;
        for (uint32_t i = 0; i < n; ++i)
        {
            const LitTexVertex& v = vertices[i];
            g_scratch.positions[i] = {v.x, v.y, v.z};
            g_scratch.normals[i] = {v.nx, v.ny, v.nz};
            g_scratch.colours[i] = v.diffuse;
            g_scratch.uvs[i] = {v.u, v.v};
        }
        UnlockMeshVertices();
        source->m_pPositions = g_scratch.positions;
        source->m_pNormals = g_scratch.normals;
    }
    source->m_pColours = g_scratch.colours;
    source->m_pUVs = g_scratch.uvs;

    if (level.m_indices.size() >= level.m_uIndexCount)
    {
        source->m_pIndices = level.m_indices.data();
    }
    else
    {
        source->m_pIndices = LockMeshIndices(level.m_uIndexHandle, level.m_uIndexCount);
        m_bSourceLockedIndices = source->m_pIndices != nullptr;
    }
    if (!source->m_pIndices || !IndicesInRange(source->m_pIndices, level.m_uIndexCount, n))
    {
        ReleaseOptSource();
        return false;
    }
    return true;
}

void D3DRenderer::ReleaseOptSource()
{
    if (m_bSourceLockedIndices)
        UnlockMeshIndices();
    m_bSourceLockedIndices = false;
}

template <class Next>
void D3DRenderer::DrawBatched(const BatchSource& source, uint32_t count, Next next, ModelDrawKind kind)
{
    DynamicVertexStream* stream = m_apStreams[StreamLitTex].get();
    DynamicIndexStream* indexStream = m_pIndexStream.get();
    const uint32_t vc = source.m_uVertexCount;
    const uint32_t ic = source.m_uIndexCount;
    if (!m_pDevice || !stream || !indexStream || vc == 0 || ic == 0 || count == 0)
        return;
    // As many placements a draw as the dynamic buffers hold (both of them: a part with many indices and few
    // vertices is limited by the index buffer).
    const uint32_t perDraw = std::min(m_uDynamicCapacity / vc, indexStream->m_uCapacity / ic);
    if (perDraw == 0)
        return;

    SetWorldMatrix(m_identity, kTagIdentity);
    SetStreams(stream->m_pBuffer.get(), kFvfLitTexVertex, sizeof(LitTexVertex), indexStream->m_pBuffer.get(), 0);

    uint32_t remaining = count;
    while (remaining > 0)
    {
        const uint32_t batch = std::min(remaining, perDraw);
        remaining -= batch;
        uint32_t startVertex = 0;
        auto* vertices = static_cast<LitTexVertex*>(AppendLock(stream, batch * vc, &startVertex));
        uint32_t startIndex = 0;
        uint16_t* indices = vertices ? AppendLock(indexStream, batch * ic, &startIndex) : nullptr;
        if (!indices)
        {
            // No room to write to: this batch is skipped.
            if (vertices)
            {
                stream->m_pBuffer->Unlock();
                stream->m_bLocked = false;
            }
            for (uint32_t i = 0; i < batch; ++i)
                next();
            continue;
        }

        uint32_t base = startVertex;
        for (uint32_t b = 0; b < batch; ++b)
        {
            const Matrix& m = next();
            for (uint32_t v = 0; v < vc; ++v)
            {
                const Vec3 p = TransformAffine(source.m_pPositions[v], m);
                const Vec3 n = platform::Vec3TransformNormal(source.m_pNormals[v], m);
                *vertices++ = {p.x,
                               p.y,
                               p.z,
                               n.x,
                               n.y,
                               n.z,
                               source.m_pColours ? source.m_pColours[v] : 0u,
                               0u,
                               source.m_pUVs[v].x,
                               source.m_pUVs[v].y};
            }
            for (uint32_t i = 0; i < ic; ++i)
                *indices++ = static_cast<uint16_t>(source.m_pIndices[i] + base);
            base += vc;
        }
        indexStream->m_pBuffer->Unlock();
        indexStream->m_bLocked = false;
        stream->m_pBuffer->Unlock();
        stream->m_bLocked = false;

        const GfxResult result = m_pDevice->DrawIndexedPrimitive(PrimitiveType::TriangleList, startVertex, batch * vc,
                                                                 startIndex, (ic / 3) * batch);
        if (CheckD3DResult(result, "DrawIndexedPrimitive"))
            ReportModelDraw(kind, startVertex, batch * vc, startIndex, batch * ic);
        CountDraw(batch * vc, (ic / 3) * batch);
    }
}

// ---- the three draw operations

void D3DRenderer::DrawOptModelLOD(const OptMeshLODPair* pair)
{
    if (!m_pDevice || !pair || !pair->m_pLevel || !pair->m_pMesh)
        return;
    const OptMeshLOD& level = *pair->m_pLevel;
    const OptMesh& mesh = *pair->m_pMesh;
    const DrawInstance* first = Visible(level.m_pInstances, m_bShadowPass);
    if (!first)
        return;
    BindOptLevel(level, 0);

    if (level.m_uVertexCount > kBatchedVertexLimit)
    {
        const MeshRecord* indexRange = BindMeshBuffers(mesh.m_uVertexHandle, level.m_uIndexHandle);
        if (!indexRange)
            return;
        for (const DrawInstance* d = first; d; d = Visible(d->m_pNext, m_bShadowPass))
            DrawStaticPart(*indexRange, *d->m_pMatrix, level.m_uVertexCount, level.m_uIndexCount,
                           ModelDrawKind::OptStatic);
        return;
    }

    BatchSource source;
    if (!GatherOptSource(level, mesh, &source))
        return;
    const DrawInstance* cursor = first;
    auto next = [&]() -> const Matrix&
    {
        const Matrix& m = *cursor->m_pMatrix;
        cursor = Visible(cursor->m_pNext, m_bShadowPass);
        return m;
    };
    DrawBatched(source, CountVisible(first, m_bShadowPass), next, ModelDrawKind::OptDynamic);
    ReleaseOptSource();
}

void D3DRenderer::DrawOptModelLOD_MatOveride(const OptMeshLODPair* pair)
{
    if (!m_pDevice || !pair || !pair->m_pLevel || !pair->m_pMesh)
        return;
    const OptMeshLOD& level = *pair->m_pLevel;
    const OptMesh& mesh = *pair->m_pMesh;
    const bool batched = level.m_uVertexCount <= kBatchedVertexLimit;
    BatchSource source;
    bool haveSource = false;

    for (const DrawInstance* d = Visible(level.m_pOverrideInstances, m_bShadowPass); d;
         d = Visible(d->m_pNext, m_bShadowPass))
    {
        const int32_t material = m_bShadowPass ? 0 : d->m_uOverride;
        // The highlight goes on before the level's lighting is applied, so that its material takes the pulsing
        // emissive scale under the darkened light.
        const bool highlight = material == static_cast<int32_t>(kOverrideHighlight);
        if (highlight)
            SetHighlight(true);
        BindOptLevel(level, material);
        if (!batched)
        {
            if (const MeshRecord* indexRange = BindMeshBuffers(mesh.m_uVertexHandle, level.m_uIndexHandle))
                DrawStaticPart(*indexRange, *d->m_pMatrix, level.m_uVertexCount, level.m_uIndexCount,
                               ModelDrawKind::OverrideStatic);
        }
        else
        {
            if (!haveSource)
                haveSource = GatherOptSource(level, mesh, &source);
            if (haveSource)
                DrawBatched(
                    source, 1, [&]() -> const Matrix& { return *d->m_pMatrix; }, ModelDrawKind::OverrideDynamic);
        }
        if (highlight)
            SetHighlight(false);
    }
    if (haveSource)
        ReleaseOptSource();
}

void D3DRenderer::DrawModelBatch(const ModelBatchEntry* entry, uint32_t count)
{
    if (!m_pDevice || !entry || !entry->m_pMesh || !entry->m_pLevel || count == 0)
        return;
    const SubModel& sub = *entry->m_pMesh;
    const SubModelLOD& level = *entry->m_pLevel;

    if (entry->m_uMaterial == 0)
    {
        SetMaterial(&level.m_material, true);
    }
    else
    {
        SetMaterial(g_MaterialTable.GetMaterial(static_cast<int32_t>(entry->m_uMaterial)), true);
        m_pMaterial = nullptr;
    }
    if (m_bShadowPass && m_bTexturedShadow)
        SetTexturePipe(0, level.m_material.m_aStages[0].m_iTexture);

    const uint32_t vertexHandle = sub.m_levels.empty() ? 0 : sub.m_levels[0].m_uMeshHandle;
    if (vertexHandle == 0 || level.m_uVertexCount <= kBatchedVertexLimit)
    {
        const uint32_t n = level.m_uVertexCount;
        if (n == 0 || n > kBatchedVertexLimit || sub.m_positions.size() < n || sub.m_normals.size() < n ||
            sub.m_uvs.size() < n || level.m_indices.size() < 3 ||
            !IndicesInRange(level.m_indices.data(), static_cast<uint32_t>(level.m_indices.size()), n))
            return;
        TexturePlacement place;
        if (!g_ModelManager.IsBuildingOptimised())
        {
            const int32_t slot = level.m_material.m_aStages[0].m_iTexture;
            if (const TextureSlot* s = slot > 0 ? g_TextureManager.GetSlot(static_cast<uint32_t>(slot)) : nullptr)
                place = s->GetPlacement();
        }
        const bool coloured = sub.m_colours.size() >= n;
        for (uint32_t i = 0; i < n; ++i)
        {
            g_scratch.colours[i] = coloured ? sub.m_colours[i] : 0u;
            g_scratch.uvs[i] = {sub.m_uvs[i].x * place.m_fUScale + place.m_fUOffset,
                                sub.m_uvs[i].y * place.m_fVScale + place.m_fVOffset};
        }
        BatchSource source;
        source.m_pPositions = sub.m_positions.data();
        source.m_pNormals = sub.m_normals.data();
        source.m_pColours = g_scratch.colours;
        source.m_pUVs = g_scratch.uvs;
        source.m_pIndices = level.m_indices.data();
        source.m_uVertexCount = n;
        source.m_uIndexCount = static_cast<uint32_t>(level.m_indices.size());
        ApplyTexturePipes();
        const ModelBatchEntry* cursor = entry;
        auto next = [&]() -> const Matrix&
        {
            const Matrix& m = *cursor->m_pMatrix;
            cursor = cursor->m_pNext ? cursor->m_pNext : cursor;
            return m;
        };
        DrawBatched(source, count, next, ModelDrawKind::BatchDynamic);
        return;
    }

    const MeshRecord* indexRange = BindMeshBuffers(vertexHandle, level.m_uMeshHandle);
    if (!indexRange)
        return;
    ApplyTexturePipes();
    const uint32_t indexCount = static_cast<uint32_t>(level.m_indices.size());
    const ModelBatchEntry* e = entry;
    for (uint32_t i = 0; i < count && e; ++i, e = e->m_pNext)
        DrawStaticPart(*indexRange, *e->m_pMatrix, level.m_uVertexCount, indexCount, ModelDrawKind::BatchStatic);
}
