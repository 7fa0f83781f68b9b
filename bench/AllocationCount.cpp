// The replaced global operator new and delete of the binaries that count their heap allocations (benchmarks and the
// allocation tests): memory comes from malloc, so the sanitisers still watch it.
#include "bench/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<uint64_t> g_allocations{0};
thread_local uint64_t t_allocations = 0;

void* Allocate(std::size_t n)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    ++t_allocations;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t n, std::align_val_t align)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    ++t_allocations;
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (n + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}
} // namespace

uint64_t CountedAllocations()
{
    return g_allocations.load(std::memory_order_relaxed);
}

uint64_t CountedThreadAllocations()
{
    return t_allocations;
}

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
