#include "core/os/PageBlock.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <mutex>
#include <new>
#include <sanitizer/asan_interface.h>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

std::atomic<std::size_t> g_bytesHeld{0};

constexpr auto kSizeClasses =
    static_cast<std::size_t>(std::countr_zero(PageBlock::kSize / PageBlock::kSmallestSize)) + 1;

// The block size for `bytes`: the next power of two within the sizes blocks come in.
std::size_t BlockSize(std::size_t bytes)
{
    return std::bit_ceil(std::clamp(bytes, PageBlock::kSmallestSize, PageBlock::kSize));
}

std::size_t SizeClass(std::size_t size)
{
    return static_cast<std::size_t>(std::countr_zero(size / PageBlock::kSmallestSize));
}

// Blocks given back are kept for the next ones, up to a limit, as the heap keeps freed memory: an
// account opened again (or the next one) then finds its pages in place instead of faulting in
// fresh ones. They hold no plain text: a record wipes its values when it goes.
class Pool
{
public:
    char* Take(std::size_t size)
    {
        const std::lock_guard lock(m_mutex);
        std::vector<char*>& blocks = m_blocks[SizeClass(size)];
        if (blocks.empty()) {
            return nullptr;
        }
        char* const block = blocks.back();
        blocks.pop_back();
        m_bytesKept -= size;
        ASAN_UNPOISON_MEMORY_REGION(block, size);
        return block;
    }

    bool Keep(char* block, std::size_t size)
    {
        const std::lock_guard lock(m_mutex);
        if (m_bytesKept + size > kMostBytes) {
            return false;
        }
        m_blocks[SizeClass(size)].push_back(block);
        m_bytesKept += size;
        // A block kept here is freed memory to the address sanitizer: it reports any use.
        ASAN_POISON_MEMORY_REGION(block, size);
        return true;
    }

private:
    static constexpr std::size_t kMostBytes = 32 * PageBlock::kSize;
    std::mutex m_mutex;
    std::array<std::vector<char*>, kSizeClasses> m_blocks;
    std::size_t m_bytesKept = 0;
};

Pool& ThePool()
{
    // Never destroyed: an account destroyed at exit may still give its blocks back.
    static Pool* const pool = new Pool;
    return *pool;
}

#if defined(__linux__)

char* MapOrThrow(std::size_t bytes)
{
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        throw std::bad_alloc();
    }
    return static_cast<char*>(mapped);
}

// A block of the largest size is aligned to it, for a huge page: twice the size is mapped and
// what lies outside the aligned block given back.
char* Map(std::size_t size, std::size_t toWrite)
{
    char* block = nullptr;
    if (size == PageBlock::kSize) {
        char* const start = MapOrThrow(2 * size);
        const auto address = reinterpret_cast<std::uintptr_t>(start);
        block = start + ((size - address % size) % size);
        if (block > start) {
            munmap(start, static_cast<std::size_t>(block - start));
        }
        munmap(block + size, static_cast<std::size_t>(start + 2 * size - (block + size)));
        // Each is only advice: a system that declines it still gives working memory.
        madvise(block, size, MADV_HUGEPAGE);
    } else {
        block = MapOrThrow(size);
    }
    madvise(block, size, MADV_DONTDUMP);
    PopulatePages(block, std::min(size, toWrite));
    return block;
}

void Unmap(char* block, std::size_t size)
{
    munmap(block, size);
}

#else

char* Map(std::size_t size, std::size_t /*toWrite*/)
{
    return new char[size];
}

void Unmap(char* block, std::size_t /*size*/)
{
    delete[] block;
}

#endif

} // namespace

PageBlock::PageBlock(std::size_t bytes, std::size_t toWrite) : m_size(BlockSize(bytes))
{
    m_data = ThePool().Take(m_size);
    if (m_data == nullptr) {
        m_data = Map(m_size, toWrite);
    }
    g_bytesHeld.fetch_add(m_size, std::memory_order_relaxed);
}

PageBlock::~PageBlock()
{
    Release();
}

PageBlock::PageBlock(PageBlock&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
{}

PageBlock& PageBlock::operator=(PageBlock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void PageBlock::Release() noexcept
{
    if (m_data != nullptr) {
        if (!ThePool().Keep(m_data, m_size)) {
            Unmap(m_data, m_size);
        }
        m_data = nullptr;
        g_bytesHeld.fetch_sub(m_size, std::memory_order_relaxed);
        m_size = 0;
    }
}

std::size_t PageBlock::BytesHeld()
{
    return g_bytesHeld.load(std::memory_order_relaxed);
}

void PopulatePages([[maybe_unused]] void* begin, [[maybe_unused]] std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    static const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto first = (reinterpret_cast<std::uintptr_t>(begin) + pageSize - 1) / pageSize * pageSize;
    const auto end = (reinterpret_cast<std::uintptr_t>(begin) + bytes) / pageSize * pageSize;
    if (end > first) {
        madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
    }
#endif
}

} // namespace velmora
