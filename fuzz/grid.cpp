// Fuzz target: the grid file (a 32-bit flag word per cell, column by column). The first byte gives the map's
// width, the file's size its height (a size that is no whole column count is refused); the rest is the file. The loaded
// flags then go through what a loaded game does with them: every path and queue cell recomputed from its flags.
#include "fuzz/TileTables.h"
#include "world/PathTileSet.h"
#include "world/WorldMap.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteTileTables();
    if (size < 2)
        return 0;
    const int32_t width = 1 + data[0] % 32;
    const int32_t height = std::clamp<int32_t>(static_cast<int32_t>((size - 1) / (4 * width)), 1, 64);
    fuzzsupport::WriteFile("data/grid.dat", data + 1, size - 1);
    WorldMap map(width, height, WorldMap::kDefaultCellSize, "data/grid.dat");
    if (!map.IsGridLoaded())
        return 0;
    PathTileSet tiles("data/pathtiles.dat", nullptr);
    tiles.RefreshAll();
    uint8_t edges[4];
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            tiles.GetPathEdges({x, y}, edges);
            tiles.IsQueueOpenTowards({x, y}, {x, y + 1});
            tiles.RefreshTile({x, y}, true, true);
        }
    return 0;
}
