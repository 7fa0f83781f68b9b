// Fuzz target: the footpath and queue tile tables (scrambled text of mask bits and values). The input replaces one
// of the three tables (the first byte picks which); then paths and queues are laid, refreshed and removed on a
// small map, which is where the tables' values are used.
#include "fuzz/TileTables.h"
#include "world/PathTileSet.h"
#include "world/WorldMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteTileTables();
    if (size == 0)
        return 0;
    static const char* const kFiles[] = {"data/pathtiles.dat", PathTileSet::kQueueTilesFile,
                                         PathTileSet::kQueuePathFile};
    fuzzsupport::WriteBleFile(kFiles[data[0] % 3], data + 1, size - 1);
    PathTileSet::Table table;
    PathTileSet::ReadTable(kFiles[data[0] % 3], table);

    WorldMap map(6, 6, WorldMap::kDefaultCellSize, "");
    PathTileSet tiles("data/pathtiles.dat", nullptr);
    if (!tiles.IsLoaded())
        return 0;
    for (int32_t i = 0; i < 6; ++i)
    {
        tiles.PlacePathTile({i, 2});
        tiles.PlacePathTile({2, i});
        tiles.PlaceQueueTile({i, 4});
    }
    tiles.PlaceQueueTile({4, 5});
    tiles.PlaceQueueTile({5, 5});
    for (uint32_t shape = 0; shape <= 16; ++shape)
        tiles.SetQueueTileShape({static_cast<int32_t>(shape % 6), 0}, shape);
    tiles.RefreshAll();
    uint8_t edges[4];
    for (int32_t x = -1; x <= 6; ++x)
        for (int32_t y = -1; y <= 6; ++y)
        {
            tiles.GetPathEdges({x, y}, edges);
            tiles.IsQueueOpenTowards({x, y}, {x + 1, y});
        }
    for (int32_t i = 0; i < 6; ++i)
    {
        tiles.RemoveQueueTile({i, 4});
        tiles.RemovePathTile({2, i});
    }
    return 0;
}
