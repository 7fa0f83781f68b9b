// Counting heap allocations in a benchmark or test binary: link AllocationCount.cpp, which replaces the global
// operator new.
#pragma once

#include <cstdint>

// Allocations made through operator new since the program started.
uint64_t CountedAllocations();
// Allocations made through operator new by the calling thread since it started.
uint64_t CountedThreadAllocations();
