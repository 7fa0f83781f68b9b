// The 15-bit linear congruential generator every game use of rand goes through.
#include "platform/Random.h"

#include <cstdint>

namespace platform
{
namespace
{
uint32_t g_state = 1;
}

int Rand()
{
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

void SRand(unsigned int seed)
{
    g_state = seed;
}

} // namespace platform
