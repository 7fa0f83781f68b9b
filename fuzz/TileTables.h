// Complete path and queue tile tables for the targets that need valid ones beside the one they fuzz.
#pragma once

#include "fuzz/FuzzSupport.h"

#include <cstdint>
#include <string>

namespace fuzzsupport
{

// A table text of all 256 masks (eight bits, bit 0 first, then the value), the value given by the function.
template <class Value> std::string TileTable(Value value)
{
    std::string text;
    for (uint32_t mask = 0; mask < 256; ++mask)
    {
        for (uint32_t bit = 0; bit < 8; ++bit)
            text += (mask >> bit & 1) ? "1 " : "0 ";
        text += std::to_string(value(mask)) + "\n";
    }
    return text;
}

// Writes the three tables a PathTileSet reads ("data/pathtiles.dat" and the two queue tables), scrambled.
inline void WriteTileTables()
{
    const std::string paths = TileTable([](uint32_t mask) { return mask % 16; });
    const std::string queueTiles = TileTable([](uint32_t mask) { return mask % 3 ? 254 : mask % 16; });
    const std::string queuePath = TileTable([](uint32_t mask) { return mask % 16; });
    WriteBleFile("data/pathtiles.dat", reinterpret_cast<const uint8_t*>(paths.data()), paths.size());
    WriteBleFile("data//queuetiles.dat", reinterpret_cast<const uint8_t*>(queueTiles.data()), queueTiles.size());
    WriteBleFile("data//queuepath.dat", reinterpret_cast<const uint8_t*>(queuePath.data()), queuePath.size());
}

} // namespace fuzzsupport
