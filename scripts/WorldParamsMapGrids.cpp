// Map grid records: footprint size, the flag, height and base plate rows and the fifteen point lists.
#include "engine/core/Logger.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsDetail.h"

#include <cstring>

namespace
{

constexpr const char* kWhere = "WorldParams::AddMapGridData";
constexpr int kGridSize = MapGridInfo::kGridSize;

struct PointKeywords
{
    const char* count;
    const char* x;
    const char* y;
};

// In the order of MapPointListIndex.
constexpr PointKeywords kPointKeywords[kMapPointListCount] = {
    {"NUM_INWALKPOINTS", "INWALKPOINTX", "INWALKPOINTY"},
    {"NUM_OUTWALKPOINTS", "OUTWALKPOINTX", "OUTWALKPOINTY"},
    {"NUM_SPAWNPOINTS", "SPAWNPOINTX", "SPAWNPOINTY"},
    {"NUM_EATPOINTS", "EATPOINTX", "EATPOINTY"},
    {"NUM_EATNODES", "EATNODEX", "EATNODEY"},
    {"NUM_STAFFPOINTS", "STAFFPOINTX", "STAFFPOINTY"},
    {"NUM_TABLEPOINTS", "TABLEPOINTX", "TABLEPOINTY"},
    {"NUM_VIEWPOINTS", "VIEWPOINTX", "VIEWPOINTY"},
    {"NUM_2VIEWPOINTS", "2VIEWPOINTX", "2VIEWPOINTY"},
    {"NUM_THRUWALKPOINTS", "THRUWALKPOINTX", "THRUWALKPOINTY"},
    {"NUM_MECHINPOINTS", "MECHINPOINTX", "MECHINPOINTY"},
    {"NUM_MECHOUTPOINTS", "MECHOUTPOINTX", "MECHOUTPOINTY"},
    {"NUM_ZOOINPOINTS", "ZOOINPOINTX", "ZOOINPOINTY"},
    {"NUM_ZOOOUTPOINTS", "ZOOOUTPOINTX", "ZOOOUTPOINTY"},
    {"NUM_INTERESTPOINTS", "INTERESTPOINTX", "INTERESTPOINTY"},
};

// Row characters set their cell to their code; a character a row kind does not know leaves the cell as it was.
void SetFlagCell(char c, uint32_t* cell)
{
    static constexpr struct
    {
        char c;
        uint32_t code;
    } kCodes[] = {{'0', 0},         {'S', kCellBlocked}, {'I', kCellIn},    {'O', kCellOut},   {'P', kCellPath},
                  {'L', kCellBody}, {'Q', kCellQueue},   {'E', kCellEntry}, {'A', kCellAnimal}};
    for (const auto& row : kCodes)
    {
        if (row.c == c)
            *cell = row.code;
    }
}

void SetPlateCell(char c, uint32_t* cell)
{
    if (c == '0')
        *cell = 0;
    else if (c == 'T')
        *cell = kPlateTile;
    else if (c == 'C')
        *cell = kPlateCover;
}

void SetHeightCell(char c, float* cell)
{
    // 0 is level; A to F climb 1 to 6; G to J sink -1 to -4; K and L are the half and quarter steps.
    static constexpr float kLetters[] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, -1.0f, -2.0f, -3.0f, -4.0f, 0.5f, 0.25f};
    if (c == '0')
        *cell = 0.0f;
    else if (c >= 'A' && c <= 'L')
        *cell = kLetters[c - 'A'];
}

enum class RowKind
{
    kFlags,
    kPlate,
    kHeights,
};

struct RowPrefix
{
    const char* text;
    RowKind kind;
};

constexpr RowPrefix kRowPrefixes[] = {
    {"FLAGROW", RowKind::kFlags},
    {"BASEPLATEROW", RowKind::kPlate},
    {"ZROW", RowKind::kHeights},
};

