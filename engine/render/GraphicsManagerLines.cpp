// The graphics manager's thick lines: the ribbon batch, the frame's line segments, the line sets of models and the
// debug box outline.
#include "engine/render/GraphicsManager.h"

#include "engine/render/D3DRenderer.h"
#include "engine/render/LineSegments.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"

#include <algorithm>
#include <cstring>

using platform::Vec3;

namespace
{

// Ribbons a batch holds before it is drawn (the buffers have room for two more).
constexpr uint32_t kRibbonFlushAt = 198;
constexpr uint32_t kLineRecordSize = 32;
// The material the special line segments are drawn with.
constexpr int32_t kSpecialLineMaterial = 0x11;

struct LineRecord
{
    Vec3 start;
    Vec3 end;
    float width;
    uint32_t colour;
};
static_assert(sizeof(LineRecord) == kLineRecordSize);

LineRecord ReadLine(const uint8_t* bytes)
{
    LineRecord line;
    std::memcpy(&line, bytes, sizeof(line));
    return line;
}

// Each channel of a and b added, saturating at 255.
uint32_t AddChannels(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min<uint32_t>(((a >> shift) & 0xFF) + ((b >> shift) & 0xFF), 255) << shift;
    return out;
}

// Additive lines of a black material add nothing in a frame whose colour mask is dark.
bool AddsNothing(uint32_t colourMask, uint32_t materialColour, uint32_t blendMode)
{
    return (colourMask & 0xE0E0E0) == 0 && (materialColour & 0xFFFFFF) == 0 && (blendMode == 1 || blendMode == 9);
}

// The state of lines whose material gives none: the vertex colours as they are (times the batch texture where
// there is one), opaque, depth tested and written. Interned once; part numbers stay valid for the program's life.
int32_t PlainLineStateSet()
{
    static const int32_t number = []
    {
        StateSet set{};
        set.m_uDepthCompare = 1;    // less or equal
        set.m_uDepthAlphaFlags = 1; // depth write, no alpha test
        set.m_uColourOp0 = 2;       // texture x vertex colour (a stage without a texture reads white)
        set.m_uAlphaOp0 = 2;
        return g_StateSetTable.Intern(set);
    }();
    return number;
}

// The material colour of an optimised level (its lighting set's diffuse, ARGB) and its blend mode.
uint32_t LevelColour(const OptMeshLOD& level)
{
    const LightingSet* set = g_LightingSetTable.Get(level.m_parts.m_iLightingSet);
    if (!set)
        return 0;
    return static_cast<uint32_t>(set->m_auDiffuse[0]) | static_cast<uint32_t>(set->m_auDiffuse[1]) << 8 |
           static_cast<uint32_t>(set->m_auDiffuse[2]) << 16 | static_cast<uint32_t>(set->m_auDiffuse[3]) << 24;
}

uint32_t LevelBlendMode(const OptMeshLOD& level)
{
    const StateSet* set = g_StateSetTable.Get(level.m_parts.m_iStateSet);
    return set ? set->m_uBlendMode : 0;
}

} // namespace

void GraphicsManager::BeginRibbons(int32_t texture, uint32_t)
{
    if (m_pRenderer)
        m_pRenderer->SetWorldMatrix(m_identityView, D3DRenderer::kTagIdentity);
    m_uRibbonCount = 0;
    m_iRibbonTexture = texture;
}

void GraphicsManager::AddRibbon(const Vec3& s, const Vec3& e, float width, uint32_t c1, uint32_t c2)
{
    if (m_ribbonVertices.size() < kRibbonCount * 6u)
        return; // no batch before Create
    if (m_uRibbonCount >= kRibbonFlushAt)
        FlushRibbons();
    const Vec3 toEye = m_eye - s;
    const Vec3 along = s - e;
    const Vec3 n = platform::Vec3Cross(along, toEye);
    Vec3 v = platform::Vec3Cross(m_forward, n);
    v = platform::Vec3LengthSq(v) >= 0.001f ? platform::Vec3Normalize(v) : Vec3{0.0f, 0.0f, 0.0f};
    const Vec3 u = platform::Vec3Cross(m_forward, v) * width;
    const Vec3 points[6] = {s - v * width, s - u, s + u, e + u, e - u, e + v * width};
    TexturedVertex* out = &m_ribbonVertices[6 * m_uRibbonCount];
    for (int i = 0; i < 6; ++i)
    {
        out[i].x = points[i].x;
        out[i].y = points[i].y;
        out[i].z = points[i].z;
        out[i].colour = i < 3 ? c1 : c2;
    }
    ++m_uRibbonCount;
}

void GraphicsManager::FlushRibbons()
{
    if (m_uRibbonCount > 0 && m_pRenderer)
        m_pRenderer->DrawPolsTexCol(m_ribbonVertices.data(), 6 * m_uRibbonCount, m_ribbonIndices.data(),
                                    12 * m_uRibbonCount, m_iRibbonTexture, -1);
    m_uRibbonCount = 0;
}

