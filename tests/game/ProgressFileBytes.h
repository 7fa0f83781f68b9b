// Test helpers for the scenario progress file: the twelve flags and the bytes the game lays them out in.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace progressfile
{

using Flags = std::array<uint32_t, 12>;

// Locked 1, open from the start 4, opened by a win 2, won: 8 added. A first start opens scenarios 1, 5 and 9.
constexpr Flags kFirstStart = {4, 1, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1};

// The file as the game lays it out: the twelve flags, 32-bit little-endian, in scenario order.
inline std::vector<uint8_t> FileOf(const Flags& flags)
{
    std::vector<uint8_t> bytes;
    for (uint32_t f : flags)
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<uint8_t>(f >> (8 * b)));
    return bytes;
}

} // namespace progressfile
