// Counting the heap allocations of a stretch of code: the allocation tests' binary replaces the global operator new.
#pragma once

#include <cstdint>

namespace testsupport
{

// Counts the operator new calls of the calling thread while it lives.
class CountedAllocations
{
public:
    CountedAllocations();
    ~CountedAllocations();
    CountedAllocations(const CountedAllocations&) = delete;
    CountedAllocations& operator=(const CountedAllocations&) = delete;
    uint64_t Count() const;

private:
    uint64_t m_start;
};

} // namespace testsupport
