// WorldMap: the ground pass (debug overlays, base map, path and queue tiles, queue rails, litter near the eye),
// the cell markers and the queue rail model.
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"
#include "world/BaseMap.h"
#include "world/BaseObject.h"
#include "world/GameShell.h"
#include "world/ObjectKinds.h"
#include "world/QueueRailModel.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <array>

namespace
{

using platform::Vec3;

constexpr uint32_t kGridLineColour = 0xFF000000;
constexpr uint32_t kFlagGridColour = 0xFF808080;
constexpr uint32_t kCrossColour = 0xFFFFFFFF;
constexpr float kPathAtlasInset = 0.00375f;
constexpr float kQueueAtlasInset = 0.0075f;
constexpr int32_t kColouredMaterial = 1;
constexpr int32_t kTileMaterial = 1;
constexpr int32_t kBaseMapParameter = 12;

// The colour of a cell in the flag view, tested in this order.
uint32_t FlagColour(uint32_t flags)
{
    if (flags & CELL_BUILDING)
        return 0x80984406;
    if (flags & CELL_FOOTPATH)
        return 0x80808080;
    if (flags & CELL_QUEUE)
        return 0x800000FF;
    if (flags & CELL_GROUND_CLASS)
        return 0x80FF0000;
    if (flags & CELL_SCENERY_GROUND)
        return 0x80FFFF00;
    return 0x8000C800;
}

// Whether the square [x0, x0 + size] x [z0, z0 + size] on the ground can be seen: within the frustum's distance
// of the eye and not wholly outside one side of the view volume.
class GroundCuller
{
public:
    explicit GroundCuller(const GraphicsManager& gm)
        : m_viewProjection(gm.GetViewMatrix() * gm.GetProjectionMatrix()), m_eye(gm.GetEyePosition()),
          m_fDistance(gm.GetFrustumDistance())
    {
    }

    bool IsVisible(float x0, float z0, float size) const
    {
        if (m_fDistance > 0.0f)
        {
            const float dx = std::max({x0 - m_eye.x, 0.0f, m_eye.x - (x0 + size)});
            const float dz = std::max({z0 - m_eye.z, 0.0f, m_eye.z - (z0 + size)});
            if (dx * dx + dz * dz > m_fDistance * m_fDistance)
                return false;
        }
        // Bits of the sides each corner lies beyond; a square all of whose corners lie beyond one side is out.
        uint32_t outside = 0x3F;
        const float xs[2] = {x0, x0 + size};
        const float zs[2] = {z0, z0 + size};
        for (float x : xs)
        {
            for (float z : zs)
            {
                const platform::Vec4 c = platform::Vec3Transform({x, 0.0f, z}, m_viewProjection);
                uint32_t bits = 0;
                bits |= c.x < -c.w ? 0x1u : 0u;
                bits |= c.x > c.w ? 0x2u : 0u;
                bits |= c.y < -c.w ? 0x4u : 0u;
                bits |= c.y > c.w ? 0x8u : 0u;
                bits |= c.z < 0.0f ? 0x10u : 0u;
                bits |= c.z > c.w ? 0x20u : 0u;
                outside &= bits;
            }
        }
        return outside == 0;
    }

private:
    platform::Matrix m_viewProjection;
    Vec3 m_eye;
    float m_fDistance;
};

// Quads of one atlas, drawn in batches of at most WorldMap::kBatchVertices vertices.
class TileBatch
{
public:
    TileBatch(uint32_t slot, int32_t columns, float inset, uint32_t colour)
        : m_uSlot(slot), m_iColumns(columns), m_fInset(inset), m_uColour(colour)
    {
        // A slot exists only while the texture system runs.
        if (slot)
            m_placement = g_TextureManager.GetPlacement(slot);
    }

    // The quad of a cell showing tile `tile` of the atlas (column tile mod columns, row tile div columns).
    void Add(int32_t cellX, int32_t cellY, uint32_t tile)
    {
        if (m_uCount + 4 > WorldMap::kBatchVertices)
            Flush();
        const float cell = 1.0f / static_cast<float>(m_iColumns);
        const float u0 = static_cast<float>(tile % m_iColumns) * cell + m_fInset;
        const float v0 = static_cast<float>(tile / m_iColumns) * cell + m_fInset;
        const float u1 = u0 + cell - 2.0f * m_fInset;
        const float v1 = v0 + cell - 2.0f * m_fInset;
        const float x0 = WorldMap::kOrigin + WorldMap::kSceneUnitsPerCell * static_cast<float>(cellX);
        const float z0 = WorldMap::kOrigin + WorldMap::kSceneUnitsPerCell * static_cast<float>(cellY);
        const float x1 = x0 + WorldMap::kSceneUnitsPerCell;
        const float z1 = z0 + WorldMap::kSceneUnitsPerCell;
        // The top of the tile image lies on the cell's +y side.
        Put(x0, z1, u0, v0);
        Put(x1, z1, u1, v0);
        Put(x1, z0, u1, v1);
        Put(x0, z0, u0, v1);
    }

