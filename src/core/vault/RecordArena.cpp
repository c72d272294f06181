#include "core/vault/RecordArena.h"

namespace velmora {

char* RecordArena::Allocate(std::size_t bytes)
{
    if (bytes > PageBlock::kSize) {
        return nullptr;
    }
    if (m_blocks.empty() || PageBlock::kSize - m_used < bytes) {
        m_blocks.emplace_back();
        m_used = 0;
    }
    char* const room = m_blocks.back().Data() + m_used;
    m_used += bytes;
    return room;
}

void RecordArena::Clear()
{
    m_blocks.clear();
    m_used = PageBlock::kSize;
}

} // namespace velmora
