// The graphics manager's 2D drawing: the draw batcher, the queued texts, immediate screen drawing, batched lines,
// quads and shaded boxes, polygon sets placed in the world, and the point and ray operations.
#include "engine/render/GraphicsManager.h"

#include "engine/render/D3DRenderer.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/TextureManager.h"

#include <algorithm>
#include <cmath>

using platform::Matrix;
using platform::Vec3;

namespace
{

constexpr uint16_t kQuadIndices[6] = {0, 1, 2, 0, 2, 3};
constexpr uint16_t kLineIndices[2] = {0, 1};
constexpr uint32_t kTagIdentity = D3DRenderer::kTagIdentity;
constexpr uint32_t kTagAlways = D3DRenderer::kTagAlways;
// Half the horizontal view angle the picking rays assume.
constexpr double kPickHalfAngle = 35.0 * 3.14159265358979323846 / 180.0;

// Where a slot's texture lies in its page (u scale, u offset, v scale, v offset); no texture maps as it is.
TexturePlacement PlacementOf(int32_t slot)
{
    return slot > 0 ? g_TextureManager.GetPlacement(static_cast<uint32_t>(slot)) : TexturePlacement{};
}

// Leaves a vector shorter than 0.0001 as it is.
Vec3 NormalizeRay(Vec3 v)
{
    const float length = platform::Vec3Length(v);
    return length < 0.0001f ? v : v * (1.0f / length);
}

// Each of the colour's four bytes times the factor, truncated; the alpha byte then put back.
uint32_t ShadeColour(uint32_t colour, float factor)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= TruncateChannel(static_cast<float>((colour >> shift) & 0xFF) * factor) << shift;
    return out | (colour & 0xFF000000u);
}

} // namespace

// ---- the batcher

void GraphicsManager::BeginBatch(int32_t kind, int32_t texture, int32_t material)
{
    if (kind == BATCH_NONE && m_iBatchKind == BATCH_NONE)
        return;
    if (kind == m_iBatchKind && texture == m_iBatchTexture && material == m_iBatchMaterial &&
        m_iBatchVertices + BatchStore::kFlushMargin < BatchStore::kVertexCapacity)
        return;

    Renderer* renderer = m_pRenderer.get();
    const Matrix identity = platform::MatrixIdentity();
    if (renderer)
    {
        const uint32_t vertices = static_cast<uint32_t>(m_iBatchVertices);
        const uint32_t indices = static_cast<uint32_t>(m_iBatchIndices);
        switch (m_iBatchKind)
        {
        case BATCH_COLOURED_TRIS:
            renderer->UseMaterial(m_iBatchMaterial, -1, -1, false);
            renderer->SetWorldMatrix(identity, kTagIdentity);
            if (vertices > 0)
                renderer->DrawPolsUntexCol(m_pBatch->colour, vertices, m_pBatch->indices, indices, 0);
            break;
        case BATCH_COLOURED_LINES:
            // The line draw sets the identity world matrix itself: world lines are given in world coordinates.
            renderer->UseMaterial(m_iBatchMaterial, -1, -1, false);
            if (vertices > 0)
                renderer->DrawLineColList(m_pBatch->colour, vertices, m_pBatch->indices, indices);
            break;
        case BATCH_TEXTURED_TRIS:
            renderer->SetWorldMatrix(identity, kTagIdentity);
            renderer->UseMaterial(m_iBatchMaterial, m_iBatchTexture, -1, false);
            if (vertices > 0)
                renderer->DrawPolsTexCol(m_pBatch->textured, vertices, m_pBatch->indices, indices, m_iBatchTexture, -1);
            break;
        default:
            break;
        }
    }

    if (kind != BATCH_NONE)
    {
        m_iBatchVertices = 0;
        m_iBatchIndices = 0;
    }
    m_iBatchKind = kind;
    m_iBatchTexture = texture;
    m_iBatchMaterial = material;
}

int32_t GraphicsManager::ReserveBatch(int32_t vertices, int32_t indices)
{
    // BeginBatch leaves room for any one primitive; this only guards the stores should that ever change.
    if (m_iBatchVertices + vertices > BatchStore::kVertexCapacity ||
        m_iBatchIndices + indices > BatchStore::kIndexCapacity)
    {
        const int32_t kind = m_iBatchKind, texture = m_iBatchTexture, material = m_iBatchMaterial;
        FlushBatch();
        BeginBatch(kind, texture, material);
    }
    return m_iBatchVertices;
}