    void Flush()
    {
        if (m_uCount == 0)
            return;
        std::array<uint16_t, WorldMap::kBatchVertices / 4 * 6> indices;
        const uint32_t quads = m_uCount / 4;
        for (uint32_t q = 0; q < quads; ++q)
        {
            const auto first = static_cast<uint16_t>(q * 4);
            const uint16_t quad[6] = {first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2),
                                      first, static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 3)};
            std::copy(quad, quad + 6, indices.begin() + q * 6);
        }
        g_GraphicsManager.DrawTexturedPolysAt(m_vertices.data(), m_uCount, indices.data(), quads * 6,
                                              static_cast<int32_t>(m_uSlot), -1, {0.0f, 0.0f, 0.0f}, kTileMaterial);
        m_uCount = 0;
    }

private:
    void Put(float x, float z, float u, float v)
    {
        m_vertices[m_uCount++] = {x,
                                  0.0f,
                                  z,
                                  m_uColour,
                                  u * m_placement.m_fUScale + m_placement.m_fUOffset,
                                  v * m_placement.m_fVScale + m_placement.m_fVOffset};
    }

    uint32_t m_uSlot;
    int32_t m_iColumns;
    float m_fInset;
    uint32_t m_uColour;
    TexturePlacement m_placement;
    std::array<TexturedVertex, WorldMap::kBatchVertices> m_vertices{};
    uint32_t m_uCount = 0;
};

} // namespace

void QueueRailModel::SetModelFile(const char* file)
{
    m_File = file ? file : "";
    if (!m_File.empty())
        SetModel(m_File.c_str());
}

void QueueRailModel::DrawAt(const Vec3& scenePosition, float yaw)
{
    SetPosition(scenePosition.x, scenePosition.y, scenePosition.z);
    SetOrientation(0.0f, yaw, 0.0f);
    DrawModel();
    ++m_uDrawn;
}

uint32_t QueueRailModel::TakeDrawCount()
{
    const uint32_t drawn = m_uDrawn;
    m_uDrawn = 0;
    return drawn;
}

void WorldMap::SetQueueRailModel(const char* modelFile)
{
    m_pRailModel->SetModelFile(modelFile);
}

uint32_t WorldMap::GetQueueRailAngles(uint32_t shape, float out[3])
{
    static constexpr float kAngles[13][3] = {{},
                                             {},
                                             {1.57f, 4.71f},
                                             {0.0f, 3.14f},
                                             {0.0f, 4.71f, 1.57f},
                                             {4.71f, 0.0f, 3.14f},
                                             {1.57f, 0.0f, 3.14f},
                                             {3.14f, 4.71f, 1.57f},
                                             {},
                                             {4.71f, 0.0f},
                                             {4.71f, 3.14f},
                                             {3.14f, 1.57f},
                                             {0.0f, 1.57f}};
    static constexpr uint32_t kCounts[13] = {0, 0, 2, 2, 3, 3, 3, 3, 0, 2, 2, 2, 2};
    if (shape >= 13)
        return 0;
    std::copy(kAngles[shape], kAngles[shape] + 3, out);
    return kCounts[shape];
}

void WorldMap::DrawCellQuad(const GridPos& pos, uint32_t colour, float height) const
{
    if (IsValidGridPos(pos))
        DrawCellQuadXY(pos.x, pos.y, colour, height);
}

void WorldMap::DrawCellQuadXY(int32_t x, int32_t y, uint32_t colour, float height)
{
    g_GraphicsManager.DrawGroundQuad(kSceneUnitsPerCell * static_cast<float>(x) + kOrigin + 2.0f, height,
                                     kSceneUnitsPerCell * static_cast<float>(y) + kOrigin + 2.0f, kSceneUnitsPerCell,
                                     kSceneUnitsPerCell, colour, kColouredMaterial);
}

void DrawGroundCrossAt(Vec3 position, uint32_t colour, float halfSize)
{
    const Vec3 centre = WorldMap::WorldToScene(position);
    constexpr float kHeight = 0.15f;
    g_GraphicsManager.DrawLine3D({centre.x - halfSize, kHeight, centre.z}, {centre.x + halfSize, kHeight, centre.z},
                                 colour);
    g_GraphicsManager.DrawLine3D({centre.x, kHeight, centre.z - halfSize}, {centre.x, kHeight, centre.z + halfSize},
                                 colour);
}

