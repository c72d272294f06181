#pragma once

#include "core/os/PageBlock.h"

#include <cstddef>
#include <vector>

namespace velmora {

// Room for the buffers of the records a reader makes, cut from page blocks one after another: no
// allocation per record, and few page faults for a large account. Room is never handed back one
// record at a time; the blocks go when the arena is cleared, so every record cut from it must be
// gone by then.
class RecordArena
{
public:
    // `bytes` of room, or nullptr for more than a block holds.
    char* Allocate(std::size_t bytes);
    void Clear();

private:
    std::vector<PageBlock> m_blocks;
    std::size_t m_used = PageBlock::kSize; // of the last block
};

} // namespace velmora