void GraphicsManager::DrawLineSegments(int32_t blendKind, bool special)
{
    if (!m_pLineSegments || !m_pRenderer)
        return;
    BeginRibbons(-1, 0);
    // A material the table does not hold (the scene pass asks for 0) gives the plain line state, not whatever
    // the last draw left.
    const int32_t material = special ? kSpecialLineMaterial : blendKind;
    if (g_MaterialTable.GetMaterial(material))
    {
        m_pRenderer->UseMaterial(material, -1, -1, special);
    }
    else
    {
        m_pRenderer->SetTexCoordSet(PlainLineStateSet());
        m_pRenderer->SetTextureTransformSet(-1, -1, -1);
        m_pRenderer->SetLightingSet(-1);
    }
    for (uint32_t i = 0; i < m_pLineSegments->GetCount(); ++i)
    {
        const LineSegment& seg = m_pLineSegments->Get(i);
        AddRibbon({seg.m_fStart[0], seg.m_fStart[1], seg.m_fStart[2]}, {seg.m_fEnd[0], seg.m_fEnd[1], seg.m_fEnd[2]},
                  seg.m_fWidth, UnpackLineColour(seg.m_uStartColour), UnpackLineColour(seg.m_uEndColour));
    }
    FlushRibbons();
}

void GraphicsManager::DrawLineSet(const ModelBatchEntry& entry)
{
    if (!entry.m_pMesh || !entry.m_pLevel || !entry.m_pMatrix || !m_pRenderer)
        return;
    const SubModel& sub = *entry.m_pMesh;
    const SMaterial& material = entry.m_pLevel->m_material;
    if (AddsNothing(m_uColourMask, material.m_uDiffuse, material.m_uBlendMode))
        return;
    const uint32_t count =
        std::min<uint32_t>(sub.m_uRecordCount, static_cast<uint32_t>(sub.m_records.size() / kLineRecordSize));
    const uint32_t tint = material.m_uDiffuse | 0xFF000000u;
    BeginRibbons(material.m_aStages[0].m_iTexture, 0);
    // The line material's own blending, depth and stages, unlit: the ribbons carry their colours.
    m_pRenderer->SetMaterial(&material, false);
    m_pRenderer->SetLightingSet(-1);
    for (uint32_t i = 0; i < count; ++i)
    {
        const LineRecord line = ReadLine(&sub.m_records[i * kLineRecordSize]);
        Vec3 s, e;
        TransformPoint(line.start, *entry.m_pMatrix, &s);
        TransformPoint(line.end, *entry.m_pMatrix, &e);
        const uint32_t colour = AddChannels(line.colour, tint);
        AddRibbon(s, e, line.width, colour, colour);
    }
    FlushRibbons();
}

void GraphicsManager::DrawModelLines(const OptMeshLOD& level, const OptMesh& mesh, bool overrides)
{
    if (!m_pRenderer)
        return;
    const uint32_t materialColour = LevelColour(level);
    if (AddsNothing(m_uColourMask, materialColour, LevelBlendMode(level)))
        return;
    const uint32_t count = static_cast<uint32_t>(mesh.m_records.size() / kLineRecordSize);
    const uint32_t tint = materialColour | 0xFF000000u;
    BeginRibbons(level.m_aiTexture[0], 0);
    // The level's own blending, depth and stages, unlit (a level without a state set takes the plain line state):
    // the ribbons carry their colours.
    m_pRenderer->SetTexCoordSet(g_StateSetTable.Get(level.m_parts.m_iStateSet) ? level.m_parts.m_iStateSet
                                                                               : PlainLineStateSet());
    m_pRenderer->SetTextureTransformSet(level.m_parts.m_iTextureTransformSet, level.m_aiTexture[0],
                                        level.m_aiTexture[1]);
    m_pRenderer->SetLightingSet(-1);
    for (const DrawInstance* d = overrides ? level.m_pOverrideInstances : level.m_pInstances; d; d = d->m_pNext)
    {
        for (uint32_t i = 0; i < count; ++i)
        {
            const LineRecord line = ReadLine(&mesh.m_records[i * kLineRecordSize]);
            Vec3 s, e;
            TransformPoint(line.start, *d->m_pMatrix, &s);
            TransformPoint(line.end, *d->m_pMatrix, &e);
            const uint32_t colour = AddChannels(line.colour, tint);
            AddRibbon(s, e, line.width, colour, colour);
        }
    }
    FlushRibbons();
}

void GraphicsManager::DrawBoxOutline(const OrientedBox& box, uint32_t colour)
{
    Vec3 corners[8];
    for (int i = 0; i < 8; ++i)
    {
        Vec3 p = box.m_centre;
        for (int axis = 0; axis < 3; ++axis)
        {
            const Vec3 dir = {box.m_orientation.m[axis][0], box.m_orientation.m[axis][1], box.m_orientation.m[axis][2]};
            const float half = axis == 0 ? box.m_halfSize.x : axis == 1 ? box.m_halfSize.y : box.m_halfSize.z;
            p += dir * ((i >> axis) & 1 ? half : -half);
        }
        corners[i] = p;
    }
    // Corners differing in one bit share an edge.
    for (int i = 0; i < 8; ++i)
        for (int bit = 1; bit < 8; bit <<= 1)
            if (!(i & bit))
                DrawLine3D(corners[i], corners[i | bit], colour);
}

void DrawOptMeshLines(const OptMeshLOD& level, const OptMesh& mesh, bool overrides)
{
    g_GraphicsManager.DrawModelLines(level, mesh, overrides);
}

void DrawSubModelLines(const ModelBatchEntry& entry)
{
    g_GraphicsManager.DrawLineSet(entry);
}
