// The sixteen queue shapes: which of a queue cell's four sides each opens, and what it becomes when a cell is
// laid or removed beside it; the edges a footpath tile reaches.
#pragma once

#include <cstdint>

// Sides 0 to 3 are grid directions 0, 2, 4 and 6; bit i of an opening mask is side i.
namespace queueshape
{

constexpr uint8_t kNone = 0;
constexpr uint8_t kAll = 0xF;

// The openings the path search uses.
constexpr uint8_t kStrict[16] = {0x8, kNone, 0x5, 0xA, 0x4, 0x2, 0x8, 0x1, kNone, 0x6, 0x3, 0x9, 0xC, 0x2, 0x1, 0x4};
// The openings that accept a join: queue ends and the free piece join on every side.
constexpr uint8_t kJoining[16] = {0x8,  kNone, 0x5, 0xA, kAll, kAll, kAll, kAll,
                                  kAll, 0x6,   0x3, 0x9, 0xC,  0x2,  0x1,  0x4};
// The shape stays as it is.
constexpr int8_t kSame = -1;
constexpr int8_t kWhenJoined[16][4] = {{kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {2, 9, kSame, 12},
                                       {10, kSame, 9, 3},
                                       {11, 3, 12, kSame},
                                       {kSame, 10, 2, 11},
                                       {7, 5, 4, 6},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame},
                                       {kSame, kSame, kSame, kSame}};
constexpr int8_t kWhenNeighbourGoes[16][4] = {
    {kSame, kSame, kSame, kSame}, {kSame, kSame, kSame, kSame}, {4, kSame, 7, kSame},
    {kSame, 6, kSame, 5},         {kSame, kSame, 8, kSame},     {kSame, 8, kSame, kSame},
    {kSame, kSame, kSame, 8},     {8, kSame, kSame, kSame},     {kSame, kSame, kSame, kSame},
    {kSame, 4, 5, kSame},         {5, 7, kSame, kSame},         {6, kSame, kSame, 7},
    {kSame, kSame, 6, 4},         {kSame, kSame, kSame, kSame}, {kSame, kSame, kSame, kSame},
    {kSame, kSame, kSame, kSame}};

inline bool IsOpen(uint8_t openings, int32_t side)
{
    return side >= 0 && side < 4 && (openings >> side & 1u) != 0;
}

// The sides (bit i for side i) a footpath tile's path reaches; a tile not listed reaches none.
inline uint8_t PathEdges(uint32_t tile)
{
    // Bytes per side 0..3 of the listed tiles, packed as bits.
    static constexpr uint8_t kEdges[48] = {0,   0,   0xA, 0x5, 0xB, 0xD, 0x7, 0xE, 0xF, 0x9, 0xC, 0x6,
                                           0x3, 0x1, 0x8, 0x4, 0x2, 0,   0,   0,   0,   0,   0,   0,
                                           0,   0,   0,   0,   0x3, 0x9, 0xC, 0x6, 0,   0,   0,   0,
                                           0x2, 0x1, 0x8, 0x4, 0x8, 0x4, 0x2, 0x1, 0x8, 0x4, 0x2, 0x1};
    return tile < 48 ? kEdges[tile] : 0;
}

} // namespace queueshape
