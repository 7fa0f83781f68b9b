// Counting the calling thread's heap allocations over a stretch of code, through the counting operator new the
// allocation tests' binary links.
#include "tests/allocations/CountedNew.h"

#include "bench/AllocationCount.h"

namespace testsupport
{
CountedAllocations::CountedAllocations() : m_start(CountedThreadAllocations()) {}
CountedAllocations::~CountedAllocations() = default;
uint64_t CountedAllocations::Count() const
{
    return CountedThreadAllocations() - m_start;
}
} // namespace testsupport
