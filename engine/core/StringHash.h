// The name hash shared by every name-keyed table, and the prime bucket counts those tables are sized with.
// HashString is one of the GUI's sprite services, but the engine's tables need it first and dependencies only
// point downward, so it lives here in the engine's core and the GUI uses this one.
#pragma once

#include <cstdint>

// h = h * 5 + c over the bytes of the zero-terminated name, each byte taken as a signed 8-bit value, wrapping at
// 32 bits; the empty name gives 0. Case-sensitive.
uint32_t HashString(const char* name);

// The first prime of the classic 28-entry hash-table list (53, 97, 193, ... 4294967291) that is not below n;
// n itself when n is above the last one.
uint32_t NextHashPrime(uint32_t n);
