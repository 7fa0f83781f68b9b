// The replaced global operator new and delete of the allocation tests: every operator new of a thread is counted
// while a CountedAllocations lives on it; memory comes from malloc, so the sanitisers still watch it.
#include "tests/allocations/CountedNew.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local uint64_t t_allocations = 0;
thread_local int t_counters = 0;

void* Allocate(std::size_t n)
{
    if (t_counters > 0)
        ++t_allocations;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t n, std::align_val_t align)
{
    if (t_counters > 0)
        ++t_allocations;
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (n + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}
} // namespace

namespace testsupport
{
CountedAllocations::CountedAllocations() : m_start(t_allocations)
{
    ++t_counters;
}
CountedAllocations::~CountedAllocations()
{
    --t_counters;
}
uint64_t CountedAllocations::Count() const
{
    return t_allocations - m_start;
}
} // namespace testsupport

void* operator new(std::size_t n)
{
    return Allocate(n);
}
void* operator new[](std::size_t n)
{
    return Allocate(n);
}
void* operator new(std::size_t n, std::align_val_t a)
{
    return AllocateAligned(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a)
{
    return AllocateAligned(n, a);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
