#pragma once

#include <cstddef>

namespace velmora {

// A piece of memory straight from the system for data read in bulk, left out of core dumps. A
// block of the largest size is aligned so that the system may back it with one huge page; a
// smaller one, for a small read, takes only the pages it needs. The pages the caller says it
// will write are populated in one step instead of one page fault per 4 KiB. Where the system
// offers none of that, it comes from operator new.
class PageBlock
{
public:
    static constexpr std::size_t kSize = std::size_t{2} << 20; // the largest block: one huge page
    static constexpr std::size_t kSmallestSize = std::size_t{4} << 10;

    // A block of `bytes` rounded up to a power of two from kSmallestSize to kSize, of which the
    // first `toWrite` bytes are about to be written. Throws std::bad_alloc.
    explicit PageBlock(std::size_t bytes = kSize, std::size_t toWrite = kSize);
    ~PageBlock();
    PageBlock(PageBlock&& other) noexcept;
    PageBlock& operator=(PageBlock&& other) noexcept;
    PageBlock(const PageBlock&) = delete;
    PageBlock& operator=(const PageBlock&) = delete;

    char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }

    // The bytes of all blocks in use: what the benchmarks add to the heap.
    static std::size_t BytesHeld();

private:
    void Release() noexcept;

    char* m_data = nullptr;
    std::size_t m_size = 0;
};

// Faults in the whole pages of [begin, begin + bytes) in one step, for memory about to be written
// through: a large buffer fresh from the system otherwise costs a page fault per 4 KiB. Pages
// already in place keep what they hold. Only advice: where the system declines, nothing happens.
void PopulatePages(void* begin, std::size_t bytes);

} // namespace velmora
