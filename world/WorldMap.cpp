// WorldMap: the cells and their object lists, the grid file, the coordinate rules, neighbours, footprints,
// scenery placement, picking, base-map texels and the save record.
#include "world/WorldMap.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/WholeNumbers.h"
#include "engine/render/TextureManager.h"
#include "world/BaseMap.h"
#include "world/CursorPicker.h"
#include "world/QueueRailModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

WorldMap* g_pWorldMap = nullptr;

namespace
{

const std::vector<BaseObject*> kNoObjects;

} // namespace

void MapCell::AddObject(BaseObject* object)
{
    if (!m_pObjects)
        m_pObjects = std::make_unique<std::vector<BaseObject*>>();
    m_pObjects->push_back(object);
}

void MapCell::RemoveObject(const BaseObject* object)
{
    if (m_pObjects)
        std::erase(*m_pObjects, object);
}

bool MapCell::ContainsObject(const BaseObject* object) const
{
    return m_pObjects && std::find(m_pObjects->begin(), m_pObjects->end(), object) != m_pObjects->end();
}

const std::vector<BaseObject*>& MapCell::GetObjectList() const
{
    return m_pObjects ? *m_pObjects : kNoObjects;
}

WorldMap::WorldMap(int32_t width, int32_t height, int32_t cellSize, const char* gridFile)
    : m_iCellSize(cellSize), m_iWidth(std::max(width, 1)), m_iHeight(std::max(height, 1)),
      m_GridFile(gridFile ? gridFile : "")
{
    g_pWorldMap = this;
    const size_t row = static_cast<size_t>(m_iWidth) + 2;
    m_FlagGrid.assign(row * (static_cast<size_t>(m_iHeight) + 2), 0);
    m_Cells.reserve(static_cast<size_t>(m_iWidth) * static_cast<size_t>(m_iHeight));
    for (int32_t y = 0; y < m_iHeight; ++y)
    {
        for (int32_t x = 0; x < m_iWidth; ++x)
        {
            MapCell& cell = m_Cells.emplace_back(m_FlagGrid[(static_cast<size_t>(y) + 1) * row + x + 1]);
            cell.m_x = x;
            cell.m_y = y;
        }
    }
    if (!m_GridFile.empty())
        LoadGridFile();
    m_pBaseMap = std::make_unique<BaseMap>();
    m_pRailModel = std::make_unique<QueueRailModel>();
    // The base map keeps its texels without the texture system too (it then makes no textures).
    m_pBaseMap->Create(kDistantTexture, kBaseTexture, 480, 480, 128, -0.1f, 4);
    m_pBaseMap->FillAll();
    if (g_TextureManager.IsInitialised())
    {
        m_uPathAtlas = g_TextureManager.Load(kPathAtlas, true, false);
        m_uQueueAtlas = g_TextureManager.Load(kQueueAtlas, true, false);
    }
}

WorldMap::~WorldMap()
{
    if (m_pBaseMap)
        m_pBaseMap->Release();
    if (g_TextureManager.IsInitialised())
    {
        if (m_uPathAtlas)
            g_TextureManager.Release(m_uPathAtlas);
        if (m_uQueueAtlas)
            g_TextureManager.Release(m_uQueueAtlas);
    }
    if (g_pWorldMap == this)
        g_pWorldMap = nullptr;
}