void DrawGroundCross(const Vec3& position, uint32_t colour, float halfSize)
{
    DrawGroundCrossAt(position, colour, halfSize);
}

void WorldMap::DrawGridLines(float height, uint32_t colour) const
{
    const float maxX = GetSceneMaxX();
    const float maxZ = GetSceneMaxZ();
    for (int32_t x = 0; x <= m_iWidth; ++x)
    {
        const float sx = kOrigin + kSceneUnitsPerCell * static_cast<float>(x);
        g_GraphicsManager.DrawLine3D({sx, height, kOrigin}, {sx, height, maxZ}, colour);
    }
    for (int32_t y = 0; y <= m_iHeight; ++y)
    {
        const float sz = kOrigin + kSceneUnitsPerCell * static_cast<float>(y);
        g_GraphicsManager.DrawLine3D({kOrigin, height, sz}, {maxX, height, sz}, colour);
    }
}

void WorldMap::DrawFlagColours() const
{
    for (const MapCell& cell : m_Cells)
        DrawCellQuadXY(cell.m_x, cell.m_y, FlagColour(cell.m_uiFlags), 0.1f);
    // The camera looks at the ground point straight ahead of the eye.
    const GraphicsManager& gm = g_GraphicsManager;
    const Vec3 eye = gm.GetEyePosition();
    const Vec3 forward = gm.GetForwardAxis();
    if (forward.y < 0.0f && eye.y > 0.0f)
    {
        const Vec3 ground = eye + forward * (-eye.y / forward.y);
        DrawGroundCross(SceneToWorld(ground.x, ground.z), kCrossColour, 2.0f);
    }
    DrawGridLines(0.15f, kFlagGridColour);
}

void WorldMap::Render()
{
    GraphicsManager& gm = g_GraphicsManager;
    // 1. Debug overlays and the base map.
    if (m_bShowGrid)
    {
        DrawGridLines(0.05f, kGridLineColour);
        m_pBaseMap->Render(kBaseMapParameter);
    }
    if (m_bShowFlags)
        DrawFlagColours();
    if (!m_bShowGrid && !m_bShowFlags)
        m_pBaseMap->Render(kBaseMapParameter);

    // 2. Rails only at a high enough object detail; tiles lit as by a light from straight above.
    const bool rails = m_pRailModel->HasModel() && GetObjectDetail() >= kRailDetail;
    gm.SetFrustumRange(true);
    const uint32_t colour = gm.GetLitColour({0.0f, -1.0f, 0.0f}) | 0xFF000000;
    const GroundCuller culler(gm);
    TileBatch paths(m_uPathAtlas, 8, kPathAtlasInset, colour);
    TileBatch queues(m_uQueueAtlas, 4, kQueueAtlasInset, colour);
    const Vec3 eye = gm.GetEyePosition();

    // 3. Every cell in view.
    for (const MapCell& cell : m_Cells)
    {
        const float x0 = kOrigin + kSceneUnitsPerCell * static_cast<float>(cell.m_x);
        const float z0 = kOrigin + kSceneUnitsPerCell * static_cast<float>(cell.m_y);
        if (!culler.IsVisible(x0, z0, kSceneUnitsPerCell))
            continue;
        const float d = (eye.x - x0) * (eye.x - x0) + (eye.z - z0) * (eye.z - z0) + eye.y * eye.y;
        const uint32_t flags = cell.m_uiFlags;
        if ((flags & CELL_BUILDING) == 0)
        {
            if (flags & CELL_FOOTPATH)
            {
                paths.Add(cell.m_x, cell.m_y, cell.m_uTileIndex);
            }
            else if (flags & CELL_QUEUE)
            {
                const uint32_t shape = QueueShapeOf(flags);
                queues.Add(cell.m_x, cell.m_y, shape);
                if (rails && d < kRailDistanceSq)
                {
                    float angles[3];
                    const uint32_t count = GetQueueRailAngles(shape, angles);
                    const Vec3 centre = WorldToScene(GetCellCentre(cell.GetPos()));
                    for (uint32_t i = 0; i < count; ++i)
                        m_pRailModel->DrawAt(centre, angles[i]);
                }
            }
        }
        if (d < kLitterDistanceSq)
        {
            for (BaseObject* object : cell.GetObjectList())
            {
                if (object->GetType() == OBJECT_LITTER)
                    object->Render();
            }
        }
    }
    // 4. What is left, and the frustum back to the shadow distance.
    paths.Flush();
    queues.Flush();
    gm.SetFrustumRange(false);
}
