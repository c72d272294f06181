#pragma once

#include <cstddef>

namespace velmora {

// A piece of memory straight from the system for data read in bulk: aligned so that the system
// may back it with one huge page, populated in one step instead of one page fault per 4 KiB, and
// left out of core dumps. Where the system offers none of that, it comes from operator new.
class PageBlock
{
public:
    static constexpr std::size_t kSize = std::size_t{2} << 20;

    // Throws std::bad_alloc.
    PageBlock();
    ~PageBlock();
    PageBlock(PageBlock&& other) noexcept;
    PageBlock& operator=(PageBlock&& other) noexcept;
    PageBlock(const PageBlock&) = delete;
    PageBlock& operator=(const PageBlock&) = delete;

    char* Data() const { return m_data; }

    // The bytes of all blocks in use: what the benchmarks add to the heap.
    static std::size_t BytesHeld();

private:
    void Release() noexcept;

    char* m_data = nullptr;
};

// Faults in the whole pages of [begin, begin + bytes) in one step, for memory about to be written
// through: a large buffer fresh from the system otherwise costs a page fault per 4 KiB. Pages
// already in place keep what they hold. Only advice: where the system declines, nothing happens.
void PopulatePages(void* begin, std::size_t bytes);

} // namespace velmora