void GraphicsManager::AppendBatchIndices(const uint16_t* local, int32_t count, int32_t first, int32_t vertices)
{
    for (int32_t i = 0; i < count; ++i)
        m_pBatch->indices[m_iBatchIndices + i] = static_cast<uint16_t>(first + local[i]);
    m_iBatchIndices += count;
    m_iBatchVertices += vertices;
}

void GraphicsManager::AppendColouredQuad(const ColourVertex (&corners)[4])
{
    const int32_t first = ReserveBatch(4, 6);
    std::copy(corners, corners + 4, m_pBatch->colour + first);
    AppendBatchIndices(kQuadIndices, 6, first, 4);
}

void GraphicsManager::AppendTexturedQuad(const float (&xy)[4][2], float u0, float v0, float u1, float v1,
                                         uint32_t colour)
{
    const int32_t first = ReserveBatch(4, 6);
    const float uv[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    for (int i = 0; i < 4; ++i)
        m_pBatch->textured[first + i] = {xy[i][0], xy[i][1], 0.0f, colour, uv[i][0], uv[i][1]};
    AppendBatchIndices(kQuadIndices, 6, first, 4);
}

// ---- the text queue

void GraphicsManager::ResetTextQueue()
{
    m_pTextQueue->runCount = 0;
    m_pTextQueue->quadCount = 0;
    m_pTextQueue->poolVertices = 0;
    m_pTextQueue->currentRun = -1;
    m_bTextQueueOpen = false;
}

void GraphicsManager::BeginTextQueue(const Vec3& anchor, uint32_t colour, int32_t texture)
{
    TextQueue& queue = *m_pTextQueue;
    // A full run table keeps no run: its quads are offered and dropped, and nothing is written past the table.
    queue.currentRun = -1;
    if (queue.runCount < TextQueue::kRunCapacity)
    {
        TextRun& run = queue.runs[queue.runCount];
        run.anchor = anchor;
        run.texture = texture;
        run.vertexCount = 0;
        run.firstVertex = queue.poolVertices;
        queue.currentRun = queue.runCount;
    }
    queue.runColour = colour;
    m_bTextQueueOpen = true;
}

void GraphicsManager::EndTextQueue()
{
    TextQueue& queue = *m_pTextQueue;
    // Only a run that was opened and kept is counted.
    if (m_bTextQueueOpen && queue.currentRun >= 0 && queue.runCount < TextQueue::kRunCapacity)
        ++queue.runCount;
    queue.currentRun = -1;
    m_bTextQueueOpen = false;
}

void GraphicsManager::AddTextQuad(float x0, float y0, float x1, float y1, float tx0, float ty0, float tx1, float ty1)
{
    TextQueue& queue = *m_pTextQueue;
    if (queue.quadCount >= TextQueue::kQuadCapacity)
        return;
    ++queue.quadCount;
    if (queue.currentRun < 0)
        return;

    TextRun& run = queue.runs[queue.currentRun];
    const Vec3 screen =
        platform::Vec3Project(run.anchor, m_aViewport[0], m_projection, m_view, platform::MatrixIdentity());
    if (screen.z >= 1.0f)
        return;

    const float px = screen.x, py = screen.y;
    TexturedVertex* v = queue.pool + queue.poolVertices;
    v[0] = {px + x0, py + y0, screen.z, queue.runColour, tx0, ty0};
    v[1] = {px + x1, py + y0, screen.z, queue.runColour, tx1, ty0};
    v[2] = {px + x1, py + y1, screen.z, queue.runColour, tx1, ty1};
    v[3] = {px + x0, py + y1, screen.z, queue.runColour, tx0, ty1};
    queue.poolVertices += 4;
    run.vertexCount += 4;
}

void GraphicsManager::DrawQueuedText()
{
    FlushBatch();
    if (!m_pRenderer)
        return;
    const TextQueue& queue = *m_pTextQueue;
    const Matrix identity = platform::MatrixIdentity();
    for (int32_t r = 0; r < queue.runCount; ++r)
    {
        const TextRun& run = queue.runs[r];
        m_pRenderer->UseMaterial(1, run.texture, -1, false);
        if (run.vertexCount <= 0)
            continue;
        m_pRenderer->SetWorldMatrix(identity, kTagIdentity);
        for (int32_t k = 0; 4 * k < run.vertexCount; ++k)
            m_pRenderer->DrawPolsTexCol(queue.pool + run.firstVertex + 4 * k, 4, kQuadIndices, 6, run.texture, -1);
    }
}

// ---- immediate screen drawing

void GraphicsManager::DrawPixel(int32_t x, int32_t y, uint32_t colour)
{
    DrawRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(int64_t{x} + 1),
             static_cast<float>(int64_t{y} + 1), colour);
}

