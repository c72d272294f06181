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

// Four bits a letter, "A" to "P": 20 letters hold any 64-bit id, so the first four are always
// "A". A reader makes a key for every record, so each byte of the id is spelled by one look-up.
RecordKey::RecordKey(RecordId id)
{
    static constexpr auto kLetterPairs = [] {
        std::array<std::array<char, 2>, 256> pairs{};
        for (std::size_t byte = 0; byte < pairs.size(); ++byte) {
            pairs[byte] = {static_cast<char>('A' + (byte >> 4)), static_cast<char>('A' + (byte & 0xF))};
        }
        return pairs;
    }();
    constexpr std::size_t kIdBytes = sizeof(RecordId);
    constexpr std::size_t kLead = kLength - 2 * kIdBytes;
    m_letters.fill('A');
    for (std::size_t i = 0; i < kIdBytes; ++i) {
        const auto& pair = kLetterPairs[(id >> (8 * (kIdBytes - 1 - i))) & 0xFF];
        m_letters[kLead + 2 * i] = pair[0];
        m_letters[kLead + 2 * i + 1] = pair[1];
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
