// The game's one random generator: the classic 15-bit runtime rand (0..32767), seedable.
#pragma once

namespace platform
{

constexpr int kRandMax = 32767;

// Next value 0..32767: state = state * 214013 + 2531011, result = bits 16 to 30 of the state.
int Rand();

// Restarts the sequence (the runtime starts as if seeded with 1).
void SRand(unsigned int seed);

} // namespace platform