void GraphicsManager::DrawTriangle(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c1, uint32_t c2,
                                   uint32_t c3)
{
    FlushBatch();
    const ColourVertex vertices[3] = {{x1, y1, 0.0f, c1}, {x2, y2, 0.0f, c2}, {x3, y3, 0.0f, c3}};
    if (m_pRenderer)
        m_pRenderer->DrawPolsUntexCol(vertices, 3, kQuadIndices, 3, 0);
}

void GraphicsManager::DrawRect(float x0, float y0, float x1, float y1, uint32_t colour)
{
    FlushBatch();
    const ColourVertex vertices[4] = {
        {x0, y0, 0.0f, colour}, {x1, y0, 0.0f, colour}, {x1, y1, 0.0f, colour}, {x0, y1, 0.0f, colour}};
    if (m_pRenderer)
        m_pRenderer->DrawPolsUntexCol(vertices, 4, kQuadIndices, 6, 0);
}

void GraphicsManager::DrawRects(std::span<const ColourRect> rects)
{
    FlushBatch();
    if (!m_pRenderer)
        return;
    for (size_t start = 0; start < rects.size(); start += kRectsPerDraw)
    {
        const size_t count = std::min(kRectsPerDraw, rects.size() - start);
        m_rectVertices.resize(count * 4);
        // Every draw takes the same indices from the start: they are made once, for the most rectangles drawn.
        for (size_t i = m_rectIndices.size() / 6; i < count; ++i)
            for (const uint16_t corner : kQuadIndices)
                m_rectIndices.push_back(static_cast<uint16_t>(i * 4 + corner));
        for (size_t i = 0; i < count; ++i)
        {
            const ColourRect& r = rects[start + i];
            ColourVertex* v = &m_rectVertices[i * 4];
            v[0] = {r.x0, r.y0, 0.0f, r.colour};
            v[1] = {r.x1, r.y0, 0.0f, r.colour};
            v[2] = {r.x1, r.y1, 0.0f, r.colour};
            v[3] = {r.x0, r.y1, 0.0f, r.colour};
        }
        m_pRenderer->DrawPolsUntexCol(m_rectVertices.data(), static_cast<uint32_t>(count * 4), m_rectIndices.data(),
                                      static_cast<uint32_t>(count * 6), 0);
    }
}

void GraphicsManager::DrawRectXYWH(const uint32_t rect[4], uint32_t colour)
{
    // The fields are unsigned: a negative width arrives as a large one and is drawn so.
    const float x = static_cast<float>(rect[0]), y = static_cast<float>(rect[1]);
    DrawRect(x, y, x + static_cast<float>(rect[2]), y + static_cast<float>(rect[3]), colour);
}

void GraphicsManager::FillRect(const int32_t rect[4], uint32_t colour)
{
    // left, top, bottom, right
    DrawRect(static_cast<float>(rect[0]), static_cast<float>(rect[1]), static_cast<float>(rect[3]),
             static_cast<float>(rect[2]), colour);
}

// ---- batched drawing

int GraphicsManager::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
{
    DrawLine3D({static_cast<float>(x1), static_cast<float>(y1), 0.0f},
               {static_cast<float>(x2), static_cast<float>(y2), 0.0f}, colour);
    return 2;
}

void GraphicsManager::DrawLine3D(const Vec3& from, const Vec3& to, uint32_t colour)
{
    BeginBatch(BATCH_COLOURED_LINES, 0, 1);
    const int32_t first = ReserveBatch(2, 2);
    m_pBatch->colour[first] = {from.x, from.y, from.z, colour};
    m_pBatch->colour[first + 1] = {to.x, to.y, to.z, colour};
    AppendBatchIndices(kLineIndices, 2, first, 2);
}

