#include "core/vault/RecordKey.h"

#include <atomic>

namespace velmora {

RecordId NewRecordIds(std::size_t count)
{
    static std::atomic<RecordId> next{0};
    return next.fetch_add(count, std::memory_order_relaxed);
}

RecordId NewRecordId()
{
    return NewRecordIds(1);
}

// Four bits a letter, "A" to "P": 20 letters hold any 64-bit id.
RecordKey::RecordKey(RecordId id)
{
    for (std::size_t i = kLength; i-- > 0; id >>= 4) {
        m_letters[i] = static_cast<char>('A' + (id & 0xF));
    }
}

std::optional<RecordId> RecordKey::IdOf(std::string_view text)
{
    if (text.size() != kLength) {
        return std::nullopt;
    }
    RecordId id = 0;
    for (const char c : text) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        // Letters beyond "P", or beyond the largest id, name no record.
        if (upper < 'A' || upper > 'P' || id >> 60 != 0) {
            return std::nullopt;
        }
        id = id << 4 | static_cast<RecordId>(upper - 'A');
    }
    return id;
}

} // namespace velmora
