// WorldMap: the park grid of cells, each with its flags and the list of objects standing on it, and the
// conversions between map units and grid cells.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <string>
#include <vector>

class BaseObject;

struct GridPos
{
    int32_t x = 0;
    int32_t y = 0;
};

class MapCell
{
public:
    void AddObject(BaseObject* object) { m_Objects.push_back(object); }
    // Removes every occurrence.
    void RemoveObject(const BaseObject* object);
    bool ContainsObject(const BaseObject* object) const;
    uint32_t CountObjects() const { return static_cast<uint32_t>(m_Objects.size()); }
    const std::vector<BaseObject*>& GetObjectList() const { return m_Objects; }

    int32_t m_x = 0;
    int32_t m_y = 0;
    uint32_t m_uiFlags = 0;
    float m_ZOffset = 0.0f;

private:
    std::vector<BaseObject*> m_Objects;
};

// The grid file and the ground drawing join the map with the terrain; the cells, their object lists and the
// coordinate rules are here.
class WorldMap
{
public:
    // Map units per cell along y; a cell is half as wide along x.
    static constexpr int32_t kDefaultCellSize = 64;

    // A grid of width x height cells (at least 1 x 1). Stores the global pointer.
    WorldMap(int32_t width, int32_t height, int32_t cellSize, const char* gridFile);
    ~WorldMap();
    WorldMap(const WorldMap&) = delete;
    WorldMap& operator=(const WorldMap&) = delete;

    int32_t GetWidth() const { return m_iWidth; }
    int32_t GetHeight() const { return m_iHeight; }
    // Cell (x, y) with both coordinates taken modulo the map's size, so positions off the map wrap round.
    uint32_t GetCellIndex(int32_t x, int32_t y) const;
    MapCell& GetCell(const GridPos& pos) { return m_Cells[GetCellIndex(pos.x, pos.y)]; }
    const std::vector<BaseObject*>& GetObjectsAt(const GridPos& pos) { return GetCell(pos).GetObjectList(); }
    bool IsValidGridPos(const GridPos& pos) const;

    // The cell holding a map position: (x / 32, y / 64) truncated; positions beyond the integer range clamp.
    static GridPos WorldToGrid(const platform::Vec3& position);

private:
    int32_t m_iCellSize;
    int32_t m_iWidth;
    int32_t m_iHeight;
    std::string m_GridFile;
    std::vector<MapCell> m_Cells;
};

// The park grid while it exists, null otherwise.
extern WorldMap* g_pWorldMap;
