// The 15-bit linear congruential generator every game use of rand goes through.
#include "platform/Random.h"

namespace platform
{
namespace
{
RandomGenerator g_generator;
}

int Rand()
{
    return g_generator.Next();
}

void SRand(unsigned int seed)
{
    g_generator.Seed(seed);
}

} // namespace platform
