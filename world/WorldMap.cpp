// WorldMap: the cells, their object lists and the grid coordinate rules.
#include "world/WorldMap.h"

#include <algorithm>
#include <cmath>

WorldMap* g_pWorldMap = nullptr;

namespace
{

// Truncation toward zero that stays defined for values outside the integer range and for NaN.
int32_t TruncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int64_t Wrap(int64_t value, int64_t size)
{
    int64_t r = value % size;
    return r < 0 ? r + size : r;
}

} // namespace

void MapCell::RemoveObject(const BaseObject* object)
{
    std::erase(m_Objects, object);
}

bool MapCell::ContainsObject(const BaseObject* object) const
{
    return std::find(m_Objects.begin(), m_Objects.end(), object) != m_Objects.end();
}

WorldMap::WorldMap(int32_t width, int32_t height, int32_t cellSize, const char* gridFile)
    : m_iCellSize(cellSize), m_iWidth(std::max(width, 1)), m_iHeight(std::max(height, 1)),
      m_GridFile(gridFile ? gridFile : "")
{
    g_pWorldMap = this;
    m_Cells.resize(static_cast<size_t>(m_iWidth) * static_cast<size_t>(m_iHeight));
    for (int32_t y = 0; y < m_iHeight; ++y)
    {
        for (int32_t x = 0; x < m_iWidth; ++x)
        {
            MapCell& cell = m_Cells[static_cast<size_t>(y) * m_iWidth + x];
            cell.m_x = x;
            cell.m_y = y;
        }
    }
}

WorldMap::~WorldMap()
{
    if (g_pWorldMap == this)
        g_pWorldMap = nullptr;
}

uint32_t WorldMap::GetCellIndex(int32_t x, int32_t y) const
{
    return static_cast<uint32_t>(Wrap(y, m_iHeight) * m_iWidth + Wrap(x, m_iWidth));
}

bool WorldMap::IsValidGridPos(const GridPos& pos) const
{
    return pos.x >= 0 && pos.x < m_iWidth && pos.y >= 0 && pos.y < m_iHeight;
}

GridPos WorldMap::WorldToGrid(const platform::Vec3& position)
{
    return {TruncateToInt(position.x / 32.0f), TruncateToInt(position.y / 64.0f)};
}
