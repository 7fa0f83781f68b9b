// Counting heap allocations in a benchmark binary: link AllocationCount.cpp, which replaces the global operator new.
#pragma once

#include <cstdint>

// Allocations made through operator new since the program started.
uint64_t CountedAllocations();