// One row line: WIDTH + 2 characters of the value set the cells (0, y) to (WIDTH + 1, y).
void SetRow(MapGridInfo& grid, RowKind kind, const char* field, const char* number, const char* value)
{
    const int32_t y = datascript::ToInteger(number);
    if (y < 0 || y >= kGridSize)
    {
        GetLogger()->Report(0, "%s - row number out of range (0 to %d) - %s", kWhere, kGridSize - 1, field);
        return;
    }
    const int32_t cells = grid.iWidth + 2;
    const size_t length = strnlen(value, static_cast<size_t>(cells));
    if (length < static_cast<size_t>(cells))
        GetLogger()->Report(0, "%s - row shorter than WIDTH + 2 characters - %s", kWhere, field);
    for (size_t x = 0; x < length; ++x)
    {
        switch (kind)
        {
        case RowKind::kFlags:
            SetFlagCell(value[x], &grid.flags[x][y]);
            break;
        case RowKind::kPlate:
            SetPlateCell(value[x], &grid.basePlate[x][y]);
            break;
        case RowKind::kHeights:
            SetHeightCell(value[x], &grid.heights[x][y]);
            break;
        }
    }
}

// WIDTH and HEIGHT: the footprint and its one-cell ring must fit the grid.
void SetSize(int32_t* size, const char* field, const char* value)
{
    const int32_t cells = datascript::ToInteger(value);
    if (cells < 0 || cells > MapGridInfo::kMaxFootprint)
    {
        GetLogger()->Report(0, "%s - %s out of range (0 to %d) - %s", kWhere, field, MapGridInfo::kMaxFootprint, value);
        return;
    }
    *size = cells;
}

void SetPointCount(MapPointList& list, const char* field, const char* value)
{
    list.points.clear();
    list.points.shrink_to_fit();
    list.count = 0;
    const int32_t n = datascript::ToInteger(value);
    if (n < 0 || n > WorldParams::kMaxMapPoints)
    {
        GetLogger()->Report(0, "%s - %s out of range (0 to %d) - %s", kWhere, field, WorldParams::kMaxMapPoints, value);
        return;
    }
    list.points.resize(static_cast<size_t>(n));
}

// X stores the x of the next point, Y its y and completes it; only as many points as the NUM_ line made room for.
void SetPoint(MapPointList& list, bool isY, const char* field, const char* value)
{
    if (static_cast<size_t>(list.count) >= list.points.size())
    {
        GetLogger()->Report(0, "%s - more points than the NUM_ line allows - %s", kWhere, field);
        return;
    }
    MapPoint& point = list.points[static_cast<size_t>(list.count)];
    if (isY)
    {
        point.y = datascript::ToReal(value);
        ++list.count;
    }
    else
    {
        point.x = datascript::ToReal(value);
    }
}

} // namespace

bool WorldParams::AddMapGrid(const char* keyword)
{
    // A new grid starts zero-filled, every point list empty.
    return worldparams::Declare(m_mapGrids, keyword, "WorldParams::AddMapGrid") != nullptr;
}

void WorldParams::AddMapGridData(int32_t id, const char* field, const char* value)
{
    MapGridInfo& grid = worldparams::RecordAt(m_mapGrids, id, kWhere);
    if (std::strcmp(field, "WIDTH") == 0)
        return SetSize(&grid.iWidth, field, value);
    if (std::strcmp(field, "HEIGHT") == 0)
        return SetSize(&grid.iHeight, field, value);
    // Rows come before the point keywords: a row prefix takes any keyword that starts with it.
    for (const RowPrefix& row : kRowPrefixes)
    {
        const size_t length = std::strlen(row.text);
        if (std::strncmp(field, row.text, length) == 0)
            return SetRow(grid, row.kind, field, field + length, value);
    }
    for (int i = 0; i < kMapPointListCount; ++i)
    {
        const PointKeywords& keywords = kPointKeywords[i];
        if (std::strcmp(field, keywords.count) == 0)
            return SetPointCount(grid.lists[i], field, value);
        if (std::strcmp(field, keywords.x) == 0)
            return SetPoint(grid.lists[i], false, field, value);
        if (std::strcmp(field, keywords.y) == 0)
            return SetPoint(grid.lists[i], true, field, value);
    }
    GetLogger()->Report(0, "%s - unrecognised mapgrid keyword - %s", kWhere, field);
}
