#include "core/os/PageBlock.h"

#include <atomic>
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

// Blocks given back are kept for the next ones, up to a limit, as the heap keeps freed memory: an
// account opened again (or the next one) then finds its pages in place instead of faulting in
// fresh ones. They hold no plain text: a record wipes its values when it goes.
class Pool
{
public:
    char* Take()
    {
        const std::lock_guard lock(m_mutex);
        if (m_blocks.empty()) {
            return nullptr;
        }
        char* const block = m_blocks.back();
        m_blocks.pop_back();
        ASAN_UNPOISON_MEMORY_REGION(block, PageBlock::kSize);
        return block;
    }

    bool Keep(char* block)
    {
        const std::lock_guard lock(m_mutex);
        if (m_blocks.size() >= kMostBlocks) {
            return false;
        }
        m_blocks.push_back(block);
        // A block kept here is freed memory to the address sanitizer: it reports any use.
        ASAN_POISON_MEMORY_REGION(block, PageBlock::kSize);
        return true;
    }

private:
    static constexpr std::size_t kMostBlocks = 32;
    std::mutex m_mutex;
    std::vector<char*> m_blocks;
};

Pool& ThePool()
{
    // Never destroyed: an account destroyed at exit may still give its blocks back.
    static Pool* const pool = new Pool;
    return *pool;
}

#if defined(__linux__)

// Maps twice the size and gives back what lies outside the aligned block.
char* MapAligned()
{
    constexpr std::size_t kSize = PageBlock::kSize;
    void* mapped = mmap(nullptr, 2 * kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        throw std::bad_alloc();
    }
    auto* const start = static_cast<char*>(mapped);
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    char* const block = start + ((kSize - address % kSize) % kSize);
    if (block > start) {
        munmap(start, static_cast<std::size_t>(block - start));
    }
    munmap(block + kSize, static_cast<std::size_t>(start + 2 * kSize - (block + kSize)));
    // Each is only advice: a system that declines it still gives working memory.
    madvise(block, kSize, MADV_HUGEPAGE);
    madvise(block, kSize, MADV_DONTDUMP);
    PopulatePages(block, kSize);
    return block;
}

void Unmap(char* block)
{
    munmap(block, PageBlock::kSize);
}

#else

char* MapAligned()
{
    return new char[PageBlock::kSize];
}

void Unmap(char* block)
{
    delete[] block;
}

#endif

} // namespace

PageBlock::PageBlock()
{
    m_data = ThePool().Take();
    if (m_data == nullptr) {
        m_data = MapAligned();
    }
    g_bytesHeld.fetch_add(kSize, std::memory_order_relaxed);
}

PageBlock::~PageBlock()
{
    Release();
}

PageBlock::PageBlock(PageBlock&& other) noexcept : m_data(std::exchange(other.m_data, nullptr)) {}

PageBlock& PageBlock::operator=(PageBlock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
    }
    return *this;
}

void PageBlock::Release() noexcept
{
    if (m_data != nullptr) {
        if (!ThePool().Keep(m_data)) {
            Unmap(m_data);
        }
        m_data = nullptr;
        g_bytesHeld.fetch_sub(kSize, std::memory_order_relaxed);
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