void WorldMap::LoadGridFile()
{
    // The file holds one value per cell and nothing else: its length is checked before anything is read.
    const uint64_t expected = static_cast<uint64_t>(m_Cells.size()) * 4u;
    FileSystem* files = GetFileSystem();
    const uint32_t length = files->GetFileSize(m_GridFile.c_str());
    if (length != expected)
    {
        if (length == 0)
            GetLogger()->Report(0, "WorldMap::WorldMap - can't read the grid file %s", m_GridFile.c_str());
        else
            GetLogger()->Report(0, "WorldMap::WorldMap - the grid file %s holds %u bytes, a %d x %d map needs %llu",
                                m_GridFile.c_str(), length, m_iWidth, m_iHeight,
                                static_cast<unsigned long long>(expected));
        return;
    }
    uint32_t size = 0;
    std::unique_ptr<char[]> buffer(files->LoadFileSized(m_GridFile.c_str(), &size));
    if (!buffer || size != expected)
    {
        GetLogger()->Report(0, "WorldMap::WorldMap - can't read the grid file %s", m_GridFile.c_str());
        return;
    }
    // The values run column by column, little-endian.
    const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.get());
    size_t offset = 0;
    for (int32_t x = 0; x < m_iWidth; ++x)
    {
        for (int32_t y = 0; y < m_iHeight; ++y, offset += 4)
        {
            const uint32_t value = uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
                                   uint32_t{bytes[offset + 2]} << 16 | uint32_t{bytes[offset + 3]} << 24;
            m_Cells[static_cast<size_t>(y) * m_iWidth + x].m_uiFlags = value;
        }
    }
    m_bGridLoaded = true;
}

// ---- cells

bool WorldMap::IsValidGridPos(const GridPos& pos) const
{
    return pos.x >= 0 && pos.x < m_iWidth && pos.y >= 0 && pos.y < m_iHeight;
}

uint32_t WorldMap::GetCellIndex(int32_t x, int32_t y) const
{
    if (!IsValidGridPos({x, y}))
        return kNoCell;
    return static_cast<uint32_t>(y) * static_cast<uint32_t>(m_iWidth) + static_cast<uint32_t>(x);
}

MapCell* WorldMap::GetCell(const GridPos& pos)
{
    const uint32_t index = GetCellIndex(pos.x, pos.y);
    return index == kNoCell ? nullptr : &m_Cells[index];
}

const MapCell* WorldMap::GetCell(const GridPos& pos) const
{
    const uint32_t index = GetCellIndex(pos.x, pos.y);
    return index == kNoCell ? nullptr : &m_Cells[index];
}

uint32_t WorldMap::GetFlags(const GridPos& pos) const
{
    const MapCell* cell = GetCell(pos);
    return cell ? cell->m_uiFlags : 0;
}

const std::vector<BaseObject*>& WorldMap::GetObjectsAt(const GridPos& pos) const
{
    const MapCell* cell = GetCell(pos);
    return cell ? cell->GetObjectList() : kNoObjects;
}

// ---- neighbours

GridPos WorldMap::GetNeighbourPos(const GridPos& pos, int32_t direction)
{
    if (direction < 0 || direction > 7)
        return pos;
    return {pos.x + kDirectionDX[direction], pos.y + kDirectionDY[direction]};
}

MapCell* WorldMap::GetNeighbourCell(const GridPos& pos, int32_t direction)
{
    return GetCell(GetNeighbourPos(pos, direction));
}

void WorldMap::GetNeighbourCells(const GridPos& pos, MapCell* out[8])
{
    for (int32_t direction = 0; direction < 8; ++direction)
        out[direction] = GetNeighbourCell(pos, direction);
}

bool WorldMap::IsSideNeighbour(const GridPos& pos, int32_t x, int32_t y)
{
    const int64_t dx = int64_t{x} - pos.x;
    const int64_t dy = int64_t{y} - pos.y;
    return (dx == 0 && (dy == 1 || dy == -1)) || (dy == 0 && (dx == 1 || dx == -1));
}

int32_t WorldMap::DirectionTo(const GridPos& from, const GridPos& to)
{
    for (int32_t direction = 0; direction < 8; ++direction)
    {
        if (GetNeighbourPos(from, direction) == to)
            return direction;
    }
    return -1;
}

// ---- coordinates

GridPos WorldMap::WorldToGrid(const platform::Vec3& position)
{
    return {TruncateToInt(position.x / 32.0f), TruncateToInt(position.y / 64.0f)};
}

platform::Vec3 WorldMap::GridToWorld(const GridPos& pos)
{
    return {static_cast<float>(pos.x) * 32.0f, static_cast<float>(pos.y) * 64.0f, 0.0f};
}

platform::Vec3 WorldMap::GetCellCentre(const GridPos& pos)
{
    return GetCellPoint(pos, 4);
}