void GraphicsManager::DrawGroundQuad(float x, float y, float z, float width, float depth, uint32_t colour,
                                     int32_t material)
{
    BeginBatch(BATCH_COLOURED_TRIS, -1, material);
    const float w = width * 0.5f, d = depth * 0.5f;
    const ColourVertex corners[4] = {
        {x - w, y, z - d, colour}, {x - w, y, z + d, colour}, {x + w, y, z + d, colour}, {x + w, y, z - d, colour}};
    AppendColouredQuad(corners);
}

void GraphicsManager::DrawTexturedRect(float x0, float y0, float x1, float y1, float tu0, float tv0, float tu1,
                                       float tv1, uint32_t colour, int32_t slot, int32_t material)
{
    const TexturePlacement p = PlacementOf(slot);
    const float u0 = tu0 * p.m_fUScale + p.m_fUOffset, u1 = tu1 * p.m_fUScale + p.m_fUOffset;
    const float v0 = tv0 * p.m_fVScale + p.m_fVOffset, v1 = tv1 * p.m_fVScale + p.m_fVOffset;
    if (m_bTextQueueOpen)
    {
        AddTextQuad(x0, y0, x1, y1, u0, v0, u1, v1);
        return;
    }
    BeginBatch(BATCH_TEXTURED_TRIS, slot, material);
    const float xy[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    AppendTexturedQuad(xy, u0, v0, u1, v1, colour);
}

void GraphicsManager::DrawTexturedQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                                       float tu0, float tv0, float tu1, float tv1, uint32_t colour, int32_t slot,
                                       int32_t material)
{
    const TexturePlacement p = PlacementOf(slot);
    BeginBatch(BATCH_TEXTURED_TRIS, slot, material);
    const float xy[4][2] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}};
    AppendTexturedQuad(xy, tu0 * p.m_fUScale + p.m_fUOffset, tv0 * p.m_fVScale + p.m_fVOffset,
                       tu1 * p.m_fUScale + p.m_fUOffset, tv1 * p.m_fVScale + p.m_fVOffset, colour);
}

void GraphicsManager::DrawShadedBox(const DebugBox& box)
{
    // Corner signs of each face and the face normals, in drawing order: +x, -z, -x, +z, -y, +y.
    static const int8_t kCorners[6][4][3] = {
        {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}},     {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}},
        {{-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}}, {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
        {{1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}}, {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}};
    static const Vec3 kNormals[6] = {{1, 0, 0}, {0, 0, -1}, {-1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}};

    BeginBatch(BATCH_COLOURED_TRIS, 0, 1);
    const int32_t first = ReserveBatch(24, 36);
    const float hx = box.sizeX * 0.5f, hy = box.sizeY * 0.5f, hz = box.sizeZ * 0.5f;
    uint16_t indices[36];
    for (int f = 0; f < 6; ++f)
    {
        const float light = 0.5f + 0.5f * platform::Vec3Dot(kNormals[f], m_lightDirection);
        const uint32_t colour = ShadeColour(box.colour, light);
        for (int c = 0; c < 4; ++c)
        {
            const int8_t* s = kCorners[f][c];
            m_pBatch->colour[first + 4 * f + c] = {box.x + s[0] * hx, box.y + s[1] * hy, box.z + s[2] * hz, colour};
        }
        for (int i = 0; i < 6; ++i)
            indices[6 * f + i] = static_cast<uint16_t>(4 * f + kQuadIndices[i]);
    }
    AppendBatchIndices(indices, 36, first, 24);
}

bool GraphicsManager::QueueDebugBox(const DebugBox& box)
{
    if (m_uDebugBoxes >= kDebugBoxCapacity)
        return false;
    m_aDebugBoxes[m_uDebugBoxes++] = box;
    return true;
}

void GraphicsManager::DrawDebugBoxes()
{
    for (uint32_t i = 0; i < m_uDebugBoxes; ++i)
        DrawShadedBox(m_aDebugBoxes[i]);
    m_uDebugBoxes = 0;
}

// ---- polygon sets placed in the world

void GraphicsManager::DrawPolysAt(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                  uint32_t indexCount, const Vec3& position, int32_t material)
{
    if (vertexCount == 0)
        return;
    FlushBatch();
    if (!m_pRenderer)
        return;
    m_pRenderer->SetWorldMatrix(platform::MatrixTranslation(position.x, position.y, position.z), kTagAlways);
    m_pRenderer->UseMaterial(material, -1, -1, false);
    m_pRenderer->DrawPolsUntexCol(vertices, vertexCount, indices, indexCount, 0);
}

