// Hard parks for the path search, shared by the path benchmark and the test that checks its paths: a footpath
// maze, a lake to cross, a walker cut off from the footpaths, and a U-shaped wall drawn twice (the second wider and
// deeper), each 160 x 160 with its searches.
#pragma once

#include "world/Path.h"
#include "world/WorldMap.h"

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace pathparks
{

constexpr int32_t kSide = 160;
constexpr uint32_t kGround = 0x80000001u;
constexpr uint32_t kFootpath = 0x90000001u;
constexpr uint32_t kBuilding = 0x00000003u;
constexpr uint32_t kWater = 0u;

struct Search
{
    int32_t kind;
    GridPos from;
    GridPos to;
};

struct Park
{
    std::string name;
    std::unique_ptr<WorldMap> map;
    std::vector<Search> searches;

    uint32_t& Flags(int32_t x, int32_t y) { return map->GetCell({x, y})->m_uiFlags; }
    void Fill(uint32_t flags)
    {
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
                Flags(x, y) = flags;
    }
};

inline Park NewPark(const char* name)
{
    Park park;
    park.name = name;
    park.map = std::make_unique<WorldMap>(kSide, kSide, WorldMap::kDefaultCellSize, "");
    return park;
}

inline GridPos RandomCell(std::mt19937& random, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return {x0 + static_cast<int32_t>(random() % static_cast<uint32_t>(x1 - x0)),
            y0 + static_cast<int32_t>(random() % static_cast<uint32_t>(y1 - y0))};
}

// A footpath maze over the middle of the park (cells 20 to 139): corridors dug from a random depth-first walk
// over every other cell, with one wall in eight knocked through so that there are loops and ties; footpath
// searches between random corridor cells.
inline Park Maze(int searches = 64)
{
    Park park = NewPark("maze");
    park.Fill(kGround);
    std::mt19937 random(21);
    constexpr int32_t kFirst = 20, kNodes = 60; // nodes at kFirst + 2i, i < kNodes
    std::vector<bool> seen(kNodes * kNodes, false);
    std::vector<std::pair<int32_t, int32_t>> stack = {{0, 0}};
    seen[0] = true;
    park.Flags(kFirst, kFirst) = kFootpath;
    const int32_t dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
    while (!stack.empty())
    {
        const auto [i, j] = stack.back();
        int32_t options[4], count = 0;
        for (int32_t d = 0; d < 4; ++d)
        {
            const int32_t ni = i + dx[d], nj = j + dy[d];
            if (ni >= 0 && nj >= 0 && ni < kNodes && nj < kNodes && !seen[nj * kNodes + ni])
                options[count++] = d;
        }
        if (count == 0)
        {
            stack.pop_back();
            continue;
        }
        const int32_t d = options[random() % static_cast<uint32_t>(count)];
        const int32_t ni = i + dx[d], nj = j + dy[d];
        seen[nj * kNodes + ni] = true;
        park.Flags(kFirst + 2 * i + dx[d], kFirst + 2 * j + dy[d]) = kFootpath;
        park.Flags(kFirst + 2 * ni, kFirst + 2 * nj) = kFootpath;
        stack.push_back({ni, nj});
    }
    for (int32_t y = kFirst; y < kFirst + 2 * kNodes - 1; ++y)
        for (int32_t x = kFirst; x < kFirst + 2 * kNodes - 1; ++x)
            if ((x + y) % 2 == 1 && random() % 8 == 0)
                park.Flags(x, y) = kFootpath;
    while (static_cast<int>(park.searches.size()) < searches)
    {
        const GridPos from = RandomCell(random, kFirst, kFirst, kFirst + 2 * kNodes, kFirst + 2 * kNodes);
        const GridPos to = RandomCell(random, kFirst, kFirst, kFirst + 2 * kNodes, kFirst + 2 * kNodes);
        if (park.map->GetFlags(from) == kFootpath && park.map->GetFlags(to) == kFootpath)
            park.searches.push_back({PATH_PAVEMENT, from, to});
    }
    return park;
}

// Open ground with a lake of 110 x 80 cells in the middle: walks on foot and through scenery from one shore to
// the opposite one.
inline Park Lake(int searches = 64)
{
    Park park = NewPark("lake");
    park.Fill(kGround);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
        {
            const float ex = (static_cast<float>(x) - 80.0f) / 55.0f, ey = (static_cast<float>(y) - 80.0f) / 40.0f;
            if (ex * ex + ey * ey < 1.0f)
                park.Flags(x, y) = kWater;
        }
    std::mt19937 random(22);
    for (int i = 0; i < searches; ++i)
    {
        const int32_t kind = i % 4 == 3 ? PATH_SCENERY : PATH_FOOT;
        if (i % 2 == 0)
            park.searches.push_back({kind, RandomCell(random, 30, 0, 130, 36), RandomCell(random, 30, 124, 130, 160)});
        else
            park.searches.push_back({kind, RandomCell(random, 0, 50, 22, 110), RandomCell(random, 138, 50, 160, 110)});
    }
    return park;
}

// Footpath along every eighth row and column, with walkers on small footpath rings inside the blocks that no
// footpath reaches: every search from a ring to the network fails.
inline Park CutOff(int searches = 32)
{
    Park park = NewPark("cut off");
    park.Fill(kGround);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            if (x % 8 == 0 || y % 8 == 0)
                park.Flags(x, y) = kFootpath;
    std::mt19937 random(23);
    for (int i = 0; i < searches; ++i)
    {
        // A ring of 3 x 3 cells round the middle of a random block.
        const int32_t bx = 8 * static_cast<int32_t>(random() % 19), by = 8 * static_cast<int32_t>(random() % 19);
        for (int32_t y = by + 3; y <= by + 5; ++y)
            for (int32_t x = bx + 3; x <= bx + 5; ++x)
                if (x != bx + 4 || y != by + 4)
                    park.Flags(x, y) = kFootpath;
        const GridPos to = {8 * static_cast<int32_t>(random() % 20), static_cast<int32_t>(random() % kSide)};
        park.searches.push_back({PATH_PAVEMENT, {bx + 3, by + 3}, to});
    }
    return park;
}

// Open ground with a wall of buildings in a U, 61 cells wide and 56 deep, open to the north: walks from inside
// the U to the ground south of it, so that the search (run from the destination back) fills the U first, and
// walks the other way.
inline Park UWall(int searches = 64)
{
    Park park = NewPark("U wall");
    park.Fill(kGround);
    for (int32_t x = 50; x <= 110; ++x)
        park.Flags(x, 40) = kBuilding;
    for (int32_t y = 40; y <= 95; ++y)
        park.Flags(50, y) = park.Flags(110, y) = kBuilding;
    std::mt19937 random(24);
    for (int i = 0; i < searches; ++i)
    {
        const int32_t kind = i % 4 == 3 ? PATH_SCENERY : PATH_FOOT;
        const GridPos inside = RandomCell(random, 51, 41, 110, 86), south = RandomCell(random, 40, 0, 120, 30);
        park.searches.push_back(i % 2 == 0 ? Search{kind, south, inside} : Search{kind, inside, south});
    }
    return park;
}

// A wider and deeper U of open ground: buildings in a U 121 cells wide and 121 deep, open to the north, with walks
// between the lower half of its inside and the ground south of it, both ways; each search floods most of the U's
// lower half before it finds the way round.
inline Park WideUWall(int searches = 64)
{
    Park park = NewPark("wide U wall");
    park.Fill(kGround);
    for (int32_t x = 20; x <= 140; ++x)
        park.Flags(x, 30) = kBuilding;
    for (int32_t y = 30; y <= 150; ++y)
        park.Flags(20, y) = park.Flags(140, y) = kBuilding;
    std::mt19937 random(25);
    for (int i = 0; i < searches; ++i)
    {
        const int32_t kind = i % 4 == 3 ? PATH_SCENERY : PATH_FOOT;
        const GridPos inside = RandomCell(random, 21, 31, 140, 81), south = RandomCell(random, 10, 0, 150, 21);
        park.searches.push_back(i % 2 == 0 ? Search{kind, south, inside} : Search{kind, inside, south});
    }
    return park;
}

inline std::vector<Park> AllParks()
{
    std::vector<Park> parks;
    parks.push_back(Maze());
    parks.push_back(Lake());
    parks.push_back(CutOff());
    parks.push_back(UWall());
    parks.push_back(WideUWall());
    return parks;
}

} // namespace pathparks
