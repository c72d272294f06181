#include "core/vault/RecordArena.h"

#include <algorithm>

namespace velmora {

void RecordArena::ExpectAtMost(std::size_t bytes)
{
    m_expected = bytes;
}

char* RecordArena::Allocate(std::size_t bytes)
{
    if (bytes > PageBlock::kSize) {
        return nullptr;
    }
    if (m_expected && bytes > *m_expected) {
        m_expected.reset(); // the estimate was wrong: the file grew while it was read
    }
    if (m_blocks.empty() || m_blocks.back().Size() - m_used < bytes) {
        const std::size_t coming = m_expected.value_or(PageBlock::kSize);
        m_blocks.emplace_back(coming, coming);
        m_used = 0;
    }
    char* const room = m_blocks.back().Data() + m_used;
    m_used += bytes;
    if (m_expected) {
        *m_expected -= bytes;
    }
    return room;
}

void RecordArena::Clear()
{
    m_blocks.clear();
    m_used = 0;
    m_expected.reset();
}

} // namespace velmora
