#include "vault/RecordKey.h"

#include <atomic>
#include <limits>

namespace velmora {
namespace {

constexpr RecordId kLetterCount = 25; // 25^20 is far beyond any 64-bit id

} // namespace

RecordId NewRecordId()
{
    static std::atomic<RecordId> next{0};
    return next.fetch_add(1, std::memory_order_relaxed);
}

RecordKey::RecordKey(RecordId id)
{
    for (std::size_t i = kLength; i-- > 0; id /= kLetterCount) {
        m_letters[i] = static_cast<char>('A' + id % kLetterCount);
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
        const auto digit = static_cast<RecordId>(upper - 'A');
        // Letters beyond the largest id name no record either.
        if (upper < 'A' || upper > 'Y' || id > (std::numeric_limits<RecordId>::max() - digit) / kLetterCount) {
            return std::nullopt;
        }
        id = id * kLetterCount + digit;
    }
    return id;
}

} // namespace velmora