platform::Vec3 WorldMap::GetCellPoint(const GridPos& pos, int32_t anchor)
{
    static constexpr float kOffsets[5][2] = {
        {16.0f, 64.0f}, {16.0f, 0.0f}, {0.0f, 32.0f}, {32.0f, 32.0f}, {16.0f, 32.0f}};
    platform::Vec3 point = GridToWorld(pos);
    if (anchor >= 0 && anchor < 5)
    {
        point.x += kOffsets[anchor][0];
        point.y += kOffsets[anchor][1];
    }
    return point;
}

platform::Vec3 WorldMap::WorldToScene(const platform::Vec3& position)
{
    return {position.x / 8.0f + kOrigin, 0.0f, position.y / 16.0f + kOrigin};
}

platform::Vec3 WorldMap::SceneToWorld(float sceneX, float sceneZ)
{
    return {(sceneX - kOrigin) * 8.0f, (sceneZ - kOrigin) * 16.0f, 0.0f};
}

GridPos WorldMap::SceneToGrid(float sceneX, float sceneZ)
{
    const auto cell = [](float scene)
    {
        const double value = std::floor(static_cast<double>(scene) / kSceneUnitsPerCell) - kOrigin / kSceneUnitsPerCell;
        if (std::isnan(value))
            return 0;
        return static_cast<int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
    };
    return {cell(sceneX), cell(sceneZ)};
}

// ---- footprints

platform::Vec3 WorldMap::GetFootprintHalfSize(int32_t w, int32_t h)
{
    return {static_cast<float>(w) * 0.5f * 32.0f, static_cast<float>(h) * 0.5f * 64.0f, 0.0f};
}

platform::Vec3 WorldMap::FootprintLocalToWorld(int32_t x, int32_t y, int32_t w, int32_t h, float ox, float oy,
                                               int32_t rotation)
{
    platform::Vec3 point;
    switch (rotation & 3)
    {
    case 0:
        point = GridToWorld({x, y});
        point.x += ox;
        point.y += oy;
        break;
    case 1:
        point = GridToWorld({x, y + w});
        point.x += oy / 2.0f;
        point.y -= 2.0f * ox;
        break;
    case 2:
        point = GridToWorld({x + w, y + h});
        point.x -= ox;
        point.y -= oy;
        break;
    default:
        point = GridToWorld({x + h, y});
        point.x -= oy / 2.0f;
        point.y += 2.0f * ox;
        break;
    }
    return point;
}

void WorldMap::GetFootprintBorderStart(GridPos& pos, int32_t w, int32_t h, int32_t* firstDirection,
                                       int32_t* secondDirection, int32_t rotation)
{
    pos.x -= 1;
    pos.y -= 1;
    int32_t first = 2;
    int32_t second = 0;
    switch (rotation)
    {
    case 0:
        pos.y += w - 1;
        first = 2;
        second = 4;
        break;
    case 1:
        pos.x += h - 1;
        pos.y += w - 1;
        first = 6;
        second = 4;
        break;
    case 2:
        pos.x += h - 1;
        first = 6;
        second = 0;
        break;
    default:
        break;
    }
    if (firstDirection)
        *firstDirection = first;
    if (secondDirection)
        *secondDirection = second;
}

bool WorldMap::CanPlaceSceneryAt(int32_t x, int32_t y, uint32_t cellMask, int32_t pathFlag) const
{
    const MapCell* cell = GetCell({x, y});
    if (!cell)
        return false;
    const uint32_t flags = cell->m_uiFlags;
    if (pathFlag != 0)
        return (cellMask & flags) != 0 && (flags & CELL_BUILDING) == 0;
    if (flags <= CELL_FOOTPATH)
        return false;
    if (cellMask == 1)
        return (flags & (CELL_FOOTPATH | CELL_QUEUE)) == 0 && (cellMask & 0xFF & flags) != 0;
    return (cellMask & flags) != 0 && (flags & CELL_BUILDING) == 0;
}

// ---- picking

