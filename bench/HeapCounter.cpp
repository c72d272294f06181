#include "HeapCounter.h"

#include "core/os/PageBlock.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> g_inUse{0};
std::atomic<std::size_t> g_peak{0};

void* Allocate(std::size_t size)
{
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t now =
        g_inUse.fetch_add(malloc_usable_size(memory)) + malloc_usable_size(memory) + velmora::PageBlock::BytesHeld();
    std::size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return memory;
}

void Release(void* memory)
{
    if (memory != nullptr) {
        g_inUse.fetch_sub(malloc_usable_size(memory));
        std::free(memory);
    }
}

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* memory) noexcept
{
    Release(memory);
}
void operator delete[](void* memory) noexcept
{
    Release(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    Release(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    Release(memory);
}

namespace velmora::bench {

std::size_t HeapInUse()
{
    return g_inUse.load() + PageBlock::BytesHeld();
}

std::size_t HeapPeak()
{
    // A page block taken after the last allocation is not in g_peak yet.
    return std::max(g_peak.load(), HeapInUse());
}

void ResetHeapPeak()
{
    g_peak.store(HeapInUse());
}

} // namespace velmora::bench