void GraphicsManager::DrawTexturedPolysAt(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                                          uint32_t indexCount, int32_t texture1, int32_t texture2, const Vec3& position,
                                          int32_t material)
{
    if (vertexCount == 0)
        return;
    FlushBatch();
    if (!m_pRenderer)
        return;
    m_pRenderer->SetWorldMatrix(platform::MatrixTranslation(position.x, position.y, position.z), kTagAlways);
    g_MaterialTable.SetTextures(material, texture1, texture2);
    m_pRenderer->UseMaterial(material, texture1, texture2, false);
    m_pRenderer->DrawPolsTexCol(vertices, vertexCount, indices, indexCount, texture1, texture2);
}

// ---- points and rays

void TransformPoint(const Vec3& point, const Matrix& matrix, Vec3* out)
{
    const platform::Vec4 v = platform::Vec3Transform(point, matrix);
    *out = {v.x, v.y, v.z};
}

void GraphicsManager::ProjectToScreen(const Vec3& point, Vec3* out) const
{
    ProjectToScreenWorld(point, platform::MatrixIdentity(), out);
}

void GraphicsManager::ProjectToScreenWorld(const Vec3& point, const Matrix& world, Vec3* out) const
{
    const platform::Viewport screen = {0, 0, m_settings.m_uWidth, m_settings.m_uHeight, 0.0f, 1.0f};
    *out = platform::Vec3Project(point, screen, m_projection, m_view, world);
}

void GraphicsManager::TransformToView(const Vec3& point, Vec3* out) const
{
    TransformPoint(point, m_view, out);
}

namespace
{

// The world point on the view ray under a screen point: the camera-space point at the distance where the screen
// is 70 degrees wide, carried into the world by the inverse view with the eye as its translation. The projection
// spreads its own aspect over the whole screen, so on a screen of another shape a pixel row stands for a different
// height than a pixel column for a width: the rows are scaled to the projection's.
Vec3 PickPoint(int16_t x, int16_t y, uint32_t width, uint32_t height, float aspect, const Matrix& inverseView,
               const Vec3& eye)
{
    const int32_t halfW = static_cast<int32_t>(width / 2), halfH = static_cast<int32_t>(height / 2);
    const double rowScale =
        halfH > 0 && aspect > 0.0f ? static_cast<double>(halfW) / (static_cast<double>(halfH) * aspect) : 1.0;
    const Vec3 p = {static_cast<float>(x - halfW), static_cast<float>((halfH - y) * rowScale),
                    static_cast<float>(halfW / std::tan(kPickHalfAngle))};
    Matrix m = inverseView;
    m.m[3][0] = eye.x;
    m.m[3][1] = eye.y;
    m.m[3][2] = eye.z;
    Vec3 q;
    TransformPoint(p, m, &q);
    return q;
}

} // namespace

bool GraphicsManager::PickGroundPoint(int16_t x, int16_t y, float h, Vec3* out) const
{
    const Vec3 q = PickPoint(x, y, m_settings.m_uWidth, m_settings.m_uHeight, m_fAspect, m_inverseView, m_eye);
    if (!(m_eye.y > h))
        return false;
    const Vec3 d = q - m_eye;
    if (!(d.y < -0.1f))
        return false;
    const float t = (m_eye.y - h) / -d.y;
    *out = {m_eye.x + t * d.x, 0.0f, m_eye.z + t * d.z};
    return true;
}

void GraphicsManager::GetPickRay(int16_t x, int16_t y, Vec3* origin, Vec3* direction) const
{
    const Vec3 q = PickPoint(x, y, m_settings.m_uWidth, m_settings.m_uHeight, m_fAspect, m_inverseView, m_eye);
    *origin = m_eye;
    *direction = NormalizeRay(q - m_eye);
}

void GraphicsManager::GetRayTowards(const Vec3& point, Vec3* origin, Vec3* direction) const
{
    *origin = m_eye;
    *direction = NormalizeRay(point - m_eye);
}

void GraphicsManager::SetFillMode(uint32_t a, bool b)
{
    if (m_pRenderer)
        m_pRenderer->SetWireframe(a, b);
}