bool WorldMap::GetCursorGridPos(GridPos* out) const
{
    // The cell the point lies in, counted down from the map's first cell: ground before the first row or column
    // is on no cell, as ground past the last is (a truncated map position would put it on the edge cells).
    const platform::Vec3 scene = GetCursorPicker().GetScenePosition();
    const GridPos pos = SceneToGrid(scene.x, scene.z);
    if (out)
        *out = pos;
    return IsValidGridPos(pos);
}

void WorldMap::GetCursorWorldPos(platform::Vec3* out) const
{
    const platform::Vec3 scene = GetCursorPicker().GetScenePosition();
    if (out)
        *out = SceneToWorld(scene.x, scene.z);
}

// ---- base map

void WorldMap::ClearBaseMapTexel(int32_t x, int32_t y)
{
    if (IsValidGridPos({x, y}) && m_pBaseMap)
        m_pBaseMap->PaintTexel(x + kBaseMapBorder, y + kBaseMapBorder, 0);
}

void WorldMap::RestoreBaseMapTexel(int32_t x, int32_t y)
{
    if (IsValidGridPos({x, y}) && m_pBaseMap)
        m_pBaseMap->PaintTexel(x + kBaseMapBorder, y + kBaseMapBorder,
                               m_pBaseMap->GetSourceTexel(x + kBaseMapBorder, y + kBaseMapBorder));
}

// ---- the grid file and the save record

uint32_t WorldMap::GridFileValue(uint32_t flags)
{
    if (flags & CELL_GRID_WALKABLE)
        return CELL_WALKABLE | CELL_GRID_WALKABLE;
    // A cell changed by paths or buildings goes back to the ground class it came from; a cell with none of them
    // was not walkable.
    if (flags & CELL_SCENERY_GROUND)
        return CELL_SCENERY_GROUND;
    if (flags & CELL_GROUND_CLASS)
        return CELL_GROUND_CLASS;
    return CELL_BUILDING;
}

bool WorldMap::SaveGridMap() const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(m_Cells.size() * 4);
    for (int32_t x = 0; x < m_iWidth; ++x)
    {
        for (int32_t y = 0; y < m_iHeight; ++y)
        {
            const uint32_t value = GridFileValue(m_Cells[static_cast<size_t>(y) * m_iWidth + x].m_uiFlags);
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    if (!GetFileSystem()->WriteFile(m_GridFile.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size())))
    {
        GetLogger()->Report(0, "WorldMap::SaveGridMap - can't write %s", m_GridFile.c_str());
        return false;
    }
    return true;
}

void WorldMap::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteHeader("Class name : WorldMap");
    // The size item carries the tag of a signed integer and the flags that of an unsigned one, as the save's
    // format fixes them (a reader skips the tags).
    stream.WriteInt("sizeof", static_cast<int32_t>(kSaveSize));
    for (const MapCell& cell : m_Cells)
    {
        stream.WriteUInt("m_uiFlags", cell.m_uiFlags);
        stream.WriteFloat("m_ZOffset", cell.m_ZOffset);
    }
}

bool WorldMap::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char className[128];
    uint32_t size = 0;
    stream.ReadHeader(className, sizeof className);
    stream.ReadUInt(&size);
    std::vector<std::pair<uint32_t, float>> saved(m_Cells.size());
    for (auto& [flags, height] : saved)
    {
        int32_t value = 0;
        stream.ReadInt(&value);
        stream.ReadFloat(&height);
        flags = static_cast<uint32_t>(value);
        if (!stream.Good())
            break;
    }
    if (!stream.Good())
    {
        GetLogger()->Report(0, "WorldMap::Load - the saved grid is cut short");
        return false;
    }
    if (!std::all_of(saved.begin(), saved.end(), [](const auto& cell) { return std::isfinite(cell.second); }))
    {
        GetLogger()->Report(0, "WorldMap::Load - a saved height is not a finite number");
        return false;
    }
    for (size_t i = 0; i < m_Cells.size(); ++i)
    {
        m_Cells[i].m_uiFlags = saved[i].first;
        m_Cells[i].m_ZOffset = saved[i].second;
    }
    return true;
}
