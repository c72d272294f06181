#pragma once

#include "core/os/PageBlock.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace velmora {

// Room for the buffers of the records a reader makes, cut from page blocks one after another: no
// allocation per record, and few page faults for a large account. Room is never handed back one
// record at a time; the blocks go when the arena is cleared, so every record cut from it must be
// gone by then.
class RecordArena
{
public:
    // No more than `bytes` will be asked for until the next call (or a request that exceeds it):
    // the blocks taken meanwhile are no larger, so a small account takes little memory. Until then,
    // and after such a request, blocks are of the largest size.
    void ExpectAtMost(std::size_t bytes);
    // `bytes` of room, or nullptr for more than a block holds.
    char* Allocate(std::size_t bytes);
    void Clear();

private:
    std::vector<PageBlock> m_blocks;
    std::size_t m_used = 0;                // of the last block
    std::optional<std::size_t> m_expected; // what is still to be asked for at most, when known
};

} // namespace velmora
