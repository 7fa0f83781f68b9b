// Grids drawn as text for the path, tile and movement tests: one character per cell, the first row y = 0.
#pragma once

#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace gridtest
{

// Cell characters: '.' walkable ground, '#' nothing, 'P' footpath on ground, 'X' footpath closed to paths, 'F'
// footpath on scenery ground, 'S' scenery ground, 'H' a building on ground, 'h' a building with the ground gone,
// '0'-'9' and 'a'-'f' queue path of that shape on ground.
inline uint32_t FlagsOf(char c)
{
    switch (c)
    {
    case '.':
        return 0x80000001u;
    case '#':
        return 0u;
    case 'P':
        return 0x90000001u;
    case 'X':
        return 0x90000041u;
    case 'F':
        return 0x30000001u;
    case 'S':
        return 0x20000000u;
    case 'H':
        return 0x80000003u;
    case 'h':
        return 0x00000003u;
    default:
        break;
    }
    const int shape = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10;
    EXPECT_TRUE(shape >= 0 && shape < 16) << "unknown grid character " << c;
    return 0xC0000001u | static_cast<uint32_t>(shape) << 8;
}

// Sets the flags of every cell of the map from the rows (which must match its size).
inline void Draw(WorldMap& map, const std::vector<std::string>& rows)
{
    ASSERT_EQ(static_cast<int32_t>(rows.size()), map.GetHeight());
    for (int32_t y = 0; y < map.GetHeight(); ++y)
    {
        ASSERT_EQ(static_cast<int32_t>(rows[y].size()), map.GetWidth());
        for (int32_t x = 0; x < map.GetWidth(); ++x)
            map.GetCell({x, y})->m_uiFlags = FlagsOf(rows[y][x]);
    }
}

// A map of the rows' size drawn from them.
inline std::unique_ptr<WorldMap> MakeMap(const std::vector<std::string>& rows)
{
    auto map = std::make_unique<WorldMap>(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()),
                                          WorldMap::kDefaultCellSize, "");
    Draw(*map, rows);
    return map;
}

inline std::string Cells(const std::vector<GridPos>& cells)
{
    std::string text;
    for (const GridPos& c : cells)
        text += "(" + std::to_string(c.x) + "," + std::to_string(c.y) + ")";
    return text;
}

} // namespace gridtest
