// The game's one random generator: the classic 15-bit runtime rand (0..32767), seedable; and the same
// generator as an object, for code that must keep a sequence of its own.
#pragma once

#include <cstdint>

namespace platform
{

constexpr int kRandMax = 32767;

// The classic runtime recurrence: state = state * 214013 + 2531011, result = bits 16 to 30 of the state.
class RandomGenerator
{
public:
    constexpr explicit RandomGenerator(uint32_t seed = 1) : m_uState(seed) {}
    // Next value 0..32767.
    int Next()
    {
        m_uState = m_uState * 214013u + 2531011u;
        return static_cast<int>((m_uState >> 16) & 0x7FFF);
    }
    void Seed(uint32_t seed) { m_uState = seed; }

private:
    uint32_t m_uState;
};

// Next value 0..32767 of the game's one generator.
int Rand();

// Restarts the sequence (the runtime starts as if seeded with 1).
void SRand(unsigned int seed);

} // namespace platform
