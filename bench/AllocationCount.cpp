// The replaced global operator new and delete of the benchmark binaries that count their heap allocations.
#include "bench/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<uint64_t> g_allocations{0};

void* Allocate(std::size_t n)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t n, std::align_val_t align)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
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
